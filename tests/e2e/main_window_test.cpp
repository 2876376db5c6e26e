// Veilcap.exe driven from outside: the main window, its status texts, the tray icon and menu,
// the options in the registry and quitting. Screenshots land in the screenshot folder.
#include <gtest/gtest.h>

#include <vector>

#include "e2e/lib/e2e.h"
#include "e2e/lib/ui_probe.h"
#include "e2e/tools/fake_devices.h"
#include "guard/in_use.h"

#include <shellapi.h>

namespace {
using fakedev::kCameraClass;
using fakedev::kAudioEndpointClass;
using fakedev::AddCommand;
constexpr wchar_t kLanguageKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";  // HKCU
constexpr wchar_t kOptionsKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";   // HKLM
constexpr wchar_t kDevicesKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Devices";   // HKLM
constexpr wchar_t kCaptureKey[] = L"SOFTWARE\\Microsoft\\OEM\\Device\\Capture";
constexpr wchar_t kCamId[] = L"USB\\VID_E2E0&PID_0001\\E2ECAM";
constexpr wchar_t kMicId[] = L"SWD\\MMDEVAPI\\{0.0.1.00000000}.{E2E00000-0000-0000-0000-000000000001}";
const std::wstring kPleaseWait = L"Bitte warten...";
constexpr wchar_t kWebcamConsentKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";

// Whether the tray window shows the orange "in use" dot (a balloon over it has no such orange).
bool ShowsInUseMark(const RECT& r) {
  int orange = 0;
  for (uint32_t p : CaptureScreen(r)) {
    const unsigned red = p >> 16, green = (p >> 8) & 0xFF, blue = p & 0xFF;
    if (red > 0xE0 && green > 0x60 && green < 0xB0 && blue < 0x50) ++orange;
  }
  return orange >= 4;
}

// A desktop program's use of the webcam as Windows records it: start and stop as FILETIMEs.
void WriteWebcamUse(const std::wstring& path, ULONGLONG start, ULONGLONG stop) {
  std::wstring id = path;
  for (wchar_t& c : id)
    if (c == L'\\') c = L'#';
  const std::wstring key = std::wstring(kWebcamConsentKey) + L"\\NonPackaged\\" + id;
  HKEY k = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &k,
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(k, L"LastUsedTimeStart", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&start), sizeof(start));
  RegSetValueExW(k, L"LastUsedTimeStop", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&stop), sizeof(stop));
  RegCloseKey(k);
}

class MainWindowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(StageFolder().empty()) << "VEILCAP_STAGE is not set";
    WriteString(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID", L"de-de");
    ClearOptions();
  }
  void TearDown() override {
    if (main && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
    if (program.Running()) {
      EXPECT_EQ(program.WaitExit(10000), 0);
    }
    for (const wchar_t* id : {kCamId, kMicId}) RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\"");
    DeleteValue(HKEY_LOCAL_MACHINE, kDevicesKey, kMicId);
    DeleteValue(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID");
    ClearOptions();
  }
  static void ClearOptions() {
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam");
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Mic");
    DeleteValue(HKEY_LOCAL_MACHINE, kCaptureKey, L"NoPhysicalCameraLED");
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Show_Notices");
    RegDeleteTreeW(HKEY_CURRENT_USER, kWebcamConsentKey);
  }
  // A webcam (watched for its name) and a microphone (watched through the device store).
  void AddDevices(bool blocked) {
    const std::wstring problem = blocked ? L" --problem 22" : L"";
    // A device an earlier run left behind would make the add fail.
    for (const wchar_t* id : {kCamId, kMicId}) RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\"");
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kCamId, L"E2E Webcam") + problem), 0);
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kAudioEndpointClass, kMicId, L"E2E Mikrofon") + problem), 0);
    WriteDword(HKEY_LOCAL_MACHINE, kDevicesKey, kMicId, 1);
  }
  void Start(const std::wstring& args) {
    ASSERT_TRUE(program.Start(VeilcapExe(), args));
    ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(kVeilcapWindowClass, program.Pid())) != nullptr; }, 20000));
  }
  bool SearchDone() {
    const std::wstring t = ChildText(main, kLabelStatusCamId);
    return !t.empty() && t != kPleaseWait;
  }
  RECT WindowShotRect() {
    RECT r{};
    GetWindowRect(main, &r);
    InflateRect(&r, 8, 8);
    return r;
  }
  std::wstring ExpectedLowerRight() {
    return std::to_wstring(GetSystemMetrics(SM_CXSCREEN) - 502 - 16) + L"," +
           std::to_wstring(GetSystemMetrics(SM_CYSCREEN) - 332 - 48);
  }
  std::wstring Position() {
    RECT r{};
    GetWindowRect(main, &r);
    return std::to_wstring(r.left) + L"," + std::to_wstring(r.top);
  }
  HWND OpenTrayMenu() {
    TrayClick(main, WM_CONTEXTMENU);
    HWND menu = nullptr;
    WaitFor([&] { return (menu = OpenMenu(program.Pid())) != nullptr; }, 5000);
    Sleep(200);
    return menu;
  }
  void ChooseOption(int downInSubmenu) {
    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr) << "the tray menu did not open";
    for (int i = 0; i < 5; ++i) MenuKey(menu, VK_DOWN);  // "Optionen"
    MenuKey(menu, VK_RIGHT);                             // opens it at its first item
    HWND sub = nullptr;
    WaitFor([&] {
      HWND w = nullptr;
      while ((w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr)
        if (w != menu && IsWindowVisible(w)) sub = w;
      return sub != nullptr;
    }, 3000);
    HWND target = sub ? sub : menu;
    for (int i = 0; i < downInSubmenu; ++i) MenuKey(target, VK_DOWN);
    MenuKey(target, VK_RETURN);
    WaitFor([&] { return OpenMenu(program.Pid()) == nullptr; }, 3000);
  }

  Program program;
  HWND main = nullptr;
};

TEST_F(MainWindowE2E, StartedWithoutArgumentsShowsWaitTextThenTheDevicesAtTheLowerRight) {
  AddDevices(false);
  Start(L"");
  std::vector<std::wstring> seen;
  ASSERT_TRUE(WaitFor([&] {
    const std::wstring t = ChildText(main, kLabelStatusCamId);
    if (!t.empty() && (seen.empty() || seen.back() != t)) seen.push_back(t);
    return t == L"E2E Webcam";
  }, 20000)) << "webcam status never showed the device";
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), kPleaseWait);
  EXPECT_EQ(ChildText(main, kLabelStatusMicId), L"E2E Mikrofon");
  EXPECT_TRUE(IsWindowVisible(main));
  EXPECT_EQ(Position(), ExpectedLowerRight());
  EXPECT_TRUE(WaitFor([&] { return TrayIconExists(main); }, 5000));
  Sleep(500);
  EXPECT_FALSE(SaveScreenshot(L"webcams_on.png", WindowShotRect()).empty());
  // Without a taskbar on the X server, Wine shows the notification area as a window of its own.
  if (HWND tray = FindWindowW(nullptr, L"Wine System Tray")) {
    RECT r{};
    GetWindowRect(tray, &r);
    SaveScreenshot(L"tray_icon_green.png", r);
  }
}

TEST_F(MainWindowE2E, BlockedDevicesAndNoDevices) {
  AddDevices(true);
  Start(L"");
  ASSERT_TRUE(WaitFor([&] { return SearchDone(); }, 20000));
  EXPECT_EQ(ChildText(main, kLabelStatusCamId), L"E2E Webcam");
  EXPECT_EQ(ChildText(main, kLabelStatusMicId), L"E2E Mikrofon");
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  Sleep(500);
  EXPECT_FALSE(SaveScreenshot(L"webcams_off.png", WindowShotRect()).empty());
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(program.WaitExit(10000), 0);

  for (const wchar_t* id : {kCamId, kMicId}) ASSERT_EQ(RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\""), 0);
  Program second;
  ASSERT_TRUE(second.Start(VeilcapExe(), L""));
  ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(kVeilcapWindowClass, second.Pid())) != nullptr; }, 20000));
  ASSERT_TRUE(WaitFor([&] { return SearchDone(); }, 20000));
  EXPECT_EQ(ChildText(main, kLabelStatusCamId), L"Keine Webcam angeschlossen");
  EXPECT_EQ(ChildText(main, kLabelStatusMicId), L"Kein Mikrofon angeschlossen");
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  Sleep(500);
  EXPECT_FALSE(SaveScreenshot(L"webcams_absent.png", WindowShotRect()).empty());
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(second.WaitExit(10000), 0);
}

TEST_F(MainWindowE2E, TrayStartStaysHiddenAndCloseOrMinimizeOnlyHide) {
  Start(L"-tray");
  ASSERT_TRUE(WaitFor([&] { return TrayIconExists(main); }, 10000)) << "no tray icon";
  ASSERT_TRUE(WaitFor([&] { return SearchDone(); }, 20000)) << "no first search";
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(main));

  Program second;
  ASSERT_TRUE(second.Start(VeilcapExe(), L""));
  EXPECT_EQ(second.WaitExit(10000), 0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000)) << "a second start did not show the window";
  EXPECT_EQ(Position(), ExpectedLowerRight());

  struct Button {
    const char* name;
    int x, y;
  };
  for (const Button& b : {Button{"close", 466 + 16, 4 + 16}, Button{"minimize", 428 + 16, 4 + 16}}) {
    ClickClient(main, b.x, b.y);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000)) << b.name << " did not hide the window";
    EXPECT_TRUE(program.Running()) << b.name;
    EXPECT_TRUE(TrayIconExists(main)) << b.name;
    TrayClick(main, WM_LBUTTONUP);  // a left click on the tray icon shows it again
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000)) << "tray click after " << b.name;
  }

  // Explorer restarted: its notification area lost the icon and announces itself again.
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = main;
  nid.uID = kTrayId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  ASSERT_FALSE(TrayIconExists(main));
  PostMessageW(main, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitFor([&] { return TrayIconExists(main); }, 5000)) << "the icon was not added again";
}

TEST_F(MainWindowE2E, TrayMenuOptionsWriteTheRegistryAndQuitSavesAndEnds) {
  Start(L"-tray");
  ASSERT_TRUE(WaitFor([&] { return TrayIconExists(main); }, 10000)) << "no tray icon";
  ASSERT_TRUE(WaitFor([&] { return SearchDone(); }, 20000));

  HWND menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr) << "the tray menu did not open";
  RECT r{};
  GetWindowRect(menu, &r);
  InflateRect(&r, 8, 8);
  EXPECT_FALSE(SaveScreenshot(L"tray_menu.png", r).empty());
  MenuKey(menu, VK_ESCAPE);
  WaitFor([&] { return OpenMenu(program.Pid()) == nullptr; }, 3000);

  DWORD v = 0;
  ChooseOption(0);  // the camera notice of Windows
  EXPECT_TRUE(WaitFor([&] { return ReadDword(HKEY_LOCAL_MACHINE, kCaptureKey, L"NoPhysicalCameraLED", &v); }, 5000));
  EXPECT_EQ(v, 1u);
  EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam", &v));
  EXPECT_EQ(v, 1u);
  ChooseOption(3);  // the webcam privacy switch, checked by default
  EXPECT_TRUE(WaitFor([&] { return ReadDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam", &v) && v == 0; }, 5000));

  // Quitting saves again: a value removed from outside comes back.
  DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Mic");
  menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  MenuKey(menu, VK_UP);  // the last item, "Beenden"
  MenuKey(menu, VK_RETURN);
  EXPECT_EQ(program.WaitExit(10000), 0);
  EXPECT_FALSE(TrayIconExists(main)) << "the tray icon outlived the program";
  EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Mic", &v));
  EXPECT_EQ(v, 1u);
  EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam", &v));
  EXPECT_EQ(v, 0u);
  main = nullptr;
}

// An error inside a menu command is shown in a message box and the program goes on: under Wine
// the device manager cannot be opened.
TEST_F(MainWindowE2E, ErrorInACommandIsShownAndTheProgramGoesOn) {
  Start(L"-tray");
  ASSERT_TRUE(WaitFor([&] { return TrayIconExists(main); }, 10000)) << "no tray icon";
  ASSERT_TRUE(WaitFor([&] { return SearchDone(); }, 20000));
  HWND menu = OpenTrayMenu();
  ASSERT_NE(menu, nullptr);
  for (int i = 0; i < 4; ++i) MenuKey(menu, VK_DOWN);  // "Gerätemanager öffnen"
  MenuKey(menu, VK_RETURN);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindTopWindow(L"#32770", program.Pid())) != nullptr; }, 10000))
      << "no message box";
  // Wine creates the box before it gives it its title.
  wchar_t title[128] = {};
  WaitFor([&] { return GetWindowTextW(box, title, 128) > 0; }, 5000);
  EXPECT_EQ(std::wstring(title), L"Vostrel Veilcap");
  RECT r{};
  GetWindowRect(box, &r);
  InflateRect(&r, 8, 8);
  SaveScreenshot(L"error_box.png", r);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));
  EXPECT_TRUE(program.Running());
  EXPECT_FALSE(ChildText(main, kLabelStatusCamId).empty()) << "the window no longer answers";
  EXPECT_TRUE(TrayIconExists(main));
}
// A program starts and stops using the webcam behind Veilcap's back: the status line, the tray icon
// and one notice follow within a second, and "Show notices" turned off keeps further notices away.
// The notice is found as Wine's balloon window (a tooltip of the notification area).
TEST_F(MainWindowE2E, InUseShowsInStatusAndTrayIconWithOneNoticeUnlessNoticesAreOff) {
  AddDevices(false);
  Start(L"");
  ASSERT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"E2E Webcam"; }, 20000));
  ASSERT_TRUE(WaitFor([&] { return TrayIconExists(main); }, 5000));
  HWND tray = FindWindowW(nullptr, L"Wine System Tray");
  ASSERT_NE(tray, nullptr) << "no notification-area window to look at";
  RECT trayRect{};
  GetWindowRect(tray, &trayRect);
  Sleep(500);
  ASSERT_FALSE(CaptureScreen(trayRect).empty());
  EXPECT_FALSE(ShowsInUseMark(trayRect));

  const ULONGLONG t0 = 134000000000000000ULL;
  WriteWebcamUse(L"C:\\Program Files\\Zoom\\bin\\Zoom.exe", t0, 0);
  EXPECT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"Verwendet von Zoom"; }, 1000))
      << ChildText(main, kLabelStatusCamId);
  EXPECT_TRUE(WaitFor([&] { return ShowsInUseMark(trayRect); }, 1000)) << "the tray icon shows no mark";
  std::wstring notice;
  EXPECT_TRUE(WaitFor([&] { return !(notice = VisibleTooltipWith(L"Zoom")).empty(); }, 3000)) << "no notice shown";
  EXPECT_EQ(notice, L"Zoom verwendet jetzt die Webcam.");
  Sleep(300);
  SaveScreenshot(L"inuse_status_de.png", WindowShotRect());
  RECT shot = trayRect;
  HWND balloon = nullptr;
  while ((balloon = FindWindowExW(nullptr, balloon, L"tooltips_class32", nullptr)) != nullptr)
    if (IsWindowVisible(balloon)) {
      RECT b{};
      GetWindowRect(balloon, &b);
      UnionRect(&shot, &shot, &b);
    }
  InflateRect(&shot, 8, 8);
  const RECT screen{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  IntersectRect(&shot, &shot, &screen);  // a copy that reaches past the screen comes out black
  SaveScreenshot(L"inuse_tray_and_notice.png", shot);

  // The program lets go: all of it goes back.
  WriteWebcamUse(L"C:\\Program Files\\Zoom\\bin\\Zoom.exe", t0, t0 + 600000000ULL);
  EXPECT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"E2E Webcam"; }, 1000));
  EXPECT_TRUE(WaitFor([&] { return !ShowsInUseMark(trayRect); }, 1000)) << "the tray icon kept its mark";

  // "Hinweise anzeigen" off: the next program shows in the status line but in no notice.
  ChooseOption(5);
  DWORD v = 1;
  ASSERT_TRUE(WaitFor([&] { return ReadDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Show_Notices", &v) && v == 0; }, 5000));
  WriteWebcamUse(L"C:\\Tools\\obs64.exe", t0 + 1000000000ULL, 0);
  EXPECT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"Verwendet von obs64"; }, 1000));
  EXPECT_FALSE(WaitFor([&] { return !VisibleTooltipWith(L"obs64").empty(); }, 2000)) << "a notice while they are off";
}

TEST_F(MainWindowE2E, InUseStatusInEnglish) {
  WriteString(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID", L"en-us");
  AddDevices(false);
  Start(L"");
  ASSERT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"E2E Webcam"; }, 20000));
  WriteWebcamUse(L"C:\\Program Files\\Zoom\\bin\\Zoom.exe", 134000000000000000ULL, 0);
  EXPECT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"In use by Zoom"; }, 1000))
      << ChildText(main, kLabelStatusCamId);
  Sleep(300);
  SaveScreenshot(L"inuse_status_en.png", WindowShotRect());
  // A program's name cannot turn the line around ("In use by" spoofing) nor carry an escape
  // sequence: it shows as plain text.
  WriteWebcamUse(L"C:\\Program Files\\Zoom\\bin\\Zoom.exe", 134000000000000000ULL, 134000000000000001ULL);
  WriteWebcamUse(L"C:\\x\\Zoom\u202Eexe.\x1b[2Jtxt.exe", 134000000000000002ULL, 0);
  EXPECT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"In use by Zoomexe.[2Jtxt"; }, 2000))
      << ChildText(main, kLabelStatusCamId).size();
}
}  // namespace


namespace {
// The in-use status line of every shipped language, as the program fits it to its label, measured
// as the label draws it (Segoe UI 13 px, word wrap, 192 px wide, real glyphs for Chinese and
// Japanese): it must stay within the label's 36 px, and a short one is not cut.
TEST(InUseText, FitsTheStatusLabelInEveryLanguage) {
  const std::wstring folder = StageFolder() + L"\\translation";
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
  HGDIOBJ old = SelectObject(dc, font);
  int files = 0;
  WIN32_FIND_DATAW fd{};
  HANDLE h = FindFirstFileW((folder + L"\\*.tlang3").c_str(), &fd);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  do {
    HANDLE f = CreateFileW((folder + L"\\" + fd.cFileName).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    std::wstring text(GetFileSize(f, nullptr) / 2, L'\0');
    DWORD got = 0;
    ReadFile(f, text.data(), DWORD(text.size() * 2), &got, nullptr);
    CloseHandle(f);
    const std::wstring key = L"MESSAGES.MESSAGE_STATUS_INUSE=";
    const size_t at = text.find(key);
    ASSERT_NE(at, std::wstring::npos) << fd.cFileName;
    const std::wstring templ = text.substr(at + key.size(), text.find(L"\r\n", at) - at - key.size());
    const auto measure = [&](const std::wstring& line) {
      RECT r{0, 0, 192, 0};
      DrawTextW(dc, line.c_str(), -1, &r, DT_NOPREFIX | DT_CENTER | DT_WORDBREAK | DT_CALCRECT);
      return r;
    };
    const auto fits = [&](const u16& line) {
      const RECT r = measure(std::wstring(line.begin(), line.end()));
      return r.bottom <= 36 && r.right <= 192;
    };
    // A long packaged-app name, three short names, and the longest the text allows: more than
    // three names of 40 characters (wide Latin letters; Chinese ones).
    const std::vector<DeviceUse> shortUse = {{u"p", u"Microsoft.WindowsCamera"}};
    const std::vector<DeviceUse> three = {{u"z", u"Zoom"}, {u"t", u"Teams"}, {u"o", u"obs64"}, {u"x", u"x"}};
    std::vector<DeviceUse> latin, cjk;  // filled below
    for (char16_t c : {u'A', u'B', u'C', u'D'}) {
      latin.push_back({u16(1, c), u16(40, u'W') + c});
      cjk.push_back({u16(1, c), u16(40, u'\x6F14') + c});
    }
    for (const std::vector<DeviceUse>* uses : std::initializer_list<const std::vector<DeviceUse>*>{&shortUse, &three, &latin, &cjk}) {
      const u16 line = Fit_InUseLine(u16(templ.begin(), templ.end()), *uses, fits);
      const RECT r = measure(std::wstring(line.begin(), line.end()));
      EXPECT_LE(r.bottom, 36) << fd.cFileName << ": " << r.right << " x " << r.bottom;
      EXPECT_LE(r.right, 192) << fd.cFileName;
      if (uses != &latin && uses != &cjk) {
        EXPECT_NE(line.find((*uses)[0].name), u16::npos) << fd.cFileName << ": a short line was cut";
      }
    }
    ++files;
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  EXPECT_EQ(files, 15);
}
}  // namespace

#include <objidl.h>
#include <gdiplus.h>

#include "core/win32/windows_seams.h"
#include "platform/environment.h"
#include "lang/win32/providers.h"
#include "platform/win32/providers.h"
#include "platform/win32/registry_win.h"
#include "ui/thread_timer.h"
#include "ui/win32/main_window_view.h"
#include "ui/win32/providers.h"

namespace {
// A dark high-contrast theme: black windows, white text.
SystemColours HighContrastBlack() { return {true, RGB(0, 0, 0), RGB(255, 255, 255), RGB(26, 235, 255)}; }

// The main window made in this process (its timers never tick: no search, no tray icon), drawn
// with the system colours and with those of a dark high-contrast theme. The status line lies on
// the picture's light text band: in high contrast its white text needs the window colour under it.
// What the program's windows need in this process: GDI+, the registry, the providers, the staged
// pictures; the timers never tick.
class InProcessWindows {
 public:
  InProcessWindows() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
    static WindowsRegistry registry;
    SetRegistryBackend(&registry, false);
    InstallPlatformProviders();
    InstallLangProviders();
    InstallUiProviders();
    SetTimerDispatcher(nullptr);
    SkinsFolder = FromW(StageFolder().c_str()) + u"\\skins";
  }
  ~InProcessWindows() {
    SkinsFolder = skins_;
    UninstallUiProviders();
    SetRegistryBackend(nullptr, false);
    Gdiplus::GdiplusShutdown(token_);
  }
  static void Pump(MainWindowView& view) {
    for (int i = 0; i < 25; ++i) {
      view.ProcessMessages();
      Sleep(20);
    }
  }

 private:
  ULONG_PTR token_ = 0;
  u16 skins_ = SkinsFolder;
};

TEST(MainWindowColours, InHighContrastTheStatusLineLiesOnTheWindowColour) {
  InProcessWindows windows;
  MainWindowView view(GetModuleHandleW(nullptr), {}, MainWindowHooks{}, TrayIcons{}, nullptr);
  ASSERT_TRUE(view.Create());
  view.Form().FormCreate();
  view.Form().Label_Status_Cam->SetCaption(u"Verwendet von Zoom");
  view.ShowAt(40, 40);
  // The theme changes while the window is shown: it reads the colours again and redraws.
  for (bool high : {false, true}) {
    SCOPED_TRACE(high ? "high contrast" : "system colours");
    SetSystemColoursSource(high ? &HighContrastBlack : nullptr);
    SendMessageW(view.Window(), WM_SYSCOLORCHANGE, 0, 0);
    InProcessWindows::Pump(view);
    RECT label = view.PixelRect(*view.Form().Label_Status_Cam);
    MapWindowPoints(view.Window(), nullptr, reinterpret_cast<POINT*>(&label), 2);
    int dark = 0, light = 0, all = 0;
    for (uint32_t p : CaptureScreen(label)) {
      const int r = int(p >> 16), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
      dark += r < 0x30 && g < 0x30 && b < 0x30;
      light += r > 0xD0 && g > 0xD0 && b > 0xD0;
      ++all;
    }
    ASSERT_GT(all, 0);
    // Mostly the backing (or the picture's light band), some text in the other colour.
    EXPECT_GT(high ? dark : light, all * 7 / 10) << dark << " dark, " << light << " light of " << all;
    EXPECT_GT(high ? light : dark, 20) << "no text to be seen";
    RECT window{};
    GetWindowRect(view.Window(), &window);
    SaveScreenshot(high ? L"main_window_high_contrast.png" : L"main_window_system_colours.png", window);
  }
  view.Hide();
  SetSystemColoursSource(nullptr);
}

// An opaque icon of one colour at the notification area's size for the dpi.
HICON PlainIcon(int dpi, COLORREF colour) {
  const int size = MulDiv(16, dpi, 96);
  HDC screen = GetDC(nullptr);
  HBITMAP colourBits = CreateCompatibleBitmap(screen, size, size), mask = CreateBitmap(size, size, 1, 1, nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colourBits);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, brush);
  SelectObject(dc, mask);
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));  // black mask: opaque
  SelectObject(dc, old);
  ICONINFO info{TRUE, 0, 0, mask, colourBits};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(brush);
  DeleteDC(dc);
  DeleteObject(colourBits);
  DeleteObject(mask);
  ReleaseDC(nullptr, screen);
  return icon;
}

int g_primaryDpi = 96;

// The primary monitor goes from 100 % to 150 % while the program runs: the tray icons are loaded
// again at the new scale, once.
TEST(TrayIconScale, TheIconsAreLoadedAgainWhenThePrimaryMonitorsScaleChanges) {
  InProcessWindows windows;
  MainWindowView view(GetModuleHandleW(nullptr), {}, MainWindowHooks{}, TrayIcons{}, nullptr);
  ASSERT_TRUE(view.Create());
  view.Form().FormCreate();
  std::vector<int> loads;
  const auto load = [&loads](int dpi) {
    loads.push_back(dpi);
    HICON i = PlainIcon(dpi, RGB(220, 0, 0));
    return TrayIcons{i, i, i, i, i, i, i, i};
  };
  g_primaryDpi = 96;
  view.SetTrayIconLoader(load, 0, [] { return g_primaryDpi; });
  SendMessageW(view.Window(), WM_DISPLAYCHANGE, 32, 0);
  ASSERT_EQ(loads, std::vector<int>{96});
  view.AddTrayIcon(TrayIconKind::Normal, u"Veilcap");
  SendMessageW(view.Window(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(loads, std::vector<int>{96}) << "loaded again at the same scale";
  g_primaryDpi = 144;
  SendMessageW(view.Window(), WM_SETTINGCHANGE, 0, 0);
  EXPECT_EQ(loads, (std::vector<int>{96, 144}));
  SendMessageW(view.Window(), WM_DISPLAYCHANGE, 32, 0);
  EXPECT_EQ(loads, (std::vector<int>{96, 144}));
  view.RemoveTrayIcon();
}
}  // namespace

// Blocking and unblocking simulated webcams from the main window, the detected-devices window and
// the device monitor, driven from outside. The fake PowerShell really switches the fake devices.
#include <gtest/gtest.h>
#include <windows.h>
#include <wtsapi32.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/lib/e2e.h"
#include "e2e/lib/ui_probe.h"
#include "e2e/tools/fake_devices.h"

namespace {
using fakedev::kCameraClass;
using fakedev::kImageClass;
using fakedev::kAudioEndpointClass;
using fakedev::ProblemCode;
using fakedev::AddCommand;
constexpr wchar_t kLanguageKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";  // HKCU
constexpr wchar_t kOptionsKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";   // HKLM
constexpr wchar_t kDevicesKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Devices";   // HKLM
constexpr wchar_t kLedgerKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Blocked";     // HKLM
constexpr wchar_t kPolicyKey[] = L"SOFTWARE\\Policies\\Vostrel\\Veilcap";             // HKLM
constexpr wchar_t kWebcamConsent[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";
constexpr wchar_t kCamId[] = L"USB\\VID_5986&PID_2113&MI_00\\6&2C11A3F&0&0000";
constexpr wchar_t kVideoId[] = L"USB\\VID_046D&PID_0825&MI_00\\7&1B2C3D4E&0&0000";
constexpr wchar_t kMicId[] = L"SWD\\MMDEVAPI\\{0.0.1.00000000}.{E2E00000-0000-0000-0000-0000000000D8}";
constexpr wchar_t kNewCamId[] = L"USB\\VID_0C45&PID_6366&MI_00\\8&E2E&0&0000";
// The microphone as DirectShow lists it (HKCR); the fake PowerShell hides it here while disabled.
constexpr wchar_t kMicDirectShow[] =
    L"CLSID\\{33D9A762-90C8-11D0-BD43-00A0C911CE86}\\Instance\\{E2E00000-0000-0000-0000-0000000000D8}";
constexpr wchar_t kHiddenDirectShow[] = L"SOFTWARE\\VeilcapFake\\HiddenDirectShow";  // HKLM
// The big webcam picture in the main window's client area (200 x 205 at 36, 94), and the status
// text under it (192 x 36 at 40, 201), which does the same on a click.
constexpr int kWebcamX = 136, kWebcamY = 170;
constexpr int kCamTextX = 136, kCamTextY = 219;

std::wstring ReadText(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t buf[256] = {};
  DWORD size = sizeof buf, type = 0;
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, &type, buf, &size) != ERROR_SUCCESS)
    return L"<none>";
  return buf;
}

// How many screen pixels of a rectangle are close to a colour.
int PixelsNear(const RECT& r, COLORREF c, int tolerance = 40) {
  HDC screen = GetDC(nullptr);
  int n = 0;
  for (int y = r.top; y < r.bottom; y += 2)
    for (int x = r.left; x < r.right; x += 2) {
      COLORREF p = GetPixel(screen, x, y);
      if (p == CLR_INVALID) continue;
      if (abs(GetRValue(p) - GetRValue(c)) <= tolerance && abs(GetGValue(p) - GetGValue(c)) <= tolerance &&
          abs(GetBValue(p) - GetBValue(c)) <= tolerance)
        ++n;
    }
  ReleaseDC(nullptr, screen);
  return n;
}

constexpr COLORREF kRed = RGB(220, 79, 79), kGreen = RGB(35, 193, 61);

// The notification-area icons as Wine shows them without a desktop tray: a small window of their
// own ("Wine System Tray"), which holds only this program's icon here.
RECT TrayRect() {
  RECT r{0, 0, 0, 0};
  HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
  if (!tray) tray = FindWindowW(nullptr, L"Wine System Tray");
  if (tray) GetWindowRect(tray, &r);
  return r;
}

constexpr wchar_t kOthersCamId[] = L"USB\\VID_04F2&PID_B604&MI_00\\9&E2E&0&0000";

struct CliRun {
  long exitCode = -1;
  std::string out;  // UTF-8, as the program writes to a redirected output
};

std::string ReadAll(HANDLE in) {
  std::string out;
  char buf[4096];
  DWORD n = 0;
  while (ReadFile(in, buf, sizeof buf, &n, nullptr) && n > 0) out.append(buf, n);
  return out;
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  return std::wstring(temp) + name;
}

std::wstring VeilcapCom() { return StageFolder() + L"\\Veilcap.com"; }

// Runs Veilcap.exe (or the given program) with the arguments and its standard output redirected to
// a file, as a script would, or to a pipe; waits for its end.
CliRun RunCli(const std::wstring& args, DWORD ms = 60000, const std::wstring& program = VeilcapExe(),
              bool throughPipe = false) {
  CliRun r;
  // A file of its own per run: a console helper of an earlier run (Wine's conhost) may still hold
  // the previous one for a moment.
  static int runs = 0;
  const std::wstring file = TempFile((L"veilcap_cli_out" + std::to_wstring(++runs) + L".txt").c_str());
  SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
  HANDLE out = INVALID_HANDLE_VALUE, pipeRead = nullptr;
  if (throughPipe) {
    if (!CreatePipe(&pipeRead, &out, &sa, 1 << 16)) return r;
    SetHandleInformation(pipeRead, HANDLE_FLAG_INHERIT, 0);
  } else {
    out = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (out == INVALID_HANDLE_VALUE) {
    r.out = "no output file: error " + std::to_string(GetLastError());
    return r;
  }
  Program run;
  if (run.Start(program, args, out)) {
    r.exitCode = run.WaitExit(ms);
    run.Kill();  // one that did not end in time
  } else {
    r.out = "not started: error " + std::to_string(GetLastError());
  }
  CloseHandle(out);
  if (throughPipe) {
    r.out = ReadAll(pipeRead);
    CloseHandle(pipeRead);
    return r;
  }
  HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in != INVALID_HANDLE_VALUE) {
    r.out = ReadAll(in);
    CloseHandle(in);
  }
  DeleteFileW(file.c_str());
  return r;
}

// Runs a command line in cmd as a batch file does, its output redirected to a file
// ("command > file"); the exit code is what cmd saw in %ERRORLEVEL%.
CliRun RunInCmd(const std::wstring& commandLine) {
  const std::wstring bat = TempFile(L"veilcap_cli.bat"), file = TempFile(L"veilcap_cli_cmd.txt");
  const std::wstring text = L"@echo off\r\n" + commandLine + L" > \"" + file + L"\"\r\nexit /b %ERRORLEVEL%\r\n";
  std::string ascii(text.begin(), text.end());
  HANDLE h = CreateFileW(bat.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  DWORD n = 0;
  if (h != INVALID_HANDLE_VALUE) {
    WriteFile(h, ascii.data(), DWORD(ascii.size()), &n, nullptr);
    CloseHandle(h);
  }
  wchar_t system[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  CliRun r = RunCli(L"/c \"" + bat + L"\"", 60000, std::wstring(system) + L"\\cmd.exe");
  HANDLE in = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in != INVALID_HANDLE_VALUE) {
    r.out = ReadAll(in);
    CloseHandle(in);
  }
  DeleteFileW(file.c_str());
  DeleteFileW(bat.c_str());
  return r;
}

std::string Utf8(const std::wstring& w) {
  std::string s(WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), s.data(), int(s.size()), nullptr, nullptr);
  return s;
}
bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class DevicesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(StageFolder().empty()) << "VEILCAP_STAGE is not set";
    WriteString(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID", L"de-de");
    Cleanup();
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kCamId, L"Integrated Camera")), 0);
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kImageClass, kVideoId, L"USB Video Device")), 0);
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kAudioEndpointClass, kMicId, L"Mikrofon (E2E)")), 0);
    WriteDword(HKEY_LOCAL_MACHINE, kDevicesKey, kMicId, 1);
  }
  void TearDown() override {
    if (main && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
    if (program.Running() && program.WaitExit(10000) < 0) program.Kill();
    Cleanup();
    DeleteValue(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID");
  }
  static void Cleanup() {
    for (const wchar_t* id : {kCamId, kVideoId, kMicId, kNewCamId, kOthersCamId}) {
      RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\"");
      DeleteValue(HKEY_LOCAL_MACHINE, kDevicesKey, id);
      DeleteValue(HKEY_CURRENT_USER, kDevicesKey, id);
      DeleteValue(HKEY_LOCAL_MACHINE, kLedgerKey, id);
    }
    RegDeleteTreeW(HKEY_CLASSES_ROOT, kMicDirectShow);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kHiddenDirectShow);
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam");
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Mic");
    for (const wchar_t* name : {L"Keep_Blocked", L"Hotkeys", L"Hotkey_Cam", L"Hotkey_Mic"})
      DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, name);
    DeleteValue(HKEY_LOCAL_MACHINE, kLedgerKey, L"Command_Cam");
    DeleteValue(HKEY_LOCAL_MACHINE, kLedgerKey, L"Command_Mic");
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies\\Vostrel");
    DeleteValue(HKEY_CURRENT_USER, kWebcamConsent, L"Value");
    DeleteValue(HKEY_LOCAL_MACHINE, kWebcamConsent, L"Value");
    for (const wchar_t* name : {L"Consent_Cam_User", L"Consent_Cam_Machine", L"Consent_Mic_User", L"Consent_Mic_Machine"})
      DeleteValue(HKEY_LOCAL_MACHINE, kLedgerKey, name);
  }
  void Start() {
    ASSERT_TRUE(program.Start(VeilcapExe(), L""));
    ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(kVeilcapWindowClass, program.Pid())) != nullptr; }, 20000));
    ASSERT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 20000)) << Cam();
  }
  std::wstring Cam() { return ChildText(main, kLabelStatusCamId); }
  std::wstring Mic() { return ChildText(main, kLabelStatusMicId); }
  bool WaitForCamText(const std::wstring& text, DWORD ms) {
    return WaitFor([&] { return Cam() == text; }, ms);
  }
  RECT WebcamPictureOnScreen() {
    POINT p{36, 94};
    ClientToScreen(main, &p);
    return RECT{p.x, p.y, p.x + 200, p.y + 205};
  }
  RECT MicPictureOnScreen() {
    POINT p{260, 94};
    ClientToScreen(main, &p);
    return RECT{p.x, p.y, p.x + 200, p.y + 205};
  }
  RECT WindowShotRect() {
    RECT r{};
    GetWindowRect(main, &r);
    InflateRect(&r, 8, 8);
    return r;
  }
  HWND OpenDevicesWindow() {
    TrayClick(main, WM_CONTEXTMENU);
    HWND menu = nullptr;
    WaitFor([&] { return (menu = OpenMenu(program.Pid())) != nullptr; }, 5000);
    if (!menu) return nullptr;
    Sleep(200);
    MenuKey(menu, VK_DOWN);  // "Anzeigen"
    MenuKey(menu, VK_DOWN);  // "Entdeckte Geräte"
    MenuKey(menu, VK_RETURN);
    HWND w = nullptr;
    WaitFor([&] { return (w = FindTopWindow(L"TForm_VCP_Devices", program.Pid())) != nullptr && IsWindowVisible(w); }, 5000);
    return w;
  }

  Program program;
  HWND main = nullptr;
};

TEST_F(DevicesE2E, WebcamClickBlocksTheWatchedCamerasAndASecondClickUnblocksThem) {
  Start();
  EXPECT_GT(PixelsNear(WebcamPictureOnScreen(), kGreen), 50);
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_EQ(ProblemCode(kVideoId), 22u);
  EXPECT_EQ(ProblemCode(kMicId), 0u);  // the other kind is left alone
  EXPECT_EQ(Mic(), L"Mikrofon (E2E)");
  // Both privacy options are on by default: the webcam consent is refused for user and machine.
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWebcamConsent, L"Value"), L"Deny");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kWebcamConsent, L"Value"), L"Deny");
  Sleep(500);
  // The picture shows "off" (red) and, with the microphone still on, the tray icon is light blue.
  EXPECT_GT(PixelsNear(WebcamPictureOnScreen(), kRed), 50);
  EXPECT_EQ(PixelsNear(WebcamPictureOnScreen(), kGreen), 0);
  EXPECT_FALSE(SaveScreenshot(L"webcams_blocked.png", WindowShotRect()).empty());

  ClickClient(main, kCamTextX, kCamTextY);
  ASSERT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 0u);
  EXPECT_EQ(ProblemCode(kVideoId), 0u);
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWebcamConsent, L"Value"), L"Allow");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kWebcamConsent, L"Value"), L"Allow");
}

TEST_F(DevicesE2E, BlockingBothKindsTurnsTheTrayIconRed) {
  Start();
  RECT tray{};
  ASSERT_TRUE(WaitFor([&] { tray = TrayRect(); return tray.right > tray.left; }, 5000)) << "no notification-area window";
  EXPECT_GT(PixelsNear(tray, kGreen, 30), 5) << "both kinds on: green";
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 30000)) << Cam();
  ClickClient(main, 360, kWebcamY);  // the microphone picture
  ASSERT_TRUE(WaitFor([&] { return ProblemCode(kMicId) == 22 && Mic() == L"Mikrofon (E2E)"; }, 30000));
  Sleep(800);
  EXPECT_GT(PixelsNear(tray, kRed, 30), 5);
  EXPECT_EQ(PixelsNear(tray, kGreen, 30), 0);
  EXPECT_FALSE(SaveScreenshot(L"tray_blocked.png", tray).empty());
  ClickClient(main, 360, kWebcamY);
  EXPECT_TRUE(WaitFor([&] { return ProblemCode(kMicId) == 0; }, 30000));
}

TEST_F(DevicesE2E, WithThePrivacyOptionOffTheConsentIsLeftAlone) {
  WriteDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam", 0);
  Start();
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWebcamConsent, L"Value"), L"<none>");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kWebcamConsent, L"Value"), L"<none>");
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWebcamConsent, L"Value"), L"<none>");
}

TEST_F(DevicesE2E, UncheckingADeviceStoresZeroAndTheStatusFollowsAtOnce) {
  Start();
  HWND devices = OpenDevicesWindow();
  ASSERT_NE(devices, nullptr) << "the detected-devices window did not open";
  HWND list = FindWindowExW(devices, nullptr, L"SysListView32", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 3);
  RECT client{};
  GetClientRect(devices, &client);
  EXPECT_EQ(client.right, 610);
  EXPECT_EQ(client.bottom, 410);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the window is modal";
  Sleep(300);
  RECT shot{};
  GetWindowRect(devices, &shot);
  EXPECT_FALSE(SaveScreenshot(L"devices_window.png", shot).empty());

  // The rows keep the search's order; find the Integrated Camera's row by its check box state
  // change: click the check box of each row until the camera's store value appears.
  RECT header{};
  GetWindowRect(FindWindowExW(list, nullptr, L"SysHeader32", nullptr), &header);
  const int top = header.bottom - header.top;
  DWORD stored = 99;
  for (int row = 0; row < 3 && stored == 99; ++row) {
    const LPARAM at = MAKELPARAM(8, top + row * 22 + 11);
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    WaitFor([&] { return ReadDword(HKEY_LOCAL_MACHINE, kDevicesKey, kCamId, &stored); }, 1500);
    if (stored == 99) {  // another row changed: put it back
      PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
      PostMessageW(list, WM_LBUTTONUP, 0, at);
      Sleep(300);
    }
  }
  EXPECT_EQ(stored, 0u);
  // At once, without a search: one watched webcam left, named in the status line.
  EXPECT_TRUE(WaitForCamText(L"USB Video Device", 5000)) << Cam();
  GetWindowRect(devices, &shot);
  EXPECT_FALSE(SaveScreenshot(L"devices_window_unchecked.png", shot).empty());

  // Closing runs a refresh, which reads the stored choice back.
  PostMessageW(devices, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(devices) && IsWindowEnabled(main); }, 5000));
  Sleep(500);
  EXPECT_EQ(Cam(), L"USB Video Device");
}

TEST_F(DevicesE2E, ADeviceArrivalMessageRefreshesTheProgram) {
  Start();
  ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kNewCamId, L"HD WebCam")), 0);
  Sleep(1500);
  EXPECT_EQ(Cam(), L"2/2 Webcams bereit") << "nothing tells the program yet";
  const std::wstring path = L"\\\\?\\USB#VID_0C45&PID_6366&MI_00#8&E2E&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";
  ASSERT_EQ(RunTool(L"devchange.exe", L"arrival \"" + path + L"\" {E5323777-F976-4F5B-9B55-B94699C46E44}"), 0);
  EXPECT_TRUE(WaitForCamText(L"3/3 Webcams bereit", 10000)) << Cam();

  ASSERT_EQ(RunTool(L"fakedev.exe", std::wstring(L"remove \"") + kNewCamId + L"\""), 0);
  ASSERT_EQ(RunTool(L"devchange.exe", L"removal \"" + path + L"\""), 0);
  EXPECT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 10000)) << Cam();
  // A custom event builds a description but refreshes nothing.
  ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kNewCamId, L"HD WebCam")), 0);
  ASSERT_EQ(RunTool(L"devchange.exe", L"custom \"" + path + L"\""), 0);
  Sleep(1500);
  EXPECT_EQ(Cam(), L"2/2 Webcams bereit");
}

// Keep-blocked: with the option on and webcams blocked, a camera that arrives is switched off;
// with the option off, or after an unblock, it stays on.
TEST_F(DevicesE2E, KeepBlockedSwitchesOffAnArrivingCameraOnlyWhileWebcamsAreBlocked) {
  const std::wstring path = L"\\\\?\\USB#VID_0C45&PID_6366&MI_00#8&E2E&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";
  auto arrive = [&] {
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kNewCamId, L"HD WebCam")), 0);
    ASSERT_EQ(RunTool(L"devchange.exe", L"arrival \"" + path + L"\" {E5323777-F976-4F5B-9B55-B94699C46E44}"), 0);
  };
  struct Case {
    const char* what;
    DWORD option;
    bool unblockFirst;
    const wchar_t* textAfter;
    uint32_t problemAfter;
  };
  for (const Case& c : {Case{"option on", 1, false, L"0/3 Webcams bereit", 22},
                        Case{"option off", 0, false, L"1/3 Webcams bereit", 0},
                        Case{"unblocked again", 1, true, L"3/3 Webcams bereit", 0}}) {
    SCOPED_TRACE(c.what);
    WriteDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Keep_Blocked", c.option);
    Start();
    ClickClient(main, kWebcamX, kWebcamY);
    ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 30000)) << Cam();
    DWORD recorded = 0;
    EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, L"Command_Cam", &recorded) && recorded == 1);
    if (c.unblockFirst) {
      ClickClient(main, kWebcamX, kWebcamY);
      ASSERT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 30000)) << Cam();
      EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, L"Command_Cam", &recorded));
    }
    arrive();
    EXPECT_TRUE(WaitForCamText(c.textAfter, 30000)) << Cam();
    EXPECT_EQ(ProblemCode(kNewCamId), c.problemAfter);
    if (c.problemAfter == 22) {
      EXPECT_FALSE(SaveScreenshot(L"keep_blocked_arrival.png", WindowShotRect()).empty());
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_GE(program.WaitExit(10000), 0);
    program.Kill();  // closes the handles of the ended run
    Cleanup();
    SetUp();
  }
}

// The hotkeys reach the window as WM_HOTKEY with their id (Wine delivers a real key press only to
// a window with the X focus, so the message is posted here): the webcam key toggles like a click;
// with the option off nothing happens.
TEST_F(DevicesE2E, TheWebcamHotkeyTogglesTheCamerasUnlessTheOptionIsOff) {
  Start();
  PostMessageW(main, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'C'));
  ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  // Unblocking asks first, in a question of Veilcap's own: Escape switches nothing, Enter (the
  // default button) unblocks.
  for (const wchar_t* key : {L"Escape", L"Return"}) {
    PostMessageW(main, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'C'));
    HWND ask = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (ask = FindTopWindow(L"#32770", program.Pid())) != nullptr && IsWindowVisible(ask); },
                        10000))
        << "no question before the unblock";
    Sleep(500);
    EXPECT_EQ(ProblemCode(kCamId), 22u) << "switched before the answer";
    SaveScreenshot(L"hotkey_unblock_question.png", [&] {
      RECT r{};
      GetWindowRect(ask, &r);
      return r;
    }());
    ASSERT_TRUE(TypeKeys(ask, key)) << "xdotool or the X window is missing";
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(ask) || !IsWindowVisible(ask); }, 10000)) << Utf8(key);
    if (std::wstring(key) == L"Escape") {
      Sleep(1500);
      EXPECT_EQ(Cam(), L"0/2 Webcams bereit");
      EXPECT_EQ(ProblemCode(kCamId), 22u) << "a cancelled question switched";
    }
  }
  ASSERT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 0u);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_GE(program.WaitExit(10000), 0);
  program.Kill();  // closes the handles of the ended run

  WriteDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Hotkeys", 0);
  Start();
  PostMessageW(main, WM_HOTKEY, 1, MAKELPARAM(MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'C'));
  Sleep(3000);
  EXPECT_EQ(Cam(), L"2/2 Webcams bereit");
  EXPECT_EQ(ProblemCode(kCamId), 0u);
}

// The command line while the tray program runs: status, block and unblock from a script, and the
// program's pictures and tray icon follow at once.
TEST_F(DevicesE2E, CommandLineBlocksAndUnblocksWhileTheTrayProgramRuns) {
  Start();
  RECT tray{};
  ASSERT_TRUE(WaitFor([&] { tray = TrayRect(); return tray.right > tray.left; }, 5000)) << "no notification-area window";
  const std::string cam = Utf8(kCamId), video = Utf8(kVideoId);

  CliRun r = RunCli(L"-STATUS cam");
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_TRUE(Has(r.out, "CAM\ton\tIntegrated Camera\t" + cam + "\r\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "CAM\ton\tUSB Video Device\t" + video + "\r\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "CAM: 2/2 Webcams bereit\r\n")) << r.out;
  EXPECT_FALSE(Has(r.out, "MIC")) << r.out;
  r = RunCli(L"-STATUS ALL -JSON");
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_EQ(r.out.rfind("{\"exitCode\":1,\"devices\":[", 0), 0u) << r.out;
  EXPECT_TRUE(Has(r.out, "\"instanceId\":\"USB\\\\VID_5986&PID_2113&MI_00\\\\6&2C11A3F&0&0000\"")) << r.out;
  EXPECT_TRUE(Has(r.out, "{\"kind\":\"MIC\",\"watched\":1,\"working\":1,")) << r.out;

  r = RunCli(L"-BLOCK CAM");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_EQ(ProblemCode(kVideoId), 22u);
  EXPECT_EQ(ProblemCode(kMicId), 0u);
  DWORD recorded = 0;
  EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, kCamId, &recorded) && recorded == 1);
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWebcamConsent, L"Value"), L"Deny");
  // The running program was told: its status line and tray icon follow without a click.
  EXPECT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 2500)) << Cam();
  EXPECT_TRUE(WaitFor([&] { return PixelsNear(tray, kGreen, 30) == 0; }, 2500)) << "the tray icon stays green";
  EXPECT_FALSE(SaveScreenshot(L"cli_blocked_tray.png", tray).empty());
  r = RunCli(L"-Status CAM");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_TRUE(Has(r.out, "CAM\toff\tIntegrated Camera\t")) << r.out;

  r = RunCli(L"-UNBLOCK cam");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(ProblemCode(kCamId), 0u);
  EXPECT_EQ(ProblemCode(kVideoId), 0u);
  EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, kCamId, &recorded));
  EXPECT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 2500)) << Cam();
  EXPECT_TRUE(WaitFor([&] { return PixelsNear(tray, kGreen, 30) > 5; }, 2500)) << "the tray icon is green again";

  // Bad usage: text and exit code 2, nothing switched, the tray program still there.
  for (const wchar_t* bad : {L"-BLOCK", L"-STATUS WEBCAM", L"-UNBLOCK CAM MIC", L"-RESTORE ALL"}) {
    r = RunCli(bad);
    EXPECT_EQ(r.exitCode, 2) << Utf8(bad);
    EXPECT_TRUE(Has(r.out, "Befehlszeile")) << r.out;
  }
  EXPECT_TRUE(program.Running());
  r = RunCli(L"/?");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_TRUE(Has(r.out, "Veilcap -RESTORE")) << r.out;
}

// The watch list lives where only administrators write: once the machine store exists, a 0 that
// any program of the user can write to the user's hive does not unwatch a camera.
TEST_F(DevicesE2E, AZeroInTheUsersHiveChangesNothingOnceTheMachineStoreExists) {
  WriteDword(HKEY_CURRENT_USER, kDevicesKey, kCamId, 0);
  Start();  // both cameras still counted
  CliRun r = RunCli(L"-STATUS CAM");
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_TRUE(Has(r.out, "CAM\ton\tIntegrated Camera\t" + Utf8(kCamId) + "\r\n")) << r.out;
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  DeleteValue(HKEY_CURRENT_USER, kDevicesKey, kCamId);
}

// A policy written while the tray program runs (a Group Policy refresh): the webcams go off within
// seconds, a click does not unblock them but says why, the command line is refused with exit code
// 5; without the value a click unblocks again.
TEST_F(DevicesE2E, APolicyWrittenWhileRunningBlocksWebcamsAndRefusesTheirUnblock) {
  Start();
  WriteDword(HKEY_LOCAL_MACHINE, kPolicyKey, L"BlockWebcams", 1);
  ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 5000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_EQ(ProblemCode(kVideoId), 22u);
  EXPECT_EQ(ProblemCode(kMicId), 0u);

  ClickClient(main, kWebcamX, kWebcamY);
  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindTopWindow(L"#32770", program.Pid())) != nullptr && IsWindowVisible(box); }, 10000))
      << "no refusal shown";
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  EXPECT_STREQ(text, L"Von Ihrer Organisation blockiert");
  Sleep(300);
  EXPECT_FALSE(SaveScreenshot(L"policy_refused.png", WindowShotRect()).empty());
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box); }, 5000));
  EXPECT_EQ(ProblemCode(kCamId), 22u);

  CliRun r = RunCli(L"-UNBLOCK CAM");
  EXPECT_EQ(r.exitCode, 5) << r.out;
  EXPECT_TRUE(Has(r.out, "Von Ihrer Organisation blockiert\r\n")) << r.out;
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  r = RunCli(L"-STATUS CAM");
  EXPECT_TRUE(Has(r.out, "POLICY\tBlockWebcams\t1\r\n")) << r.out;
  r = RunCli(L"-STATUS -JSON");
  EXPECT_TRUE(Has(r.out, "\"policies\":{\"BlockWebcams\":1}}")) << r.out;

  DeleteValue(HKEY_LOCAL_MACHINE, kPolicyKey, L"BlockWebcams");
  Sleep(1500);  // the watch reads the key again
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 0u);
}

// A session lock (posted as the system would) blocks the kinds that work and the unlock gives back
// exactly those: webcams the user blocked before stay blocked.
TEST_F(DevicesE2E, ASessionLockBlocksTheWorkingKindsAndTheUnlockGivesBackExactlyThose) {
  Start();
  WriteDword(HKEY_LOCAL_MACHINE, kPolicyKey, L"BlockWhileLocked", 1);  // forces the option on
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitForCamText(L"0/2 Webcams bereit", 30000)) << Cam();
  PostMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  ASSERT_TRUE(WaitFor([&] { return ProblemCode(kMicId) == 22u; }, 30000)) << "the microphone stays on while locked";
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_EQ(FindTopWindow(L"#32770", program.Pid()), nullptr) << "no box while locked";
  PostMessageW(main, WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
  ASSERT_TRUE(WaitFor([&] { return ProblemCode(kMicId) == 0u; }, 30000)) << "the microphone was not given back";
  Sleep(1000);
  EXPECT_EQ(ProblemCode(kCamId), 22u) << "blocked by the user before the lock";
  EXPECT_EQ(ProblemCode(kVideoId), 22u);
  EXPECT_EQ(Cam(), L"0/2 Webcams bereit");
}

// Restoring switches on what Veilcap switched off and nothing else: a camera someone else disabled
// stays off.
// Veilcap's own environment is what unelevated programs can shape (Wine hands the Linux one in, as
// Windows hands an elevated program the user's): PowerShell must see none of it.
TEST_F(DevicesE2E, RestoreLeavesADeviceDisabledElsewhereAlone) {
  ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kOthersCamId, L"Disabled Elsewhere") + L" --problem 22"), 0);
  WriteDword(HKEY_LOCAL_MACHINE, kDevicesKey, kOthersCamId, 0);
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring psLog = std::wstring(temp) + L"veilcap_e2e_powershell.log";
  DeleteFileW(psLog.c_str());
  WriteString(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapFake", L"PowerShellLog", psLog.c_str());
  const std::wstring userModules = std::wstring(temp) + L"Modules";
  const std::pair<const wchar_t*, std::wstring> hostile[] = {{L"COR_ENABLE_PROFILING", L"1"},
                                                             {L"COR_PROFILER_PATH", std::wstring(temp) + L"p.dll"},
                                                             {L"PSModulePath", userModules},
                                                             {L"VEILCAP_E2E_ANYTHING", L"42"}};
  for (const auto& [name, value] : hostile) SetEnvironmentVariableW(name, value.c_str());
  // Also a watched camera switched off in the Device Manager before the block.
  ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kNewCamId, L"Webcam Switched Off Before") + L" --problem 22"), 0);
  CliRun r = RunCli(L"-BLOCK CAM");
  for (const auto& entry : hostile) SetEnvironmentVariableW(entry.first, nullptr);
  DeleteValue(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapFake", L"PowerShellLog");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  ASSERT_EQ(ProblemCode(kCamId), 22u) << r.out;
  ASSERT_EQ(ProblemCode(kVideoId), 22u) << r.out;
  {
    std::string log;
    HANDLE in = CreateFileW(psLog.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    char buf[4096];
    DWORD n = 0;
    while (in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &n, nullptr) && n > 0) log.append(buf, n);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    DeleteFileW(psLog.c_str());
    wchar_t windows[MAX_PATH] = {};
    GetSystemWindowsDirectoryW(windows, MAX_PATH);
    const std::string w = Utf8(windows);
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n') > 0 && Has(log, "APPLIED"), true) << log;
    for (const char* gone : {"ENV COR_", "ENV VEILCAP_E2E", "ENV COMPlus"}) EXPECT_FALSE(Has(log, gone)) << gone << "\n" << log;
    EXPECT_FALSE(Has(log, Utf8(userModules))) << log;
    // Environment names compare without regard to case; Windows writes these two as shown.
    EXPECT_TRUE(Has(log, "ENV PSModulePath=" + w + "\\System32\\WindowsPowerShell\\v1.0\\Modules\r\n")) << log;
    EXPECT_TRUE(Has(log, "ENV SystemRoot=" + w + "\r\n")) << log;
    EXPECT_TRUE(Has(log, "ENV TEMP=" + w + "\\Temp\r\n")) << log;
    EXPECT_TRUE(Has(log, "ENV Path=" + w + "\\System32;" + w + ";")) << log;
  }
  DWORD recorded = 0;
  EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, kOthersCamId, &recorded));
  EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, kNewCamId, &recorded));

  r = RunCli(L"-RESTORE");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(ProblemCode(kNewCamId), 22u) << r.out;
  EXPECT_EQ(ProblemCode(kCamId), 0u) << r.out;
  EXPECT_EQ(ProblemCode(kVideoId), 0u) << r.out;
  EXPECT_EQ(ProblemCode(kOthersCamId), 22u) << r.out;
  EXPECT_TRUE(Has(r.out, "CAM\ton\tIntegrated Camera\t" + Utf8(kCamId) + "\r\n")) << r.out;
  for (const wchar_t* id : {kCamId, kVideoId}) EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, id, &recorded));
  // Nothing left to restore.
  r = RunCli(L"-restore");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  EXPECT_EQ(ProblemCode(kOthersCamId), 22u);
}

// The console companion: the status in the console program itself, to a file through cmd and to
// a pipe, in UTF-8 with text outside the ANSI code page; the switching runs through the
// elevated program (Wine starts it at once), their text and exit code passed on.
TEST_F(DevicesE2E, TheConsoleCompanionAnswersInTheConsoleThatAsked) {
  // Russian: the summary lines lie outside the ANSI code page.
  WriteString(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID", L"ru-ru");
  ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kNewCamId, L"HD WebCam")), 0);
  WriteDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam", 1);
  const std::string ready3 = "CAM: \xD0\x93\xD0\xBE\xD1\x82\xD0\xBE\xD0\xB2\xD0\xBE \xD0\xB2\xD0\xB5\xD0\xB1-"
                             "\xD0\xBA\xD0\xB0\xD0\xBC\xD0\xB5\xD1\x80: 3/3\r\n";  // "Готово веб-камер: 3/3"
  const std::string line = "CAM\ton\tHD WebCam\t" + Utf8(kNewCamId) + "\r\n";

  CliRun r = RunInCmd(L"\"" + VeilcapCom() + L"\" -STATUS CAM");
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_TRUE(Has(r.out, line)) << r.out;
  EXPECT_TRUE(Has(r.out, ready3)) << r.out;
  EXPECT_NE(r.out.substr(0, 3), "\xEF\xBB\xBF") << "no byte-order mark";
  r = RunCli(L"-status cam -json", 60000, VeilcapCom(), true);
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_TRUE(Has(r.out, "\"text\":\"" + ready3.substr(5, ready3.size() - 7) + "\"")) << r.out;
  EXPECT_EQ(RunInCmd(L"\"" + VeilcapCom() + L"\" -STATUS WEBCAM").exitCode, 2);

  r = RunInCmd(L"\"" + VeilcapCom() + L"\" -BLOCK CAM");
  EXPECT_EQ(r.exitCode, 0) << r.out;
  for (const wchar_t* id : {kCamId, kVideoId, kNewCamId}) EXPECT_EQ(ProblemCode(id), 22u) << Utf8(id);
  EXPECT_TRUE(Has(r.out, "CAM\toff\tHD WebCam\t")) << r.out;
  EXPECT_TRUE(Has(r.out, ": 0/3\r\n")) << r.out;
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWebcamConsent, L"Value"), L"Deny");
  r = RunCli(L"-STATUS CAM", 60000, VeilcapCom(), true);
  EXPECT_EQ(r.exitCode, 0) << r.out;

  // Restore: every camera and the consent come back, through the companion too.
  r = RunCli(L"-RESTORE", 60000, VeilcapCom(), true);
  EXPECT_EQ(r.exitCode, 0) << r.out;
  for (const wchar_t* id : {kCamId, kVideoId, kNewCamId}) EXPECT_EQ(ProblemCode(id), 0u) << Utf8(id);
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kWebcamConsent, L"Value"), L"Allow");
  EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kWebcamConsent, L"Value"), L"Allow");
  DWORD recorded = 0;
  EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, L"Command_Cam", &recorded));
  EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, L"Consent_Cam_User", &recorded));
}

// Windows stops listing a disabled microphone in DirectShow. One that is watched only because
// DirectShow lists it must still show as off, and a second click must switch it on again.
TEST_F(DevicesE2E, AMicrophoneListedOnlyByDirectShowCanBeBlockedAndUnblocked) {
  DeleteValue(HKEY_LOCAL_MACHINE, kDevicesKey, kMicId);
  HKEY entry = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, kMicDirectShow, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &entry, nullptr),
            ERROR_SUCCESS);
  auto setText = [&](const wchar_t* name, const std::wstring& text) {
    RegSetValueExW(entry, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * sizeof(wchar_t)));
  };
  setText(L"FriendlyName", L"Mikrofon (E2E)");
  setText(L"VeilcapFakeInstanceId", kMicId);
  RegCloseKey(entry);
  auto listed = [] {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kMicDirectShow, 0, KEY_READ, &k) != ERROR_SUCCESS) return false;
    RegCloseKey(k);
    return true;
  };
  DWORD ledger = 0;

  Start();
  ASSERT_TRUE(WaitFor([&] { return Mic() == L"Mikrofon (E2E)"; }, 10000)) << "not watched through DirectShow";
  ClickClient(main, 360, kWebcamY);
  ASSERT_TRUE(WaitFor([&] { return ProblemCode(kMicId) == 22; }, 30000));
  // The stand-in sets the problem code first and then takes the entry out of DirectShow.
  EXPECT_TRUE(WaitFor([&] { return !listed(); }, 5000)) << "the stand-in did not take it out of DirectShow";
  ASSERT_TRUE(WaitFor([&] { return Mic() == L"Mikrofon (E2E)"; }, 10000)) << Mic();
  Sleep(800);
  EXPECT_EQ(Mic(), L"Mikrofon (E2E)") << "must not turn to no microphone";
  EXPECT_GT(PixelsNear(MicPictureOnScreen(), kRed), 50) << "the picture shows off";
  EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, kMicId, &ledger));
  EXPECT_EQ(ledger, 1u);
  EXPECT_FALSE(SaveScreenshot(L"microphone_blocked_directshow_only.png", WindowShotRect()).empty());

  ClickClient(main, 360, kWebcamY);
  ASSERT_TRUE(WaitFor([&] { return ProblemCode(kMicId) == 0; }, 30000));
  EXPECT_TRUE(listed());
  EXPECT_TRUE(WaitFor([&] { return !ReadDword(HKEY_LOCAL_MACHINE, kLedgerKey, kMicId, &ledger); }, 5000));
  Sleep(800);
  EXPECT_EQ(Mic(), L"Mikrofon (E2E)");
  EXPECT_GT(PixelsNear(MicPictureOnScreen(), kGreen), 50);
}

TEST_F(DevicesE2E, ABurstOfDeviceMessagesRunsAtMostTwoSearches) {
  Start();
  DebugListener debug;
  ASSERT_TRUE(debug.Listening());
  ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kNewCamId, L"HD WebCam")), 0);
  const std::wstring path = L"\\\\?\\USB#VID_0C45&PID_6366&MI_00#8&E2E&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";
  ASSERT_EQ(RunTool(L"devchange.exe", L"arrival \"" + path + L"\" {E5323777-F976-4F5B-9B55-B94699C46E44} 20"), 0);
  EXPECT_TRUE(WaitForCamText(L"3/3 Webcams bereit", 10000)) << Cam();
  Sleep(1500);  // a refresh still waiting would have run by now
  const int searches = debug.Count(program.Pid(), "VLCP: device search");
  EXPECT_GE(searches, 1);
  EXPECT_LE(searches, 2) << "twenty messages, each a full search";
  EXPECT_EQ(Cam(), L"3/3 Webcams bereit");
}

}  // namespace


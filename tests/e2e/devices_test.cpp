// Blocking and unblocking simulated webcams from the main window, the detected-devices window and
// the device monitor, driven from outside. The fake PowerShell really switches the fake devices.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "e2e/lib/e2e.h"
#include "e2e/lib/ui_probe.h"
#include "e2e/tools/fake_devices.h"

namespace {
constexpr wchar_t kLanguageKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";  // HKCU
constexpr wchar_t kOptionsKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";   // HKLM
constexpr wchar_t kDevicesKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Devices";   // HKCU
constexpr wchar_t kWebcamConsent[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";
constexpr wchar_t kCameraClass[] = L"{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}";
constexpr wchar_t kImageClass[] = L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
constexpr wchar_t kAudioEndpointClass[] = L"{C166523C-FE0C-4A94-A586-F1A80CFBBF3E}";
constexpr wchar_t kCamId[] = L"USB\\VID_5986&PID_2113&MI_00\\6&2C11A3F&0&0000";
constexpr wchar_t kVideoId[] = L"USB\\VID_046D&PID_0825&MI_00\\7&1B2C3D4E&0&0000";
constexpr wchar_t kMicId[] = L"SWD\\MMDEVAPI\\{0.0.1.00000000}.{E2E00000-0000-0000-0000-0000000000D8}";
constexpr wchar_t kNewCamId[] = L"USB\\VID_0C45&PID_6366&MI_00\\8&E2E&0&0000";
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

uint32_t ProblemCode(const wchar_t* id) {
  uint32_t v = 0xFFFFFFFF;
  if (!fakedev::ReadUint32(id, fakedev::KeyProblemCode(), &v)) return 0;  // never set: working
  return v;
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

class DevicesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(StageFolder().empty()) << "VEILCAP_STAGE is not set";
    WriteString(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID", L"de-de");
    Cleanup();
    ASSERT_EQ(RunTool(L"fakedev.exe", Add(kCameraClass, kCamId, L"Integrated Camera")), 0);
    ASSERT_EQ(RunTool(L"fakedev.exe", Add(kImageClass, kVideoId, L"USB Video Device")), 0);
    ASSERT_EQ(RunTool(L"fakedev.exe", Add(kAudioEndpointClass, kMicId, L"Mikrofon (E2E)")), 0);
    WriteDword(HKEY_CURRENT_USER, kDevicesKey, kMicId, 1);
  }
  void TearDown() override {
    if (main && IsWindow(main)) PostMessageW(main, WM_CLOSE, 0, 0);
    if (program.Running() && program.WaitExit(10000) < 0) program.Kill();
    Cleanup();
    DeleteValue(HKEY_CURRENT_USER, kLanguageKey, L"ForceLanguage_LCID");
  }
  static std::wstring Add(const wchar_t* cls, const wchar_t* id, const wchar_t* name) {
    return std::wstring(L"add ") + cls + L" \"" + id + L"\" \"" + name + L"\"";
  }
  static void Cleanup() {
    for (const wchar_t* id : {kCamId, kVideoId, kMicId, kNewCamId}) {
      RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\"");
      DeleteValue(HKEY_CURRENT_USER, kDevicesKey, id);
    }
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam");
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Mic");
    DeleteValue(HKEY_CURRENT_USER, kWebcamConsent, L"Value");
    DeleteValue(HKEY_LOCAL_MACHINE, kWebcamConsent, L"Value");
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
    WaitFor([&] { return ReadDword(HKEY_CURRENT_USER, kDevicesKey, kCamId, &stored); }, 1500);
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
  ASSERT_EQ(RunTool(L"fakedev.exe", Add(kCameraClass, kNewCamId, L"HD WebCam")), 0);
  Sleep(1500);
  EXPECT_EQ(Cam(), L"2/2 Webcams bereit") << "nothing tells the program yet";
  const std::wstring path = L"\\\\?\\USB#VID_0C45&PID_6366&MI_00#8&E2E&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";
  ASSERT_EQ(RunTool(L"devchange.exe", L"arrival \"" + path + L"\" {E5323777-F976-4F5B-9B55-B94699C46E44}"), 0);
  EXPECT_TRUE(WaitForCamText(L"3/3 Webcams bereit", 10000)) << Cam();

  ASSERT_EQ(RunTool(L"fakedev.exe", std::wstring(L"remove \"") + kNewCamId + L"\""), 0);
  ASSERT_EQ(RunTool(L"devchange.exe", L"removal \"" + path + L"\""), 0);
  EXPECT_TRUE(WaitForCamText(L"2/2 Webcams bereit", 10000)) << Cam();
  // A custom event builds a description but refreshes nothing.
  ASSERT_EQ(RunTool(L"fakedev.exe", Add(kCameraClass, kNewCamId, L"HD WebCam")), 0);
  ASSERT_EQ(RunTool(L"devchange.exe", L"custom \"" + path + L"\""), 0);
  Sleep(1500);
  EXPECT_EQ(Cam(), L"2/2 Webcams bereit");
}

TEST_F(DevicesE2E, ABurstOfDeviceMessagesRunsAtMostTwoSearches) {
  Start();
  DebugListener debug;
  ASSERT_TRUE(debug.Listening());
  ASSERT_EQ(RunTool(L"fakedev.exe", Add(kCameraClass, kNewCamId, L"HD WebCam")), 0);
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

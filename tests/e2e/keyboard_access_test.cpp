// Veilcap.exe without a mouse: real key presses through the X server reach the big pictures, and a
// screen reader's view of the main window (the accessibility objects) names the two toggles and
// follows a block.
#include <gtest/gtest.h>

#include <oleacc.h>
#include <shellapi.h>

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
constexpr wchar_t kWebcamConsent[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";
constexpr wchar_t kMicConsent[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\microphone";
constexpr wchar_t kCamId[] = L"USB\\VID_5986&PID_2113&MI_00\\6&2C11A3F&0&0A11";
constexpr wchar_t kVideoId[] = L"USB\\VID_046D&PID_0825&MI_00\\7&1B2C3D4E&0&0A11";
constexpr wchar_t kMicId[] = L"SWD\\MMDEVAPI\\{0.0.1.00000000}.{E2E00000-0000-0000-0000-000000000A11}";
// Child window ids of the webcam and microphone pictures.
constexpr int kWebcamButtonId = 111, kMicButtonId = 112;

// How many pixels of a rectangle of the screen have exactly the colour (copied once, then counted).
int PixelsOf(const RECT& r, COLORREF c) {
  const uint32_t want = (uint32_t(GetRValue(c)) << 16) | (uint32_t(GetGValue(c)) << 8) | GetBValue(c);
  const std::vector<uint32_t> px = CaptureScreen(r);
  return int(std::count(px.begin(), px.end(), want));
}

struct AccessibleButton {
  HWND window = nullptr;
  std::wstring name;
  long role = 0;
};

// What a screen reader finds among the children of the main window's client area: for each child
// window, the role and name its own client object reports.
std::vector<AccessibleButton> AccessibleChildrenOf(HWND main) {
  std::vector<AccessibleButton> found;
  IAccessible* client = nullptr;
  if (FAILED(AccessibleObjectFromWindow(main, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&client))) ||
      !client)
    return found;
  long count = 0;
  client->get_accChildCount(&count);
  std::vector<VARIANT> children(size_t(count > 0 ? count : 0));
  long got = 0;
  if (count > 0 && SUCCEEDED(AccessibleChildren(client, 0, count, children.data(), &got))) {
    for (long i = 0; i < got; ++i) {
      VARIANT& v = children[size_t(i)];
      HWND w = nullptr;
      if (v.vt == VT_DISPATCH && v.pdispVal) {
        IAccessible* child = nullptr;
        if (SUCCEEDED(v.pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
          WindowFromAccessibleObject(child, &w);
          child->Release();
        }
      }
      VariantClear(&v);
      IAccessible* object = nullptr;
      if (!w || FAILED(AccessibleObjectFromWindow(w, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object))) ||
          !object)
        continue;
      AccessibleButton b;
      b.window = w;
      VARIANT self;
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      BSTR name = nullptr;
      if (object->get_accName(self, &name) == S_OK && name) b.name = name;
      SysFreeString(name);
      VARIANT role;
      VariantInit(&role);
      if (SUCCEEDED(object->get_accRole(self, &role)) && role.vt == VT_I4) b.role = role.lVal;
      object->Release();
      found.push_back(b);
    }
  }
  client->Release();
  return found;
}

class KeyboardAccessE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(StageFolder().empty()) << "VEILCAP_STAGE is not set";
    CoInitialize(nullptr);
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
    CoUninitialize();
  }
  static void Cleanup() {
    for (const wchar_t* id : {kCamId, kVideoId, kMicId}) {
      RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\"");
      DeleteValue(HKEY_LOCAL_MACHINE, kDevicesKey, id);
    }
    // What the clicks recorded (devices, commands, consents): a later -RESTORE would report
    // these devices as not found.
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kLedgerKey);
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam");
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Mic");
    for (const wchar_t* key : {kWebcamConsent, kMicConsent}) {
      DeleteValue(HKEY_CURRENT_USER, key, L"Value");
      DeleteValue(HKEY_LOCAL_MACHINE, key, L"Value");
    }
  }
  void Start() {
    ASSERT_TRUE(program.Start(VeilcapExe(), L""));
    ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(kVeilcapWindowClass, program.Pid())) != nullptr; }, 20000));
    ASSERT_TRUE(WaitFor([&] { return Cam() == L"2/2 Webcams bereit"; }, 20000)) << Cam();
    ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000));
  }
  std::wstring Cam() { return ChildText(main, kLabelStatusCamId); }
  RECT WindowShotRect() {
    RECT r{};
    GetWindowRect(main, &r);
    InflateRect(&r, 8, 8);
    return r;
  }

  Program program;
  HWND main = nullptr;
};

TEST_F(KeyboardAccessE2E, TabSpaceAndEnterBlockTheKindsAndEscHides) {
  Start();
  HWND webcam = GetDlgItem(main, kWebcamButtonId), mic = GetDlgItem(main, kMicButtonId);
  ASSERT_NE(webcam, nullptr);
  ASSERT_NE(mic, nullptr);
  ASSERT_TRUE(TypeKeys(main, L"Tab")) << "xdotool or the X window is missing";
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == webcam; }, 5000)) << "Tab did not reach the webcam picture";
  Sleep(300);
  // The focus ring: the selection colour along the picture's edges, none of it elsewhere.
  RECT picture{};
  GetWindowRect(webcam, &picture);
  const COLORREF ring = GetSysColor(COLOR_HIGHLIGHT);
  EXPECT_GE(PixelsOf(picture, ring), 1500);  // two frames of about 800 pixels each
  RECT micPicture{};
  GetWindowRect(mic, &micPicture);
  EXPECT_EQ(PixelsOf(micPicture, ring), 0);
  EXPECT_FALSE(SaveScreenshot(L"keyboard_focus_webcam.png", WindowShotRect()).empty());

  ASSERT_TRUE(TypeKeys(main, L"space"));
  ASSERT_TRUE(WaitFor([&] { return Cam() == L"0/2 Webcams bereit"; }, 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_EQ(ProblemCode(kVideoId), 22u);
  EXPECT_EQ(ProblemCode(kMicId), 0u);
  EXPECT_EQ(FocusOf(main), webcam) << "the focus stays on the picture through the command";

  ASSERT_TRUE(TypeKeys(main, L"Tab"));
  ASSERT_TRUE(WaitFor([&] { return FocusOf(main) == mic; }, 5000)) << "Tab did not move on to the microphone";
  ASSERT_TRUE(TypeKeys(main, L"Return"));
  EXPECT_TRUE(WaitFor([&] { return ProblemCode(kMicId) == 22u; }, 30000));
  EXPECT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusMicId) == L"Mikrofon (E2E)"; }, 10000));
  Sleep(300);
  EXPECT_FALSE(SaveScreenshot(L"keyboard_focus_mic_blocked.png", WindowShotRect()).empty());

  ASSERT_TRUE(TypeKeys(main, L"Escape"));
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000)) << "Esc did not hide the window";
  EXPECT_TRUE(program.Running());
  // Enter on the tray icon (what the shell reports for it) shows the window again.
  TrayClick(main, NIN_KEYSELECT);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000));
}

TEST_F(KeyboardAccessE2E, ScreenReadersFindTheTogglesByNameAndHearABlock) {
  Start();
  auto find = [&](int id) {
    AccessibleButton r;
    for (const AccessibleButton& b : AccessibleChildrenOf(main))
      if (b.window == GetDlgItem(main, id)) r = b;
    return r;
  };
  const AccessibleButton webcam = find(kWebcamButtonId), mic = find(kMicButtonId);
  EXPECT_EQ(webcam.role, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(webcam.name, L"Webcams: 2 von 2 bereit. Dr\u00fccken zum Sperren.");
  EXPECT_EQ(mic.role, ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_EQ(mic.name, L"Mikrofone: 1 von 1 bereit. Dr\u00fccken zum Sperren.");
  // The title-bar buttons have names too (the two online ones are hidden without the services).
  EXPECT_EQ(find(kWebcamButtonId + 4).name, L"Optionen");
  EXPECT_EQ(find(kWebcamButtonId + 7).name, L"Schlie\u00dfen");

  // The reader's default action presses the toggle, and the name follows the new state.
  IAccessible* object = nullptr;
  ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(GetDlgItem(main, kWebcamButtonId), OBJID_CLIENT, IID_IAccessible,
                                                   reinterpret_cast<void**>(&object))) && object);
  VARIANT self;
  self.vt = VT_I4;
  self.lVal = CHILDID_SELF;
  EXPECT_EQ(object->accDoDefaultAction(self), S_OK);
  object->Release();
  ASSERT_TRUE(WaitFor([&] { return Cam() == L"0/2 Webcams bereit"; }, 30000)) << Cam();
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_TRUE(WaitFor([&] { return find(kWebcamButtonId).name == L"Webcams: 0 von 2 bereit. Dr\u00fccken zum Freigeben."; },
                      5000))
      << find(kWebcamButtonId).name.size();
}
}  // namespace

// The device search with the real SetupAPI, DirectShow and registry, over fake devices created
// in the test prefix and removed again afterwards.
#include <gtest/gtest.h>
#include <objbase.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "devices/veilcap.h"
#include "devices/win32/providers.h"
#include "devices/win32/setupapi_source.h"
#include "e2e/tools/fake_devices.h"
#include "fakes/recording_sink.h"
#include "platform/registry.h"
#include "platform/win32/registry_win.h"
#include "win_scratch.h"

namespace {
const std::wstring kCam = L"{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}";
const std::wstring kImage = L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
const std::wstring kAudio = L"{C166523C-FE0C-4A94-A586-F1A80CFBBF3E}";

const std::wstring kIntegrated = L"USB\\VID_04F2&PID_B604&MI_00\\VEILCAPTEST&0001";
const std::wstring kUsbVideo = L"USB\\VID_0C45&PID_6340&MI_00\\VEILCAPTEST&0002";
const std::wstring kScanner = L"USB\\VID_04B8&PID_0142\\VEILCAPTEST0003";
const std::wstring kMic = L"SWD\\MMDEVAPI\\{0.0.1.00000000}.{VEILCAPTEST-0004}";
const std::wstring kSpeaker = L"SWD\\MMDEVAPI\\{0.0.0.00000000}.{VEILCAPTEST-0005}";
const std::wstring kRestart = L"USB\\VID_046D&PID_0825&MI_00\\VEILCAPTEST&0006";
const std::wstring kStoreKey = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Devices";

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = wchar_t(towlower(c));
  return s;
}

void StoreDword(const std::wstring& name, DWORD v) {
  ASSERT_EQ(RegSetKeyValueW(HKEY_LOCAL_MACHINE, kStoreKey.c_str(), name.c_str(), REG_DWORD, &v, sizeof v), ERROR_SUCCESS);
}

class DevicesWinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    wintest::InstallProviders();
    static WindowsRegistry registry;
    SetRegistryBackend(&registry, true);
    RemoveAll();
    fakedev::FakeDevice d;
    d.classGuid = kCam, d.instanceId = kIntegrated, d.friendlyName = L"Integrated Camera";
    d.busDescription = L"Integrated Camera";
    ok_ = fakedev::AddFakeDevice(d);
    d = {};
    d.classGuid = kCam, d.instanceId = kUsbVideo, d.busDescription = L"USB Video Device";
    d.deviceDescription = L"USB-Videogerät", d.setProblem = true, d.problemCode = 22;
    ok_ = ok_ && fakedev::AddFakeDevice(d);
    d = {};
    d.classGuid = kImage, d.instanceId = kScanner, d.deviceDescription = L"Flatbed Scanner 4000";
    ok_ = ok_ && fakedev::AddFakeDevice(d);
    d = {};
    d.classGuid = kAudio, d.instanceId = kMic, d.friendlyName = L"Microphone (Realtek Audio)";
    ok_ = ok_ && fakedev::AddFakeDevice(d);
    d = {};
    d.classGuid = kAudio, d.instanceId = kSpeaker, d.friendlyName = L"Speakers (Realtek Audio)";
    ok_ = ok_ && fakedev::AddFakeDevice(d);
    d = {};
    d.classGuid = kImage, d.instanceId = kRestart, d.friendlyName = L"HD WebCam", d.needRestart = true;
    ok_ = ok_ && fakedev::AddFakeDevice(d);
  }
  static void TearDownTestSuite() {
    RemoveAll();
    for (const auto& id : {kMic, kRestart, kScanner}) {
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kStoreKey.c_str(), Lower(id).c_str());
      RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kStoreKey.c_str(), id.c_str());
    }
    // The store key goes too when the tests left it empty.
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStoreKey.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
      DWORD values = 1, subkeys = 1;
      RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr);
      RegCloseKey(key);
      if (values == 0 && subkeys == 0) RegDeleteKeyW(HKEY_LOCAL_MACHINE, kStoreKey.c_str());
    }
    SetRegistryBackend(nullptr, false);
  }
  static void RemoveAll() {
    for (const auto& id : {kIntegrated, kUsbVideo, kScanner, kMic, kSpeaker, kRestart}) fakedev::RemoveFakeDevice(id);
  }
  void SetUp() override { ASSERT_TRUE(ok_) << "fake devices could not be created"; }

  static const TTreeData_Device* Find(const TVeilcap& v, const std::wstring& id) {
    for (const auto& d : v.Devices)
      if (d.InstanceID() == wintest::U16(id)) return &d;
    return nullptr;
  }
  static inline bool ok_ = false;
};

TEST_F(DevicesWinTest, SearchFindsTheFakeDevicesWithTheirFieldsAndWatchFlags) {
  ASSERT_TRUE(SetupApiPropertyReaderFound());
  StoreDword(Lower(kMic), 1);     // store names compare without regard to case
  StoreDword(kRestart, 2);        // any other number leaves the automatic choice
  RecordingSink sink;
  InstallDeviceProviders();
  TVeilcap v;
  v.Search();

  // Wine's own devices fail every property read and are left out: only ours are listed.
  ASSERT_EQ(v.Devices.size(), 6u);
  for (size_t i = 0; i < v.Devices.size(); ++i) {
    EXPECT_EQ(v.Devices[i].Index_In_Array, int(i));
    EXPECT_FALSE(v.Devices[i].connected || v.Devices[i].found_in_DirectShow);  // DirectShow finds nothing
  }
  struct Expect {
    std::wstring id;
    const char* name;
    const char16_t* cls;
    uint32_t problem;
    bool restart, watch;
  } expected[] = {
      {kIntegrated, "Integrated Camera", kClassCamera, 0, false, true},
      {kUsbVideo, "USB Video Device", kClassCamera, 22, false, true},
      {kScanner, "Flatbed Scanner 4000", kClassImage, 0, false, false},
      {kMic, "Microphone (Realtek Audio)", kClassAudioEndpoint, 0, false, true},
      {kSpeaker, "Speakers (Realtek Audio)", kClassAudioEndpoint, 0, false, false},
      {kRestart, "HD WebCam", kClassImage, 0, true, true},
  };
  for (const auto& e : expected) {
    SCOPED_TRACE(e.name);
    const TTreeData_Device* d = Find(v, e.id);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(ToUtf8(d->FriendlyName()), e.name);
    EXPECT_EQ(d->ClassGUID(), u16(e.cls));
    EXPECT_EQ(d->ProblemCode, e.problem);
    EXPECT_EQ(d->RebootRequired, e.restart);
    EXPECT_EQ(d->Watch, e.watch);
  }
  EXPECT_EQ(v.current_cams, 3);
  EXPECT_EQ(v.active_cams, 2);
  EXPECT_EQ(v.reboot_required_cams, 1);
  EXPECT_EQ(v.current_mics, 1);
  EXPECT_EQ(v.active_mics, 1);
  EXPECT_EQ(v.reboot_required_mics, 0);
  EXPECT_EQ(ToUtf8(v.First_Mic_Name), "Microphone (Realtek Audio)");
  const std::vector<std::string> cams = {"Integrated Camera", "USB Video Device", "HD WebCam"};
  EXPECT_NE(std::find(cams.begin(), cams.end(), ToUtf8(v.First_Cam_Name)), cams.end());

  const auto lines = sink.Utf8();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Veilcap: \"HD WebCam\" needs a restart"), lines.end());
  const std::string failed = "*** SetupDiGetDeviceProperty failed! Error=";
  const auto failures = std::count_if(lines.begin(), lines.end(), [&](const std::string& l) {
    return l.rfind(failed, 0) == 0 && l.size() > failed.size();
  });
  EXPECT_GE(failures, 1);  // the prefix's own devices, with the system's text for the error
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("DirectShow", 0) == 0; }), 0);

  // Store value 0 unwatches, and the device disabled later reads as such at the next search.
  StoreDword(kRestart, 0);
  ASSERT_TRUE(SetFakeDeviceProblem(kIntegrated, 22));
  v.Search();
  EXPECT_FALSE(Find(v, kRestart)->Watch);
  EXPECT_EQ(Find(v, kIntegrated)->ProblemCode, 22u);
  EXPECT_EQ(v.current_cams, 2);
  EXPECT_EQ(v.active_cams, 0);
  EXPECT_EQ(v.reboot_required_cams, 0);
  ASSERT_TRUE(SetFakeDeviceProblem(kIntegrated, 0));
}

TEST_F(DevicesWinTest, SearchLeavesAnApartmentItDidNotEnter) {
  // The thread is already in the multithreaded apartment: CoInitialize fails there, and the
  // search must not leave the apartment on the caller's behalf.
  ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
  TVeilcap v(WindowsDeviceSources());
  v.Search();
  EXPECT_EQ(v.Devices.size(), 6u);
  const HRESULT again = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  EXPECT_EQ(again, S_FALSE) << "the apartment was left by the search";
  if (SUCCEEDED(again)) CoUninitialize();
  CoUninitialize();
}

TEST_F(DevicesWinTest, FakeDevicesCanBeChangedAndRemoved) {
  uint32_t code = 0;
  ASSERT_TRUE(SetFakeDeviceProblem(kScanner, 22));
  ASSERT_TRUE(fakedev::ReadUint32(kScanner, fakedev::KeyProblemCode(), &code));
  EXPECT_EQ(code, 22u);
  ASSERT_TRUE(SetFakeDeviceProblem(kScanner, 0));
  ASSERT_TRUE(fakedev::RemoveFakeDevice(kSpeaker));
  const auto listed = fakedev::ListPresentDevices();
  EXPECT_FALSE(std::any_of(listed.begin(), listed.end(), [](const auto& d) { return d.instanceId == kSpeaker; }));
  EXPECT_FALSE(SetFakeDeviceProblem(kSpeaker, 22));
  fakedev::FakeDevice d;
  d.classGuid = kAudio, d.instanceId = kSpeaker, d.friendlyName = L"Speakers (Realtek Audio)";
  ASSERT_TRUE(fakedev::AddFakeDevice(d));
}
}  // namespace

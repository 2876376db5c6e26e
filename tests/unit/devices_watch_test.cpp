// Which records are watched, how they are counted, and the clean-up before it.
#include "devices_test_support.h"

#include "devices/ledger.h"
#include "fakes/fake_process_shell.h"

namespace {
using WatchTest = DevicesFixture;

enum class Stored { None, Zero, One, Two, Text };

TEST_F(WatchTest, DirectShowNameRulesAndStoreDecideTheWatchFlag) {
  struct Case {
    const char16_t* cls;
    const char16_t* name;
    bool inDirectShow;
    Stored stored;
    bool watch;
    bool inLedger;     // Veilcap disabled it
    uint32_t problem;  // 22: disabled
  } cases[] = {
      {kClassCamera, u"Integrated Camera", false, Stored::None, true, false, 0},
      {kClassCamera, u"HD WebCam", false, Stored::None, true, false, 0},
      {kClassCamera, u"usb video device", false, Stored::None, true, false, 0},
      {kClassCamera, u"USB Device", false, Stored::None, false, false, 0},
      {kClassCamera, u"Video Grabber", false, Stored::None, false, false, 0},
      {kClassCamera, u"Video Grabber", true, Stored::None, true, false, 0},
      {kClassImage, u"Flatbed Scanner", false, Stored::None, false, false, 0},
      {kClassAudioEndpoint, u"Camera Microphone", false, Stored::None, false, false, 0},  // no name rule for microphones
      {kClassAudioEndpoint, u"Microphone", true, Stored::None, true, false, 0},
      {kClassAudioEndpoint, u"Speakers", false, Stored::One, true, false, 0},
      {kClassCamera, u"Integrated Camera", true, Stored::Zero, false, false, 0},
      {kClassImage, u"Flatbed Scanner", false, Stored::One, true, false, 0},
      {kClassCamera, u"Integrated Camera", false, Stored::Two, true, false, 0},
      {kClassImage, u"Flatbed Scanner", false, Stored::Two, false, false, 0},
      {kClassCamera, u"Integrated Camera", false, Stored::Text, false, false, 0},  // non-numeric text reads as 0
      // A device Veilcap disabled stays watched while it is disabled, even when DirectShow no
      // longer lists it, unless the user unwatched it.
      {kClassAudioEndpoint, u"Microphone", false, Stored::None, true, true, 22},
      {kClassAudioEndpoint, u"Microphone", false, Stored::Zero, false, true, 22},
      {kClassAudioEndpoint, u"Speakers", false, Stored::Two, true, true, 22},
      {kClassCamera, u"Video Grabber", false, Stored::None, true, true, 22},
      {kClassAudioEndpoint, u"Microphone", false, Stored::None, false, true, 0},   // switched on elsewhere
      {kClassAudioEndpoint, u"Microphone", false, Stored::None, false, false, 22},  // disabled by someone else
  };
  int n = 0;
  for (const auto& c : cases) {
    const u16 id = u"USB\\VID_0001&PID_0002\\" + ToDec(n++);
    Add(c.cls, c.name, id);
    // Store names compare without regard to case.
    const u16 storedName = AsciiLower(id);
    switch (c.stored) {
      case Stored::None: break;
      case Stored::Zero: Store(storedName, 0); break;
      case Stored::One: Store(storedName, 1); break;
      case Stored::Two: Store(storedName, 2); break;
      case Stored::Text: reg.PutString(RegRoot::LocalMachine, kDeviceStoreKey, storedName, u"yes"); break;
    }
    if (c.inLedger) reg.PutDword(RegRoot::LocalMachine, kLedgerKey, AsciiLower(id), 1);
    if (c.problem) present.devices.back().Dword(kDevKey_ProblemCode, c.problem);
    if (c.inDirectShow) capture.video.entries.push_back(PathEntry(u"\\\\?\\" + ReplaceAll(id, u"\\", u"#") + u"#{x}"));
  }
  v.Search();
  ASSERT_EQ(v.Devices.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(v.Devices[i].Watch, cases[i].watch) << "case " << i << " " << ToUtf8(cases[i].name);
  EXPECT_EQ(reg.OpenHandles(), 0);
}

TEST_F(WatchTest, AMicrophoneListedOnlyByDirectShowStaysInViewWhileVeilcapHasItOff) {
  FakeProcessShell shell;
  const u16 id = u"SWD\\MMDEVAPI\\{0.0.1.00000000}.{A1}";
  FakePnpDevice& mic = Add(kClassAudioEndpoint, u"Mikrofon (USB)", id);
  capture.audio.entries.push_back(NamedEntry(u"Mikrofon (USB)"));
  v.Search();
  ASSERT_EQ(v.current_mics, 1);

  // Blocked: Windows no longer lists it in DirectShow.
  v.DisablePnpDevice(id);
  mic.Dword(kDevKey_ProblemCode, 22);
  capture.audio.entries.clear();
  v.Search();
  EXPECT_EQ(v.current_mics, 1);
  EXPECT_EQ(v.active_mics, 0);  // all watched microphones off

  v.EnablePnpDevice(id);
  mic.Dword(kDevKey_ProblemCode, 0);
  capture.audio.entries.push_back(NamedEntry(u"Mikrofon (USB)"));
  v.Search();
  EXPECT_EQ(v.active_mics, 1);
  EXPECT_FALSE(Ledger_Contains(id));
  EXPECT_EQ(shell.hiddenRuns.size(), 2u);
}

TEST_F(WatchTest, CountsOnlyWatchedRecordsAndTakesTheFirstNames) {
  Add(kClassImage, u"Scanner", u"ROOT\\SCAN");
  Add(kClassCamera, u"Integrated Camera", u"USB\\CAM1").Dword(kDevKey_ProblemCode, 22).Dword(kDevKey_DevNodeStatus, 0x100);
  Add(kClassCamera, u"USB Video Device", u"USB\\CAM2");
  Add(kClassAudioEndpoint, u"Speakers", u"SWD\\SPK");
  Add(kClassAudioEndpoint, u"Microphone", u"SWD\\MIC").Dword(kDevKey_DevNodeStatus, 0x100);
  Add(kClassAudioEndpoint, u"Line In", u"SWD\\LINE").Dword(kDevKey_ProblemCode, 22);
  Store(u"SWD\\MIC", 1);
  Store(u"SWD\\LINE", 1);
  v.Search();
  EXPECT_EQ(v.current_cams, 2);
  EXPECT_EQ(v.active_cams, 1);
  EXPECT_EQ(v.reboot_required_cams, 1);
  EXPECT_EQ(ToUtf8(v.First_Cam_Name), "Integrated Camera");
  EXPECT_EQ(v.current_mics, 2);
  EXPECT_EQ(v.active_mics, 1);
  EXPECT_EQ(v.reboot_required_mics, 1);
  EXPECT_EQ(ToUtf8(v.First_Mic_Name), "Microphone");

  // The detected-devices window unwatches one and recounts.
  v.Devices[1].Watch = false;
  v.Count_Cams_and_Mics();
  EXPECT_EQ(v.current_cams, 1);
  EXPECT_EQ(v.active_cams, 1);
  EXPECT_EQ(v.reboot_required_cams, 0);
  EXPECT_EQ(ToUtf8(v.First_Cam_Name), "USB Video Device");

  // Every search starts again from nothing.
  present.devices.clear();
  v.Search();
  EXPECT_TRUE(v.Devices.empty());
  EXPECT_EQ(v.current_cams + v.current_mics + v.active_cams + v.active_mics + v.reboot_required_cams +
                v.reboot_required_mics,
            0);
  EXPECT_TRUE(v.First_Cam_Name.empty() && v.First_Mic_Name.empty());
}

TEST_F(WatchTest, CleanUpDropsBlankRecordsAndRenumbersTheRest) {
  struct Case {
    u16 name, id, cls;
  } rows[] = {
      {u"A", u"ID\\A", kClassCamera}, {u" \t ", u"ID\\B", kClassCamera}, {u"C", u"ID\\C", kClassCamera},
      {u"D", u"\x01 ", kClassCamera}, {u"E", u"ID\\E", u" "},            {u"F", u"ID\\F", kClassCamera},
  };
  for (const auto& r : rows) {
    TTreeData_Device d;
    d.SetFriendlyName(r.name);
    d.SetInstanceID(r.id);
    d.SetClassGUID(r.cls);
    d.Index_In_Array = int32_t(v.Devices.size());
    v.Devices.push_back(d);
  }
  v.Remove_Incomplete_Devices();
  EXPECT_EQ(Names(), (std::vector<std::string>{"A", "C", "F"}));
  for (size_t i = 0; i < v.Devices.size(); ++i) EXPECT_EQ(v.Devices[i].Index_In_Array, int(i));

  // Through a search: a device named only by blanks is found, then dropped.
  present.devices = {FakePnpDevice::Make(kClassCamera, u"  ", u"USB\\X"), FakePnpDevice::Make(kClassCamera, u"Cam", u"USB\\Y")};
  v.Search();
  ASSERT_EQ(Names(), std::vector<std::string>{"Cam"});
  EXPECT_EQ(v.Devices[0].Index_In_Array, 0);
}
}  // namespace

namespace {
// The machine store is made once from the user's earlier choices; from then on the user's hive
// (which any program of the user can write) is never read.
TEST_F(WatchTest, MachineStoreIsImportedOnceFromTheUserHive) {
  const u16 cam = u"USB\\VID_1&PID_2\\CAM", mic = u"SWD\\MMDEVAPI\\MIC", other = u"USB\\VID_3&PID_4\\X";
  struct Case {
    const char* what;
    bool machineKey;      // the machine store exists before the start
    int machineCam;       // its value for the camera, -1 none
    int userCam, userMic;  // the user's values, -1 none; 7 is neither choice
    bool readOnly;        // HKLM cannot be written (not elevated)
    bool created;
    int camAfter, micAfter;  // WatchStore_Choice: -1 none, 0, 1
  } cases[] = {
      {"user choices copied", false, -1, 0, 1, false, true, 0, 1},
      {"nothing to copy: an empty store", false, -1, -1, -1, false, true, -1, -1},
      {"neither 0 nor 1 is not copied", false, -1, 7, 1, false, true, -1, 1},
      {"existing store: nothing copied", true, -1, 0, 1, false, false, -1, -1},
      {"machine values win", true, 1, 0, 0, false, false, 1, -1},
      {"refused: nothing made, nothing read", false, -1, 0, 1, true, false, -1, -1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    reg = MemoryRegistry();
    if (c.machineKey) reg.AddKey(RegRoot::LocalMachine, kDeviceStoreKey);
    if (c.machineCam >= 0) Store(cam, uint32_t(c.machineCam));
    if (c.userCam >= 0) reg.PutDword(RegRoot::CurrentUser, kDeviceStoreKey, AsciiLower(cam), uint32_t(c.userCam));
    if (c.userMic >= 0) reg.PutString(RegRoot::CurrentUser, kDeviceStoreKey, mic, ToDec(c.userMic));
    reg.SetReadOnly(c.readOnly);
    EXPECT_EQ(WatchStore_ImportOnce(), c.created);
    reg.SetReadOnly(false);
    const auto code = [](std::optional<bool> v) { return v ? int(*v) : -1; };
    EXPECT_EQ(code(WatchStore_Choice(cam)), c.camAfter);
    EXPECT_EQ(code(WatchStore_Choice(mic)), c.micAfter);
    EXPECT_EQ(code(WatchStore_Choice(other)), -1);
    if (c.readOnly) continue;
    // A later change in the user's hive does nothing: no second import, nothing read from there.
    reg.PutDword(RegRoot::CurrentUser, kDeviceStoreKey, other, 0);
    reg.PutDword(RegRoot::CurrentUser, kDeviceStoreKey, cam, 1 - std::max(c.camAfter, 0));
    EXPECT_FALSE(WatchStore_ImportOnce());
    EXPECT_EQ(code(WatchStore_Choice(cam)), c.camAfter);
    EXPECT_EQ(code(WatchStore_Choice(other)), -1);
    EXPECT_EQ(reg.OpenHandles(), 0);
  }
}

TEST_F(WatchTest, AZeroInTheUserHiveDoesNotUnwatchACamera) {
  Add(kClassCamera, u"Integrated Camera", u"USB\\VID_1&PID_2\\CAM");
  reg.AddKey(RegRoot::LocalMachine, kDeviceStoreKey);
  reg.PutDword(RegRoot::CurrentUser, kDeviceStoreKey, u"USB\\VID_1&PID_2\\CAM", 0);
  WatchStore_ImportOnce();
  v.Search();
  ASSERT_EQ(v.Devices.size(), 1u);
  EXPECT_TRUE(v.Devices[0].Watch);
  EXPECT_EQ(v.current_cams, 1);
}
}  // namespace

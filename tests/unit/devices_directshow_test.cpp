// The DirectShow passes and how errors in any pass cut the search short.
#include "devices_test_support.h"

namespace {
using DirectShowTest = DevicesFixture;

std::vector<bool> Marked(const TVeilcap& v) {
  std::vector<bool> r;
  for (const auto& d : v.Devices) {
    EXPECT_EQ(d.connected, d.found_in_DirectShow);
    r.push_back(d.found_in_DirectShow);
  }
  return r;
}

TEST_F(DirectShowTest, NameMarksEveryRecordOfThatNameIgnoringAsciiCase) {
  Add(kClassCamera, u"HD WebCam", u"USB\\A");
  Add(kClassCamera, u"Other", u"USB\\B");
  Add(kClassCamera, u"hd webcam", u"USB\\C");
  Add(kClassCamera, u"Камера", u"USB\\D");  // stored as ??????, matches nothing
  capture.video.entries = {NamedEntry(u"HD WEBCAM"), NamedEntry(u"Камера"), NamedEntry(u"HD WebCam ")};
  v.Search();
  EXPECT_EQ(Marked(v), (std::vector<bool>{true, false, true, false}));
  const auto lines = Lines();
  const std::vector<std::string> tail(lines.end() - 5, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"DirectShow WebCam Name= \"HD WEBCAM\"",
                                            "DirectShow WebCam FriendlyName found in DeviceList",
                                            "DirectShow WebCam FriendlyName found in DeviceList",
                                            "DirectShow WebCam Name= \"Камера\"",
                                            "DirectShow WebCam Name= \"HD WebCam \""}));
}

TEST_F(DirectShowTest, DevicePathMarksRecordsWhoseInstanceIdItContains) {
  const u16 path = u"\\\\?\\usb#vid_abcd&pid_ef01&mi_00#6&1a2b3c4d&0&0000#{65e8773d-8f56-11d0-a3b9-00a0c9223196}\\global";
  struct Case {
    u16 instanceId;
    u16 path;
    bool marked;
  } cases[] = {
      {u"USB\\VID_ABCD&PID_EF01&MI_00\\6&1A2B3C4D&0&0000", path, true},
      {u"usb\\vid_abcd&pid_ef01&mi_00\\6&1a2b3c4d&0&0000", path, true},  // case kept in the record
      {u"USB\\VID_ABCD&PID_EF01&MI_02\\6&1A2B3C4D&0&0002", path, false},
      {u"USB#VID_ABCD&PID_EF01&MI_00#6&1A2B3C4D&0&0000", path, false},    // only the path is rewritten
      {u"X", u"", false},                                                // empty path marks nothing
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.instanceId));
    present.devices = {FakePnpDevice::Make(kClassCamera, u"Cam", c.instanceId)};
    capture.video.entries = {PathEntry(c.path)};
    sink.lines.clear();
    v.Search();
    ASSERT_EQ(v.Devices.size(), 1u);
    EXPECT_EQ(Marked(v), std::vector<bool>{c.marked});
    const auto lines = Lines();
    const bool found =
        std::find(lines.begin(), lines.end(), "DirectShow WebCam Instance found in DeviceList") != lines.end();
    EXPECT_EQ(found, c.marked);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "DirectShow WebCam Instance = \"" + ToUtf8(c.path) + "\""),
              lines.end());
  }
}

TEST_F(DirectShowTest, MicrophonePassUsesTheAudioCategoryAndItsOwnLines) {
  Add(kClassAudioEndpoint, u"Microphone (USB Audio)", u"SWD\\MMDEVAPI\\{0.0.1}");
  Add(kClassCamera, u"Integrated Camera", u"USB\\CAM");
  capture.audio.entries = {CaptureEntry{u"microphone (usb audio)", u"\\\\?\\swd#mmdevapi#{0.0.1}"}, CaptureEntry{}};
  v.Search();
  EXPECT_EQ(Marked(v), (std::vector<bool>{true, false}));
  const auto lines = Lines();
  const std::vector<std::string> tail(lines.end() - 4, lines.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"DirectShow Mirophone Name= \"microphone (usb audio)\"",
                                            "DirectShow Mirophone FriendlyName found in DeviceList",
                                            "DirectShow Mirophone Instance = \"\\\\?\\swd#mmdevapi#{0.0.1}\"",
                                            "DirectShow Mirophone Instance found in DeviceList"}));
}

// Each row: where it fails, the calls the search made, which records survive and which are marked.
TEST_F(DirectShowTest, AnErrorEndsItsPassAndTheLaterOnesButNotTheSearch) {
  struct Case {
    const char* name;
    void (*arrange)(FakePresentDevices&, FakeCaptureSource&);
    std::vector<std::string> calls;
    std::vector<bool> marked;  // for the records that are left
  } cases[] = {
      {"nothing fails", [](FakePresentDevices&, FakeCaptureSource&) {},
       {"com.init", "present.open", "present.close", "video.open", "audio.open", "com.uninit"}, {true, true, true}},
      {"device set cannot be opened", [](FakePresentDevices& p, FakeCaptureSource&) { p.openFails = true; },
       {"com.init", "present.open", "video.open", "audio.open", "com.uninit"}, {}},
      {"property reader missing", [](FakePresentDevices& p, FakeCaptureSource&) { p.throwAtRead = 0; },
       {"com.init", "present.open", "present.close", "com.uninit"}, {}},
      // Six reads per named device: the seventh is the second device's class.
      {"error at the second device", [](FakePresentDevices& p, FakeCaptureSource&) { p.throwAtRead = 6; },
       {"com.init", "present.open", "present.close", "com.uninit"}, {false}},
      {"no device enumerator", [](FakePresentDevices&, FakeCaptureSource& c) { c.video.throwOnOpen = true; },
       {"com.init", "present.open", "present.close", "video.open", "com.uninit"}, {false, false, false}},
      {"camera pass fails at its second entry",
       [](FakePresentDevices&, FakeCaptureSource& c) { c.video.throwAtEntry = 1; },
       {"com.init", "present.open", "present.close", "video.open", "video.fail", "com.uninit"}, {true, false, false}},
      {"empty video category", [](FakePresentDevices&, FakeCaptureSource& c) { c.video.empty = true; },
       {"com.init", "present.open", "present.close", "video.open", "audio.open", "com.uninit"},
       {false, false, true}},
      {"microphone pass fails", [](FakePresentDevices&, FakeCaptureSource& c) { c.audio.throwAtEntry = 0; },
       {"com.init", "present.open", "present.close", "video.open", "audio.open", "audio.fail", "com.uninit"},
       {true, true, false}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    present = FakePresentDevices{};
    capture = FakeCaptureSource{};
    present.log = capture.log = com.log = &log;
    log.clear();
    Add(kClassCamera, u"Cam One", u"USB\\ONE");
    Add(kClassCamera, u"Cam Two", u"USB\\TWO");
    Add(kClassAudioEndpoint, u"Mic", u"SWD\\MIC");
    capture.video.entries = {NamedEntry(u"Cam One"), NamedEntry(u"Cam Two")};
    capture.audio.entries = {NamedEntry(u"Mic")};
    c.arrange(present, capture);
    v.Search();
    EXPECT_EQ(log, c.calls);
    EXPECT_EQ(com.balance, 0);
    EXPECT_EQ(present.opened, present.closed);
    EXPECT_EQ(Marked(v), c.marked);
    // The search still decided and counted: cameras are watched by their names.
    int cams = 0;
    for (const auto& d : v.Devices) cams += IsCamera(d) ? 1 : 0;
    EXPECT_EQ(v.current_cams, cams);
  }
}
}  // namespace

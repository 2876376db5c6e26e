// The SetupAPI pass: which devices become records, how they are named, and what it reports.
#include "core/textfile.h"
#include "devices_test_support.h"

namespace {
const u16 kOtherClass = u"{4D36E96C-E325-11CE-BFC1-08002BE10318}";  // sound, video and game controllers

using DiscoveryTest = DevicesFixture;

TEST_F(DiscoveryTest, NameFallsBackToBusDescriptionThenDeviceDescription) {
  struct Case {
    u16 friendly, bus, desc;
    const char* expected;  // nullptr: the device is left out
  } cases[] = {
      {u"Cam A", u"Bus A", u"Desc A", "Cam A"},
      {u"", u"Bus B", u"Desc B", "Bus B"},
      {u"", u"", u"Desc C", "Desc C"},
      {u"", u"", u"", nullptr},
  };
  std::vector<std::string> expected;
  int n = 0;
  for (const auto& c : cases) {
    auto& d = Add(kClassCamera, c.friendly, u"USB\\DEV\\" + ToDec(n++));
    if (!c.bus.empty()) d.Text(kDevKey_BusReportedDeviceDesc, c.bus);
    if (!c.desc.empty()) d.Text(kDevKey_DeviceDesc, c.desc);
    if (c.expected) expected.push_back(c.expected);
  }
  v.Search();
  EXPECT_EQ(Names(), expected);
  for (size_t i = 0; i < v.Devices.size(); ++i) EXPECT_EQ(v.Devices[i].Index_In_Array, int(i));
}

TEST_F(DiscoveryTest, KeepsOnlyImagingCameraAndAudioEndpointClasses) {
  Add(kClassImage, u"Scanner", u"ROOT\\IMAGE\\0000");
  Add(kOtherClass, u"Sound Card", u"PCI\\SND\\0000");
  Add(kClassCamera, u"Camera", u"USB\\CAM\\0000");
  Add(kClassAudioEndpoint, u"Microphone", u"SWD\\MMDEVAPI\\MIC");
  present.devices.push_back(FakePnpDevice{}.Fail(kDevKey_ClassGuid, kErrorNotFound)
                                .Text(kDevKey_FriendlyName, u"Wine device")
                                .Text(kDevKey_InstanceId, u"ROOT\\WINE\\0000"));
  v.Search();
  EXPECT_EQ(Names(), (std::vector<std::string>{"Scanner", "Camera", "Microphone"}));
  EXPECT_EQ(ToUtf8(v.Devices[0].ClassGUID()), ToUtf8(kClassImage));
  EXPECT_TRUE(IsMicrophone(v.Devices[2]));
  EXPECT_FALSE(IsMicrophone(v.Devices[1]));
  // Only the failed class read is reported, with the system text of the thread's error.
  const std::string failed = "*** SetupDiGetDeviceProperty failed! Error=" + ToUtf8(SystemErrorText(kErrorNotFound));
  const auto lines = Lines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), failed), 1);
  EXPECT_EQ(present.closed, 1);
}

TEST_F(DiscoveryTest, WritesExactLinesAndFillsTheRecord) {
  DebugSinkLines memo;
  v.DEBUG_MEMO = &memo;
  Add(kClassCamera, u"", u"USB\\VID_1&PID_2\\X")
      .Text(kDevKey_BusReportedDeviceDesc, u"USB Video Device")
      .Dword(kDevKey_ProblemCode, 22)
      .Dword(kDevKey_DevNodeStatus, 0x0A);  // started, no restart pending
  Add(kClassAudioEndpoint, u"Mic", u"SWD\\MIC").Dword(kDevKey_DevNodeStatus, 0x100 | 0x8);
  Add(kClassCamera, u"NoId", u"");
  v.Search();
  const std::vector<std::string> expected = {
      ">>> FriendlyName=USB Video Device",
      "Device detected:",
      "Device=USB Video Device",
      "BusReportedDeviceDesc=USB Video Device",
      "InstanceID=USB\\VID_1&PID_2\\X",
      "ProblemCode=22",
      std::string(45, '-'),
      "Veilcap: \"Mic\" needs a restart",
      ">>> FriendlyName=Mic",
      "Device detected:",
      "Device=Mic",
      "BusReportedDeviceDesc=",
      "InstanceID=SWD\\MIC",
      "ProblemCode=0",
      std::string(45, '-'),
      ">>> FriendlyName=NoId",
      "*** Device has no InstanceID =NoId",
  };
  EXPECT_EQ(Lines(), expected);
  EXPECT_EQ(memo.lines, (std::vector<std::string>{"Device=USB Video Device", "InstanceID=USB\\VID_1&PID_2\\X",
                                                  "ProblemCode=22", "Device=Mic", "InstanceID=SWD\\MIC",
                                                  "ProblemCode=0"}));
  ASSERT_EQ(v.Devices.size(), 2u);
  const auto& cam = v.Devices[0];
  EXPECT_EQ(cam.ProblemCode, 22u);
  EXPECT_FALSE(cam.RebootRequired);
  EXPECT_FALSE(cam.connected || cam.found_in_DirectShow);
  EXPECT_TRUE(v.Devices[1].RebootRequired);
  EXPECT_EQ(v.Devices[1].Index_In_Array, 1);
  // Every read got a fresh zeroed buffer of 1025 bytes.
  EXPECT_FALSE(present.dirtyBuffer);
  EXPECT_TRUE(std::all_of(present.bufferSizes.begin(), present.bufferSizes.end(), [](uint32_t s) { return s == 1025; }));
}

TEST_F(DiscoveryTest, ProblemCodeAndNodeStatusCountOnlyWhenTheLastErrorIsZero) {
  const std::vector<uint8_t> k22 = {22, 0, 0, 0}, kRestart = {0x00, 0x01, 0, 0};
  struct Case {
    FakeProperty problem, status;
    uint32_t code;
    bool restart;
  } cases[] = {
      {{true, 0, k22}, {true, 0, kRestart}, 22, true},
      {{false, kErrorNotFound, k22}, {false, kErrorNotFound, kRestart}, 0, false},
      {{true, 5, k22}, {true, 5, kRestart}, 0, false},  // call answered true, last error not 0
      {{false, 0, k22}, {false, 0, kRestart}, 22, true},
      {{true, 0, {0, 0, 0, 0}}, {true, 0, {0xFF, 0xFE, 0, 0}}, 0, false},  // every bit but 0x100
  };
  for (const auto& c : cases) {
    Add(kClassCamera, u"Cam", u"USB\\CAM").Set(kDevKey_ProblemCode, c.problem).Set(kDevKey_DevNodeStatus, c.status);
  }
  v.Search();
  ASSERT_EQ(v.Devices.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(v.Devices[i].ProblemCode, cases[i].code) << "case " << i;
    EXPECT_EQ(v.Devices[i].RebootRequired, cases[i].restart) << "case " << i;
  }
}

TEST_F(DiscoveryTest, PropertyWithoutTerminatorIsReadOnlyToTheBufferEnd) {
  Add(kClassCamera, u"", u"USB\\CAM").Set(kDevKey_FriendlyName, FakeProperty{true, 0, std::vector<uint8_t>(1025, 'A')});
  v.Search();
  ASSERT_EQ(v.Devices.size(), 1u);
  EXPECT_EQ(sink.lines[0], u">>> FriendlyName=" + u16(512, char16_t(0x4141)));
}

TEST_F(DiscoveryTest, ShortStringsConvertThroughTheCodePageAndCutAt255) {
  struct Case {
    u16 in, out;
  } cases[] = {
      {u"Caméra Ü €", u"Caméra Ü €"},          // in Windows-1252
      {u"Камера", u"??????"},                  // not in it
      {u16(300, u'x'), u16(255, u'x')},        // at most 255 characters
      {u16(254, u'x') + u"€€", u16(254, u'x') + u"€"},
      {u"", u""},
  };
  for (const auto& c : cases) {
    ShortString255 s;
    s.Set(c.in);
    EXPECT_EQ(ToUtf8(s.Get()), ToUtf8(c.out));
  }
}

// A code page with two bytes for every non-ASCII character, to see the cut at 255 bytes.
class DoubleByte final : public AnsiCodePage {
 public:
  std::string FromUtf16(u16v s) const override {
    std::string r;
    for (char16_t c : s) {
      if (c < 0x80) r.push_back(char(c));
      else r += {char(0x81), char(c & 0x7F)};
    }
    return r;
  }
  u16 ToUtf16(std::string_view s) const override {
    u16 r;
    for (size_t i = 0; i < s.size(); ++i) {
      if (uint8_t(s[i]) != 0x81) r.push_back(char16_t(uint8_t(s[i])));
      else if (i + 1 < s.size()) r.push_back(char16_t(0x3000 | s[++i]));
      else r.push_back(u'?');  // a lead byte without its trail byte
    }
    return r;
  }
};

TEST_F(DiscoveryTest, ShortStringCutsAtByteCapacityInDoubleByteCodePages) {
  DoubleByte dbcs;
  SetAnsiCodePage(&dbcs);
  ShortString255 s;
  s.Set(u16(200, char16_t(0x3041)));
  EXPECT_EQ(s.Bytes().size(), 255u);
  EXPECT_EQ(s.Get(), u16(127, char16_t(0x3041)) + u"?");
  SetAnsiCodePage(nullptr);
}
}  // namespace

// Who uses a camera or microphone now, read from consent stores held in an in-memory registry.
#include <gtest/gtest.h>

#include "fakes/memory_registry.h"
#include "guard/in_use.h"

namespace {
constexpr RegRoot HKCU = RegRoot::CurrentUser;
constexpr RegRoot HKLM = RegRoot::LocalMachine;

std::vector<uint8_t> Qword(uint64_t v) {
  std::vector<uint8_t> d;
  for (int i = 0; i < 8; ++i) d.push_back(uint8_t(v >> (8 * i)));
  return d;
}

// One program's entry below a store: its subkey (relative to the store) and its two values.
struct Entry {
  RegRoot root;
  const char16_t* subKey;  // "NonPackaged\\C:#...#Zoom.exe" or a package family name
  uint32_t startType;
  std::vector<uint8_t> start;
  uint32_t stopType;
  std::vector<uint8_t> stop;
};

Entry Running(RegRoot root, const char16_t* subKey, uint64_t since) {
  return {root, subKey, REG_TYPE_QWORD, Qword(since), REG_TYPE_QWORD, Qword(0)};
}
Entry Stopped(RegRoot root, const char16_t* subKey, uint64_t since) {
  return {root, subKey, REG_TYPE_QWORD, Qword(since), REG_TYPE_QWORD, Qword(since + 10)};
}

struct StoreCase {
  const char* name;
  std::vector<Entry> webcam;
  std::vector<Entry> microphone;
  const char* webcamNames;      // Join_UseNames of the webcam uses
  const char* microphoneNames;
};

class InUseStores : public ::testing::TestWithParam<StoreCase> {
 protected:
  void SetUp() override { SetRegistryBackend(&reg, false); }
  void TearDown() override {
    EXPECT_EQ(reg.OpenHandles(), 0);
    SetRegistryBackend(nullptr, false);
  }
  void Fill(DeviceKind kind, const std::vector<Entry>& entries) {
    for (const Entry& e : entries) {
      const u16 key = ConsentStoreKey(kind) + u"\\" + e.subKey;
      reg.Put(e.root, key, u"LastUsedTimeStart", e.startType, e.start);
      reg.Put(e.root, key, u"LastUsedTimeStop", e.stopType, e.stop);
    }
  }
  MemoryRegistry reg;
};

TEST_P(InUseStores, YieldsTheProgramsUsingEachKindNow) {
  const StoreCase& c = GetParam();
  Fill(DeviceKind::Webcam, c.webcam);
  Fill(DeviceKind::Microphone, c.microphone);
  const InUse now = Read_InUse();
  EXPECT_EQ(ToUtf8(Join_UseNames(now.webcam)), c.webcamNames);
  EXPECT_EQ(ToUtf8(Join_UseNames(now.microphone)), c.microphoneNames);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, InUseStores,
    ::testing::Values(
        StoreCase{"EmptyStore", {}, {}, "", ""},
        StoreCase{"DesktopRunningAndStopped",
                  {Running(HKCU, u"NonPackaged\\C:#Program Files#Zoom#bin#Zoom.exe", 500),
                   Stopped(HKCU, u"NonPackaged\\C:#Tools#obs64.exe", 100)},
                  {Stopped(HKCU, u"NonPackaged\\C:#Program Files#Zoom#bin#Zoom.exe", 500)},
                  "Zoom", ""},
        StoreCase{"PackagedNameEndsAtTheUnderscore",
                  {Running(HKCU, u"Microsoft.WindowsCamera_8wekyb3d8bbwe", 200)},
                  {Running(HKCU, u"Microsoft.SkypeApp_kzf8qxf38zg5c", 100)},
                  "Microsoft.WindowsCamera", "Microsoft.SkypeApp"},
        // Both roots, earliest start first; the same program in both is named once.
        StoreCase{"BothRootsSortedBySince",
                  {Running(HKLM, u"NonPackaged\\C:#Windows#System32#svchost.exe", 300),
                   Running(HKCU, u"NonPackaged\\C:#Apps#Teams.EXE", 100),
                   Running(HKLM, u"NonPackaged\\C:#Apps#Teams.exe", 200)},
                  {}, "Teams, svchost", ""},
        // A value of another type or size counts as missing, and a use needs both values.
        StoreCase{"WrongTypesAndSizes",
                  {{HKCU, u"NonPackaged\\C:#a#DwordStart.exe", REG_TYPE_DWORD, {1, 0, 0, 0}, REG_TYPE_QWORD, Qword(0)},
                   {HKCU, u"NonPackaged\\C:#a#ShortStop.exe", REG_TYPE_QWORD, Qword(5), REG_TYPE_QWORD, {0, 0, 0, 0}},
                   {HKCU, u"NonPackaged\\C:#a#LongStart.exe", REG_TYPE_BINARY, Qword(5), REG_TYPE_QWORD, Qword(0)},
                   {HKCU, u"NonPackaged\\C:#a#NeverStarted.exe", REG_TYPE_QWORD, Qword(0), REG_TYPE_QWORD, Qword(0)},
                   {HKCU, u"NonPackaged\\C:#a#Good.exe", REG_TYPE_QWORD, Qword(7), REG_TYPE_QWORD, Qword(0)}},
                  {}, "Good", ""},
        // Names that would come out empty stay the raw id; a "#" inside a folder name is just a cut.
        StoreCase{"OddNames",
                  {Running(HKCU, u"NonPackaged\\C:#My#Stuff#cam.exe", 1), Running(HKCU, u"_onlyfamily", 2),
                   Running(HKCU, u"NonPackaged\\C:#dir#", 3), Running(HKCU, u"NonPackaged\\NoExtension", 4)},
                  {}, "cam, _onlyfamily, C:#dir#, \xe2\x80\xa6", ""},
        // A name cannot turn the text around it ("In use by" spoofing) or steer a terminal.
        StoreCase{"NamesArePlainText",
                  {Running(HKCU, u"NonPackaged\\C:#x#Zoom\u202Eexe.\x1b[2Jtxt.exe", 1)},
                  {Running(HKCU, u"\u2066Evil\u2069_family", 2)},
                  "Zoomexe.[2Jtxt", "Evil"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InUseStores, AHundredProgramsAreAllReadAndTheNamesStayShort) {
  std::vector<std::u16string> ids;
  for (int i = 0; i < 100; ++i) ids.push_back(u"NonPackaged\\C:#p#Program" + ToDec(i) + u".exe");
  std::vector<Entry> entries;
  for (int i = 0; i < 100; ++i) entries.push_back(Running(HKCU, ids[size_t(i)].c_str(), uint64_t(1000 - i)));
  entries.push_back(Running(HKCU, u"NonPackaged\\C:#p#AVeryLongProgramNameThatGoesOnAndOnForeverAndEver.exe", 5000));
  Fill(DeviceKind::Webcam, entries);
  const std::vector<DeviceUse> uses = Read_DeviceUses(DeviceKind::Webcam);
  ASSERT_EQ(uses.size(), 101u);
  EXPECT_EQ(ToUtf8(uses.front().name), "Program99");
  EXPECT_EQ(ToUtf8(Join_UseNames(uses)), "Program99, Program98, Program97, \xe2\x80\xa6");
  EXPECT_EQ(ToUtf8(Join_UseNames({uses.back()})), "AVeryLongProgramNameThatGoesOnAndOnFore\xe2\x80\xa6");
}

// The status line gives up names and letters only as far as its label needs.
TEST(InUseLine, FewerAndShorterNamesUntilTheLineFits) {
  const u16 forty(40, u'W');
  const std::vector<DeviceUse> uses = {{u"a", forty + u"A"}, {u"b", forty + u"B"}, {u"c", forty + u"C"}, {u"d", u"D"}};
  struct Case {
    size_t room;  // characters that fit
    std::string line;
  };
  const std::string w39(39, 'W'), w19(19, 'W'), w11(11, 'W'), more = "\xe2\x80\xa6";
  for (const Case& c : {Case{1000, "In use by " + w39 + more + ", " + w39 + more + ", " + w39 + more + ", " + more},
                        Case{80, "In use by " + w19 + more + ", " + w19 + more + ", " + w19 + more + ", " + more},
                        Case{60, "In use by " + w19 + more + ", " + w19 + more + ", " + more},
                        Case{35, "In use by " + w19 + more + ", " + more}, Case{25, "In use by " + w11 + more + ", " + more},
                        Case{5, "In use by " + w11 + more + ", " + more}}) {
    const u16 line = Fit_InUseLine(u"In use by %1", uses, [&](const u16& t) { return t.size() <= c.room; });
    EXPECT_EQ(ToUtf8(line), c.line) << c.room;
  }
}

TEST(InUseChanges, StartedUsesAreTheNewEntriesOfTheSameStoreIdAndStart) {
  const DeviceUse zoom{u"C:#Zoom.exe", u"Zoom", false, false, 10};
  const DeviceUse zoomAgain{u"c:#zoom.exe", u"Zoom", false, false, 30};  // a new session
  const DeviceUse zoomMachine{u"C:#Zoom.exe", u"Zoom", false, true, 10};
  const DeviceUse camera{u"Microsoft.WindowsCamera_8wekyb3d8bbwe", u"Microsoft.WindowsCamera", true, false, 20};
  struct Case {
    std::vector<DeviceUse> before, now;
    const char* started;
  };
  for (const Case& c : {Case{{}, {}, ""}, Case{{}, {zoom}, "Zoom"}, Case{{zoom}, {zoom}, ""},
                        Case{{zoom}, {}, ""}, Case{{zoom}, {zoom, camera}, "Microsoft.WindowsCamera"},
                        Case{{zoom}, {zoomAgain}, "Zoom"}, Case{{zoom}, {zoomMachine}, "Zoom"}}) {
    EXPECT_EQ(ToUtf8(Join_UseNames(Started_Uses(c.before, c.now))), c.started)
        << c.before.size() << " -> " << c.now.size();
  }
}
}  // namespace

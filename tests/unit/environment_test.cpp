#include <gtest/gtest.h>

#include "fakes/memory_registry.h"
#include "fakes/recording_sink.h"
#include "platform/environment.h"

namespace {
const u16 kCurrentVersion = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";

struct VersionCase {
  const char* what;
  OsVersion reported, actual;
  const char16_t* productName;  // nullptr: no value
  bool win8, win10, win11;
};

class VersionFlags : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionFlags, FollowTheReportedAndTrueVersions) {
  const VersionCase& c = GetParam();
  MemoryRegistry reg;
  if (c.productName) reg.PutString(RegRoot::LocalMachine, kCurrentVersion, u"ProductName", c.productName);
  SetRegistryBackend(&reg, false);
  RecordingSink sink;
  EnvironmentFacts f;
  f.executablePath = u"C:\\Tools\\x.exe";
  f.reported = c.reported;
  f.actual = c.actual;
  Init_GlobalValues(f);
  EXPECT_EQ(Win8_or_later, c.win8) << c.what;
  EXPECT_EQ(Win10_or_later, c.win10) << c.what;
  EXPECT_EQ(Win11, c.win11) << c.what;
  const bool announced = !sink.lines.empty() && sink.lines.back() == u"Windows 11 detected";
  EXPECT_EQ(announced, c.win11) << c.what;
  SetRegistryBackend(nullptr, false);
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionFlags,
    ::testing::Values(
        VersionCase{"Windows 11", {10, 0, 22000}, {10, 0, 22631}, nullptr, true, true, true},
        VersionCase{"Windows 11, build exactly 22000", {10, 0, 0}, {10, 0, 22000}, nullptr, true, true, true},
        VersionCase{"Windows 10", {10, 0, 19045}, {10, 0, 19045}, nullptr, true, true, false},
        VersionCase{"Windows 8.1", {6, 3, 9600}, {6, 3, 9600}, nullptr, true, false, false},
        VersionCase{"Windows 8", {6, 2, 9200}, {6, 2, 9200}, nullptr, true, false, false},
        VersionCase{"Windows 7", {6, 1, 7601}, {6, 1, 7601}, nullptr, false, false, false},
        VersionCase{"Vista", {6, 0, 6002}, {6, 0, 6002}, nullptr, false, false, false},
        // A program without the Windows 10 manifest entry is told 6.2 or 6.4; the product name decides.
        VersionCase{"reported 6.4, product Windows 10", {6, 4, 0}, {6, 4, 0}, u"  Windows 10 Pro ", true, true, false},
        VersionCase{"reported 6.4, product Windows 11", {6, 4, 0}, {6, 4, 0}, u"windows 11 home", true, true, true},
        VersionCase{"reported 6.4, no product name", {6, 4, 0}, {6, 4, 0}, nullptr, true, false, false},
        VersionCase{"product name ignored below 6.4", {6, 3, 0}, {6, 3, 0}, u"Windows 10 Pro", true, false, false},
        VersionCase{"reported 6.2 but true build of Windows 11", {6, 2, 9200}, {10, 0, 22621}, nullptr, true, true, true},
        VersionCase{"true major below 10 with a high build", {6, 3, 0}, {6, 3, 30000}, nullptr, true, false, false},
        VersionCase{"reported 11", {11, 0, 0}, {11, 0, 0}, nullptr, true, true, true}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Environment, DebugLinesNameBothVersions) {
  RecordingSink sink;
  EnvironmentFacts f;
  f.reported = {6, 2, 9200};
  f.actual = {10, 0, 19045};
  Init_GlobalValues(f);
  ASSERT_EQ(sink.lines.size(), 3u);
  EXPECT_EQ(sink.lines[0], u"WindowsVersion=6.2");
  EXPECT_EQ(sink.lines[1], u"RTL WindowsVersion=10.0");
  EXPECT_EQ(sink.lines[2], u"RTL WindowsVersion Build=19045");
}

struct FolderCase {
  const char* what;
  u16 exe, windows, localAppData;
  uint32_t major;
  u16 appFolder, windowsTemp, userTemp;
};

class Folders : public ::testing::TestWithParam<FolderCase> {};

TEST_P(Folders, AreDerivedFromWhatWindowsAnswers) {
  const FolderCase& c = GetParam();
  EnvironmentFacts f;
  f.executablePath = c.exe;
  f.windowsDirectory = c.windows;
  f.systemDirectory = c.windows.empty() ? u"" : c.windows + u"\\system32";
  f.localAppData = c.localAppData;
  f.reported = {c.major, 1, 0};
  f.isWow64Process = true;
  Init_GlobalValues(f);
  EXPECT_EQ(ToUtf8(AppFolder), ToUtf8(c.appFolder)) << c.what;
  EXPECT_EQ(ToUtf8(WindowsTempFolder), ToUtf8(c.windowsTemp)) << c.what;
  EXPECT_EQ(ToUtf8(UserTempFolder), ToUtf8(c.userTemp)) << c.what;
  EXPECT_EQ(ToUtf8(SkinsFolder), ToUtf8(c.appFolder + u"\\skins")) << c.what;
  EXPECT_TRUE(IsWow64);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, Folders,
    ::testing::Values(
        FolderCase{"program folder", u"C:\\Tools\\x.exe", u"C:\\Windows", u"C:\\Users\\ann\\AppData\\Local", 10,
                   u"C:\\Tools", u"C:\\Windows\\TEMP", u"C:\\Users\\ann\\AppData\\Local\\Temp"},
        FolderCase{"drive root", u"D:\\x.exe", u"C:\\Windows", u"", 10, u"D:", u"C:\\Windows\\TEMP", u""},
        FolderCase{"before Vista", u"C:\\Program Files\\Vostrel\\Veilcap.exe", u"C:\\WINDOWS",
                   u"C:\\Documents and Settings\\ann\\Local Settings\\Application Data", 5,
                   u"C:\\Program Files\\Vostrel", u"C:\\WINDOWS\\TEMP",
                   u"C:\\Documents and Settings\\ann\\Local Settings\\TEMP"},
        FolderCase{"every call failed", u"", u"", u"", 10, u"", u"", u""}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST(Environment, MissingIsWow64ProcessMeansNotWow64) {
  EnvironmentFacts f;
  f.isWow64Process = std::nullopt;
  Init_GlobalValues(f);
  EXPECT_FALSE(IsWow64);
}
}  // namespace

// The program-wide values computed from what Windows (a Windows 10 Wine prefix) answers.
#include <gtest/gtest.h>
#include <windows.h>

#include "fakes/recording_sink.h"
#include "platform/environment.h"
#include "platform/win32/environment_win.h"
#include "platform/win32/registry_win.h"

TEST(EnvironmentOnWindows, ValuesInAWindows10Prefix) {
  WindowsRegistry registry;
  SetRegistryBackend(&registry, false);
  RecordingSink sink;
  Init_GlobalValues(GatherEnvironmentFacts());

  EXPECT_TRUE(Win8_or_later);
  EXPECT_TRUE(Win10_or_later);
  EXPECT_FALSE(Win11);
  EXPECT_FALSE(IsWow64);  // a 64-bit test process
  ASSERT_FALSE(AppFolder.empty());
  EXPECT_NE(AppFolder.back(), u'\\');
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::u16string exePath(reinterpret_cast<const char16_t*>(exe));
  EXPECT_EQ(AppFolder + u"\\win_tests.exe", exePath);
  EXPECT_TRUE(EndsWith(UserTempFolder, u"\\Local\\Temp")) << ToUtf8(UserTempFolder);
  EXPECT_TRUE(EqualsNoCase(WindowsTempFolder, WindowsFolder + u"\\TEMP"));
  EXPECT_FALSE(SystemFolder.empty());
  ASSERT_GE(sink.lines.size(), 3u);
  EXPECT_EQ(sink.lines[0], u"WindowsVersion=10.0");
  EXPECT_EQ(sink.lines[1], u"RTL WindowsVersion=10.0");
  EXPECT_TRUE(StartsWith(sink.lines[2], u"RTL WindowsVersion Build=")) << ToUtf8(sink.lines[2]);
  SetRegistryBackend(nullptr, false);
}

// vos_inet2.dll as the program loads it: our recording stand-in beside the tests answers through
// every function with text, numbers, registry roots and icons intact; a missing library, or a file
// of that name without the functions, answers like a library without items.
#include <gtest/gtest.h>

#include <cstdlib>

#include "online/win32/vinet_win.h"
#include "win/win_scratch.h"

namespace {
using wintest::ScratchFolder;
using wintest::U16;

std::wstring ExeFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\'));
}

std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

class OnlineLibraryOnWindows : public ::testing::Test {
 protected:
  void SetUp() override { saved = AppFolder; }
  void TearDown() override {
    AppFolder = saved;
    for (const wchar_t* v : {L"VEILCAP_VINET_LOG", L"VEILCAP_VINET_CHECK", L"VEILCAP_VINET_ITEMS", L"VEILCAP_VINET_PROCESS"})
      SetEnvironmentVariableW(v, nullptr);
  }
  u16 saved;
};

TEST_F(OnlineLibraryOnWindows, EveryFunctionIsFoundByNameAndPassesItsArguments) {
  ScratchFolder scratch(L"vinet");
  const std::wstring log = scratch.wpath() + L"\\calls.log";
  SetEnvironmentVariableW(L"VEILCAP_VINET_LOG", log.c_str());
  SetEnvironmentVariableW(L"VEILCAP_VINET_CHECK", L"7");
  SetEnvironmentVariableW(L"VEILCAP_VINET_PROCESS", L"1");
  SetEnvironmentVariableW(L"VEILCAP_VINET_ITEMS", L"12:Neuigkeiten \u00fcber uns:i;0::;13:Alt:x");
  AppFolder = U16(ExeFolder());  // the stand-in is built beside the tests

  VinetDll lib;
  ASSERT_TRUE(lib.Loaded()) << "vos_inet2.dll not found beside win_tests.exe";
  lib.Init(3);
  lib.SetBaseFolder(u"C:\\Programme\\Veilcap\\");
  lib.SetProductLang(u"de-de");
  lib.SetSystemRegistryKey(0x80000002, u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\vos_inet");
  lib.InitAnalyticsManager();
  EXPECT_EQ(lib.StartAllChecks(GetDesktopWindow()), 7);
  lib.OpenLinkTargetInBrowser(u"feedback", u"00100", u"01.00.30", 0, u"de-de", u"");
  EXPECT_EQ(lib.GetMenuItemsCount(1), 3);
  EXPECT_EQ(lib.GetMenuItemsID(1, 0), 12);
  EXPECT_EQ(lib.GetMenuItemsText(1, 0), std::optional<u16>(u"Neuigkeiten \u00fcber uns"));
  EXPECT_EQ(lib.GetMenuItemsText(1, 1), std::optional<u16>(u""));
  EXPECT_EQ(lib.GetMenuItemsText(1, 9), std::nullopt) << "no text at all";
  EXPECT_NE(lib.GetMenuItemsImage(1, 0), 0u) << "a real icon";
  EXPECT_EQ(lib.GetMenuItemsImage(1, 1), 0u) << "no icon";
  EXPECT_EQ(lib.GetMenuItemsImage(1, 2), 0u) << "a handle that is no icon is dropped";
  EXPECT_EQ(lib.ProcessMenuItem(nullptr, 12), 1);
  lib.Shutdown(GetDesktopWindow());
  lib.Destroy();

  const std::vector<std::string> expected = {
      "vinet_Init\t3",
      "vinet_SetBaseFolder\tC:\\Programme\\Veilcap\\",
      "vinet_SetProductLang\tde-de",
      "vinet_SetSystemRegistryKey\t80000002\tSOFTWARE\\Vostrel\\Vostrel Veilcap\\vos_inet",
      "vinet_InitAnalyticsManager",
      "vinet_StartAllChecks\tdesktop",
      "vinet_OpenLinkTargetInBrowser\tfeedback\t00100\t01.00.30\t0\tde-de\t",
  };
  const auto lines = Lines(wintest::ReadBytes(log));
  ASSERT_GE(lines.size(), expected.size() + 2);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + long(expected.size())), expected);
  EXPECT_EQ(lines[lines.size() - 3], "vinet_ProcessMenuItem\tnone\t12");
  EXPECT_EQ(lines[lines.size() - 2], "vinet_Shutdown\tdesktop");
  EXPECT_EQ(lines.back(), "vinet_Destroy");
}

TEST_F(OnlineLibraryOnWindows, MissingLibraryOrFunctionsAnswerLikeALibraryWithoutItems) {
  struct Case {
    const char* what;
    const wchar_t* copyAsLibrary;  // a file to place as vos_inet2.dll, or none
  };
  for (const Case c : {Case{"no library", nullptr}, Case{"a library without the functions", L"version.dll"}}) {
    SCOPED_TRACE(c.what);
    ScratchFolder scratch(L"vinet-missing");
    if (c.copyAsLibrary) {
      wchar_t system[MAX_PATH] = {};
      GetSystemDirectoryW(system, MAX_PATH);
      ASSERT_TRUE(CopyFileW((std::wstring(system) + L"\\" + c.copyAsLibrary).c_str(),
                            (scratch.wpath() + L"\\vos_inet2.dll").c_str(), FALSE));
    }
    AppFolder = scratch.path();
    VinetDll lib;
    EXPECT_EQ(lib.Loaded(), c.copyAsLibrary != nullptr);
    lib.Init(3);
    lib.SetBaseFolder(u"x");
    lib.SetRegistryKey(0x80000002, u"k");
    lib.OpenLinkTargetInBrowser(u"eula", u"00100", u"01.00.30", 0, u"de-de", u"");
    EXPECT_EQ(lib.StartAllChecks(nullptr), 0);
    EXPECT_EQ(lib.GetMenuItemsCount(1), 0);
    EXPECT_EQ(lib.GetMenuItemsID(1, 0), 0);
    EXPECT_EQ(lib.GetMenuItemsText(1, 0), std::nullopt);
    EXPECT_EQ(lib.GetMenuItemsImage(1, 0), 0u);
    EXPECT_EQ(lib.ProcessMenuItem(nullptr, 1), 0);
    lib.Shutdown(nullptr);
    lib.Destroy();
    // The program keeps the library loaded for its whole run; the test lets go of it so that the
    // scratch folder can be removed.
    if (HMODULE m = GetModuleHandleW((scratch.wpath() + L"\\vos_inet2.dll").c_str())) FreeLibrary(m);
  }
}
}  // namespace

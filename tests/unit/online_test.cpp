// The binding to the online-services library against a recording library: the start with its
// checks, the shutdown at most once, the message menu entries, the item click and the pages.
#include <gtest/gtest.h>

#include "fakes/fake_online_library.h"
#include "fakes/recording_sink.h"
#include "online/online.h"
#include "platform/environment.h"

namespace {
OwnerWindow Desktop() { return reinterpret_cast<OwnerWindow>(uintptr_t(0x10010)); }
OwnerWindow MainWindow() { return reinterpret_cast<OwnerWindow>(uintptr_t(0x2040)); }

class OnlineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Reset();
    savedFolder = AppFolder;
    AppFolder = u"C:\\Program Files (x86)\\Vostrel\\Veilcap";
  }
  void TearDown() override {
    Reset();
    AppFolder = savedFolder;
  }
  static void Reset() {
    Online_Started = false;
    Online_Starting = false;
    Online_Stopped = false;
  }
  FakeOnlineLibrary lib;
  RecordingSink debug;
  u16 savedFolder;
};

TEST_F(OnlineTest, StartHandsOverTheProgramInOrderAndRunsTheChecks) {
  EXPECT_FALSE(OnlineServices_Start(Desktop(), u"de-de"));
  const std::string key = "SOFTWARE\\Vostrel\\Vostrel Veilcap\\vos_inet";
  const std::vector<std::string> expected = {
      "Init|3",
      "SetBaseFolder|C:\\Program Files (x86)\\Vostrel\\Veilcap\\",
      "SetProductID|00100",
      "SetProductVersion|01.00.30",
      "SetProductName|Vostrel Veilcap",
      "SetProductLang|de-de",
      "SetRegistryKey|80000002|" + key,
      "SetUserRegistryKey|80000002|" + key,
      "SetSystemRegistryKey|80000002|" + key,
      "InitAnalyticsManager",
      "StartAllChecks|65552",
  };
  EXPECT_EQ(lib.calls, expected);
  EXPECT_EQ(debug.Utf8(), std::vector<std::string>{"vinet_StartAllChecks RETURNED = 0"});
  EXPECT_TRUE(Online_Started);
  EXPECT_FALSE(Online_Starting);
  EXPECT_TRUE(Online_Ready());

  // Once per process.
  lib.calls.clear();
  EXPECT_FALSE(OnlineServices_Start(Desktop(), u"de-de"));
  EXPECT_TRUE(lib.calls.empty());
}

TEST_F(OnlineTest, CheckResultsOneAndSevenEndTheProgramAndStopTheLibraryOnce) {
  struct Case {
    int32_t result;
    bool ends;
  };
  for (const Case c : {Case{0, false}, Case{1, true}, Case{7, true}, Case{2, false}, Case{-1, false}, Case{6, false}}) {
    SCOPED_TRACE(c.result);
    Reset();
    lib.calls.clear();
    debug.lines.clear();
    lib.checkResult = c.result;

    EXPECT_EQ(OnlineServices_Start(Desktop(), u"en-us"), c.ends);
    std::vector<std::string> lines = {"vinet_StartAllChecks RETURNED = " + std::to_string(c.result)};
    if (c.ends) lines.push_back("WO15: TerminateNow");
    EXPECT_EQ(debug.Utf8(), lines);
    EXPECT_EQ(lib.Count("Shutdown"), c.ends ? 1 : 0);
    EXPECT_EQ(lib.Count("Destroy"), c.ends ? 1 : 0);
    EXPECT_EQ(Online_Ready(), !c.ends) << "nothing online is offered after the checks ended the program";

    // The stop at process end comes once in every case.
    OnlineServices_Stop(Desktop());
    EXPECT_EQ(lib.Count("Shutdown"), 1);
    EXPECT_EQ(lib.Count("Destroy"), 1);
  }
}

TEST_F(OnlineTest, StopRunsOnceEvenWithoutAStart) {
  // A refused second instance ends without ever starting the library.
  OnlineServices_Stop(Desktop());
  OnlineServices_Stop(Desktop());
  EXPECT_EQ(lib.calls, (std::vector<std::string>{"Shutdown|65552", "Destroy"}));
  EXPECT_EQ(lib.Count("Init"), 0);
  EXPECT_TRUE(Online_Stopped);
}

TEST_F(OnlineTest, MessageMenuEntriesKeepIndexOrderNumbersSeparatorsAndIcons) {
  lib.items = {{12, u"Neuigkeiten", 0x555}, {0, u"", 0}, {13, std::nullopt, 0}, {44, u"Angebot", 0}};
  const auto entries = Online_MessageMenuEntries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_EQ(entries[0].number, 12);
  EXPECT_EQ(entries[0].caption, u"Neuigkeiten");
  EXPECT_FALSE(entries[0].separator);
  EXPECT_EQ(entries[0].icon, 0x555u);
  EXPECT_TRUE(entries[1].separator);
  EXPECT_TRUE(entries[2].separator) << "no text at all is a separator too";
  EXPECT_EQ(entries[2].number, 13);
  EXPECT_EQ(entries[3].caption, u"Angebot");
  EXPECT_EQ(entries[3].icon, 0u);
  EXPECT_EQ(lib.Count("GetMenuItemsCount|1"), 1);
  EXPECT_EQ(lib.calls[1], "GetMenuItemsID|1|0");

  // A library that has been shut down is not asked again.
  OnlineServices_Stop(Desktop());
  lib.calls.clear();
  EXPECT_TRUE(Online_MessageMenuEntries().empty());
  EXPECT_TRUE(lib.calls.empty());
}

TEST_F(OnlineTest, ItemClickHidesTheWindowOnlyForOneAndSeven) {
  struct Case {
    int32_t answer;
    bool hide;
  };
  for (const Case c : {Case{0, false}, Case{1, true}, Case{7, true}, Case{3, false}}) {
    lib.processResult = c.answer;
    EXPECT_EQ(Online_ProcessMenuItem(MainWindow(), 12), c.hide) << c.answer;
  }
  EXPECT_EQ(lib.calls.back(), "ProcessMenuItem|8256|12");
}

TEST_F(OnlineTest, PagesOpenWithProductVersionAndTagAndNeverAfterTheStop) {
  Online_OpenLinkTarget(u"privacypolicy", u"de-de");
  EXPECT_EQ(lib.calls, (std::vector<std::string>{"OpenLinkTargetInBrowser|privacypolicy|00100|01.00.30|0|de-de|"}));
  OnlineServices_Stop(Desktop());
  lib.calls.clear();
  Online_OpenLinkTarget(u"eula", u"de-de");
  EXPECT_TRUE(lib.calls.empty());
}

TEST(OnlineWithoutLibrary, BehavesLikeALibraryWithoutItems) {
  Online_Started = Online_Starting = Online_Stopped = false;
  RecordingSink debug;
  EXPECT_FALSE(OnlineServices_Start(nullptr, u"de-de"));
  EXPECT_EQ(debug.Utf8(), std::vector<std::string>{"vinet_StartAllChecks RETURNED = 0"});
  EXPECT_TRUE(Online_MessageMenuEntries().empty());
  EXPECT_FALSE(Online_ProcessMenuItem(nullptr, 1));
  OnlineServices_Stop(nullptr);
  Online_Started = Online_Starting = Online_Stopped = false;
}
}  // namespace

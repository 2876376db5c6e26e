// The message menu built from the online services, its item click, and the about dialog's version
// text and links.
#include <gtest/gtest.h>

#include "fakes/fake_locale.h"
#include "fakes/fake_online_library.h"
#include "lang/languages.h"
#include "online/online.h"
#include "ui/about.h"
#include "ui/message_menu.h"

namespace {
OwnerWindow MainWindow() { return reinterpret_cast<OwnerWindow>(uintptr_t(0x2040)); }

class MessageMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Online_Started = Online_Starting = Online_Stopped = false;
    menu.AddItem(u"MenuItem_IM_Dummy", 0, u"dummy");
    lib.items = {{12, u"Neuigkeiten", 0x777}, {0, u"", 0x888}, {40, u"Angebot", 0}};
  }
  void TearDown() override { Online_Started = Online_Starting = Online_Stopped = false; }
  void Build(std::vector<u16> args = {}) {
    Build_MessageMenu(menu, images, args, [this](TMenuItem& item) {
      MenuItem_IM_DummyClick(item, MainWindow(), [this] { ++hides; });
    });
  }
  FakeOnlineLibrary lib;
  TPopupMenu menu{u"AdvPopupMenu_IM", 0};
  TImageList images{16, 16};
  int hides = 0;
};

TEST_F(MessageMenuTest, ReplacesTheMenuByTheLibrarysItems) {
  Build();
  Build();  // a second build replaces, it does not add
  const auto items = menu.Items();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(ToUtf8(*items[0]->Caption), "Neuigkeiten");
  EXPECT_EQ(items[0]->HelpContext, 12);
  EXPECT_TRUE(items[1]->IsSeparator());
  EXPECT_EQ(items[2]->HelpContext, 40);
  for (TMenuItem* i : items) EXPECT_EQ(i->Tag, 0);
  // Pictures in item order; an item without a valid icon has none.
  EXPECT_EQ(images.Count(), 2);
  EXPECT_EQ(items[0]->ImageIndex, 0);
  EXPECT_EQ(items[1]->ImageIndex, 1);
  EXPECT_EQ(items[2]->ImageIndex, -1);
  EXPECT_EQ(images.At(0).icon, 0x777u);
  EXPECT_EQ(menu.SubImages, &images);
}

TEST_F(MessageMenuTest, ExportRunLeavesTheMenuAlone) {
  for (const char16_t* first : {u"-SAVE", u"-save"}) {
    lib.calls.clear();
    Build({first});
    ASSERT_EQ(menu.Items().size(), 1u);
    EXPECT_EQ(menu.Items()[0]->Name, u"MenuItem_IM_Dummy");
    EXPECT_TRUE(lib.calls.empty());
  }
  Build({u"-TRAY", u"-SAVE"});  // only the first argument counts
  EXPECT_EQ(menu.Items().size(), 3u);
}

TEST_F(MessageMenuTest, ItemClickPassesItsNumberAndHidesOnOneOrSeven) {
  Build();
  struct Case {
    int32_t answer;
    int hidesAfter;
  };
  int expected = 0;
  for (const Case c : {Case{0, 0}, Case{1, 1}, Case{7, 1}, Case{2, 0}}) {
    lib.processResult = c.answer;
    menu.Items()[2]->Click();
    expected += c.hidesAfter;
    EXPECT_EQ(hides, expected) << c.answer;
    EXPECT_EQ(lib.calls.back(), "ProcessMenuItem|8256|40");
  }
}

class AboutTest : public ::testing::Test {
 protected:
  void SetUp() override {
    locale.AddCommonLocales();
    saved = CurrentLanguage_LCID;
    Online_Started = Online_Starting = Online_Stopped = false;
  }
  void TearDown() override { CurrentLanguage_LCID = saved; }
  FakeLocale locale;
  FakeOnlineLibrary lib;
  int32_t saved = 0;
};

TEST_F(AboutTest, VersionLabelIsItsDesignTextABlankAndTheVersion) {
  TForm_About about;
  about.FormCreate();
  EXPECT_EQ(ToUtf8(about.Label_Version->Text()), "Version: 01.00.30");
}

TEST_F(AboutTest, LinksOpenTheirPagesInTheCurrentLanguageWithoutWaitingForTheStart) {
  struct Case {
    int32_t lcid;
    bool eula;
    const char* call;
  };
  const Case cases[] = {
      {0x0407, true, "OpenLinkTargetInBrowser|eula|00100|01.00.30|0|de-de|"},
      {0x0407, false, "OpenLinkTargetInBrowser|privacypolicy|00100|01.00.30|0|de-de|"},
      {0x0809, true, "OpenLinkTargetInBrowser|eula|00100|01.00.30|0|en-gb|"},
  };
  for (const Case& c : cases) {
    CurrentLanguage_LCID = c.lcid;
    TForm_About about;
    lib.calls.clear();
    (c.eula ? about.TarvoUnicodeSTButton_EULA : about.TarvoUnicodeSTButton_Privacy)->Click();
    EXPECT_EQ(lib.calls, std::vector<std::string>{c.call});
  }
  EXPECT_FALSE(Online_Started);
}

TEST_F(AboutTest, LinksAreNavyAndUnderlinedOnlyWhileHoveredAndOkCloses) {
  TForm_About about;
  TTarvoUnicodeSTButton& link = *about.TarvoUnicodeSTButton_Privacy;
  EXPECT_EQ(link.DrawingFont().Color, 0x000080u);
  EXPECT_FALSE(link.DrawingFont().Underline);
  link.MouseEnter();
  EXPECT_TRUE(link.DrawingFont().Underline);
  EXPECT_EQ(link.DrawingFont().Height, -12);
  link.MouseLeave();
  EXPECT_FALSE(link.DrawingFont().Underline);

  int closes = 0;
  about.Close = [&] { ++closes; };
  about.Button_Ok->Click();
  EXPECT_EQ(closes, 1);
}
}  // namespace

// The language submenu: flag files by the three rules, items built from the translation file
// lists, and the click that switches the language of both windows and the messages at once.
#include <gtest/gtest.h>

#include <map>

#include "core/errors.h"
#include "fakes/fake_locale.h"
#include "fakes/memory_fs.h"
#include "fakes/memory_registry.h"
#include "fakes/recording_sink.h"
#include "lang/languages.h"
#include "lang/messages.h"
#include "lang/translate.h"
#include "platform/environment.h"
#include "ui/devices_window.h"
#include "ui/language_menu.h"

namespace {
const u16 kApp = u"C:\\Program Files\\Vostrel\\Veilcap";
const u16 kFlags = kApp + u"\\Flags\\";
const u16 kTranslation = kApp + u"\\translation";

class FlagImage final : public Image {
 public:
  int Width() const override { return 16; }
  int Height() const override { return 16; }
};

// Pictures load from the in-memory files; a file whose first byte is 'X' is not a picture.
class FileImages final : public ImageLoader {
 public:
  FileImages() { SetImageLoader(this); }
  ~FileImages() override { SetImageLoader(nullptr); }
  std::shared_ptr<const Image> LoadFromFile(const u16& path) override {
    uint32_t error = 0;
    auto bytes = Fs().ReadAll(path, &error);
    if (!bytes) throw OsError(error, u"cannot open " + path);
    if (!bytes->empty() && (*bytes)[0] == 'X') throw OsError(13, u"not a picture");
    return std::make_shared<FlagImage>();
  }
};

class LanguageMenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryBackend(&reg, false);
    savedAppFolder = AppFolder;
    AppFolder = kApp;
    locale.locales[0x0407].display = u"German";
    locale.locales[0x0409].display = u"English";
    locale.locales[0x040C].display = u"French";
    Clear();
  }
  void TearDown() override {
    EXPECT_EQ(reg.OpenHandles(), 0);
    SetRegistryBackend(nullptr, false);
    AppFolder = savedAppFolder;
    Clear();
  }
  static void Clear() {
    TranslationFiles_LCID.clear();
    TranslationFiles_Name.clear();
    TranslationFiles_Code.clear();
    CurrentLanguage.clear();
    CurrentLanguage_LCID = 0;
    Lang.reset();
    MessagesLoaded = false;
    Init_Messages();
    Form_VCP_Devices = nullptr;
  }
  static void AddLanguage(const char16_t* lcid, const char16_t* name, const char16_t* code) {
    TranslationFiles_LCID.push_back(lcid);
    TranslationFiles_Name.push_back(name);
    TranslationFiles_Code.push_back(code);
  }
  void AddFlag(const char16_t* name, const std::string& bytes = "BM") { mem.fs.AddFileText(kFlags + name, bytes); }

  MemoryRegistry reg;
  ScopedMemoryFs mem;
  FakeLocale locale;
  FileImages images;
  RecordingSink debug;
  u16 savedAppFolder;
};

TEST_F(LanguageMenuTest, FlagFileFollowsTheThreeRulesInOrder) {
  struct Case {
    const char* what;
    std::vector<const char16_t*> files;  // the in-memory folder lists them sorted by name
    const char16_t* code;
    const char16_t* expected;  // file name, or empty
  };
  const Case cases[] = {
      {"exact code", {u"de-de.bmp", u"de-at.bmp"}, u"de-de", u"de-de.bmp"},
      {"exact code beats the doubled language", {u"en-en.bmp", u"en-us.bmp"}, u"en-us", u"en-us.bmp"},
      {"doubled language", {u"en-gb.bmp", u"en-en.bmp"}, u"en-us", u"en-en.bmp"},
      {"first listed language file", {u"en-gb.bmp", u"en-au.bmp"}, u"en-us", u"en-au.bmp"},
      {"a code without country uses the doubled language", {u"de-de.bmp"}, u"de", u"de-de.bmp"},
      {"nothing for the language", {u"fr-fr.bmp", u"english.bmp"}, u"en-us", u""},
      {"another language's file is no match", {u"es-es.bmp"}, u"pt-br", u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedMemoryFs fs;
    for (const char16_t* f : c.files) fs.fs.AddFileText(kFlags + f, "BM");
    const u16 expected = *c.expected ? kFlags + c.expected : u16();
    EXPECT_EQ(ToUtf8(Find_FlagFile(kFlags, c.code)), ToUtf8(expected));
  }
}

TEST_F(LanguageMenuTest, FlagRulesNeverTakeAFolder) {
  mem.fs.AddDirectory(kFlags + u"en-zz.bmp");
  mem.fs.AddFileText(kFlags + u"en-gb.bmp", "BM");
  EXPECT_EQ(ToUtf8(Find_FlagFile(kFlags, u"en-us")), ToUtf8(kFlags + u"en-gb.bmp"));
}

TEST_F(LanguageMenuTest, OneItemPerLanguageWithNameNumberAndFlag) {
  AddLanguage(u"1031", u"de-de", u"de-de");
  AddLanguage(u"1033", u"en-us", u"en-us");
  AddLanguage(u"1036", u"fr-fr", u"fr-fr");
  AddFlag(u"de-de.bmp");
  AddFlag(u"en-gb.bmp");  // English takes it through the third rule; French has none

  TMenuItem lang(u"Tray_Lang", 1, u"Sprache");
  TImageList flags(16, 16);
  std::vector<int32_t> clicked;
  Build_LanguageMenu(lang, flags, [&](TMenuItem& item) { clicked.push_back(item.HelpContext); });

  const auto items = lang.Items();
  ASSERT_EQ(items.size(), 3u);
  const char* names[] = {"German", "English", "French"};
  const int32_t images[] = {0, 1, -1};
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(ToUtf8(items[i]->Caption.value_or(u"")), names[i]);
    EXPECT_EQ(items[i]->HelpContext, int32_t(i + 1));
    EXPECT_EQ(items[i]->Tag, 0) << "run-time items are never translated or exported";
    EXPECT_FALSE(items[i]->Checked) << "no item marks the current language";
    EXPECT_EQ(items[i]->ImageIndex, images[i]);
  }
  ASSERT_EQ(flags.Count(), 2);
  EXPECT_EQ(ToUtf8(flags.At(1).picture.FileName()), ToUtf8(kFlags + u"en-gb.bmp"));
  EXPECT_TRUE(flags.At(0).masked);
  EXPECT_EQ(flags.At(0).maskColor, 0xFFFFFFu);
  EXPECT_EQ(lang.SubImages, &flags);

  // Every item, and the parent itself, share the click handler.
  items[1]->Click();
  lang.Click();
  EXPECT_EQ(clicked, (std::vector<int32_t>{2, 0}));
}

TEST_F(LanguageMenuTest, UnreadableFlagLeavesOnlyThatItemWithoutPicture) {
  AddLanguage(u"1031", u"de-de", u"de-de");
  AddLanguage(u"1033", u"en-us", u"en-us");
  AddFlag(u"de-de.bmp", "XX");
  AddFlag(u"en-us.bmp");
  TMenuItem lang(u"Tray_Lang", 1, u"Sprache");
  TImageList flags(16, 16);
  Build_LanguageMenu(lang, flags, [](TMenuItem&) {});
  const auto items = lang.Items();
  ASSERT_EQ(items.size(), 2u);
  EXPECT_EQ(items[0]->ImageIndex, -1);
  EXPECT_EQ(items[1]->ImageIndex, 0);
  EXPECT_EQ(flags.Count(), 1);
  ASSERT_EQ(debug.lines.size(), 1u);
  EXPECT_NE(ToUtf8(debug.lines[0]).find("de-de.bmp"), std::string::npos);
}

TEST_F(LanguageMenuTest, EmptyListsBuildNothing) {
  TMenuItem lang(u"Tray_Lang", 1, u"Sprache");
  TImageList flags(16, 16);
  Build_LanguageMenu(lang, flags, [](TMenuItem&) {});
  EXPECT_TRUE(lang.Items().empty());
  EXPECT_EQ(flags.Count(), 0);
}

// Language switching against translation files in memory.
class LanguageSwitchTest : public LanguageMenuTest {
 protected:
  void SetUp() override {
    LanguageMenuTest::SetUp();
    AddLanguage(u"1031", u"de-de", u"de-de");
    AddLanguage(u"1033", u"en-us", u"en-us");
    mem.fs.AddFileText(kTranslation + u"\\index.txt", "Form_Veilcap.Tray_Quit=TEXT,0,01.00.30\r\n");
    mem.fs.AddFileText(kTranslation + u"\\de-de.tlang3",
                       "Form_Veilcap.Tray_Quit=Beenden\r\n"
                       "Form_VCP_Devices.Form_VCP_Devices=Entdeckte Ger\xc3\xa4te\r\n"
                       "MESSAGES.MESSAGE_STATUS_PLEASEWAIT=Bitte warten...\r\n");
    mem.fs.AddFileText(kTranslation + u"\\en-us.tlang3",
                       "Form_Veilcap.Tray_Quit=Quit\r\n"
                       "Form_VCP_Devices.Form_VCP_Devices=Detected devices\r\n"
                       "MESSAGES.MESSAGE_STATUS_PLEASEWAIT=Please wait...\r\n");
    window.Add(u"TMenuItem", u"Tray_Quit", 1).Caption = u"Beenden";
    window.Add(u"TLabel", u"Label_Untranslated", 1).Caption = u"Neustart";
    TImageList flags(16, 16);
    Build_LanguageMenu(lang, flags, [this](TMenuItem& item) { Tray_LangClick(item, Targets()); });
  }
  LanguageMenuTargets Targets() {
    LanguageMenuTargets t;
    t.mainWindow = &window;
    t.repaintStatus = [this] { events.push_back("repaint " + ToUtf8(MESSAGE_STATUS_PLEASEWAIT)); };
    t.textsChanged = [this] { events.push_back("texts " + ToUtf8(*window.Components[0]->Caption)); };
    return t;
  }
  const MemoryRegistry::Value* Forced() const {
    return reg.Get(RegRoot::CurrentUser, u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options", u"ForceLanguage_LCID");
  }
  u16 ForcedText() const {
    const auto* v = Forced();
    if (!v) return u"(none)";
    u16 s;
    for (size_t i = 0; i + 1 < v->data.size(); i += 2) s += char16_t(v->data[i] | (v->data[i + 1] << 8));
    while (!s.empty() && s.back() == 0) s.pop_back();
    return s;
  }
  TComponent window{u"TForm_Veilcap", u"Form_Veilcap", 0};
  TMenuItem lang{u"Tray_Lang", 1, u"Sprache"};
  std::vector<std::string> events;
};

TEST_F(LanguageSwitchTest, ChoosingALanguageSwitchesWindowsMessagesAndTheNextStart) {
  TForm_VCP_Devices devices;
  Form_VCP_Devices = &devices;
  // The devices window may be open: its view shows the new title at once.
  devices.OnTextsChanged = [&] { events.push_back("devices " + ToUtf8(devices.Caption.value_or(u""))); };
  CurrentLanguage = u"de-de";
  CurrentLanguage_LCID = 1031;

  lang.Items()[1]->Click();

  EXPECT_EQ(ToUtf8(ForcedText()), "en-us");
  EXPECT_EQ(ToUtf8(CurrentLanguage), "en-us");
  EXPECT_EQ(CurrentLanguage_LCID, 1033);
  ASSERT_FALSE(debug.lines.empty());
  EXPECT_EQ(debug.Utf8()[0], "New language=en-us ; LangID=1033");
  EXPECT_EQ(ToUtf8(*window.Components[0]->Caption), "Quit");
  EXPECT_EQ(ToUtf8(*window.Components[1]->Caption), "Neustart") << "a text the language lacks stays";
  EXPECT_EQ(ToUtf8(*devices.Caption), "Detected devices");
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_PLEASEWAIT), "Please wait...");
  EXPECT_TRUE(MessagesLoaded);
  // The views learn of the new texts, then the status is rebuilt from the new messages.
  EXPECT_EQ(events, (std::vector<std::string>{"devices Detected devices", "texts Quit", "repaint Please wait..."}));
}

TEST_F(LanguageSwitchTest, ChoosingTheCurrentLanguageStillWritesAndReloads) {
  lang.Items()[1]->Click();
  mem.fs.AddFileText(kTranslation + u"\\en-us.tlang3", "Form_Veilcap.Tray_Quit=Exit\r\n");
  reg.Put(RegRoot::CurrentUser, u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options", u"ForceLanguage_LCID", 1, {});
  events.clear();

  lang.Items()[1]->Click();
  EXPECT_EQ(ToUtf8(ForcedText()), "en-us");
  EXPECT_EQ(ToUtf8(*window.Components[0]->Caption), "Exit") << "the store was read again";
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_PLEASEWAIT), "") << "a message the new file lacks becomes empty";
  EXPECT_EQ(events.size(), 2u);
}

TEST_F(LanguageSwitchTest, ClicksThatNameNoLanguageChangeNothing) {
  struct Case {
    const char* what;
    int32_t helpContext;
  };
  for (const Case c : {Case{"the submenu item itself", 0}, Case{"a negative number", -4}, Case{"past the lists", 3}}) {
    SCOPED_TRACE(c.what);
    TMenuItem item(u"", 0, u"x");
    item.HelpContext = c.helpContext;
    Tray_LangClick(item, Targets());
    EXPECT_EQ(Forced(), nullptr);
    EXPECT_TRUE(CurrentLanguage.empty());
    EXPECT_TRUE(events.empty());
    EXPECT_TRUE(debug.lines.empty());
  }
  lang.Click();  // Tray_Lang shares the handler
  EXPECT_EQ(Forced(), nullptr);
}

TEST_F(LanguageSwitchTest, VanishedFilesKeepTheOldTextsButTheChoiceIsStored) {
  lang.Items()[0]->Click();  // German: "Beenden"
  ASSERT_EQ(ToUtf8(*window.Components[0]->Caption), "Beenden");
  mem.fs.Delete(kTranslation + u"\\en-us.tlang3");
  lang.Items()[1]->Click();
  EXPECT_EQ(ToUtf8(ForcedText()), "en-us");
  EXPECT_EQ(ToUtf8(CurrentLanguage), "en-us");
  EXPECT_EQ(ToUtf8(*window.Components[0]->Caption), "Beenden");
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_PLEASEWAIT), "Bitte warten...");
}
}  // namespace

#include <gtest/gtest.h>

#include <set>

#include "fakes/fake_locale.h"
#include "fakes/memory_fs.h"
#include "fakes/memory_registry.h"
#include "lang/languages.h"
#include "platform/environment.h"

namespace {
const u16 kApp = u"C:\\Program Files\\Vostrel\\Veilcap";
const u16 kFolder = kApp + u"\\translation";

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryBackend(&reg, false);
    locale.AddCommonLocales();
    savedAppFolder = AppFolder;
    AppFolder = kApp;
    CurrentLanguage.clear();
    CurrentLanguage_LCID = 0;
  }
  void TearDown() override {
    EXPECT_EQ(reg.OpenHandles(), 0);
    SetRegistryBackend(nullptr, false);
    AppFolder = savedAppFolder;
    CurrentLanguage.clear();
    CurrentLanguage_LCID = 0;
    TranslationFiles_LCID.clear();
    TranslationFiles_Name.clear();
    TranslationFiles_Code.clear();
  }
  void AddFiles(const std::vector<const char*>& names) {
    for (const char* n : names) mem.fs.AddFileText(kFolder + u"\\" + FromAscii(n), "x=y\r\n");
  }
  MemoryRegistry reg;
  ScopedMemoryFs mem;
  FakeLocale locale;
  u16 savedAppFolder;
};

std::vector<std::string> Utf8(const std::vector<u16>& v) {
  std::vector<std::string> r;
  for (const auto& s : v) r.push_back(ToUtf8(s));
  return r;
}

TEST(LanguageTableTest, HoldsEveryCodeOnceWithItsValue) {
  const auto& table = LanguageTable();
  ASSERT_EQ(table.size(), 128u);
  std::set<u16> codes;
  for (const auto& e : table) {
    EXPECT_TRUE(codes.insert(e.code).second) << ToUtf8(e.code) << " appears twice";
    EXPECT_EQ(AsciiLower(e.code), u16(e.code)) << ToUtf8(e.code);
    EXPECT_NE(e.lcid, 0) << ToUtf8(e.code);
  }
  struct Probe {
    const char16_t* code;
    uint16_t lcid;
  } probes[] = {{u"af", 0x0436},   {u"en", 0x0009},    {u"nl", 0x0413},    {u"nl-nl", 0x0413},
                {u"s", 0x0424},    {u"sl", 0x0424},    {u"sl-si", 0x0424}, {u"es-c", 0x340A},
                {u"ge", 0x0437},   {u"ka-ge", 0x0437}, {u"kk-kz", 0x043F}, {u"pt", 0x0816},
                {u"pt-br", 0x0416}, {u"es-pr", 0x500A}, {u"ar-qa", 0x4001}, {u"sr", 0x0C1A},
                {u"de-li", 0x1407}, {u"zh-sg", 0x1004}, {u"in", 0x0421},   {u"sx", 0x0430},
                // Not in the table: full codes of a language's home country, other case, blanks.
                {u"de-de", 0},     {u"fr-fr", 0},      {u"ja-jp", 0},      {u"DE", 0},
                {u"", 0},          {u"de ", 0},        {u"nb", 0},         {u"ka", 0}};
  for (const auto& p : probes) EXPECT_EQ(LanguageCode_To_LCID(p.code), p.lcid) << ToUtf8(p.code);
}

struct ScanCase {
  const char* what;
  std::vector<const char*> files;
  std::vector<std::string> lcids, names, codes;
};

class ScanTest : public LanguageTest, public ::testing::WithParamInterface<ScanCase> {};

TEST_P(ScanTest, TurnsUsableFilesIntoLanguages) {
  const ScanCase& c = GetParam();
  AddFiles(c.files);
  mem.fs.AddDirectory(kFolder + u"\\x.tlang3");
  // Stale entries from an earlier scan must go.
  TranslationFiles_Name = {u"old"};
  TranslationFiles_LCID = {u"1"};
  TranslationFiles_Code = {u"old"};
  Find_TranslationFiles(kFolder);
  EXPECT_EQ(Utf8(TranslationFiles_LCID), c.lcids) << c.what;
  EXPECT_EQ(Utf8(TranslationFiles_Name), c.names) << c.what;
  EXPECT_EQ(Utf8(TranslationFiles_Code), c.codes) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, ScanTest,
    ::testing::Values(
        ScanCase{"language part decides", {"de-de.tlang3", "en-us.tlang3"}, {"1031", "1033"}, {"de-de", "en-us"}, {"de-de", "en-us"}},
        ScanCase{"no code in the table", {"nb-no.tlang3", "ka.tlang3"}, {}, {}, {}},
        ScanCase{"bare english", {"en.tlang3"}, {"9"}, {"en"}, {"en"}},
        ScanCase{"numeric name", {"1031.tlang3"}, {"1031"}, {"1031"}, {"de-de"}},
        ScanCase{"prefix before underscore", {"app_en-gb.tlang3"}, {"2057"}, {"app_en-gb"}, {"en-gb"}},
        ScanCase{"upper-case name", {"De-DE.TLANG3"}, {"1031"}, {"de-de"}, {"de-de"}},
        ScanCase{"bare language codes", {"fr.tlang3", "sl.tlang3"}, {"1036", "1060"}, {"fr", "sl"}, {"fr", "sl"}},
        ScanCase{"country not in table", {"pt-pt.tlang3", "ja-jp.tlang3"}, {"1041", "2070"}, {"ja-jp", "pt-pt"}, {"ja-jp", "pt-pt"}},
        ScanCase{"text before first dot", {"de.old.tlang3", "a.b.tlang3"}, {"1031"}, {"de"}, {"de"}},
        ScanCase{"zero and empty codes", {"0.tlang3", "x_.tlang3", "-de.tlang3"}, {}, {}, {}},
        ScanCase{"other extensions", {"de-de.txt", "index.txt", "fr.tlang3.bak"}, {}, {}, {}},
        ScanCase{"sorted by name", {"zu.tlang3", "af.tlang3", "Es-C.tlang3"}, {"1078", "13322", "1077"}, {"af", "es-c", "zu"}, {"af", "es-c", "zu"}}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(LanguageTest, ScanAcceptsFolderWithTrailingBackslashAndMissingFolder) {
  AddFiles({"de-de.tlang3"});
  Find_TranslationFiles(kFolder + u"\\");
  EXPECT_EQ(Utf8(TranslationFiles_Name), std::vector<std::string>{"de-de"});
  Find_TranslationFiles(kApp + u"\\nothing");
  EXPECT_TRUE(TranslationFiles_Name.empty());
  EXPECT_TRUE(TranslationFiles_LCID.empty());
}

struct ChoiceCase {
  const char* what;
  std::vector<const char*> files;
  uint32_t userLcid;
  uint16_t systemLang;
  const char16_t* forced;  // registry value before, or nullptr
  const char* language;
  int32_t lcid;
  const char16_t* forcedAfter;  // registry value after, or nullptr when absent
};

class ChoiceTest : public LanguageTest, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(ChoiceTest, PicksTheLanguage) {
  const ChoiceCase& c = GetParam();
  for (const char* n : c.files) mem.fs.AddFileText(kApp + u"\\Translation\\" + FromAscii(n), "");
  locale.userLcid = c.userLcid;
  locale.systemLangId = c.systemLang;
  if (c.forced) reg.PutString(RegRoot::CurrentUser, kLanguageOptionsKey, kForceLanguageValue, c.forced);
  Choose_Language();
  EXPECT_EQ(ToUtf8(CurrentLanguage), c.language) << c.what;
  EXPECT_EQ(CurrentLanguage_LCID, c.lcid) << c.what;
  bool exists = Reg_ValueExists(RegRoot::CurrentUser, kLanguageOptionsKey, kForceLanguageValue);
  EXPECT_EQ(exists, c.forcedAfter != nullptr) << c.what;
  if (c.forcedAfter && exists) {
    EXPECT_EQ(ToUtf8(Reg_ReadString(RegRoot::CurrentUser, kLanguageOptionsKey, kForceLanguageValue)),
              ToUtf8(c.forcedAfter))
        << c.what;
  }
}

const std::vector<const char*> kDeEn = {"de-de.tlang3", "en-us.tlang3"};

INSTANTIATE_TEST_SUITE_P(
    Decisions, ChoiceTest,
    ::testing::Values(
        ChoiceCase{"english default for a french user", kDeEn, 0x040C, 0x040C, nullptr, "en-us", 0x0409, nullptr},
        ChoiceCase{"austrian system falls back to de-de", kDeEn, 0x0C07, 0x0C07, nullptr, "de-de", 0x0407, nullptr},
        ChoiceCase{"german user finds de-de", kDeEn, 0x0407, 0x0409, nullptr, "de-de", 0x0407, nullptr},
        ChoiceCase{"stale forced language is deleted", kDeEn, 0x040C, 0x040C, u"fr-fr", "en-us", 0x0409, nullptr},
        ChoiceCase{"forced language beats the locale", kDeEn, 0x0409, 0x0409, u"DE-DE", "de-de", 0x0407, u"DE-DE"},
        ChoiceCase{"no files: nothing chosen", {}, 0x0407, 0x0407, nullptr, "", 0, nullptr},
        ChoiceCase{"no files: forced value deleted", {}, 0x0407, 0x0407, u"de-de", "", 0, nullptr},
        ChoiceCase{"austrian locale on an english system", kDeEn, 0x0C07, 0x0409, nullptr, "en-us", 0x0409, nullptr},
        ChoiceCase{"swiss system, french user", {"de.tlang3", "en-us.tlang3"}, 0x100C, 0x0807, nullptr, "de", 0x0407, nullptr},
        ChoiceCase{"language alone", {"de.tlang3", "en-gb.tlang3"}, 0x0407, 0x0407, nullptr, "de", 0x0407, nullptr},
        ChoiceCase{"full code", {"pt.tlang3", "pt-br.tlang3"}, 0x0416, 0x0416, nullptr, "pt-br", 0x0416, nullptr},
        ChoiceCase{"no english and no match", {"de-de.tlang3"}, 0x040C, 0x040C, nullptr, "", 0, nullptr},
        ChoiceCase{"first english file in name order", {"en-us.tlang3", "en-gb.tlang3"}, 0x040C, 0x040C, nullptr, "en-gb", 0x0809, nullptr},
        ChoiceCase{"unknown user locale", kDeEn, 0x9999, 0x0C07, nullptr, "de-de", 0x0407, nullptr}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(LanguageTest, UserLocaleFallsBackToAbbreviatedNames) {
  locale.locales[0x0407] = {"", "", "DEU", "DEU", u""};
  locale.userLcid = 0x0407;
  EXPECT_EQ(ToUtf8(Get_UserLanguageCode()), "DE");
  EXPECT_EQ(ToUtf8(Get_UserCountryCode()), "DE");
  AddFiles({"de-de.tlang3", "en-us.tlang3"});
  Choose_Language();
  EXPECT_EQ(ToUtf8(CurrentLanguage), "de-de");

  locale.userLcid = 0x1234;  // nothing known
  EXPECT_EQ(Get_UserLanguageCode(), u"");
  EXPECT_EQ(Get_UserCountryCode(), u"");
}

TEST_F(LanguageTest, ForcedLanguageSurvivesARestart) {
  AddFiles({"de-de.tlang3", "en-us.tlang3"});
  locale.userLcid = 0x0409;
  Save_ForcedLanguage(u"de-de");
  EXPECT_EQ(ToUtf8(Reg_ReadString(RegRoot::CurrentUser, u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options",
                                   u"ForceLanguage_LCID")),
            "de-de");
  Choose_Language();
  EXPECT_EQ(ToUtf8(CurrentLanguage), "de-de");
  EXPECT_EQ(CurrentLanguage_LCID, 0x0407);
}

TEST_F(LanguageTest, LanguageTagsAndDisplayNames) {
  EXPECT_EQ(ToUtf8(LCID_To_LanguageTag(0x0C07)), "de-at");
  EXPECT_EQ(ToUtf8(LCID_To_LanguageTag(0x4242)), "-");
  EXPECT_EQ(ToUtf8(Get_LanguageDisplayName(0x040C)), "Franz\xc3\xb6sisch (Frankreich)");
  EXPECT_EQ(Get_LanguageDisplayName(0x4242), u"");

  // The current tag ignores the sort bits and reads through the 8-bit calls, with the same
  // fallbacks, lower-cased and trimmed.
  CurrentLanguage_LCID = 0x10407;
  EXPECT_EQ(ToUtf8(Get_CurrentLanguageTag()), "de-de");
  ASSERT_FALSE(locale.queriedA.empty());
  EXPECT_EQ(locale.queriedA.front(), 0x0407u);
  locale.locales[0x0809] = {"", "", "ENG", "GBR", u""};
  CurrentLanguage_LCID = 0x0809;
  EXPECT_EQ(ToUtf8(Get_CurrentLanguageTag()), "en-gb");
  locale.locales[0x0416] = {" pt", "BR ", "", "", u""};
  CurrentLanguage_LCID = 0x0416;
  EXPECT_EQ(ToUtf8(Get_CurrentLanguageTag()), "pt-br");
  CurrentLanguage_LCID = 0x4242;
  EXPECT_EQ(ToUtf8(Get_CurrentLanguageTag()), "-");
}
}  // namespace

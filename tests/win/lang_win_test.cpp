// The locale provider against the real locale functions. Wine takes its locale from LC_ALL, so the
// test run starts this program once per locale and names the expected LCID in VEILCAP_EXPECT_LCID
// (for example LC_ALL=de_DE.UTF-8 with VEILCAP_EXPECT_LCID=0x0407); without it the locale-bound
// tests are skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "fakes/memory_fs.h"
#include "fakes/memory_registry.h"
#include "lang/languages.h"
#include "lang/locale.h"
#include "lang/win32/providers.h"
#include "platform/environment.h"

namespace {
struct KnownLocale {
  uint32_t lcid;
  const char* language;  // ISO 639, as GetLocaleInfo answers it
  const char* country;   // ISO 3166
  const char16_t* names[2];  // display name in English or in the language itself
  const char* chosenFile;    // base name Choose_Language picks from de-de, en-us and fr
};
const KnownLocale kKnown[] = {
    {0x0407, "de", "DE", {u"German", u"Deutsch"}, "de-de"},
    {0x040C, "fr", "FR", {u"French", u"Fran\u00e7ais"}, "fr"},
    {0x0409, "en", "US", {u"English", u"English"}, "en-us"},
};

const KnownLocale* Expected() {
  const char* v = std::getenv("VEILCAP_EXPECT_LCID");
  if (!v || !*v) return nullptr;
  auto lcid = ParseInt32(FromAscii(v));
  for (const auto& k : kKnown)
    if (lcid && uint32_t(*lcid) == k.lcid) return &k;
  return nullptr;
}

class LangOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallLangProviders();
    expected = Expected();
  }
  void TearDown() override {
    SetLocaleProvider(nullptr);
    CurrentLanguage.clear();
    CurrentLanguage_LCID = 0;
  }
  const KnownLocale* expected = nullptr;
};

TEST_F(LangOnWindows, TagsAndNamesOfFixedLocales) {
  const std::pair<uint32_t, const char*> tags[] = {
      {0x0407, "de-de"}, {0x0C07, "de-at"}, {0x0807, "de-ch"}, {0x0809, "en-gb"}, {0x0416, "pt-br"}, {0x040C, "fr-fr"}};
  for (auto [lcid, tag] : tags) {
    EXPECT_EQ(ToUtf8(LCID_To_LanguageTag(lcid)), tag) << std::hex << lcid;
    CurrentLanguage_LCID = int32_t(lcid | 0x10000);  // a sort order in the high bits is ignored
    EXPECT_EQ(ToUtf8(Get_CurrentLanguageTag()), tag) << std::hex << lcid;
    EXPECT_FALSE(Get_LanguageDisplayName(lcid).empty()) << std::hex << lcid;
  }
}

TEST_F(LangOnWindows, UserLocaleFollowsTheEnvironment) {
  if (!expected) GTEST_SKIP() << "VEILCAP_EXPECT_LCID not set to a known locale";
  EXPECT_EQ(Locale().UserDefaultLCID(), expected->lcid);
  EXPECT_EQ(Locale().SystemDefaultLangID(), expected->lcid);
  EXPECT_EQ(ToUtf8(AsciiLower(Get_UserLanguageCode())), expected->language);
  EXPECT_EQ(ToUtf8(Get_UserCountryCode()), expected->country);
  u16 name = Get_LanguageDisplayName(expected->lcid);
  EXPECT_TRUE(StartsWith(name, expected->names[0]) || StartsWith(name, expected->names[1])) << ToUtf8(name);
}

TEST_F(LangOnWindows, ChoiceFollowsTheUserLocale) {
  if (!expected) GTEST_SKIP() << "VEILCAP_EXPECT_LCID not set to a known locale";
  ScopedMemoryFs mem;
  MemoryRegistry reg;
  SetRegistryBackend(&reg, false);
  u16 saved = AppFolder;
  AppFolder = u"C:\\Veilcap";
  for (const char16_t* f : {u"de-de.tlang3", u"en-us.tlang3", u"fr.tlang3"})
    mem.fs.AddFileText(u"C:\\Veilcap\\translation\\" + u16(f), "");
  Choose_Language();
  EXPECT_EQ(ToUtf8(CurrentLanguage), expected->chosenFile);
  AppFolder = saved;
  SetRegistryBackend(nullptr, false);
}
}  // namespace

#include "lang/languages.h"

#include <algorithm>

#include "core/codepage.h"
#include "core/fs.h"
#include "lang/locale.h"
#include "platform/environment.h"
#include "platform/registry.h"

u16 CurrentLanguage;
int32_t CurrentLanguage_LCID = 0;
std::vector<u16> TranslationFiles_LCID;
std::vector<u16> TranslationFiles_Name;
std::vector<u16> TranslationFiles_Code;

const u16 kLanguageOptionsKey = u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";
const u16 kForceLanguageValue = u"ForceLanguage_LCID";

namespace {
class NoLocale final : public LocaleProvider {
 public:
  uint32_t UserDefaultLCID() override { return 0; }
  uint16_t SystemDefaultLangID() override { return 0; }
  std::optional<u16> InfoW(uint32_t, LocaleField) override { return std::nullopt; }
  std::optional<std::string> InfoA(uint32_t, LocaleField) override { return std::nullopt; }
  u16 DisplayName(uint32_t) override { return {}; }
};
NoLocale g_noLocale;
LocaleProvider* g_locale = &g_noLocale;

// The first two characters of the abbreviated name stand in when the ISO name is not available.
u16 LocalePartW(uint32_t lcid, LocaleField iso, LocaleField abbrev) {
  if (auto s = Locale().InfoW(lcid, iso)) return *s;
  if (auto s = Locale().InfoW(lcid, abbrev)) return s->substr(0, 2);
  return {};
}

std::string LocalePartA(uint32_t lcid, LocaleField iso, LocaleField abbrev) {
  if (auto s = Locale().InfoA(lcid, iso)) return *s;
  if (auto s = Locale().InfoA(lcid, abbrev)) return s->substr(0, 2);
  return {};
}

void SelectEntry(size_t i) {
  CurrentLanguage = TranslationFiles_Name[i];
  CurrentLanguage_LCID = ParseInt32Or(TranslationFiles_LCID[i], 0);
}

// LCID of a file's language code: a number names the LCID itself, otherwise the table decides,
// trying the full code, the language alone and the language doubled ("fr" -> "fr-fr").
uint32_t ResolveCode(u16& code) {
  auto number = ParseInt32(code);
  if (number && *number != 0) {
    code = LCID_To_LanguageTag(uint32_t(*number));
    return uint32_t(*number);
  }
  u16 lang = code, country;
  if (auto parts = SplitFirst(code, u"-")) {
    lang = parts->first;
    country = parts->second;
  }
  if (lang.empty()) return 0;
  uint32_t lcid = 0;
  if (!country.empty()) lcid = LanguageCode_To_LCID(lang + u"-" + country);
  if (lcid == 0) lcid = LanguageCode_To_LCID(lang);
  if (lcid == 0) lcid = LanguageCode_To_LCID(lang + u"-" + lang);
  return lcid;
}
}  // namespace

void SetLocaleProvider(LocaleProvider* provider) { g_locale = provider ? provider : &g_noLocale; }
LocaleProvider& Locale() { return *g_locale; }

const std::vector<LanguageCode>& LanguageTable() {
  static const std::vector<LanguageCode> table = {
    {u"af", 0x0436}, {u"sq", 0x041C}, {u"ar-sa", 0x0401}, {u"ar-iq", 0x0801},
    {u"ar-eg", 0x0C01}, {u"ar-ly", 0x1001}, {u"ar-dz", 0x1401}, {u"ar-ma", 0x1801},
    {u"ar-tn", 0x1C01}, {u"ar-om", 0x2001}, {u"ar-ye", 0x2401}, {u"ar-sy", 0x2801},
    {u"ar-jo", 0x2C01}, {u"ar-lb", 0x3001}, {u"ar-kw", 0x3401}, {u"ar-ae", 0x3801},
    {u"ar-bh", 0x3C01}, {u"ar-qa", 0x4001}, {u"hy", 0x042B}, {u"eu", 0x042D},
    {u"bg", 0x0402}, {u"be", 0x0423}, {u"ca", 0x0403}, {u"zh-tw", 0x0404},
    {u"zh-cn", 0x0804}, {u"zh-hk", 0x0C04}, {u"zh-sg", 0x1004}, {u"hr", 0x041A},
    {u"cs", 0x0405}, {u"da", 0x0406}, {u"nl", 0x0413}, {u"nl-nl", 0x0413},
    {u"nl-be", 0x0813}, {u"en", 0x0009}, {u"en-us", 0x0409}, {u"en-gb", 0x0809},
    {u"en-au", 0x0C09}, {u"en-ca", 0x1009}, {u"en-nz", 0x1409}, {u"en-ie", 0x1809},
    {u"en-za", 0x1C09}, {u"en-jm", 0x2009}, {u"en-bz", 0x2809}, {u"en-tt", 0x2C09},
    {u"et", 0x0425}, {u"fo", 0x0438}, {u"fa", 0x0429}, {u"fi", 0x040B},
    {u"fr", 0x040C}, {u"fr-be", 0x080C}, {u"fr-ca", 0x0C0C}, {u"fr-ch", 0x100C},
    {u"fr-lu", 0x140C}, {u"mk", 0x042F}, {u"gd", 0x043C}, {u"gd-ie", 0x083C},
    {u"de", 0x0407}, {u"de-ch", 0x0807}, {u"de-at", 0x0C07}, {u"de-lu", 0x1007},
    {u"de-li", 0x1407}, {u"el", 0x0408}, {u"he", 0x040D}, {u"hi", 0x0439},
    {u"hu", 0x040E}, {u"is", 0x040F}, {u"in", 0x0421}, {u"it", 0x0410},
    {u"it-ch", 0x0810}, {u"ja", 0x0411}, {u"ko", 0x0412}, {u"lv", 0x0426},
    {u"lt", 0x0427}, {u"ms", 0x043E}, {u"mt", 0x043A}, {u"no", 0x0414},
    {u"nn-no", 0x0814}, {u"pl", 0x0415}, {u"pt-br", 0x0416}, {u"pt", 0x0816},
    {u"rm", 0x0417}, {u"ro", 0x0418}, {u"ro-mo", 0x0818}, {u"ru", 0x0419},
    {u"ru-mo", 0x0819}, {u"sz", 0x043B}, {u"sr", 0x0C1A}, {u"sk", 0x041B},
    {u"s", 0x0424}, {u"sb", 0x042E}, {u"es", 0x040A}, {u"es-mx", 0x080A},
    {u"es-gt", 0x100A}, {u"es-cr", 0x140A}, {u"es-pa", 0x180A}, {u"es-do", 0x1C0A},
    {u"es-ve", 0x200A}, {u"es-co", 0x240A}, {u"es-pe", 0x280A}, {u"es-ar", 0x2C0A},
    {u"es-ec", 0x300A}, {u"es-c", 0x340A}, {u"es-uy", 0x380A}, {u"es-py", 0x3C0A},
    {u"es-bo", 0x400A}, {u"es-sv", 0x440A}, {u"es-hn", 0x480A}, {u"es-ni", 0x4C0A},
    {u"es-pr", 0x500A}, {u"sx", 0x0430}, {u"sv", 0x041D}, {u"sv-fi", 0x081D},
    {u"th", 0x041E}, {u"ts", 0x0431}, {u"tn", 0x0432}, {u"tr", 0x041F},
    {u"uk", 0x0422}, {u"ur", 0x0420}, {u"ve", 0x0433}, {u"vi", 0x042A},
    {u"xh", 0x0434}, {u"ji", 0x043D}, {u"zu", 0x0435}, {u"ge", 0x0437},
    {u"ka-ge", 0x0437}, {u"sl", 0x0424}, {u"sl-si", 0x0424}, {u"kk-kz", 0x043F},
  };
  return table;
}

uint16_t LanguageCode_To_LCID(u16v code) {
  for (const auto& e : LanguageTable())
    if (code == e.code) return e.lcid;
  return 0;
}

u16 LCID_To_LanguageTag(uint32_t lcid) {
  u16 language = Locale().InfoW(lcid, LocaleField::Iso639LangName).value_or(u16());
  u16 country = Locale().InfoW(lcid, LocaleField::Iso3166CtryName).value_or(u16());
  return AsciiLower(language + u"-" + country);
}

u16 Get_UserLanguageCode() {
  return LocalePartW(Locale().UserDefaultLCID(), LocaleField::Iso639LangName, LocaleField::AbbrevLangName);
}

u16 Get_UserCountryCode() {
  return LocalePartW(Locale().UserDefaultLCID(), LocaleField::Iso3166CtryName, LocaleField::AbbrevCtryName);
}

u16 Get_LanguageDisplayName(uint32_t lcid) { return Locale().DisplayName(lcid); }

u16 Get_CurrentLanguageTag() {
  // The language identifier with the default sort order (SORT_DEFAULT is 0).
  uint32_t locale = uint32_t(CurrentLanguage_LCID) & 0xFFFF;
  std::string language = LocalePartA(locale, LocaleField::Iso639LangName, LocaleField::AbbrevLangName);
  std::string country = LocalePartA(locale, LocaleField::Iso3166CtryName, LocaleField::AbbrevCtryName);
  return Trim(AsciiLower(Ansi().ToUtf16(language + "-" + country)));
}

int IndexOfNoCase(const std::vector<u16>& list, u16v text) {
  for (size_t i = 0; i < list.size(); ++i)
    if (EqualsNoCase(list[i], text)) return int(i);
  return -1;
}

void Find_TranslationFiles(const u16& folder) {
  TranslationFiles_LCID.clear();
  TranslationFiles_Name.clear();
  TranslationFiles_Code.clear();
  u16 dir = folder;
  if (!EndsWith(dir, u"\\")) dir += u"\\";

  std::vector<u16> names;
  for (const FoundFile& f : Fs().Find(dir, u"*.tlang3"))
    if (!f.directory) names.push_back(AsciiLower(f.name));
  std::sort(names.begin(), names.end());

  for (const u16& name : names) {
    u16 base = name.substr(0, name.find(u'.'));
    u16 code = base;
    if (auto parts = SplitFirst(code, u"_")) code = parts->second;
    uint32_t lcid = ResolveCode(code);
    if (lcid == 0) continue;
    TranslationFiles_LCID.push_back(ToDec(int32_t(lcid)));
    TranslationFiles_Name.push_back(base);
    TranslationFiles_Code.push_back(code);
  }
}

void Choose_Language() {
  u16 language = AsciiLower(Get_UserLanguageCode());
  u16 country = AsciiLower(Get_UserCountryCode());
  uint16_t systemLang = Locale().SystemDefaultLangID();

  Find_TranslationFiles(AppFolder + u"\\Translation");

  // English is the default when a file for it exists.
  for (size_t i = 0; i < TranslationFiles_Code.size(); ++i) {
    if (AsciiLower(TranslationFiles_Code[i].substr(0, 2)) == u"en") {
      SelectEntry(i);
      break;
    }
  }

  // A language the user picked in the menu, as long as its file is still there.
  if (Reg_ValueExists(RegRoot::CurrentUser, kLanguageOptionsKey, kForceLanguageValue)) {
    u16 forced = Reg_ReadString(RegRoot::CurrentUser, kLanguageOptionsKey, kForceLanguageValue);
    int i = IndexOfNoCase(TranslationFiles_Name, forced);
    if (i >= 0) {
      SelectEntry(size_t(i));
      return;
    }
    Reg_DeleteValue(RegRoot::CurrentUser, kLanguageOptionsKey, kForceLanguageValue);
  }

  u16 candidate = country.empty() ? language : language + u"-" + country;
  int i = IndexOfNoCase(TranslationFiles_Code, candidate);
  if (i < 0) i = IndexOfNoCase(TranslationFiles_Code, language);
  if (i < 0 && (systemLang == 0x0807 || systemLang == 0x0C07)) {
    i = IndexOfNoCase(TranslationFiles_Code, u"de-de");
    if (i < 0) i = IndexOfNoCase(TranslationFiles_Code, u"de");
  }
  if (i >= 0) SelectEntry(size_t(i));
}

void Save_ForcedLanguage(const u16& base) {
  Reg_WriteString(RegRoot::CurrentUser, kLanguageOptionsKey, kForceLanguageValue, base);
}

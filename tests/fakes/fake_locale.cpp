#include "fakes/fake_locale.h"

namespace {
const std::string* Field(const FakeLocale::Names& n, LocaleField f) {
  switch (f) {
    case LocaleField::Iso639LangName: return &n.iso639;
    case LocaleField::Iso3166CtryName: return &n.iso3166;
    case LocaleField::AbbrevLangName: return &n.abbrevLang;
    case LocaleField::AbbrevCtryName: return &n.abbrevCtry;
  }
  return nullptr;
}
}  // namespace

std::optional<std::string> FakeLocale::InfoA(uint32_t lcid, LocaleField field) {
  queriedA.push_back(lcid);
  auto it = locales.find(lcid);
  if (it == locales.end()) return std::nullopt;
  const std::string* s = Field(it->second, field);
  if (!s || s->empty()) return std::nullopt;
  return *s;
}

std::optional<u16> FakeLocale::InfoW(uint32_t lcid, LocaleField field) {
  auto it = locales.find(lcid);
  if (it == locales.end()) return std::nullopt;
  const std::string* s = Field(it->second, field);
  if (!s || s->empty()) return std::nullopt;
  return FromAscii(*s);
}

u16 FakeLocale::DisplayName(uint32_t lcid) {
  auto it = locales.find(lcid);
  return it == locales.end() ? u16() : it->second.display;
}

void FakeLocale::AddCommonLocales() {
  locales[0x0407] = {"de", "DE", "DEU", "DEU", u"Deutsch (Deutschland)"};
  locales[0x0C07] = {"de", "AT", "DEA", "AUT", u"Deutsch (\u00d6sterreich)"};
  locales[0x0807] = {"de", "CH", "DES", "CHE", u"Deutsch (Schweiz)"};
  locales[0x040C] = {"fr", "FR", "FRA", "FRA", u"Franz\u00f6sisch (Frankreich)"};
  locales[0x100C] = {"fr", "CH", "FRS", "CHE", u"Franz\u00f6sisch (Schweiz)"};
  locales[0x0409] = {"en", "US", "ENU", "USA", u"Englisch (Vereinigte Staaten)"};
  locales[0x0809] = {"en", "GB", "ENG", "GBR", u"Englisch (Vereinigtes K\u00f6nigreich)"};
  locales[0x0416] = {"pt", "BR", "PTB", "BRA", u"Portugiesisch (Brasilien)"};
}

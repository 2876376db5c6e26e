// Made-up locales for tests: each LCID answers the names it was given; a field left empty makes
// its query fail, as GetLocaleInfo does for an unknown locale. Installed while the object lives.
#pragma once
#include <map>

#include "lang/locale.h"

class FakeLocale final : public LocaleProvider {
 public:
  struct Names {
    std::string iso639, iso3166, abbrevLang, abbrevCtry;
    u16 display;
  };
  FakeLocale() { SetLocaleProvider(this); }
  ~FakeLocale() override { SetLocaleProvider(nullptr); }

  uint32_t UserDefaultLCID() override { return userLcid; }
  uint16_t SystemDefaultLangID() override { return systemLangId; }
  std::optional<u16> InfoW(uint32_t lcid, LocaleField field) override;
  std::optional<std::string> InfoA(uint32_t lcid, LocaleField field) override;
  u16 DisplayName(uint32_t lcid) override;

  // The usual names for a few locales: de-DE, de-AT, de-CH, fr-FR, en-US, en-GB, pt-BR.
  void AddCommonLocales();

  std::map<uint32_t, Names> locales;
  uint32_t userLcid = 0;
  uint16_t systemLangId = 0;
  std::vector<uint32_t> queriedA;  // LCIDs asked through InfoA
};

// Locale answers the language choice needs. Windows: GetUserDefaultLCID, GetSystemDefaultLangID,
// GetLocaleInfoW/GetLocaleInfoA and VerLanguageNameW; tests: a table of made-up locales.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "core/text.h"

enum class LocaleField { Iso639LangName, Iso3166CtryName, AbbrevLangName, AbbrevCtryName };

class LocaleProvider {
 public:
  virtual ~LocaleProvider() = default;
  virtual uint32_t UserDefaultLCID() = 0;
  virtual uint16_t SystemDefaultLangID() = 0;
  // GetLocaleInfoW into a 32-character buffer; nullopt when the call fails.
  virtual std::optional<u16> InfoW(uint32_t lcid, LocaleField field) = 0;
  // GetLocaleInfoA into a 32-byte buffer (text in the ANSI code page); nullopt when it fails.
  virtual std::optional<std::string> InfoA(uint32_t lcid, LocaleField field) = 0;
  // VerLanguageNameW: the language's name in the language of the Windows installation, or empty.
  virtual u16 DisplayName(uint32_t lcid) = 0;
};

// Installs the provider (not owned); nullptr installs one that answers nothing.
void SetLocaleProvider(LocaleProvider* provider);
LocaleProvider& Locale();

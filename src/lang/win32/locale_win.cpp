#include <windows.h>

#include <algorithm>

#include "lang/locale.h"
#include "lang/win32/providers.h"

namespace {
LCTYPE ToLcType(LocaleField field) {
  switch (field) {
    case LocaleField::Iso639LangName: return LOCALE_SISO639LANGNAME;
    case LocaleField::Iso3166CtryName: return LOCALE_SISO3166CTRYNAME;
    case LocaleField::AbbrevLangName: return LOCALE_SABBREVLANGNAME;
    case LocaleField::AbbrevCtryName: return LOCALE_SABBREVCTRYNAME;
  }
  return LOCALE_SISO639LANGNAME;
}

class WindowsLocale final : public LocaleProvider {
 public:
  uint32_t UserDefaultLCID() override { return GetUserDefaultLCID(); }
  uint16_t SystemDefaultLangID() override { return GetSystemDefaultLangID(); }

  std::optional<u16> InfoW(uint32_t lcid, LocaleField field) override {
    wchar_t buf[32] = {};
    int n = GetLocaleInfoW(lcid, ToLcType(field), buf, 32);
    if (n <= 0) return std::nullopt;
    // n counts the terminating zero.
    return u16(reinterpret_cast<const char16_t*>(buf), size_t(n - 1));
  }

  std::optional<std::string> InfoA(uint32_t lcid, LocaleField field) override {
    char buf[32] = {};
    int n = GetLocaleInfoA(lcid, ToLcType(field), buf, 32);
    if (n <= 0) return std::nullopt;
    return std::string(buf, size_t(n - 1));
  }

  u16 DisplayName(uint32_t lcid) override {
    wchar_t buf[256] = {};
    DWORD n = VerLanguageNameW(lcid, buf, 256);
    if (n == 0) return {};
    return u16(reinterpret_cast<const char16_t*>(buf), std::min<size_t>(n, 255));
  }
};

WindowsLocale g_windowsLocale;
}  // namespace

void InstallLangProviders() { SetLocaleProvider(&g_windowsLocale); }

// The language table, the scan of the translation folder and the start-up choice of the language.
#pragma once
#include <cstdint>
#include <vector>

#include "core/text.h"

// Base name of the current translation file, lower case, without extension ("de-de"); empty at start.
extern u16 CurrentLanguage;
// LCID of the current language; 0 at start.
extern int32_t CurrentLanguage_LCID;
// One entry per usable translation file, parallel lists in scan order: LCID as decimal text,
// base name in lower case, language code derived from the name.
extern std::vector<u16> TranslationFiles_LCID;
extern std::vector<u16> TranslationFiles_Name;
extern std::vector<u16> TranslationFiles_Code;

// Where the forced language lives (HKEY_CURRENT_USER).
extern const u16 kLanguageOptionsKey;    // "SOFTWARE\Vostrel\Vostrel Veilcap\Options"
extern const u16 kForceLanguageValue;    // "ForceLanguage_LCID"

struct LanguageCode {
  const char16_t* code;
  uint16_t lcid;
};
// The 128 codes the program knows, in table order.
const std::vector<LanguageCode>& LanguageTable();

// LCID of a lower-case code, 0 for a code the table does not hold.
uint16_t LanguageCode_To_LCID(u16v code);
// Lower-case "language-country" of an LCID; a part the locale cannot answer is empty ("-" at worst).
u16 LCID_To_LanguageTag(uint32_t lcid);
// Two-letter language / country of the user's default locale, or empty; not lower-cased.
u16 Get_UserLanguageCode();
u16 Get_UserCountryCode();
// Display name of an LCID, or empty.
u16 Get_LanguageDisplayName(uint32_t lcid);
// Lower-case, trimmed "language-country" of CurrentLanguage_LCID, read through the 8-bit calls.
u16 Get_CurrentLanguageTag();

// Fills the three lists from the "*.tlang3" files of folder (sorted by name for a stable order).
void Find_TranslationFiles(const u16& folder);
// Sets CurrentLanguage and CurrentLanguage_LCID: English by default, then the forced language,
// the user's locale, and German for Swiss and Austrian German systems.
void Choose_Language();
// Remembers base as the forced language for the next start.
void Save_ForcedLanguage(const u16& base);

// Position of text in list, compared without regard to case, or -1.
int IndexOfNoCase(const std::vector<u16>& list, u16v text);

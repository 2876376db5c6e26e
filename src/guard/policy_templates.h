// The policy templates for administrators, made from the program's table of policies: one
// Veilcap.admx (machine policies in the category "Vostrel Veilcap", supported on Windows 10 and
// later) and one Veilcap.adml per language with each policy's name and explanation. The texts come
// from the section "POLICIES" of the translation files; a text a file lacks is taken in English.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/text.h"

// Texts of the section "POLICIES" by key without the section ("BlockWebcams_Explain"), "%CRLF"
// already turned into line breaks.
using PolicyTexts = std::map<u16, u16>;

// The keys the ADML needs: per policy its value name and "<value name>_Explain", then
// "SUPPORTED_Windows10".
std::vector<u16> Policy_TextKeys();
// The section "POLICIES" of a translation file's bytes (any encoding the program reads).
PolicyTexts Policy_TextsOf(const std::vector<uint8_t>& translationFile);
// The culture folder of a translation code: "de-de" gives "de-DE", "zh-cn" gives "zh-CN".
u16 Policy_Culture(u16v code);

// The files, UTF-8 with CR LF line ends.
std::string Policy_Admx();
std::string Policy_Adml(const PolicyTexts& texts, const PolicyTexts& english);

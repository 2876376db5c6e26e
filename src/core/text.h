// Text helpers for the program's UTF-16 strings (std::u16string holds exactly what Windows holds).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using u16 = std::u16string;
using u16v = std::u16string_view;

// ASCII case mapping: only a-z / A-Z change.
u16 AsciiUpper(u16v s);
u16 AsciiLower(u16v s);
bool EqualsNoCase(u16v a, u16v b);  // ASCII case-insensitive

// Removes leading and trailing characters up to and including the blank (code 32 and below).
u16 Trim(u16v s);

bool Contains(u16v haystack, u16v needle);
bool ContainsNoCase(u16v haystack, u16v needle);
bool StartsWith(u16v s, u16v prefix);
bool EndsWith(u16v s, u16v suffix);
// Position of needle in haystack ignoring ASCII case, or npos.
size_t FindNoCase(u16v haystack, u16v needle, size_t from = 0);

u16 ReplaceAll(u16v s, u16v from, u16v to);
u16 ReplaceAllNoCase(u16v s, u16v from, u16v to);

// Splits at the first separator: {before, after}; nullopt when the separator is absent.
std::optional<std::pair<u16, u16>> SplitFirst(u16v s, u16v separator);

// Decimal text of a number.
u16 ToDec(int64_t v);
u16 ToDecU(uint64_t v);
// Two-digit (or wider) zero-padded decimal.
u16 ToDecPadded(int64_t v, int width);

// Integer conversion as the program's string-to-integer routine does it: optional blanks before,
// optional sign, decimal digits, or "$"/"0x" hexadecimal; the whole rest must be digits.
// nullopt when the text is not a valid 32-bit integer.
std::optional<int32_t> ParseInt32(u16v s);
int32_t ParseInt32Or(u16v s, int32_t fallback);

// UTF-8 <-> UTF-16. Invalid input becomes U+FFFD; lone surrogates are written as U+FFFD.
std::string ToUtf8(u16v s);
u16 FromUtf8(std::string_view s);

// Little helper for ASCII literals written as plain strings.
u16 FromAscii(std::string_view s);

// Base64 (RFC 4648 alphabet, '=' padding, no line breaks) of the text's UTF-16LE bytes, the form
// PowerShell's -EncodedCommand takes.
u16 Base64Utf16Le(u16v s);

// Splits text into lines at CR LF, lone CR and lone LF. A final line break does not start an empty line.
std::vector<u16> SplitLines(u16v text);

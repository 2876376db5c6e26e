#include "fakes/cp1252.h"

namespace {
// Bytes 0x80..0x9F; 0 marks the five undefined positions (they map to themselves, as Windows does).
const char16_t kHigh[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                            0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
}  // namespace

std::string Cp1252::FromUtf16(u16v s) const {
  std::string r;
  r.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char16_t c = s[i];
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
      r.push_back(char(c));
      continue;
    }
    char out = '?';
    for (int k = 0; k < 32; ++k)
      if (kHigh[k] == c || (kHigh[k] == 0 && c == char16_t(0x80 + k))) out = char(0x80 + k);
    // A surrogate pair is one character and becomes one default character.
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) ++i;
    r.push_back(out);
  }
  return r;
}

u16 Cp1252::ToUtf16(std::string_view s) const {
  u16 r;
  r.reserve(s.size());
  for (char ch : s) {
    unsigned char b = static_cast<unsigned char>(ch);
    if (b >= 0x80 && b <= 0x9F && kHigh[b - 0x80]) r.push_back(kHigh[b - 0x80]);
    else r.push_back(char16_t(b));
  }
  return r;
}

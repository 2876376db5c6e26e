#include "core/text.h"

#include <algorithm>

namespace {
char16_t UpperC(char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; }
char16_t LowerC(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c; }
}  // namespace

u16 AsciiUpper(u16v s) {
  u16 r(s);
  for (auto& c : r) c = UpperC(c);
  return r;
}

u16 AsciiLower(u16v s) {
  u16 r(s);
  for (auto& c : r) c = LowerC(c);
  return r;
}

bool EqualsNoCase(u16v a, u16v b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperC(a[i]) != UpperC(b[i])) return false;
  return true;
}

u16 Trim(u16v s) {
  size_t b = 0, e = s.size();
  while (b < e && s[b] <= u' ') ++b;
  while (e > b && s[e - 1] <= u' ') --e;
  return u16(s.substr(b, e - b));
}

bool Contains(u16v haystack, u16v needle) { return haystack.find(needle) != u16v::npos; }

size_t FindNoCase(u16v haystack, u16v needle, size_t from) {
  if (needle.empty()) return from <= haystack.size() ? from : u16v::npos;
  if (haystack.size() < needle.size()) return u16v::npos;
  for (size_t i = from; i + needle.size() <= haystack.size(); ++i) {
    size_t j = 0;
    while (j < needle.size() && UpperC(haystack[i + j]) == UpperC(needle[j])) ++j;
    if (j == needle.size()) return i;
  }
  return u16v::npos;
}

bool ContainsNoCase(u16v haystack, u16v needle) { return FindNoCase(haystack, needle) != u16v::npos; }
bool StartsWith(u16v s, u16v prefix) { return s.substr(0, prefix.size()) == prefix; }
bool EndsWith(u16v s, u16v suffix) {
  return s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix;
}

u16 ReplaceAll(u16v s, u16v from, u16v to) {
  if (from.empty()) return u16(s);
  u16 r;
  r.reserve(s.size());
  size_t pos = 0;
  for (;;) {
    size_t hit = s.find(from, pos);
    if (hit == u16v::npos) break;
    r.append(s.substr(pos, hit - pos));
    r.append(to);
    pos = hit + from.size();
  }
  r.append(s.substr(pos));
  return r;
}

u16 ReplaceAllNoCase(u16v s, u16v from, u16v to) {
  if (from.empty()) return u16(s);
  u16 r;
  r.reserve(s.size());
  size_t pos = 0;
  for (;;) {
    size_t hit = FindNoCase(s, from, pos);
    if (hit == u16v::npos) break;
    r.append(s.substr(pos, hit - pos));
    r.append(to);
    pos = hit + from.size();
  }
  r.append(s.substr(pos));
  return r;
}

std::optional<std::pair<u16, u16>> SplitFirst(u16v s, u16v separator) {
  size_t hit = s.find(separator);
  if (hit == u16v::npos) return std::nullopt;
  return std::make_pair(u16(s.substr(0, hit)), u16(s.substr(hit + separator.size())));
}

u16 ToDecU(uint64_t v) {
  char16_t buf[24];
  int n = 0;
  do {
    buf[n++] = char16_t(u'0' + v % 10);
    v /= 10;
  } while (v);
  u16 r;
  while (n) r.push_back(buf[--n]);
  return r;
}

u16 ToDec(int64_t v) {
  if (v >= 0) return ToDecU(uint64_t(v));
  u16 r = ToDecU(uint64_t(0) - uint64_t(v));
  r.insert(r.begin(), u'-');
  return r;
}

u16 ToDecPadded(int64_t v, int width) {
  u16 digits = ToDecU(v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v));
  while (int(digits.size()) < width) digits.insert(digits.begin(), u'0');
  if (v < 0) digits.insert(digits.begin(), u'-');
  return digits;
}

std::optional<int32_t> ParseInt32(u16v s) {
  size_t i = 0;
  while (i < s.size() && s[i] == u' ') ++i;
  bool neg = false;
  if (i < s.size() && (s[i] == u'-' || s[i] == u'+')) {
    neg = s[i] == u'-';
    ++i;
  }
  int base = 10;
  if (i < s.size() && s[i] == u'$') {
    base = 16;
    ++i;
  } else if (i + 1 < s.size() && s[i] == u'0' && (s[i + 1] == u'x' || s[i + 1] == u'X')) {
    base = 16;
    i += 2;
  }
  if (i >= s.size()) return std::nullopt;
  uint64_t v = 0;
  for (; i < s.size(); ++i) {
    char16_t c = s[i];
    int d;
    if (c >= u'0' && c <= u'9') d = c - u'0';
    else if (base == 16 && c >= u'a' && c <= u'f') d = c - u'a' + 10;
    else if (base == 16 && c >= u'A' && c <= u'F') d = c - u'A' + 10;
    else return std::nullopt;
    v = v * base + d;
    if (v > 0xFFFFFFFFull) return std::nullopt;
  }
  if (base == 10) {
    if (neg ? v > 0x80000000ull : v > 0x7FFFFFFFull) return std::nullopt;
    return neg ? int32_t(-int64_t(v)) : int32_t(v);
  }
  // Hexadecimal text may name the full 32-bit pattern.
  int32_t r = int32_t(uint32_t(v));
  return neg ? int32_t(0u - uint32_t(r)) : r;
}

int32_t ParseInt32Or(u16v s, int32_t fallback) {
  auto v = ParseInt32(s);
  return v ? *v : fallback;
}

std::string ToUtf8(u16v s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t cp = s[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    if (cp < 0x80) {
      out.push_back(char(cp));
    } else if (cp < 0x800) {
      out.push_back(char(0xC0 | (cp >> 6)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
      out.push_back(char(0xE0 | (cp >> 12)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(char(0xF0 | (cp >> 18)));
      out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
      out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(char(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

u16 FromUtf8(std::string_view s) {
  u16 out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    uint32_t cp;
    int extra;
    if (c < 0x80) { cp = c; extra = 0; }
    else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
    else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
    else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
    else { out.push_back(0xFFFD); ++i; continue; }
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      if (i + k >= s.size() || (static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) { ok = false; break; }
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
    }
    static const uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    i += extra + 1;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(char16_t(0xD800 + (cp >> 10)));
      out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(char16_t(cp));
    }
  }
  return out;
}

u16 FromAscii(std::string_view s) {
  u16 r;
  r.reserve(s.size());
  for (char c : s) r.push_back(char16_t(static_cast<unsigned char>(c)));
  return r;
}

u16 Base64Utf16Le(u16v s) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<uint8_t> bytes;
  bytes.reserve(s.size() * 2);
  for (char16_t c : s) {
    bytes.push_back(uint8_t(c & 0xFF));
    bytes.push_back(uint8_t(c >> 8));
  }
  u16 out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  for (size_t i = 0; i < bytes.size(); i += 3) {
    const size_t n = std::min<size_t>(3, bytes.size() - i);
    uint32_t v = uint32_t(bytes[i]) << 16;
    if (n > 1) v |= uint32_t(bytes[i + 1]) << 8;
    if (n > 2) v |= bytes[i + 2];
    out += char16_t(kAlphabet[(v >> 18) & 63]);
    out += char16_t(kAlphabet[(v >> 12) & 63]);
    out += n > 1 ? char16_t(kAlphabet[(v >> 6) & 63]) : u'=';
    out += n > 2 ? char16_t(kAlphabet[v & 63]) : u'=';
  }
  return out;
}

std::vector<u16> SplitLines(u16v text) {
  std::vector<u16> lines;
  size_t start = 0, i = 0;
  while (i < text.size()) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      lines.emplace_back(text.substr(start, i - start));
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

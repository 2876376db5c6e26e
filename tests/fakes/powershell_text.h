// How PowerShell reads what the program hands it: the -EncodedCommand text and single-quoted
// literals. Written apart from the program's own code, so that the tests (native ones and the Wine
// stand-in for PowerShell) check it rather than repeat it. C is a 16-bit character type (char16_t,
// or wchar_t on Windows).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// -EncodedCommand: Base64 to bytes, the bytes as UTF-16LE. nullopt on any character outside the
// alphabet, bad padding or an odd byte count.
template <class C>
std::optional<std::basic_string<C>> DecodeEncodedCommand(std::basic_string_view<C> b64) {
  auto value = [](C c) -> int {
    if (c >= C('A') && c <= C('Z')) return int(c - C('A'));
    if (c >= C('a') && c <= C('z')) return int(c - C('a')) + 26;
    if (c >= C('0') && c <= C('9')) return int(c - C('0')) + 52;
    if (c == C('+')) return 62;
    if (c == C('/')) return 63;
    return -1;
  };
  if (b64.size() % 4 != 0) return std::nullopt;
  std::vector<uint8_t> bytes;
  for (size_t i = 0; i < b64.size(); i += 4) {
    int pad = 0;
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) {
      const C c = b64[i + k];
      if (c == C('=') && i + 4 == b64.size() && k >= 2) {
        ++pad;
        v <<= 6;
        continue;
      }
      const int d = value(c);
      if (d < 0 || pad) return std::nullopt;
      v = (v << 6) | uint32_t(d);
    }
    bytes.push_back(uint8_t(v >> 16));
    if (pad < 2) bytes.push_back(uint8_t(v >> 8));
    if (pad < 1) bytes.push_back(uint8_t(v));
  }
  if (bytes.size() % 2) return std::nullopt;
  std::basic_string<C> text;
  for (size_t i = 0; i < bytes.size(); i += 2) text += C(bytes[i] | (bytes[i + 1] << 8));
  return text;
}

// The straight and the typographic single quotes, which PowerShell treats alike.
template <class C>
bool IsPowerShellQuote(C c) {
  return c == C('\'') || (c >= C(0x2018) && c <= C(0x201B));
}

// Reads a single-quoted literal at the start of s the way PowerShell's tokenizer does (a doubled
// quote is one quote): {its value, what follows it}; nullopt when s does not start with a complete
// literal.
template <class C>
std::optional<std::pair<std::basic_string<C>, std::basic_string<C>>> ReadQuotedLiteral(std::basic_string_view<C> s) {
  if (s.empty() || !IsPowerShellQuote(s[0])) return std::nullopt;
  std::basic_string<C> value;
  for (size_t i = 1; i < s.size(); ++i) {
    if (!IsPowerShellQuote(s[i])) {
      value += s[i];
    } else if (i + 1 < s.size() && IsPowerShellQuote(s[i + 1])) {
      value += s[i];
      ++i;
    } else {
      return std::make_pair(value, std::basic_string<C>(s.substr(i + 1)));
    }
  }
  return std::nullopt;
}

#include "core/plain_text.h"

namespace {
bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
bool IsBreak(char16_t c) { return c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == 0x85; }
bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }
bool IsDirectionMark(char16_t c) {
  return (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C;
}
}  // namespace

u16 PlainText(u16v text, size_t maxChars) {
  u16 out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
      out.push_back(c);
      out.push_back(text[++i]);
    } else if (IsHigh(c) || IsLow(c)) {
      out.push_back(0xFFFD);
    } else if (IsBreak(c)) {
      out.push_back(u' ');
    } else if (!IsControl(c) && !IsDirectionMark(c)) {
      out.push_back(c);
    }
  }
  if (out.size() <= maxChars) return out;
  if (maxChars == 0) return {};
  size_t keep = maxChars - 1;
  if (keep > 0 && IsHigh(out[keep - 1])) --keep;  // the cut would split a pair
  out.resize(keep);
  out.push_back(u'\u2026');
  return out;
}

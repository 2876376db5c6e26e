#include "guard/hotkey_text.h"

namespace {
constexpr uint32_t kF1 = 0x70;
constexpr int kFunctionKeys = 24;

std::optional<uint32_t> Modifier(const u16& upper) {
  if (upper == u"CTRL" || upper == u"CONTROL") return kHotkeyControl;
  if (upper == u"ALT") return kHotkeyAlt;
  if (upper == u"SHIFT") return kHotkeyShift;
  if (upper == u"WIN") return kHotkeyWin;
  return std::nullopt;
}

std::optional<uint32_t> Key(const u16& upper) {
  if (upper.size() == 1) {
    const char16_t c = upper[0];
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) return uint32_t(c);
    return std::nullopt;
  }
  if (upper.size() < 2 || upper.size() > 3 || upper[0] != u'F') return std::nullopt;
  int n = 0;
  for (size_t i = 1; i < upper.size(); ++i) {
    if (upper[i] < u'0' || upper[i] > u'9') return std::nullopt;
    n = n * 10 + (upper[i] - u'0');
  }
  if (upper[1] == u'0' || n < 1 || n > kFunctionKeys) return std::nullopt;
  return kF1 + uint32_t(n - 1);
}

bool IsFunctionKey(uint32_t key) { return key >= kF1 && key < kF1 + kFunctionKeys; }
}  // namespace

std::optional<Hotkey> ParseHotkey(u16v text) {
  Hotkey h;
  bool haveKey = false;
  u16v rest = text;
  for (;;) {
    const size_t plus = rest.find(u'+');
    const u16 part = AsciiUpper(Trim(rest.substr(0, plus)));
    if (part.empty()) return std::nullopt;
    if (auto m = Modifier(part)) {
      if ((h.modifiers & *m) != 0 || haveKey) return std::nullopt;  // twice, or after the key
      h.modifiers |= *m;
    } else if (auto k = Key(part)) {
      if (haveKey) return std::nullopt;
      h.key = *k;
      haveKey = true;
    } else {
      return std::nullopt;
    }
    if (plus == u16v::npos) break;
    rest = rest.substr(plus + 1);
  }
  if (!haveKey) return std::nullopt;
  if (!IsFunctionKey(h.key) && (h.modifiers & (kHotkeyControl | kHotkeyAlt | kHotkeyWin)) == 0) return std::nullopt;
  return h;
}

Hotkey HotkeyOrDefault(u16v text, const Hotkey& fallback) { return ParseHotkey(text).value_or(fallback); }

u16 FormatHotkey(const Hotkey& h) {
  u16 r;
  if (h.modifiers & kHotkeyControl) r += u"Ctrl+";
  if (h.modifiers & kHotkeyAlt) r += u"Alt+";
  if (h.modifiers & kHotkeyShift) r += u"Shift+";
  if (h.modifiers & kHotkeyWin) r += u"Win+";
  if (IsFunctionKey(h.key))
    r += u"F" + ToDecU(h.key - kF1 + 1);
  else
    r += char16_t(h.key);
  return r;
}

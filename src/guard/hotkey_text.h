// Global hotkeys as text, the way they are stored with the options and an administrator may write
// them: modifiers and one key joined by "+", for example "Ctrl+Alt+Shift+C". Reading takes the
// modifiers (Ctrl or Control, Alt, Shift, Win) in any order and letter case, blanks around the
// parts, and one key: a letter, a digit or F1 to F24. A letter or digit needs Ctrl, Alt or Win,
// so that a hotkey can never swallow plain typing.
#pragma once
#include <cstdint>
#include <optional>

#include "core/text.h"

// The modifier bits RegisterHotKey takes.
inline constexpr uint32_t kHotkeyAlt = 0x1, kHotkeyControl = 0x2, kHotkeyShift = 0x4, kHotkeyWin = 0x8;

struct Hotkey {
  uint32_t modifiers = 0;
  uint32_t key = 0;  // virtual-key code: 'A'..'Z', '0'..'9', 0x70 (F1) .. 0x87 (F24)
  bool operator==(const Hotkey&) const = default;
};

inline constexpr Hotkey kDefaultHotkeyCam{kHotkeyControl | kHotkeyAlt | kHotkeyShift, 'C'};
inline constexpr Hotkey kDefaultHotkeyMic{kHotkeyControl | kHotkeyAlt | kHotkeyShift, 'M'};

// nullopt when the text is not a hotkey by the rules above.
std::optional<Hotkey> ParseHotkey(u16v text);
// The hotkey read from the text, or the fallback when the text is empty or not a hotkey.
Hotkey HotkeyOrDefault(u16v text, const Hotkey& fallback);
// "Ctrl+Alt+Shift+Win+<key>" with the modifiers present, in that order.
u16 FormatHotkey(const Hotkey& h);

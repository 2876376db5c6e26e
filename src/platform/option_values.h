// Where the program's options are stored (HKLM, where only administrators write), and the reading
// that a run without a window (the command line) shares with the tray menu.
#pragma once
#include "core/text.h"

inline constexpr char16_t kOptionsKey[] = u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";
inline constexpr char16_t kBlockPrivacyCamValue[] = u"Block_Privacy_Cam";
inline constexpr char16_t kBlockPrivacyMicValue[] = u"Block_Privacy_Mic";

// A privacy option as the tray menu loads it: off before Windows 10, else the stored value (1: on),
// on when nothing is stored.
bool Load_PrivacyOption(const char16_t* valueName);

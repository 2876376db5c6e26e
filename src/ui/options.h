// Where the main window's options live: the autostart task and three registry values.
#pragma once
#include "core/text.h"

inline constexpr char16_t kCaptureKey[] = u"SOFTWARE\\Microsoft\\OEM\\Device\\Capture";
inline constexpr char16_t kNoPhysicalCameraLEDValue[] = u"NoPhysicalCameraLED";
inline constexpr char16_t kOptionsKey[] = u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";  // HKLM
inline constexpr char16_t kBlockPrivacyCamValue[] = u"Block_Privacy_Cam";
inline constexpr char16_t kBlockPrivacyMicValue[] = u"Block_Privacy_Mic";
inline constexpr char16_t kShowNoticesValue[] = u"Show_Notices";  // 1 or 0; missing: shown
// Keep-blocked (REG_DWORD 1 on, else off; off when missing) and the global hotkeys (REG_DWORD 0
// off, else on; on when missing), with the two hotkeys as text an administrator may edit.
inline constexpr char16_t kKeepBlockedValue[] = u"Keep_Blocked";
inline constexpr char16_t kHotkeysValue[] = u"Hotkeys";
inline constexpr char16_t kHotkeyCamValue[] = u"Hotkey_Cam";
inline constexpr char16_t kHotkeyMicValue[] = u"Hotkey_Mic";

// A privacy option as the tray menu loads it: off before Windows 10, else the stored value (1: on),
// on when nothing is stored.
bool Load_PrivacyOption(const char16_t* valueName);

// The autostart task as the options see it. The default uses the task scheduler routines;
// tests install a fake. Create raises OsError when the task template cannot be read or written.
class AutostartControl {
 public:
  virtual ~AutostartControl() = default;
  virtual bool Exists() = 0;
  virtual void Create() = 0;
  virtual void Delete() = 0;
};
// Installs the control (not owned); nullptr goes back to the task scheduler routines.
void SetAutostartControl(AutostartControl* control);
AutostartControl& Autostart();

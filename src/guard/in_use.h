// Which programs use a camera or a microphone now, read from Windows' consent store. Windows
// records every use under ...\ConsentStore\webcam (and \microphone), in the current user's hive
// for the user's programs and in the machine's hive for services and other accounts: desktop
// programs under "NonPackaged\<path with '#' for '\'>", packaged apps under their family name,
// each with the FILETIME values "LastUsedTimeStart" and "LastUsedTimeStop". A program uses the
// device now while its stop time is 0 and its start time is not.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "core/text.h"

enum class DeviceKind { Webcam, Microphone };

struct DeviceUse {
  u16 id;                // the subkey's name: package family name or path with '#'
  u16 name;              // what the user reads: "Zoom", "Microsoft.WindowsCamera"
  bool packaged = false;
  bool machine = false;  // found in the machine's store
  uint64_t since = 0;    // LastUsedTimeStart (FILETIME, UTC)
};

struct InUse {
  std::vector<DeviceUse> webcam, microphone;
  const std::vector<DeviceUse>& Of(DeviceKind kind) const { return kind == DeviceKind::Webcam ? webcam : microphone; }
};

// The consent store key of a kind, below HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
const u16& ConsentStoreKey(DeviceKind kind);
// Desktop program: the file name without ".exe"; packaged app: the family name before its first
// "_"; as plain text (PlainText). A name that would come out empty is the plain id.
u16 DeviceUse_DisplayName(u16v id, bool packaged);
// The uses of one kind now, from both stores, earliest start first. Values of another type or
// size than an eight-byte REG_QWORD count as missing; a use needs both values. Never raises.
std::vector<DeviceUse> Read_DeviceUses(DeviceKind kind);
InUse Read_InUse();
// The distinct display names (case ignored, each made plain text) in list order, joined with ", ";
// empty for none.
// Past maxNames names the list ends in ", …", and a name longer than maxName characters (40) is
// cut to one less and "…": the text must still fit a status line and a tooltip.
u16 Join_UseNames(const std::vector<DeviceUse>& uses, size_t maxNames = 3, size_t maxName = 40);
// The in-use line (templ with "%1" for the names) that fits where fits says: all three names at
// their full 40 characters when that fits, else fewer and shorter ones, down to one name of 12
// characters (the last try, answered even when it does not fit either).
u16 Fit_InUseLine(u16v templ, const std::vector<DeviceUse>& uses, const std::function<bool(const u16&)>& fits);
// The uses in now that before did not have (same store, same id, same start): programs that
// started using the device since before was read.
std::vector<DeviceUse> Started_Uses(const std::vector<DeviceUse>& before, const std::vector<DeviceUse>& now);

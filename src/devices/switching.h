// Switching a device node off and on: Windows PowerShell, started by its full path in the system
// folder, runs Disable-PnpDevice or Enable-PnpDevice for one instance id. The command travels as
// -EncodedCommand (Base64 of its UTF-16LE text), so no script or batch file is ever written where
// another program could change it, and no code page stands between the id and PowerShell. The run
// is hidden and awaited on the calling thread, at most kPowerShellTimeoutMs.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"

inline constexpr uint32_t kPowerShellTimeoutMs = 120000;

// A PowerShell single-quoted string literal holding text exactly: every single quote (and the
// typographic quotes PowerShell also takes for one) is doubled, nothing inside is ever evaluated.
u16 PowerShellLiteral(u16v text);
// "PnpDevice\Disable-PnpDevice -InstanceId '<id>' -Confirm:$false" (Enable-PnpDevice when disable
// is false): the cmdlet named through its module, so no command of that name elsewhere can answer.
u16 PnpDeviceCommand(bool disable, const u16& instanceId);

// The Windows folder as the system folder's parent (GetSystemDirectory is never redirected or
// per user), empty when the system folder is unknown.
u16 SystemWindowsFolder();
// <Windows>\System32\WindowsPowerShell\v1.0\powershell.exe; a 32-bit program on 64-bit Windows
// names it through <Windows>\Sysnative, which reaches the 64-bit one without switching the file
// system redirection off.
u16 PowerShellPath();
// The PnpDevice module's manifest in the 64-bit system folder, as PowerShell itself sees it.
u16 PnpDeviceModulePath();
// The whole command text for one switch: stop at the first error, import the module from the
// system folder only (never from the user's module path), run the cmdlet.
u16 PnpSwitchCommandText(bool disable, const u16& instanceId);
// "<path>" -NoProfile -NonInteractive -ExecutionPolicy Bypass -EncodedCommand <Base64>
u16 PowerShellCommandLine(const u16& commandText);

// Runs the command text in a hidden PowerShell and waits for it, at most kPowerShellTimeoutMs
// (then PowerShell is ended). Writes the exit code as a debug line. Answers the exit code, nullopt
// when PowerShell had to be ended. Raises OsError when PowerShell cannot be started.
std::optional<int32_t> Run_PowerShell(const u16& commandText);

// What the device list's DisablePnpDevice / EnablePnpDevice do for one instance id. The device's
// state shows at the next search; the answer is always false. A disable records the device in the
// ledger unless PowerShell reported failure; an enable that PowerShell reports done removes it.
bool Pnp_DisableDevice(const u16& instanceId);
bool Pnp_EnableDevice(const u16& instanceId);

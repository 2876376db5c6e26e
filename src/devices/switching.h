// Switching a device node off and on: a PowerShell script with Disable-PnpDevice or
// Enable-PnpDevice for one instance id, started elevated and hidden through a batch file in the
// user's temporary folder, awaited, and both files removed again.
#pragma once
#include <vector>

#include "core/text.h"

// File names appended to UserTempFolder.
extern const u16 kPowerShellBatchName;   // "\temp_powershell_VLCP.bat"
extern const u16 kPowerShellScriptName;  // "\temp_powershell_VLCP.ps1"

// A PowerShell single-quoted string literal holding text exactly: every single quote (and the
// typographic quotes PowerShell also takes for one) is doubled, nothing inside is ever evaluated.
u16 PowerShellLiteral(u16v text);
// "Disable-PnpDevice -InstanceId '<id>' -Confirm:$false" (Enable-PnpDevice when disable is false).
u16 PnpDeviceCommand(bool disable, const u16& instanceId);
// The one line of the batch file that starts PowerShell on the script.
u16 PowerShellBatchLine(const u16& scriptPath);

// Writes the script (one command per line) and the batch file in the ANSI code page, runs the batch
// file elevated and hidden, waits for it and deletes both files. Raises OsError when a file cannot
// be written or the elevated start fails (a declined elevation prompt is silent).
void Run_PowerShell(const std::vector<u16>& commands);

// What the device list's DisablePnpDevice / EnablePnpDevice do for one instance id. The device's
// state shows at the next search; the answer is always false.
bool Pnp_DisableDevice(const u16& instanceId);
bool Pnp_EnableDevice(const u16& instanceId);

// Switching a device node off and on. Veilcap switches the node itself, the way Device Manager
// does: SetupAPI's property-change request through the class installer, judged by the node's
// problem code afterwards. Where SetupAPI refuses, or the change does not show on the node,
// Windows PowerShell, started by its full path in the system folder, runs Disable-PnpDevice or
// Enable-PnpDevice for the instance id. That command travels as -EncodedCommand (Base64 of its
// UTF-16LE text), so no script or batch file is ever written where another program could change
// it, and no code page stands between the id and PowerShell. The run is hidden and awaited on the
// calling thread, at most kPowerShellTimeoutMs.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"

inline constexpr uint32_t kPowerShellTimeoutMs = 120000;
inline constexpr uint32_t kProblemDisabled = 22;  // CM_PROB_DISABLED

// The system calls of the in-process switch (Windows: SetupAPI and the configuration manager).
class DeviceNodeSwitch {
 public:
  virtual ~DeviceNodeSwitch() = default;
  struct Change {
    uint32_t error = 0;          // 0: the class installer ran; else the error of the call that failed
    bool restartNeeded = false;  // DI_NEEDREBOOT or DI_NEEDRESTART in the install parameters afterwards
  };
  // Opens the device by its instance id, sets SP_PROPCHANGE_PARAMS (DIF_PROPERTYCHANGE,
  // DICS_DISABLE or DICS_ENABLE, DICS_FLAG_GLOBAL), calls the class installer and reads the
  // device's install parameters.
  virtual Change ChangeState(const u16& instanceId, bool disable) = 0;
  // The node's problem code (0: none) as CM_Get_DevNode_Status reports it; nullopt when the node
  // cannot be located or read.
  virtual std::optional<uint32_t> ProblemCode(const u16& instanceId) = 0;
};
// Installs the calls (not owned); without them every switch goes to PowerShell.
void SetDeviceNodeSwitch(DeviceNodeSwitch* calls);

// True while the last in-process switch of the device was accepted with a restart pending; the
// device list shows such a device as waiting for a restart.
bool Switching_RestartPending(const u16& instanceId);

// A PowerShell single-quoted string literal holding text exactly: every single quote (and the
// typographic quotes PowerShell also takes for one) is doubled, nothing inside is ever evaluated.
u16 PowerShellLiteral(u16v text);
// "PnpDevice\Disable-PnpDevice -InstanceId '<id>' -Confirm:$false" (Enable-PnpDevice when disable
// is false): the cmdlet named through its module, so no command of that name elsewhere can answer.
u16 PnpDeviceCommand(bool disable, const u16& instanceId);

// <Windows>\System32\WindowsPowerShell\v1.0\powershell.exe; a 32-bit program on 64-bit Windows
// names it through <Windows>\Sysnative, which reaches the 64-bit one without switching the file
// system redirection off.
u16 PowerShellPath();
// The PnpDevice module's manifest in the 64-bit system folder, as PowerShell itself sees it.
u16 PnpDeviceModulePath();
// The whole command text for one switch: no module loaded by name lookup, stop at the first error,
// import the module from the system folder only (never from the user's module path), run the cmdlet.
u16 PnpSwitchCommandText(bool disable, const u16& instanceId);
// "<path>" -NoProfile -NonInteractive -ExecutionPolicy Bypass -EncodedCommand <Base64>
u16 PowerShellCommandLine(const u16& commandText);

// Runs the command text in a hidden PowerShell and waits for it, at most kPowerShellTimeoutMs
// (then PowerShell is ended). Writes the exit code as a debug line. Answers the exit code, nullopt
// when PowerShell had to be ended. Raises OsError when PowerShell cannot be started.
std::optional<int32_t> Run_PowerShell(const u16& commandText);

// What the device list's DisablePnpDevice / EnablePnpDevice do for one instance id: the
// in-process switch, then PowerShell where that was refused or did not show on the node. The
// device's state shows at the next search; the answer is always false. An in-process switch the
// node confirms (or accepted with a restart pending) writes the ledger: a disable adds, an enable
// removes. After PowerShell, a disable records the device unless PowerShell reported failure; an
// enable that PowerShell reports done removes it. Raises OsError when PowerShell is needed and
// cannot be started.
bool Pnp_DisableDevice(const u16& instanceId);
bool Pnp_EnableDevice(const u16& instanceId);

#include "devices/switching.h"

#include <set>

#include "core/debug.h"
#include "core/textfile.h"
#include "devices/ledger.h"
#include "platform/environment.h"
#include "platform/process.h"

namespace {
// PowerShell ends a single-quoted string at any of these; each is escaped by doubling it.
bool IsPowerShellSingleQuote(char16_t c) {
  return c == u'\'' || c == u'\u2018' || c == u'\u2019' || c == u'\u201A' || c == u'\u201B';
}

DeviceNodeSwitch* g_nodeSwitch = nullptr;
// Upper-case ids of the devices whose last in-process switch waits for a restart.
std::set<u16> g_restartPending;

void SetRestartPending(const u16& instanceId, bool pending) {
  if (pending)
    g_restartPending.insert(AsciiUpper(instanceId));
  else
    g_restartPending.erase(AsciiUpper(instanceId));
}

enum class DirectResult { Confirmed, NotDone };

// The in-process switch: the class installer's answer, then the node's own state decides.
DirectResult SwitchInProcess(const u16& instanceId, bool disable) {
  if (!g_nodeSwitch) return DirectResult::NotDone;
  const DeviceNodeSwitch::Change change = g_nodeSwitch->ChangeState(instanceId, disable);
  if (change.error != 0) {
    DebugOut(u"VLCP: in-process switch refused, SetupAPI error " + ErrorCodeText(change.error));
    return DirectResult::NotDone;
  }
  if (change.restartNeeded) {
    // Windows completes the change at the next start; the node may still show the old state.
    SetRestartPending(instanceId, true);
    DebugOut(u"VLCP: switched in-process, restart pending");
    return DirectResult::Confirmed;
  }
  const std::optional<uint32_t> problem = g_nodeSwitch->ProblemCode(instanceId);
  if (problem && (*problem == kProblemDisabled) == disable) {
    SetRestartPending(instanceId, false);
    DebugOut(u"VLCP: switched in-process");
    return DirectResult::Confirmed;
  }
  DebugOut(u"VLCP: in-process switch did not show on the device, problem code " +
           (problem ? ToDecU(*problem) : u16(u"unreadable")));
  return DirectResult::NotDone;
}
}  // namespace

void SetDeviceNodeSwitch(DeviceNodeSwitch* calls) { g_nodeSwitch = calls; }

bool Switching_RestartPending(const u16& instanceId) {
  return !g_restartPending.empty() && g_restartPending.count(AsciiUpper(instanceId)) != 0;
}

u16 PowerShellLiteral(u16v text) {
  u16 out;
  out.reserve(text.size() + 2);
  out += u'\'';
  for (char16_t c : text) {
    out += c;
    if (IsPowerShellSingleQuote(c)) out += c;
  }
  out += u'\'';
  return out;
}

u16 PnpDeviceCommand(bool disable, const u16& instanceId) {
  return (disable ? u"PnpDevice\\Disable-PnpDevice -InstanceId " : u"PnpDevice\\Enable-PnpDevice -InstanceId ") +
         PowerShellLiteral(instanceId) + u" -Confirm:$false";
}

u16 PowerShellPath() { return NativeSystemProgram(u"WindowsPowerShell\\v1.0\\powershell.exe"); }

u16 PnpDeviceModulePath() {
  return SystemWindowsFolder() + u"\\System32\\WindowsPowerShell\\v1.0\\Modules\\PnpDevice\\PnpDevice.psd1";
}

u16 PnpSwitchCommandText(bool disable, const u16& instanceId) {
  // The module path is written out rather than taken from $env:SystemRoot: the environment of an
  // elevated program still carries variables the unelevated user may set.
  return u"$PSModuleAutoLoadingPreference='None'; $ErrorActionPreference='Stop'; Import-Module -Name " +
         PowerShellLiteral(PnpDeviceModulePath()) + u"; " + PnpDeviceCommand(disable, instanceId);
}

u16 PowerShellCommandLine(const u16& commandText) {
  return u"\"" + PowerShellPath() + u"\" -NoProfile -NonInteractive -ExecutionPolicy Bypass -EncodedCommand " +
         Base64Utf16Le(commandText);
}

std::optional<int32_t> Run_PowerShell(const u16& commandText) {
  std::optional<int32_t> exitCode =
      Run_Hidden_And_Wait(PowerShellPath(), PowerShellCommandLine(commandText), SystemFolder, kPowerShellTimeoutMs);
  if (exitCode)
    DebugOut(u"VLCP: PowerShell ExitCode=" + ToDec(*exitCode));
  else
    DebugOut(u"VLCP: PowerShell did not end within " + ToDecU(kPowerShellTimeoutMs / 1000) + u" s and was ended");
  return exitCode;
}

bool Pnp_DisableDevice(const u16& instanceId) {
  DebugOut(u"VLCP: DisableDevice-PnpID=" + instanceId);
  if (SwitchInProcess(instanceId, true) == DirectResult::Confirmed) {
    Ledger_Add(instanceId);
    return false;
  }
  const std::optional<int32_t> exitCode = Run_PowerShell(PnpSwitchCommandText(true, instanceId));
  // A PowerShell that had to be ended may well have disabled the device: keep it in view.
  if (!exitCode || *exitCode == 0) Ledger_Add(instanceId);
  return false;
}

bool Pnp_EnableDevice(const u16& instanceId) {
  if (SwitchInProcess(instanceId, false) == DirectResult::Confirmed) {
    Ledger_Remove(instanceId);
    return false;
  }
  const std::optional<int32_t> exitCode = Run_PowerShell(PnpSwitchCommandText(false, instanceId));
  if (exitCode && *exitCode == 0) Ledger_Remove(instanceId);
  return false;
}

#include "devices/switching.h"

#include "core/debug.h"
#include "devices/ledger.h"
#include "platform/environment.h"
#include "platform/process.h"

namespace {
// PowerShell ends a single-quoted string at any of these; each is escaped by doubling it.
bool IsPowerShellSingleQuote(char16_t c) {
  return c == u'\'' || c == u'\u2018' || c == u'\u2019' || c == u'\u201A' || c == u'\u201B';
}

const char16_t kPowerShellBelowSystem[] = u"\\WindowsPowerShell\\v1.0\\powershell.exe";
}  // namespace

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

u16 SystemWindowsFolder() {
  const size_t cut = SystemFolder.rfind(u'\\');
  return cut == u16::npos ? u16() : SystemFolder.substr(0, cut);
}

u16 PowerShellPath() {
  return SystemWindowsFolder() + (IsWow64 ? u"\\Sysnative" : u"\\System32") + kPowerShellBelowSystem;
}

u16 PnpDeviceModulePath() {
  return SystemWindowsFolder() + u"\\System32\\WindowsPowerShell\\v1.0\\Modules\\PnpDevice\\PnpDevice.psd1";
}

u16 PnpSwitchCommandText(bool disable, const u16& instanceId) {
  // The module path is written out rather than taken from $env:SystemRoot: the environment of an
  // elevated program still carries variables the unelevated user may set.
  return u"$ErrorActionPreference='Stop'; Import-Module -Name " + PowerShellLiteral(PnpDeviceModulePath()) +
         u"; " + PnpDeviceCommand(disable, instanceId);
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
  const std::optional<int32_t> exitCode = Run_PowerShell(PnpSwitchCommandText(true, instanceId));
  // A PowerShell that had to be ended may well have disabled the device: keep it in view.
  if (!exitCode || *exitCode == 0) Ledger_Add(instanceId);
  return false;
}

bool Pnp_EnableDevice(const u16& instanceId) {
  const std::optional<int32_t> exitCode = Run_PowerShell(PnpSwitchCommandText(false, instanceId));
  if (exitCode && *exitCode == 0) Ledger_Remove(instanceId);
  return false;
}

#include "devices/switching.h"

#include "core/debug.h"
#include "core/fs.h"
#include "core/textfile.h"
#include "devices/ledger.h"
#include "platform/environment.h"
#include "platform/process.h"

const u16 kPowerShellBatchName = u"\\temp_powershell_VLCP.bat";
const u16 kPowerShellScriptName = u"\\temp_powershell_VLCP.ps1";

namespace {
// PowerShell ends a single-quoted string at any of these; each is escaped by doubling it.
bool IsPowerShellSingleQuote(char16_t c) {
  return c == u'\'' || c == u'\u2018' || c == u'\u2019' || c == u'\u201A' || c == u'\u201B';
}

void DeleteIfPresent(const u16& path) {
  if (Fs().FileExists(path)) Delete_File(path);
}

// Keeps the calling thread's file-system redirection switched off while it lives (only for a
// 32-bit program on 64-bit Windows), so the batch file reaches the 64-bit PowerShell.
class RedirectionOff {
 public:
  RedirectionOff() {
    if (IsWow64) disabled_ = Disable_FsRedirection(&old_);
  }
  ~RedirectionOff() {
    if (disabled_) Revert_FsRedirection(old_);
  }
  RedirectionOff(const RedirectionOff&) = delete;
  RedirectionOff& operator=(const RedirectionOff&) = delete;

 private:
  void* old_ = nullptr;
  bool disabled_ = false;
};
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
  return (disable ? u"Disable-PnpDevice -InstanceId " : u"Enable-PnpDevice -InstanceId ") +
         PowerShellLiteral(instanceId) + u" -Confirm:$false";
}

u16 PowerShellBatchLine(const u16& scriptPath) {
  // Inside the batch file a percent sign must be doubled or CMD takes it for a variable.
  u16 path = ReplaceAll(PowerShellLiteral(scriptPath), u"%", u"%%");
  return u"PowerShell.exe -NoProfile -ExecutionPolicy Bypass -Command \"& " + path + u"\"";
}

void Run_PowerShell(const std::vector<u16>& commands) {
  const u16 batch = UserTempFolder + kPowerShellBatchName;
  const u16 script = UserTempFolder + kPowerShellScriptName;
  DeleteIfPresent(batch);
  DeleteIfPresent(script);

  WriteTextLines(batch, {PowerShellBatchLine(script)}, TextEncoding::Ansi);
  Processes().Sleep(50);
  WriteTextLines(script, commands, TextEncoding::Ansi);
  Processes().Sleep(50);

  {
    RedirectionOff redirection;
    Run_Elevated_And_Wait(Processes().DesktopWindow(), batch, u16(), kSwHide);
  }

  DeleteIfPresent(batch);
  DeleteIfPresent(script);
}

bool Pnp_DisableDevice(const u16& instanceId) {
  DebugOut(u"VLCP: DisableDevice-PnpID=" + instanceId);
  Run_PowerShell({PnpDeviceCommand(true, instanceId)});
  // Recorded so that a restore can switch on exactly what Veilcap switched off.
  Ledger_Add(instanceId);
  return false;
}

bool Pnp_EnableDevice(const u16& instanceId) {
  Run_PowerShell({PnpDeviceCommand(false, instanceId)});
  Ledger_Remove(instanceId);
  return false;
}

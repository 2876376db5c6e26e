// The switching command text over arbitrary instance ids and system folders: PowerShell's
// single-quote rules must give back exactly the module path (followed only by the cmdlet) and the
// id (followed only by the confirmation switch).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "devices/switching.h"
#include "fakes/powershell_text.h"
#include "platform/environment.h"

namespace {
// {value, rest} of the literal at the start of s; aborts when there is none.
std::pair<u16, u16> ReadLiteral(u16v s) {
  auto literal = ReadQuotedLiteral(s);
  if (!literal) std::abort();
  return *literal;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  u16 text;
  for (size_t i = 0; i + 1 < size; i += 2) text += char16_t(data[i] | (data[i + 1] << 8));
  // The first character is the separator: the id comes after it, the folder after its next use.
  u16 id, folder;
  if (!text.empty()) {
    const size_t cut = text.find(text[0], 1);
    id = text.substr(1, cut == u16::npos ? u16::npos : cut - 1);
    if (cut != u16::npos) folder = text.substr(cut + 1);
  }

  // Windows paths hold no double quote; anything else may occur.
  if (folder.find(u'"') != u16::npos) return 0;
  SystemFolder = folder + u"\\System32";
  for (bool disable : {true, false}) {
    const u16 command = PnpSwitchCommandText(disable, id);
    const u16 head = u"$PSModuleAutoLoadingPreference='None'; $ErrorActionPreference='Stop'; Import-Module -Name ";
    if (command.compare(0, head.size(), head) != 0) std::abort();
    auto [module, afterModule] = ReadLiteral(u16v(command).substr(head.size()));
    if (module != PnpDeviceModulePath() || module.compare(0, folder.size(), folder) != 0) std::abort();
    const u16 cmdlet = disable ? u"; PnpDevice\\Disable-PnpDevice -InstanceId " : u"; PnpDevice\\Enable-PnpDevice -InstanceId ";
    if (afterModule.compare(0, cmdlet.size(), cmdlet) != 0) std::abort();
    auto [value, rest] = ReadLiteral(u16v(afterModule).substr(cmdlet.size()));
    if (value != id || rest != u" -Confirm:$false") std::abort();
  }
  return 0;
}

// The switching command line and batch line over arbitrary instance ids and folders: PowerShell's
// single-quote rules must give back exactly the id (followed only by the confirmation switch), and
// the batch line, once CMD has turned %% into %, exactly the script path.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "devices/switching.h"

namespace {
bool IsQuote(char16_t c) { return c == u'\'' || (c >= u'\u2018' && c <= u'\u201B'); }

// {value, rest} of the literal at the start of s; aborts when there is none.
std::pair<u16, u16> ReadLiteral(u16v s) {
  if (s.empty() || !IsQuote(s[0])) std::abort();
  u16 value;
  for (size_t i = 1; i < s.size(); ++i) {
    if (!IsQuote(s[i])) {
      value += s[i];
    } else if (i + 1 < s.size() && IsQuote(s[i + 1])) {
      value += s[i];
      ++i;
    } else {
      return {value, u16(s.substr(i + 1))};
    }
  }
  std::abort();
}

// What CMD leaves of a batch line without variables: every %% becomes %; a lone % must not occur.
u16 CmdPercents(u16v s) {
  u16 out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'%') {
      out += s[i];
      continue;
    }
    if (i + 1 >= s.size() || s[i + 1] != u'%') std::abort();
    out += u'%';
    ++i;
  }
  return out;
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

  for (bool disable : {true, false}) {
    const u16 line = PnpDeviceCommand(disable, id);
    const u16 head = disable ? u"Disable-PnpDevice -InstanceId " : u"Enable-PnpDevice -InstanceId ";
    if (line.compare(0, head.size(), head) != 0) std::abort();
    auto [value, rest] = ReadLiteral(u16v(line).substr(head.size()));
    if (value != id || rest != u" -Confirm:$false") std::abort();
  }

  // Windows paths hold no double quote; anything else may occur.
  if (folder.find(u'"') != u16::npos) return 0;
  const u16 script = folder + kPowerShellScriptName;
  const u16 batch = CmdPercents(PowerShellBatchLine(script));
  const u16 head = u"PowerShell.exe -NoProfile -ExecutionPolicy Bypass -Command \"& ";
  if (batch.compare(0, head.size(), head) != 0 || batch.back() != u'"') std::abort();
  auto [path, rest] = ReadLiteral(u16v(batch).substr(head.size(), batch.size() - head.size() - 1));
  if (path != script || !rest.empty()) std::abort();
  return 0;
}

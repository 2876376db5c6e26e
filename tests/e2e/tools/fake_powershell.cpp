// fake_powershell.exe: stands in for PowerShell.exe in a Wine test prefix (copied as
// C:\windows\system32\WindowsPowerShell\v1.0\powershell.exe and C:\windows\system32\powershell.exe,
// run with the DLL override powershell.exe=n).
//
// It records its command line and the script it was given, one entry per line, appended as UTF-8 to
// the file named by VEILCAP_FAKE_PS_LOG (default C:\fake_powershell.log):
//   CMDLINE <whole command line>
//   SCRIPT <path>                    the file named by -Command "& '<path>'"
//   LINE <script line>               every line of the script, as read in the ANSI code page
//   DISABLE <id> / ENABLE <id>       a recognised Disable-PnpDevice / Enable-PnpDevice line
//   APPLIED / NO DEVICE              whether the fake device's problem code was set (22 / 0)
//   IGNORED <line>                   anything else: never evaluated
// The instance id is read with PowerShell's single-quote rules ('' is one '); a line is recognised
// only when the literal is followed by exactly " -Confirm:$false". Nothing is ever evaluated.
// "-VeilcapFakeProbe" answers exit code 4242 at once, so tests can tell the fake is in place.
#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>
#include <vector>

#include "fake_devices.h"

namespace {
bool IsQuote(wchar_t c) { return c == L'\'' || (c >= 0x2018 && c <= 0x201B); }

// A single-quoted literal at the start of s: {value, rest}.
std::optional<std::pair<std::wstring, std::wstring>> ReadLiteral(const std::wstring& s) {
  if (s.empty() || !IsQuote(s[0])) return std::nullopt;
  std::wstring value;
  for (size_t i = 1; i < s.size(); ++i) {
    if (!IsQuote(s[i])) {
      value += s[i];
    } else if (i + 1 < s.size() && IsQuote(s[i + 1])) {
      value += s[i];
      ++i;
    } else {
      return std::make_pair(value, s.substr(i + 1));
    }
  }
  return std::nullopt;
}

class Log {
 public:
  Log() {
    wchar_t path[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(L"VEILCAP_FAKE_PS_LOG", path, MAX_PATH);
    std::wstring p = (n > 0 && n < MAX_PATH) ? std::wstring(path, n) : L"C:\\fake_powershell.log";
    h_ = CreateFileW(p.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~Log() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  void Line(const std::wstring& tag, const std::wstring& text) {
    if (h_ == INVALID_HANDLE_VALUE) return;
    std::wstring all = tag + (text.empty() ? L"" : L" " + text) + L"\r\n";
    int n = WideCharToMultiByte(CP_UTF8, 0, all.data(), int(all.size()), nullptr, 0, nullptr, nullptr);
    std::string bytes(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, all.data(), int(all.size()), bytes.data(), n, nullptr, nullptr);
    DWORD written = 0;
    WriteFile(h_, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  }

 private:
  HANDLE h_ = INVALID_HANDLE_VALUE;
};

std::vector<std::wstring> ReadAnsiLines(const std::wstring& path, bool* ok) {
  std::vector<std::wstring> lines;
  *ok = false;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return lines;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  *ok = true;
  std::wstring text;
  if (!bytes.empty()) {
    int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    text.resize(size_t(n));
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), int(bytes.size()), text.data(), n);
  }
  std::wstring line;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\r' || text[i] == L'\n') {
      lines.push_back(line);
      line.clear();
      if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      line += text[i];
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

void Apply(Log& log, const std::wstring& line) {
  static const std::wstring kDisable = L"Disable-PnpDevice -InstanceId ", kEnable = L"Enable-PnpDevice -InstanceId ";
  bool disable = line.rfind(kDisable, 0) == 0;
  bool enable = line.rfind(kEnable, 0) == 0;
  if (disable || enable) {
    auto literal = ReadLiteral(line.substr((disable ? kDisable : kEnable).size()));
    if (literal && literal->second == L" -Confirm:$false") {
      log.Line(disable ? L"DISABLE" : L"ENABLE", literal->first);
      log.Line(SetFakeDeviceProblem(literal->first, disable ? 22 : 0) ? L"APPLIED" : L"NO DEVICE", L"");
      return;
    }
  }
  log.Line(L"IGNORED", line);
}
}  // namespace

int wmain(int, wchar_t**) {
  const std::wstring commandLine = GetCommandLineW();
  if (commandLine.find(L"-VeilcapFakeProbe") != std::wstring::npos) return 4242;
  Log log;
  log.Line(L"CMDLINE", commandLine);

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(commandLine.c_str(), &argc);
  std::wstring command;
  for (int i = 1; argv && i + 1 < argc; ++i) {
    if (lstrcmpiW(argv[i], L"-Command") == 0) {
      for (int j = i + 1; j < argc; ++j) command += (j > i + 1 ? L" " : L"") + std::wstring(argv[j]);
      break;
    }
  }
  if (argv) LocalFree(argv);

  if (command.rfind(L"& ", 0) != 0) {
    log.Line(L"IGNORED", command);
    return 1;
  }
  auto path = ReadLiteral(command.substr(2));
  if (!path || !path->second.empty()) {
    log.Line(L"IGNORED", command);
    return 1;
  }
  log.Line(L"SCRIPT", path->first);
  bool ok = false;
  std::vector<std::wstring> lines = ReadAnsiLines(path->first, &ok);
  if (!ok) {
    log.Line(L"NO SCRIPT", L"");
    return 1;
  }
  for (const auto& l : lines) log.Line(L"LINE", l);
  for (const auto& l : lines) Apply(log, l);
  return 0;
}

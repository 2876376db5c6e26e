// fake_powershell.exe: stands in for PowerShell.exe in a Wine test prefix (copied as
// C:\windows\system32\WindowsPowerShell\v1.0\powershell.exe and C:\windows\system32\powershell.exe,
// run with the DLL override powershell.exe=n).
//
// It takes exactly "-NoProfile -NonInteractive -ExecutionPolicy Bypass -EncodedCommand <Base64>",
// decodes the UTF-16LE command text and records, one entry per line, appended as UTF-8 to a file:
// the one named by the REG_SZ value HKLM\SOFTWARE\VeilcapFake "PowerShellLog" (Veilcap hands its
// children no variable of its own, so a test cannot name the file in the environment), else by
// VEILCAP_FAKE_PS_LOG, else C:\fake_powershell.log:
//   IMAGE <path>                     its own image path
//   CMDLINE <whole command line>
//   ENV <name>=<value>               every variable of the environment it got, in block order
//   TEMPFILE <path>                  a temp_powershell_VLCP.* file in the temporary folders
//   COMMAND <decoded text>
//   MODULE <path>                    the module manifest imported
//   DISABLE <id> / ENABLE <id>       a recognised PnpDevice\Disable-PnpDevice / Enable-PnpDevice
//   APPLIED / NO DEVICE              whether the fake device's problem code was set (22 / 0)
//   IGNORED <text>                   anything else: never evaluated
// The command text must be "$PSModuleAutoLoadingPreference='None'; $ErrorActionPreference='Stop'; Import-Module -Name '<module>'; " and
// the cmdlet with the id as a single-quoted literal ('' is one ') followed by " -Confirm:$false".
// Like Windows, disabling a device also takes it out of the DirectShow audio and video categories:
// every HKCR\CLSID\{category}\Instance\{...} entry whose "VeilcapFakeInstanceId" names the device
// moves to HKLM\SOFTWARE\VeilcapFake\HiddenDirectShow\{category}, and enabling moves it back.
// Exit code 0 when applied, 1 otherwise (as PowerShell with a terminating error). A device named by
// the REG_SZ value HKLM\SOFTWARE\VeilcapFake "RefuseDevice" is never switched (REFUSED, exit code 1),
// as a driver that will not start.
// "-VeilcapFakeProbe" answers exit code 4242 at once; "-VeilcapFakeHang" sleeps for a minute.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>

#include <optional>
#include <string>
#include <vector>

#include "fake_devices.h"
#include "fakes/powershell_text.h"

namespace {
class Log {
 public:
  Log() {
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    std::wstring p;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapFake", L"PowerShellLog", RRF_RT_REG_SZ, nullptr, path,
                     &size) == ERROR_SUCCESS && path[0])
      p = path;
    DWORD n = p.empty() ? GetEnvironmentVariableW(L"VEILCAP_FAKE_PS_LOG", path, MAX_PATH) : 0;
    if (n > 0 && n < MAX_PATH) p.assign(path, n);
    if (p.empty()) p = L"C:\\fake_powershell.log";
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

const wchar_t* const kCategories[] = {L"{33D9A762-90C8-11D0-BD43-00A0C911CE86}",
                                      L"{860BB310-5D01-11D0-BD3B-00A0C911CE86}"};
constexpr wchar_t kHidden[] = L"SOFTWARE\\VeilcapFake\\HiddenDirectShow\\";

// Moves every entry below from (HKCR category instances or the hidden store) whose
// VeilcapFakeInstanceId is id to the other place.
void MoveDirectShowEntries(const std::wstring& id, bool hide) {
  for (const wchar_t* category : kCategories) {
    const std::wstring listed = std::wstring(L"CLSID\\") + category + L"\\Instance";
    const std::wstring hidden = kHidden + std::wstring(category);
    HKEY fromRoot = hide ? HKEY_CLASSES_ROOT : HKEY_LOCAL_MACHINE, toRoot = hide ? HKEY_LOCAL_MACHINE : HKEY_CLASSES_ROOT;
    const std::wstring from = hide ? listed : hidden, to = hide ? hidden : listed;
    HKEY list = nullptr;
    if (RegOpenKeyExW(fromRoot, from.c_str(), 0, KEY_READ, &list) != ERROR_SUCCESS) continue;
    std::vector<std::wstring> moving;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD n = 256;
      if (RegEnumKeyExW(list, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      wchar_t value[512] = {};
      DWORD size = sizeof value;
      if (RegGetValueW(list, name, L"VeilcapFakeInstanceId", RRF_RT_REG_SZ, nullptr, value, &size) == ERROR_SUCCESS &&
          lstrcmpiW(value, id.c_str()) == 0)
        moving.push_back(name);
    }
    for (const auto& entry : moving) {
      HKEY target = nullptr;
      if (RegCreateKeyExW(toRoot, (to + L"\\" + entry).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &target,
                          nullptr) != ERROR_SUCCESS)
        continue;
      if (RegCopyTreeW(list, entry.c_str(), target) == ERROR_SUCCESS) RegDeleteTreeW(list, entry.c_str());
      RegCloseKey(target);
    }
    RegCloseKey(list);
  }
}

// Logs every temp_powershell_VLCP.* in the temporary folders the program could have used.
void LogTempFiles(Log& log) {
  std::vector<std::wstring> folders;
  wchar_t buffer[MAX_PATH + 1] = {};
  if (DWORD n = GetTempPathW(MAX_PATH, buffer); n > 0 && n <= MAX_PATH) folders.push_back(std::wstring(buffer, n));
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, buffer)))
    folders.push_back(std::wstring(buffer) + L"\\Temp\\");
  for (const auto& folder : folders) {
    WIN32_FIND_DATAW found{};
    HANDLE h = FindFirstFileW((folder + L"temp_powershell_VLCP.*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) continue;
    do log.Line(L"TEMPFILE", folder + found.cFileName);
    while (FindNextFileW(h, &found));
    FindClose(h);
  }
}

// The command text: module import, then one cmdlet. Answers the exit code.
int Apply(Log& log, const std::wstring& text) {
  static const std::wstring kHead = L"$PSModuleAutoLoadingPreference='None'; $ErrorActionPreference='Stop'; Import-Module -Name ";
  static const std::wstring kDisable = L"; PnpDevice\\Disable-PnpDevice -InstanceId ",
                            kEnable = L"; PnpDevice\\Enable-PnpDevice -InstanceId ";
  if (text.rfind(kHead, 0) == 0) {
    auto module = ReadQuotedLiteral(std::wstring_view(text).substr(kHead.size()));
    if (module) {
      const std::wstring& rest = module->second;
      const bool disable = rest.rfind(kDisable, 0) == 0, enable = rest.rfind(kEnable, 0) == 0;
      auto literal = (disable || enable) ? ReadQuotedLiteral(std::wstring_view(rest).substr((disable ? kDisable : kEnable).size())) : std::nullopt;
      if (literal && literal->second == L" -Confirm:$false") {
        log.Line(L"MODULE", module->first);
        log.Line(disable ? L"DISABLE" : L"ENABLE", literal->first);
        wchar_t refused[512] = {};
        DWORD size = sizeof refused;
        if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapFake", L"RefuseDevice", RRF_RT_REG_SZ, nullptr, refused,
                         &size) == ERROR_SUCCESS &&
            refused[0] && lstrcmpiW(refused, literal->first.c_str()) == 0) {
          log.Line(L"REFUSED", L"");
          return 1;
        }
        const bool applied = SetFakeDeviceProblem(literal->first, disable ? 22 : 0);
        if (applied) MoveDirectShowEntries(literal->first, disable);
        log.Line(applied ? L"APPLIED" : L"NO DEVICE", L"");
        return applied ? 0 : 1;
      }
    }
  }
  log.Line(L"IGNORED", text);
  return 1;
}
}  // namespace

int wmain(int, wchar_t**) {
  const std::wstring commandLine = GetCommandLineW();
  if (commandLine.find(L"-VeilcapFakeProbe") != std::wstring::npos) return 4242;
  if (commandLine.find(L"-VeilcapFakeHang") != std::wstring::npos) {
    Sleep(60000);
    return 0;
  }
  Log log;
  wchar_t image[MAX_PATH + 1] = {};
  GetModuleFileNameW(nullptr, image, MAX_PATH);
  log.Line(L"IMAGE", image);
  log.Line(L"CMDLINE", commandLine);
  if (wchar_t* block = GetEnvironmentStringsW()) {
    for (const wchar_t* entry = block; *entry; entry += lstrlenW(entry) + 1) log.Line(L"ENV", entry);
    FreeEnvironmentStringsW(block);
  }
  LogTempFiles(log);

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(commandLine.c_str(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; argv && i < argc; ++i) args.push_back(argv[i]);
  if (argv) LocalFree(argv);
  const std::vector<std::wstring> expected = {L"-NoProfile", L"-NonInteractive", L"-ExecutionPolicy", L"Bypass",
                                              L"-EncodedCommand"};
  if (args.size() != expected.size() + 1 || !std::equal(expected.begin(), expected.end(), args.begin())) {
    log.Line(L"IGNORED", commandLine);
    return 1;
  }
  const auto text = DecodeEncodedCommand(std::wstring_view(args.back()));
  if (!text) {
    log.Line(L"IGNORED", args.back());
    return 1;
  }
  log.Line(L"COMMAND", *text);
  return Apply(log, *text);
}

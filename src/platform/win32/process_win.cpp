#include "platform/win32/process_win.h"

#include <windows.h>
#include <sddl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wtsapi32.h>


#include "core/win32/errortext_win.h"
#include "core/win32/windows_seams.h"
#include "platform/win32/system_libraries.h"

namespace {
// A system library, loaded from the system folder and released on every path.
class Library {
 public:
  explicit Library(const wchar_t* name) : h_(LoadSystemLibrary(name)) {}
  ~Library() {
    if (h_) FreeLibrary(h_);
  }
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;
  explicit operator bool() const { return h_ != nullptr; }
  template <typename F>
  F Get(const char* name) const {
    return h_ ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(h_, name))) : nullptr;
  }

 private:
  HMODULE h_;
};

std::optional<u16> NameWith(BOOL(WINAPI* call)(LPWSTR, LPDWORD)) {
  wchar_t buffer[1024] = {};
  DWORD size = 1024;
  if (!call(buffer, &size)) return std::nullopt;
  return FromW(buffer);
}

// CreateProcessW may write into the command line, so it gets its own terminated copy.
std::vector<wchar_t> WritableCommandLine(const u16& commandLine) {
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  return line;
}

class Win32ProcessShell final : public ProcessShell {
 public:
  std::optional<int32_t> CreateAndWait(const u16& commandLine, const u16& workingFolder,
                                       uint16_t show) override {
    std::vector<wchar_t> line = WritableCommandLine(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS, nullptr,
                        workingFolder.empty() ? nullptr : W(workingFolder), &si, &pi))
      return std::nullopt;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return int32_t(code);
  }

  LimitedRun RunHiddenLimited(const u16& program, const u16& commandLine, const u16& workingFolder,
                              uint32_t timeoutMs) override {
    std::vector<wchar_t> line = WritableCommandLine(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    LimitedRun run;
    if (!CreateProcessW(W(program), line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS,
                        nullptr, workingFolder.empty() ? nullptr : W(workingFolder), &si, &pi)) {
      const DWORD error = GetLastError();
      run.startError = error ? error : ERROR_GEN_FAILURE;
      return run;
    }
    CloseHandle(pi.hThread);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) != WAIT_OBJECT_0) {
      run.timedOut = true;
      TerminateProcess(pi.hProcess, ERROR_TIMEOUT);
      WaitForSingleObject(pi.hProcess, 5000);
    } else {
      DWORD code = 0;
      GetExitCodeProcess(pi.hProcess, &code);
      run.exitCode = int32_t(code);
    }
    CloseHandle(pi.hProcess);
    return run;
  }

  std::optional<Captured> CreateAndCapture(const u16& program, const u16& commandLine,
                                           const u16& workingFolder) override {
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) return std::nullopt;
    // Only the write end goes to the child; our end stays private.
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, &inheritable, OPEN_EXISTING,
                             0, nullptr);

    // The child inherits exactly these handles, even when another thread starts a program with
    // inheritance at the same moment.
    HANDLE inherited[2] = {writeEnd, nul};
    const DWORD inheritedCount = nul != INVALID_HANDLE_VALUE ? 2 : 1;
    SIZE_T attributeSize = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &attributeSize);
    std::vector<uint8_t> attributeBuffer(attributeSize);
    auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(attributeBuffer.data());
    const bool haveList = attributeSize > 0 && InitializeProcThreadAttributeList(attributes, 1, 0, &attributeSize) &&
                          UpdateProcThreadAttribute(attributes, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, inherited,
                                                    inheritedCount * sizeof(HANDLE), nullptr, nullptr);

    STARTUPINFOEXW si{};
    si.StartupInfo.cb = haveList ? sizeof(si) : sizeof(STARTUPINFOW);
    si.StartupInfo.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
    si.StartupInfo.wShowWindow = SW_HIDE;
    si.StartupInfo.hStdInput = nul != INVALID_HANDLE_VALUE ? nul : nullptr;
    si.StartupInfo.hStdOutput = writeEnd;
    si.StartupInfo.hStdError = writeEnd;
    if (haveList) si.lpAttributeList = attributes;
    std::vector<wchar_t> line = WritableCommandLine(commandLine);
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessW(W(program), line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS |
                                            (haveList ? EXTENDED_STARTUPINFO_PRESENT : 0),
                                        nullptr, workingFolder.empty() ? nullptr : W(workingFolder),
                                        &si.StartupInfo, &pi);
    if (haveList) DeleteProcThreadAttributeList(attributes);
    // Our copy of the write end must go, or the read below never sees the end of the output.
    CloseHandle(writeEnd);
    if (nul != INVALID_HANDLE_VALUE) CloseHandle(nul);
    if (!started) {
      CloseHandle(readEnd);
      return std::nullopt;
    }
    Captured result;
    uint8_t buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0)
      result.output.insert(result.output.end(), buffer, buffer + got);
    CloseHandle(readEnd);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result.exitCode = int32_t(code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return result;
  }

  uint32_t StartShell(OwnerWindow owner, uint32_t mask, const u16& verb, const u16& file,
                          const u16& parameters, int show) override {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = mask;
    info.hwnd = static_cast<HWND>(owner);
    info.lpVerb = W(verb);
    info.lpFile = W(file);
    info.lpParameters = parameters.empty() ? nullptr : W(parameters);
    info.nShow = show;
    if (!ShellExecuteExW(&info)) {
      DWORD error = GetLastError();
      return error ? error : ERROR_GEN_FAILURE;
    }
    if ((mask & SEE_MASK_NOCLOSEPROCESS) && info.hProcess) {
      WaitForSingleObject(info.hProcess, INFINITE);
      CloseHandle(info.hProcess);
    }
    return 0;
  }

  void OpenAddress(const u16& verb, const u16& file, int show) override {
    ShellExecuteW(nullptr, W(verb), W(file), nullptr, nullptr, show);
  }

  u16 LastErrorText() override { return WindowsMessageText(GetLastError()); }
  std::optional<u16> UserName() override { return NameWith(GetUserNameW); }
  std::optional<u16> ComputerName() override { return NameWith(GetComputerNameW); }

  u16 ExecutablePath() override {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
      DWORD n = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
      if (n == 0) return {};
      if (n < buffer.size()) return FromW(buffer.data(), n);
      buffer.resize(buffer.size() * 2);
    }
  }

  std::optional<SessionProcessList> SessionProcesses() override {
    using Enumerate = BOOL(WINAPI*)(HANDLE, DWORD, DWORD, PWTS_PROCESS_INFOW*, DWORD*);
    using Free = void(WINAPI*)(PVOID);
    Library wts(L"Wtsapi32.dll");
    auto enumerate = wts.Get<Enumerate>("WTSEnumerateProcessesW");
    auto free = wts.Get<Free>("WTSFreeMemory");
    if (!enumerate || !free) return std::nullopt;
    SessionProcessList list;
    list.consoleSession = WTSGetActiveConsoleSessionId();
    PWTS_PROCESS_INFOW entries = nullptr;
    DWORD count = 0;
    if (!enumerate(WTS_CURRENT_SERVER_HANDLE, 0, 1, &entries, &count) || !entries) return std::nullopt;
    for (DWORD i = 0; i < count; ++i) {
      const WTS_PROCESS_INFOW& e = entries[i];
      SessionProcess p;
      p.processId = e.ProcessId;
      p.sessionId = e.SessionId;
      p.processName = FromW(e.pProcessName);
      if (e.pUserSid && IsValidSid(e.pUserSid)) {
        const uint8_t* sid = static_cast<const uint8_t*>(e.pUserSid);
        p.sid.assign(sid, sid + GetLengthSid(e.pUserSid));
      }
      list.processes.push_back(std::move(p));
    }
    free(entries);
    return list;
  }

  std::optional<u16> SidToText(const std::vector<uint8_t>& sid) override {
    if (sid.empty()) return std::nullopt;
    using Convert = BOOL(WINAPI*)(PSID, LPWSTR*);
    Library advapi(L"advapi32.dll");
    auto convert = advapi.Get<Convert>("ConvertSidToStringSidW");
    if (!convert) return std::nullopt;
    std::vector<uint8_t> copy(sid);
    LPWSTR text = nullptr;
    if (!convert(copy.data(), &text) || !text) return std::nullopt;
    u16 result = FromW(text);
    LocalFree(text);
    return result;
  }

  std::optional<u16> SpecialFolder(OwnerWindow owner, int csidl) override {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(static_cast<HWND>(owner), csidl, &pidl)) || !pidl)
      return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    BOOL ok = SHGetPathFromIDListW(pidl, path);
    CoTaskMemFree(pidl);
    if (!ok) return std::nullopt;
    return FromW(path);
  }

  bool DisableFsRedirection(void** oldValue) override {
    using Disable = BOOL(WINAPI*)(PVOID*);
    auto f = reinterpret_cast<Disable>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "Wow64DisableWow64FsRedirection")));
    return f && f(oldValue);
  }

  bool RevertFsRedirection(void* oldValue) override {
    using Revert = BOOL(WINAPI*)(PVOID);
    auto f = reinterpret_cast<Revert>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32"), "Wow64RevertWow64FsRedirection")));
    return f && f(oldValue);
  }

  void TrimWorkingSet() override {
    HANDLE self = OpenProcess(PROCESS_ALL_ACCESS, FALSE, GetCurrentProcessId());
    if (!self) return;
    SetProcessWorkingSetSize(self, SIZE_T(-1), SIZE_T(-1));
    CloseHandle(self);
  }

  OwnerWindow DesktopWindow() override { return GetDesktopWindow(); }
  void Sleep(uint32_t milliseconds) override { ::Sleep(milliseconds); }
};
}  // namespace

ProcessShell& WindowsProcessShell() {
  static Win32ProcessShell shell;
  return shell;
}

TaskDateTime WindowsLocalTime() {
  SYSTEMTIME st{};
  GetLocalTime(&st);
  return TaskDateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond};
}

#include "platform/win32/process_win.h"

#include <windows.h>
#include <exdisp.h>
#include <knownfolders.h>
#include <sddl.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlguid.h>
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

// The environment block as CreateProcessW takes it with CREATE_UNICODE_ENVIRONMENT; an empty one
// is still a block (two zero characters), never "inherit Veilcap's".
void* EnvironmentOf(const u16& block) {
  static char16_t kEmpty[2] = {0, 0};
  return block.empty() ? kEmpty : const_cast<char16_t*>(block.c_str());
}
constexpr DWORD kUnicodeEnvironment = CREATE_UNICODE_ENVIRONMENT;

// A COM pointer released on every path.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() {
    if (p_) p_->Release();
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  T** Put() { return &p_; }
  void** PutVoid() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }

 private:
  T* p_ = nullptr;
};

// COM for the calling thread while the object lives; a thread already in another apartment
// keeps it.
class ComScope {
 public:
  ComScope() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~ComScope() {
    if (initialized_) CoUninitialize();
  }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;

 private:
  bool initialized_;
};

// The desktop shell's IShellDispatch2: the desktop window among the shell windows, its top-level
// browser, the active view's background object and its Application.
HRESULT DesktopShellDispatch(IShellDispatch2** result) {
  ComPtr<IShellWindows> windows;
  HRESULT hr = CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER, IID_IShellWindows, windows.PutVoid());
  if (FAILED(hr)) return hr;
  VARIANT location{}, root{};
  VariantInit(&location);
  VariantInit(&root);
  long window = 0;
  ComPtr<IDispatch> desktop;
  hr = windows->FindWindowSW(&location, &root, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH, desktop.Put());
  if (hr != S_OK || !desktop.Get()) return FAILED(hr) ? hr : E_FAIL;
  ComPtr<IServiceProvider> services;
  if (FAILED(hr = desktop->QueryInterface(IID_IServiceProvider, services.PutVoid()))) return hr;
  ComPtr<IShellBrowser> browser;
  if (FAILED(hr = services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.PutVoid()))) return hr;
  ComPtr<IShellView> view;
  if (FAILED(hr = browser->QueryActiveShellView(view.Put())) || !view.Get()) return FAILED(hr) ? hr : E_FAIL;
  ComPtr<IDispatch> background;
  if (FAILED(hr = view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.PutVoid()))) return hr;
  ComPtr<IShellFolderViewDual> folderView;
  if (FAILED(hr = background->QueryInterface(IID_IShellFolderViewDual, folderView.PutVoid()))) return hr;
  ComPtr<IDispatch> application;
  if (FAILED(hr = folderView->get_Application(application.Put())) || !application.Get())
    return FAILED(hr) ? hr : E_FAIL;
  return application->QueryInterface(IID_IShellDispatch2, reinterpret_cast<void**>(result));
}

class Win32ProcessShell final : public ProcessShell {
 public:
  std::optional<int32_t> CreateAndWait(const u16& commandLine, const u16& workingFolder, uint16_t show,
                                       const u16& environment) override {
    std::vector<wchar_t> line = WritableCommandLine(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = show;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE,
                        CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS | kUnicodeEnvironment, EnvironmentOf(environment),
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
                              const u16& environment, uint32_t timeoutMs) override {
    std::vector<wchar_t> line = WritableCommandLine(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    LimitedRun run;
    if (!CreateProcessW(W(program), line.data(), nullptr, nullptr, FALSE,
                        CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | kUnicodeEnvironment, EnvironmentOf(environment),
                        workingFolder.empty() ? nullptr : W(workingFolder), &si, &pi)) {
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

  std::optional<Captured> CreateAndCapture(const u16& program, const u16& commandLine, const u16& workingFolder,
                                           const u16& environment) override {
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
                                        CREATE_NO_WINDOW | NORMAL_PRIORITY_CLASS | kUnicodeEnvironment |
                                            (haveList ? EXTENDED_STARTUPINFO_PRESENT : 0),
                                        EnvironmentOf(environment), workingFolder.empty() ? nullptr : W(workingFolder),
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

  uint32_t StartProgram(const u16& program, const u16& commandLine, const u16& workingFolder,
                        const u16& environment) override {
    std::vector<wchar_t> line = WritableCommandLine(commandLine);
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(W(program), line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS | kUnicodeEnvironment,
                        EnvironmentOf(environment), workingFolder.empty() ? nullptr : W(workingFolder), &si, &pi)) {
      const DWORD error = GetLastError();
      return error ? error : ERROR_GEN_FAILURE;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
  }

  uint32_t OpenInDesktopShell(const u16& address) override {
    ComScope com;
    ComPtr<IShellDispatch2> dispatch;
    HRESULT hr = DesktopShellDispatch(dispatch.Put());
    if (FAILED(hr) || !dispatch.Get()) return FAILED(hr) ? uint32_t(hr) : uint32_t(E_FAIL);
    BSTR file = SysAllocString(W(address));
    BSTR verb = SysAllocString(L"open");
    if (!file || !verb) {
      SysFreeString(file);
      SysFreeString(verb);
      return uint32_t(E_OUTOFMEMORY);
    }
    VARIANT empty{}, operation{}, show{};
    VariantInit(&empty);
    operation.vt = VT_BSTR;
    operation.bstrVal = verb;
    show.vt = VT_I4;
    show.lVal = SW_SHOWNORMAL;
    hr = dispatch->ShellExecute(file, empty, empty, operation, show);
    SysFreeString(file);
    SysFreeString(verb);
    return FAILED(hr) ? uint32_t(hr) : 0u;
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

  std::optional<u16> KnownFolder(KnownFolderId folder) override {
    const KNOWNFOLDERID* id = nullptr;
    switch (folder) {
      case KnownFolderId::Profile: id = &FOLDERID_Profile; break;
      case KnownFolderId::RoamingAppData: id = &FOLDERID_RoamingAppData; break;
      case KnownFolderId::LocalAppData: id = &FOLDERID_LocalAppData; break;
      case KnownFolderId::ProgramData: id = &FOLDERID_ProgramData; break;
      case KnownFolderId::Public: id = &FOLDERID_Public; break;
    }
    PWSTR path = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &path);
    std::optional<u16> result;
    if (SUCCEEDED(hr) && path) result = FromW(path);
    CoTaskMemFree(path);
    return result;
  }

  NativeSystemFacts NativeSystem() override {
    SYSTEM_INFO info{};
    GetNativeSystemInfo(&info);
    return NativeSystemFacts{info.wProcessorArchitecture, info.dwNumberOfProcessors};
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

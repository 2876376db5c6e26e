#include "e2e/lib/e2e.h"

#include <cstdlib>
#include <cstring>
#include <thread>

std::wstring EnvPath(const wchar_t* name) {
  const wchar_t* s = _wgetenv(name);
  std::wstring p = s ? s : L"";
  if (!p.empty() && p[0] == L'/') {
    for (auto& c : p)
      if (c == L'/') c = L'\\';
    p = L"Z:" + p;
  }
  return p;
}

std::wstring StageFolder() { return EnvPath(L"VEILCAP_STAGE"); }

std::wstring VeilcapExe() { return StageFolder() + L"\\Veilcap.exe"; }

Program::~Program() { Kill(); }

bool Program::Start(const std::wstring& exe, const std::wstring& args, HANDLE output) {
  std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  if (output) {
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = si.hStdError = output;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  }
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, output != nullptr, 0, nullptr, nullptr, &si, &pi_)) {
    pi_ = {};
    return false;
  }
  return true;
}

long Program::WaitExit(DWORD ms) {
  if (!pi_.hProcess) return -1;
  if (WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return -1;
  DWORD code = 0;
  GetExitCodeProcess(pi_.hProcess, &code);
  return long(code);
}

bool Program::Running() const { return pi_.hProcess && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

void Program::Kill() {
  if (!pi_.hProcess) return;
  if (Running()) {
    TerminateProcess(pi_.hProcess, 1);
    WaitForSingleObject(pi_.hProcess, 5000);
  }
  CloseHandle(pi_.hProcess);
  CloseHandle(pi_.hThread);
  pi_ = {};
}

bool WaitFor(const std::function<bool()>& pred, DWORD ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (true) {
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= end) return pred();
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

HWND FindTopWindow(const wchar_t* className, DWORD pid) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, className, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (pid == 0 || owner == pid) return w;
  }
  return nullptr;
}

DebugListener::DebugListener() {
  InitializeCriticalSection(&lock_);
  bufferReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY");
  dataReady_ = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
  mapping_ = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
  if (mapping_) view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 4096);
  if (bufferReady_ && dataReady_ && view_) thread_ = CreateThread(nullptr, 0, &DebugListener::Run, this, 0, nullptr);
}

DebugListener::~DebugListener() {
  InterlockedExchange(&stop_, 1);
  if (thread_) {
    WaitForSingleObject(thread_, 5000);
    CloseHandle(thread_);
  }
  if (view_) UnmapViewOfFile(view_);
  for (HANDLE h : {mapping_, dataReady_, bufferReady_})
    if (h) CloseHandle(h);
  DeleteCriticalSection(&lock_);
}

DWORD WINAPI DebugListener::Run(void* p) {
  auto* self = static_cast<DebugListener*>(p);
  SetEvent(self->bufferReady_);
  while (!self->stop_) {
    if (WaitForSingleObject(self->dataReady_, 100) != WAIT_OBJECT_0) continue;
    const auto* bytes = static_cast<const char*>(self->view_);
    DWORD pid = 0;
    memcpy(&pid, bytes, sizeof pid);
    std::string text(bytes + sizeof pid, strnlen(bytes + sizeof pid, 4096 - sizeof pid));
    EnterCriticalSection(&self->lock_);
    self->lines_.emplace_back(pid, std::move(text));
    LeaveCriticalSection(&self->lock_);
    SetEvent(self->bufferReady_);
  }
  return 0;
}

int DebugListener::Count(DWORD pid, const std::string& prefix) {
  EnterCriticalSection(&lock_);
  int n = 0;
  for (const auto& [from, text] : lines_)
    if (from == pid && text.compare(0, prefix.size(), prefix) == 0) ++n;
  LeaveCriticalSection(&lock_);
  return n;
}

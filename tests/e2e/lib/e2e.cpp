#include "e2e/lib/e2e.h"

#include <cstdlib>
#include <thread>

std::wstring StageFolder() {
  const wchar_t* s = _wgetenv(L"VEILCAP_STAGE");
  std::wstring p = s ? s : L"";
  if (!p.empty() && p[0] == L'/') {
    for (auto& c : p)
      if (c == L'/') c = L'\\';
    p = L"Z:" + p;
  }
  return p;
}

std::wstring VeilcapExe() { return StageFolder() + L"\\Veilcap.exe"; }

Program::~Program() { Kill(); }

bool Program::Start(const std::wstring& exe, const std::wstring& args) {
  std::wstring cmd = L"\"" + exe + L"\"" + (args.empty() ? L"" : L" " + args);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi_)) {
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

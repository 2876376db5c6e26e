// Helpers for end-to-end tests: start Veilcap.exe as a user would and watch it from outside.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// A path named by an environment variable; a Linux path is reached through drive Z:. Empty when
// the variable is not set.
std::wstring EnvPath(const wchar_t* name);
// The staged program folder (VEILCAP_STAGE).
std::wstring StageFolder();
std::wstring VeilcapExe();

class Program {
 public:
  Program() = default;
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;
  ~Program();
  // Starts exe with the given argument text, its standard output and error going to output when
  // that is given (an inheritable handle); false when it cannot start.
  bool Start(const std::wstring& exe, const std::wstring& args = L"", HANDLE output = nullptr);
  // Waits for the end; the exit code, or -1 on time-out.
  long WaitExit(DWORD ms);
  bool Running() const;
  DWORD Pid() const { return pi_.dwProcessId; }
  void Kill();

 private:
  PROCESS_INFORMATION pi_{};
};

// Receives the debug lines (OutputDebugString) of every process while it lives, through the
// system-wide DBWIN buffer that a debug monitor offers.
class DebugListener {
 public:
  DebugListener();
  ~DebugListener();
  DebugListener(const DebugListener&) = delete;
  DebugListener& operator=(const DebugListener&) = delete;
  bool Listening() const { return thread_ != nullptr; }
  // How many lines of process pid so far begin with prefix.
  int Count(DWORD pid, const std::string& prefix);

 private:
  static DWORD WINAPI Run(void* self);
  HANDLE bufferReady_ = nullptr, dataReady_ = nullptr, mapping_ = nullptr, thread_ = nullptr;
  void* view_ = nullptr;
  volatile LONG stop_ = 0;
  CRITICAL_SECTION lock_;
  std::vector<std::pair<DWORD, std::string>> lines_;
};

// Polls until pred is true or the time is up; answers the last value of pred.
bool WaitFor(const std::function<bool()>& pred, DWORD ms);

// A top-level window of the class that belongs to process pid (0: any process).
HWND FindTopWindow(const wchar_t* className, DWORD pid = 0);

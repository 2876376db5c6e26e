// Process entry: program-wide values, single instance, run modes.
#include <windows.h>

#include "app/admin_mode.h"
#include "app/export_mode.h"
#include "app/main_window.h"
#include "app/window_hooks.h"
#include "app/startup.h"
#include "platform/environment.h"
#include "platform/runmode.h"
#include "platform/win32/named_objects.h"
#include "platform/win32/system_libraries.h"

namespace {
// Restricts the library search before any other static initializer of the program runs, so no
// library is ever looked for in a folder an unelevated program can write to.
struct DllSearchFirst {
  DllSearchFirst() { RestrictDllSearchToSystem32(); }
};
DllSearchFirst g_dllSearchFirst __attribute__((init_priority(101)));

constexpr wchar_t kMutexName[] = L"VVeilcap";

// Owns the single-instance mutex until the process ends. It lives in the private namespace where
// the system has one, so an unelevated program cannot create it first and keep Veilcap from starting.
class InstanceMutex {
 public:
  InstanceMutex() : handle_(CreateGuardedMutex(kMutexName, true, &alreadyRunning_)) {}
  ~InstanceMutex() {
    if (handle_) CloseHandle(handle_);
  }
  InstanceMutex(const InstanceMutex&) = delete;
  InstanceMutex& operator=(const InstanceMutex&) = delete;
  bool AlreadyRunning() const { return alreadyRunning_; }

 private:
  bool alreadyRunning_ = false;
  HANDLE handle_;
};

void AskRunningInstanceToShow() {
  if (HWND w = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr))
    PostMessageW(w, kWmShowRunningInstance, 0, 0);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  InstallProgramServices();
  const std::vector<u16> args = CommandLineArguments();
  // The command line for administrators works while the tray program runs: before the guard.
  if (const auto admin = ParseAdminCommand(args)) return RunAdminMode(*admin);
  if (const RunMode early = SelectRunMode(args); RunsBeforeInstanceGuard(early)) return RunOneShot(instance, early, args);

  InstanceMutex mutex;
  // Goes before the mutex: the online services are shut down first, in every mode.
  OnlineShutdownAtExit online;
  if (mutex.AlreadyRunning()) {
    if (args.empty()) AskRunningInstanceToShow();
    return 0;
  }

  const RunMode mode = SelectRunMode(args);
  if (mode != RunMode::Normal) return RunOneShot(instance, mode, args);  // no message loop
  RunNormal(instance, args);
  return 0;
}

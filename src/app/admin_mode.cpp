#include "app/admin_mode.h"

#include <string>

#include "app/command_line/switching_runs.h"
#include "app/console_io.h"
#include "app/main_window.h"
#include "core/win32/windows_seams.h"
#include "guard/toggle_commands.h"
#include "lang/languages.h"
#include "lang/messages.h"
#include "lang/translate.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/option_values.h"
#include "platform/runmode.h"
#include "platform/win32/named_objects.h"

namespace {
// How long a command-line run waits for a switching pass of the tray program (which may be
// waiting on a message box) before it gives up.
constexpr DWORD kLockWaitMs = 120000;

GuardedLock& SwitchingMutex() {
  static GuardedLock lock(kSwitchingLockName);
  return lock;
}

class TrayClickLock final : public SwitchingLock {
 public:
  bool TryAcquire() override { return SwitchingMutex().Acquire(0); }
  void Release() override { SwitchingMutex().Release(); }
};

void AskRunningInstanceToRefresh() {
  const UINT message = RegisterWindowMessageW(W(u16(kRefreshRequestMessage)));
  if (message == 0) return;
  if (HWND w = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr)) PostMessageW(w, message, 0, 0);
}
}  // namespace

void LoadCommandLanguage() {
  Choose_Language();
  LOAD_INTERNAL_ONLY(AppFolder + u"\\translation", CurrentLanguage);
}

void InstallSwitchingLock() {
  static TrayClickLock lock;
  SetSwitchingLock(&lock);
}

int RunAdminMode(const AdminCommand& command) {
  // Whatever happens, nothing waits for a person: no box of the system either.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  const AdminResult result = RunAdminHere(command);
  WriteProgramOutput(result.text, command.relayPipe);
  return result.exitCode;
}

AdminResult RunAdminHere(const AdminCommand& command) {
  LoadCommandLanguage();
  AdminResult result;
  const bool switches = command.verb == AdminVerb::Block || command.verb == AdminVerb::Unblock ||
                        command.verb == AdminVerb::Restore;
  if (command.badUsage || command.verb == AdminVerb::Help) {
    TVeilcap none(DeviceSources{});
    VeilcapSwitches noSwitches(none);
    result = RunAdminCommand(command, none, noSwitches, {});
  } else {
    TVeilcap v;
    VeilcapSwitches deviceSwitches(v);
    AdminEnvironment env;
    env.search = [&v] { v.Search(); };
    env.sleep = [](uint32_t ms) { Processes().Sleep(ms); };
    env.privacyCam = Load_PrivacyOption(kBlockPrivacyCamValue);
    env.privacyMic = Load_PrivacyOption(kBlockPrivacyMicValue);
    // A switching run holds the lock from its first search to its last, so the list it decides
    // on is not changed by another pass meanwhile. A status run only reads and never waits.
    if (switches && !SwitchingMutex().Acquire(kLockWaitMs)) {
      result = {kExitSomeOn, MESSAGE_CLI_BUSY + u"\r\n"};
    } else {
      try {
        result = RunAdminCommand(command, v, deviceSwitches, env);
      } catch (const std::exception& e) {
        result = {kExitSomeOn, FromUtf8(e.what()) + u"\r\n"};
      }
      if (switches) {
        SwitchingMutex().Release();
        AskRunningInstanceToRefresh();
      }
    }
  }
  return result;
}

#include "app/admin_mode.h"

#include <string>

#include "app/command_line/switching_runs.h"
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

// Where the text goes: a redirected standard output (file or pipe) gets UTF-8; else the console of
// the parent process, if it has one, gets the text as it is; else nobody.
void WriteOut(const u16& text) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const DWORD type = (out && out != INVALID_HANDLE_VALUE) ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
    const std::string bytes = ToUtf8(text);
    DWORD written = 0;
    WriteFile(out, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    return;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console != INVALID_HANDLE_VALUE) {
    DWORD written = 0;
    // The prompt of the caller is already shown: start on a line of our own.
    const u16 all = u"\r\n" + text;
    WriteConsoleW(console, W(all), DWORD(all.size()), &written, nullptr);
    CloseHandle(console);
  }
  FreeConsole();
}

void AskRunningInstanceToRefresh() {
  const UINT message = RegisterWindowMessageW(W(u16(kRefreshRequestMessage)));
  if (message == 0) return;
  if (HWND w = FindWindowExW(nullptr, nullptr, kMainWindowClass, nullptr)) PostMessageW(w, message, 0, 0);
}

void LoadLanguage() {
  Choose_Language();
  LOAD_INTERNAL_ONLY(AppFolder + u"\\translation", CurrentLanguage);
}
}  // namespace

void InstallSwitchingLock() {
  static TrayClickLock lock;
  SetSwitchingLock(&lock);
}

int RunAdminMode(const AdminCommand& command) {
  LoadLanguage();
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
  WriteOut(result.text);
  return result.exitCode;
}

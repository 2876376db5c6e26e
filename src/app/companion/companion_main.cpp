// Veilcap.com, the console companion: a console program that runs as its caller. It answers the
// status and the help itself, starts Veilcap.exe elevated for the switching runs and passes their
// output and exit code on, and starts the tray program for every other command line.
#include <windows.h>
#include <shellapi.h>

#include <iterator>

#include "app/admin_mode.h"
#include "app/command_line/relay.h"
#include "app/console_io.h"
#include "app/startup.h"
#include "core/win32/errortext_win.h"
#include "core/win32/windows_seams.h"
#include "platform/admin_args.h"

namespace {
// Veilcap.exe beside this program, by its full path.
u16 WindowProgramPath() {
  wchar_t buffer[MAX_PATH * 2] = {};
  const DWORD n = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
  if (n == 0 || n >= std::size(buffer)) return {};
  u16 path = FromW(buffer);
  const size_t dot = path.rfind(u'.');
  const size_t slash = path.rfind(u'\\');
  if (dot == u16::npos || (slash != u16::npos && dot < slash)) return {};
  return path.substr(0, dot) + u".exe";
}

int Fail(HANDLE out, DWORD error) {
  WriteText(out, WindowsSystemErrorText(error) + u"\r\n");
  return kExitSomeOn;
}

// Starts the program with the verb; with a process handle when wanted.
bool Start(const wchar_t* verb, const u16& parameters, bool keepProcess, HANDLE* process, DWORD* error) {
  const u16 program = WindowProgramPath();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  // No box of the shell ever appears: a failure becomes text and an exit code.
  info.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI | (keepProcess ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpVerb = verb;
  info.lpFile = W(program);
  info.lpParameters = W(parameters);
  info.nShow = keepProcess ? SW_HIDE : SW_SHOWNORMAL;
  if (program.empty() || !ShellExecuteExW(&info)) {
    *error = program.empty() ? ERROR_FILE_NOT_FOUND : GetLastError();
    return false;
  }
  if (process) *process = info.hProcess;
  return true;
}

int RunElevated(const std::vector<u16>& args, HANDLE out) {
  RelayPipe pipe;
  if (!pipe.Ready()) return Fail(out, GetLastError());
  HANDLE process = nullptr;
  DWORD error = 0;
  if (!Start(L"runas", JoinArguments(args, pipe.Name()), true, &process, &error)) return Fail(out, error);
  if (!process) return Fail(out, ERROR_INVALID_HANDLE);
  const std::string bytes = pipe.Collect(process);
  WaitForSingleObject(process, INFINITE);
  DWORD code = DWORD(kExitSomeOn);
  if (!GetExitCodeProcess(process, &code)) code = DWORD(kExitSomeOn);
  CloseHandle(process);
  WriteText(out, FromUtf8(bytes));
  return int(code);
}
}  // namespace

int wmain() {
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
  InstallProgramServices();
  const std::vector<u16> args = CommandLineArguments();
  const std::optional<AdminCommand> command = ParseCompanionCommand(args);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  switch (CompanionActionFor(command)) {
    case CompanionAction::RunHere: {
      const AdminResult result = RunAdminHere(*command);
      WriteText(out, result.text);
      return result.exitCode;
    }
    case CompanionAction::RunElevated:
      return RunElevated(args, out);
    case CompanionAction::StartProgram: {
      DWORD error = 0;
      if (!Start(L"open", JoinArguments(args), false, nullptr, &error)) return Fail(out, error);
      return 0;
    }
  }
  return kExitBadUsage;
}

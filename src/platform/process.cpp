#include "platform/process.h"

#include "core/debug.h"
#include "core/errors.h"
#include "core/fs.h"
#include "core/textfile.h"
#include "platform/environment.h"

namespace {
ProcessShell* g_shell = nullptr;
u16 (*g_helpTag)() = nullptr;

[[noreturn]] void RaiseOsError(uint32_t code) { throw OsError(code, SystemErrorText(code)); }

// Elevated starts and document opens share the failure rule: a declined elevation prompt is
// silent, everything else reaches the caller.
void ShellExecuteOrRaise(OwnerWindow owner, uint32_t mask, const u16& verb, const u16& file,
                         const u16& parameters, int show) {
  uint32_t error = Processes().StartShell(owner, mask, verb, file, parameters, show);
  if (error == 0 || error == kErrorCancelled) return;
  RaiseOsError(error);
}
}  // namespace

// "00100" is the product number; written out so the address needs no other object at start-up.
const u16 HelpBaseAddress = u"https://www.vostrel-software.example/help/00100/";

void SetProcessShell(ProcessShell* shell) { g_shell = shell; }
ProcessShell& Processes() { return *g_shell; }
void SetHelpLanguageTagSource(u16 (*tag)()) { g_helpTag = tag; }

int32_t Run_And_Wait(const u16& commandLine, const u16& workingFolder, uint16_t show) {
  // Our callers stay below 512 characters; a longer line is passed whole rather than cut short,
  // since a cut command line would run a different command.
  return Processes().CreateAndWait(commandLine, workingFolder, show).value_or(-1);
}

ConsoleRun Run_Captured(const u16& program, const u16& arguments, const u16& workingFolder) {
  ConsoleRun run;
  const u16 commandLine = u"\"" + program + u"\"" + (arguments.empty() ? u16() : u" " + arguments);
  auto captured = Processes().CreateAndCapture(program, commandLine, workingFolder);
  if (!captured) return run;
  run.exitCode = captured->exitCode;
  const DecodedText text = DecodeText(captured->output);
  if (!text.text.empty()) run.lines = SplitLines(text.text);
  return run;
}

std::optional<int32_t> Run_Hidden_And_Wait(const u16& program, const u16& commandLine, const u16& workingFolder,
                                           uint32_t timeoutMs) {
  const LimitedRun run = Processes().RunHiddenLimited(program, commandLine, workingFolder, timeoutMs);
  if (run.startError != 0) RaiseOsError(run.startError);
  if (run.timedOut) return std::nullopt;
  return run.exitCode;
}

void Run_Elevated_And_Wait(OwnerWindow owner, const u16& file, const u16& parameters, int show) {
  ShellExecuteOrRaise(owner, kSeeMaskNoCloseProcess, u"runas", file, parameters, show);
}

void Shell_Open(OwnerWindow owner, const u16& file, const u16& parameters) {
  ShellExecuteOrRaise(owner, kSeeMaskShellOpen, u"open", file, parameters, kSwShowNormal);
}

u16 OnlineHelpAddress(const u16& topic) {
  const u16 tag = g_helpTag ? g_helpTag() : u16(u"de-de");
  return HelpBaseAddress + tag + u"/" + topic;
}

void Open_OnlineHelp(const u16& topic) {
  const u16 address = OnlineHelpAddress(topic);
  DebugOut(u"Call Online Help ; URL=" + address);
  Processes().OpenAddress(u"open", address, kSwShow);
}

u16 Get_LastErrorText() { return Processes().LastErrorText(); }
u16 Get_WindowsUserName() { return Processes().UserName().value_or(u16()); }
u16 Get_WindowsComputerName() { return Processes().ComputerName().value_or(u16()); }

u16 Get_ConsoleUserSID() {
  auto list = Processes().SessionProcesses();
  if (!list) return {};
  for (const SessionProcess& p : list->processes) {
    if (p.processId == 0 || p.sessionId != list->consoleSession) continue;
    if (AsciiLower(p.processName) != u"explorer.exe") continue;
    if (auto text = Processes().SidToText(p.sid)) return *text;
  }
  return {};
}

u16 Get_SpecialFolder(OwnerWindow owner, int csidl) {
  return Processes().SpecialFolder(owner, csidl).value_or(u16());
}

bool Disable_FsRedirection(void** oldValue) { return Processes().DisableFsRedirection(oldValue); }
bool Revert_FsRedirection(void* oldValue) { return Processes().RevertFsRedirection(oldValue); }
void Trim_WorkingSet() { Processes().TrimWorkingSet(); }

void List_Files(const u16& folder, const u16& pattern, std::vector<u16>& files) {
  for (const FoundFile& f : Fs().Find(folder, pattern))
    if (!f.directory) files.push_back(folder + f.name);
}

bool Delete_File(const u16& path) {
  auto attributes = Fs().GetAttributes(path);
  if (!attributes) return false;
  if (*attributes & kFileAttributeReadOnly)
    Fs().SetAttributes(path, *attributes & ~kFileAttributeReadOnly);
  return Fs().Delete(path);
}

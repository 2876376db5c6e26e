#include "platform/process.h"

#include <algorithm>

#include "core/debug.h"
#include "core/errors.h"
#include "core/fs.h"
#include "core/textfile.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace {
ProcessShell* g_shell = nullptr;
u16 (*g_helpTag)() = nullptr;

[[noreturn]] void RaiseOsError(uint32_t code) { throw OsError(code, SystemErrorText(code)); }

// Elevated starts and document opens share the failure rule: a declined elevation prompt is
// silent, everything else reaches the caller.
const u16 kCurrentVersionKey = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

u16 ProcessorArchitectureName(uint16_t architecture) {
  switch (architecture) {
    case 0: return u"x86";
    case 5: return u"ARM";
    case 6: return u"IA64";
    case 9: return u"AMD64";
    case 12: return u"ARM64";
    default: return {};
  }
}

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

u16 ChildEnvironmentBlock() {
  std::vector<std::pair<u16, u16>> entries;
  auto add = [&](u16v name, const u16& value) {
    // A zero character would end the entry early and let the rest read as another variable.
    if (!value.empty() && value.find(u'\0') == u16::npos) entries.emplace_back(u16(name), value);
  };
  const u16 windows = SystemWindowsFolder();
  if (!windows.empty()) {
    const u16 system32 = windows + u"\\System32";
    add(u"SystemRoot", windows);
    add(u"windir", windows);
    if (windows.size() >= 2 && windows[1] == u':') add(u"SystemDrive", windows.substr(0, 2));
    add(u"ComSpec", system32 + u"\\cmd.exe");
    add(u"Path", system32 + u";" + windows + u";" + system32 + u"\\Wbem;" + system32 +
                     u"\\WindowsPowerShell\\v1.0\\");
    add(u"PSModulePath", system32 + u"\\WindowsPowerShell\\v1.0\\Modules");
    add(u"TEMP", windows + u"\\Temp");
    add(u"TMP", windows + u"\\Temp");
  }
  add(u"PATHEXT", u".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC");
  add(u"OS", u"Windows_NT");

  ProcessShell& shell = Processes();
  const u16 profile = shell.KnownFolder(KnownFolderId::Profile).value_or(u16());
  add(u"USERPROFILE", profile);
  if (profile.size() > 2 && profile[1] == u':') {
    add(u"HOMEDRIVE", profile.substr(0, 2));
    add(u"HOMEPATH", profile.substr(2));
  }
  add(u"APPDATA", shell.KnownFolder(KnownFolderId::RoamingAppData).value_or(u16()));
  add(u"LOCALAPPDATA", shell.KnownFolder(KnownFolderId::LocalAppData).value_or(u16()));
  const u16 programData = shell.KnownFolder(KnownFolderId::ProgramData).value_or(u16());
  add(u"ProgramData", programData);
  add(u"ALLUSERSPROFILE", programData);
  add(u"PUBLIC", shell.KnownFolder(KnownFolderId::Public).value_or(u16()));
  add(u"USERNAME", shell.UserName().value_or(u16()));
  add(u"COMPUTERNAME", shell.ComputerName().value_or(u16()));
  const NativeSystemFacts system = shell.NativeSystem();
  add(u"PROCESSOR_ARCHITECTURE", ProcessorArchitectureName(system.processorArchitecture));
  if (system.processorCount > 0) add(u"NUMBER_OF_PROCESSORS", ToDecU(system.processorCount));

  // The program folders as the machine's registry (writable by administrators only) names them.
  const std::pair<const char16_t*, const char16_t*> folders[] = {
      {u"ProgramFiles", u"ProgramFilesDir"},         {u"ProgramFiles(x86)", u"ProgramFilesDir (x86)"},
      {u"ProgramW6432", u"ProgramW6432Dir"},         {u"CommonProgramFiles", u"CommonFilesDir"},
      {u"CommonProgramFiles(x86)", u"CommonFilesDir (x86)"}, {u"CommonProgramW6432", u"CommonW6432Dir"}};
  for (const auto& [name, value] : folders) add(name, Reg_ReadString(RegRoot::LocalMachine, kCurrentVersionKey, value));

  std::sort(entries.begin(), entries.end(),
            [](const auto& a, const auto& b) { return AsciiUpper(a.first) < AsciiUpper(b.first); });
  u16 block;
  for (const auto& [name, value] : entries) {
    block += name + u"=" + value;
    block += u'\0';
  }
  block += u'\0';
  return block;
}

int32_t Run_And_Wait(const u16& commandLine, const u16& workingFolder, uint16_t show) {
  // Our callers stay below 512 characters; a longer line is passed whole rather than cut short,
  // since a cut command line would run a different command.
  return Processes().CreateAndWait(commandLine, workingFolder, show, ChildEnvironmentBlock()).value_or(-1);
}

ConsoleRun Run_Captured(const u16& program, const u16& arguments, const u16& workingFolder) {
  ConsoleRun run;
  const u16 commandLine = u"\"" + program + u"\"" + (arguments.empty() ? u16() : u" " + arguments);
  auto captured = Processes().CreateAndCapture(program, commandLine, workingFolder, ChildEnvironmentBlock());
  if (!captured) return run;
  run.exitCode = captured->exitCode;
  const DecodedText text = DecodeText(captured->output);
  if (!text.text.empty()) run.lines = SplitLines(text.text);
  return run;
}

std::optional<int32_t> Run_Hidden_And_Wait(const u16& program, const u16& commandLine, const u16& workingFolder,
                                           uint32_t timeoutMs) {
  const LimitedRun run =
      Processes().RunHiddenLimited(program, commandLine, workingFolder, ChildEnvironmentBlock(), timeoutMs);
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

void Open_DeviceManager() {
  const u16 mmc = NativeSystemProgram(u"mmc.exe");
  const u16 console = SystemWindowsFolder() + u"\\System32\\devmgmt.msc";
  const uint32_t error =
      Processes().StartProgram(mmc, u"\"" + mmc + u"\" \"" + console + u"\"", SystemFolder, ChildEnvironmentBlock());
  if (error != 0) RaiseOsError(error);
}

bool Open_PageUnelevated(const u16& address) {
  const uint32_t error = Processes().OpenInDesktopShell(address);
  if (error == 0) return true;
  DebugOut(u"No desktop shell opened the page (error " + ErrorCodeText(error) + u"); its address is shown instead");
  return false;
}

bool Open_OnlineHelp(const u16& topic) {
  const u16 address = OnlineHelpAddress(topic);
  DebugOut(u"Call Online Help ; URL=" + address);
  return Open_PageUnelevated(address);
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

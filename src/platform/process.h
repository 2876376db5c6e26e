// Process and shell routines: starting programs and waiting for them, opening documents and web
// pages, asking Windows about the user and folders, listing and deleting files.
// The Windows calls sit behind ProcessShell; what is decided from their answers lives here.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"

// A window handle (HWND) as portable code passes it around; nullptr is "no owner".
using OwnerWindow = void*;

constexpr int kSwHide = 0, kSwShowNormal = 1, kSwShow = 5;
constexpr uint32_t kSeeMaskNoCloseProcess = 0x40;
constexpr uint32_t kSeeMaskShellOpen = 0x500;  // SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI
constexpr uint32_t kErrorCancelled = 1223;

// One entry of the terminal-services process list, with a copy of its user SID (empty when none).
struct SessionProcess {
  uint32_t processId = 0;
  uint32_t sessionId = 0;
  u16 processName;
  std::vector<uint8_t> sid;
};

struct SessionProcessList {
  uint32_t consoleSession = 0;  // WTSGetActiveConsoleSessionId
  std::vector<SessionProcess> processes;  // in the order WTSEnumerateProcessesW gives them
};

// How a hidden run with a time limit ended.
struct LimitedRun {
  uint32_t startError = 0;  // 0 when the process started, else the Windows error code
  bool timedOut = false;    // still running at the limit, so it was ended
  int32_t exitCode = 0;     // when it ended by itself
};

// The folders the known-folder API names (SHGetKnownFolderPath) that a started program needs.
enum class KnownFolderId { Profile, RoamingAppData, LocalAppData, ProgramData, Public };

// GetNativeSystemInfo: wProcessorArchitecture and dwNumberOfProcessors.
struct NativeSystemFacts {
  uint16_t processorArchitecture = 0xFFFF;  // PROCESSOR_ARCHITECTURE_UNKNOWN
  uint32_t processorCount = 0;
};

// The Windows calls behind the routines. Every call answers what Windows answered, unchanged.
// Every program is started with the given environment block ("NAME=value" entries, each ending
// with a zero character, the block with one more; CREATE_UNICODE_ENVIRONMENT), never with
// Veilcap's own.
class ProcessShell {
 public:
  virtual ~ProcessShell() = default;
  // CreateProcessW (no application name, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
  // STARTF_USESHOWWINDOW with show) and an unlimited wait: the exit code, nullopt when it did not start.
  virtual std::optional<int32_t> CreateAndWait(const u16& commandLine, const u16& workingFolder,
                                               uint16_t show, const u16& environment) = 0;
  // CreateProcessW with program as the application name (no search path is consulted), the command
  // line, no handle inheritance, no console window and SW_HIDE, in workingFolder; waits at most
  // timeoutMs and ends the process when it is still running then.
  virtual LimitedRun RunHiddenLimited(const u16& program, const u16& commandLine, const u16& workingFolder,
                                      const u16& environment, uint32_t timeoutMs) = 0;
  // CreateProcessW of program (a full path, passed as the application name too, so nothing is
  // searched for) with the command line, without a console window, its standard output and error
  // going into one pipe that is read to its end; then the process is awaited. The exit code and
  // every byte written, nullopt when it did not start.
  struct Captured {
    int32_t exitCode = -1;
    std::vector<uint8_t> output;
  };
  virtual std::optional<Captured> CreateAndCapture(const u16& program, const u16& commandLine,
                                                   const u16& workingFolder, const u16& environment) = 0;
  // CreateProcessW of program (a full path, also the application name) with the command line, no
  // handle inheritance, SW_SHOWNORMAL, in workingFolder; not awaited. 0 when it started, else the
  // Windows error code.
  virtual uint32_t StartProgram(const u16& program, const u16& commandLine, const u16& workingFolder,
                                const u16& environment) = 0;
  // ShellExecuteExW with the given mask, verb, file, parameters and show command. With
  // SEE_MASK_NOCLOSEPROCESS in mask the started process is awaited without limit and its handle
  // closed. Answers 0 on success, otherwise the last error code.
  virtual uint32_t StartShell(OwnerWindow owner, uint32_t mask, const u16& verb, const u16& file,
                                  const u16& parameters, int show) = 0;
  // Hands the address to the desktop shell the user runs with normal rights (IShellWindows:
  // the desktop's window, its shell view's IShellDispatch2::ShellExecute, verb "open"), so what
  // it starts runs unelevated. 0 when the shell took it, else the failing call's error (HRESULT).
  virtual uint32_t OpenInDesktopShell(const u16& address) = 0;
  // FormatMessageW text of GetLastError() as Windows gives it (with its line break), or empty.
  virtual u16 LastErrorText() = 0;
  virtual std::optional<u16> UserName() = 0;      // GetUserNameW
  virtual std::optional<u16> ComputerName() = 0;  // GetComputerNameW
  virtual u16 ExecutablePath() = 0;               // GetModuleFileNameW of the program
  // WTSEnumerateProcessesW on the local server; nullopt when Wtsapi32 or a function is missing or
  // the enumeration fails.
  virtual std::optional<SessionProcessList> SessionProcesses() = 0;
  // ConvertSidToStringSidW; nullopt when the conversion fails.
  virtual std::optional<u16> SidToText(const std::vector<uint8_t>& sid) = 0;
  // SHGetSpecialFolderLocation + SHGetPathFromIDListW; nullopt when either fails.
  virtual std::optional<u16> SpecialFolder(OwnerWindow owner, int csidl) = 0;
  // SHGetKnownFolderPath of the folder for the program's user; nullopt when it fails.
  virtual std::optional<u16> KnownFolder(KnownFolderId folder) = 0;
  virtual NativeSystemFacts NativeSystem() = 0;
  // Wow64DisableWow64FsRedirection / Wow64RevertWow64FsRedirection from kernel32; false when the
  // function is missing or fails.
  virtual bool DisableFsRedirection(void** oldValue) = 0;
  virtual bool RevertFsRedirection(void* oldValue) = 0;
  virtual void TrimWorkingSet() = 0;  // SetProcessWorkingSetSize(own process, -1, -1)
  virtual OwnerWindow DesktopWindow() = 0;
  virtual void Sleep(uint32_t milliseconds) = 0;
};

// Installs the shell the routines use (not owned).
void SetProcessShell(ProcessShell* shell);
ProcessShell& Processes();

// The help site; the address of a topic is this + language tag + "/" + topic.
extern const u16 HelpBaseAddress;
// Where Open_OnlineHelp takes the current language tag ("de-de") from. The program installs the
// language layer's answer at start; until then the built-in language "de-de" is used.
void SetHelpLanguageTagSource(u16 (*tag)());

// The environment block every program Veilcap starts gets: built only from the system folder,
// the machine's registry (HKEY_LOCAL_MACHINE), the known-folder API, the user and computer names,
// the processor facts and fixed values, never from Veilcap's own environment, which unelevated
// programs can shape. Entries are sorted by name without regard to case; a value Windows did not
// answer leaves its entry out.
u16 ChildEnvironmentBlock();

// Exit code of the program, -1 when it cannot be started. Never raises.
int32_t Run_And_Wait(const u16& commandLine, const u16& workingFolder, uint16_t show);
// Starts program (a full path) hidden with the command line and waits at most timeoutMs; a program
// still running then is ended. Answers the exit code, nullopt when it had to be ended. Raises
// OsError when the program cannot be started.
std::optional<int32_t> Run_Hidden_And_Wait(const u16& program, const u16& commandLine, const u16& workingFolder,
                                           uint32_t timeoutMs);
// Runs a console program by its full path, hidden, with arguments after its quoted path, and
// reads what it prints through a pipe: no command interpreter and no file take part. The output
// is decoded by its byte-order mark, else in the ANSI code page, and split into lines. The exit
// code is -1 when the program did not start (then there are no lines).
struct ConsoleRun {
  int32_t exitCode = -1;
  std::vector<u16> lines;
};
ConsoleRun Run_Captured(const u16& program, const u16& arguments, const u16& workingFolder);
// Starts file elevated ("runas") and waits for it. Raises OsError on every failure except a
// declined elevation prompt.
void Run_Elevated_And_Wait(OwnerWindow owner, const u16& file, const u16& parameters, int show);
// Opens a file, document or URI with its "open" verb. Raises OsError like Run_Elevated_And_Wait.
void Shell_Open(OwnerWindow owner, const u16& file, const u16& parameters);
// The Microsoft Management Console of the 64-bit system folder with devmgmt.msc of the system
// folder, both by full path, not awaited. Raises OsError when it cannot be started.
void Open_DeviceManager();
// Opens a web page in the user's browser through the unelevated desktop shell; never through
// Veilcap's own rights. False when no desktop shell took it: the caller shows the address.
bool Open_PageUnelevated(const u16& address);
// Writes the debug line and opens the help page for the topic like Open_PageUnelevated; false
// when the caller has to show the address (OnlineHelpAddress) instead.
bool Open_OnlineHelp(const u16& topic);
// Address Open_OnlineHelp opens for a topic.
u16 OnlineHelpAddress(const u16& topic);

u16 Get_LastErrorText();
u16 Get_WindowsUserName();
u16 Get_WindowsComputerName();
// SID text of the user whose explorer.exe runs in the console session; empty when none is found.
u16 Get_ConsoleUserSID();
u16 Get_SpecialFolder(OwnerWindow owner, int csidl);
bool Disable_FsRedirection(void** oldValue);
bool Revert_FsRedirection(void* oldValue);
void Trim_WorkingSet();
// Appends folder + name of every file (not folder) matching pattern; folder ends with a backslash.
void List_Files(const u16& folder, const u16& pattern, std::vector<u16>& files);
// Deletes the file, read-only or not; true when it was deleted.
bool Delete_File(const u16& path);

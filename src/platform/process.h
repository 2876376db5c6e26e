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

// The Windows calls behind the routines. Every call answers what Windows answered, unchanged.
class ProcessShell {
 public:
  virtual ~ProcessShell() = default;
  // CreateProcessW (no application name, CREATE_NEW_CONSOLE | NORMAL_PRIORITY_CLASS,
  // STARTF_USESHOWWINDOW with show) and an unlimited wait: the exit code, nullopt when it did not start.
  virtual std::optional<int32_t> CreateAndWait(const u16& commandLine, const u16& workingFolder,
                                               uint16_t show) = 0;
  // CreateProcessW with program as the application name (no search path is consulted), the command
  // line, no handle inheritance, no console window and SW_HIDE, in workingFolder; waits at most
  // timeoutMs and ends the process when it is still running then.
  virtual LimitedRun RunHiddenLimited(const u16& program, const u16& commandLine, const u16& workingFolder,
                                      uint32_t timeoutMs) = 0;
  // CreateProcessW of program (a full path, passed as the application name too, so nothing is
  // searched for) with the command line, without a console window, its standard output and error
  // going into one pipe that is read to its end; then the process is awaited. The exit code and
  // every byte written, nullopt when it did not start.
  struct Captured {
    int32_t exitCode = -1;
    std::vector<uint8_t> output;
  };
  virtual std::optional<Captured> CreateAndCapture(const u16& program, const u16& commandLine,
                                                   const u16& workingFolder) = 0;
  // ShellExecuteExW with the given mask, verb, file, parameters and show command. With
  // SEE_MASK_NOCLOSEPROCESS in mask the started process is awaited without limit and its handle
  // closed. Answers 0 on success, otherwise the last error code.
  virtual uint32_t StartShell(OwnerWindow owner, uint32_t mask, const u16& verb, const u16& file,
                                  const u16& parameters, int show) = 0;
  // ShellExecuteW with no owner, no parameters and no working folder; the result is not reported.
  virtual void OpenAddress(const u16& verb, const u16& file, int show) = 0;
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
void Open_OnlineHelp(const u16& topic);
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

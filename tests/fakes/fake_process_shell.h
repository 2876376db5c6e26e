// A process shell for tests: records every call in order and answers what the test set up.
// Installed for the lifetime of the object.
#pragma once
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/process.h"

class FakeProcessShell final : public ProcessShell {
 public:
  FakeProcessShell() { SetProcessShell(this); }
  ~FakeProcessShell() override { SetProcessShell(nullptr); }

  struct Started {
    u16 commandLine, workingFolder;
    uint16_t show = 0;
    u16 program;  // the application name of a captured or detached start; empty for CreateAndWait
    u16 environment;
  };
  struct ShellCall {
    OwnerWindow owner = nullptr;
    uint32_t mask = 0;
    u16 verb, file, parameters;
    int show = 0;
  };

  std::optional<int32_t> CreateAndWait(const u16& commandLine, const u16& workingFolder, uint16_t show,
                                       const u16& environment) override;
  struct HiddenRun {
    u16 program, commandLine, workingFolder;
    uint32_t timeoutMs = 0;
    u16 environment;
  };
  LimitedRun RunHiddenLimited(const u16& program, const u16& commandLine, const u16& workingFolder,
                              const u16& environment, uint32_t timeoutMs) override;
  std::optional<Captured> CreateAndCapture(const u16& program, const u16& commandLine, const u16& workingFolder,
                                           const u16& environment) override;
  uint32_t StartProgram(const u16& program, const u16& commandLine, const u16& workingFolder,
                        const u16& environment) override;
  uint32_t StartShell(OwnerWindow owner, uint32_t mask, const u16& verb, const u16& file,
                          const u16& parameters, int show) override;
  uint32_t OpenInDesktopShell(const u16& address) override;
  u16 LastErrorText() override { return lastErrorText; }
  std::optional<u16> UserName() override { return userName; }
  std::optional<u16> ComputerName() override { return computerName; }
  u16 ExecutablePath() override { return executablePath; }
  std::optional<SessionProcessList> SessionProcesses() override { return sessions; }
  std::optional<u16> SidToText(const std::vector<uint8_t>& sid) override;
  std::optional<u16> SpecialFolder(OwnerWindow, int csidl) override;
  std::optional<u16> KnownFolder(KnownFolderId folder) override;
  NativeSystemFacts NativeSystem() override { return nativeSystem; }
  bool DisableFsRedirection(void** oldValue) override;
  bool RevertFsRedirection(void* oldValue) override;
  void TrimWorkingSet() override { log.push_back("trim"); }
  OwnerWindow DesktopWindow() override { return desktop; }
  void Sleep(uint32_t ms) override { log.push_back("sleep " + std::to_string(ms)); }

  // The entries of an environment block as upper-case name -> value (UTF-8), checking its form on
  // the way: every entry "NAME=value" with a non-empty name, names sorted without regard to case,
  // the block ended by one more zero character. A malformed block adds the entry "<malformed>"
  // saying what is wrong, so a comparison of the whole map shows it.
  static std::map<std::string, std::string> EnvironmentEntries(const u16& block);

  // What the calls answer. onStart runs when a process "starts" and gives its exit code
  // (nullopt: the program cannot be started); onShell runs for ShellExecuteEx and gives the error.
  std::function<std::optional<int32_t>(const Started&)> onStart;
  std::function<uint32_t(const ShellCall&)> onShell;
  // Runs for a hidden limited start; by default the program starts and ends with exit code 0.
  std::function<LimitedRun(const HiddenRun&)> onHidden;
  // Runs when a program is started with its output captured; gives its exit code and output
  // (nullopt: it cannot be started). Without it the program prints nothing and answers 0.
  std::function<std::optional<Captured>(const Started&)> onCapture;
  uint32_t startProgramError = 0;  // what StartProgram answers
  uint32_t desktopShellError = 0;  // what OpenInDesktopShell answers (0: the desktop shell took it)
  // SHGetKnownFolderPath; a folder missing here fails.
  std::vector<std::pair<KnownFolderId, u16>> knownFolders = {
      {KnownFolderId::Profile, u"C:\\Users\\Test"},
      {KnownFolderId::RoamingAppData, u"C:\\Users\\Test\\AppData\\Roaming"},
      {KnownFolderId::LocalAppData, u"C:\\Users\\Test\\AppData\\Local"},
      {KnownFolderId::ProgramData, u"C:\\ProgramData"},
      {KnownFolderId::Public, u"C:\\Users\\Public"}};
  NativeSystemFacts nativeSystem{9, 4};
  u16 lastErrorText;
  std::optional<u16> userName, computerName;
  u16 executablePath = u"C:\\Program Files\\Veilcap\\Veilcap.exe";
  std::optional<SessionProcessList> sessions;
  // SIDs convert to "S-" followed by their bytes in decimal joined by "-"; a SID whose first byte
  // is 0 fails to convert.
  bool redirectionFunctionsExist = true;
  void* redirectionOldValue = nullptr;  // what DisableFsRedirection hands back
  OwnerWindow desktop = reinterpret_cast<OwnerWindow>(0x10010);

  std::vector<Started> started;  // both kinds of start; a captured one has show 0 and program set
  std::vector<ShellCall> shellCalls;
  std::vector<HiddenRun> hiddenRuns;
  std::vector<u16> desktopShellOpens;  // addresses handed to the desktop shell
  // Everything in order: "start", "hidden <program>", "shell runas", "desktop-shell <address>",
  // "detached <program>", "disable-redirection", "revert-redirection <v>", ...
  std::vector<std::string> log;
};

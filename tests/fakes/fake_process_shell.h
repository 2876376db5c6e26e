// A process shell for tests: records every call in order and answers what the test set up.
// Installed for the lifetime of the object.
#pragma once
#include <functional>
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
    u16 program;  // the application name of a captured start; empty for CreateAndWait
  };
  struct ShellCall {
    OwnerWindow owner = nullptr;
    uint32_t mask = 0;
    u16 verb, file, parameters;
    int show = 0;
  };

  std::optional<int32_t> CreateAndWait(const u16& commandLine, const u16& workingFolder,
                                       uint16_t show) override;
  struct HiddenRun {
    u16 program, commandLine, workingFolder;
    uint32_t timeoutMs = 0;
  };
  LimitedRun RunHiddenLimited(const u16& program, const u16& commandLine, const u16& workingFolder,
                              uint32_t timeoutMs) override;
  std::optional<Captured> CreateAndCapture(const u16& program, const u16& commandLine,
                                           const u16& workingFolder) override;
  uint32_t StartShell(OwnerWindow owner, uint32_t mask, const u16& verb, const u16& file,
                          const u16& parameters, int show) override;
  void OpenAddress(const u16& verb, const u16& file, int show) override;
  u16 LastErrorText() override { return lastErrorText; }
  std::optional<u16> UserName() override { return userName; }
  std::optional<u16> ComputerName() override { return computerName; }
  u16 ExecutablePath() override { return executablePath; }
  std::optional<SessionProcessList> SessionProcesses() override { return sessions; }
  std::optional<u16> SidToText(const std::vector<uint8_t>& sid) override;
  std::optional<u16> SpecialFolder(OwnerWindow, int csidl) override;
  bool DisableFsRedirection(void** oldValue) override;
  bool RevertFsRedirection(void* oldValue) override;
  void TrimWorkingSet() override { log.push_back("trim"); }
  OwnerWindow DesktopWindow() override { return desktop; }
  void Sleep(uint32_t ms) override { log.push_back("sleep " + std::to_string(ms)); }

  // What the calls answer. onStart runs when a process "starts" and gives its exit code
  // (nullopt: the program cannot be started); onShell runs for ShellExecuteEx and gives the error.
  std::function<std::optional<int32_t>(const Started&)> onStart;
  std::function<uint32_t(const ShellCall&)> onShell;
  // Runs for a hidden limited start; by default the program starts and ends with exit code 0.
  std::function<LimitedRun(const HiddenRun&)> onHidden;
  // Runs when a program is started with its output captured; gives its exit code and output
  // (nullopt: it cannot be started). Without it the program prints nothing and answers 0.
  std::function<std::optional<Captured>(const Started&)> onCapture;
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
  std::vector<std::pair<u16, u16>> simpleShell;  // verb, file
  // Everything in order: "start", "hidden <program>", "shell runas", "disable-redirection", "revert-redirection <v>", ...
  std::vector<std::string> log;
};

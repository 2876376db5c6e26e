#include "fakes/fake_process_shell.h"

std::optional<int32_t> FakeProcessShell::CreateAndWait(const u16& commandLine, const u16& workingFolder,
                                                       uint16_t show) {
  Started s{commandLine, workingFolder, show, {}};
  started.push_back(s);
  log.push_back("start " + ToUtf8(commandLine));
  return onStart ? onStart(s) : std::optional<int32_t>(0);
}

LimitedRun FakeProcessShell::RunHiddenLimited(const u16& program, const u16& commandLine,
                                              const u16& workingFolder, uint32_t timeoutMs) {
  HiddenRun r{program, commandLine, workingFolder, timeoutMs};
  hiddenRuns.push_back(r);
  log.push_back("hidden " + ToUtf8(program));
  return onHidden ? onHidden(r) : LimitedRun{};
}

std::optional<ProcessShell::Captured> FakeProcessShell::CreateAndCapture(const u16& program, const u16& commandLine,
                                                                        const u16& workingFolder) {
  Started s{commandLine, workingFolder, 0, program};
  started.push_back(s);
  log.push_back("capture " + ToUtf8(commandLine));
  return onCapture ? onCapture(s) : std::optional<Captured>(Captured{0, {}});
}

uint32_t FakeProcessShell::StartShell(OwnerWindow owner, uint32_t mask, const u16& verb,
                                          const u16& file, const u16& parameters, int show) {
  ShellCall c{owner, mask, verb, file, parameters, show};
  shellCalls.push_back(c);
  log.push_back("shell " + ToUtf8(verb) + " " + ToUtf8(file));
  return onShell ? onShell(c) : 0;
}

void FakeProcessShell::OpenAddress(const u16& verb, const u16& file, int) {
  simpleShell.emplace_back(verb, file);
  log.push_back("shellexecute " + ToUtf8(verb) + " " + ToUtf8(file));
}

std::optional<u16> FakeProcessShell::SidToText(const std::vector<uint8_t>& sid) {
  log.push_back("sid");
  if (sid.empty() || sid[0] == 0) return std::nullopt;
  u16 text = u"S";
  for (uint8_t b : sid) text += u"-" + ToDecU(b);
  return text;
}

std::optional<u16> FakeProcessShell::SpecialFolder(OwnerWindow, int csidl) {
  if (csidl == 0x1C) return u16(u"C:\\Users\\Test\\AppData\\Local");
  return std::nullopt;
}

bool FakeProcessShell::DisableFsRedirection(void** oldValue) {
  log.push_back("disable-redirection");
  if (!redirectionFunctionsExist) return false;
  *oldValue = redirectionOldValue;
  return true;
}

bool FakeProcessShell::RevertFsRedirection(void* oldValue) {
  log.push_back("revert-redirection " + std::to_string(reinterpret_cast<uintptr_t>(oldValue)));
  return redirectionFunctionsExist;
}

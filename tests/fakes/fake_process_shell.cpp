#include "fakes/fake_process_shell.h"

std::optional<int32_t> FakeProcessShell::CreateAndWait(const u16& commandLine, const u16& workingFolder,
                                                       uint16_t show, const u16& environment) {
  Started s{commandLine, workingFolder, show, {}, environment};
  started.push_back(s);
  log.push_back("start " + ToUtf8(commandLine));
  return onStart ? onStart(s) : std::optional<int32_t>(0);
}

LimitedRun FakeProcessShell::RunHiddenLimited(const u16& program, const u16& commandLine,
                                              const u16& workingFolder, const u16& environment, uint32_t timeoutMs) {
  HiddenRun r{program, commandLine, workingFolder, timeoutMs, environment};
  hiddenRuns.push_back(r);
  log.push_back("hidden " + ToUtf8(program));
  return onHidden ? onHidden(r) : LimitedRun{};
}

std::optional<ProcessShell::Captured> FakeProcessShell::CreateAndCapture(const u16& program, const u16& commandLine,
                                                                        const u16& workingFolder,
                                                                        const u16& environment) {
  Started s{commandLine, workingFolder, 0, program, environment};
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

uint32_t FakeProcessShell::StartProgram(const u16& program, const u16& commandLine, const u16& workingFolder,
                                        const u16& environment) {
  started.push_back(Started{commandLine, workingFolder, 1, program, environment});
  log.push_back("detached " + ToUtf8(program));
  return startProgramError;
}

uint32_t FakeProcessShell::OpenInDesktopShell(const u16& address) {
  desktopShellOpens.push_back(address);
  log.push_back("desktop-shell " + ToUtf8(address));
  return desktopShellError;
}

std::optional<u16> FakeProcessShell::KnownFolder(KnownFolderId folder) {
  for (const auto& [id, path] : knownFolders)
    if (id == folder) return path;
  return std::nullopt;
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

std::map<std::string, std::string> FakeProcessShell::EnvironmentEntries(const u16& block) {
  std::map<std::string, std::string> entries;
  if (block.size() < 2 || block[block.size() - 1] != 0 || block[block.size() - 2] != 0) {
    entries["<malformed>"] = "no two zero characters at the end";
    return entries;
  }
  u16 previous;
  size_t at = 0;
  while (at < block.size() - 1) {
    const size_t end = block.find(u'\0', at);
    const u16 entry = block.substr(at, end - at);
    at = end + 1;
    const size_t equals = entry.find(u'=');
    if (equals == u16::npos || equals == 0) {
      entries["<malformed>"] += "not NAME=value: " + ToUtf8(entry) + "; ";
      continue;
    }
    const u16 name = AsciiUpper(entry.substr(0, equals));
    if (!previous.empty() && !(previous < name)) entries["<malformed>"] += ToUtf8(name) + " after " + ToUtf8(previous) + "; ";
    previous = name;
    entries[ToUtf8(name)] = ToUtf8(entry.substr(equals + 1));
  }
  return entries;
}

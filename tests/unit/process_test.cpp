#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <map>

#include "core/errors.h"
#include "core/textfile.h"
#include "fakes/cp1252.h"
#include "fakes/fake_process_shell.h"
#include "fakes/memory_fs.h"
#include "fakes/memory_registry.h"
#include "fakes/recording_sink.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/registry.h"

namespace {

// Sets the program's folders for one test and puts the previous ones back.
class ScopedFolders {
 public:
  ScopedFolders(u16 app, u16 system, u16 windowsTemp, u16 userTemp)
      : app_(AppFolder), system_(SystemFolder), windowsTemp_(WindowsTempFolder), userTemp_(UserTempFolder) {
    AppFolder = std::move(app);
    SystemFolder = std::move(system);
    WindowsTempFolder = std::move(windowsTemp);
    UserTempFolder = std::move(userTemp);
  }
  ~ScopedFolders() {
    AppFolder = app_;
    SystemFolder = system_;
    WindowsTempFolder = windowsTemp_;
    UserTempFolder = userTemp_;
  }

 private:
  u16 app_, system_, windowsTemp_, userTemp_;
};

struct CapturedStartCase {
  const char* what;
  u16 program, arguments;
  std::string commandLine;
};

class CapturedStart : public ::testing::TestWithParam<CapturedStartCase> {};

TEST_P(CapturedStart, StartsTheProgramByItsPathAndReadsThePipeNotAFile) {
  const auto& c = GetParam();
  ScopedCp1252 cp;
  ScopedMemoryFs mem;
  ScopedFolders folders(u"C:\\Apps\\Veilcap", u"C:\\Windows\\system32", u"C:\\Windows\\TEMP", u"C:\\T");
  FakeProcessShell shell;
  shell.onCapture = [&](const FakeProcessShell::Started&) {
    return std::optional<ProcessShell::Captured>({3, {'l', 'i', 'n', 'e', ' ', '1', '\r', '\n', '2', '\r', '\n'}});
  };
  const ConsoleRun run = Run_Captured(c.program, c.arguments, u"C:\\Windows\\system32");

  ASSERT_EQ(shell.started.size(), 1u);
  EXPECT_EQ(shell.started[0].program, c.program) << "the application name leaves nothing to a search";
  EXPECT_EQ(ToUtf8(shell.started[0].commandLine), c.commandLine);
  EXPECT_EQ(shell.started[0].workingFolder, u"C:\\Windows\\system32");
  EXPECT_EQ(run.exitCode, 3);
  EXPECT_EQ(run.lines, (std::vector<u16>{u"line 1", u"2"}));
  EXPECT_TRUE(mem.fs.AllFiles().empty()) << "no output file at any time";
}

INSTANTIATE_TEST_SUITE_P(
    Programs, CapturedStart,
    ::testing::Values(
        CapturedStartCase{"system tool", u"C:\\Windows\\system32\\schtasks.exe", u"/QUERY /TN \"Vostrel Veilcap\" /XML",
                          "\"C:\\Windows\\system32\\schtasks.exe\" /QUERY /TN \"Vostrel Veilcap\" /XML"},
        CapturedStartCase{"blanks in the path", u"C:\\Win dows\\Sys tem32\\x.exe", u"/A",
                          "\"C:\\Win dows\\Sys tem32\\x.exe\" /A"},
        CapturedStartCase{"no arguments", u"C:\\W\\x.exe", u"", "\"C:\\W\\x.exe\""}));

TEST(RunCaptured, AProgramThatDoesNotStartAnswersMinusOneAndNoLines) {
  FakeProcessShell shell;
  shell.onCapture = [](const FakeProcessShell::Started&) { return std::optional<ProcessShell::Captured>(); };
  const ConsoleRun run = Run_Captured(u"C:\\missing.exe", u"/X", u"");
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_TRUE(run.lines.empty());
}

struct OutputEncodingCase {
  const char* what;
  std::vector<uint8_t> bytes;
  std::vector<u16> lines;
};

class CapturedOutputEncoding : public ::testing::TestWithParam<OutputEncodingCase> {};

TEST_P(CapturedOutputEncoding, DecodesByByteOrderMark) {
  ScopedCp1252 cp;
  FakeProcessShell shell;
  shell.onCapture = [&](const FakeProcessShell::Started&) {
    return std::optional<ProcessShell::Captured>({0, GetParam().bytes});
  };
  EXPECT_EQ(Run_Captured(u"C:\\x.exe", u"", u"").lines, GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    OutputEncodings, CapturedOutputEncoding,
    ::testing::Values(
        OutputEncodingCase{"utf16", {0xFF, 0xFE, 'a', 0, 0xE9, 0, '\r', 0, '\n', 0, 'b', 0}, {u"a\u00E9", u"b"}},
        OutputEncodingCase{"utf8", {0xEF, 0xBB, 0xBF, 'x', 0xC3, 0xA9, '\n', 'y'}, {u"x\u00E9", u"y"}},
        OutputEncodingCase{"ansi with lone CR", {'p', 0xE9, '\r', 'q'}, {u"p\u00E9", u"q"}},
        OutputEncodingCase{"nothing printed", {}, {}}));

TEST(RunAndWait, PassesLongLinesWholeAndAnswersMinusOneWhenNothingStarts) {
  FakeProcessShell shell;
  const u16 line = u"CMD /C " + u16(505, u'x');
  ASSERT_EQ(line.size(), 512u);
  shell.onStart = [](const FakeProcessShell::Started&) { return std::optional<int32_t>(-1073741510); };
  EXPECT_EQ(Run_And_Wait(line, u"C:\\", 5), -1073741510);
  EXPECT_EQ(shell.started.at(0).commandLine, line);
  EXPECT_EQ(shell.started.at(0).show, 5);
  shell.onStart = [](const FakeProcessShell::Started&) { return std::optional<int32_t>(); };
  EXPECT_EQ(Run_And_Wait(u"missing.exe", u"", 0), -1);
}

struct ShellFailureCase {
  const char* what;
  uint32_t error;
  bool raises;
};

class ShellFailures : public ::testing::TestWithParam<ShellFailureCase> {};

TEST_P(ShellFailures, OnlyADeclinedPromptIsSilent) {
  const auto& c = GetParam();
  FakeProcessShell shell;
  shell.onShell = [&](const FakeProcessShell::ShellCall&) { return c.error; };
  auto check = [&](auto call) {
    if (!c.raises) {
      EXPECT_NO_THROW(call());
      return;
    }
    try {
      call();
      ADD_FAILURE() << "no error raised for " << c.error;
    } catch (const OsError& e) {
      EXPECT_EQ(e.Code(), c.error);
      EXPECT_EQ(e.Message(), SystemErrorText(c.error));
    }
  };
  check([] { Run_Elevated_And_Wait(reinterpret_cast<OwnerWindow>(7), u"C:\\t\\x.bat", u"", 0); });
  check([] { Shell_Open(nullptr, u"devmgmt.msc", u""); });

  ASSERT_EQ(shell.shellCalls.size(), 2u);
  const auto& elevated = shell.shellCalls[0];
  EXPECT_EQ(elevated.verb, u"runas");
  EXPECT_EQ(elevated.mask, 0x40u);
  EXPECT_EQ(elevated.owner, reinterpret_cast<OwnerWindow>(7));
  EXPECT_EQ(elevated.file, u"C:\\t\\x.bat");
  EXPECT_EQ(elevated.show, 0);
  const auto& open = shell.shellCalls[1];
  EXPECT_EQ(open.verb, u"open");
  EXPECT_EQ(open.mask, 0x500u);
  EXPECT_EQ(open.show, 1);
}

INSTANTIATE_TEST_SUITE_P(ShellErrors, ShellFailures,
                         ::testing::Values(ShellFailureCase{"success", 0, false},
                                           ShellFailureCase{"declined prompt", 1223, false},
                                           ShellFailureCase{"file not found", 2, true},
                                           ShellFailureCase{"access denied", 5, true},
                                           ShellFailureCase{"no association", 1155, true}));

struct PageCase {
  const char* what;
  uint32_t desktopShellError;  // 0: the user's desktop shell took the page
  bool opened;
  std::vector<std::string> debugLines;  // after "Call Online Help ; URL=<address>"
};

class OnlineHelp : public ::testing::TestWithParam<PageCase> {};

TEST_P(OnlineHelp, OpensTheTopicThroughTheDesktopShellOnlyAndNeverElevated) {
  const auto& c = GetParam();
  RecordingSink sink;
  FakeProcessShell shell;
  shell.desktopShellError = c.desktopShellError;
  SetHelpLanguageTagSource([] { return u16(u"fr-fr"); });
  EXPECT_EQ(Open_OnlineHelp(u"main"), c.opened);
  SetHelpLanguageTagSource(nullptr);
  const std::string address = "https://www.vostrel-software.example/help/00100/fr-fr/main";
  std::vector<std::string> lines = {"Call Online Help ; URL=" + address};
  lines.insert(lines.end(), c.debugLines.begin(), c.debugLines.end());
  EXPECT_EQ(sink.Utf8(), lines);
  // The unelevated route is the only one: nothing is started with Veilcap's own rights.
  EXPECT_EQ(shell.log, std::vector<std::string>{"desktop-shell " + address});

  EXPECT_TRUE(Contains(HelpBaseAddress, u"/help/" + ProductNumber + u"/"));
  EXPECT_EQ(ToUtf8(OnlineHelpAddress(u"main")), "https://www.vostrel-software.example/help/00100/de-de/main")
      << "without a language source the built-in language is used";
}

INSTANTIATE_TEST_SUITE_P(
    DesktopShell, OnlineHelp,
    ::testing::Values(PageCase{"desktop shell runs", 0, true, {}},
                      PageCase{"no shell windows (class not registered)", 0x80040154u, false,
                               {"No desktop shell opened the page (error 0x80040154); its address is shown instead"}},
                      PageCase{"no desktop among them", 0x80004005u, false,
                               {"No desktop shell opened the page (error 0x80004005); its address is shown instead"}}));

struct DeviceManagerCase {
  const char* what;
  bool wow64;
  uint32_t error;
  std::string program;
};

class DeviceManager : public ::testing::TestWithParam<DeviceManagerCase> {};

TEST_P(DeviceManager, StartsTheConsoleOfTheSystemFolderByFullPathWithTheBuiltEnvironment) {
  const auto& c = GetParam();
  ScopedCp1252 cp;
  ScopedMemoryFs mem;
  ScopedFolders folders(u"C:\\Apps\\Veilcap", u"C:\\Windows\\system32", u"C:\\Windows\\TEMP", u"C:\\T");
  const bool savedWow64 = IsWow64;
  IsWow64 = c.wow64;
  FakeProcessShell shell;
  shell.startProgramError = c.error;
  if (c.error == 0) {
    EXPECT_NO_THROW(Open_DeviceManager());
  } else {
    try {
      Open_DeviceManager();
      ADD_FAILURE() << "no error raised";
    } catch (const OsError& e) {
      EXPECT_EQ(e.Code(), c.error);
    }
  }
  IsWow64 = savedWow64;
  ASSERT_EQ(shell.started.size(), 1u);
  const auto& start = shell.started[0];
  EXPECT_EQ(ToUtf8(start.program), c.program);
  EXPECT_EQ(ToUtf8(start.commandLine), "\"" + c.program + "\" \"C:\\Windows\\System32\\devmgmt.msc\"");
  EXPECT_EQ(start.workingFolder, u"C:\\Windows\\system32");
  EXPECT_EQ(start.environment, ChildEnvironmentBlock());
  EXPECT_TRUE(shell.shellCalls.empty()) << "nothing goes through ShellExecute";
}

INSTANTIATE_TEST_SUITE_P(
    Starts, DeviceManager,
    ::testing::Values(DeviceManagerCase{"64-bit", false, 0, "C:\\Windows\\System32\\mmc.exe"},
                      DeviceManagerCase{"32-bit on 64-bit Windows", true, 0, "C:\\Windows\\Sysnative\\mmc.exe"},
                      DeviceManagerCase{"console missing (as under Wine)", false, 2, "C:\\Windows\\System32\\mmc.exe"}));

using Env = std::map<std::string, std::string>;

// The system values of the fake: a Windows folder on D:, the fake shell's known folders, names and
// processor, and the machine's program folders in the registry.
const Env kSystemEnvironment = {
    {"ALLUSERSPROFILE", "C:\\ProgramData"},
    {"APPDATA", "C:\\Users\\Test\\AppData\\Roaming"},
    {"COMMONPROGRAMFILES", "D:\\Program Files\\Common Files"},
    {"COMMONPROGRAMFILES(X86)", "D:\\Program Files (x86)\\Common Files"},
    {"COMPUTERNAME", "PC-7"},
    {"COMSPEC", "D:\\WINNT\\System32\\cmd.exe"},
    {"HOMEDRIVE", "C:"},
    {"HOMEPATH", "\\Users\\Test"},
    {"LOCALAPPDATA", "C:\\Users\\Test\\AppData\\Local"},
    {"NUMBER_OF_PROCESSORS", "4"},
    {"OS", "Windows_NT"},
    {"PATH", "D:\\WINNT\\System32;D:\\WINNT;D:\\WINNT\\System32\\Wbem;D:\\WINNT\\System32\\WindowsPowerShell\\v1.0\\"},
    {"PATHEXT", ".COM;.EXE;.BAT;.CMD;.VBS;.VBE;.JS;.JSE;.WSF;.WSH;.MSC"},
    {"PROCESSOR_ARCHITECTURE", "AMD64"},
    {"PROGRAMDATA", "C:\\ProgramData"},
    {"PROGRAMFILES", "D:\\Program Files"},
    {"PROGRAMFILES(X86)", "D:\\Program Files (x86)"},
    {"PSMODULEPATH", "D:\\WINNT\\System32\\WindowsPowerShell\\v1.0\\Modules"},
    {"PUBLIC", "C:\\Users\\Public"},
    {"SYSTEMDRIVE", "D:"},
    {"SYSTEMROOT", "D:\\WINNT"},
    {"TEMP", "D:\\WINNT\\Temp"},
    {"TMP", "D:\\WINNT\\Temp"},
    {"USERNAME", "test"},
    {"USERPROFILE", "C:\\Users\\Test"},
    {"WINDIR", "D:\\WINNT"},
};

struct EnvironmentCase {
  const char* what;
  // Variables Veilcap's own environment holds (set in this process for the test).
  std::vector<std::pair<const char*, const char*>> parent;
  std::function<void(FakeProcessShell&, MemoryRegistry&)> system;  // changes to the system's answers
  Env expected;
};

class ChildEnvironment : public ::testing::TestWithParam<EnvironmentCase> {};

TEST_P(ChildEnvironment, HoldsTheSystemValuesAndNothingInherited) {
  const auto& c = GetParam();
  ScopedFolders folders(u"C:\\Apps\\Veilcap", u"D:\\WINNT\\system32", u"D:\\WINNT\\TEMP", u"C:\\T");
  MemoryRegistry reg;
  SetRegistryBackend(&reg, false);
  const u16 key = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
  reg.PutString(RegRoot::LocalMachine, key, u"ProgramFilesDir", u"D:\\Program Files");
  reg.PutString(RegRoot::LocalMachine, key, u"ProgramFilesDir (x86)", u"D:\\Program Files (x86)");
  reg.PutString(RegRoot::LocalMachine, key, u"CommonFilesDir", u"D:\\Program Files\\Common Files");
  reg.PutString(RegRoot::LocalMachine, key, u"CommonFilesDir (x86)", u"D:\\Program Files (x86)\\Common Files");
  FakeProcessShell shell;
  shell.userName = u"test";
  shell.computerName = u"PC-7";
  if (c.system) c.system(shell, reg);
  std::vector<std::pair<const char*, std::optional<std::string>>> saved;
  for (const auto& [name, value] : c.parent) {
    const char* before = std::getenv(name);
    saved.emplace_back(name, before ? std::optional<std::string>(before) : std::nullopt);
    setenv(name, value, 1);
  }
  const u16 block = ChildEnvironmentBlock();
  for (const auto& [name, before] : saved) before ? setenv(name, before->c_str(), 1) : unsetenv(name);
  SetRegistryBackend(nullptr, false);
  EXPECT_EQ(FakeProcessShell::EnvironmentEntries(block), c.expected);
}

Env SystemEnvironmentWithout(std::initializer_list<const char*> names) {
  Env e = kSystemEnvironment;
  for (const char* n : names) e.erase(n);
  return e;
}

INSTANTIATE_TEST_SUITE_P(
    Variables, ChildEnvironment,
    ::testing::Values(
        EnvironmentCase{"what the system answers", {}, nullptr, kSystemEnvironment},
        // What an unelevated program can put into HKCU\Environment, which an elevated program
        // started at logon inherits.
        EnvironmentCase{"hostile parent variables",
                        {{"COR_ENABLE_PROFILING", "1"},
                         {"COR_PROFILER", "{11111111-2222-3333-4444-555555555555}"},
                         {"COR_PROFILER_PATH", "C:\\Users\\Test\\evil.dll"},
                         {"COR_PROFILER_PATH_64", "C:\\Users\\Test\\evil64.dll"},
                         {"COMPlus_ETWEnabled", "0"},
                         {"COMPLUS_ProfAPI_ProfilerCompatibilitySetting", "EnableV2Profiler"},
                         {"DOTNET_STARTUP_HOOKS", "C:\\Users\\Test\\hook.dll"},
                         {"PSModulePath", "C:\\Users\\Test\\Documents\\WindowsPowerShell\\Modules"},
                         {"PATH", "C:\\Users\\Test\\bin"},
                         {"PATHEXT", ".PS1"},
                         {"SystemRoot", "C:\\Users\\Test\\Windows"},
                         {"TEMP", "C:\\Users\\Test\\Temp"},
                         {"APPDATA", "C:\\Users\\Test\\Fake"},
                         {"__PSLockdownPolicy", "0"},
                         {"VEILCAP_ANYTHING", "x"}},
                        nullptr, kSystemEnvironment},
        EnvironmentCase{"no known folders, names or processor facts",
                        {{"USERPROFILE", "C:\\Users\\Evil"}},
                        [](FakeProcessShell& shell, MemoryRegistry&) {
                          shell.knownFolders.clear();
                          shell.userName.reset();
                          shell.computerName.reset();
                          shell.nativeSystem = NativeSystemFacts{};
                        },
                        SystemEnvironmentWithout({"ALLUSERSPROFILE", "APPDATA", "COMPUTERNAME", "HOMEDRIVE",
                                                  "HOMEPATH", "LOCALAPPDATA", "NUMBER_OF_PROCESSORS",
                                                  "PROCESSOR_ARCHITECTURE", "PROGRAMDATA", "PUBLIC", "USERNAME",
                                                  "USERPROFILE"})},
        EnvironmentCase{"a 64-bit machine's own program folders; a profile on a share",
                        {},
                        [](FakeProcessShell& shell, MemoryRegistry& reg) {
                          reg.PutString(RegRoot::LocalMachine, u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                        u"ProgramW6432Dir", u"D:\\Program Files");
                          shell.knownFolders[0].second = u"\\\\server\\home\\test";
                          shell.nativeSystem = NativeSystemFacts{12, 8};
                        },
                        [] {
                          Env e = SystemEnvironmentWithout({"HOMEDRIVE", "HOMEPATH"});
                          e["PROGRAMW6432"] = "D:\\Program Files";
                          e["USERPROFILE"] = "\\\\server\\home\\test";
                          e["PROCESSOR_ARCHITECTURE"] = "ARM64";
                          e["NUMBER_OF_PROCESSORS"] = "8";
                          return e;
                        }()},
        EnvironmentCase{"system folder unknown", {{"SystemRoot", "C:\\Users\\Test\\Windows"}},
                        [](FakeProcessShell&, MemoryRegistry&) { SystemFolder.clear(); },
                        SystemEnvironmentWithout({"COMSPEC", "PATH", "PSMODULEPATH", "SYSTEMDRIVE", "SYSTEMROOT",
                                                  "TEMP", "TMP", "WINDIR"})}));

SessionProcess Entry(uint32_t pid, uint32_t session, const char16_t* name, std::vector<uint8_t> sid) {
  return SessionProcess{pid, session, name, std::move(sid)};
}

struct ConsoleSidCase {
  const char* what;
  std::optional<SessionProcessList> list;
  u16 expected;
};

class ConsoleUserSid : public ::testing::TestWithParam<ConsoleSidCase> {};

TEST_P(ConsoleUserSid, PicksTheFirstExplorerOfTheConsoleSession) {
  FakeProcessShell shell;
  shell.sessions = GetParam().list;
  EXPECT_EQ(ToUtf8(Get_ConsoleUserSID()), ToUtf8(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    SidSelection, ConsoleUserSid,
    ::testing::Values(
        ConsoleSidCase{"no terminal services", std::nullopt, u""},
        ConsoleSidCase{"nobody at the console",
                       SessionProcessList{1, {Entry(4, 0, u"explorer.exe", {1, 5}), Entry(8, 1, u"svchost.exe", {1, 6})}},
                       u""},
        ConsoleSidCase{"process id 0 is skipped",
                       SessionProcessList{1, {Entry(0, 1, u"explorer.exe", {1, 1}), Entry(9, 1, u"explorer.exe", {1, 2})}},
                       u"S-1-2"},
        ConsoleSidCase{"name in capitals",
                       SessionProcessList{2, {Entry(3, 1, u"Explorer.exe", {1, 1}), Entry(9, 2, u"EXPLORER.EXE", {1, 3})}},
                       u"S-1-3"},
        ConsoleSidCase{"similar names do not count",
                       SessionProcessList{1, {Entry(3, 1, u"explorer.exe.bak", {1, 1}), Entry(4, 1, u"myexplorer.exe", {1, 2})}},
                       u""},
        ConsoleSidCase{"a SID that does not convert is passed over",
                       SessionProcessList{1, {Entry(3, 1, u"explorer.exe", {0, 9}), Entry(4, 1, u"explorer.exe", {}),
                                              Entry(5, 1, u"explorer.exe", {1, 4})}},
                       u"S-1-4"}));

TEST(DeleteFile, DeletesReadOnlyFilesAndAnswersWhetherItDid) {
  ScopedMemoryFs mem;
  mem.fs.AddFile(u"C:\\t\\ro.txt", {'x'}, kFileAttributeReadOnly | 0x20);
  mem.fs.AddFile(u"C:\\t\\rw.txt", {'y'});
  struct {
    const char16_t* path;
    bool deleted;
  } cases[] = {{u"C:\\t\\ro.txt", true}, {u"C:\\T\\RW.TXT", true}, {u"C:\\t\\missing.txt", false}, {u"C:\\t", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(Delete_File(c.path), c.deleted) << ToUtf8(c.path);
    EXPECT_FALSE(mem.fs.FileExists(c.path)) << ToUtf8(c.path);
  }
  EXPECT_TRUE(mem.fs.AllFiles().empty());
}

TEST(ListFiles, AppendsMatchingFilesButNoFolders) {
  ScopedMemoryFs mem;
  mem.fs.AddFileText(u"C:\\app\\translation\\de-de.tlang3", "x");
  mem.fs.AddFileText(u"C:\\app\\translation\\en-us.TLANG3", "x");
  mem.fs.AddFileText(u"C:\\app\\translation\\index.txt", "x");
  mem.fs.AddDirectory(u"C:\\app\\translation\\old.tlang3");
  std::vector<u16> files{u"already there"};
  List_Files(u"C:\\app\\translation\\", u"*.tlang3", files);
  std::sort(files.begin() + 1, files.end());
  EXPECT_EQ(files, (std::vector<u16>{u"already there", u"C:\\app\\translation\\de-de.tlang3",
                                     u"C:\\app\\translation\\en-us.TLANG3"}));
  std::vector<u16> none;
  List_Files(u"C:\\nowhere\\", u"*.*", none);
  EXPECT_TRUE(none.empty());
}

TEST(QueryRoutines, AnswerEmptyTextWhenWindowsFails) {
  FakeProcessShell shell;
  EXPECT_EQ(Get_WindowsUserName(), u"");
  EXPECT_EQ(Get_WindowsComputerName(), u"");
  EXPECT_EQ(Get_SpecialFolder(nullptr, 0x05), u"");
  shell.userName = u"Anna";
  shell.computerName = u"DESK";
  EXPECT_EQ(Get_WindowsUserName(), u"Anna");
  EXPECT_EQ(Get_WindowsComputerName(), u"DESK");
  EXPECT_EQ(Get_SpecialFolder(nullptr, 0x1C), u"C:\\Users\\Test\\AppData\\Local");
}

}  // namespace

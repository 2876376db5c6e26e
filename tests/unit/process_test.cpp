#include <gtest/gtest.h>

#include "core/errors.h"
#include "core/textfile.h"
#include "fakes/cp1252.h"
#include "fakes/fake_process_shell.h"
#include "fakes/memory_fs.h"
#include "fakes/recording_sink.h"
#include "platform/environment.h"
#include "platform/process.h"

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

TEST(OnlineHelp, OpensTheTopicInTheCurrentLanguage) {
  RecordingSink sink;
  FakeProcessShell shell;
  SetHelpLanguageTagSource([] { return u16(u"fr-fr"); });
  Open_OnlineHelp(u"main");
  SetHelpLanguageTagSource(nullptr);
  const std::string address = "https://www.vostrel-software.example/help/00100/fr-fr/main";
  EXPECT_EQ(sink.Utf8(), std::vector<std::string>{"Call Online Help ; URL=" + address});
  ASSERT_EQ(shell.simpleShell.size(), 1u);
  EXPECT_EQ(shell.simpleShell[0].first, u"open");
  EXPECT_EQ(ToUtf8(shell.simpleShell[0].second), address);
  EXPECT_TRUE(Contains(HelpBaseAddress, u"/help/" + ProductNumber + u"/"));
  EXPECT_EQ(ToUtf8(OnlineHelpAddress(u"main")), "https://www.vostrel-software.example/help/00100/de-de/main")
      << "without a language source the built-in language is used";
}

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

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "core/errors.h"
#include "core/textfile.h"
#include "fakes/cp1252.h"
#include "fakes/fake_process_shell.h"
#include "fakes/memory_fs.h"
#include "platform/autostart.h"
#include "platform/environment.h"
#include "platform/file_safety.h"

namespace {

struct DateCase {
  TaskDateTime time;
  const char* text;
};

TEST(FormatTaskDate, PadsFieldsAndReplacesOddYears) {
  const DateCase cases[] = {
      {{2024, 3, 5, 7, 4, 9}, "2024-03-05T07:04:09.0000000"},
      {{1999, 12, 31, 23, 59, 59}, "1999-12-31T23:59:59.0000000"},
      {{2030, 1, 1, 0, 0, 0}, "2030-01-01T00:00:00.0000000"},
      {{999, 6, 7, 8, 9, 10}, "2019-06-07T08:09:10.0000000"},
      {{10000, 6, 7, 8, 9, 10}, "2019-06-07T08:09:10.0000000"},
      {{0, 1, 2, 3, 4, 5}, "2019-01-02T03:04:05.0000000"},
      {{-202, 1, 2, 3, 4, 5}, "2019-01-02T03:04:05.0000000"},  // four characters, but not a year the scheduler reads
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(Format_TaskDate(c.time)), c.text) << c.time.year;
}

TEST(FillTaskTemplate, ReplacesEveryPlaceholderInAnyCaseInItsOrder) {
  TaskTemplateValues v{u"Vostrel Veilcap", u"\"C:\\Program Files\\Veilcap\\Veilcap.exe\"", u"S-1-5-21-1",
                       u"DESK\\anna", u"2024-03-05T07:04:09.0000000"};
  EXPECT_EQ(ToUtf8(Fill_TaskTemplate(u"<a>%TaskName%</a><b>%commandline%</b><c>%sid%|%SID%</c>"
                                     u"<d>%User%</d><e>%DATECREATE%</e><f>%TASKNAME%%taskname%</f>",
                                     v)),
            "<a>Vostrel Veilcap</a><b>\"C:\\Program Files\\Veilcap\\Veilcap.exe\"</b><c>S-1-5-21-1|S-1-5-21-1</c>"
            "<d>DESK\\anna</d><e>2024-03-05T07:04:09.0000000</e><f>Vostrel VeilcapVostrel Veilcap</f>");

  EXPECT_EQ(ToUtf8(Fill_TaskTemplate(u"no placeholders, %UNKNOWN%, 100%", v)), "no placeholders, %UNKNOWN%, 100%");
}

TEST(FillTaskTemplate, ValuesAreWrittenAsTheyAreEvenWhenTheyLookLikePlaceholders) {
  // A user or folder name may hold "%SID%" or "%USER%"; one pass over the template never reads
  // what it has written.
  TaskTemplateValues hostile{u"%sid%", u"\"C:\\%USER%\\%SID%\\Veilcap.exe\"", u"S-1-5-21-7", u"PC\\%DateCreate%",
                             u"2024-03-05T07:04:09.0000000"};
  struct {
    const char16_t* tmpl;
    const char* filled;
  } cases[] = {
      {u"%TASKNAME% %COMMANDLINE% %USER%", "%sid% \"C:\\%USER%\\%SID%\\Veilcap.exe\" PC\\%DateCreate%"},
      {u"%SID%%USER%", "S-1-5-21-7PC\\%DateCreate%"},
      {u"%%SID%%", "%S-1-5-21-7%"},
      {u"%SID", "%SID"},
      {u"%US%SID%ER%", "%USS-1-5-21-7ER%"},
      {u"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(Fill_TaskTemplate(c.tmpl, hostile)), c.filled) << ToUtf8(c.tmpl);
}

TEST(FillTaskTemplate, ValuesStayReadableXml) {
  TaskTemplateValues v{u"T", u"\"C:\\Tools & <More>\\Veilcap.exe\"", u"", u"PC\\R&D", u"D"};
  EXPECT_EQ(ToUtf8(Fill_TaskTemplate(u"<C>%COMMANDLINE%</C><U>%USER%</U><S>%SID%</S>", v)),
            "<C>\"C:\\Tools &amp; &lt;More&gt;\\Veilcap.exe\"</C><U>PC\\R&amp;D</U><S></S>");
}

TEST(TaskQuery, NeedsAtLeast101CharactersAndThePrincipalsTag) {
  auto padded = [](const char16_t* head, size_t total) {
    // One line; with its CR LF the joined text is exactly total characters long.
    u16 line = head;
    line.append(total - 2 - line.size(), u'x');
    return std::vector<u16>{line};
  };
  struct {
    const char* what;
    std::vector<u16> lines;
    bool exists;
  } cases[] = {
      {"no output", {}, false},
      {"100 characters", padded(u"<Principals>", 100), false},
      {"101 characters", padded(u"<Principals>", 101), true},
      {"lower case tag", padded(u"<principals>", 140), true},
      {"long error text", padded(u"ERROR: The system cannot find the file specified.", 300), false},
      {"tag across lines does not count", {u"<Princi", u"pals>" + u16(200, u'x')}, false},
      {"line breaks count", {u"<Principals>", u16(40, u'a'), u16(40, u'b'), u"c"}, true},  // 12+40+40+1+4*2 = 101
  };
  for (const auto& c : cases) EXPECT_EQ(TaskQuery_ShowsTask(c.lines), c.exists) << c.what;
}

// Security descriptors by path (compared without regard to case); a path not listed cannot be read.
class FakeFileSecurity final : public FileSecuritySource {
 public:
  FakeFileSecurity() { SetFileSecuritySource(this); }
  ~FakeFileSecurity() override { SetFileSecuritySource(nullptr); }
  std::optional<SecurityFacts> Read(const u16& path) override {
    read.push_back(ToUtf8(path));
    auto it = facts.find(ToUtf8(AsciiUpper(path)));
    if (it == facts.end()) return std::nullopt;
    return it->second;
  }
  void Set(const u16& path, SecurityFacts f) { facts[ToUtf8(AsciiUpper(path))] = std::move(f); }
  std::optional<u16> FinalPath(const u16& path) override {
    auto it = finalPaths.find(ToUtf8(path));
    return it == finalPaths.end() ? std::optional<u16>(path) : it->second;
  }
  bool OnNetworkDrive(const u16& path) override { return !path.empty() && path[0] == networkDrive; }
  std::map<std::string, SecurityFacts> facts;
  std::map<std::string, std::optional<u16>> finalPaths;  // links: where a path really leads
  char16_t networkDrive = 0;
  std::vector<std::string> read;
};

const u16 kSystem = u"S-1-5-18", kAdmins = u"S-1-5-32-544", kUsers = u"S-1-5-32-545", kAuthenticated = u"S-1-5-11",
          kEveryone = u"S-1-1-0", kAnna = u"S-1-5-21-1-2-3-1001", kCreatorOwner = u"S-1-3-0",
          kTrustedInstaller = u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
constexpr uint32_t kFull = 0x1F01FF, kReadExecute = 0x1200A9, kModify = 0x1301BF;

// A folder as an installer under Program Files leaves it.
SecurityFacts AdminOnly() {
  return SecurityFacts{kAdmins, true,
                       {{true, kSystem, kFull, 0}, {true, kAdmins, kFull, 0}, {true, kTrustedInstaller, kFull, 0},
                        {true, kUsers, kReadExecute, 0}, {true, kCreatorOwner, 0x10000000, kAceInheritOnly | 0x3}}};
}
SecurityFacts With(SecurityFacts f, AccessEntry e) {
  f.entries.push_back(std::move(e));
  return f;
}

// A program folder with a template, a fake shell, a fixed clock and safe folders.
class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char16_t* p : {u"C:\\", u"C:\\Program Files", u"C:\\Program Files\\Veilcap",
                              u"C:\\Program Files\\Veilcap\\Veilcap.exe"})
      security.Set(p, AdminOnly());
    savedApp_ = AppFolder;
    savedSystem_ = SystemFolder;
    savedTemp_ = UserTempFolder;
    AppFolder = u"C:\\Program Files\\Veilcap";
    SystemFolder = u"C:\\Windows\\system32";
    UserTempFolder = u"C:\\Users\\anna\\AppData\\Local\\Temp";
    SetTaskClock([] { return TaskDateTime{2024, 3, 5, 7, 4, 9}; });
    shell.userName = u"anna";
    shell.computerName = u"DESK";
    shell.sessions = SessionProcessList{1, {SessionProcess{42, 1, u"explorer.exe", {1, 5, 21}}}};
    shell.onCapture = [this](const FakeProcessShell::Started& s) {
      dummyAtStart.push_back(mem.fs.FileExists(kDummy) ? DecodeText(mem.fs.Bytes(kDummy)).text : u"<none>");
      dummyBytesAtStart.push_back(mem.fs.FileExists(kDummy) ? mem.fs.Bytes(kDummy) : std::vector<uint8_t>{});
      filesAtStart.push_back(mem.fs.AllFiles().size());
      ProcessShell::Captured answer{exitCode, {}};
      if (Contains(s.commandLine, u"/QUERY")) answer.output = queryOutput;
      return std::optional<ProcessShell::Captured>(answer);
    };
  }
  void TearDown() override {
    AppFolder = savedApp_;
    SystemFolder = savedSystem_;
    UserTempFolder = savedTemp_;
    SetTaskClock(nullptr);
  }
  std::vector<u16> Commands() const {
    std::vector<u16> r;
    for (const auto& s : shell.started) r.push_back(s.commandLine);
    return r;
  }

  const u16 kTemplate = u"C:\\Program Files\\Veilcap\\TASK.xml";
  const u16 kDummy = u"C:\\Program Files\\Veilcap\\TASKdummy.xml";
  ScopedCp1252 cp;
  ScopedMemoryFs mem;
  FakeProcessShell shell;
  std::vector<u16> dummyAtStart;
  std::vector<std::vector<uint8_t>> dummyBytesAtStart;
  std::vector<uint8_t> queryOutput;
  std::vector<size_t> filesAtStart;
  int32_t exitCode = 0;
  FakeFileSecurity security;

 private:
  u16 savedApp_, savedSystem_, savedTemp_;
};

struct TemplateEncodingCase {
  const char* what;
  TextEncoding encoding;
  std::vector<uint8_t> mark;
};

class AutostartCreate : public AutostartTest, public ::testing::WithParamInterface<TemplateEncodingCase> {};

TEST_P(AutostartCreate, WritesTheFilledTemplateInItsEncodingOnlyWhileSchtasksRuns) {
  const auto& c = GetParam();
  mem.fs.AddFile(kTemplate, EncodeLines({u"<Task>", u"<Date>%DateCreate%</Date><Author>%USER%</Author>",
                                         u"<UserId>%SID%</UserId><Command>%COMMANDLINE%</Command>",
                                         u"<URI>\\%TASKNAME%</URI></Task>"},
                                        c.encoding));
  mem.fs.AddFileText(kDummy, "stale");
  EXPECT_EQ(Create_AutostartTask(), TaskCreation::Created);

  // Replaced in place: no deletion first, so a refused definition leaves the old task.
  EXPECT_EQ(Commands(), (std::vector<u16>{
                            u"\"C:\\Windows\\system32\\schtasks.exe\" /CREATE /TN \"Vostrel Veilcap\" /XML "
                            u"\"C:\\Program Files\\Veilcap\\TASKdummy.xml\" /F",
                        }));
  EXPECT_EQ(shell.started[0].program, u"C:\\Windows\\system32\\schtasks.exe");
  EXPECT_EQ(shell.started[0].workingFolder, AppFolder);
  EXPECT_EQ(filesAtStart, std::vector<size_t>{2u}) << "only the template and its filled copy, no output file";
  ASSERT_EQ(dummyAtStart.size(), 1u);
  EXPECT_EQ(ToUtf8(dummyAtStart[0]),
            "<Task>\r\n<Date>2024-03-05T07:04:09.0000000</Date><Author>DESK\\anna</Author>\r\n"
            "<UserId>S-1-5-21</UserId><Command>\"C:\\Program Files\\Veilcap\\Veilcap.exe\"</Command>\r\n"
            "<URI>\\Vostrel Veilcap</URI></Task>\r\n");
  const auto& bytes = dummyBytesAtStart[0];
  EXPECT_TRUE(std::equal(c.mark.begin(), c.mark.end(), bytes.begin())) << "the template's encoding is kept";
  EXPECT_EQ(DecodeText(bytes).encoding, c.encoding);
  EXPECT_FALSE(mem.fs.FileExists(kDummy)) << "TASKdummy.xml stays only while SCHTASKS runs";
  EXPECT_TRUE(mem.fs.FileExists(kTemplate)) << "the template is never changed";
}

INSTANTIATE_TEST_SUITE_P(TemplateEncodings, AutostartCreate,
                         ::testing::Values(TemplateEncodingCase{"utf16", TextEncoding::Utf16LE, {0xFF, 0xFE}},
                                           TemplateEncodingCase{"utf8", TextEncoding::Utf8, {0xEF, 0xBB, 0xBF}},
                                           TemplateEncodingCase{"ansi", TextEncoding::Ansi, {'<', 'T'}}));

TEST_F(AutostartTest, MissingTemplateRaisesAndLeavesTheTaskAlone) {
  EXPECT_THROW(Create_AutostartTask(), OsError);
  EXPECT_TRUE(shell.started.empty()) << "nothing may delete the existing task";
}

TEST_F(AutostartTest, UnwritableCopyRaisesAndLeavesTheTaskAlone) {
  mem.fs.AddFileText(kTemplate, "<Task>%SID%</Task>");
  mem.fs.FailWritesUnder(kDummy, 5);
  EXPECT_THROW(Create_AutostartTask(), OsError);
  EXPECT_TRUE(shell.started.empty());
}

TEST_F(AutostartTest, SchedulerRefusingTheDefinitionIsReportedAndTheCopyRemoved) {
  mem.fs.AddFileText(kTemplate, "<Task>%SID%</Task>");
  for (int32_t code : {1, -1, int32_t(0x80070005)}) {
    exitCode = code;
    EXPECT_EQ(Create_AutostartTask(), TaskCreation::Failed) << code;
    EXPECT_FALSE(mem.fs.FileExists(kDummy)) << code;
  }
}

TEST_F(AutostartTest, ProgramThatNonAdministratorsCanReplaceGetsNoTask) {
  mem.fs.AddFileText(kTemplate, "<Task>%SID%</Task>");
  security.Set(u"C:\\Program Files\\Veilcap", With(AdminOnly(), {true, kAuthenticated, kModify, 0}));
  shell.executablePath = u"C:\\Program Files\\Veilcap\\Veilcap.exe";
  // A task that starts this program would go on starting it elevated: it is deleted. Another
  // program's task of that name, or none, is left alone.
  const std::string principals = "<Principals>" + std::string(100, ' ') + "</Principals>";
  struct Case {
    const char* what;
    std::string query;
    bool deleted;
  } cases[] = {
      {"no task", "", false},
      {"this program's task", principals + "<Command>\"c:\\program files\\veilcap\\VEILCAP.exe\"</Command>", true},
      {"another program's task", principals + "<Command>\"D:\\Other\\Veilcap.exe\"</Command>", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    shell.started.clear();
    queryOutput.assign(c.query.begin(), c.query.end());
    EXPECT_EQ(Create_AutostartTask(), TaskCreation::Refused);
    std::vector<std::string> verbs;
    for (const u16& command : Commands())
      verbs.push_back(Contains(command, u"/DELETE") ? "delete" : Contains(command, u"/QUERY") ? "query" : "other");
    const std::vector<std::string> expected = c.deleted ? std::vector<std::string>{"query", "delete"}
                                                        : std::vector<std::string>{"query"};
    EXPECT_EQ(verbs, expected);
    EXPECT_FALSE(mem.fs.FileExists(kDummy));
  }
  // The routine below the check still creates it: that is what the check guards.
  EXPECT_EQ(Register_AutostartTask(), TaskCreation::Created);
}

TEST_F(AutostartTest, DeleteAndQueryRunSchtasksByItsPath) {
  Delete_AutostartTask();
  EXPECT_FALSE(AutostartTask_Exists());
  ASSERT_EQ(shell.started.size(), 2u);
  EXPECT_EQ(ToUtf8(shell.started[0].commandLine),
            "\"C:\\Windows\\system32\\schtasks.exe\" /DELETE /TN \"Vostrel Veilcap\" /F");
  EXPECT_EQ(shell.started[0].workingFolder, AppFolder);
  EXPECT_EQ(ToUtf8(shell.started[1].commandLine),
            "\"C:\\Windows\\system32\\schtasks.exe\" /QUERY /TN \"Vostrel Veilcap\" /XML");
  EXPECT_EQ(shell.started[1].workingFolder, SystemFolder);

  std::string printed = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\">\r\n"
                        "  <Principals>\r\n    <Principal id=\"Author\"><UserId>S-1-5-21</UserId></Principal>\r\n"
                        "  </Principals>\r\n</Task>\r\n";
  queryOutput.assign(printed.begin(), printed.end());
  EXPECT_TRUE(AutostartTask_Exists());
  EXPECT_TRUE(mem.fs.AllFiles().empty()) << "no output file";

  // Without a known system folder nothing is started by a bare name.
  SystemFolder.clear();
  shell.started.clear();
  EXPECT_FALSE(AutostartTask_Exists());
  EXPECT_TRUE(shell.started.empty());
}

struct ChangeableCase {
  const char* what;
  SecurityFacts facts;
  bool program, folder, ancestor;  // changeable by non-administrators in each role
};

TEST(FolderSafety, JudgesOwnerAndEntriesByRole) {
  const ChangeableCase cases[] = {
      {"installed under Program Files", AdminOnly(), false, false, false},
      {"owned by TrustedInstaller", SecurityFacts{kTrustedInstaller, true, AdminOnly().entries}, false, false, false},
      {"owned by the user", SecurityFacts{kAnna, true, AdminOnly().entries}, true, true, true},
      {"no DACL at all", SecurityFacts{kAdmins, false, {}}, true, true, true},
      {"empty DACL", SecurityFacts{kAdmins, true, {}}, false, false, false},
      {"users may modify", With(AdminOnly(), {true, kUsers, kModify, 0}), true, true, true},
      {"user profile: anna full", With(AdminOnly(), {true, kAnna, kFull, 0}), true, true, true},
      {"drive root: everyone may add folders", With(AdminOnly(), {true, kAuthenticated, kRightAppendData, 0}), true, true,
       false},
      {"add files only", With(AdminOnly(), {true, kUsers, kRightWriteData, 0}), true, true, false},
      {"delete children", With(AdminOnly(), {true, kUsers, kRightDeleteChild, 0}), false, true, true},
      {"rename itself", With(AdminOnly(), {true, kEveryone, kRightDelete, 0}), true, true, true},
      {"rewrite the DACL", With(AdminOnly(), {true, kUsers, kRightWriteDac, 0}), true, true, true},
      {"take ownership", With(AdminOnly(), {true, kUsers, kRightWriteOwner, 0}), true, true, true},
      {"generic write", With(AdminOnly(), {true, kUsers, kRightGenericWrite, 0}), true, true, false},
      {"generic all", With(AdminOnly(), {true, kUsers, kRightGenericAll, 0}), true, true, true},
      {"inherit-only entries do not apply here", With(AdminOnly(), {true, kUsers, kFull, kAceInheritOnly | 0x3}), false,
       false, false},
      {"denied write is not credited", With(With(AdminOnly(), {false, kUsers, kModify, 0}), {true, kUsers, kModify, 0}),
       true, true, true},
      {"a denying entry alone grants nothing", With(AdminOnly(), {false, kEveryone, kFull, 0}), false, false, false},
      {"SID letters in lower case", SecurityFacts{u"s-1-5-32-544", true, {{true, u"s-1-5-18", kFull, 0}}}, false, false,
       false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ChangeableByNonAdministrators(c.facts, PathRole::Program), c.program) << c.what;
    EXPECT_EQ(ChangeableByNonAdministrators(c.facts, PathRole::Folder), c.folder) << c.what;
    EXPECT_EQ(ChangeableByNonAdministrators(c.facts, PathRole::Ancestor), c.ancestor) << c.what;
  }
}

TEST(FolderSafety, FoldersAboveTheProgramUpToTheRoot) {
  const std::pair<const char16_t*, std::vector<u16>> cases[] = {
      {u"C:\\Program Files\\Veilcap\\Veilcap.exe", {u"C:\\Program Files\\Veilcap", u"C:\\Program Files", u"C:\\"}},
      {u"C:\\Veilcap.exe", {u"C:\\"}},
      {u"\\\\server\\share\\tools\\Veilcap.exe", {u"\\\\server\\share\\tools", u"\\\\server\\share\\"}},
      {u"\\\\server\\share\\Veilcap.exe", {u"\\\\server\\share\\"}},
      {u"\\\\server\\Veilcap.exe", {}},
      {u"Veilcap.exe", {}},
      {u"", {}},
  };
  for (const auto& [path, folders] : cases) EXPECT_EQ(FoldersAbove(path), folders) << ToUtf8(path);
}

TEST_F(AutostartTest, EveryPathUpToTheRootMustBeSafeAndReadable) {
  const u16 exe = u"C:\\Program Files\\Veilcap\\Veilcap.exe";
  EXPECT_TRUE(ProgramChangeableOnlyByAdministrators(exe));
  EXPECT_EQ(security.read, (std::vector<std::string>{"C:\\Program Files\\Veilcap\\Veilcap.exe",
                                                     "C:\\Program Files\\Veilcap", "C:\\Program Files", "C:\\"}));
  // The drive root lets everyone create folders: harmless above the program's folder.
  security.Set(u"C:\\", With(AdminOnly(), {true, kAuthenticated, kRightAppendData, 0}));
  EXPECT_TRUE(ProgramChangeableOnlyByAdministrators(exe));
  // But a folder further up that anyone may rename swaps the whole program.
  security.Set(u"C:\\Program Files", With(AdminOnly(), {true, kUsers, kRightDeleteChild, 0}));
  EXPECT_FALSE(ProgramChangeableOnlyByAdministrators(exe));
  security.Set(u"C:\\Program Files", AdminOnly());
  security.facts.erase("C:\\PROGRAM FILES\\VEILCAP\\VEILCAP.EXE");
  EXPECT_FALSE(ProgramChangeableOnlyByAdministrators(exe)) << "what cannot be read is not safe";
  security.Set(u"C:\\Program Files\\Veilcap\\Veilcap.exe", AdminOnly());
  EXPECT_TRUE(ProgramChangeableOnlyByAdministrators(exe));
  // Judged where it really leads: a junction to a folder anyone can change, a file that cannot be
  // opened, a share (by UNC or a mapped drive) are not safe, however safe the path looks.
  security.Set(u"C:\\Users\\anna\\Veilcap", With(AdminOnly(), {true, kAnna, kModify, 0}));
  for (const char16_t* p : {u"C:\\Users\\anna\\Veilcap\\Veilcap.exe", u"C:\\Users\\anna", u"C:\\Users"}) {
    if (!security.facts.count(ToUtf8(AsciiUpper(u16(p))))) security.Set(p, AdminOnly());
  }
  struct Case {
    const char* what;
    std::optional<u16> final;
    char16_t networkDrive;
    bool safe;
  } cases[] = {
      {"no link", exe, 0, true},
      {"a junction into the user's folder", u16(u"C:\\Users\\anna\\Veilcap\\Veilcap.exe"), 0, false},
      {"cannot be opened", std::nullopt, 0, false},
      {"a UNC share", u16(u"\\\\server\\share\\Veilcap\\Veilcap.exe"), 0, false},
      {"a mapped drive", u16(u"Z:\\Veilcap\\Veilcap.exe"), u'Z', false},
  };
  for (const auto& c : cases) {
    security.finalPaths[ToUtf8(exe)] = c.final;
    security.networkDrive = c.networkDrive;
    if (c.final) security.Set(*c.final, AdminOnly());
    for (const u16& f : c.final ? FoldersAbove(*c.final) : std::vector<u16>{})
      if (!security.facts.count(ToUtf8(AsciiUpper(f)))) security.Set(f, AdminOnly());
    EXPECT_EQ(ProgramChangeableOnlyByAdministrators(exe), c.safe) << c.what;
  }
  security.finalPaths.clear();
  security.networkDrive = 0;
  SetFileSecuritySource(nullptr);
  EXPECT_FALSE(ProgramChangeableOnlyByAdministrators(exe));
}

// The shipped template, checked byte by byte as SCHTASKS will get it.
TEST(ShippedTaskTemplate, IsAUtf16TaskThatStartsTheProgramInTheTray) {
  std::filesystem::path file = std::filesystem::path(__FILE__).parent_path() / ".." / ".." / "assets" / "TASK.xml";
  std::ifstream in(file, std::ios::binary);
  ASSERT_TRUE(in) << file;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  DecodedText d = DecodeText(bytes);
  ASSERT_EQ(d.encoding, TextEncoding::Utf16LE);
  const u16& t = d.text;
  EXPECT_TRUE(StartsWith(t, u"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"));
  for (const char16_t* needle :
       {u"%TASKNAME%", u"%COMMANDLINE%", u"%SID%", u"%USER%", u"%DATECREATE%", u"<LogonTrigger>",
        u"<RunLevel>HighestAvailable</RunLevel>", u"<Arguments>-TRAY</Arguments>",
        u"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>", u"<Command>%COMMANDLINE%</Command>",
        u"<Principals>", u"xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\""})
    EXPECT_TRUE(Contains(t, needle)) << ToUtf8(needle);
  // Every line ends in CR LF, as the program writes the filled copy.
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'\n') {
      EXPECT_TRUE(i > 0 && t[i - 1] == u'\r') << "bare LF at " << i;
    }
  }
  // Filled with awkward values the definition keeps its tags balanced.
  u16 filled = Fill_TaskTemplate(t, {u"Vostrel Veilcap", u"\"C:\\A & B\\Veilcap.exe\"", u"S-1-5-21-9", u"PC\\x<y",
                                     u"2024-03-05T07:04:09.0000000"});
  EXPECT_FALSE(Contains(filled, u"%"));
  size_t opens = 0, closes = 0;
  for (char16_t ch : filled) {
    opens += ch == u'<';
    closes += ch == u'>';
  }
  EXPECT_EQ(opens, closes);
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"
#include "core/textfile.h"
#include "fakes/cp1252.h"
#include "fakes/fake_process_shell.h"
#include "fakes/memory_fs.h"
#include "platform/autostart.h"
#include "platform/environment.h"

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

  // Replacement runs placeholder by placeholder: a value that holds a later placeholder is filled
  // again, one that holds an earlier one is not.
  TaskTemplateValues order{u"%sid%", u"%TASKNAME%", u"S-1", u"%DateCreate%", u"D"};
  EXPECT_EQ(ToUtf8(Fill_TaskTemplate(u"%TASKNAME% %COMMANDLINE% %USER%", order)), "S-1 %TASKNAME% D");

  EXPECT_EQ(ToUtf8(Fill_TaskTemplate(u"no placeholders, %UNKNOWN%, 100%", v)), "no placeholders, %UNKNOWN%, 100%");
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

// A program folder with a template, a fake shell and a fixed clock.
class AutostartTest : public ::testing::Test {
 protected:
  void SetUp() override {
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
    shell.onStart = [this](const FakeProcessShell::Started& s) {
      dummyAtStart.push_back(mem.fs.FileExists(kDummy) ? DecodeText(mem.fs.Bytes(kDummy)).text : u"<none>");
      dummyBytesAtStart.push_back(mem.fs.FileExists(kDummy) ? mem.fs.Bytes(kDummy) : std::vector<uint8_t>{});
      if (StartsWith(s.commandLine, u"CMD /C \"SCHTASKS /QUERY") && !queryOutput.empty())
        mem.fs.AddFile(UserTempFolder + u"\\ConsoleOutput.txt", queryOutput);
      return std::optional<int32_t>(0);
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
  Create_AutostartTask();

  EXPECT_EQ(Commands(), (std::vector<u16>{
                            u"SCHTASKS /DELETE /TN \"Vostrel Veilcap\" /F",
                            u"SCHTASKS /CREATE /TN \"Vostrel Veilcap\" /XML \"C:\\Program Files\\Veilcap\\TASKdummy.xml\"",
                        }));
  for (const auto& s : shell.started) {
    EXPECT_EQ(s.workingFolder, AppFolder);
    EXPECT_EQ(s.show, 0);
  }
  ASSERT_EQ(dummyAtStart.size(), 2u);
  EXPECT_EQ(ToUtf8(dummyAtStart[1]),
            "<Task>\r\n<Date>2024-03-05T07:04:09.0000000</Date><Author>DESK\\anna</Author>\r\n"
            "<UserId>S-1-5-21</UserId><Command>\"C:\\Program Files\\Veilcap\\Veilcap.exe\"</Command>\r\n"
            "<URI>\\Vostrel Veilcap</URI></Task>\r\n");
  const auto& bytes = dummyBytesAtStart[1];
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

TEST_F(AutostartTest, ExistsReadsTheQueryThroughTheConsole) {
  EXPECT_FALSE(AutostartTask_Exists());
  ASSERT_EQ(shell.started.size(), 1u);
  EXPECT_EQ(ToUtf8(shell.started[0].commandLine),
            "CMD /C \"SCHTASKS /QUERY /TN \"Vostrel Veilcap\" /XML >\"C:\\Users\\anna\\AppData\\Local\\Temp\\"
            "ConsoleOutput.txt\"");
  EXPECT_EQ(shell.started[0].workingFolder, SystemFolder);

  std::string printed = "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n<Task version=\"1.2\">\r\n"
                        "  <Principals>\r\n    <Principal id=\"Author\"><UserId>S-1-5-21</UserId></Principal>\r\n"
                        "  </Principals>\r\n</Task>\r\n";
  queryOutput.assign(printed.begin(), printed.end());
  EXPECT_TRUE(AutostartTask_Exists());
  EXPECT_FALSE(mem.fs.FileExists(UserTempFolder + u"\\ConsoleOutput.txt"));
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

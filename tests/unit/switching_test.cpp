#include <gtest/gtest.h>

#include "core/errors.h"
#include "devices/switching.h"
#include "fakes/cp1252.h"
#include "fakes/fake_process_shell.h"
#include "fakes/memory_fs.h"
#include "fakes/recording_sink.h"
#include "platform/environment.h"

namespace {

const u16 kTemp = u"C:\\Users\\Test\\AppData\\Local\\Temp";
const u16 kBat = kTemp + u"\\temp_powershell_VLCP.bat";
const u16 kPs1 = kTemp + u"\\temp_powershell_VLCP.ps1";

std::string AsString(const std::vector<uint8_t>& b) { return std::string(b.begin(), b.end()); }

bool IsQuote(char16_t c) { return c == u'\'' || (c >= u'\u2018' && c <= u'\u201B'); }

// Reads a PowerShell single-quoted literal at the start of s the way PowerShell's tokenizer does:
// {its value, what follows it}; nullopt when s does not start with a complete literal.
std::optional<std::pair<u16, u16>> ReadLiteral(u16v s) {
  if (s.empty() || !IsQuote(s[0])) return std::nullopt;
  u16 value;
  for (size_t i = 1; i < s.size(); ++i) {
    if (!IsQuote(s[i])) {
      value += s[i];
    } else if (i + 1 < s.size() && IsQuote(s[i + 1])) {
      value += s[i];
      ++i;
    } else {
      return std::make_pair(value, u16(s.substr(i + 1)));
    }
  }
  return std::nullopt;
}

// Sets the user's temporary folder and the WOW64 flag for one test.
class SwitchingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedTemp_ = UserTempFolder;
    savedWow64_ = IsWow64;
    UserTempFolder = kTemp;
    IsWow64 = false;
    // Keep what PowerShell would have been given.
    shell.onShell = [this](const FakeProcessShell::ShellCall& call) {
      const u16 bat = call.file, ps1 = UserTempFolder + u"\\temp_powershell_VLCP.ps1";
      batchSeen = mem.fs.FileExists(bat) ? AsString(mem.fs.Bytes(bat)) : "<missing>";
      scriptSeen = mem.fs.FileExists(ps1) ? AsString(mem.fs.Bytes(ps1)) : "<missing>";
      return shellError;
    };
  }
  void TearDown() override {
    UserTempFolder = savedTemp_;
    IsWow64 = savedWow64_;
  }

  ScopedCp1252 cp;
  ScopedMemoryFs mem;
  FakeProcessShell shell;
  std::string batchSeen, scriptSeen;
  uint32_t shellError = 0;

 private:
  u16 savedTemp_;
  bool savedWow64_ = false;
};

struct ScriptCase {
  const char* what;
  u16 instanceId;
  std::string scriptLine;  // Windows-1252 bytes of the disable line, without CR LF
};

class SwitchingScript : public SwitchingTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(SwitchingScript, WritesTheIdAsOneLiteralThatReadsBackUnchanged) {
  const auto& c = GetParam();
  Pnp_DisableDevice(c.instanceId);
  EXPECT_EQ(scriptSeen, c.scriptLine + "\r\n");
  EXPECT_EQ(batchSeen,
            "PowerShell.exe -NoProfile -ExecutionPolicy Bypass -Command \"& "
            "'C:\\Users\\Test\\AppData\\Local\\Temp\\temp_powershell_VLCP.ps1'\"\r\n");

  // Whatever the id holds, PowerShell sees one literal with the id in it and nothing after it
  // but the confirmation switch.
  for (bool disable : {true, false}) {
    u16 line = PnpDeviceCommand(disable, c.instanceId);
    u16 head = disable ? u"Disable-PnpDevice -InstanceId " : u"Enable-PnpDevice -InstanceId ";
    ASSERT_TRUE(StartsWith(line, head)) << ToUtf8(line);
    auto literal = ReadLiteral(u16v(line).substr(head.size()));
    ASSERT_TRUE(literal.has_value()) << ToUtf8(line);
    EXPECT_EQ(ToUtf8(literal->first), ToUtf8(c.instanceId));
    EXPECT_EQ(literal->second, u" -Confirm:$false");
  }
}

INSTANTIATE_TEST_SUITE_P(
    InstanceIds, SwitchingScript,
    ::testing::Values(
        ScriptCase{"plain", u"ROOT\\IMAGE\\0000", "Disable-PnpDevice -InstanceId 'ROOT\\IMAGE\\0000' -Confirm:$false"},
        ScriptCase{"ampersands", u"USB\\VID_ABCD&PID_EF01&MI_00\\6&1A2B3C4D&0&0000",
                   "Disable-PnpDevice -InstanceId 'USB\\VID_ABCD&PID_EF01&MI_00\\6&1A2B3C4D&0&0000' -Confirm:$false"},
        ScriptCase{"braces", u"SWD\\MMDEVAPI\\{0.0.1.00000000}.{4A5B-11}",
                   "Disable-PnpDevice -InstanceId 'SWD\\MMDEVAPI\\{0.0.1.00000000}.{4A5B-11}' -Confirm:$false"},
        ScriptCase{"apostrophe", u"USB\\VID_1&PID_2\\O'NEIL",
                   "Disable-PnpDevice -InstanceId 'USB\\VID_1&PID_2\\O''NEIL' -Confirm:$false"},
        ScriptCase{"breaking out", u"USB\\X\\a' ; Remove-Item C:\\ -Recurse ; '",
                   "Disable-PnpDevice -InstanceId 'USB\\X\\a'' ; Remove-Item C:\\ -Recurse ; ''' -Confirm:$false"},
        ScriptCase{"metacharacters", u"USB\\X\\$(calc);`n$env:x|(1)",
                   "Disable-PnpDevice -InstanceId 'USB\\X\\$(calc);`n$env:x|(1)' -Confirm:$false"},
        ScriptCase{"typographic quote", u"USB\\X\\A\u2019B",
                   "Disable-PnpDevice -InstanceId 'USB\\X\\A\x92\x92" "B' -Confirm:$false"},
        ScriptCase{"only quotes", u"''", "Disable-PnpDevice -InstanceId '''''' -Confirm:$false"}));

TEST_F(SwitchingTest, EnableWritesItsOwnLineAndNoDebugLine) {
  RecordingSink sink;
  Pnp_EnableDevice(u"USB\\VID_1&PID_2\\3");
  EXPECT_EQ(scriptSeen, "Enable-PnpDevice -InstanceId 'USB\\VID_1&PID_2\\3' -Confirm:$false\r\n");
  EXPECT_TRUE(sink.lines.empty());
  Pnp_DisableDevice(u"USB\\VID_1&PID_2\\3");
  EXPECT_EQ(sink.Utf8(), std::vector<std::string>{"VLCP: DisableDevice-PnpID=USB\\VID_1&PID_2\\3"});
}

struct BatchPathCase {
  const char* what;
  u16 folder;
  std::string line;
};

class SwitchingBatchPath : public SwitchingTest, public ::testing::WithParamInterface<BatchPathCase> {};

TEST_P(SwitchingBatchPath, ScriptPathSurvivesCmdAndPowerShell) {
  UserTempFolder = GetParam().folder;
  Run_PowerShell({u"Get-Date"});
  EXPECT_EQ(batchSeen, GetParam().line + "\r\n");
  ASSERT_EQ(shell.shellCalls.size(), 1u);
  EXPECT_EQ(shell.shellCalls[0].file, GetParam().folder + u"\\temp_powershell_VLCP.bat");
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SwitchingBatchPath,
    ::testing::Values(
        BatchPathCase{"apostrophe in the user name", u"C:\\Users\\O'Brien\\AppData\\Local\\Temp",
                      "PowerShell.exe -NoProfile -ExecutionPolicy Bypass -Command \"& "
                      "'C:\\Users\\O''Brien\\AppData\\Local\\Temp\\temp_powershell_VLCP.ps1'\""},
        BatchPathCase{"percent signs", u"C:\\Users\\100%sure%\\Temp",
                      "PowerShell.exe -NoProfile -ExecutionPolicy Bypass -Command \"& "
                      "'C:\\Users\\100%%sure%%\\Temp\\temp_powershell_VLCP.ps1'\""},
        BatchPathCase{"no temporary folder: root of the drive", u"",
                      "PowerShell.exe -NoProfile -ExecutionPolicy Bypass -Command \"& "
                      "'\\temp_powershell_VLCP.ps1'\""}));

TEST_F(SwitchingTest, RunsInOrderAndLeavesNothingBehind) {
  mem.fs.AddFileText(kBat, "stale batch");
  mem.fs.AddFile(kPs1, {'o', 'l', 'd'}, kFileAttributeReadOnly);
  Run_PowerShell({u"First-Line", u"Second-Line"});

  EXPECT_EQ(scriptSeen, "First-Line\r\nSecond-Line\r\n");
  EXPECT_EQ(mem.fs.deletes, (std::vector<u16>{kBat, kPs1, kBat, kPs1}));
  EXPECT_EQ(mem.fs.writes, (std::vector<u16>{kBat, kPs1}));
  EXPECT_TRUE(mem.fs.AllFiles().empty());
  EXPECT_EQ(shell.log, (std::vector<std::string>{
                           "sleep 50", "sleep 50",
                           "shell runas C:\\Users\\Test\\AppData\\Local\\Temp\\temp_powershell_VLCP.bat"}));
  ASSERT_EQ(shell.shellCalls.size(), 1u);
  EXPECT_EQ(shell.shellCalls[0].owner, shell.desktop);
  EXPECT_EQ(shell.shellCalls[0].show, 0);
  EXPECT_EQ(shell.shellCalls[0].mask, 0x40u);
  EXPECT_EQ(shell.shellCalls[0].parameters, u"");
}

struct RedirectionCase {
  const char* what;
  bool wow64;
  bool functionsExist;
  uintptr_t oldValue;
  uint32_t shellError;
  std::vector<std::string> log;
};

class SwitchingRedirection : public SwitchingTest, public ::testing::WithParamInterface<RedirectionCase> {};

TEST_P(SwitchingRedirection, IsSwitchedOffAroundTheStartAndAlwaysBackOn) {
  const auto& c = GetParam();
  IsWow64 = c.wow64;
  shell.redirectionFunctionsExist = c.functionsExist;
  shell.redirectionOldValue = reinterpret_cast<void*>(c.oldValue);
  shellError = c.shellError;
  if (c.shellError != 0 && c.shellError != 1223) {
    EXPECT_THROW(Run_PowerShell({u"x"}), OsError);
    // The files stay for the next call to remove.
    EXPECT_TRUE(mem.fs.FileExists(kBat));
    EXPECT_TRUE(mem.fs.FileExists(kPs1));
  } else {
    Run_PowerShell({u"x"});
  }
  std::vector<std::string> log;
  for (const auto& l : shell.log)
    if (l.rfind("sleep", 0) != 0) log.push_back(l);
  EXPECT_EQ(log, c.log);
}

const std::string kRunas = "shell runas C:\\Users\\Test\\AppData\\Local\\Temp\\temp_powershell_VLCP.bat";

INSTANTIATE_TEST_SUITE_P(
    Wow64, SwitchingRedirection,
    ::testing::Values(
        RedirectionCase{"64-bit Windows, native program", false, true, 0, 0, {kRunas}},
        RedirectionCase{"state 0 is still reverted", true, true, 0, 0,
                        {"disable-redirection", kRunas, "revert-redirection 0"}},
        RedirectionCase{"other state", true, true, 77, 0,
                        {"disable-redirection", kRunas, "revert-redirection 77"}},
        RedirectionCase{"functions missing", true, false, 0, 0, {"disable-redirection", kRunas}},
        RedirectionCase{"failed start still reverts", true, true, 0, 2,
                        {"disable-redirection", kRunas, "revert-redirection 0"}},
        RedirectionCase{"declined prompt", true, true, 5, 1223,
                        {"disable-redirection", kRunas, "revert-redirection 5"}}));

TEST_F(SwitchingTest, WriteFailureRaisesBeforeAnythingStarts) {
  mem.fs.FailWritesUnder(kTemp, 5);
  try {
    Pnp_DisableDevice(u"USB\\X");
    ADD_FAILURE() << "no error raised";
  } catch (const OsError& e) {
    EXPECT_EQ(e.Code(), 5u);
  }
  EXPECT_TRUE(shell.shellCalls.empty());
}

}  // namespace

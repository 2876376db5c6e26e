#include <gtest/gtest.h>

#include "core/errors.h"
#include "devices/ledger.h"
#include "devices/switching.h"
#include "devices/veilcap.h"
#include "fakes/fake_device_sources.h"
#include "fakes/cp1252.h"
#include "fakes/powershell_text.h"
#include "fakes/fake_process_shell.h"
#include "fakes/memory_fs.h"
#include "fakes/memory_registry.h"
#include "fakes/recording_sink.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace {

const u16 kSystem = u"C:\\Windows\\system32";
const u16 kPowerShell = u"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
const u16 kModule = u"C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\Modules\\PnpDevice\\PnpDevice.psd1";
const u16 kArguments = u" -NoProfile -NonInteractive -ExecutionPolicy Bypass -EncodedCommand ";

TEST(SwitchingBase64, EncodesUtf16LittleEndianWithPadding) {
  const std::pair<u16, u16> cases[] = {
      {u"", u""},
      {u"a", u"YQA="},
      {u"ab", u"YQBiAA=="},
      {u"abc", u"YQBiAGMA"},
      // PowerShell's own documented example of -EncodedCommand.
      {u"dir \"c:\\program files\" ", u"ZABpAHIAIAAiAGMAOgBcAHAAcgBvAGcAcgBhAG0AIABmAGkAbABlAHMAIgAgAA=="},
      // Outside every ANSI code page, and a surrogate pair.
      {u"J\u00FCrgen \U0001F4F7", u"SgD8AHIAZwBlAG4AIAA92Pfc"},
  };
  for (const auto& [text, b64] : cases) {
    EXPECT_EQ(ToUtf8(Base64Utf16Le(text)), ToUtf8(b64)) << ToUtf8(text);
    EXPECT_EQ(DecodeEncodedCommand(u16v(b64)), text) << ToUtf8(b64);
  }
}

// The system folder, the WOW64 flag, an in-memory registry for the ledger and a recording shell.
class SwitchingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedSystem_ = SystemFolder;
    savedWow64_ = IsWow64;
    SystemFolder = kSystem;
    IsWow64 = false;
    SetRegistryBackend(&reg, false);
    shell.onHidden = [this](const FakeProcessShell::HiddenRun&) { return outcome; };
  }
  void TearDown() override {
    SystemFolder = savedSystem_;
    IsWow64 = savedWow64_;
    SetRegistryBackend(nullptr, false);
  }

  // The command text PowerShell receives in the one run so far.
  u16 CommandText() {
    if (shell.hiddenRuns.size() != 1) {
      ADD_FAILURE() << shell.hiddenRuns.size() << " runs";
      return {};
    }
    const auto& run = shell.hiddenRuns[0];
    const u16 head = u"\"" + run.program + u"\"" + kArguments;
    if (!StartsWith(run.commandLine, head)) {
      ADD_FAILURE() << ToUtf8(run.commandLine);
      return {};
    }
    auto text = DecodeEncodedCommand(u16v(run.commandLine).substr(head.size()));
    if (!text) ADD_FAILURE() << "not Base64: " << ToUtf8(run.commandLine);
    return text.value_or(u16());
  }

  ScopedCp1252 cp;
  ScopedMemoryFs mem;
  MemoryRegistry reg;
  FakeProcessShell shell;
  LimitedRun outcome;

 private:
  u16 savedSystem_;
  bool savedWow64_ = false;
};

struct ScriptCase {
  const char* what;
  u16 instanceId;
  u16 literal;  // the id as it stands in the command text
};

class SwitchingScript : public SwitchingTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(SwitchingScript, PassesTheIdAsOneLiteralThatReadsBackUnchanged) {
  const auto& c = GetParam();
  Pnp_DisableDevice(c.instanceId);
  ASSERT_EQ(shell.hiddenRuns.size(), 1u);
  EXPECT_EQ(shell.hiddenRuns[0].program, kPowerShell);
  EXPECT_EQ(ToUtf8(CommandText()),
            ToUtf8(u"$PSModuleAutoLoadingPreference='None'; $ErrorActionPreference='Stop'; Import-Module -Name '" + kModule +
                   u"'; PnpDevice\\Disable-PnpDevice -InstanceId " + c.literal + u" -Confirm:$false"));

  // Whatever the id holds, PowerShell sees one literal with the id in it and nothing after it
  // but the confirmation switch.
  for (bool disable : {true, false}) {
    u16 text = PnpSwitchCommandText(disable, c.instanceId);
    u16 head = disable ? u"PnpDevice\\Disable-PnpDevice -InstanceId " : u"PnpDevice\\Enable-PnpDevice -InstanceId ";
    const size_t at = text.find(head);
    ASSERT_NE(at, u16::npos) << ToUtf8(text);
    auto literal = ReadQuotedLiteral(u16v(text).substr(at + head.size()));
    ASSERT_TRUE(literal.has_value()) << ToUtf8(text);
    EXPECT_EQ(ToUtf8(literal->first), ToUtf8(c.instanceId));
    EXPECT_EQ(literal->second, u" -Confirm:$false");
  }
}

INSTANTIATE_TEST_SUITE_P(
    InstanceIds, SwitchingScript,
    ::testing::Values(
        ScriptCase{"plain", u"ROOT\\IMAGE\\0000", u"'ROOT\\IMAGE\\0000'"},
        ScriptCase{"ampersands", u"USB\\VID_ABCD&PID_EF01&MI_00\\6&1A2B3C4D&0&0000",
                   u"'USB\\VID_ABCD&PID_EF01&MI_00\\6&1A2B3C4D&0&0000'"},
        ScriptCase{"braces", u"SWD\\MMDEVAPI\\{0.0.1.00000000}.{4A5B-11}", u"'SWD\\MMDEVAPI\\{0.0.1.00000000}.{4A5B-11}'"},
        ScriptCase{"apostrophe", u"USB\\VID_1&PID_2\\O'NEIL", u"'USB\\VID_1&PID_2\\O''NEIL'"},
        ScriptCase{"breaking out", u"USB\\X\\a' ; Remove-Item C:\\ -Recurse ; '",
                   u"'USB\\X\\a'' ; Remove-Item C:\\ -Recurse ; '''"},
        ScriptCase{"metacharacters", u"USB\\X\\$(calc);`n$env:x|(1)", u"'USB\\X\\$(calc);`n$env:x|(1)'"},
        ScriptCase{"typographic quote", u"USB\\X\\A\u2019B", u"'USB\\X\\A\u2019\u2019B'"},
        ScriptCase{"only quotes", u"''", u"''''''"},
        ScriptCase{"outside the ANSI code page", u"USB\\VID_1\\J\u00FCrgen\u6444\u50CF\U0001F4F7",
                   u"'USB\\VID_1\\J\u00FCrgen\u6444\u50CF\U0001F4F7'"},
        ScriptCase{"line breaks and quotes of other kinds", u"USB\\X\\a\r\nb\"c\u201Cd",
                   u"'USB\\X\\a\r\nb\"c\u201Cd'"}));

TEST_F(SwitchingTest, EnableRunsItsOwnCmdletAndOnlyDisableWritesTheDeviceLine) {
  RecordingSink sink;
  Pnp_EnableDevice(u"USB\\VID_1&PID_2\\3");
  EXPECT_EQ(ToUtf8(CommandText()),
            ToUtf8(u"$PSModuleAutoLoadingPreference='None'; $ErrorActionPreference='Stop'; Import-Module -Name '" + kModule +
                   u"'; PnpDevice\\Enable-PnpDevice -InstanceId 'USB\\VID_1&PID_2\\3' -Confirm:$false"));
  EXPECT_EQ(sink.Utf8(), std::vector<std::string>{"VLCP: PowerShell ExitCode=0"});
  Pnp_DisableDevice(u"USB\\VID_1&PID_2\\3");
  EXPECT_EQ(sink.Utf8(), (std::vector<std::string>{"VLCP: PowerShell ExitCode=0",
                                                   "VLCP: DisableDevice-PnpID=USB\\VID_1&PID_2\\3",
                                                   "VLCP: PowerShell ExitCode=0"}));
}

struct FolderCase {
  const char* what;
  u16 systemFolder;
  bool wow64;
  u16 program;  // the PowerShell started
  u16 module;   // the module imported, read back from the command text
};

class SwitchingFolders : public SwitchingTest, public ::testing::WithParamInterface<FolderCase> {};

TEST_P(SwitchingFolders, StartsPowerShellFromTheSystemFolderAndWritesNoFile) {
  const auto& c = GetParam();
  SystemFolder = c.systemFolder;
  IsWow64 = c.wow64;
  Pnp_DisableDevice(u"USB\\VID_1\\2");
  ASSERT_EQ(shell.hiddenRuns.size(), 1u);
  const auto& run = shell.hiddenRuns[0];
  EXPECT_EQ(ToUtf8(run.program), ToUtf8(c.program));
  EXPECT_EQ(run.workingFolder, c.systemFolder);
  EXPECT_EQ(run.timeoutMs, 120000u);
  EXPECT_EQ(run.environment, ChildEnvironmentBlock()) << "PowerShell gets the built environment";
  const u16 text = CommandText();
  const u16 head = u"$PSModuleAutoLoadingPreference='None'; $ErrorActionPreference='Stop'; Import-Module -Name ";
  ASSERT_TRUE(StartsWith(text, head)) << ToUtf8(text);
  auto module = ReadQuotedLiteral(u16v(text).substr(head.size()));
  ASSERT_TRUE(module.has_value());
  EXPECT_EQ(ToUtf8(module->first), ToUtf8(c.module));
  EXPECT_TRUE(StartsWith(module->second, u"; PnpDevice\\Disable-PnpDevice ")) << ToUtf8(module->second);

  // Nothing on disk, nothing through the shell or CMD, no redirection switched off.
  EXPECT_TRUE(mem.fs.writes.empty());
  EXPECT_TRUE(mem.fs.AllFiles().empty());
  EXPECT_EQ(shell.log, std::vector<std::string>{"hidden " + ToUtf8(c.program)});
}

INSTANTIATE_TEST_SUITE_P(
    Folders, SwitchingFolders,
    ::testing::Values(
        FolderCase{"64-bit program", u"C:\\Windows\\system32", false, kPowerShell, kModule},
        FolderCase{"32-bit program on 64-bit Windows", u"C:\\Windows\\system32", true,
                   u"C:\\Windows\\Sysnative\\WindowsPowerShell\\v1.0\\powershell.exe", kModule},
        FolderCase{"apostrophe and percent", u"D:\\O'Win 100%\\System32", false,
                   u"D:\\O'Win 100%\\System32\\WindowsPowerShell\\v1.0\\powershell.exe",
                   u"D:\\O'Win 100%\\System32\\WindowsPowerShell\\v1.0\\Modules\\PnpDevice\\PnpDevice.psd1"},
        FolderCase{"outside the ANSI code page", u"E:\\J\u00FCrgen\u7CFB\u7EDF\\System32", true,
                   u"E:\\J\u00FCrgen\u7CFB\u7EDF\\Sysnative\\WindowsPowerShell\\v1.0\\powershell.exe",
                   u"E:\\J\u00FCrgen\u7CFB\u7EDF\\System32\\WindowsPowerShell\\v1.0\\Modules\\PnpDevice\\PnpDevice.psd1"}));

struct OutcomeCase {
  const char* what;
  bool disable;
  bool inLedgerBefore;
  LimitedRun run;
  bool raises;
  bool inLedgerAfter;
  std::string lastDebugLine;
};

class SwitchingOutcome : public SwitchingTest, public ::testing::WithParamInterface<OutcomeCase> {};

TEST_P(SwitchingOutcome, ExitCodeDecidesTheLedgerAndShowsInTheDebugOutput) {
  const auto& c = GetParam();
  const u16 id = u"SWD\\MMDEVAPI\\{0.0.1.00000000}.{E2E}";
  if (c.inLedgerBefore) Ledger_Add(id);
  outcome = c.run;
  RecordingSink sink;
  if (c.raises) {
    try {
      c.disable ? Pnp_DisableDevice(id) : Pnp_EnableDevice(id);
      ADD_FAILURE() << "no error raised";
    } catch (const OsError& e) {
      EXPECT_EQ(e.Code(), c.run.startError);
    }
  } else {
    EXPECT_FALSE(c.disable ? Pnp_DisableDevice(id) : Pnp_EnableDevice(id));
  }
  EXPECT_EQ(Ledger_Contains(id), c.inLedgerAfter);
  if (c.lastDebugLine.empty()) {
    EXPECT_TRUE(sink.lines.empty());
  } else {
    ASSERT_FALSE(sink.lines.empty());
    EXPECT_EQ(sink.Utf8().back(), c.lastDebugLine);
  }
}

const std::string kTimedOut = "VLCP: PowerShell did not end within 120 s and was ended";
const std::string kDisableLine = "VLCP: DisableDevice-PnpID=SWD\\MMDEVAPI\\{0.0.1.00000000}.{E2E}";

INSTANTIATE_TEST_SUITE_P(
    ExitCodes, SwitchingOutcome,
    ::testing::Values(
        OutcomeCase{"disabled", true, false, {0, false, 0}, false, true, "VLCP: PowerShell ExitCode=0"},
        OutcomeCase{"disable failed", true, false, {0, false, 1}, false, false, "VLCP: PowerShell ExitCode=1"},
        OutcomeCase{"failed again, still ours", true, true, {0, false, 1}, false, true, "VLCP: PowerShell ExitCode=1"},
        // It may have switched the device off before it hung: keep the device in view.
        OutcomeCase{"disable timed out", true, false, {0, true, 0}, false, true, kTimedOut},
        OutcomeCase{"PowerShell missing", true, false, {2, false, 0}, true, false, kDisableLine},
        OutcomeCase{"enabled", false, true, {0, false, 0}, false, false, "VLCP: PowerShell ExitCode=0"},
        OutcomeCase{"enable failed", false, true, {0, false, -196608}, false, true,
                    "VLCP: PowerShell ExitCode=-196608"},
        OutcomeCase{"enable timed out", false, true, {0, true, 0}, false, true, kTimedOut},
        OutcomeCase{"enable cannot start", false, true, {5, false, 0}, true, true, ""}));

// The in-process switch as the fake system answers it; records what it was asked.
class FakeNodeSwitch final : public DeviceNodeSwitch {
 public:
  FakeNodeSwitch() { SetDeviceNodeSwitch(this); }
  ~FakeNodeSwitch() override { SetDeviceNodeSwitch(nullptr); }
  Change ChangeState(const u16& instanceId, bool disable) override {
    calls.push_back((disable ? "disable " : "enable ") + ToUtf8(instanceId));
    return change;
  }
  std::optional<uint32_t> ProblemCode(const u16& instanceId) override {
    calls.push_back("problem " + ToUtf8(instanceId));
    return problem;
  }
  Change change;
  std::optional<uint32_t> problem;
  std::vector<std::string> calls;
};

struct DirectCase {
  const char* what;
  bool disable;
  DeviceNodeSwitch::Change change;
  std::optional<uint32_t> problemAfter;  // the node's problem code after the class installer
  int32_t powerShellExit;                // when PowerShell follows
  bool pendingBefore;                    // an earlier switch of the device waits for a restart
  bool powerShell;                       // PowerShell followed
  bool inLedgerAfter;
  bool pendingAfter;
  std::vector<std::string> lines;        // after "VLCP: DisableDevice-PnpID=<id>" for a disable
};

class SwitchingDirect : public SwitchingTest, public ::testing::WithParamInterface<DirectCase> {};

TEST_P(SwitchingDirect, TheNodeDecidesAndPowerShellFollowsOnlyWhereTheSwitchDidNotShow) {
  const auto& c = GetParam();
  const u16 id = u"USB\\VID_046D&PID_0825&MI_00\\7&1B2C3D4E&0&0000";
  FakeNodeSwitch node;
  if (c.pendingBefore) {
    node.change = {0, true};
    Pnp_DisableDevice(id);
    ASSERT_TRUE(Switching_RestartPending(id));
    node.calls.clear();
  }
  // The ledger holds the device before an enable, not before a disable.
  c.disable ? Ledger_Remove(id) : Ledger_Add(id);
  node.change = c.change;
  node.problem = c.problemAfter;
  outcome.exitCode = c.powerShellExit;
  RecordingSink sink;
  EXPECT_FALSE(c.disable ? Pnp_DisableDevice(id) : Pnp_EnableDevice(id));

  const std::string idText = ToUtf8(id);
  std::vector<std::string> calls = {(c.disable ? "disable " : "enable ") + idText};
  if (c.change.error == 0 && !c.change.restartNeeded) calls.push_back("problem " + idText);
  EXPECT_EQ(node.calls, calls);
  EXPECT_EQ(shell.hiddenRuns.size(), c.powerShell ? 1u : 0u);
  if (c.powerShell) {
    EXPECT_TRUE(StartsWith(CommandText(), u"$PSModuleAutoLoadingPreference='None'; "));
  }
  EXPECT_EQ(Ledger_Contains(id), c.inLedgerAfter);
  EXPECT_EQ(Switching_RestartPending(id), c.pendingAfter);
  EXPECT_EQ(Switching_RestartPending(AsciiLower(id)), c.pendingAfter) << "ids compare without regard to case";
  std::vector<std::string> lines;
  if (c.disable) lines.push_back("VLCP: DisableDevice-PnpID=" + idText);
  lines.insert(lines.end(), c.lines.begin(), c.lines.end());
  EXPECT_EQ(sink.Utf8(), lines);

  // Whatever happened, the next switch starts from nothing pending.
  node.change = {};
  node.problem = c.disable ? 0u : kProblemDisabled;
  c.disable ? Pnp_EnableDevice(id) : Pnp_DisableDevice(id);
  EXPECT_FALSE(Switching_RestartPending(id));
}

constexpr uint32_t kInWow64 = 0xE0000235;  // ERROR_IN_WOW64: a 32-bit program on 64-bit Windows
const std::string kInProcess = "VLCP: switched in-process";

INSTANTIATE_TEST_SUITE_P(
    Decisions, SwitchingDirect,
    ::testing::Values(
        DirectCase{"disable confirmed by the node", true, {0, false}, 22u, 0, false, false, true, false, {kInProcess}},
        DirectCase{"enable confirmed by the node", false, {0, false}, 0u, 0, false, false, false, false, {kInProcess}},
        DirectCase{"enable leaves another problem", false, {0, false}, 28u, 0, false, false, false, false, {kInProcess}},
        DirectCase{"enable confirmed after a pending restart", false, {0, false}, 0u, 0, true, false, false, false,
                   {kInProcess}},
        DirectCase{"disable refused (as under Wine)", true, {2, false}, std::nullopt, 0, false, true, true, false,
                   {"VLCP: in-process switch refused, SetupAPI error 2", "VLCP: PowerShell ExitCode=0"}},
        DirectCase{"disable refused in WOW64, PowerShell fails too", true, {kInWow64, false}, std::nullopt, 1, false,
                   true, false, false,
                   {"VLCP: in-process switch refused, SetupAPI error 0xE0000235", "VLCP: PowerShell ExitCode=1"}},
        DirectCase{"enable refused", false, {0xE000020E, false}, std::nullopt, 0, false, true, false, false,
                   {"VLCP: in-process switch refused, SetupAPI error 0xE000020E", "VLCP: PowerShell ExitCode=0"}},
        DirectCase{"disable answered but the node unchanged", true, {0, false}, 0u, 0, false, true, true, false,
                   {"VLCP: in-process switch did not show on the device, problem code 0", "VLCP: PowerShell ExitCode=0"}},
        DirectCase{"disable answered, node unreadable, PowerShell fails", true, {0, false}, std::nullopt, 1, false,
                   true, false, false,
                   {"VLCP: in-process switch did not show on the device, problem code unreadable",
                    "VLCP: PowerShell ExitCode=1"}},
        DirectCase{"enable answered but still disabled, PowerShell fails", false, {0, false}, 22u, 1, false, true,
                   true, false,
                   {"VLCP: in-process switch did not show on the device, problem code 22", "VLCP: PowerShell ExitCode=1"}},
        DirectCase{"disable waits for a restart", true, {0, true}, 0u, 0, false, false, true, true,
                   {"VLCP: switched in-process, restart pending"}},
        DirectCase{"enable waits for a restart", false, {0, true}, 22u, 0, false, false, false, true,
                   {"VLCP: switched in-process, restart pending"}}));

TEST_F(SwitchingTest, ADeviceWaitingForARestartShowsAsSuchAtTheNextSearch) {
  FakeNodeSwitch node;
  FakePresentDevices present;
  const u16 id = u"USB\\VID_5986&PID_2113&MI_00\\6&2C11A3F&0&0000";
  present.devices.push_back(FakePnpDevice::Make(kClassCamera, u"Integrated Camera", id));
  TVeilcap list(DeviceSources{&present, nullptr, nullptr});
  list.Search();
  ASSERT_EQ(list.Devices.size(), 1u);
  EXPECT_FALSE(list.Devices[0].RebootRequired);
  node.change = {0, true};
  list.DisablePnpDevice(id);
  list.Search();
  ASSERT_EQ(list.Devices.size(), 1u);
  EXPECT_TRUE(list.Devices[0].RebootRequired);
  node.change = {};
  node.problem = 0;
  list.EnablePnpDevice(id);
  list.Search();
  EXPECT_FALSE(list.Devices[0].RebootRequired);
}

}  // namespace

#include <gtest/gtest.h>

#include "platform/runmode.h"

namespace {
struct ModeCase {
  std::vector<u16> args;
  RunMode mode;
  bool tray;
};

class RunModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P(RunModes, OnlyTheFirstArgumentCountsInAnyCase) {
  const ModeCase& c = GetParam();
  EXPECT_EQ(SelectRunMode(c.args), c.mode);
  EXPECT_EQ(StartsInTray(c.args), c.tray);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, RunModes,
    ::testing::Values(ModeCase{{}, RunMode::Normal, false}, ModeCase{{u"-SAVE"}, RunMode::SaveTranslation, false},
                      ModeCase{{u"-save"}, RunMode::SaveTranslation, false},
                      ModeCase{{u"-CreateTask"}, RunMode::CreateTask, false},
                      ModeCase{{u"-deletetask", u"-SAVE"}, RunMode::DeleteTask, false},
                      ModeCase{{u"-addpath"}, RunMode::AddPath, false},
                      ModeCase{{u"-RemovePath", u"-TRAY"}, RunMode::RemovePath, false},
                      ModeCase{{u"-TRAY", u"-SAVE"}, RunMode::Normal, true},
                      ModeCase{{u"-tRaY"}, RunMode::Normal, true}, ModeCase{{u"SAVE"}, RunMode::Normal, false},
                      ModeCase{{u"-SAVE "}, RunMode::Normal, false}, ModeCase{{u""}, RunMode::Normal, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });
}  // namespace

#include "platform/admin_args.h"

namespace {
struct AdminCase {
  std::vector<u16> args;
  bool admin;  // an administrator switch at all
  AdminVerb verb;
  DeviceKinds kinds;
  bool json;
  bool bad;
  const char16_t* pipe = u"";  // the relay pipe named at the end
};

class AdminArguments : public ::testing::TestWithParam<AdminCase> {};

TEST_P(AdminArguments, SwitchesAndKindsInAnyCaseAndStrictUsage) {
  const AdminCase& c = GetParam();
  const auto parsed = ParseAdminCommand(c.args);
  ASSERT_EQ(parsed.has_value(), c.admin);
  if (!c.admin) return;
  EXPECT_EQ(parsed->badUsage, c.bad);
  EXPECT_EQ(parsed->verb, c.verb);
  if (c.bad) return;
  EXPECT_EQ(parsed->kinds, c.kinds);
  EXPECT_EQ(parsed->json, c.json);
  EXPECT_EQ(ToUtf8(parsed->relayPipe), ToUtf8(c.pipe));
}

using V = AdminVerb;
using K = DeviceKinds;
INSTANTIATE_TEST_SUITE_P(
    Arguments, AdminArguments,
    ::testing::Values(
        AdminCase{{}, false, V::Help, K::All, false, false},
        AdminCase{{u"-TRAY"}, false, V::Help, K::All, false, false},
        AdminCase{{u"STATUS"}, false, V::Help, K::All, false, false},
        AdminCase{{u"-SAVE", u"-STATUS"}, false, V::Help, K::All, false, false},
        AdminCase{{u"-STATUS"}, true, V::Status, K::All, false, false},
        AdminCase{{u"-status", u"cam"}, true, V::Status, K::Cam, false, false},
        AdminCase{{u"-Status", u"-json", u"Mic"}, true, V::Status, K::Mic, true, false},
        AdminCase{{u"-STATUS", u"ALL", u"-JSON"}, true, V::Status, K::All, true, false},
        AdminCase{{u"-STATUS", u"CAM", u"MIC"}, true, V::Status, K::All, false, true},
        AdminCase{{u"-STATUS", u"-JSON", u"-JSON"}, true, V::Status, K::All, false, true},
        AdminCase{{u"-STATUS", u"WEBCAM"}, true, V::Status, K::All, false, true},
        AdminCase{{u"-block", u"cam"}, true, V::Block, K::Cam, false, false},
        AdminCase{{u"-BLOCK", u"all"}, true, V::Block, K::All, false, false},
        AdminCase{{u"-BLOCK"}, true, V::Block, K::All, false, true},
        AdminCase{{u"-BLOCK", u"CAM", u"-JSON"}, true, V::Block, K::All, false, true},
        AdminCase{{u"-BLOCK", u"CAM "}, true, V::Block, K::All, false, true},
        AdminCase{{u"-UnBlock", u"MIC"}, true, V::Unblock, K::Mic, false, false},
        AdminCase{{u"-UNBLOCK", u""}, true, V::Unblock, K::All, false, true},
        AdminCase{{u"-restore"}, true, V::Restore, K::All, false, false},
        AdminCase{{u"-RESTORE", u"CAM"}, true, V::Restore, K::All, false, true},
        AdminCase{{u"-HELP"}, true, V::Help, K::All, false, false},
        AdminCase{{u"-?", u"whatever"}, true, V::Help, K::All, false, false},
        AdminCase{{u"/?"}, true, V::Help, K::All, false, false},
        AdminCase{{u"-BLOCK", u"cam", u"-PIPE", u"\\\\.\\pipe\\Veilcap-12-345"}, true, V::Block, K::Cam, false, false,
                  u"\\\\.\\pipe\\Veilcap-12-345"},
        AdminCase{{u"-RESTORE", u"-pipe", u"\\\\.\\pipe\\Veilcap-1-2"}, true, V::Restore, K::All, false, false,
                  u"\\\\.\\pipe\\Veilcap-1-2"},
        AdminCase{{u"-BLOCK", u"CAM", u"-PIPE", u"C:\\Windows\\win.ini"}, true, V::Block, K::Cam, false, true},
        AdminCase{{u"-BLOCK", u"CAM", u"-PIPE", u"\\\\.\\pipe\\Veilcap-1\\..\\x"}, true, V::Block, K::Cam, false, true},
        AdminCase{{u"-BLOCK", u"CAM", u"-PIPE", u"\\\\.\\pipe\\Veilcap-"}, true, V::Block, K::Cam, false, true},
        AdminCase{{u"-BLOCK", u"-PIPE", u"\\\\.\\pipe\\Veilcap-1-2"}, true, V::Block, K::All, false, true},
        AdminCase{{u"-BLOCK", u"CAM", u"-PIPE"}, true, V::Block, K::All, false, true}),
    [](const auto& info) { return "case" + std::to_string(info.index); });
}  // namespace

#include "app/command_line/relay.h"

namespace {
// What the console companion does with its command line, and the parameters it hands on.
TEST(Companion, RunsStatusAndHelpItselfAndElevatesOnlyTheSwitchingRuns) {
  const struct {
    std::vector<u16> args;
    CompanionAction action;
  } cases[] = {
      {{u"-STATUS", u"CAM", u"-JSON"}, CompanionAction::RunHere},
      {{u"-help"}, CompanionAction::RunHere},
      {{u"-BLOCK"}, CompanionAction::RunHere},  // the usage error, unelevated
      {{u"-BLOCK", u"CAM", u"-PIPE", u"\\\\.\\pipe\\Veilcap-1-2"}, CompanionAction::RunHere},
      {{u"-block", u"cam"}, CompanionAction::RunElevated},
      {{u"-UNBLOCK", u"ALL"}, CompanionAction::RunElevated},
      {{u"-RESTORE"}, CompanionAction::RunElevated},
      {{}, CompanionAction::StartProgram},
      {{u"-TRAY"}, CompanionAction::StartProgram},
  };
  for (const auto& c : cases) {
    const auto command = ParseCompanionCommand(c.args);
    EXPECT_EQ(CompanionActionFor(command), c.action) << ToUtf8(c.args.empty() ? u"" : c.args[0]);
    // A pipe name from the caller is a usage error, never a run.
    if (command && !command->relayPipe.empty()) {
      EXPECT_TRUE(command->badUsage);
    }
  }
}

TEST(Companion, ArgumentsAreQuotedSoTheProgramReadsThemBackUnchanged) {
  const std::pair<u16, std::string> cases[] = {
      {u"CAM", "CAM"},
      {u"", "\"\""},
      {u"a b", "\"a b\""},
      {u"a\"b", "\"a\\\"b\""},
      {u"C:\\my dir\\", "\"C:\\my dir\\\\\""},
      {u"x\\\\\"y z", "\"x\\\\\\\\\\\"y z\""},
      {u"\\\\.\\pipe\\Veilcap-1-2", "\\\\.\\pipe\\Veilcap-1-2"},
  };
  for (const auto& [arg, quoted] : cases) EXPECT_EQ(ToUtf8(QuoteArgument(arg)), quoted);
  EXPECT_EQ(ToUtf8(JoinArguments({u"-BLOCK", u"CAM"}, RelayPipeName(12, 345))),
            "-BLOCK CAM -PIPE \\\\.\\pipe\\Veilcap-12-345");
  EXPECT_EQ(ToUtf8(JoinArguments({u"-TRAY", u"a b"})), "-TRAY \"a b\"");
  EXPECT_TRUE(IsRelayPipeName(RelayPipeName(4294967295u, 18446744073709551615ull)));
}
}  // namespace

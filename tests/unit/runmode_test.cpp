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
                      ModeCase{{u"-TRAY", u"-SAVE"}, RunMode::Normal, true},
                      ModeCase{{u"-tRaY"}, RunMode::Normal, true}, ModeCase{{u"SAVE"}, RunMode::Normal, false},
                      ModeCase{{u"-SAVE "}, RunMode::Normal, false}, ModeCase{{u""}, RunMode::Normal, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });
}  // namespace

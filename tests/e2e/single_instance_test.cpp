// A second start of Veilcap.exe asks the running one to show itself and ends at once.
#include <gtest/gtest.h>

#include "e2e/lib/e2e.h"

namespace {
constexpr wchar_t kMainClass[] = L"TForm_Veilcap";

std::string DescribeWindows(const wchar_t* cls, DWORD pid) {
  std::string r = " (started pid " + std::to_string(pid) + "; windows of the class:";
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, cls, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    r += " pid " + std::to_string(owner);
  }
  return r + ")";
}

class SingleInstance : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(StageFolder().empty()) << "VEILCAP_STAGE is not set";
    ASSERT_TRUE(first.Start(VeilcapExe(), L"-TRAY"));
    ASSERT_TRUE(WaitFor([&] { return (window = FindTopWindow(kMainClass, first.Pid())) != nullptr; }, 10000))
        << "the first instance created no main window" << DescribeWindows(kMainClass, first.Pid());
  }
  void TearDown() override {
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(first.WaitExit(10000), 0) << "the first instance did not end cleanly";
  }
  Program first;
  HWND window = nullptr;
};

TEST_F(SingleInstance, FirstInstanceStartedWithTrayStaysHidden) {
  Sleep(500);
  EXPECT_TRUE(first.Running());
  EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(SingleInstance, SecondStartWithoutArgumentsShowsTheRunningWindow) {
  ASSERT_FALSE(IsWindowVisible(window));
  Program second;
  ASSERT_TRUE(second.Start(VeilcapExe()));
  EXPECT_EQ(second.WaitExit(10000), 0);
  EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(window) != FALSE; }, 5000)) << "message 1053 did not arrive";
  EXPECT_EQ(FindTopWindow(kMainClass, second.Pid()), nullptr);
  // Shown at the lower right corner of the screen.
  RECT r{};
  GetWindowRect(window, &r);
  EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) - 502 - 16);
  EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) - 332 - 48);
}

TEST_F(SingleInstance, SecondStartWithAnArgumentPostsNothing) {
  for (const wchar_t* arg : {L"-TRAY", L"-createtask", L"-DeleteTask", L"-SAVE"}) {
    Program second;
    ASSERT_TRUE(second.Start(VeilcapExe(), arg));
    EXPECT_EQ(second.WaitExit(10000), 0) << arg;
  }
  Sleep(300);  // a posted message would have been handled by now
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_TRUE(first.Running());
}
}  // namespace

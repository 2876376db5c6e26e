// The keep-blocked decision and its memory between passes, and the hotkey texts.
#include <gtest/gtest.h>

#include "guard/hotkey_text.h"
#include "guard/keep_blocked.h"

namespace {
using V = KeepVerdict;

struct KeepRow {
  const char* what;
  KeepCase c;
  KeepVerdict expected;
};

// Fields: option, kind blocked, store 0, watched, working, attempts, reported.
const KeepRow kKeepRows[] = {
    {"blocked kind, working device: switched off", {true, true, false, true, true, 0, false}, V::SwitchOff},
    {"second attempt", {true, true, false, true, true, 1, false}, V::SwitchOff},
    {"option off", {false, true, false, true, true, 0, false}, V::Leave},
    {"kind last unblocked", {true, false, false, true, true, 0, false}, V::Leave},
    {"user unchecked the device", {true, true, true, true, true, 0, false}, V::Leave},
    {"not watched", {true, true, false, false, true, 0, false}, V::Leave},
    {"already off", {true, true, false, true, false, 0, false}, V::Leave},
    {"already off after attempts", {true, true, false, true, false, 2, false}, V::Leave},
    {"attempts used up: reported", {true, true, false, true, true, 2, false}, V::GiveUp},
    {"attempts used up, reported: left alone", {true, true, false, true, true, 2, true}, V::Leave},
};

TEST(KeepBlockedTest, DecisionTable) {
  for (const auto& r : kKeepRows) EXPECT_EQ(Decide_KeepBlocked(r.c), r.expected) << r.what;
}

KeepDevice Cam(const char16_t* id, bool working) { return {id, u"USB Video Device", false, true, false, working}; }
KeepDevice Mic(const char16_t* id, bool working) { return {id, u"Microphone", true, true, false, working}; }

std::vector<KeepVerdict> Verdicts(const std::vector<KeepStep>& steps) {
  std::vector<KeepVerdict> v;
  for (const auto& s : steps) v.push_back(s.verdict);
  return v;
}

// A device that keeps coming back on: two switch-offs, one report, then silence; unplugged and
// plugged in again (missing from one pass) it gets two new attempts.
TEST(KeepBlockedTest, StubbornDeviceIsTriedTwiceReportedOnceAndForgottenWhenUnplugged) {
  KeepBlockedGuard g;
  const std::vector<KeepDevice> list = {Cam(u"USB\\VID_1&PID_2\\1", true), Mic(u"SWD\\MMDEVAPI\\{M}", true)};
  EXPECT_EQ(Verdicts(g.Plan(list, true, true, false)), std::vector<V>{V::SwitchOff});
  EXPECT_EQ(Verdicts(g.Plan(list, true, true, false)), std::vector<V>{V::SwitchOff});
  const auto third = g.Plan(list, true, true, false);
  ASSERT_EQ(Verdicts(third), std::vector<V>{V::GiveUp});
  EXPECT_EQ(ToUtf8(third[0].name), "USB Video Device");
  EXPECT_TRUE(g.Plan(list, true, true, false).empty());
  EXPECT_EQ(g.Attempts(u"usb\\vid_1&pid_2\\1"), 2) << "ids compare without regard to case";

  g.Plan({list[1]}, true, true, false);  // unplugged
  EXPECT_EQ(Verdicts(g.Plan(list, true, true, false)), std::vector<V>{V::SwitchOff});

  // A new command for the kind starts afresh; the other kind keeps its count.
  g.Plan(list, true, true, true);
  EXPECT_EQ(g.Attempts(u"SWD\\MMDEVAPI\\{M}"), 1);
  g.ForgetKind(false);
  EXPECT_EQ(g.Attempts(u"USB\\VID_1&PID_2\\1"), 0);
  EXPECT_EQ(g.Attempts(u"SWD\\MMDEVAPI\\{M}"), 1);
}

TEST(KeepBlockedTest, ADeviceThatStaysOffNeedsOneAttemptAndDuplicatesCountOnce) {
  KeepBlockedGuard g;
  auto on = Cam(u"USB\\A\\1", true);
  EXPECT_EQ(g.Plan({on, on, Cam(u"", true)}, true, true, false).size(), 1u);
  auto off = Cam(u"USB\\A\\1", false);
  EXPECT_TRUE(g.Plan({off}, true, true, false).empty());
  EXPECT_EQ(g.Attempts(u"USB\\A\\1"), 0) << "seen off: the next re-enable gets its own attempts";
}

// Re-enabled again and again (by another program, or by hand): each time it is found working
// after it was seen off, it is switched off again. Only one that never stays off is given up.
TEST(KeepBlockedTest, EveryReEnableIsBlockedAgainAndOnlyAStubbornDeviceIsGivenUp) {
  const auto cam = [](bool working) { return std::vector<KeepDevice>{Cam(u"USB\\A\\1", working)}; };
  struct Case {
    const char* what;
    std::vector<bool> working;  // the device as each pass finds it
    std::vector<std::vector<V>> verdicts;
  } cases[] = {
      {"re-enabled three times: blocked three times",
       {true, false, true, false, true, false},
       {{V::SwitchOff}, {}, {V::SwitchOff}, {}, {V::SwitchOff}, {}}},
      {"off once, then never stays off: two attempts, one report, then left alone",
       {true, false, true, true, true, true, false, true},
       {{V::SwitchOff}, {}, {V::SwitchOff}, {V::SwitchOff}, {V::GiveUp}, {}, {}, {}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    KeepBlockedGuard g;
    for (size_t i = 0; i < c.working.size(); ++i)
      EXPECT_EQ(Verdicts(g.Plan(cam(c.working[i]), true, true, false)), c.verdicts[i]) << "pass " << i;
  }
}

struct HotkeyRow {
  const char16_t* text;
  bool valid;
  uint32_t modifiers;
  uint32_t key;
  const char* formatted;
};

constexpr uint32_t C = kHotkeyControl, A = kHotkeyAlt, S = kHotkeyShift, W = kHotkeyWin;

const HotkeyRow kHotkeyRows[] = {
    {u"Ctrl+Alt+Shift+C", true, C | A | S, 'C', "Ctrl+Alt+Shift+C"},
    {u"shift + ALT+control+m", true, C | A | S, 'M', "Ctrl+Alt+Shift+M"},
    {u"Win+7", true, W, '7', "Win+7"},
    {u"F9", true, 0, 0x78, "F9"},
    {u"ctrl+f24", true, C, 0x87, "Ctrl+F24"},
    {u"Shift+F1", true, S, 0x70, "Shift+F1"},
    {u"", false, 0, 0, ""},
    {u"C", false, 0, 0, ""},                 // plain typing
    {u"Shift+C", false, 0, 0, ""},           // still typing
    {u"Ctrl+Alt", false, 0, 0, ""},          // no key
    {u"Ctrl+C+D", false, 0, 0, ""},          // two keys
    {u"Ctrl+Ctrl+C", false, 0, 0, ""},       // modifier twice
    {u"C+Ctrl", false, 0, 0, ""},            // modifier after the key
    {u"Ctrl++C", false, 0, 0, ""},           // empty part
    {u"Ctrl+Alt+", false, 0, 0, ""},
    {u"Ctrl+F25", false, 0, 0, ""},
    {u"Ctrl+F0", false, 0, 0, ""},
    {u"Ctrl+F01", false, 0, 0, ""},
    {u"Ctrl+Space", false, 0, 0, ""},
    {u"Ctrl+\u00c4", false, 0, 0, ""},
};

TEST(HotkeyTextTest, ParsingAndFormatting) {
  for (const auto& r : kHotkeyRows) {
    const auto h = ParseHotkey(r.text);
    ASSERT_EQ(h.has_value(), r.valid) << ToUtf8(r.text);
    if (!h) {
      EXPECT_EQ(HotkeyOrDefault(r.text, kDefaultHotkeyMic), kDefaultHotkeyMic) << ToUtf8(r.text);
      continue;
    }
    EXPECT_EQ(h->modifiers, r.modifiers) << ToUtf8(r.text);
    EXPECT_EQ(h->key, r.key) << ToUtf8(r.text);
    EXPECT_EQ(ToUtf8(FormatHotkey(*h)), r.formatted);
    EXPECT_EQ(ParseHotkey(FormatHotkey(*h)), h) << "formatted text reads back";
  }
  EXPECT_EQ(ToUtf8(FormatHotkey(kDefaultHotkeyCam)), "Ctrl+Alt+Shift+C");
  EXPECT_EQ(ToUtf8(FormatHotkey(kDefaultHotkeyMic)), "Ctrl+Alt+Shift+M");
}
}  // namespace

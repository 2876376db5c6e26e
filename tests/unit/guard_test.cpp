// The keep-blocked decision and its memory between passes, the hotkey texts, the policies of the
// organisation (reading, forced options, kinds held blocked) and blocking while the session is locked.
#include <gtest/gtest.h>

#include "fakes/memory_registry.h"
#include "guard/hotkey_text.h"
#include "guard/keep_blocked.h"
#include "guard/policies.h"
#include "guard/policy_templates.h"
#include "guard/session_lock.h"

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

// ---- policies --------------------------------------------------------------------------------

class PolicyTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryBackend(&reg, true); }
  void TearDown() override { SetRegistryBackend(nullptr, false); }
  MemoryRegistry reg;
};

// What each stored value means: only a REG_DWORD of 1 (and 0 for an option) is in force.
TEST_F(PolicyTest, StoredValuesDecodeOnlyAsDwordsOfZeroOrOne) {
  struct Row {
    const char* what;
    const char16_t* name;
    uint32_t type;
    std::vector<uint8_t> data;
    std::optional<bool> expected;
  };
  const Row rows[] = {
      {"block 1", u"BlockWebcams", REG_TYPE_DWORD, {1, 0, 0, 0}, true},
      {"block 0: the user decides", u"BlockMicrophones", REG_TYPE_DWORD, {0, 0, 0, 0}, std::nullopt},
      {"option 1", u"KeepBlocked", REG_TYPE_DWORD, {1, 0, 0, 0}, true},
      {"option 0 forces off", u"Hotkeys", REG_TYPE_DWORD, {0, 0, 0, 0}, false},
      {"other number", u"ShowNotices", REG_TYPE_DWORD, {2, 0, 0, 0}, std::nullopt},
      {"text \"1\"", u"BlockWhileLocked", REG_TYPE_SZ, {'1', 0, 0, 0}, std::nullopt},
      {"qword 1", u"BlockWebcams", REG_TYPE_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, std::nullopt},
      {"short dword", u"KeepBlocked", REG_TYPE_DWORD, {1, 0}, std::nullopt},
  };
  for (const Row& r : rows) {
    MemoryRegistry fresh;
    SetRegistryBackend(&fresh, true);
    fresh.Put(RegRoot::LocalMachine, kPolicyKey, r.name, r.type, r.data);
    const Policies p = Read_Policies();
    std::optional<bool> got;
    for (const PolicyDef& def : PolicyTable())
      if (u16(def.valueName) == r.name) got = p.Get(def.id);
    EXPECT_EQ(got, r.expected) << r.what;
    EXPECT_EQ(p.Any(), r.expected.has_value()) << r.what;
    EXPECT_EQ(fresh.OpenHandles(), 0);
  }
  SetRegistryBackend(&reg, true);
  EXPECT_FALSE(Read_Policies().Any()) << "no key: the user decides everything";
  ASSERT_FALSE(reg.AccessLog().empty());
  EXPECT_TRUE(reg.AccessLog().back() & kKeyWow64_64Key) << "the 64-bit view";
}

// Forced options against the user's choice, and the kinds keep-blocked holds.
TEST_F(PolicyTest, ForcedOptionsAndKindsHeldBlocked) {
  struct Row {
    const char* what;
    std::optional<bool> keepPolicy, camPolicy, micPolicy;
    bool userKeep, camLast, micLast;
    bool option, cam, mic;  // keep-blocked as it acts; the kinds it holds
  };
  const std::optional<bool> none;
  const Row rows[] = {
      {"nothing set: the user's option", none, none, none, true, true, false, true, true, false},
      {"nothing set, option off", none, none, none, false, true, true, false, false, false},
      {"forced on over the user's off", true, none, none, false, false, true, true, false, true},
      {"forced off over the user's on", false, none, none, true, true, true, false, false, false},
      {"webcams blocked with the option off", none, true, none, false, false, false, false, true, false},
      {"webcams blocked even when forced off", false, true, none, true, false, true, false, true, false},
      {"both kinds blocked", none, true, true, false, false, false, false, true, true},
  };
  for (const Row& r : rows) {
    Policies p;
    p.Set(PolicyId::KeepBlocked, r.keepPolicy);
    p.Set(PolicyId::BlockWebcams, r.camPolicy);
    p.Set(PolicyId::BlockMicrophones, r.micPolicy);
    EXPECT_EQ(p.Option(PolicyId::KeepBlocked, r.userKeep), r.option) << r.what;
    const KeepKinds k = Policy_KeepKinds(p, r.userKeep, r.camLast, r.micLast);
    EXPECT_EQ(k.cam, r.cam) << r.what;
    EXPECT_EQ(k.mic, r.mic) << r.what;
    EXPECT_EQ(p.BlocksKind(false), r.camPolicy.value_or(false)) << r.what;
  }
}

TEST_F(PolicyTest, ReportLinesAndJsonNameEveryPolicyInForce) {
  Policies p;
  EXPECT_EQ(ToUtf8(PolicyLines(p)), "");
  EXPECT_EQ(ToUtf8(PolicyJson(p)), "{}");
  p.Set(PolicyId::BlockWebcams, true);
  p.Set(PolicyId::Hotkeys, false);
  EXPECT_EQ(ToUtf8(PolicyLines(p)), "POLICY\tBlockWebcams\t1\r\nPOLICY\tHotkeys\t0\r\n");
  EXPECT_EQ(ToUtf8(PolicyJson(p)), "{\"BlockWebcams\":1,\"Hotkeys\":0}");
}

// A language file that lacks a policy text gets the English one, never an empty string.
TEST(PolicyTemplatesTest, TextsComeFromTheSectionWithEnglishForWhatIsMissing) {
  const std::string file =
      "\xEF\xBB\xBF" "Form_Veilcap.Tray_Show=Zeigen\r\npolicies.BlockWebcams=Webcams sperren\r\n"
      "POLICIES.BlockWebcams_Explain=A & B%CRLF<C>\r\nPOLICIES.Hotkeys= \r\n";
  const PolicyTexts texts = Policy_TextsOf(std::vector<uint8_t>(file.begin(), file.end()));
  EXPECT_EQ(texts.size(), 3u);
  EXPECT_EQ(ToUtf8(texts.at(u"BlockWebcams_Explain")), "A & B\n<C>");
  const std::string adml = Policy_Adml(texts, {{u"Hotkeys", u"Hotkeys"}, {u"ShowNotices", u"Show notices"}});
  EXPECT_NE(adml.find("<string id=\"BlockWebcams\">Webcams sperren</string>"), std::string::npos);
  EXPECT_NE(adml.find("<string id=\"BlockWebcams_Explain\">A &amp; B\r\n&lt;C&gt;</string>"), std::string::npos);
  EXPECT_NE(adml.find("<string id=\"Hotkeys\">Hotkeys</string>"), std::string::npos) << "blank: English";
  EXPECT_NE(adml.find("<string id=\"ShowNotices\">Show notices</string>"), std::string::npos) << "missing: English";
  for (const char* code : {"de-de", "pt-br", "zh-cn"})
    EXPECT_EQ(ToUtf8(Policy_Culture(FromUtf8(code))), std::string(code).substr(0, 3) +
                                                           ToUtf8(AsciiUpper(FromUtf8(std::string(code).substr(3)))));
}

// ---- blocking while locked -------------------------------------------------------------------

TEST(SessionLockTest, ChangeCodes) {
  const std::pair<uint32_t, SessionChange> rows[] = {
      {1, SessionChange::None}, {2, SessionChange::Lock},   {3, SessionChange::None},  {4, SessionChange::Lock},
      {5, SessionChange::None}, {6, SessionChange::Lock},   {7, SessionChange::Lock},  {8, SessionChange::Unlock},
      {9, SessionChange::None}, {0, SessionChange::None},   {0xFFFFFFFF, SessionChange::None}};
  for (const auto& [code, expected] : rows) EXPECT_EQ(Classify_SessionChange(code), expected) << code;
}

// Lock and unlock with each starting state of a kind: what the lock blocks, and what the unlock
// gives back (never a kind blocked before the lock, never one a policy blocks at the unlock).
TEST(SessionLockTest, LockBlocksWorkingKindsAndUnlockGivesBackExactlyThose) {
  struct Row {
    const char* what;
    bool option;
    LockKind cam;
    bool camPolicyAtUnlock;
    bool blocked, givenBack;
  };
  // LockKind: working, user blocked before, policy blocked before.
  const Row rows[] = {
      {"working kind", true, {true, false, false}, false, true, true},
      {"option off", false, {true, false, false}, false, false, false},
      {"already off", true, {false, true, false}, false, false, false},
      {"no device working, never blocked", true, {false, false, false}, false, false, false},
      {"user blocked before, a device came back on", true, {true, true, false}, false, true, false},
      {"policy blocked before", true, {true, false, true}, false, true, false},
      {"policy set while locked", true, {true, false, false}, true, true, false},
  };
  for (const Row& r : rows) {
    SessionLockGuard g;
    const LockKind micOff{false, false, false};
    const LockPlan lock = g.OnLock(r.option, r.cam, micOff);
    EXPECT_TRUE(g.Locked()) << r.what;
    EXPECT_EQ(lock.cam, r.blocked) << r.what;
    EXPECT_FALSE(lock.mic) << r.what;
    const LockPlan unlock = g.OnUnlock(r.camPolicyAtUnlock, false);
    EXPECT_EQ(unlock.cam, r.givenBack) << r.what;
    EXPECT_FALSE(unlock.mic) << r.what;
    EXPECT_FALSE(g.Locked()) << r.what;
    EXPECT_FALSE(g.OnUnlock(false, false).Any()) << r.what << ": a second unlock gives nothing";
  }
}

TEST(SessionLockTest, ASecondLockAddsAndKeepsWhatTheFirstTook) {
  SessionLockGuard g;
  EXPECT_TRUE(g.OnLock(true, {true, false, false}, {false, false, false}).cam);
  // Disconnected after the lock: the webcam is off now (blocked by the lock), a microphone works.
  const LockPlan second = g.OnLock(true, {false, false, false}, {true, false, false});
  EXPECT_FALSE(second.cam);
  EXPECT_TRUE(second.mic);
  const LockPlan back = g.OnUnlock(false, true);
  EXPECT_TRUE(back.cam);
  EXPECT_FALSE(back.mic) << "a policy blocks microphones at the unlock";
}
}  // namespace

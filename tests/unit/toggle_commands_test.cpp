#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/command_line/status_report.h"
#include "app/command_line/switching_runs.h"
#include "core/errors.h"
#include "devices/ledger.h"
#include "devices/privacy.h"
#include "fakes/cp1252.h"
#include "fakes/memory_registry.h"
#include "guard/policies.h"
#include "guard/toggle_commands.h"
#include "lang/messages.h"
#include "platform/registry.h"

namespace {

// A simulated machine: what the devices really are. A refresh reads it into the device list the
// way a search would, counts, and sets the two state numbers as the status display does.
struct SimDevice {
  std::u16string cls;
  std::string id;
  bool watch = true;
  uint32_t problem = 0;
  bool refuses = false;         // Disable-PnpDevice and Enable-PnpDevice have no effect
  bool restartOnDisable = false;  // in use: Windows leaves it working and asks for a restart
  bool reboot = false;
};

const std::u16string kCam = kClassCamera;
const std::u16string kImg = kClassImage;
const std::u16string kMic = kClassAudioEndpoint;

class SimHost final : public ToggleHost, public ToggleSwitches {
 public:
  explicit SimHost(TVeilcap& v) : v_(v) {}

  int32_t WebCamState() override { return camState; }
  int32_t MicState() override { return micState; }
  void Switching(bool mic) override {
    buttonsEnabled = false;
    log.push_back(mic ? "switching mic" : "switching cam");
  }
  void ProcessMessages() override {
    log.push_back("pump");
    now += clockStepMs;
    if (onPump) onPump();
  }
  void SleepMs(uint32_t ms) override { log.push_back("sleep " + std::to_string(ms)); }
  uint32_t NowMs() override { return now; }
  void Refresh() override {
    log.push_back("refresh");
    Read();
  }
  bool PrivacyCamChecked() override { return privacyCam; }
  bool PrivacyMicChecked() override { return privacyMic; }
  void ReportRestartNeeded() override { log.push_back("restart warning"); }
  void ReportWarning(const u16& t) override { log.push_back("warning " + ToUtf8(t)); }
  void ReportError(const u16& t) override { log.push_back("error " + ToUtf8(t)); }
  void KindCommanded(bool mic, bool block) override {
    commanded.push_back(std::string(block ? "block " : "unblock ") + (mic ? "mic" : "cam"));
  }

  void Disable(const u16& id) override {
    log.push_back("disable " + ToUtf8(id));
    if (failSwitch) throw OsError(1223 + 1, u"Zugriff verweigert");
    SimDevice* found = Find(id);
    if (!found) return;  // gone: PowerShell reports it to nobody
    Ledger_Add(id);      // as the device list's switch records a disable PowerShell did not refuse
    SimDevice& d = *found;
    if (d.refuses) return;
    if (d.restartOnDisable)
      d.reboot = true;
    else
      d.problem = 22;
  }
  void Enable(const u16& id) override {
    log.push_back("enable " + ToUtf8(id));
    if (onEnable) onEnable();
    if (SimDevice* d = Find(id); d && !d->refuses) d->problem = 0;
  }
  void PrivacyCam(bool block) override { log.push_back(block ? "consent cam Deny" : "consent cam Allow"); }
  void PrivacyMic(bool block) override { log.push_back(block ? "consent mic Deny" : "consent mic Allow"); }

  // What a search would find now.
  void Read() {
    v_.Devices.clear();
    for (const auto& s : machine) {
      TTreeData_Device d;
      d.SetClassGUID(s.cls);
      d.SetFriendlyName(u"Device " + FromUtf8(s.id));
      d.SetInstanceID(FromUtf8(s.id));
      d.Watch = s.watch;
      d.ProblemCode = s.problem;
      d.RebootRequired = s.reboot;
      d.Index_In_Array = int32_t(v_.Devices.size());
      v_.Devices.push_back(d);
    }
    v_.Count_Cams_and_Mics();
    camState = State(v_.current_cams, v_.active_cams);
    micState = State(v_.current_mics, v_.active_mics);
    buttonsEnabled = camState != 0 || micState != 0;
  }
  static int32_t State(int32_t n, int32_t a) { return n == 0 ? 0 : (a > 0 ? 1 : 2); }

  std::vector<std::string> Only(const std::string& prefix) const {
    std::vector<std::string> r;
    for (const auto& l : log)
      if (l.rfind(prefix, 0) == 0) r.push_back(l);
    return r;
  }
  int Count(const std::string& prefix) const { return int(Only(prefix).size()); }

  std::vector<SimDevice> machine;
  std::vector<std::string> log;
  std::vector<std::string> commanded;
  std::function<void()> onPump, onEnable;
  uint32_t now = 0xFFFFF000u, clockStepMs = 0;  // the clock wraps during the wait
  bool privacyCam = true, privacyMic = true, failSwitch = false, buttonsEnabled = true;
  int32_t camState = 0, micState = 0;

 private:
  SimDevice* Find(const u16& id) {
    for (auto& d : machine)
      if (FromUtf8(d.id) == id) return &d;
    return nullptr;
  }
  TVeilcap& v_;
};

class ToggleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Init_Messages();
    SetRegistryBackend(&reg, false);
  }
  void TearDown() override { SetRegistryBackend(nullptr, false); }
  void Start(std::vector<SimDevice> devices) {
    host.machine = std::move(devices);
    host.Read();
    host.log.clear();
  }
  ScopedCp1252 cp;
  MemoryRegistry reg;
  TVeilcap v{DeviceSources{}};
  SimHost host{v};
  ToggleCommands cmds{v, host, host};
};

std::vector<std::string> Switched(const SimHost& h) {
  std::vector<std::string> r;
  for (const auto& l : h.log)
    if (l.rfind("disable ", 0) == 0 || l.rfind("enable ", 0) == 0) r.push_back(l);
  return r;
}

struct WebCamCase {
  const char* name;
  std::vector<SimDevice> devices;
  bool privacy;
  std::vector<std::string> switched;
  std::vector<std::string> consent;
  int32_t stateAfter;
  int restartWarnings;
};

TEST_F(ToggleTest, WebCamCommandSwitchesTheRightDevicesInListOrder) {
  const std::vector<WebCamCase> cases = {
      {"two watched working and one unwatched: only the watched ones are blocked",
       {{kCam, "CAM1"}, {kImg, "SCANNER", false}, {kMic, "MIC1"}, {kImg, "CAM2"}},
       true, {"disable CAM1", "disable CAM2"}, {"consent cam Deny"}, 2, 0},
      {"one of two watched webcams refuses: the state stays on",
       {{kCam, "CAM1"}, {kCam, "CAM2", true, 0, true}},
       false, {"disable CAM1", "disable CAM2"}, {}, 1, 0},
      {"all watched webcams off: unblocking enables every disabled camera, watched or not",
       {{kCam, "CAM1", true, 22}, {kImg, "OUTSIDE", false, 22}, {kMic, "MIC1", true, 22}, {kCam, "OK", false, 0}},
       true, {"enable CAM1", "enable OUTSIDE"}, {"consent cam Allow"}, 1, 0},
      {"a webcam that needs a restart after blocking gets the restart warning",
       {{kCam, "CAM1", true, 0, false, true}},
       true, {"disable CAM1"}, {"consent cam Deny"}, 1, 1},
      {"the privacy option off leaves the consent alone when unblocking",
       {{kCam, "CAM1", true, 22}},
       false, {"enable CAM1"}, {}, 1, 0},
      {"no watched webcam: a click does nothing",
       {{kImg, "SCANNER", false}, {kMic, "MIC1"}},
       true, {}, {}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.devices);
    host.privacyCam = c.privacy;
    cmds.ToggleCam();
    EXPECT_EQ(Switched(host), c.switched);
    EXPECT_EQ(host.Only("consent cam "), c.consent);
    EXPECT_EQ(host.camState, c.stateAfter);
    EXPECT_EQ(host.Count("restart warning"), c.restartWarnings);
    EXPECT_EQ(host.Count("consent mic "), 0);
    EXPECT_EQ(host.Count("refresh"), c.switched.empty() && c.consent.empty() ? 0 : 1);
  }
}

TEST_F(ToggleTest, EachDeviceShowsTheWaitTextAndPumpsAroundItsSwitch) {
  Start({{kCam, "CAM1"}, {kCam, "CAM2"}});
  cmds.ToggleCam();
  const std::vector<std::string> expected = {
      "switching cam", "pump", "disable CAM1", "pump",  "switching cam", "pump", "disable CAM2",
      "pump",          "consent cam Deny", "pump", "sleep 50", "refresh"};
  EXPECT_EQ(host.log, expected);
  EXPECT_TRUE(host.buttonsEnabled);
}

TEST_F(ToggleTest, AnEmptyListDoesNothingEvenWithAStateLeftOver) {
  Start({});
  host.camState = 1;
  host.micState = 2;
  cmds.ToggleCam();
  cmds.ToggleMic();
  EXPECT_TRUE(host.log.empty());
}

struct MicCase {
  const char* name;
  std::vector<SimDevice> devices;
  bool privacy;
  int passes;  // disable calls of the one watched microphone
  std::vector<std::string> tail;  // consent and messages after the last refresh
};

TEST_F(ToggleTest, MicrophoneCommandRetriesTheBlockingPassAndReports) {
  const std::string failed = ToUtf8(MESSAGE_STATUS_MIC_DEACTIVATE_FAILED);
  const std::vector<MicCase> cases = {
      {"all watched microphones off on the first pass: one pass, no message",
       {{kMic, "MIC1"}, {kMic, "SPEAKER", false}}, true, 1, {"consent mic Deny"}},
      {"a microphone that refuses: three passes, then the consent, then the failure warning",
       {{kMic, "MIC1", true, 0, true}}, true, 3, {"consent mic Deny", "warning " + failed}},
      {"a refusing microphone with the option off: no consent change",
       {{kMic, "MIC1", true, 0, true}}, false, 3, {"warning " + failed}},
      {"a pending restart uses up the attempts, then the restart warning instead of the failure",
       {{kMic, "MIC1", true, 0, false, true}}, true, 3, {"consent mic Deny", "restart warning"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.devices);
    host.privacyMic = c.privacy;
    cmds.ToggleMic();
    EXPECT_EQ(host.Count("disable MIC1"), c.passes);
    EXPECT_EQ(host.Count("disable SPEAKER"), 0);
    EXPECT_EQ(host.Count("enable"), 0);
    EXPECT_EQ(host.Count("refresh"), c.passes);
    EXPECT_EQ(host.Count("sleep 100"), c.passes - 1);
    const auto lastRefresh = std::find(host.log.rbegin(), host.log.rend(), "refresh").base();
    std::vector<std::string> tail;
    for (auto it = lastRefresh; it != host.log.end(); ++it)
      if (*it != "pump" && it->rfind("sleep", 0) != 0) tail.push_back(*it);
    EXPECT_EQ(tail, c.tail);
  }
}

// Every watched microphone is off after the first pass but Windows wants a restart: the retry must
// block again (never enable the microphones it has just disabled) and end with the restart warning.
TEST_F(ToggleTest, MicrophoneRetryWithEverythingOffStillBlocks) {
  Start({{kMic, "MIC1"}, {kMic, "MIC2"}});
  // MIC1 goes off but reports a pending restart together with it.
  host.onPump = [&] {
    for (auto& d : host.machine)
      if (d.id == "MIC1" && d.problem == 22) d.reboot = true;
  };
  cmds.ToggleMic();
  EXPECT_EQ(host.Count("enable"), 0);
  EXPECT_EQ(host.Count("consent mic Allow"), 0);
  EXPECT_EQ(host.Count("disable MIC1"), 3);
  EXPECT_EQ(host.Count("disable MIC2"), 3);
  EXPECT_EQ(host.Only("consent mic "), (std::vector<std::string>{"consent mic Deny"}));
  EXPECT_EQ(host.Count("restart warning"), 1);
  EXPECT_EQ(host.micState, 2);
}

TEST_F(ToggleTest, MicrophoneUnblockEnablesDisabledEndpointsWithoutFinishingSteps) {
  Start({{kMic, "MIC1", true, 22}, {kMic, "OTHER", false, 22}, {kCam, "CAM1", true, 22}});
  cmds.ToggleMic();
  EXPECT_EQ(Switched(host), (std::vector<std::string>{"enable MIC1", "enable OTHER"}));
  EXPECT_EQ(host.Only("consent mic "), (std::vector<std::string>{"consent mic Allow"}));
  EXPECT_EQ(host.Count("warning"), 0);
  EXPECT_EQ(host.Count("refresh"), 1);
}

TEST_F(ToggleTest, AClickWhileACommandRunsIsIgnored) {
  Start({{kCam, "CAM1"}, {kCam, "CAM2"}, {kMic, "MIC1"}});
  int nested = 0;
  host.onPump = [&] {
    if (!cmds.Running()) return;
    ++nested;
    cmds.ToggleCam();  // the status text under the picture stays clickable
    cmds.ToggleMic();
  };
  cmds.ToggleCam();
  EXPECT_GT(nested, 0);
  EXPECT_EQ(Switched(host), (std::vector<std::string>{"disable CAM1", "disable CAM2"}));
  EXPECT_EQ(host.Count("refresh"), 1);
  EXPECT_FALSE(cmds.Running());
  // Once finished, the next click runs again.
  host.onPump = nullptr;
  cmds.ToggleMic();
  EXPECT_EQ(host.Count("disable MIC1"), 1);
}

TEST_F(ToggleTest, AFailedSwitchIsShownThenRefreshedSoTheButtonsComeBack) {
  for (bool mic : {false, true}) {
    SCOPED_TRACE(mic ? "microphone" : "webcam");
    Start({{kCam, "CAM1"}, {kCam, "CAM2"}, {kMic, "MIC1"}, {kMic, "MIC2"}});
    host.failSwitch = true;
    if (mic)
      cmds.ToggleMic();
    else
      cmds.ToggleCam();
    host.failSwitch = false;
    // The first switch raised: nothing more is switched, no consent change, no second pass.
    EXPECT_EQ(Switched(host).size(), 1u);
    EXPECT_EQ(host.Count("consent cam Deny") + host.Count("consent mic Deny"), 0);
    ASSERT_GE(host.log.size(), 2u);
    EXPECT_EQ(host.log[host.log.size() - 2], "error Zugriff verweigert");
    EXPECT_EQ(host.log.back(), "refresh");
    EXPECT_TRUE(host.buttonsEnabled);
    EXPECT_FALSE(cmds.Running());
  }
}

// A device event that runs a refresh in the middle of a pass replaces the device list; the pass
// goes on with the devices it started with.
TEST_F(ToggleTest, ARefreshInsideAPassDoesNotDisturbIt) {
  Start({{kCam, "CAM1"}, {kCam, "CAM2"}, {kCam, "CAM3"}});
  host.onPump = [&] {
    host.machine.erase(host.machine.begin());  // a device pulled out: one refresh each
    host.Refresh();
    host.machine.push_back({kCam, "NEW"});
  };
  cmds.ToggleCam();
  EXPECT_EQ(Switched(host), (std::vector<std::string>{"disable CAM1", "disable CAM2", "disable CAM3"}));
}


// The last command per kind is recorded before the first device is switched (the command line
// and the hotkeys run these same commands), and only when the command runs at all.
TEST_F(ToggleTest, BlockAndUnblockRecordTheLastCommandPerKindFirst) {
  Start({{kCam, "CAM1"}, {kMic, "MIC1"}});
  std::vector<std::string> seen;
  host.onPump = [&] { seen.push_back(std::to_string(Ledger_KindBlocked(LedgerKind::Cam)) + std::to_string(Ledger_KindBlocked(LedgerKind::Mic))); };
  cmds.ToggleCam();
  cmds.ToggleMic();
  EXPECT_EQ(seen.front(), "10");
  EXPECT_TRUE(Ledger_KindBlocked(LedgerKind::Cam) && Ledger_KindBlocked(LedgerKind::Mic));
  seen.clear();
  cmds.ToggleCam();  // unblock
  EXPECT_EQ(seen.front(), "01");
  EXPECT_EQ(host.commanded, (std::vector<std::string>{"block cam", "block mic", "unblock cam"}));
  host.commanded.clear();
  Start({});
  host.camState = 2;
  cmds.ToggleCam();  // an empty list: nothing runs, nothing is recorded
  EXPECT_TRUE(host.commanded.empty());
  EXPECT_TRUE(Ledger_KindBlocked(LedgerKind::Mic));
}
// Another process holds the switching lock: the click waits for it, pumping meanwhile, and lets
// it go once the pass is over (also when the pass raised).
struct FakeLock final : SwitchingLock {
  bool TryAcquire() override {
    if (busyTries > 0) {
      --busyTries;
      return false;
    }
    ++held;
    return true;
  }
  void Release() override { --held; }
  int busyTries = 0, held = 0;
};

TEST_F(ToggleTest, AClickWaitsForTheSwitchingLockAndReleasesIt) {
  FakeLock lock;
  SetSwitchingLock(&lock);
  for (bool fail : {false, true}) {
    Start({{kCam, "CAM1"}});
    lock.busyTries = 2;
    host.failSwitch = fail;
    host.onPump = [&] {
      if (host.Count("disable ") > 0) {
        EXPECT_EQ(lock.held, 1);
      }
    };
    cmds.ToggleCam();
    EXPECT_EQ(host.Count("sleep 50"), fail ? 2 : 3);  // two waits, and the settle of a finished pass
    EXPECT_EQ(Switched(host), std::vector<std::string>{"disable CAM1"});
    EXPECT_EQ(lock.held, 0);
  }
  host.failSwitch = false;
  SetSwitchingLock(nullptr);
}

// A lock that stays busy (a pass that never ends, or a program holding it on purpose): the click
// gives up after 30 s by the clock, or by what it slept when the host has no clock, says why and
// switches nothing.
TEST_F(ToggleTest, AClickWaitsForTheSwitchingLockAtMostThirtySeconds) {
  FakeLock lock;
  SetSwitchingLock(&lock);
  struct Case {
    uint32_t clockStepMs;  // per pump
    int sleeps;
  } cases[] = {{7000, 5}, {0, 600}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.clockStepMs);
    Start({{kCam, "CAM1"}});
    lock.busyTries = 1000000;
    host.clockStepMs = c.clockStepMs;
    host.log.clear();
    cmds.ToggleCam();
    EXPECT_EQ(host.Count("sleep 50"), c.sleeps);
    EXPECT_TRUE(Switched(host).empty());
    EXPECT_EQ(host.Only("warning "), std::vector<std::string>{"warning " + ToUtf8(MESSAGE_SWITCHING_BUSY)});
    EXPECT_EQ(lock.held, 0);
    EXPECT_FALSE(cmds.Running());
  }
  host.clockStepMs = 0;
  SetSwitchingLock(nullptr);
}

// The command line's runs, on the simulated machine, with the ledger in an in-memory registry.
class AdminRunTest : public ToggleTest {
 protected:
  void SetUp() override {
    ToggleTest::SetUp();
    SetRegistryBackend(&reg, false);
    env.search = [this] { host.Read(); };
    env.sleep = [this](uint32_t ms) { host.SleepMs(ms); };
  }
  void TearDown() override { SetRegistryBackend(nullptr, false); }
  AdminResult Run(std::vector<u16> args) {
    host.log.clear();
    return RunAdminCommand(*ParseAdminCommand(args), v, host, env);
  }
  MemoryRegistry reg;
  AdminEnvironment env;
};

struct AdminRunCase {
  const char* name;
  std::vector<SimDevice> devices;
  std::vector<u16> args;
  int exitCode;
  std::vector<std::string> switched;
  std::vector<std::string> textHas;
};

TEST_F(AdminRunTest, ExitCodesFollowTheDevicesAfterTheRun) {
  const std::string stillOn = "Noch eingeschaltet: ", stillOff = "Noch ausgeschaltet: ";
  const std::vector<AdminRunCase> cases = {
      {"status: one webcam works", {{kCam, "CAM1"}, {kCam, "CAM2", true, 22}, {kMic, "MIC1", true, 22}},
       {u"-STATUS", u"CAM"}, 1, {}, {"CAM\ton\tDevice CAM1\tCAM1\r\n", "CAM\toff\tDevice CAM2\tCAM2\r\n", "CAM: 1/2 Webcams bereit\r\n"}},
      {"status: all microphones off", {{kCam, "CAM1"}, {kMic, "MIC1", true, 22}},
       {u"-STATUS", u"mic"}, 0, {}, {"MIC\toff\tDevice MIC1\tMIC1\r\n", "MIC: 0/1 Mikrofone bereit\r\n"}},
      {"status: no watched device of the kind", {{kCam, "CAM1", false}, {kMic, "MIC1"}},
       {u"-STATUS", u"CAM"}, 3, {}, {"CAM: Keine Webcam angeschlossen\r\n"}},
      {"status: a pending restart is shown as such", {{kCam, "CAM1"}, {kMic, "MIC1", true, 22, false, false, true}},
       {u"-STATUS"}, 1, {}, {"MIC\trestart pending\tDevice MIC1\tMIC1\r\n"}},
      {"status: every webcam off or waiting for a restart, one waits", {{kCam, "CAM1", true, 22}, {kCam, "CAM2", true, 0, false, false, true}},
       {u"-STATUS", u"CAM"}, 4, {}, {"CAM\trestart pending\tDevice CAM2\tCAM2\r\n"}},
      {"block: the kind has no watched device", {{kCam, "CAM1", false}, {kMic, "MIC1"}},
       {u"-BLOCK", u"CAM"}, 3, {}, {"CAM: Keine Webcam angeschlossen\r\n"}},
      {"block cam: done", {{kCam, "CAM1"}, {kImg, "CAM2"}, {kMic, "MIC1"}},
       {u"-BLOCK", u"CAM"}, 0, {"disable CAM1", "disable CAM2"}, {"CAM: 0/2 Webcams bereit\r\n"}},
      {"block cam: one refuses and is named", {{kCam, "CAM1"}, {kCam, "CAM2", true, 0, true}},
       {u"-BLOCK", u"CAM"}, 1, {"disable CAM1", "disable CAM2"}, {stillOn + "Device CAM2\r\n"}},
      {"block all: both kinds", {{kCam, "CAM1"}, {kMic, "MIC1"}},
       {u"-BLOCK", u"ALL"}, 0, {"disable CAM1", "disable MIC1"}, {"CAM: 0/1", "MIC: 0/1"}},
      {"block cam while already off: nothing switched", {{kCam, "CAM1", true, 22}},
       {u"-BLOCK", u"CAM"}, 0, {}, {}},
      {"unblock cam: every disabled camera, watched or not", {{kCam, "CAM1", true, 22}, {kImg, "OTHER", false, 22}, {kMic, "MIC1", true, 22}},
       {u"-UNBLOCK", u"CAM"}, 0, {"enable CAM1", "enable OTHER"}, {"CAM: 1/1 Webcams bereit\r\n"}},
      {"unblock mic with a watched microphone on: the disabled one follows", {{kMic, "MIC1"}, {kMic, "MIC2", true, 22}},
       {u"-UNBLOCK", u"MIC"}, 0, {"enable MIC2"}, {"MIC: 2/2"}},
      {"unblock: a device with another problem stays off and is named", {{kCam, "CAM1", true, 10}},
       {u"-UNBLOCK", u"CAM"}, 1, {}, {stillOff + "Device CAM1\r\n"}},
      {"bad usage", {{kCam, "CAM1"}}, {u"-BLOCK"}, 2, {}, {"Unbekannte oder unvollst\xC3\xA4ndige Befehlszeile"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.devices);
    const AdminResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(Switched(host), c.switched);
    const std::string text = ToUtf8(r.text);
    for (const auto& part : c.textHas) EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    if (c.exitCode == 0 && c.args[0] != u"-STATUS") {
      EXPECT_EQ(text.find("Noch "), std::string::npos) << text;
    }
  }
}

TEST_F(AdminRunTest, AFailedSwitchIsTextAndExitCodeOne) {
  Start({{kCam, "CAM1"}});
  host.failSwitch = true;
  const AdminResult r = Run({u"-BLOCK", u"CAM"});
  host.failSwitch = false;
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(ToUtf8(r.text).rfind("Zugriff verweigert\r\n", 0), 0u) << ToUtf8(r.text);
}

TEST_F(AdminRunTest, RestoreEnablesExactlyTheLedgerAndForgetsWhatWorksAgain) {
  Start({{kCam, "MINE"}, {kCam, "OTHERS", true, 22}, {kMic, "STUCK"}, {kMic, "MIC2", true, 22}});
  host.machine[0].problem = 22;  // what Veilcap switched off
  host.machine[2].problem = 22;
  host.machine[2].refuses = true;
  ASSERT_TRUE(Ledger_Add(u"MINE\\0"));  // ids without a backslash are no ledger entries
  host.machine[0].id = "MINE\\0";
  host.machine[2].id = "STUCK\\1";
  ASSERT_TRUE(Ledger_Add(u"STUCK\\1"));
  ASSERT_TRUE(Ledger_Add(u"GONE\\2"));
  // The kinds recorded as blocked and one consent value Veilcap denied (the other root's "Deny"
  // was set by someone else).
  ASSERT_TRUE(Ledger_SetKindBlocked(LedgerKind::Cam, true) && Ledger_SetKindBlocked(LedgerKind::Mic, true));
  reg.PutString(RegRoot::CurrentUser, kConsentKeyWebcam, u"Value", u"Deny");
  reg.PutString(RegRoot::LocalMachine, kConsentKeyWebcam, u"Value", u"Deny");
  ASSERT_TRUE(Ledger_SetConsentDenied(LedgerKind::Cam, RegRoot::CurrentUser, true));
  std::vector<std::string> recordsAtFirstSwitch;
  host.onEnable = [&] {
    if (recordsAtFirstSwitch.empty())
      recordsAtFirstSwitch.push_back(std::to_string(Ledger_KindBlocked(LedgerKind::Cam)) +
                                     std::to_string(Ledger_KindBlocked(LedgerKind::Mic)));
  };
  const AdminResult r = Run({u"-RESTORE"});
  host.onEnable = nullptr;
  EXPECT_EQ(recordsAtFirstSwitch, std::vector<std::string>{"00"}) << "the kind records are cleared first";
  EXPECT_EQ(ToUtf8(Reg_ReadString(RegRoot::CurrentUser, kConsentKeyWebcam, u"Value")), "Allow");
  EXPECT_EQ(ToUtf8(Reg_ReadString(RegRoot::LocalMachine, kConsentKeyWebcam, u"Value")), "Deny");
  EXPECT_FALSE(Ledger_ConsentDenied(LedgerKind::Cam, RegRoot::CurrentUser));
  EXPECT_EQ(Switched(host), (std::vector<std::string>{"enable MINE\\0", "enable STUCK\\1", "enable GONE\\2"}));
  EXPECT_EQ(host.machine[1].problem, 22u) << "switched off by someone else: left alone";
  EXPECT_EQ(host.machine[3].problem, 22u);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(Ledger_Ids(), (std::vector<u16>{u"STUCK\\1", u"GONE\\2"}));
  const std::string text = ToUtf8(r.text);
  EXPECT_NE(text.find("CAM\ton\tDevice MINE\\0\tMINE\\0\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("-\tabsent\t\tGONE\\2\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Noch ausgeschaltet: Device STUCK\\1\r\n"), std::string::npos) << text;
  EXPECT_NE(text.find("Nicht gefunden, bleibt vorgemerkt: GONE\\2\r\n"), std::string::npos) << text;

  // Only the absent device left: it is named again and keeps the exit code at 1.
  ASSERT_TRUE(Ledger_Remove(u"STUCK\\1"));
  const AdminResult absent = Run({u"-RESTORE"});
  EXPECT_EQ(absent.exitCode, 1);
  EXPECT_EQ(Ledger_Ids(), std::vector<u16>{u"GONE\\2"});

  // An empty ledger: nothing to do, success.
  for (const auto& id : Ledger_Ids()) Ledger_Remove(id);
  const AdminResult again = Run({u"-RESTORE"});
  EXPECT_EQ(again.exitCode, 0);
  EXPECT_TRUE(Switched(host).empty());
}

// A device that was already off before the block (disabled elsewhere) is switched off again but
// never recorded, so a restore leaves it off.
TEST_F(AdminRunTest, OnlyADeviceThatWorkedBeforeTheBlockIsRestored) {
  Start({{kCam, "USB\\MINE"}, {kCam, "USB\\OTHERS", true, 22}, {kMic, "SWD\\MIC"}});
  EXPECT_EQ(Run({u"-BLOCK", u"CAM"}).exitCode, 0);
  EXPECT_EQ(Switched(host), (std::vector<std::string>{"disable USB\\MINE", "disable USB\\OTHERS"}));
  EXPECT_EQ(Ledger_Ids(), std::vector<u16>{u"USB\\MINE"});
  // Blocking again keeps the record of the device Veilcap switched off the first time.
  EXPECT_EQ(Run({u"-BLOCK", u"CAM"}).exitCode, 0);
  EXPECT_EQ(Ledger_Ids(), std::vector<u16>{u"USB\\MINE"});
  EXPECT_EQ(Run({u"-RESTORE"}).exitCode, 0);
  EXPECT_EQ(Switched(host), std::vector<std::string>{"enable USB\\MINE"});
  EXPECT_EQ(host.machine[1].problem, 22u);
  EXPECT_TRUE(Ledger_Ids().empty());
}

// A policy of the organisation: the unblock of its kind is refused with exit code 5, the status
// names every policy in force.
TEST_F(AdminRunTest, APolicyRefusesTheUnblockOfItsKindAndTheStatusNamesIt) {
  reg.PutDword(RegRoot::LocalMachine, kPolicyKey, u"BlockWebcams", 1);
  reg.PutDword(RegRoot::LocalMachine, kPolicyKey, u"Hotkeys", 0);
  const std::string refused = "Von Ihrer Organisation blockiert\r\n";
  const std::vector<AdminRunCase> cases = {
      {"block cam: allowed", {{kCam, "CAM1"}}, {u"-BLOCK", u"CAM"}, 0, {"disable CAM1"}, {}},
      {"unblock cam: refused", {{kCam, "CAM1", true, 22}}, {u"-UNBLOCK", u"CAM"}, 5, {}, {refused}},
      {"unblock all: microphones follow, webcams refused", {{kCam, "CAM1", true, 22}, {kMic, "MIC1", true, 22}},
       {u"-UNBLOCK", u"ALL"}, 5, {"enable MIC1"}, {refused, "MIC: 1/1"}},
      {"unblock mic: not covered", {{kCam, "CAM1", true, 22}, {kMic, "MIC1", true, 22}},
       {u"-UNBLOCK", u"MIC"}, 0, {"enable MIC1"}, {}},
      {"status", {{kCam, "CAM1", true, 22}}, {u"-STATUS"}, 0, {}, {"POLICY\tBlockWebcams\t1\r\nPOLICY\tHotkeys\t0\r\n"}},
      {"json", {{kCam, "CAM1", true, 22}}, {u"-STATUS", u"-JSON"}, 0, {}, {",\"policies\":{\"BlockWebcams\":1,\"Hotkeys\":0}}\r\n"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Start(c.devices);
    const AdminResult r = Run(c.args);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_EQ(Switched(host), c.switched);
    const std::string text = ToUtf8(r.text);
    for (const auto& part : c.textHas) EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
    EXPECT_EQ(text.find("Noch ausgeschaltet"), std::string::npos) << "a refused kind is not named device by device";
  }
  EXPECT_TRUE(Ledger_KindBlocked(LedgerKind::Cam)) << "the block stays the last command: a refused unblock records nothing";

  // Restore leaves a device of the blocked kind off and recorded.
  Start({{kCam, "CAM1", true, 22}, {kMic, "MIC1", true, 22}});
  host.machine[0].id = "CAM1\\0";
  host.machine[1].id = "MIC1\\0";
  ASSERT_TRUE(Ledger_Add(u"CAM1\\0"));
  ASSERT_TRUE(Ledger_Add(u"MIC1\\0"));
  const AdminResult r = Run({u"-RESTORE"});
  EXPECT_EQ(r.exitCode, 5);
  EXPECT_EQ(Switched(host), (std::vector<std::string>{"enable MIC1\\0"}));
  EXPECT_EQ(Ledger_Ids(), (std::vector<u16>{u"CAM1\\0"}));
}

TEST(AdminReport, TextAndJsonKeepNamesExactAndSafe) {
  Init_Messages();
  ScopedCp1252 cp;
  std::vector<TTreeData_Device> list(3);
  list[0].SetClassGUID(kClassCamera);
  list[0].SetFriendlyName(u"Cam \"Pro\" \\ K\u00fchl\u20ac");
  list[0].SetInstanceID(u"USB\\VID_1&PID_2\\A");
  list[0].Watch = true;
  list[1].SetClassGUID(kClassAudioEndpoint);
  list[1].SetFriendlyName(u"Mic\x1b[31m\tx\u202E\u009B2J");
  list[1].SetInstanceID(u"SWD\\MMDEVAPI\\{0.0.1}");
  list[1].Watch = true;
  list[1].ProblemCode = 22;
  list[2].SetClassGUID(kClassImage);
  list[2].SetFriendlyName(u"Unwatched");
  const auto rows = WatchedRows(list, DeviceKinds::All);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(StatusExitCode(rows), 1);
  EXPECT_EQ(StatusExitCode(WatchedRows(list, DeviceKinds::Mic)), 0);
  EXPECT_EQ(StatusExitCode({}), 3);

  EXPECT_EQ(ToUtf8(ReportText(rows, DeviceKinds::All)),
            "CAM\ton\tCam \"Pro\" \\ K\xC3\xBChl\xE2\x82\xAC\tUSB\\VID_1&PID_2\\A\r\n"
            "MIC\toff\tMic[31m x??2J\tSWD\\MMDEVAPI\\{0.0.1}\r\n"
            "CAM: 1/1 Webcams bereit\r\nMIC: 0/1 Mikrofone bereit\r\n");
  EXPECT_EQ(ToUtf8(ReportJson(WatchedRows(list, DeviceKinds::Cam), DeviceKinds::Cam, 1)),
            "{\"exitCode\":1,\"devices\":[{\"kind\":\"CAM\",\"state\":\"on\","
            "\"name\":\"Cam \\\"Pro\\\" \\\\ K\xC3\xBChl\xE2\x82\xAC\",\"instanceId\":\"USB\\\\VID_1&PID_2\\\\A\"}],"
            "\"summary\":[{\"kind\":\"CAM\",\"watched\":1,\"working\":1,\"text\":\"1/1 Webcams bereit\"}],"
            "\"policies\":{}}\r\n");

  const std::vector<std::pair<u16, std::string>> strings = {
      {u"", "\"\""},
      {u"a\"b\\c/", "\"a\\\"b\\\\c/\""},
      {u"\r\n\t\x01\x1f", "\"\\r\\n\\t\\u0001\\u001f\""},
      {u"\u65e5\u672c \U0001F3A5", "\"\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x8E\xA5\""},
      {u16(u"x") + char16_t(0xD800) + u"y" + char16_t(0xDC00), "\"x\\ud800y\\udc00\""},
  };
  for (const auto& [in, out] : strings) EXPECT_EQ(ToUtf8(JsonString(in)), out);
}

}  // namespace


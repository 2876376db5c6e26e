// The main window model against a recording host: creation, status, tray icon, placement,
// title-bar menus, options and quitting.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

#include "core/errors.h"
#include "fakes/cp1252.h"
#include "fakes/fake_device_sources.h"
#include "fakes/fake_process_shell.h"
#include "fakes/memory_fs.h"
#include "fakes/memory_registry.h"
#include "fakes/recording_sink.h"
#include "lang/languages.h"
#include "lang/messages.h"
#include "lang/translate.h"
#include "online/online.h"
#include "platform/environment.h"
#include "ui/main_window.h"
#include "ui/options.h"
#include "ui/thread_timer.h"

namespace {
class RecordingHost final : public MainWindowHost {
 public:
  OwnerWindow Handle() override { return reinterpret_cast<OwnerWindow>(0x1234); }
  TSize ScreenSize() override { return screen; }
  TPoint WindowPosition() override { return position; }
  void ShowAt(int left, int top) override {
    position = {left, top};
    shown = true;
    log.push_back("show " + std::to_string(left) + "," + std::to_string(top));
  }
  void Hide() override {
    shown = false;
    log.push_back("hide");
  }
  void AddTrayIcon(TrayIconKind icon, const u16& tip) override {
    log.push_back("add-tray");
    if (trayFailures > 0) {
      --trayFailures;
      throw OsError(1460, u"timeout");
    }
    trayIcon = icon;
    tooltip = tip;
  }
  void UpdateTrayIcon(TrayIconKind icon, const u16& tip) override {
    trayIcon = icon;
    tooltip = tip;
    log.push_back("update-tray");
  }
  void RemoveTrayIcon() override { log.push_back("remove-tray"); }
  void PopupMenu(TPopupMenu& menu, int x, int y) override {
    std::string items;
    for (TMenuItem* i : menu.Items())
      if (i->Visible) items += ToUtf8(i->Name) + " ";
    log.push_back("popup " + ToUtf8(menu.Name) + " at " + std::to_string(x) + "," + std::to_string(y) + ": " + items);
    if (choose) choose(menu);
  }
  void WarningBox(const u16& text) override { log.push_back("warning " + ToUtf8(text)); }
  void ErrorBox(const u16& text) override { log.push_back("error " + ToUtf8(text)); }
  void Sleep(uint32_t ms) override { log.push_back("sleep " + std::to_string(ms)); }
  void ProcessMessages() override { log.push_back("process-messages"); }
  void BeginWindowDrag() override { log.push_back("drag"); }
  void Close() override { log.push_back("close"); }

  TSize screen{1920, 1080};
  TPoint position{0, 0};
  bool shown = false;
  int trayFailures = 0;
  TrayIconKind trayIcon = TrayIconKind::Normal;
  u16 tooltip;
  std::function<void(TPopupMenu&)> choose;
  std::vector<std::string> log;
};

class FakeAutostart final : public AutostartControl {
 public:
  FakeAutostart() { SetAutostartControl(this); }
  ~FakeAutostart() override { SetAutostartControl(nullptr); }
  bool Exists() override {
    if (gate) gate();
    return exists;
  }
  TaskCreation Create() override {
    calls.push_back("create");
    if (createFails) throw OsError(2, u"TASK.xml not found");
    if (answer == TaskCreation::Created) exists = true;
    return answer;
  }
  void Delete() override {
    calls.push_back("delete");
    exists = false;
  }
  bool exists = false;
  bool createFails = false;
  TaskCreation answer = TaskCreation::Created;
  std::vector<std::string> calls;
  std::function<void()> gate;  // runs on the worker that asks, before the answer
};

class FakeImage final : public Image {
 public:
  int Width() const override { return 1; }
  int Height() const override { return 1; }
};

// Every skin loads unless its file name is listed as missing.
class SkinImages final : public ImageLoader {
 public:
  SkinImages() { SetImageLoader(this); }
  ~SkinImages() override { SetImageLoader(nullptr); }
  std::shared_ptr<const Image> LoadFromFile(const u16& path) override {
    loads.push_back(ToUtf8(path));
    for (const auto& m : missing)
      if (EndsWith(path, FromUtf8(m))) throw OsError(2, u"file not found");
    return std::make_shared<FakeImage>();
  }
  std::vector<std::string> missing, loads;
};

const u16 kApp = u"C:\\Program Files\\Veilcap";

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryBackend(&reg, false);
    SetDeviceSources({&present, &capture, &com});
    AppFolder = kApp;
    SkinsFolder = kApp + u"\\skins";
    Win10_or_later = true;
    CurrentLanguage = u"de-de";
    Lang.reset();
    MessagesLoaded = false;
    Init_Messages();
    Online_Started = Online_Starting = false;
  }
  void TearDown() override {
    SetRegistryBackend(nullptr, false);
    SetDeviceSources({});
    Lang.reset();
    MessagesLoaded = false;
    Init_Messages();
  }
  TForm_Veilcap& Form() {
    if (!form) {
      form = std::make_unique<TForm_Veilcap>(host, args, hooks);
      form->FormCreate();
    }
    return *form;
  }
  void SetCounts(int32_t cams, int32_t activeCams, int32_t mics, int32_t activeMics) {
    TVeilcap& v = *Form().Veilcap;
    v.current_cams = cams;
    v.active_cams = activeCams;
    v.current_mics = mics;
    v.active_mics = activeMics;
    v.First_Cam_Name = u"Cam";
    v.First_Mic_Name = u"Mic";
  }
  std::string Picture(TPellamMouseImage3State& b) { return ToUtf8(b.Picture.FileName()); }

  ScopedCp1252 cp;
  ScopedMemoryFs mem;
  MemoryRegistry reg;
  RecordingSink debug;
  FakeProcessShell shell;
  FakeAutostart autostart;
  SkinImages skins;
  FakePresentDevices present;
  FakeCaptureSource capture;
  FakeComApartment com;
  RecordingHost host;
  std::vector<u16> args;
  MainWindowHooks hooks;
  std::unique_ptr<TForm_Veilcap> form;
};

TEST_F(MainWindowTest, CreationShowsStateZeroAndTheWaitTextThenStartsTheTimers) {
  TForm_Veilcap& f = Form();
  EXPECT_EQ(ToUtf8(f.Label_Status_Cam->Text()), "Bitte warten...");
  EXPECT_EQ(ToUtf8(f.Label_Status_Mic->Text()), "Bitte warten...");
  EXPECT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, 0);
  EXPECT_FALSE(f.PellamMouseImage3State_WebCam->Enabled);
  EXPECT_EQ(Picture(*f.PellamMouseImage3State_WebCam), ToUtf8(kApp) + "\\skins\\cam-disabled.bmp");
  EXPECT_EQ(Picture(*f.PellamMouseImage3State_Mic), ToUtf8(kApp) + "\\skins\\mic-disabled.bmp");
  EXPECT_EQ(Picture(*f.PellamMouseImage3State_Close), ToUtf8(kApp) + "\\skins\\but_close.png");
  EXPECT_EQ(ToUtf8(f.PellamMouseImage3State_Help->Picture_Highlight.FileName()), ToUtf8(kApp) + "\\skins\\but_help_hover.png");
  EXPECT_EQ(ToUtf8(f.PellamMouseImage3State_Help->Picture_Pressed.FileName()), ToUtf8(kApp) + "\\skins\\but_help_normal.png");
  EXPECT_TRUE(f.TarvoThreadTimer_TrayIcon->Enabled());
  EXPECT_TRUE(f.TarvoThreadTimer_VI3->Enabled());
  EXPECT_TRUE(f.TarvoThreadTimer_Starter->Enabled());
  EXPECT_EQ(host.log, (std::vector<std::string>{"sleep 100"})) << "no tray icon and no window before the timers";
  EXPECT_FALSE(f.PellamMouseImage3State_IM->Visible);
  EXPECT_FALSE(f.PellamMouseImage3State_Feedback->Visible);
}

TEST_F(MainWindowTest, MissingSkinLeavesItsAreaEmptyAndCreationGoesOn) {
  skins.missing = {"\\logo.bmp", "\\cam-disabled.bmp"};
  mem.fs.AddFile(kApp + u"\\translation\\de-de.tlang3",
                 EncodeText(u"Form_Veilcap.Tray_Quit=Quit\r\nMESSAGES.MESSAGE_STATUS_PLEASEWAIT=Moment...\r\n",
                            TextEncoding::Utf16LE));
  mem.fs.AddFile(kApp + u"\\translation\\index.txt", {});
  TForm_Veilcap& f = Form();
  EXPECT_TRUE(f.Image_Logo->Picture.Empty());
  EXPECT_TRUE(f.PellamMouseImage3State_WebCam->Picture.Empty());
  EXPECT_FALSE(f.PellamMouseImage3State_Mic->Picture.Empty());
  // Translation, wait text and timers all happened.
  EXPECT_EQ(ToUtf8(*f.Tray_Quit->Caption), "Quit");
  EXPECT_EQ(ToUtf8(f.Label_Status_Cam->Text()), "Moment...");
  EXPECT_TRUE(f.TarvoThreadTimer_Starter->Enabled());
  int named = 0;
  for (const auto& l : debug.Utf8())
    if (l.find("\\skins\\logo.bmp") != std::string::npos || l.find("\\skins\\cam-disabled.bmp") != std::string::npos)
      ++named;
  EXPECT_EQ(named, 2) << testing::PrintToString(debug.Utf8());
}

TEST_F(MainWindowTest, RepaintFollowsTheCountersAndTheTrayIconOnlyOnceItExists) {
  TForm_Veilcap& f = Form();
  SetCounts(1, 1, 2, 0);
  f.Repaint_Status();
  EXPECT_EQ(ToUtf8(f.Label_Status_Cam->Text()), "Cam");
  EXPECT_EQ(ToUtf8(f.Label_Status_Mic->Text()), "0/2 Mikrofone bereit");
  EXPECT_EQ(Picture(*f.PellamMouseImage3State_WebCam), ToUtf8(kApp) + "\\skins\\cam-on.bmp");
  EXPECT_EQ(Picture(*f.PellamMouseImage3State_Mic), ToUtf8(kApp) + "\\skins\\mic-off.bmp");
  EXPECT_EQ(f.PellamMouseImage3State_Mic->HelpContext, 2);
  EXPECT_TRUE(f.PellamMouseImage3State_Mic->Enabled);
  EXPECT_EQ(ToUtf8(f.PellamMouseImage3State_Mic->Picture_Highlight.FileName()), ToUtf8(kApp) + "\\skins\\mic-off.bmp");
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), "update-tray"), 0);

  // Two failed attempts, then the icon appears light blue and the timer stops.
  host.trayFailures = 2;
  for (int i = 0; i < 2; ++i) {
    f.TarvoThreadTimer_TrayIconTimer();
    EXPECT_FALSE(f.TRAYICON_DONE);
    EXPECT_TRUE(f.TarvoThreadTimer_TrayIcon->Enabled());
  }
  f.TarvoThreadTimer_TrayIconTimer();
  EXPECT_TRUE(f.TRAYICON_DONE);
  EXPECT_FALSE(f.TarvoThreadTimer_TrayIcon->Enabled());
  EXPECT_EQ(host.trayIcon, TrayIconKind::Normal);
  EXPECT_EQ(std::count(shell.log.begin(), shell.log.end(), "trim"), 1);

  struct Case {
    int32_t cams, activeCams, mics, activeMics;
    TrayIconKind icon;
  };
  for (const Case& c : {Case{0, 0, 0, 0, TrayIconKind::NoDevice}, Case{1, 1, 1, 1, TrayIconKind::On},
                        Case{2, 0, 1, 0, TrayIconKind::Off}, Case{1, 1, 1, 0, TrayIconKind::Normal}}) {
    SetCounts(c.cams, c.activeCams, c.mics, c.activeMics);
    f.Repaint_Status();
    EXPECT_EQ(host.trayIcon, c.icon) << c.cams << c.activeCams << c.mics << c.activeMics;
  }
}

TEST_F(MainWindowTest, RestartMarkersFollowPendingRestarts) {
  TForm_Veilcap& f = Form();
  SetCounts(1, 1, 1, 0);
  f.Veilcap->reboot_required_cams = 1;
  f.Repaint_Status();
  EXPECT_TRUE(f.Image_RebootNeed_cam->Visible);
  EXPECT_TRUE(f.Label_RebootNeed_Cam->Visible);
  EXPECT_FALSE(f.Image_RebootNeed_mic->Visible);
  EXPECT_FALSE(f.Label_RebootNeed_Mic->Visible);
  f.Veilcap->reboot_required_cams = 0;
  f.Repaint_Status();
  EXPECT_FALSE(f.Label_RebootNeed_Cam->Visible);
  f.Show_DevicesNeedReboot();
  EXPECT_EQ(host.log.back(), "warning " + ToUtf8(MESSAGE_STATUS_NEED_RESTART));
}

TEST_F(MainWindowTest, PlacementAtTheLowerRightOfTheWholeScreen) {
  struct Case {
    TSize screen;
    TPoint at;
  };
  for (const Case& c : {Case{{1920, 1080}, {1402, 700}}, Case{{1024, 768}, {506, 388}}, Case{{400, 300}, {-118, -80}}})
    EXPECT_EQ(TForm_Veilcap::LowerRightPlacement(c.screen), c.at) << c.screen.cx << "x" << c.screen.cy;
  host.screen = {1280, 1024};
  Form().Handle_ShowRunningInstance();
  EXPECT_EQ(host.log.back(), "show 762,644");
}

TEST_F(MainWindowTest, StarterShowsTheWindowUnlessTrayAndRunsTheFirstRefresh) {
  struct Case {
    std::vector<u16> args;
    bool shown;
  };
  for (const Case& c : {Case{{}, true}, Case{{u"-tray"}, false}, Case{{u"-TrAy", u"x"}, false}, Case{{u"x", u"-TRAY"}, true}}) {
    form.reset();
    host.log.clear();
    args = c.args;
    std::vector<std::string> calls;
    hooks.RebuildDeviceList = [&] { calls.push_back("rebuild"); };
    hooks.SetMonitorActive = [&](bool on) { calls.push_back(on ? "monitor on" : "monitor off"); };
    TForm_Veilcap& f = Form();
    f.TarvoThreadTimer_StarterTimer();
    EXPECT_FALSE(f.TarvoThreadTimer_Starter->Enabled());
    EXPECT_EQ(host.shown, c.shown);
    EXPECT_EQ(calls, (std::vector<std::string>{"rebuild", "monitor on"}));
    // The first search replaced the wait texts.
    EXPECT_EQ(ToUtf8(f.Label_Status_Cam->Text()), "Keine Webcam angeschlossen");
    EXPECT_EQ(ToUtf8(host.tooltip), "");  // no tray icon yet
    host.shown = false;
  }
}

TEST_F(MainWindowTest, TitleMenusOpenAtTheButtonsLowerLeftCorner) {
  TForm_Veilcap& f = Form();
  host.position = {1402, 700};
  f.PellamMouseImage3State_HelpClick();
  EXPECT_EQ(host.log.back(), "popup AdvPopupMenu_Help at 1792,736: MenuItem_help_Help MenuItem_help_About ");
  f.PellamMouseImage3State_OptionsClick();
  EXPECT_EQ(host.log.back(),
            "popup AdvPopupMenu_Tray at 1754,736: Tray_ShowDevices Tray_RefreshDevices Tray_DeviceManager N1 "
            "Tray_Options Tray_Flag_StartWithWindows Tray_Lang N2 Tray_Quit ");
  EXPECT_TRUE(f.Tray_Show->Visible) << "the tray menu has its show item again";
  // The message and feedback buttons do nothing before the online services run.
  const size_t before = host.log.size();
  int feedback = 0;
  f.Hooks.OpenFeedback = [&] { ++feedback; };
  f.PellamMouseImage3State_IMClick();
  f.PellamMouseImage3State_FeedbackClick();
  EXPECT_EQ(host.log.size(), before);
  EXPECT_EQ(feedback, 0);
  Online_Started = true;
  f.PellamMouseImage3State_IMClick();
  f.PellamMouseImage3State_FeedbackClick();
  EXPECT_EQ(host.log.back(), "popup AdvPopupMenu_IM at 1678,736: MenuItem_IM_Dummy ");
  EXPECT_EQ(feedback, 1);
  f.Show_OnlineButtons();
  EXPECT_TRUE(f.PellamMouseImage3State_IM->Visible);
  Online_Starting = true;
  f.Show_OnlineButtons();
  EXPECT_FALSE(f.PellamMouseImage3State_Feedback->Visible);
}

TEST_F(MainWindowTest, CloseMinimizeAndDragOnlyAskTheWindow) {
  TForm_Veilcap& f = Form();
  host.log.clear();
  f.PellamMouseImage3State_CloseClick();
  f.PellamMouseImage3State_MinimizeClick();
  f.Image_LogoMouseDown();
  EXPECT_EQ(host.log, (std::vector<std::string>{"hide", "hide", "drag"}));
}

struct LoadCase {
  const char* name;
  bool win10;
  std::map<std::string, uint32_t> stored;  // value name -> DWORD
  bool task;
  bool led, cam, mic, start;
  bool itemsEnabled;
};

class OptionsLoad : public MainWindowTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(OptionsLoad, SetsTheCheckMarks) {
  const LoadCase& c = GetParam();
  Win10_or_later = c.win10;
  autostart.exists = c.task;
  for (const auto& [name, v] : c.stored)
    reg.PutDword(RegRoot::LocalMachine, name == "NoPhysicalCameraLED" ? kCaptureKey : kOptionsKey, FromUtf8(name), v);
  TForm_Veilcap& f = Form();
  EXPECT_EQ(f.Tray_NoPhysicalCameraLED->Checked, c.led);
  EXPECT_EQ(f.Tray_Option_Privacy_Cam->Checked, c.cam);
  EXPECT_EQ(f.Tray_Option_Privacy_Mic->Checked, c.mic);
  EXPECT_EQ(f.Tray_Flag_StartWithWindows->Checked, c.start);
  EXPECT_EQ(f.Tray_NoPhysicalCameraLED->Enabled, c.itemsEnabled);
  EXPECT_EQ(f.Tray_Option_Privacy_Cam->Enabled, c.itemsEnabled);
  EXPECT_EQ(f.Tray_Option_Privacy_Mic->Enabled, c.itemsEnabled);
  EXPECT_TRUE(f.Tray_Flag_StartWithWindows->Enabled);
  EXPECT_EQ(reg.OpenHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionsLoad,
    ::testing::Values(
        LoadCase{"FirstStart", true, {}, false, false, true, true, false, true},
        LoadCase{"FirstStartWithTask", true, {}, true, false, true, true, true, true},
        LoadCase{"StoredZero", true, {{"Block_Privacy_Cam", 0}, {"Block_Privacy_Mic", 1}}, false, false, false, true, false, true},
        LoadCase{"StoredFive", true, {{"Block_Privacy_Cam", 5}, {"Block_Privacy_Mic", 5}}, false, false, false, false, false, true},
        LoadCase{"NoticeOn", true, {{"NoPhysicalCameraLED", 1}}, false, true, true, true, false, true},
        LoadCase{"NoticeTwo", true, {{"NoPhysicalCameraLED", 2}}, false, false, true, true, false, true},
        LoadCase{"OlderWindows", false, {{"NoPhysicalCameraLED", 1}, {"Block_Privacy_Cam", 1}}, true, false, false, false, true, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, SaveWritesAllOptionsAndDeletesTheNoticeValueWhenUnchecked) {
  reg.PutDword(RegRoot::LocalMachine, kCaptureKey, kNoPhysicalCameraLEDValue, 1);
  TForm_Veilcap& f = Form();
  ASSERT_TRUE(f.Tray_NoPhysicalCameraLED->Checked);
  f.Tray_NoPhysicalCameraLED->Click();  // unchecks, then saves
  EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kCaptureKey, kNoPhysicalCameraLEDValue), nullptr);
  f.Tray_Option_Privacy_Cam->Click();
  const auto* cam = reg.Get(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue);
  const auto* mic = reg.Get(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyMicValue);
  ASSERT_TRUE(cam && mic);
  EXPECT_EQ(cam->type, REG_TYPE_DWORD);
  EXPECT_EQ(cam->data, (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(mic->data, (std::vector<uint8_t>{1, 0, 0, 0}));
  f.Tray_NoPhysicalCameraLED->Click();
  EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kCaptureKey, kNoPhysicalCameraLEDValue)->data, (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(autostart.calls, (std::vector<std::string>{"delete", "delete", "delete"}));
  f.Tray_Flag_StartWithWindows->Click();
  EXPECT_EQ(autostart.calls.back(), "create");
  EXPECT_EQ(shell.log.back(), "trim");
  EXPECT_EQ(reg.OpenHandles(), 0);
}

TEST_F(MainWindowTest, SaveOnOlderWindowsTouchesOnlyTheTask) {
  Win10_or_later = false;
  TForm_Veilcap& f = Form();
  f.Tray_Flag_StartWithWindows->Click();
  EXPECT_EQ(autostart.calls, (std::vector<std::string>{"create"}));
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, kOptionsKey));
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, kCaptureKey));
}

TEST_F(MainWindowTest, FailedTaskStillSavesTheRegistryOptionsAndReportsIt) {
  autostart.exists = true;
  autostart.createFails = true;
  TForm_Veilcap& f = Form();
  f.Tray_Option_Privacy_Mic->Checked = false;
  EXPECT_THROW(f.SAVE_OPTIONS(), OsError);
  EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyMicValue)->data, (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST_F(MainWindowTest, QuitStopsTheMonitorAndTimerSavesAndClosesEvenWhenTheTaskFails) {
  std::vector<std::string> calls;
  hooks.SetMonitorActive = [&](bool on) { calls.push_back(on ? "monitor on" : "monitor off"); };
  autostart.exists = true;
  autostart.createFails = true;
  TForm_Veilcap& f = Form();
  host.log.clear();
  f.Tray_Quit->Click();
  EXPECT_EQ(calls, (std::vector<std::string>{"monitor off"}));
  EXPECT_FALSE(f.TarvoThreadTimer_TrayIcon->Enabled());
  EXPECT_EQ(autostart.calls, (std::vector<std::string>{"create"}));
  EXPECT_NE(reg.Get(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue), nullptr);
  EXPECT_EQ(host.log, (std::vector<std::string>{"error TASK.xml not found", "close"}));
}

// The worker that asks the task scheduler hands its answer over through this dispatcher; the test
// runs what it queued. It lives as long as the program: a worker may still be on its way.
class QueueDispatcher final : public MainThreadDispatcher {
 public:
  void RunAndWait(const std::function<void()>& fn) override {
    std::unique_lock<std::mutex> lock(m);
    queue.push_back(fn);
    cv.notify_all();
    cv.wait(lock, [&] { return queue.empty(); });
  }
  // Runs one queued function on the calling (main) thread; false when none came within 5 s.
  bool PumpOne() {
    std::unique_lock<std::mutex> lock(m);
    if (!cv.wait_for(lock, std::chrono::seconds(5), [&] { return !queue.empty(); })) return false;
    auto fn = queue.front();
    lock.unlock();
    fn();
    lock.lock();
    queue.pop_front();
    cv.notify_all();
    return true;
  }
  std::mutex m;
  std::condition_variable cv;
  std::deque<std::function<void()>> queue;
};

// The form is made without a dispatcher (its timers never tick); LOAD_OPTIONS then asks again
// with one, and the answer waits behind a gate.
class DeferredStartMark : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    autostart.exists = true;
    Form();
    autostart.gate = [this] {
      std::unique_lock<std::mutex> lock(gateM_);
      gateCv_.wait(lock, [this] { return open_; });
    };
    SetTimerDispatcher(dispatcher);
    form->LOAD_OPTIONS();
    SetTimerDispatcher(nullptr);
    autostart.calls.clear();
  }
  void TearDown() override {
    Open();
    if (opener_.joinable()) opener_.join();
    if (!answered_) {
      EXPECT_TRUE(dispatcher->PumpOne()) << "the worker hands its answer to the main thread";
    }
    MainWindowTest::TearDown();
  }
  void Open() {
    std::lock_guard<std::mutex> lock(gateM_);
    open_ = true;
    gateCv_.notify_all();
  }
  void OpenLater() {
    opener_ = std::thread([this] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      Open();
    });
  }
  static inline QueueDispatcher* dispatcher = new QueueDispatcher;
  bool answered_ = false;

 private:
  std::mutex gateM_;
  std::condition_variable gateCv_;
  bool open_ = false;
  std::thread opener_;
};

TEST_F(DeferredStartMark, TheMenuWaitsForTheAnswer) {
  TForm_Veilcap& f = *form;
  EXPECT_FALSE(f.Tray_Flag_StartWithWindows->Checked);
  EXPECT_FALSE(f.Tray_Flag_StartWithWindows->Enabled) << "not to be clicked while unknown";
  bool markAtPopup = false;
  host.choose = [&](TPopupMenu&) { markAtPopup = f.Tray_Flag_StartWithWindows->Checked; };
  OpenLater();
  f.Tray_PopupAt(10, 20);
  EXPECT_TRUE(markAtPopup);
  EXPECT_TRUE(f.Tray_Flag_StartWithWindows->Enabled);
}

TEST_F(DeferredStartMark, SavingWaitsAndThenKeepsTheTask) {
  OpenLater();
  form->SAVE_OPTIONS();
  EXPECT_EQ(autostart.calls, std::vector<std::string>{"create"}) << "an unknown mark would have deleted the task";
}

TEST_F(DeferredStartMark, NoAnswerInTimeLeavesTheTaskAloneButSavesTheRest) {
  form->StartWithWindowsWaitMs = 30;
  form->SAVE_OPTIONS();
  EXPECT_TRUE(autostart.calls.empty());
  EXPECT_NE(reg.Get(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue), nullptr);
}

TEST_F(DeferredStartMark, AnAnswerAfterQuitIsDropped) {
  form->StartWithWindowsWaitMs = 30;
  form->Tray_Quit->Click();
  EXPECT_EQ(host.log.back(), "close");
  Open();
  ASSERT_TRUE(dispatcher->PumpOne());
  EXPECT_FALSE(form->Tray_Flag_StartWithWindows->Checked);
  EXPECT_FALSE(form->Tray_Flag_StartWithWindows->Enabled);
  EXPECT_TRUE(autostart.calls.empty());
  answered_ = true;
}

TEST_F(MainWindowTest, ShellItemsOpenTheirTargetsWithTheWindowAsOwner) {
  TForm_Veilcap& f = Form();
  shell.onShell = [](const FakeProcessShell::ShellCall&) { return 0u; };
  f.Tray_DeviceManager->Click();
  f.Tray_Privacy_webcam->Click();
  f.Tray_Privacy_Mic->Click();
  ASSERT_EQ(shell.shellCalls.size(), 3u);
  EXPECT_EQ(ToUtf8(shell.shellCalls[0].file), "devmgmt.msc");
  EXPECT_EQ(shell.shellCalls[0].owner, reinterpret_cast<OwnerWindow>(0x1234));
  EXPECT_EQ(ToUtf8(shell.shellCalls[1].file), "ms-settings:privacy-webcam");
  EXPECT_EQ(ToUtf8(shell.shellCalls[2].file), "ms-settings:privacy-microphone");
  // A failing start is raised to the window's boundary, which shows it.
  shell.onShell = [](const FakeProcessShell::ShellCall&) { return 2u; };
  EXPECT_THROW(f.Tray_DeviceManager->Click(), OsError);
}

TEST_F(MainWindowTest, DevicesItemIsDisabledWhileTheDevicesWindowIsOpenAndRefreshesAfter) {
  std::vector<std::string> calls;
  TForm_Veilcap* f = nullptr;
  hooks.ShowDevicesModal = [&] { calls.push_back(f->Tray_ShowDevices->Enabled ? "open (enabled)" : "open (disabled)"); };
  hooks.RebuildDeviceList = [&] { calls.push_back("rebuild"); };
  f = &Form();
  f->Tray_ShowDevices->Click();
  EXPECT_EQ(calls, (std::vector<std::string>{"open (disabled)", "rebuild"}));
  EXPECT_TRUE(f->Tray_ShowDevices->Enabled);
}
}  // namespace

// The main window model against a recording host: creation, status, tray icon, placement,
// title-bar menus, options and quitting.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>

#include "core/errors.h"
#include "devices/ledger.h"
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
#include "guard/policies.h"
#include "ui/main_window.h"
#include "ui/options.h"
#include "guard/toggle_commands.h"
#include "ui/thread_timer.h"

namespace {
class RecordingHost final : public MainWindowHost {
 public:
  OwnerWindow Handle() override { return reinterpret_cast<OwnerWindow>(0x1234); }
  TSize ScreenSize() override { return screen; }
  TPoint WindowPosition() override { return position; }
  int Dpi() override { return dpi; }
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
  void ShowNotice(const u16& title, const u16& text) override {
    log.push_back("notice " + ToUtf8(title) + ": " + ToUtf8(text));
  }
  TMenuItem* PopupMenu(TPopupMenu& menu, int x, int y) override {
    std::string items;
    for (TMenuItem* i : menu.Items())
      if (i->Visible) items += ToUtf8(i->Name) + " ";
    log.push_back("popup " + ToUtf8(menu.Name) + " at " + std::to_string(x) + "," + std::to_string(y) + ": " + items);
    return choose ? choose(menu) : nullptr;
  }
  void WarningBox(const u16& text) override { log.push_back("warning " + ToUtf8(text)); }
  void ErrorBox(const u16& text) override { log.push_back("error " + ToUtf8(text)); }
  bool ConfirmBox(const u16& text, const u16& confirmCaption) override {
    log.push_back("confirm " + ToUtf8(text) + " [" + ToUtf8(confirmCaption) + "]");
    if (duringConfirm) duringConfirm();
    return confirm;
  }
  void Sleep(uint32_t ms) override { log.push_back("sleep " + std::to_string(ms)); }
  uint32_t NowMs() override { return now; }
  void ProcessMessages() override { log.push_back("process-messages"); }
  void BeginWindowDrag() override { log.push_back("drag"); }
  void Close() override { log.push_back("close"); }

  TSize screen{1920, 1080};
  TPoint position{0, 0};
  int dpi = 96;
  bool shown = false;
  int trayFailures = 0;
  uint32_t now = 0;
  TrayIconKind trayIcon = TrayIconKind::Normal;
  u16 tooltip;
  std::function<TMenuItem*(TPopupMenu&)> choose;
  bool confirm = true;
  std::function<void()> duringConfirm;
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
    if (onLoad) onLoad(path);
    for (const auto& m : missing)
      if (EndsWith(path, FromUtf8(m))) throw OsError(2, u"file not found");
    return std::make_shared<FakeImage>();
  }
  std::vector<std::string> missing, loads;
  std::function<void(const u16&)> onLoad;
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
  EXPECT_TRUE(f.TarvoThreadTimer_TrayIcon->Enabled());
  EXPECT_TRUE(f.TarvoThreadTimer_VI3->Enabled());
  EXPECT_TRUE(f.TarvoThreadTimer_Starter->Enabled());
  EXPECT_EQ(host.log, (std::vector<std::string>{"sleep 100"})) << "no tray icon and no window before the timers";
  // The title-bar pictures wait until the tray icon is there.
  EXPECT_TRUE(f.PellamMouseImage3State_Close->Picture.Empty());
  f.TarvoThreadTimer_TrayIconTimer();
  EXPECT_EQ(Picture(*f.PellamMouseImage3State_Close), ToUtf8(kApp) + "\\skins\\but_close.png");
  EXPECT_EQ(ToUtf8(f.PellamMouseImage3State_Help->Picture_Highlight.FileName()), ToUtf8(kApp) + "\\skins\\but_help_hover.png");
  EXPECT_EQ(ToUtf8(f.PellamMouseImage3State_Help->Picture_Pressed.FileName()), ToUtf8(kApp) + "\\skins\\but_help_normal.png");
  EXPECT_FALSE(f.PellamMouseImage3State_IM->Visible);
  EXPECT_FALSE(f.PellamMouseImage3State_Feedback->Visible);
}

// The creation after the tray timer counts towards the starter's 100 ms lead: only the rest of it is
// slept. The title-bar pictures come once the tray icon was tried (added or refused), and once only.
TEST_F(MainWindowTest, CreationFillsTheTrayTimersLeadAndTheWindowPicturesFollowTheTrayIcon) {
  const struct {
    uint32_t companionsMs;
    int trayFailures;
    std::vector<std::string> log;
  } cases[] = {{0, 0, {"sleep 100", "remove-tray", "add-tray"}},
               {70, 1, {"sleep 30", "remove-tray", "add-tray"}},
               {120, 0, {"remove-tray", "add-tray"}}};
  for (const auto& c : cases) {
    form.reset();
    host.log.clear();
    host.trayFailures = c.trayFailures;
    bool trayTimerFirst = false;
    hooks.CreateCompanions = [&] {
      trayTimerFirst = form->TarvoThreadTimer_TrayIcon->Enabled();
      host.now += c.companionsMs;
    };
    host.now = 0xFFFFFFD0u;  // the clock wraps around in the middle
    Form();
    EXPECT_TRUE(trayTimerFirst) << c.companionsMs;
    const size_t before = skins.loads.size();
    form->TarvoThreadTimer_TrayIconTimer();
    EXPECT_EQ(host.log, c.log) << c.companionsMs;
    EXPECT_FALSE(form->PellamMouseImage3State_Close->Picture.Empty()) << c.companionsMs;
    EXPECT_GT(skins.loads.size(), before);
    form->TarvoThreadTimer_TrayIconTimer();  // a second try of a refused icon
    form->TarvoThreadTimer_StarterTimer();
    const auto closeLoads = std::count_if(skins.loads.begin() + long(before), skins.loads.end(), [](const std::string& l) {
      return l.find("\\but_close.png") != std::string::npos;
    });
    EXPECT_EQ(closeLoads, 1) << c.companionsMs;
    const size_t settled = skins.loads.size();
    form->Repaint_Status();
    EXPECT_EQ(skins.loads.size(), settled) << "a status picture is read from disk once";
  }
}

TEST_F(MainWindowTest, MissingSkinLeavesItsAreaEmptyAndCreationGoesOn) {
  skins.missing = {"\\logo.bmp", "\\cam-disabled.bmp"};
  mem.fs.AddFile(kApp + u"\\translation\\de-de.tlang3",
                 EncodeText(u"Form_Veilcap.Tray_Quit=Quit\r\nMESSAGES.MESSAGE_STATUS_PLEASEWAIT=Moment...\r\n",
                            TextEncoding::Utf16LE));
  mem.fs.AddFile(kApp + u"\\translation\\index.txt", {});
  TForm_Veilcap& f = Form();
  f.TarvoThreadTimer_TrayIconTimer();
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
    int dpi;
    TPoint at;
  };
  // The window and both distances grow with the scale: 753 x 498 at 150 %, 1004 x 664 at 200 %.
  for (const Case& c : {Case{{1920, 1080}, 96, {1402, 700}}, Case{{1024, 768}, 96, {506, 388}},
                        Case{{400, 300}, 96, {-118, -80}}, Case{{2880, 1620}, 144, {2103, 1050}},
                        Case{{3840, 2160}, 192, {2804, 1400}}, Case{{2400, 1350}, 120, {1752, 875}},
                        Case{{1920, 1080}, 0, {1402, 700}}})
    EXPECT_EQ(TForm_Veilcap::LowerRightPlacement(c.screen, DisplayScale(c.dpi)), c.at)
        << c.screen.cx << "x" << c.screen.cy << " at " << c.dpi;
  host.screen = {1280, 1024};
  Form().Handle_ShowRunningInstance();  // before the tray timer's first tick
  EXPECT_EQ(host.log.back(), "show 762,644");
  EXPECT_FALSE(Form().PellamMouseImage3State_Close->Picture.Empty()) << "shown without its title-bar pictures";
  host.screen = {2880, 1620};
  host.dpi = 144;
  Form().Handle_ShowRunningInstance();
  EXPECT_EQ(host.log.back(), "show 2103,1050");
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
  // At 200 % the buttons and their height are twice as far from the window's corner.
  host.dpi = 192;
  f.PellamMouseImage3State_HelpClick();
  EXPECT_EQ(host.log.back(), "popup AdvPopupMenu_Help at 2182,772: MenuItem_help_Help MenuItem_help_About ");
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

TEST_F(MainWindowTest, SaveOnOlderWindowsLeavesTheWindows10OptionsAlone) {
  Win10_or_later = false;
  TForm_Veilcap& f = Form();
  f.Tray_Flag_StartWithWindows->Click();
  EXPECT_EQ(autostart.calls, (std::vector<std::string>{"create"}));
  EXPECT_FALSE(Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue));
  EXPECT_FALSE(Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyMicValue));
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
  // The menu item and the quit request the setup program sends do the same.
  for (bool fromMenu : {true, false}) {
    form.reset();
    std::vector<std::string> calls;
    hooks.SetMonitorActive = [&](bool on) { calls.push_back(on ? "monitor on" : "monitor off"); };
    autostart.exists = true;
    autostart.createFails = true;
    autostart.calls.clear();
    TForm_Veilcap& f = Form();
    reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue, 7);  // the save writes it back
    host.log.clear();
    if (fromMenu)
      f.Tray_Quit->Click();
    else
      f.Handle_QuitRequest();
    EXPECT_EQ(calls, (std::vector<std::string>{"monitor off"})) << fromMenu;
    EXPECT_FALSE(f.TarvoThreadTimer_TrayIcon->Enabled());
    EXPECT_EQ(autostart.calls, (std::vector<std::string>{"create"}));
    EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue)->data, (std::vector<uint8_t>{1, 0, 0, 0}));
    EXPECT_EQ(host.log, (std::vector<std::string>{"error TASK.xml not found", "close"}));
  }
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

// The main thread's wait for the answer, on a clock of the test: no real time passes. When the
// main thread starts to wait, onWait runs (it opens the gate) and the wait lasts until the worker
// has answered; without onWait the limit passes at once.
class WaitClock final : public TimerClock {
 public:
  uint32_t NowMs() override { return now; }
  void Sleep(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t ms,
             const std::function<bool()>& wake) override {
    waits.push_back(ms);
    if (wake()) return;
    if (!onWait) {
      now += ms;
      return;
    }
    onWait();
    cv.wait(lock, wake);
  }
  void Park(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
            const std::function<bool()>& wake) override {
    cv.wait(lock, wake);
  }
  uint32_t now = 0;
  std::vector<uint32_t> waits;
  std::function<void()> onWait;
};

// The form is made without a dispatcher (its timers never tick); LOAD_OPTIONS then asks again
// with one, and the answer waits behind a gate that the test opens.
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
    SetTimerClock(&clock);
    autostart.calls.clear();
  }
  void TearDown() override {
    Open();
    if (!answered_) {
      EXPECT_TRUE(dispatcher->PumpOne()) << "the worker hands its answer to the main thread";
    }
    SetTimerClock(nullptr);
    MainWindowTest::TearDown();
  }
  void Open() {
    std::lock_guard<std::mutex> lock(gateM_);
    open_ = true;
    gateCv_.notify_all();
  }
  // The gate opens only once the main thread waits: an answer applied afterwards proves the wait.
  void OpenWhenWaited() {
    clock.onWait = [this] { Open(); };
  }
  static inline QueueDispatcher* dispatcher = new QueueDispatcher;
  WaitClock clock;
  bool answered_ = false;

 private:
  std::mutex gateM_;
  std::condition_variable gateCv_;
  bool open_ = false;
};

TEST_F(DeferredStartMark, TheMenuWaitsForTheAnswer) {
  TForm_Veilcap& f = *form;
  EXPECT_FALSE(f.Tray_Flag_StartWithWindows->Checked);
  EXPECT_FALSE(f.Tray_Flag_StartWithWindows->Enabled) << "not to be clicked while unknown";
  bool markAtPopup = false;
  host.choose = [&](TPopupMenu&) -> TMenuItem* {
    markAtPopup = f.Tray_Flag_StartWithWindows->Checked;
    return nullptr;
  };
  OpenWhenWaited();
  f.Tray_ContextMenu(10, 20);
  EXPECT_TRUE(markAtPopup);
  EXPECT_TRUE(f.Tray_Flag_StartWithWindows->Enabled);
  EXPECT_EQ(clock.waits, std::vector<uint32_t>{f.StartWithWindowsWaitMs});
}

TEST_F(DeferredStartMark, SavingWaitsAndThenKeepsTheTask) {
  OpenWhenWaited();
  form->SAVE_OPTIONS();
  EXPECT_EQ(autostart.calls, std::vector<std::string>{"create"}) << "an unknown mark would have deleted the task";
}

TEST_F(DeferredStartMark, NoAnswerInTimeLeavesTheTaskAloneButSavesTheRest) {
  form->SAVE_OPTIONS();
  EXPECT_EQ(clock.waits, std::vector<uint32_t>{15000u}) << "the limit of the wait";
  EXPECT_TRUE(autostart.calls.empty());
  EXPECT_NE(reg.Get(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue), nullptr);
}

TEST_F(DeferredStartMark, AnAnswerAfterQuitIsDropped) {
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
  const u16 savedSystem = SystemFolder;
  SystemFolder = u"C:\\Windows\\system32";
  shell.onShell = [](const FakeProcessShell::ShellCall&) { return 0u; };
  f.Tray_DeviceManager->Click();
  f.Tray_Privacy_webcam->Click();
  f.Tray_Privacy_Mic->Click();
  // Device Manager by the full paths of the console and its file, with the built environment.
  ASSERT_EQ(shell.started.size(), 1u);
  EXPECT_EQ(ToUtf8(shell.started[0].commandLine),
            "\"C:\\Windows\\System32\\mmc.exe\" \"C:\\Windows\\System32\\devmgmt.msc\"");
  EXPECT_FALSE(shell.started[0].environment.empty());
  ASSERT_EQ(shell.shellCalls.size(), 2u);
  EXPECT_EQ(shell.shellCalls[0].owner, reinterpret_cast<OwnerWindow>(0x1234));
  EXPECT_EQ(ToUtf8(shell.shellCalls[0].file), "ms-settings:privacy-webcam");
  EXPECT_EQ(ToUtf8(shell.shellCalls[1].file), "ms-settings:privacy-microphone");
  // A failing start is raised to the window's boundary, which shows it.
  shell.startProgramError = 2;
  EXPECT_THROW(f.Tray_DeviceManager->Click(), OsError);
  SystemFolder = savedSystem;
}

TEST_F(MainWindowTest, HelpOpensThroughTheDesktopShellOrShowsTheAddress) {
  TForm_Veilcap& f = Form();
  const std::string address = ToUtf8(OnlineHelpAddress(u"main"));
  const size_t before = host.log.size();
  f.MenuItem_help_Help->Click();
  EXPECT_EQ(shell.desktopShellOpens, std::vector<u16>{FromUtf8(address)});
  EXPECT_EQ(host.log.size(), before) << "no box when the desktop shell took the page";
  shell.desktopShellError = 0x80040154u;
  f.MenuItem_help_Help->Click();
  ASSERT_EQ(host.log.size(), before + 1);
  EXPECT_EQ(host.log.back(), "warning " + ToUtf8(ReplaceAll(MESSAGE_OPEN_PAGE_YOURSELF, u"%1", FromUtf8(address))));
  EXPECT_TRUE(EndsWith(FromUtf8(host.log.back()), u": " + FromUtf8(address)));
  EXPECT_EQ(shell.desktopShellOpens.size(), 2u);
  EXPECT_TRUE(shell.started.empty() && shell.shellCalls.empty()) << "never opened with Veilcap's rights";
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

// Keep-blocked with one webcam that the simulated PowerShell switches off unless it refuses.
class KeepBlockedWindowTest : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    savedTemp_ = UserTempFolder;
    UserTempFolder = u"C:\\Temp";
    mem.fs.AddDirectory(UserTempFolder);
    Plug(0);
    shell.onHidden = [this](const FakeProcessShell::HiddenRun&) {
      ++switchOffs;
      if (!refuses) Plug(22);
      return LimitedRun{};
    };
  }
  void TearDown() override {
    UserTempFolder = savedTemp_;
    MainWindowTest::TearDown();
  }
  void Plug(uint32_t problem) {
    present.devices = {FakePnpDevice::Make(kClassCamera, u"USB Video Device", u"USB\\VID_1&PID_2\\1")
                           .Dword(kDevKey_ProblemCode, problem)};
  }
  std::vector<std::string> Notices() const {
    std::vector<std::string> r;
    for (const auto& l : host.log)
      if (l.rfind("notice ", 0) == 0) r.push_back(l);
    return r;
  }
  int switchOffs = 0;
  bool refuses = false;

 private:
  u16 savedTemp_;
};

TEST_F(KeepBlockedWindowTest, ARefreshSwitchesOffWhatTheUserBlockedButNeverFightsTheUser) {
  struct Case {
    const char* what;
    bool option, recorded;
    int store;  // -1: nothing stored for the device
    bool refuses;
    int switchOffs;
    std::vector<std::string> notices;
    int32_t stateAfter;
  };
  const std::string kept = "notice Vostrel Veilcap: USB Video Device wurde angeschlossen und blockiert";
  const std::string failed =
      "notice Vostrel Veilcap: USB Video Device bleibt nicht blockiert. Veilcap l\xc3\xa4sst das Ger\xc3\xa4t bis zum "
      "n\xc3\xa4""chsten Anschlie\xc3\x9f""en in Ruhe.";
  const Case cases[] = {
      {"blocked kind, option on: switched off once, with a notice", true, true, -1, false, 1, {kept}, 2},
      {"option off", false, true, -1, false, 0, {}, 1},
      {"webcams last unblocked", true, false, -1, false, 0, {}, 1},
      {"the user unchecked the device", true, true, 0, false, 0, {}, 0},
      {"a device that does not stay off: two attempts, one report", true, true, -1, true, 2, {kept, failed}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form.reset();
    host.log.clear();
    Reg_DeleteValue(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue);
    Reg_DeleteValue(RegRoot::LocalMachine, kDeviceStoreKey, u"USB\\VID_1&PID_2\\1");
    Ledger_SetKindBlocked(LedgerKind::Cam, false);
    switchOffs = 0;
    refuses = c.refuses;
    Plug(0);
    if (c.option) reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue, 1);
    if (c.recorded) Ledger_SetKindBlocked(LedgerKind::Cam, true);
    if (c.store >= 0) reg.PutDword(RegRoot::LocalMachine, kDeviceStoreKey, u"USB\\VID_1&PID_2\\1", uint32_t(c.store));
    TForm_Veilcap& f = Form();
    f.TRAYICON_DONE = true;
    f.TarvoThreadTimer_StarterTimer();  // the first search
    EXPECT_EQ(switchOffs, c.switchOffs);
    EXPECT_EQ(Notices(), c.notices);
    EXPECT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, c.stateAfter);
    // An arrival or the refresh command afterwards: nothing more is tried or reported.
    f.Button_RefreshClick();
    EXPECT_EQ(switchOffs, c.switchOffs);
    EXPECT_EQ(Notices().size(), c.notices.size());
  }
}

// Keep-blocked takes the switching lock like a click: while another process holds it nothing is
// switched (and no attempt counted); the next refresh tries again.
TEST_F(KeepBlockedWindowTest, KeepBlockedWaitsForTheSwitchingLockOfAnotherProcess) {
  struct BusyLock final : SwitchingLock {
    bool TryAcquire() override {
      ++tries;
      if (busy) return false;
      ++held;
      return true;
    }
    void Release() override { --held; }
    bool busy = true;
    int tries = 0, held = 0;
  } lock;
  SetSwitchingLock(&lock);
  reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue, 1);
  Ledger_SetKindBlocked(LedgerKind::Cam, true);
  TForm_Veilcap& f = Form();
  f.TRAYICON_DONE = true;
  f.TarvoThreadTimer_StarterTimer();
  EXPECT_GE(lock.tries, 1);
  EXPECT_EQ(switchOffs, 0);
  EXPECT_TRUE(Notices().empty());
  lock.busy = false;
  f.Button_RefreshClick();
  EXPECT_EQ(switchOffs, 1);
  EXPECT_EQ(lock.held, 0);
  EXPECT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, kStateOff);
  SetSwitchingLock(nullptr);
}

TEST_F(KeepBlockedWindowTest, TheUsersCommandsAreRecordedAndAnUnblockStopsTheGuard) {
  reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue, 1);
  TForm_Veilcap& f = Form();
  f.TarvoThreadTimer_StarterTimer();
  EXPECT_EQ(switchOffs, 0);
  f.PellamMouseImage3State_WebCamClick();  // block
  EXPECT_TRUE(Ledger_KindBlocked(LedgerKind::Cam));
  EXPECT_FALSE(Ledger_KindBlocked(LedgerKind::Mic));
  EXPECT_EQ(switchOffs, 1);
  // While a device is switched, the kind's status line shows the wait text and neither picture
  // takes a click.
  std::string during;
  shell.onHidden = [this, &f, &during](const FakeProcessShell::HiddenRun&) {
    during = ToUtf8(f.Label_Status_Cam->Text()) + (f.PellamMouseImage3State_WebCam->Enabled ? " cam" : "") +
             (f.PellamMouseImage3State_Mic->Enabled ? " mic" : "");
    Plug(0);
    return LimitedRun{};
  };
  f.PellamMouseImage3State_WebCamClick();  // unblock
  EXPECT_EQ(during, "Bitte warten...");
  EXPECT_FALSE(Ledger_KindBlocked(LedgerKind::Cam));
  EXPECT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, 1);
  f.Button_RefreshClick();  // a camera plugged in after the unblock stays on
  EXPECT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, 1);
}

TEST_F(MainWindowTest, OptionsOfKeepBlockedAndHotkeysLoadAndSave) {
  Win10_or_later = false;  // neither depends on the Windows version
  TForm_Veilcap& f = Form();
  EXPECT_FALSE(f.Tray_Option_KeepBlocked->Checked);
  EXPECT_TRUE(f.Tray_Option_Hotkeys->Checked);
  EXPECT_EQ(f.HotkeyCam, kDefaultHotkeyCam);
  f.Tray_Option_KeepBlocked->Click();
  f.Tray_Option_Hotkeys->Click();
  EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue)->data, (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kOptionsKey, kHotkeysValue)->data, (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_EQ(ToUtf8(Reg_ReadString(RegRoot::LocalMachine, kOptionsKey, kHotkeyCamValue)), "Ctrl+Alt+Shift+C");
  EXPECT_EQ(ToUtf8(Reg_ReadString(RegRoot::LocalMachine, kOptionsKey, kHotkeyMicValue)), "Ctrl+Alt+Shift+M");

  // Texts written by an administrator are read at start and never overwritten, a bad one included.
  reg.PutString(RegRoot::LocalMachine, kOptionsKey, kHotkeyCamValue, u"win+f9");
  reg.PutString(RegRoot::LocalMachine, kOptionsKey, kHotkeyMicValue, u"M");
  reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue, 2);
  form.reset();
  TForm_Veilcap& g = Form();
  EXPECT_FALSE(g.Tray_Option_KeepBlocked->Checked);
  EXPECT_FALSE(g.Tray_Option_Hotkeys->Checked);
  EXPECT_EQ(g.HotkeyCam, (Hotkey{kHotkeyWin, 0x78}));
  EXPECT_EQ(g.HotkeyMic, kDefaultHotkeyMic);
  g.SAVE_OPTIONS();
  EXPECT_EQ(ToUtf8(Reg_ReadString(RegRoot::LocalMachine, kOptionsKey, kHotkeyMicValue)), "M");
}

TEST_F(MainWindowTest, HotkeysRegisterWithTheOptionReportATakenOneOnceAndToggleWithANotice) {
  std::vector<std::string> calls;
  std::set<int> taken = {kHotkeyIdMic};
  hooks.RegisterHotkey = [&](int id, const Hotkey& key) {
    calls.push_back("register " + std::to_string(id) + " " + ToUtf8(FormatHotkey(key)));
    return taken.count(id) == 0;
  };
  hooks.UnregisterHotkey = [&](int id) { calls.push_back("unregister " + std::to_string(id)); };
  TForm_Veilcap& f = Form();
  f.TRAYICON_DONE = true;
  f.TarvoThreadTimer_StarterTimer();
  EXPECT_EQ(calls, (std::vector<std::string>{"register 1 Ctrl+Alt+Shift+C", "register 2 Ctrl+Alt+Shift+M"}));
  const std::string takenNotice =
      "notice Vostrel Veilcap: Die Tastenkombination Ctrl+Alt+Shift+M wird schon von einem anderen Programm verwendet.";
  EXPECT_EQ(host.log.back(), takenNotice);

  // Off and on again: the webcam key is given up and taken anew, the taken one is not reported again.
  calls.clear();
  f.Tray_Option_Hotkeys->Click();
  f.Tray_Option_Hotkeys->Click();
  EXPECT_EQ(calls, (std::vector<std::string>{"unregister 1", "register 1 Ctrl+Alt+Shift+C", "register 2 Ctrl+Alt+Shift+M"}));
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), takenNotice), 1);

  // A press with no webcam connected runs the command (which does nothing) and says so.
  host.log.clear();
  f.HotkeyPressed(kHotkeyIdCam);
  EXPECT_EQ(host.log, (std::vector<std::string>{"notice Vostrel Veilcap: Keine Webcam angeschlossen"}));
  host.log.clear();
  f.Tray_Option_Hotkeys->Checked = false;
  f.HotkeyPressed(kHotkeyIdCam);
  f.HotkeyPressed(7);
  EXPECT_TRUE(host.log.empty());
}

// The organisation's policies in the tray program: each switch of the stand-in flips the camera.
class PolicyWindowTest : public KeepBlockedWindowTest {
 protected:
  void SetUp() override {
    KeepBlockedWindowTest::SetUp();
    shell.onHidden = [this](const FakeProcessShell::HiddenRun&) {
      ++switches;
      off = !off;
      Plug(off ? 22 : 0);
      return LimitedRun{};
    };
  }
  void SetPolicy(const char16_t* name, std::optional<uint32_t> v) {
    if (v)
      reg.PutDword(RegRoot::LocalMachine, kPolicyKey, name, *v);
    else
      Reg_DeleteValue(RegRoot::LocalMachine, kPolicyKey, name);
  }
  std::vector<std::string> Boxes() const {
    std::vector<std::string> r;
    for (const auto& l : host.log)
      if (l.rfind("warning ", 0) == 0 || l.rfind("error ", 0) == 0) r.push_back(l);
    return r;
  }
  TForm_Veilcap& Started() {
    TForm_Veilcap& f = Form();
    f.TRAYICON_DONE = true;
    f.TarvoThreadTimer_StarterTimer();
    return f;
  }
  int switches = 0;
  bool off = false;
};

TEST_F(PolicyWindowTest, BlockWebcamsSwitchesThemOffAtOnceAndRefusesClickAndHotkeyUntilRemoved) {
  // The user had unchecked the camera: no way around the policy.
  reg.PutDword(RegRoot::CurrentUser, kDeviceStoreKey, u"USB\\VID_1&PID_2\\1", 0);
  TForm_Veilcap& f = Started();
  EXPECT_EQ(switches, 0);
  EXPECT_FALSE(f.Tray_PolicyManaged->Visible);

  SetPolicy(u"BlockWebcams", 1);  // a Group Policy refresh while the program runs
  f.Policies_Changed();
  EXPECT_EQ(switches, 1);
  EXPECT_TRUE(off);
  EXPECT_TRUE(f.Tray_PolicyManaged->Visible);
  EXPECT_FALSE(f.Tray_PolicyManaged->Enabled);
  EXPECT_FALSE(Ledger_KindBlocked(LedgerKind::Cam)) << "the user's own last command stays as it was";

  reg.PutDword(RegRoot::CurrentUser, kDeviceStoreKey, u"USB\\VID_1&PID_2\\1", 1);
  f.Button_RefreshClick();
  ASSERT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, kStateOff);
  host.log.clear();
  f.PellamMouseImage3State_WebCamClick();
  f.HotkeyPressed(kHotkeyIdCam);
  EXPECT_EQ(switches, 1) << "no unblock ran";
  EXPECT_EQ(Boxes(), (std::vector<std::string>{"warning Von Ihrer Organisation blockiert",
                                               "warning Von Ihrer Organisation blockiert"}));
  EXPECT_TRUE(off);

  SetPolicy(u"BlockWebcams", std::nullopt);
  f.Policies_Changed();
  EXPECT_FALSE(f.Tray_PolicyManaged->Visible);
  EXPECT_TRUE(off) << "taking the policy away unblocks nothing by itself";
  f.PellamMouseImage3State_WebCamClick();
  EXPECT_FALSE(off);
  EXPECT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, kStateOn);
}

TEST_F(PolicyWindowTest, ForcedOptionsShowGreyedAndTheUsersChoiceIsKeptAndComesBack) {
  reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kHotkeysValue, 1);
  reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue, 0);
  SetPolicy(u"KeepBlocked", 1);
  SetPolicy(u"Hotkeys", 0);
  SetPolicy(u"ShowNotices", 0);
  SetPolicy(u"BlockWhileLocked", 1);
  SetPolicy(u"BlockMicrophones", 0);  // the user decides: nothing to show for it
  TForm_Veilcap& f = Form();
  struct Row {
    TMenuItem* item;
    bool forced, user;
    const char16_t* value;
  };
  const Row rows[] = {{f.Tray_Option_KeepBlocked, true, false, kKeepBlockedValue},
                      {f.Tray_Option_Hotkeys, false, true, kHotkeysValue},
                      {f.Tray_Option_ShowNotices, false, true, kShowNoticesValue},
                      {f.Tray_Option_BlockWhileLocked, true, false, kBlockWhileLockedValue}};
  for (const Row& r : rows) {
    SCOPED_TRACE(ToUtf8(r.item->Name));
    EXPECT_EQ(r.item->Checked, r.forced);
    EXPECT_FALSE(r.item->Enabled);
  }
  EXPECT_TRUE(f.Tray_PolicyManaged->Visible);
  f.Tray_Option_Privacy_Cam->Click();  // any option saves them all: the user's choices stay stored
  for (const Row& r : rows) {
    SCOPED_TRACE(ToUtf8(r.item->Name));
    const bool stored = Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, r.value)
                            ? Reg_ReadInteger(RegRoot::LocalMachine, kOptionsKey, r.value) == 1
                            : r.value == kShowNoticesValue;  // notices: on while nothing is stored
    EXPECT_EQ(stored, r.user);
  }
  host.log.clear();
  f.Notify(u"x");
  EXPECT_TRUE(Notices().empty()) << "notices forced off";

  reg.Put(RegRoot::LocalMachine, kPolicyKey, u"KeepBlocked", REG_TYPE_DWORD, {});  // not a DWORD any more
  for (const char16_t* n : {u"Hotkeys", u"ShowNotices", u"BlockWhileLocked", u"BlockMicrophones"}) SetPolicy(n, std::nullopt);
  f.Policies_Changed();
  for (const Row& r : rows) {
    SCOPED_TRACE(ToUtf8(r.item->Name));
    EXPECT_EQ(r.item->Checked, r.user);
    EXPECT_TRUE(r.item->Enabled);
  }
  EXPECT_FALSE(f.Tray_PolicyManaged->Visible);
}

// Lock and unlock with each starting state: what the lock blocks and what the unlock gives back.
TEST_F(PolicyWindowTest, ASessionLockBlocksTheWorkingKindAndTheUnlockGivesBackExactlyThat) {
  struct Case {
    const char* what;
    bool option, blockedBefore, policyWhileLocked;
    int switchesAtLock, switchesAtUnlock;
  };
  const Case cases[] = {
      {"camera on: blocked and given back", true, false, false, 1, 1},
      {"option off: nothing", false, false, false, 0, 0},
      {"blocked by the user before: left blocked", true, true, false, 0, 0},
      {"a policy set while locked: not given back", true, false, true, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form.reset();
    Reg_DeleteValue(RegRoot::LocalMachine, kPolicyKey, u"BlockWebcams");
    Ledger_SetKindBlocked(LedgerKind::Cam, false);
    reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kBlockWhileLockedValue, c.option ? 1 : 0);
    off = false;
    Plug(0);
    TForm_Veilcap& f = Started();
    if (c.blockedBefore) f.PellamMouseImage3State_WebCamClick();
    switches = 0;
    host.log.clear();
    f.Session_Changed(7);  // WTS_SESSION_LOCK
    EXPECT_EQ(switches, c.switchesAtLock);
    EXPECT_TRUE(f.SessionLocked());
    f.CommandBox(true, u"failed while locked");
    EXPECT_TRUE(Boxes().empty()) << "no box while locked";
    EXPECT_TRUE(Notices().empty()) << "no notice while locked";
    if (c.policyWhileLocked) SetPolicy(u"BlockWebcams", 1);
    f.Session_Changed(8);  // WTS_SESSION_UNLOCK
    EXPECT_EQ(switches, c.switchesAtLock + c.switchesAtUnlock);
    EXPECT_EQ(off, c.blockedBefore || (c.switchesAtLock > 0 && c.switchesAtUnlock == 0));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"error failed while locked"})) << "shown after the unlock";
    f.Session_Changed(8);
    EXPECT_EQ(switches, c.switchesAtLock + c.switchesAtUnlock) << "a second unlock gives nothing";
  }
}

TEST_F(KeepBlockedWindowTest, AHotkeyTogglesLikeAClickAndNoticesTheNewState) {
  const std::string question = "confirm Alle Webcams wieder einschalten? [Einschalten]";
  struct Case {
    const char* what;
    bool confirm;
    bool pressAgainWhileAsked;  // the same hotkey once more while the question is open
    std::vector<std::string> asked;
    std::string notice;  // after the unblock press; empty: none
    bool unblocked;
  } cases[] = {
      {"confirmed", true, false, {question}, "notice Vostrel Veilcap: Webcams eingeschaltet", true},
      {"cancelled: nothing switched, nothing told", false, false, {question}, "", false},
      {"a second press while asked is ignored", true, true, {question}, "notice Vostrel Veilcap: Webcams eingeschaltet",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    form.reset();
    host.log.clear();
    Ledger_SetKindBlocked(LedgerKind::Cam, false);
    switchOffs = 0;
    Plug(0);
    shell.onHidden = [this](const FakeProcessShell::HiddenRun&) {
      ++switchOffs;
      Plug(22);
      return LimitedRun{};
    };
    TForm_Veilcap& f = Form();
    f.TRAYICON_DONE = true;
    f.TarvoThreadTimer_StarterTimer();
    // Blocking never asks.
    f.HotkeyPressed(kHotkeyIdCam);
    EXPECT_EQ(switchOffs, 1);
    EXPECT_TRUE(Ledger_KindBlocked(LedgerKind::Cam));
    EXPECT_EQ(Notices(), (std::vector<std::string>{"notice Vostrel Veilcap: Webcams blockiert"}));
    int switchOns = 0;
    shell.onHidden = [&](const FakeProcessShell::HiddenRun&) {
      ++switchOns;
      Plug(0);
      return LimitedRun{};
    };
    host.confirm = c.confirm;
    host.duringConfirm = [&] {
      if (c.pressAgainWhileAsked) f.HotkeyPressed(kHotkeyIdCam);
    };
    host.log.clear();
    f.HotkeyPressed(kHotkeyIdCam);
    std::vector<std::string> asked;
    for (const auto& l : host.log)
      if (l.rfind("confirm ", 0) == 0) asked.push_back(l);
    EXPECT_EQ(asked, c.asked);
    EXPECT_EQ(switchOns, c.unblocked ? 1 : 0);
    EXPECT_EQ(Ledger_KindBlocked(LedgerKind::Cam), !c.unblocked);
    EXPECT_EQ(Notices(), c.notice.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.notice});
    host.duringConfirm = nullptr;
  }
}
}  // namespace

TEST_F(MainWindowTest, OptionsMenuHasItsShowItemBackBeforeTheChosenCommandRuns) {
  bool showItemDuringCommand = false;
  int commands = 0;
  hooks.ShowDevicesModal = [&] {
    ++commands;
    showItemDuringCommand = form->Tray_Show->Visible;
  };
  TForm_Veilcap& f = Form();
  host.choose = [&](TPopupMenu& menu) {
    EXPECT_EQ(&menu, f.AdvPopupMenu_Tray);
    return f.Tray_ShowDevices;
  };
  f.PellamMouseImage3State_OptionsClick();
  EXPECT_EQ(commands, 1);
  EXPECT_TRUE(showItemDuringCommand) << "the devices window opened while the tray menu lacked its show item";
  // The tray icon's context menu runs its chosen command the same way; closing without a choice runs none.
  f.Tray_ContextMenu(10, 20);
  EXPECT_EQ(commands, 2);
  host.choose = nullptr;
  f.Tray_ContextMenu(10, 20);
  EXPECT_EQ(commands, 2);
  EXPECT_EQ(host.log.back().rfind("popup AdvPopupMenu_Tray at 10,20: Tray_Show ", 0), 0u) << host.log.back();
}

TEST_F(MainWindowTest, PointerTargetsAndRestartMarkersThatSwallowClicks) {
  TForm_Veilcap& f = Form();
  struct Case {
    int x, y;
    bool markers;
    TControl* want;
  };
  const Case cases[] = {
      {136, 170, false, f.PellamMouseImage3State_WebCam},
      {136, 219, false, f.Label_Status_Cam},  // the status text does what the picture does
      {360, 170, false, f.PellamMouseImage3State_Mic},
      {482, 20, false, f.PellamMouseImage3State_Close},
      {290, 20, false, f.Image_Logo},  // the hidden message button leaves the banner, which drags
      {10, 320, false, nullptr},
      // Restart markers: picture and text lie on the big pictures and take the click for nothing.
      {100, 116, false, f.PellamMouseImage3State_WebCam},
      {100, 116, true, nullptr},
      {52, 118, true, nullptr},
      {300, 110, true, nullptr},
      {136, 170, true, f.PellamMouseImage3State_WebCam},
  };
  for (const Case& c : cases) {
    for (TControl* m : {static_cast<TControl*>(f.Image_RebootNeed_cam), static_cast<TControl*>(f.Label_RebootNeed_Cam),
                        static_cast<TControl*>(f.Image_RebootNeed_mic), static_cast<TControl*>(f.Label_RebootNeed_Mic)})
      m->Visible = c.markers;
    TControl* got = f.ControlAt(c.x, c.y);
    EXPECT_EQ(got, c.want) << c.x << "," << c.y << " markers " << c.markers << ": "
                           << (got ? ToUtf8(got->Name) : std::string("nothing"));
  }
}

TEST_F(MainWindowTest, AccessibleNamesSayKindStateAndWhatAPressDoes) {
  TForm_Veilcap& f = Form();
  EXPECT_EQ(ToUtf8(f.AccessibleName(*f.PellamMouseImage3State_WebCam)), "Bitte warten...") << "no counts before the search";
  f.Button_RefreshClick();
  SetCounts(2, 2, 1, 0);
  f.Veilcap->reboot_required_mics = 1;
  std::vector<std::string> announced;
  f.PellamMouseImage3State_WebCam->Changed = [&](TControl& c) { announced.push_back(ToUtf8(f.AccessibleName(c))); };
  f.Repaint_Status();
  ASSERT_FALSE(announced.empty()) << "the view hears of the new state";
  EXPECT_EQ(announced.back(), "Webcams: 2 von 2 bereit. Dr\xC3\xBC" "cken zum Sperren.");
  const std::pair<TControl*, const char*> names[] = {
      {f.PellamMouseImage3State_Mic, "Mikrofone: 0 von 1 bereit. Dr\xC3\xBC" "cken zum Freigeben. Neustart n\xC3\xB6tig"},
      {f.PellamMouseImage3State_IM, "Nachrichten"},
      {f.PellamMouseImage3State_Feedback, "Feedback"},
      {f.PellamMouseImage3State_Options, "Optionen"},
      {f.PellamMouseImage3State_Help, "Hilfe"},
      {f.PellamMouseImage3State_Minimize, "Minimieren"},
      {f.PellamMouseImage3State_Close, "Schlie\xC3\x9F" "en"},
      {f.Label_Status_Cam, ""},
  };
  for (const auto& [control, name] : names) EXPECT_EQ(ToUtf8(f.AccessibleName(*control)), name) << ToUtf8(control->Name);
  SetCounts(0, 0, 1, 0);
  f.Repaint_Status();
  EXPECT_EQ(announced.back(), "Webcams: keine angeschlossen.");
  // Every picture button is in the keyboard's order, the big pictures first.
  const auto order = f.FocusOrder();
  ASSERT_EQ(order.size(), 8u);
  EXPECT_EQ(order[0], f.PellamMouseImage3State_WebCam);
  EXPECT_EQ(order[1], f.PellamMouseImage3State_Mic);
  for (size_t i = 3; i < order.size(); ++i) EXPECT_LT(order[i - 1]->Left, order[i]->Left) << "title bar left to right";
}

namespace {
void PutUse(MemoryRegistry& reg, RegRoot root, DeviceKind kind, const u16& subKey, uint64_t start, uint64_t stop) {
  const auto q = [](uint64_t v) {
    std::vector<uint8_t> d;
    for (int i = 0; i < 8; ++i) d.push_back(uint8_t(v >> (8 * i)));
    return d;
  };
  reg.Put(root, ConsentStoreKey(kind) + u"\\" + subKey, u"LastUsedTimeStart", REG_TYPE_QWORD, q(start));
  reg.Put(root, ConsentStoreKey(kind) + u"\\" + subKey, u"LastUsedTimeStop", REG_TYPE_QWORD, q(stop));
}
std::vector<std::string> Notices(const std::vector<std::string>& log) {
  std::vector<std::string> n;
  for (const auto& l : log)
    if (l.rfind("notice ", 0) == 0) n.push_back(l);
  return n;
}
}  // namespace

TEST_F(MainWindowTest, InUseShowsInStatusTooltipAndIconAndANoticeOnlyForNewUses) {
  const u16 zoom = u"NonPackaged\\C:#Program Files#Zoom#bin#Zoom.exe";
  PutUse(reg, RegRoot::LocalMachine, DeviceKind::Microphone, u"Microsoft.SkypeApp_kzf8qxf38zg5c", 5, 0);
  TForm_Veilcap& f = Form();
  f.TarvoThreadTimer_TrayIconTimer();
  f.TarvoThreadTimer_StarterTimer();  // first search, then the first read: no notice for older uses
  EXPECT_EQ(ToUtf8(f.Label_Status_Mic->Text()), "Verwendet von Microsoft.SkypeApp");
  EXPECT_EQ(host.trayIcon, TrayIconKind::NoDeviceInUse);
  EXPECT_TRUE(Notices(host.log).empty());

  host.log.clear();
  PutUse(reg, RegRoot::CurrentUser, DeviceKind::Webcam, zoom, 100, 0);
  f.InUse_Changed();
  f.InUse_Changed();  // a second change event with nothing new
  EXPECT_EQ(ToUtf8(f.Label_Status_Cam->Text()), "Verwendet von Zoom");
  EXPECT_NE(ToUtf8(host.tooltip).find("\nWebcam verwendet von Zoom\nMikrofon verwendet von Microsoft.SkypeApp"),
            std::string::npos) << ToUtf8(host.tooltip);
  EXPECT_EQ(Notices(host.log), (std::vector<std::string>{"notice Vostrel Veilcap: Zoom verwendet jetzt die Webcam."}));

  // The use ends: the status line, the tooltip and the icon go back; no notice for an end.
  host.log.clear();
  PutUse(reg, RegRoot::CurrentUser, DeviceKind::Webcam, zoom, 100, 200);
  PutUse(reg, RegRoot::LocalMachine, DeviceKind::Microphone, u"Microsoft.SkypeApp_kzf8qxf38zg5c", 5, 9);
  f.InUse_Changed();
  EXPECT_EQ(ToUtf8(f.Label_Status_Cam->Text()), ToUtf8(MESSAGE_STATUS_CAM_NOTFOUND));
  EXPECT_EQ(host.trayIcon, TrayIconKind::NoDevice);
  EXPECT_EQ(host.tooltip.find(u"verwendet"), u16::npos);
  EXPECT_TRUE(Notices(host.log).empty());

  // With "Show notices" unchecked (and saved), a new use still shows but no notice comes.
  f.Tray_Option_ShowNotices->Click();
  EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kOptionsKey, kShowNoticesValue)->data, (std::vector<uint8_t>{0, 0, 0, 0}));
  PutUse(reg, RegRoot::CurrentUser, DeviceKind::Webcam, zoom, 300, 0);
  f.InUse_Changed();
  EXPECT_EQ(ToUtf8(f.Label_Status_Cam->Text()), "Verwendet von Zoom");
  EXPECT_TRUE(Notices(host.log).empty());
  f.Notify(u"direct");
  EXPECT_TRUE(Notices(host.log).empty());
  EXPECT_EQ(reg.OpenHandles(), 0);
}

// A hotkey right after logon, before the tray icon could be added: its notice is shown once the
// icon is there, not lost; the shell refusing the icon at first changes nothing about that.
TEST_F(MainWindowTest, ANoticeGivenBeforeTheTrayIconShowsWhenTheIconIsAdded) {
  TForm_Veilcap& f = Form();
  f.TarvoThreadTimer_StarterTimer();
  host.log.clear();
  f.HotkeyPressed(kHotkeyIdCam);
  const std::string notice = "notice Vostrel Veilcap: Keine Webcam angeschlossen";
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), notice), 0);
  host.trayFailures = 1;
  f.TarvoThreadTimer_TrayIconTimer();
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), notice), 0);
  f.TarvoThreadTimer_TrayIconTimer();
  const auto added = std::find(host.log.rbegin(), host.log.rend(), "add-tray");
  const auto shown = std::find(host.log.rbegin(), host.log.rend(), notice);
  ASSERT_NE(shown, host.log.rend());
  EXPECT_LT(shown - host.log.rbegin(), added - host.log.rbegin()) << "the notice comes after the icon";
  f.TarvoThreadTimer_TrayIconTimer();
  EXPECT_EQ(std::count(host.log.begin(), host.log.end(), notice), 1);
}

TEST_F(MainWindowTest, ShowNoticesIsCheckedUnlessStoredOffAndWrittenOnlyOnceTurnedOff) {
  struct Case {
    std::optional<uint32_t> stored;
    bool checked;
  };
  for (const Case& c : {Case{std::nullopt, true}, Case{1, true}, Case{0, false}, Case{7, false}}) {
    reg = MemoryRegistry();
    if (c.stored) reg.PutDword(RegRoot::LocalMachine, kOptionsKey, kShowNoticesValue, *c.stored);
    form.reset();
    TForm_Veilcap& f = Form();
    EXPECT_EQ(f.Tray_Option_ShowNotices->Checked, c.checked) << (c.stored ? int(*c.stored) : -1);
    f.SAVE_OPTIONS();
    const auto* v = reg.Get(RegRoot::LocalMachine, kOptionsKey, kShowNoticesValue);
    EXPECT_EQ(v != nullptr, c.stored.has_value());
    if (v) {
      EXPECT_EQ(v->data[0], c.checked ? 1 : 0);
    }
  }
}

// What a refresh finds without a click (a device plugged in or pulled out, a block run from a
// script) is told in a notice; the first search and a refresh that changes nothing tell nothing.
TEST_F(MainWindowTest, StateChangesNobodyClickedForAreToldInNotices) {
  struct Step {
    const char* what;
    std::vector<std::pair<const char16_t*, bool>> cams;  // instance id, blocked
    const char* notice;                                 // empty: none
  };
  const Step steps[] = {
      {"first search", {{u"USB\\CAM1", false}}, ""},
      {"nothing changed", {{u"USB\\CAM1", false}}, ""},
      {"blocked by a script", {{u"USB\\CAM1", true}}, "Die Webcam ist jetzt blockiert."},
      {"plugged in while blocked", {{u"USB\\CAM1", true}, {u"USB\\CAM2", false}},
       "Eine Webcam wurde angeschlossen, w\xc3\xa4hrend Webcams blockiert sind."},
      {"the blocked one pulled out", {{u"USB\\CAM2", false}}, ""},
      {"all pulled out", {}, "Keine Webcam angeschlossen"},
      {"plugged in again", {{u"USB\\CAM2", false}}, "Die Webcam ist jetzt eingeschaltet."},
  };
  TForm_Veilcap& f = Form();
  f.TarvoThreadTimer_TrayIconTimer();
  for (const Step& s : steps) {
    present.devices.clear();
    capture.video.entries.clear();
    for (const auto& [id, blocked] : s.cams) {
      const u16 name = u"Cam " + u16(id).substr(7);
      auto& d = present.devices.emplace_back(FakePnpDevice::Make(kClassCamera, name, id));
      if (blocked) d.Dword(kDevKey_ProblemCode, 22);
      capture.video.entries.push_back(CaptureEntry{name, u""});
    }
    host.log.clear();
    f.Button_RefreshClick();
    const std::vector<std::string> want =
        *s.notice ? std::vector<std::string>{std::string("notice Vostrel Veilcap: ") + s.notice}
                  : std::vector<std::string>{};
    EXPECT_EQ(Notices(host.log), want) << s.what;
  }
}

// Windows keeps an open stream alive after a block: the program still holding the webcam is
// named in one warning; without one the block ends silently.
TEST_F(MainWindowTest, ABlockThatLeavesAProgramUsingTheDeviceNamesIt) {
  for (const bool zoomRuns : {true, false}) {
    reg = MemoryRegistry();
    present.devices = {FakePnpDevice::Make(kClassCamera, u"Cam", u"USB\\CAM1")};
    capture.video.entries = {CaptureEntry{u"Cam", u""}};
    if (zoomRuns) PutUse(reg, RegRoot::CurrentUser, DeviceKind::Webcam, u"NonPackaged\\C:#Zoom#Zoom.exe", 100, 0);
    shell.onHidden = [&](const FakeProcessShell::HiddenRun&) {
      present.devices[0].Dword(kDevKey_ProblemCode, 22);
      return LimitedRun{};
    };
    form.reset();
    TForm_Veilcap& f = Form();
    f.Button_RefreshClick();
    host.log.clear();
    f.PellamMouseImage3State_WebCamClick();
    ASSERT_EQ(f.PellamMouseImage3State_WebCam->HelpContext, kStateOff) << zoomRuns;
    std::vector<std::string> boxes;
    for (const auto& l : host.log)
      if (l.rfind("warning ", 0) == 0 || l.rfind("error ", 0) == 0) boxes.push_back(l);
    const std::vector<std::string> want =
        zoomRuns ? std::vector<std::string>{"warning Die Webcam ist blockiert, aber Zoom verwendet sie noch. "
                                            "Schlie\xc3\x9f" "en Sie Zoom oder starten Sie es neu."}
                 : std::vector<std::string>{};
    EXPECT_EQ(boxes, want);
    EXPECT_TRUE(Notices(host.log).empty()) << "a notice for the user's own click";
  }
}

TEST_F(MainWindowTest, ATrayIconAddedAfterTheFirstSearchShowsWhatTheSearchFound) {
  TForm_Veilcap& f = Form();
  f.TarvoThreadTimer_StarterTimer();  // searched before the icon exists: no devices
  ASSERT_FALSE(f.TRAYICON_DONE);
  f.TarvoThreadTimer_TrayIconTimer();
  EXPECT_EQ(host.trayIcon, TrayIconKind::NoDevice);
}

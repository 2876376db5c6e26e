#include "ui/main_window.h"

#include "core/debug.h"
#include "core/errors.h"
#include "devices/ledger.h"
#include "lang/languages.h"
#include "lang/messages.h"
#include "lang/translate.h"
#include "online/online.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/runmode.h"
#include "ui/main_window_toggles.h"
#include "ui/options.h"

namespace {
constexpr int kTitleButtonSize = 32;
// How long after the tray timer the starter and the VI3 timer start.
constexpr uint32_t kStarterDelayMs = 100;

std::unique_ptr<TTarvoThreadTimer> MakeTimer(int32_t interval, std::function<void()> handler) {
  auto t = std::make_unique<TTarvoThreadTimer>();
  t->SetInterval(interval);
  t->OnTimer = [handler = std::move(handler)](TTarvoThreadTimer&) { handler(); };
  return t;
}
}  // namespace

SideCounters CamCounters(const TVeilcap& v) {
  return {v.current_cams, v.active_cams, v.reboot_required_cams, v.First_Cam_Name};
}
SideCounters MicCounters(const TVeilcap& v) {
  return {v.current_mics, v.active_mics, v.reboot_required_mics, v.First_Mic_Name};
}
SideTexts CamTexts() { return {MESSAGE_STATUS_CAM_NOTFOUND, MESSAGE_STATUS_CAM_MULTIPLE}; }
SideTexts MicTexts() { return {MESSAGE_STATUS_MIC_NOTFOUND, MESSAGE_STATUS_MIC_MULTIPLE}; }

template <class T>
T* TForm_Veilcap::AddControl(std::unique_ptr<T> c) {
  T* p = &Own(std::move(c));
  controls_.push_back(p);
  return p;
}

TPellamMouseImage3State* TForm_Veilcap::AddPictureButton(const char16_t* name, int left, int top, int size) {
  auto* b = AddControl(std::make_unique<TPellamMouseImage3State>(name, 0, left, top, size, size));
  b->HandCursor = true;
  b->Move_If_MousePressed = false;
  return b;
}

TForm_Veilcap::TForm_Veilcap(MainWindowHost& host, std::vector<u16> args, MainWindowHooks hooks)
    : TComponent(u"TForm_Veilcap", u"Form_Veilcap", 0),
      Host(host),
      Hooks(std::move(hooks)),
      args_(std::move(args)),
      startWithWindows_(std::make_unique<AutostartQuery>()) {
  Caption = AppTitle;
  Width = kMainClientWidth;

  // The frame: background with a one-pixel black outline.
  Shape1 = AddControl(std::make_unique<TControl>(u"TShape", u"Shape1", 0, 0, 0, kMainClientWidth, kMainClientHeight));
  Image_Logo = AddControl(std::make_unique<TImage>(u"Image_Logo", 0, 1, 1, 500, 64));
  Image_Logo->Stretch = true;
  PellamMouseImage3State_IM = AddPictureButton(u"PellamMouseImage3State_IM", 276, 4, kTitleButtonSize);
  PellamMouseImage3State_Feedback = AddPictureButton(u"PellamMouseImage3State_Feedback", 314, 4, kTitleButtonSize);
  PellamMouseImage3State_Options = AddPictureButton(u"PellamMouseImage3State_Options", 352, 4, kTitleButtonSize);
  PellamMouseImage3State_Help = AddPictureButton(u"PellamMouseImage3State_Help", 390, 4, kTitleButtonSize);
  PellamMouseImage3State_Minimize = AddPictureButton(u"PellamMouseImage3State_Minimize", 428, 4, kTitleButtonSize);
  PellamMouseImage3State_Close = AddPictureButton(u"PellamMouseImage3State_Close", 466, 4, kTitleButtonSize);
  PellamMouseImage3State_IM->Visible = false;
  PellamMouseImage3State_Feedback->Visible = false;

  PellamMouseImage3State_WebCam = AddControl(std::make_unique<TPellamMouseImage3State>(u"PellamMouseImage3State_WebCam", 0, 36, 94, 200, 205));
  PellamMouseImage3State_Mic = AddControl(std::make_unique<TPellamMouseImage3State>(u"PellamMouseImage3State_Mic", 0, 260, 94, 200, 205));
  for (auto* b : {PellamMouseImage3State_WebCam, PellamMouseImage3State_Mic}) {
    b->Transparent = true;
    b->HandCursor = true;
    b->Move_If_MousePressed = false;
  }
  Label_Status_Cam = AddControl(std::make_unique<TLabel>(u"Label_Status_Cam", 0, 40, 201, 192, 36, u"Please wait..."));
  Label_Status_Mic = AddControl(std::make_unique<TLabel>(u"Label_Status_Mic", 0, 268, 201, 192, 36, u"Please wait..."));
  for (auto* l : {Label_Status_Cam, Label_Status_Mic}) {
    l->Alignment = TAlignment::Center;
    l->CenterVertically = true;
    l->WordWrap = true;
    l->HandCursor = true;
    l->AutoSize = false;
  }
  Image_RebootNeed_cam = AddControl(std::make_unique<TImage>(u"Image_RebootNeed_cam", 0, 44, 110, 16, 16));
  Label_RebootNeed_Cam = AddControl(std::make_unique<TLabel>(u"Label_RebootNeed_Cam", 1, 64, 106, 168, 20, u"Neustart nötig"));
  Image_RebootNeed_mic = AddControl(std::make_unique<TImage>(u"Image_RebootNeed_mic", 0, 270, 110, 16, 16));
  Label_RebootNeed_Mic = AddControl(std::make_unique<TLabel>(u"Label_RebootNeed_Mic", 1, 290, 106, 168, 20, u"Neustart nötig"));
  for (auto* i : {Image_RebootNeed_cam, Image_RebootNeed_mic}) {
    i->Center = true;
    i->Visible = false;
  }
  for (auto* l : {Label_RebootNeed_Cam, Label_RebootNeed_Mic}) {
    l->CenterVertically = true;
    l->Visible = false;
    l->AutoSize = false;
  }
  Button_Refresh = AddControl(std::make_unique<TButton>(u"Button_Refresh", 0, 393, 41, 101, 20, u"Refresh"));
  Button_Refresh->Visible = false;

  // The tray menu; the settings button opens it too, without its first item.
  AdvPopupMenu_Tray = &Own(std::make_unique<TPopupMenu>(u"AdvPopupMenu_Tray", 1));
  TPopupMenu& t = *AdvPopupMenu_Tray;
  Tray_Show = &t.AddItem(u"Tray_Show", 1, u"Anzeigen");
  Tray_Show->Default = true;
  Tray_ShowDevices = &t.AddItem(u"Tray_ShowDevices", 1, u"Entdeckte Geräte");
  Tray_RefreshDevices = &t.AddItem(u"Tray_RefreshDevices", 1, u"Geräte jetzt neu einlesen");
  Tray_DeviceManager = &t.AddItem(u"Tray_DeviceManager", 1, u"Gerätemanager öffnen");
  t.AddItem(u"N1", 0, u"-");
  Tray_Options = &t.AddItem(u"Tray_Options", 1, u"Optionen");
  Tray_NoPhysicalCameraLED = &Tray_Options->AddItem(u"Tray_NoPhysicalCameraLED", 1, u"Windows 10 soll einen Hinweis zeigen sobald Webcam aktiv/inaktiv ist");
  Tray_NoPhysicalCameraLED->AutoCheck = true;
  Tray_Privacy_webcam = &Tray_Options->AddItem(u"Tray_Privacy_webcam", 1, u"Datenschutz-Einstellungen für Webcam (Windows)");
  Tray_Privacy_Mic = &Tray_Options->AddItem(u"Tray_Privacy_Mic", 1, u"Datenschutz-Einstellungen für Mikrofon (Windows)");
  Tray_Options->AddItem(u"N3", 0, u"-");
  Tray_Option_Privacy_Cam = &Tray_Options->AddItem(u"Tray_Option_Privacy_Cam", 1, u"Change Webcam privacy settings (recommended)");
  Tray_Option_Privacy_Mic = &Tray_Options->AddItem(u"Tray_Option_Privacy_Mic", 1, u"Change Microphone privacy settings (recommended)");
  Tray_Options->AddItem(u"N4", 0, u"-");
  Tray_Option_ShowNotices = &Tray_Options->AddItem(u"Tray_Option_ShowNotices", 1, u"Hinweise anzeigen");
  for (auto* i : {Tray_Option_Privacy_Cam, Tray_Option_Privacy_Mic, Tray_Option_ShowNotices}) {
    i->AutoCheck = true;
    i->Checked = true;
  }
  Tray_Option_KeepBlocked = &Tray_Options->AddItem(u"Tray_Option_KeepBlocked", 1, u"Blockiert halten");
  Tray_Option_Hotkeys = &Tray_Options->AddItem(u"Tray_Option_Hotkeys", 1, u"Tastenkombinationen");
  Tray_Option_KeepBlocked->AutoCheck = true;
  Tray_Option_Hotkeys->AutoCheck = true;
  Tray_Option_Hotkeys->Checked = true;
  Tray_Option_BlockWhileLocked = &Tray_Options->AddItem(u"Tray_Option_BlockWhileLocked", 1, u"Bei Sperre blockieren");
  Tray_Option_BlockWhileLocked->AutoCheck = true;
  Tray_Flag_StartWithWindows = &t.AddItem(u"Tray_Flag_StartWithWindows", 1, u"Beim Windows-Start ausführen");
  Tray_Flag_StartWithWindows->AutoCheck = true;
  Tray_Lang = &t.AddItem(u"Tray_Lang", 1, u"Sprache");
  // Shown, greyed, while a policy of the organisation is set.
  Tray_PolicyManaged = &t.AddItem(u"Tray_PolicyManaged", 1, u"Einige Einstellungen werden von Ihrer Organisation verwaltet");
  Tray_PolicyManaged->Enabled = false;
  Tray_PolicyManaged->Visible = false;
  t.AddItem(u"N2", 0, u"-");
  Tray_Quit = &t.AddItem(u"Tray_Quit", 1, u"Beenden");

  AdvPopupMenu_Help = &Own(std::make_unique<TPopupMenu>(u"AdvPopupMenu_Help", 1));
  MenuItem_help_Help = &AdvPopupMenu_Help->AddItem(u"MenuItem_help_Help", 1, u"Hilfe");
  MenuItem_help_About = &AdvPopupMenu_Help->AddItem(u"MenuItem_help_About", 1, u"Über diese Software");
  AdvPopupMenu_IM = &Own(std::make_unique<TPopupMenu>(u"AdvPopupMenu_IM", 0));
  AdvPopupMenu_IM->AddItem(u"MenuItem_IM_Dummy", 0, u"dummy");

  // Handlers.
  PellamMouseImage3State_Close->OnClick = [this] { PellamMouseImage3State_CloseClick(); };
  PellamMouseImage3State_Minimize->OnClick = [this] { PellamMouseImage3State_MinimizeClick(); };
  PellamMouseImage3State_Help->OnClick = [this] { PellamMouseImage3State_HelpClick(); };
  PellamMouseImage3State_Options->OnClick = [this] { PellamMouseImage3State_OptionsClick(); };
  PellamMouseImage3State_Feedback->OnClick = [this] { PellamMouseImage3State_FeedbackClick(); };
  PellamMouseImage3State_IM->OnClick = [this] { PellamMouseImage3State_IMClick(); };
  PellamMouseImage3State_WebCam->OnClick = [this] { PellamMouseImage3State_WebCamClick(); };
  PellamMouseImage3State_Mic->OnClick = [this] { PellamMouseImage3State_MicClick(); };
  Label_Status_Cam->OnClick = [this] { PellamMouseImage3State_WebCamClick(); };
  Label_Status_Mic->OnClick = [this] { PellamMouseImage3State_MicClick(); };
  Button_Refresh->OnClick = [this] { Button_RefreshClick(); };
  Tray_Show->OnClick = [this] { Tray_ShowClick(); };
  Tray_ShowDevices->OnClick = [this] { Tray_ShowDevicesClick(); };
  Tray_RefreshDevices->OnClick = [this] { Button_RefreshClick(); };
  Tray_DeviceManager->OnClick = [this] { Tray_DeviceManagerClick(); };
  Tray_NoPhysicalCameraLED->OnClick = [this] { Tray_NoPhysicalCameraLEDClick(); };
  Tray_Privacy_webcam->OnClick = [this] { Tray_Privacy_webcamClick(); };
  Tray_Privacy_Mic->OnClick = [this] { Tray_Privacy_MicClick(); };
  Tray_Option_Privacy_Cam->OnClick = [this] { Tray_Option_Privacy_CamClick(); };
  Tray_Option_Privacy_Mic->OnClick = [this] { Tray_Option_Privacy_MicClick(); };
  Tray_Flag_StartWithWindows->OnClick = [this] { Tray_Flag_StartWithWindowsClick(); };
  Tray_Option_ShowNotices->OnClick = [this] { Tray_Option_ShowNoticesClick(); };
  Tray_Option_KeepBlocked->OnClick = [this] { Tray_Option_KeepBlockedClick(); };
  Tray_Option_Hotkeys->OnClick = [this] { Tray_Option_HotkeysClick(); };
  Tray_Option_BlockWhileLocked->OnClick = [this] { Tray_Option_BlockWhileLockedClick(); };
  Tray_Quit->OnClick = [this] { Tray_QuitClick(); };
  MenuItem_help_Help->OnClick = [this] { MenuItem_help_HelpClick(); };
  MenuItem_help_About->OnClick = [this] { MenuItem_help_AboutClick(); };

  TarvoThreadTimer_TrayIcon = MakeTimer(100, [this] { TarvoThreadTimer_TrayIconTimer(); });
  TarvoThreadTimer_VI3 = MakeTimer(3000, [this] { TarvoThreadTimer_VI3Timer(); });
  TarvoThreadTimer_Starter = MakeTimer(100, [this] { TarvoThreadTimer_StarterTimer(); });
}

TForm_Veilcap::~TForm_Veilcap() {
  // Stop the timers first: no tick may reach a window that is going away. Nor may an answer of
  // the task scheduler.
  startWithWindows_->Drop();
  TarvoThreadTimer_TrayIcon.reset();
  TarvoThreadTimer_VI3.reset();
  TarvoThreadTimer_Starter.reset();
}

void TForm_Veilcap::LoadSkin(TPicture& picture, const char16_t* name) {
  const u16 path = SkinsFolder + name;
  if (const auto known = skins_.find(path); known != skins_.end()) {
    picture.Assign(known->second);
    return;
  }
  try {
    picture.LoadFromFile(path);
    skins_[path] = picture;
  } catch (const OsError& e) {
    picture.Clear();
    DebugOut(u"Skin picture not loaded: " + path + u" (" + e.Message() + u")");
  }
}

void TForm_Veilcap::LoadButtonSkins(TPellamMouseImage3State& button, const char16_t* normal,
                                    const char16_t* highlight) {
  LoadSkin(button.Picture_Normal, normal);
  LoadSkin(button.Picture_Highlight, highlight);
  button.Picture_Pressed.Assign(button.Picture_Normal);  // the pressed picture is the normal file
  button.Show_Normal();
}

void TForm_Veilcap::FormCreate() {
  TRAYICON_DONE = false;
  Veilcap = std::make_unique<TVeilcap>();
  LOAD_OPTIONS();

  // The tray icon is added on this timer's first tick, 100 ms from now, and the starter follows it
  // by those 100 ms. The rest of the creation happens within them instead of after them.
  TarvoThreadTimer_TrayIcon->SetEnabled(true);
  const uint32_t waitStart = Host.NowMs();
  Repaint_Status();
  LOAD_TRANSLATION_TO_FORM(AppFolder + u"\\translation", CurrentLanguage, *this);
  Label_Status_Cam->SetCaption(MESSAGE_STATUS_PLEASEWAIT);
  Label_Status_Mic->SetCaption(MESSAGE_STATUS_PLEASEWAIT);
  if (Hooks.CreateCompanions) Hooks.CreateCompanions();
  const uint32_t spent = Host.NowMs() - waitStart;
  if (spent < kStarterDelayMs) Host.Sleep(kStarterDelayMs - spent);
  TarvoThreadTimer_VI3->SetEnabled(true);
  TarvoThreadTimer_Starter->SetEnabled(true);
}

void TForm_Veilcap::Load_WindowPictures() {
  if (windowPicturesLoaded_) return;
  windowPicturesLoaded_ = true;
  LoadSkin(Image_Logo->Picture, u"\\logo.bmp");
  Image_Logo->Refresh();
  LoadButtonSkins(*PellamMouseImage3State_Close, u"\\but_close.png", u"\\but_close_hover.png");
  LoadButtonSkins(*PellamMouseImage3State_Minimize, u"\\but_minimize.png", u"\\but_minimize_hover.png");
  LoadButtonSkins(*PellamMouseImage3State_Help, u"\\but_help_normal.png", u"\\but_help_hover.png");
  LoadButtonSkins(*PellamMouseImage3State_Options, u"\\but_settings_normal.png", u"\\but_settings_hover.png");
  LoadButtonSkins(*PellamMouseImage3State_IM, u"\\but_internet_normal.png", u"\\but_internet_hover.png");
  LoadButtonSkins(*PellamMouseImage3State_Feedback, u"\\but_feedback_normal.png", u"\\but_feedback_hover.png");
  LoadSkin(Image_RebootNeed_cam->Picture, u"\\icon_reboot.png");
  // The microphone marker shows the same picture, so both markers look alike.
  Image_RebootNeed_mic->Picture.Assign(Image_RebootNeed_cam->Picture);
  if (Hooks.BuildLanguageMenu) Hooks.BuildLanguageMenu(*Tray_Lang);
}

void TForm_Veilcap::PaintSide(const SideCounters& counters, const SideTexts& texts, const SidePictures& pictures,
                              TPellamMouseImage3State& button, TLabel& label, TImage& rebootImage,
                              TLabel& rebootLabel) {
  const SideStatus s = Decide_SideStatus(counters, texts, pictures);
  button.HelpContext = s.state;
  button.SetEnabled(s.buttonEnabled);
  label.SetCaption(s.text);
  TPicture picture;
  LoadSkin(picture, s.pictureFile.c_str());
  button.Picture_Normal.Assign(picture);
  button.Picture_Highlight.Assign(picture);
  button.Picture_Pressed.Assign(picture);
  button.Show_Normal();
  rebootImage.SetVisible(s.rebootMarkerVisible);
  rebootLabel.SetVisible(s.rebootMarkerVisible);
}

void TForm_Veilcap::Repaint_Status() {
  PaintSide(CamCounters(*Veilcap), CamTexts(), kCamPictures, *PellamMouseImage3State_WebCam, *Label_Status_Cam,
            *Image_RebootNeed_cam, *Label_RebootNeed_Cam);
  PaintSide(MicCounters(*Veilcap), MicTexts(), kMicPictures, *PellamMouseImage3State_Mic, *Label_Status_Mic,
            *Image_RebootNeed_mic, *Label_RebootNeed_Mic);
  // Who uses a device matters more than its name: the line under its picture says so.
  const std::pair<DeviceKind, TLabel*> lines[] = {{DeviceKind::Webcam, Label_Status_Cam},
                                                  {DeviceKind::Microphone, Label_Status_Mic}};
  for (const auto& [kind, label] : lines) {
    const std::vector<DeviceUse>& uses = CurrentInUse.Of(kind);
    if (uses.empty()) continue;
    TLabel& l = *label;
    l.SetCaption(Fit_InUseLine(MESSAGE_STATUS_INUSE, uses, [&](const u16& text) { return Host.LabelTextFits(l, text); }));
  }
  if (!TRAYICON_DONE) return;
  const bool inUse = !CurrentInUse.webcam.empty() || !CurrentInUse.microphone.empty();
  CurrentTrayIcon =
      Choose_TrayIcon(PellamMouseImage3State_WebCam->HelpContext, PellamMouseImage3State_Mic->HelpContext, inUse);
  Host.UpdateTrayIcon(CurrentTrayIcon, TrayTooltipText());
}

u16 TForm_Veilcap::TrayTooltipText() const {
  if (!searched_ || !Veilcap) return AppTitle + u"\n" + MESSAGE_STATUS_PLEASEWAIT;
  const auto inUseLine = [this](DeviceKind kind, const u16& templ) {
    const u16 names = Join_UseNames(CurrentInUse.Of(kind));
    return names.empty() ? u16() : ReplaceAll(templ, u"%1", names);
  };
  return TrayTooltip(AppTitle, CamCounters(*Veilcap), CamTexts(), MicCounters(*Veilcap), MicTexts(),
                     inUseLine(DeviceKind::Webcam, MESSAGE_TRAY_CAM_INUSE),
                     inUseLine(DeviceKind::Microphone, MESSAGE_TRAY_MIC_INUSE));
}

void TForm_Veilcap::Notify(const u16& text) {
  if (!Tray_Option_ShowNotices->Checked || lock_.Locked()) return;
  DebugOut(u"Notice: " + text);
  // Before the icon is there (a hotkey right after logon) the notice waits for it.
  if (!TRAYICON_DONE) {
    if (pendingNotices_.size() < kPendingNoticesMax) pendingNotices_.push_back(text);
    return;
  }
  Host.ShowNotice(AppTitle, text);
}

bool TForm_Veilcap::TogglesRunning() const { return toggles_ && toggles_->Running(); }

void TForm_Veilcap::InUse_Changed() {
  if (!Veilcap) return;
  InUse now = Read_InUse();
  if (inUseRead_) {
    const std::pair<DeviceKind, const u16*> kinds[] = {{DeviceKind::Webcam, &MESSAGE_NOTICE_CAM_STARTED},
                                                       {DeviceKind::Microphone, &MESSAGE_NOTICE_MIC_STARTED}};
    for (const auto& [kind, templ] : kinds) {
      const std::vector<DeviceUse> started = Started_Uses(CurrentInUse.Of(kind), now.Of(kind));
      if (!started.empty()) Notify(ReplaceAll(*templ, u"%1", Join_UseNames(started)));
    }
  }
  inUseRead_ = true;
  CurrentInUse = std::move(now);
  // A running block or unblock owns the status lines until its closing refresh repaints them.
  if (!TogglesRunning()) Repaint_Status();
}

void TForm_Veilcap::NoticeStateChange(DeviceKind kind, int32_t before, int32_t after, int32_t devicesBefore,
                                      int32_t devicesAfter) {
  const bool cam = kind == DeviceKind::Webcam;
  // A new device while its kind was blocked: it may work until blocked too, whatever the state says.
  if (before == kStateOff && devicesAfter > devicesBefore)
    Notify(cam ? MESSAGE_NOTICE_CAM_ARRIVED : MESSAGE_NOTICE_MIC_ARRIVED);
  else if (before == after)
    return;
  else if (after == kStateOn)
    Notify(cam ? MESSAGE_NOTICE_CAM_ON : MESSAGE_NOTICE_MIC_ON);
  else if (after == kStateOff)
    Notify(cam ? MESSAGE_NOTICE_CAM_OFF : MESSAGE_NOTICE_MIC_OFF);
  else
    Notify(cam ? MESSAGE_STATUS_CAM_NOTFOUND : MESSAGE_STATUS_MIC_NOTFOUND);
}

void TForm_Veilcap::Show_DevicesNeedReboot() { Host.WarningBox(MESSAGE_STATUS_NEED_RESTART); }

void TForm_Veilcap::LOAD_OPTIONS() {
  // The scheduler's query takes long; start-up does not wait for it.
  Tray_Flag_StartWithWindows->Checked = false;
  Tray_Flag_StartWithWindows->Enabled = false;
  startWithWindows_->Start([] { return Autostart().Exists(); },
                           [this](bool exists) {
                             Tray_Flag_StartWithWindows->Checked = exists;
                             Tray_Flag_StartWithWindows->Enabled = true;
                           });
  if (Win10_or_later) {
    Tray_NoPhysicalCameraLED->Checked =
        Reg_ReadInteger(RegRoot::LocalMachine, kCaptureKey, kNoPhysicalCameraLEDValue) == 1;
  } else {
    Tray_NoPhysicalCameraLED->Enabled = false;
  }
  if (Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, kShowNoticesValue))
    Tray_Option_ShowNotices->Checked = Reg_ReadInteger(RegRoot::LocalMachine, kOptionsKey, kShowNoticesValue) == 1;
  const std::pair<TMenuItem*, const char16_t*> privacy[] = {{Tray_Option_Privacy_Cam, kBlockPrivacyCamValue},
                                                           {Tray_Option_Privacy_Mic, kBlockPrivacyMicValue}};
  for (const auto& [item, value] : privacy) {
    item->Checked = Load_PrivacyOption(value);
    if (!Win10_or_later) item->Enabled = false;
  }
  // Keep-blocked and the hotkeys do not depend on the Windows version.
  Tray_Option_KeepBlocked->Checked = Reg_ReadInteger(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue) == 1;
  if (Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, kHotkeysValue))
    Tray_Option_Hotkeys->Checked = Reg_ReadInteger(RegRoot::LocalMachine, kOptionsKey, kHotkeysValue) != 0;
  Tray_Option_BlockWhileLocked->Checked =
      Reg_ReadInteger(RegRoot::LocalMachine, kOptionsKey, kBlockWhileLockedValue) == 1;
  HotkeyCam = HotkeyOrDefault(Reg_ReadString(RegRoot::LocalMachine, kOptionsKey, kHotkeyCamValue), kDefaultHotkeyCam);
  HotkeyMic = HotkeyOrDefault(Reg_ReadString(RegRoot::LocalMachine, kOptionsKey, kHotkeyMicValue), kDefaultHotkeyMic);
  // The user's choices are loaded; a policy forces its option over them.
  userChoice_.clear();
  Apply_Policies(Read_Policies());
}

bool TForm_Veilcap::StoredChoice(const TMenuItem* item) const {
  const auto it = userChoice_.find(const_cast<TMenuItem*>(item));
  return it != userChoice_.end() ? it->second : item->Checked;
}

void TForm_Veilcap::Apply_Policies(const Policies& p) {
  policies_ = p;
  const std::pair<TMenuItem*, PolicyId> forcible[] = {{Tray_Option_BlockWhileLocked, PolicyId::BlockWhileLocked},
                                                      {Tray_Option_KeepBlocked, PolicyId::KeepBlocked},
                                                      {Tray_Option_Hotkeys, PolicyId::Hotkeys},
                                                      {Tray_Option_ShowNotices, PolicyId::ShowNotices}};
  for (const auto& [item, id] : forcible) {
    const auto forced = p.Get(id);
    auto own = userChoice_.find(item);
    if (forced) {
      if (own == userChoice_.end()) userChoice_.emplace(item, item->Checked);
      item->Checked = *forced;
      item->Enabled = false;
    } else if (own != userChoice_.end()) {
      item->Checked = own->second;
      item->Enabled = true;
      userChoice_.erase(own);
    }
  }
  Tray_PolicyManaged->Visible = p.Any();
}

void TForm_Veilcap::Policies_Changed() {
  const Policies now = Read_Policies();
  if (now == policies_) return;
  DebugOut(u"Policies changed: " + PolicyJson(now));
  Apply_Policies(now);
  Apply_Hotkeys();
  // A kind a policy blocks now is switched off by the refresh's keep-blocked pass.
  if (!TogglesRunning() && searched_) Button_RefreshClick();
}

bool TForm_Veilcap::Await_StartWithWindows(uint32_t limitMs) { return startWithWindows_->Await(limitMs); }

void TForm_Veilcap::SAVE_OPTIONS() {
  // The task comes first; when it cannot be created the registry options are still written and
  // the failure is reported afterwards. No task is created or deleted on a guess.
  std::exception_ptr taskFailure;
  if (!Await_StartWithWindows(StartWithWindowsWaitMs)) {
    DebugOut(u"Autostart task left alone: the task scheduler has not answered");
  } else {
    try {
      if (Tray_Flag_StartWithWindows->Checked) {
        const TaskCreation created = Autostart().Create();
        if (created != TaskCreation::Created) {
          Tray_Flag_StartWithWindows->Checked = Autostart().Exists();
          RaiseUnlessCreated(created);
        }
      } else {
        Autostart().Delete();
      }
    } catch (const OsError&) {
      taskFailure = std::current_exception();
    }
  }
  if (Win10_or_later) {
    if (Tray_NoPhysicalCameraLED->Checked)
      Reg_WriteInteger(RegRoot::LocalMachine, kCaptureKey, kNoPhysicalCameraLEDValue, 1);
    else
      Reg_DeleteValue(RegRoot::LocalMachine, kCaptureKey, kNoPhysicalCameraLEDValue);
    Reg_WriteInteger(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyCamValue, Tray_Option_Privacy_Cam->Checked ? 1 : 0);
    Reg_WriteInteger(RegRoot::LocalMachine, kOptionsKey, kBlockPrivacyMicValue, Tray_Option_Privacy_Mic->Checked ? 1 : 0);
  }
  // Notices are on unless turned off: the value is written once the user has turned them off, and
  // kept up to date from then on, on every Windows version.
  // An option a policy forces keeps the user's own choice in the registry.
  const bool showNotices = StoredChoice(Tray_Option_ShowNotices);
  if (!showNotices || Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, kShowNoticesValue))
    Reg_WriteInteger(RegRoot::LocalMachine, kOptionsKey, kShowNoticesValue, showNotices ? 1 : 0);
  Reg_WriteInteger(RegRoot::LocalMachine, kOptionsKey, kKeepBlockedValue, StoredChoice(Tray_Option_KeepBlocked) ? 1 : 0);
  Reg_WriteInteger(RegRoot::LocalMachine, kOptionsKey, kHotkeysValue, StoredChoice(Tray_Option_Hotkeys) ? 1 : 0);
  Reg_WriteInteger(RegRoot::LocalMachine, kOptionsKey, kBlockWhileLockedValue,
                   StoredChoice(Tray_Option_BlockWhileLocked) ? 1 : 0);
  // The hotkey texts are written once, so that an administrator finds them; a text written by
  // hand is never replaced, not even one that is no hotkey.
  const std::pair<const char16_t*, const Hotkey*> hotkeys[] = {{kHotkeyCamValue, &HotkeyCam}, {kHotkeyMicValue, &HotkeyMic}};
  for (const auto& [value, key] : hotkeys)
    if (!Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, value))
      Reg_WriteString(RegRoot::LocalMachine, kOptionsKey, value, FormatHotkey(*key));
  if (taskFailure) std::rethrow_exception(taskFailure);
}

TPoint TForm_Veilcap::LowerRightPlacement(TSize screen, const DisplayScale& scale) {
  return {screen.cx - scale.Px(kMainClientWidth) - scale.Px(16), screen.cy - scale.Px(kMainClientHeight) - scale.Px(48)};
}

void TForm_Veilcap::Tray_ShowClick() {
  Load_WindowPictures();  // a second start may ask for the window before the tray icon is there
  const TPoint p = LowerRightPlacement(Host.ScreenSize(), DisplayScale(Host.Dpi()));
  Host.ShowAt(p.x, p.y);
  Show_OnlineButtons();
}

void TForm_Veilcap::Handle_ShowRunningInstance() { Tray_Show->Click(); }
// What the tray menu's quit does, asked for from outside (the setup program before it replaces files).
void TForm_Veilcap::Handle_QuitRequest() { Tray_Quit->Click(); }

void TForm_Veilcap::SearchAndShow() {
  DebugOut(u"VLCP: device search");
  Veilcap->Search();
  searched_ = true;
  if (Hooks.RebuildDeviceList) Hooks.RebuildDeviceList();
  Repaint_Status();
}

void TForm_Veilcap::Button_RefreshClick() {
  const int32_t camBefore = PellamMouseImage3State_WebCam->HelpContext;
  const int32_t micBefore = PellamMouseImage3State_Mic->HelpContext;
  const int32_t camsBefore = Veilcap->current_cams, micsBefore = Veilcap->current_mics;
  const bool first = !searched_;
  SearchAndShow();
  // Devices switched off to keep their kind blocked are named in notices of their own.
  const bool kept = Keep_Blocked();
  // A change nobody clicked for (a device plugged in or pulled out, a block run from a script) is
  // told in a notice; the user's own block or unblock already shows on screen.
  if (first || kept || TogglesRunning()) return;
  NoticeStateChange(DeviceKind::Webcam, camBefore, PellamMouseImage3State_WebCam->HelpContext, camsBefore,
                    Veilcap->current_cams);
  NoticeStateChange(DeviceKind::Microphone, micBefore, PellamMouseImage3State_Mic->HelpContext, micsBefore,
                    Veilcap->current_mics);
}

namespace {
bool StoreSaysZero(const u16& id) {
  const auto choice = WatchStore_Choice(id);
  return choice && !*choice;
}
}  // namespace

bool TForm_Veilcap::Keep_Blocked() {
  // A toggle command settles with refreshes of its own; a pass that switches searches again.
  if (keeping_ || !Veilcap || (toggles_ && toggles_->Running())) return false;
  keeping_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{keeping_};
  // Another process's switching pass (a command-line run) is not switched beside: the next
  // refresh (which that run asks for when it ends) tries again.
  SwitchingLock* lock = InstalledSwitchingLock();
  if (lock && !lock->TryAcquire()) {
    DebugOut(u"Keep blocked: another switching run holds the lock; tried again at the next refresh");
    return false;
  }
  struct Release {
    SwitchingLock* lock;
    ~Release() {
      if (lock) lock->Release();
    }
  } release{lock};
  // Each device gets at most two switch-offs before it is given up, so this ends; the bound only
  // guards against a list that changes under the passes.
  bool any = false;
  for (int pass = 0; pass <= kKeepBlockedAttempts; ++pass) {
    std::vector<KeepDevice> list;
    for (const auto& d : Veilcap->Devices) {
      // A device the user unchecked is no way around a policy that blocks its kind.
      const bool held = policies_.BlocksKind(IsMicrophone(d));
      const bool storeZero = StoreSaysZero(d.InstanceID());
      list.push_back({d.InstanceID(), d.FriendlyName(), IsMicrophone(d), d.Watch || (held && storeZero),
                      storeZero && !held, d.ProblemCode == 0});
    }
    const KeepKinds kinds = Policy_KeepKinds(policies_, Tray_Option_KeepBlocked->Checked,
                                             Ledger_KindBlocked(LedgerKind::Cam), Ledger_KindBlocked(LedgerKind::Mic));
    const std::vector<KeepStep> steps = keep_.Plan(list, kinds.cam || kinds.mic, kinds.cam, kinds.mic);
    bool switched = false;
    for (const KeepStep& s : steps) {
      if (s.verdict == KeepVerdict::GiveUp) {
        Notify(ReplaceAll(MESSAGE_NOTICE_KEEP_FAILED, u"%1", s.name));
        continue;
      }
      try {
        Veilcap->DisablePnpDevice(s.id);
      } catch (const OsError& e) {
        // Counted as an attempt all the same: a start that keeps failing ends in the give-up notice.
        DebugOut(u"Keep blocked: " + s.id + u" not switched off: " + e.Message());
      }
      switched = true;
      if (keep_.Attempts(s.id) == 1) Notify(ReplaceAll(MESSAGE_NOTICE_KEPT_BLOCKED, u"%1", s.name));
    }
    if (!switched) return any;
    any = true;
    SearchAndShow();
  }
  return any;
}

void TForm_Veilcap::Apply_Hotkeys() {
  const std::pair<int, const Hotkey*> keys[] = {{kHotkeyIdCam, &HotkeyCam}, {kHotkeyIdMic, &HotkeyMic}};
  for (const auto& [id, key] : keys) {
    HotkeySlot& slot = hotkeySlots_[id - kHotkeyIdCam];
    if (!Tray_Option_Hotkeys->Checked) {
      if (slot.registered && Hooks.UnregisterHotkey) Hooks.UnregisterHotkey(id);
      slot.registered = false;
      continue;
    }
    if (slot.registered || !Hooks.RegisterHotkey) continue;
    slot.registered = Hooks.RegisterHotkey(id, *key);
    if (!slot.registered && !slot.reported) {
      slot.reported = true;
      Notify(ReplaceAll(MESSAGE_NOTICE_HOTKEY_TAKEN, u"%1", FormatHotkey(*key)));
    }
  }
}

void TForm_Veilcap::HotkeyPressed(int id) {
  if (!Tray_Option_Hotkeys->Checked || (id != kHotkeyIdCam && id != kHotkeyIdMic)) return;
  if (toggles_ && toggles_->Running()) return;  // the click would be dropped; no notice either
  const bool mic = id == kHotkeyIdMic;
  const DeviceKind kind = mic ? DeviceKind::Microphone : DeviceKind::Webcam;
  TPellamMouseImage3State& picture = mic ? *PellamMouseImage3State_Mic : *PellamMouseImage3State_WebCam;
  if (picture.HelpContext == kStateOff) {
    // Any program can fake the key presses: switching protection off waits for the person at the
    // keyboard, whose answer an unelevated program cannot give. The same key again while the
    // question is open does nothing.
    bool& asking = confirming_[mic ? 1 : 0];
    if (asking) return;
    asking = true;
    bool confirmed = false;
    try {
      confirmed = Host.ConfirmBox(mic ? MESSAGE_CONFIRM_UNBLOCK_MIC : MESSAGE_CONFIRM_UNBLOCK_CAM,
                                  MESSAGE_CONFIRM_UNBLOCK_BUTTON);
    } catch (...) {
      asking = false;
      throw;
    }
    asking = false;
    if (!confirmed || (toggles_ && toggles_->Running())) return;
    Toggles().Unblock(kind);
  } else {
    Toggles().Click(kind);
  }
  const int32_t state = picture.HelpContext;
  if (state == kStateOff)
    Notify(mic ? MESSAGE_NOTICE_MICS_BLOCKED : MESSAGE_NOTICE_CAMS_BLOCKED);
  else if (state == kStateOn)
    Notify(mic ? MESSAGE_NOTICE_MICS_ON : MESSAGE_NOTICE_CAMS_ON);
  else
    Notify(mic ? MESSAGE_STATUS_MIC_NOTFOUND : MESSAGE_STATUS_CAM_NOTFOUND);
}

bool TForm_Veilcap::OnlineReady() const { return Online_Started && !Online_Starting; }

void TForm_Veilcap::Show_OnlineButtons() {
  PellamMouseImage3State_Feedback->SetVisible(false);
  PellamMouseImage3State_IM->SetVisible(false);
  if (OnlineReady()) {
    PellamMouseImage3State_Feedback->SetVisible(true);
    PellamMouseImage3State_IM->SetVisible(true);
  }
}

void TForm_Veilcap::TarvoThreadTimer_TrayIconTimer() {
  if (TRAYICON_DONE) return;
  try {
    Host.RemoveTrayIcon();
    CurrentTrayIcon = TrayIconKind::Normal;
    Host.AddTrayIcon(CurrentTrayIcon, TrayTooltipText());
    TRAYICON_DONE = true;
    // The first search may have finished before the icon could be added: show what it found,
    // and the notices that waited for the icon.
    if (searched_) Repaint_Status();
    std::vector<u16> pending;
    pending.swap(pendingNotices_);
    for (const u16& text : pending) Host.ShowNotice(AppTitle, text);
    Trim_WorkingSet();
    TarvoThreadTimer_TrayIcon->SetEnabled(false);
  } catch (const std::exception&) {
    TRAYICON_DONE = false;  // the next tick tries again
  }
  // Once the icon is there (or the shell has refused it for now): the window and the tray menu
  // are not seen before this.
  Load_WindowPictures();
}

void TForm_Veilcap::TarvoThreadTimer_StarterTimer() {
  TarvoThreadTimer_Starter->SetEnabled(false);
  if (!StartsInTray(args_)) Tray_Show->Click();
  Button_Refresh->Click();
  if (Hooks.SetMonitorActive) Hooks.SetMonitorActive(true);
  if (Hooks.SetInUseWatchActive) Hooks.SetInUseWatchActive(true);
  if (Hooks.SetPolicyWatchActive) Hooks.SetPolicyWatchActive(true);
  Policies_Changed();  // a change before the watch started
  InUse_Changed();
  Apply_Hotkeys();
}

void TForm_Veilcap::TarvoThreadTimer_VI3Timer() {
  TarvoThreadTimer_VI3->SetEnabled(false);
  if (Hooks.OnlineServicesStart) Hooks.OnlineServicesStart();
  if (Hooks.BuildMessageMenu) Hooks.BuildMessageMenu();
  Show_OnlineButtons();
}

TPoint TForm_Veilcap::TitleMenuPosition(const TControl& button) {
  const TPoint w = Host.WindowPosition();
  const DisplayScale scale(Host.Dpi());
  return {w.x + scale.Px(button.Left), w.y + scale.Px(button.Top + kTitleButtonSize)};
}

TControl* TForm_Veilcap::ControlAt(int x, int y) const {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible || !c->Contains(x, y)) continue;
    if (c == Image_RebootNeed_cam || c == Label_RebootNeed_Cam || c == Image_RebootNeed_mic || c == Label_RebootNeed_Mic)
      return nullptr;  // a marker only informs
    const bool clickable = dynamic_cast<const TPellamMouseImage3State*>(c) || (dynamic_cast<const TLabel*>(c) && c->OnClick);
    if (clickable || c == Image_Logo) return c;
  }
  return nullptr;
}

std::vector<TPellamMouseImage3State*> TForm_Veilcap::FocusOrder() const {
  return {PellamMouseImage3State_WebCam,   PellamMouseImage3State_Mic,     PellamMouseImage3State_IM,
          PellamMouseImage3State_Feedback, PellamMouseImage3State_Options, PellamMouseImage3State_Help,
          PellamMouseImage3State_Minimize, PellamMouseImage3State_Close};
}

u16 TForm_Veilcap::AccessibleName(const TControl& c) const {
  const bool cam = &c == PellamMouseImage3State_WebCam;
  if (cam || &c == PellamMouseImage3State_Mic) {
    // Before the first search the counts mean nothing yet: the wait text, as the status line says.
    if (!searched_ || !Veilcap) return MESSAGE_STATUS_PLEASEWAIT;
    if (cam)
      return Side_AccessibleName(CamCounters(*Veilcap), {MESSAGE_ACCESS_CAM_ON, MESSAGE_ACCESS_CAM_OFF, MESSAGE_ACCESS_CAM_NONE},
                                 Label_RebootNeed_Cam->Text());
    return Side_AccessibleName(MicCounters(*Veilcap), {MESSAGE_ACCESS_MIC_ON, MESSAGE_ACCESS_MIC_OFF, MESSAGE_ACCESS_MIC_NONE},
                               Label_RebootNeed_Mic->Text());
  }
  if (&c == PellamMouseImage3State_IM) return MESSAGE_ACCESS_MESSAGES;
  if (&c == PellamMouseImage3State_Feedback) return MESSAGE_ACCESS_FEEDBACK;
  if (&c == PellamMouseImage3State_Options) return Tray_Options->Caption.value_or(u"");
  if (&c == PellamMouseImage3State_Help) return MenuItem_help_Help->Caption.value_or(u"");
  if (&c == PellamMouseImage3State_Minimize) return MESSAGE_ACCESS_MINIMIZE;
  if (&c == PellamMouseImage3State_Close) return MESSAGE_ACCESS_CLOSE;
  return {};
}

void TForm_Veilcap::Image_LogoMouseDown() { Host.BeginWindowDrag(); }
void TForm_Veilcap::PellamMouseImage3State_CloseClick() { Host.Hide(); }
void TForm_Veilcap::PellamMouseImage3State_MinimizeClick() { Host.Hide(); }

void TForm_Veilcap::RunMenu(TPopupMenu& menu, int x, int y) {
  if (TMenuItem* chosen = Host.PopupMenu(menu, x, y)) chosen->Click();
}

void TForm_Veilcap::Tray_ContextMenu(int x, int y) {
  Await_StartWithWindows(StartWithWindowsWaitMs);
  RunMenu(*AdvPopupMenu_Tray, x, y);
}

void TForm_Veilcap::PellamMouseImage3State_HelpClick() {
  const TPoint p = TitleMenuPosition(*PellamMouseImage3State_Help);
  RunMenu(*AdvPopupMenu_Help, p.x, p.y);
}

// The settings button shows the tray menu without its first item. The item is back as soon as the
// menu has closed, before the chosen command runs: a command that opens a window of its own (the
// devices window) would otherwise leave the tray menu without it for as long as that window is open.
void TForm_Veilcap::PellamMouseImage3State_OptionsClick() {
  const TPoint p = TitleMenuPosition(*PellamMouseImage3State_Options);
  Await_StartWithWindows(StartWithWindowsWaitMs);
  Tray_Show->Visible = false;
  TMenuItem* chosen = nullptr;
  try {
    chosen = Host.PopupMenu(*AdvPopupMenu_Tray, p.x, p.y);
  } catch (...) {
    Tray_Show->Visible = true;
    throw;
  }
  Tray_Show->Visible = true;
  if (chosen) chosen->Click();
}

void TForm_Veilcap::PellamMouseImage3State_FeedbackClick() {
  if (OnlineReady() && Hooks.OpenFeedback) Hooks.OpenFeedback();
}

void TForm_Veilcap::PellamMouseImage3State_IMClick() {
  if (!OnlineReady()) return;
  const TPoint p = TitleMenuPosition(*PellamMouseImage3State_IM);
  RunMenu(*AdvPopupMenu_IM, p.x, p.y);
}

void TForm_Veilcap::MenuItem_help_HelpClick() {
  // Without a desktop shell of the user's own the page is not opened with Veilcap's rights.
  if (!Open_OnlineHelp(u"main")) Host.WarningBox(ReplaceAll(MESSAGE_OPEN_PAGE_YOURSELF, u"%1", OnlineHelpAddress(u"main")));
}

void TForm_Veilcap::MenuItem_help_AboutClick() {
  if (Hooks.ShowAbout) Hooks.ShowAbout();
}

void TForm_Veilcap::PellamMouseImage3State_WebCamClick() { Toggles().WebCamClick(); }
void TForm_Veilcap::PellamMouseImage3State_MicClick() { Toggles().MicClick(); }

void TForm_Veilcap::Tray_ShowDevicesClick() {
  if (!Hooks.ShowDevicesModal) return;  // no devices window yet
  Tray_ShowDevices->Enabled = false;
  try {
    Host.ProcessMessages();
    Hooks.ShowDevicesModal();
    Button_Refresh->Click();
  } catch (...) {
    Tray_ShowDevices->Enabled = true;
    throw;
  }
  Tray_ShowDevices->Enabled = true;
}

void TForm_Veilcap::Tray_DeviceManagerClick() { Open_DeviceManager(); }
void TForm_Veilcap::Tray_Privacy_webcamClick() { Shell_Open(Host.Handle(), u"ms-settings:privacy-webcam", u""); }
void TForm_Veilcap::Tray_Privacy_MicClick() { Shell_Open(Host.Handle(), u"ms-settings:privacy-microphone", u""); }
void TForm_Veilcap::Tray_NoPhysicalCameraLEDClick() { SAVE_OPTIONS(); }
void TForm_Veilcap::Tray_Option_Privacy_CamClick() { SAVE_OPTIONS(); }
void TForm_Veilcap::Tray_Option_Privacy_MicClick() { SAVE_OPTIONS(); }
void TForm_Veilcap::Tray_Option_ShowNoticesClick() { SAVE_OPTIONS(); }

void TForm_Veilcap::Tray_Flag_StartWithWindowsClick() {
  SAVE_OPTIONS();
  Trim_WorkingSet();
}

void TForm_Veilcap::Tray_Option_KeepBlockedClick() {
  SAVE_OPTIONS();
  Keep_Blocked();
}

void TForm_Veilcap::Tray_Option_BlockWhileLockedClick() { SAVE_OPTIONS(); }

void TForm_Veilcap::CommandBox(bool error, const u16& text) {
  if (lock_.Locked()) {
    heldBoxes_.emplace_back(error, text);
    return;
  }
  if (error)
    Host.ErrorBox(text);
  else
    Host.WarningBox(text);
}

void TForm_Veilcap::Session_Changed(uint32_t code) {
  if (Classify_SessionChange(code) == SessionChange::None) return;
  // A command lets messages run while it switches: the change waits for its end.
  if (TogglesRunning()) {
    pendingSession_ = code;
    return;
  }
  RunSessionChange(code);
}

void TForm_Veilcap::RunSessionChange(uint32_t code) {
  pendingSession_ = 0;
  if (!Veilcap) return;
  const auto kindOf = [this](bool mic) {
    const int32_t state = mic ? PellamMouseImage3State_Mic->HelpContext : PellamMouseImage3State_WebCam->HelpContext;
    return LockKind{state == kStateOn, Ledger_KindBlocked(mic ? LedgerKind::Mic : LedgerKind::Cam),
                    policies_.BlocksKind(mic)};
  };
  if (Classify_SessionChange(code) == SessionChange::Lock) {
    const bool option = Tray_Option_BlockWhileLocked->Checked;
    DebugOut(u"Session locked");
    if (option) SearchAndShow();  // decide on what works now
    const LockPlan plan = lock_.OnLock(option, kindOf(false), kindOf(true));
    if (plan.cam) Toggles().Block(false);
    if (plan.mic) Toggles().Block(true);
    return;
  }
  DebugOut(u"Session unlocked");
  // A policy set while locked counts: it is read before anything is given back.
  Apply_Policies(Read_Policies());
  const LockPlan plan = lock_.OnUnlock(policies_.BlocksKind(false), policies_.BlocksKind(true));
  if (plan.cam) Toggles().Unblock(false);
  if (plan.mic) Toggles().Unblock(true);
  std::vector<std::pair<bool, u16>> held;
  held.swap(heldBoxes_);
  for (const auto& [error, text] : held) CommandBox(error, text);
}

void TForm_Veilcap::Session_RunPending() {
  if (pendingSession_ && !TogglesRunning()) RunSessionChange(pendingSession_);
}

void TForm_Veilcap::Tray_Option_HotkeysClick() {
  SAVE_OPTIONS();
  Apply_Hotkeys();
}

void TForm_Veilcap::Tray_QuitClick() {
  if (Hooks.SetMonitorActive) Hooks.SetMonitorActive(false);
  if (Hooks.SetInUseWatchActive) Hooks.SetInUseWatchActive(false);
  TarvoThreadTimer_TrayIcon->SetEnabled(false);
  // A task that cannot be written must not keep the program from ending: report it and go on.
  try {
    SAVE_OPTIONS();
  } catch (const OsError& e) {
    Host.ErrorBox(e.Message());
  }
  startWithWindows_->Drop();  // an answer still on its way finds no window
  Host.Close();
}

// The main window: a borderless 502 x 332 panel with the banner, six title-bar buttons, the
// webcam and microphone pictures with their status lines and restart markers, and the tray menu,
// help menu and message menu. This is the model: the components (what the translator walks and
// the view shows), the creation sequence, the three start timers and every command. The Windows
// view (ui/win32) implements MainWindowHost and turns messages into calls of this class.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "devices/veilcap.h"
#include "guard/in_use.h"
#include "guard/hotkey_text.h"
#include "guard/keep_blocked.h"
#include "guard/policies.h"
#include "guard/session_lock.h"
#include "platform/process.h"
#include "ui/controls.h"
#include "ui/link_button.h"
#include "ui/picture_button.h"
#include "ui/scale.h"
#include "ui/status.h"
#include "ui/thread_timer.h"

inline constexpr int kMainClientWidth = 502;
inline constexpr int kMainClientHeight = 332;
inline constexpr uint32_t kMainBackground = 0xFBFBFB;  // RGB(251, 251, 251)

struct TSize {
  int cx = 0, cy = 0;
};

// What the model asks of its window.
class MainWindowHost {
 public:
  virtual ~MainWindowHost() = default;
  virtual OwnerWindow Handle() = 0;
  virtual TSize ScreenSize() = 0;          // the whole screen, not the work area
  virtual TPoint WindowPosition() = 0;     // top-left corner of the window on the screen
  // Dots per inch of the monitor the window is on; the window's pixels are the model's geometry
  // scaled by it.
  virtual int Dpi() { return kBaseDpi; }
  virtual void ShowAt(int left, int top) = 0;  // moves the window there and shows it on top
  virtual void Hide() = 0;
  // Adds the notification-area icon; raises OsError when the shell refuses it.
  virtual void AddTrayIcon(TrayIconKind icon, const u16& tooltip) = 0;
  virtual void UpdateTrayIcon(TrayIconKind icon, const u16& tooltip) = 0;
  virtual void RemoveTrayIcon() = 0;
  // A notice from the notification-area icon (a balloon or toast with the program's icon); does
  // nothing while the icon is not there. Never waits for the user.
  virtual void ShowNotice(const u16& title, const u16& text) = 0;
  // Opens the menu with its top-left corner at the screen point and returns when it has closed:
  // the chosen item, or nullptr. The item's command has not run yet; the caller runs it.
  virtual TMenuItem* PopupMenu(TPopupMenu& menu, int x, int y) = 0;
  virtual void WarningBox(const u16& text) = 0;  // modal, warning icon, OK
  virtual void ErrorBox(const u16& text) = 0;    // modal, error icon, OK
  // A question of the program's own, in front of every other window: the confirm button (its
  // caption given, the default, so Enter chooses it) and a cancel button. True only when the
  // confirm button was chosen.
  virtual bool ConfirmBox(const u16& text, const u16& confirmCaption) = 0;
  virtual void Sleep(uint32_t ms) = 0;
  // A millisecond clock for measuring waits (wraps around); a host without one answers 0, so every
  // wait is slept in full.
  virtual uint32_t NowMs() { return 0; }
  // Whether the text, as the label draws it in its font at the scale, stays inside the label; a
  // host that cannot measure answers true.
  virtual bool LabelTextFits(const TLabel& label, const u16& text) {
    (void)label, (void)text;
    return true;
  }
  virtual void ProcessMessages() = 0;
  virtual void BeginWindowDrag() = 0;  // the system move loop, as if the caption were dragged
  virtual void Close() = 0;            // destroys the window, which ends the program
};

// What other windows and services plug into the main window. Each may be empty.
struct MainWindowHooks {
  std::function<void()> RebuildDeviceList;              // after every search
  std::function<void()> ShowDevicesModal;               // the detected-devices window
  std::function<void(bool)> SetMonitorActive;           // the device arrival and removal monitor
  std::function<void(TMenuItem& langMenu)> BuildLanguageMenu;
  std::function<void()> OnlineServicesStart;
  std::function<void()> BuildMessageMenu;
  std::function<void()> OpenFeedback;                   // the feedback page of the online services
  std::function<void()> ShowAbout;                      // the about dialog, modal
  // The watch of the consent stores: while active, every change calls InUse_Changed on the main
  // thread.
  std::function<void(bool)> SetInUseWatchActive;
  // The watch of the policy key: while active, every change calls Policies_Changed on the main
  // thread.
  std::function<void(bool)> SetPolicyWatchActive;
  // System-wide hotkeys of the window (the view turns a press into HotkeyPressed with the id);
  // RegisterHotkey answers false when another program holds the hotkey.
  std::function<bool(int id, const Hotkey& key)> RegisterHotkey;
  std::function<void(int id)> UnregisterHotkey;
  // Creates the windows that work beside the main window (the detected-devices window, the device
  // monitor) during the main window's creation.
  std::function<void()> CreateCompanions;
};

// Ids of the two global hotkeys.
inline constexpr int kHotkeyIdCam = 1;
inline constexpr int kHotkeyIdMic = 2;

class MainWindowToggles;
class AutostartQuery;

class TForm_Veilcap : public TComponent {
 public:
  TForm_Veilcap(MainWindowHost& host, std::vector<u16> args, MainWindowHooks hooks = {});
  ~TForm_Veilcap() override;

  // Creation sequence: device list, options, tray timer; then, within the 100 ms before the
  // starter and the VI3 timer start, status, translation, wait texts and the companion windows.
  // A picture that cannot be loaded leaves its area empty and names the file in a debug line;
  // every later step still runs.
  void FormCreate();
  // The logo, the title-bar buttons, the restart markers and the language menu with its flags:
  // loaded once, after the tray icon was first tried or when the window shows, whichever is first.
  void Load_WindowPictures();

  void Repaint_Status();
  void Show_DevicesNeedReboot();
  // Sets the check marks; the "start with Windows" mark comes later, from a worker that asks the
  // task scheduler (its item stays disabled until the answer is there).
  void LOAD_OPTIONS();
  // Waits up to limitMs for the task scheduler's answer; true once the check mark shows it.
  bool Await_StartWithWindows(uint32_t limitMs);
  // How long menus, saving and quitting wait for that answer.
  uint32_t StartWithWindowsWaitMs = 15000;
  // Writes all four options back. Raises OsError when the autostart task is not created (the
  // template cannot be read or written, the program folder is not safe, the scheduler refuses
  // it; the check mark then shows what the scheduler holds); the registry options are written in
  // any case. While the task scheduler's answer is unknown the task is left alone.
  void SAVE_OPTIONS();

  void Tray_ShowClick();
  void Button_RefreshClick();
  void Show_OnlineButtons();
  void Handle_ShowRunningInstance();  // window message 1053
  void Handle_QuitRequest();          // the registered quit request (kQuitRequestMessageName)

  void TarvoThreadTimer_TrayIconTimer();
  void TarvoThreadTimer_VI3Timer();
  void TarvoThreadTimer_StarterTimer();

  void Image_LogoMouseDown();
  void PellamMouseImage3State_CloseClick();
  void PellamMouseImage3State_MinimizeClick();
  void PellamMouseImage3State_HelpClick();
  void PellamMouseImage3State_OptionsClick();
  void PellamMouseImage3State_FeedbackClick();
  void PellamMouseImage3State_IMClick();
  void MenuItem_help_HelpClick();
  void MenuItem_help_AboutClick();
  // The block / unblock commands of the two big pictures (and their status lines).
  void PellamMouseImage3State_WebCamClick();
  void PellamMouseImage3State_MicClick();

  void Tray_ShowDevicesClick();
  void Tray_DeviceManagerClick();
  void Tray_Privacy_webcamClick();
  void Tray_Privacy_MicClick();
  void Tray_NoPhysicalCameraLEDClick();
  void Tray_Option_Privacy_CamClick();
  void Tray_Option_Privacy_MicClick();
  void Tray_Flag_StartWithWindowsClick();
  void Tray_Option_ShowNoticesClick();
  void Tray_QuitClick();

  // The tray menu at a screen point (the tray icon's context menu), once its check marks are known,
  // then the chosen command.
  void Tray_ContextMenu(int x, int y);

  // The control the pointer acts on at a client point: a picture button or a clickable text,
  // or the banner (which drags the window); nullptr for everything else. A visible restart
  // marker covers what lies under it.
  TControl* ControlAt(int x, int y) const;
  // The controls the keyboard reaches, in Tab order: webcam, microphone, then the title-bar
  // buttons from left to right (hidden ones included; the view skips them).
  std::vector<TPellamMouseImage3State*> FocusOrder() const;
  // What a screen reader calls a picture button in the current language (empty for others).
  u16 AccessibleName(const TControl& c) const;
  // A tray notice with the program's name as its title, unless "Show notices" is unchecked. Before
  // the tray icon is there the notice waits (up to kPendingNoticesMax of them) and shows when the
  // icon is added.
  void Notify(const u16& text);
  static constexpr size_t kPendingNoticesMax = 8;
  // Reads who uses a camera or microphone now and shows it: status lines, tooltip, tray mark, and
  // a notice for every program that started since the last read (none on the first read).
  void InUse_Changed();
  InUse CurrentInUse;
  void Tray_Option_KeepBlockedClick();
  void Tray_Option_HotkeysClick();
  void Tray_Option_BlockWhileLockedClick();

  // The policies of the organisation: a forced option shows its forced state, greyed (the user's
  // own choice stays stored and comes back when the policy goes); while any policy is set the
  // tray menu shows the greyed line that says so. Read at start and on every change of the key.
  void Apply_Policies(const Policies& p);
  // The policy key changed: read it, apply it, and refresh, so that a newly blocked kind is
  // switched off at once.
  void Policies_Changed();
  const Policies& CurrentPolicies() const { return policies_; }
  // A session change (WM_WTSSESSION_CHANGE code): a lock blocks the working kinds while "Block
  // while locked" acts, the unlock gives back exactly those. While locked no message box and no
  // notice is shown; the boxes come after the unlock.
  void Session_Changed(uint32_t code);
  bool SessionLocked() const { return lock_.Locked(); }
  // Runs a session change that came while a command ran, once it has ended.
  void Session_RunPending();
  // A message box of a command (warning or error), held back while the session is locked.
  void CommandBox(bool error, const u16& text);

  // Keep-blocked: while the option is on, switches off every watched working device of a kind the
  // user last blocked, with a notice per device; a device that does not stay off after two
  // attempts is reported once and left alone. Runs after every refresh (start-up, arrivals, the
  // refresh command) except inside a toggle command, and searches again after it switched.
  // Answers whether it switched any device.
  bool Keep_Blocked();
  // A new block or unblock of the kind by the user: its devices get their attempts afresh.
  void Keep_Blocked_Forget(bool mic) { keep_.ForgetKind(mic); }
  // Registers both hotkeys while the option is checked (a hotkey another program holds is
  // reported once per run), or gives them up while it is not.
  void Apply_Hotkeys();
  // A hotkey press: the toggle command of its kind, as a click on the picture, then a notice of
  // the new state. Blocking is instant; unblocking first asks (ConfirmBox), since any program can
  // inject the keys, and a cancelled question switches nothing and tells nothing. Ignored while
  // the option is off.
  void HotkeyPressed(int id);

  // Top-left corner of a title-bar menu: the button's lower-left corner on the screen.
  TPoint TitleMenuPosition(const TControl& button);
  // Where the window shows: 16 px from the right and 48 px from the bottom edge of the screen,
  // the window and both distances at the display scale.
  static TPoint LowerRightPlacement(TSize screen, const DisplayScale& scale = DisplayScale());
  // Tooltip for the tray icon from the current counters (the wait text before the first search).
  u16 TrayTooltipText() const;

  // Controls in paint order (bottom first), for the view.
  const std::vector<TControl*>& Controls() const { return controls_; }

  MainWindowHost& Host;
  MainWindowHooks Hooks;
  std::unique_ptr<TVeilcap> Veilcap;
  bool TRAYICON_DONE = false;
  TrayIconKind CurrentTrayIcon = TrayIconKind::Normal;

  TControl* Shape1;
  TImage* Image_Logo;
  TPellamMouseImage3State* PellamMouseImage3State_IM;
  TPellamMouseImage3State* PellamMouseImage3State_Feedback;
  TPellamMouseImage3State* PellamMouseImage3State_Options;
  TPellamMouseImage3State* PellamMouseImage3State_Help;
  TPellamMouseImage3State* PellamMouseImage3State_Minimize;
  TPellamMouseImage3State* PellamMouseImage3State_Close;
  TPellamMouseImage3State* PellamMouseImage3State_WebCam;
  TPellamMouseImage3State* PellamMouseImage3State_Mic;
  TLabel* Label_Status_Cam;
  TLabel* Label_Status_Mic;
  TImage* Image_RebootNeed_cam;
  TLabel* Label_RebootNeed_Cam;
  TImage* Image_RebootNeed_mic;
  TLabel* Label_RebootNeed_Mic;
  TButton* Button_Refresh;

  TPopupMenu* AdvPopupMenu_Tray;
  TMenuItem* Tray_Show;
  TMenuItem* Tray_ShowDevices;
  TMenuItem* Tray_RefreshDevices;
  TMenuItem* Tray_DeviceManager;
  TMenuItem* Tray_Options;
  TMenuItem* Tray_NoPhysicalCameraLED;
  TMenuItem* Tray_Privacy_webcam;
  TMenuItem* Tray_Privacy_Mic;
  TMenuItem* Tray_Option_Privacy_Cam;
  TMenuItem* Tray_Option_Privacy_Mic;
  TMenuItem* Tray_Option_ShowNotices;
  TMenuItem* Tray_Option_KeepBlocked;
  TMenuItem* Tray_Option_Hotkeys;
  TMenuItem* Tray_Option_BlockWhileLocked;
  TMenuItem* Tray_PolicyManaged;
  TMenuItem* Tray_Flag_StartWithWindows;
  TMenuItem* Tray_Lang;
  TMenuItem* Tray_Quit;
  TPopupMenu* AdvPopupMenu_Help;
  TMenuItem* MenuItem_help_Help;
  TMenuItem* MenuItem_help_About;
  TPopupMenu* AdvPopupMenu_IM;

  std::unique_ptr<TTarvoThreadTimer> TarvoThreadTimer_TrayIcon;
  std::unique_ptr<TTarvoThreadTimer> TarvoThreadTimer_VI3;
  std::unique_ptr<TTarvoThreadTimer> TarvoThreadTimer_Starter;

  // The hotkeys read at start (the defaults when the stored text is missing or no hotkey).
  Hotkey HotkeyCam = kDefaultHotkeyCam;
  Hotkey HotkeyMic = kDefaultHotkeyMic;

 private:
  template <class T>
  T* AddControl(std::unique_ptr<T> c);
  TPellamMouseImage3State* AddPictureButton(const char16_t* name, int left, int top, int size);
  // A picture of the skins folder; each file is read once (the status pictures change with every
  // search), a file that could not be read is tried again next time.
  void LoadSkin(TPicture& picture, const char16_t* name);
  std::map<u16, TPicture> skins_;
  void LoadButtonSkins(TPellamMouseImage3State& button, const char16_t* normal, const char16_t* highlight);
  void PaintSide(const SideCounters& counters, const SideTexts& texts, const SidePictures& pictures,
                 TPellamMouseImage3State& button, TLabel& label, TImage& rebootImage, TLabel& rebootLabel);
  bool OnlineReady() const;
  void RunMenu(TPopupMenu& menu, int x, int y);
  // The notice for a state a refresh found, when it differs from the one painted before.
  void NoticeStateChange(DeviceKind kind, int32_t before, int32_t after, int32_t devicesBefore, int32_t devicesAfter);
  bool TogglesRunning() const;

  std::vector<u16> args_;
  std::vector<TControl*> controls_;
  // The block / unblock commands behind the two big pictures (ui/main_window_toggles.cpp).
  std::unique_ptr<MainWindowToggles> toggles_;
  MainWindowToggles& Toggles();
  void SearchAndShow();
  bool searched_ = false;
  bool windowPicturesLoaded_ = false;
  bool inUseRead_ = false;
  KeepBlockedGuard keep_;
  bool keeping_ = false;
  struct HotkeySlot {
    bool registered = false;
    bool reported = false;
  };
  HotkeySlot hotkeySlots_[2];
  bool confirming_[2] = {false, false};  // a hotkey's unblock question is open, per kind
  std::vector<u16> pendingNotices_;       // notices given before the tray icon was there
  std::unique_ptr<AutostartQuery> startWithWindows_;
  Policies policies_;
  // The user's own choice of each option a policy forces now, written back instead of the mark.
  std::map<TMenuItem*, bool> userChoice_;
  bool StoredChoice(const TMenuItem* item) const;
  SessionLockGuard lock_;
  std::vector<std::pair<bool, u16>> heldBoxes_;  // (error, text) shown after the unlock
  uint32_t pendingSession_ = 0;  // a session change that came while a command ran
  void RunSessionChange(uint32_t code);
};

SideCounters CamCounters(const TVeilcap& v);
SideCounters MicCounters(const TVeilcap& v);
SideTexts CamTexts();
SideTexts MicTexts();

// The main window on the screen: a borderless, always-on-top tool window of class "TForm_Veilcap"
// that draws the model's pictures, shows its status texts as child windows (so that their texts
// can be read like any window text), carries the tray icon and opens the model's menus. The picture
// buttons are child windows too, for the keyboard and screen readers only: the main window still
// handles the pointer over them. Tab and the arrow keys move between them (webcam, microphone,
// the title-bar buttons), Space and Enter press the focused one, Esc hides the window.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "ui/main_window.h"
#include "ui/scale.h"

inline constexpr wchar_t kMainWindowClassName[] = L"TForm_Veilcap";
inline constexpr wchar_t kLabelClassName[] = L"TLabel";
// Child window ids of the text labels.
inline constexpr int kIdLabelStatusCam = 101;
inline constexpr int kIdLabelStatusMic = 102;
inline constexpr int kIdLabelRebootCam = 103;
inline constexpr int kIdLabelRebootMic = 104;
// Class and child window ids of the picture buttons, in Tab order.
inline constexpr wchar_t kPictureButtonClassName[] = L"TPellamMouseImage3State";
inline constexpr int kIdButtonWebCam = 111;
inline constexpr int kIdButtonMic = 112;
inline constexpr int kIdButtonIM = 113;
inline constexpr int kIdButtonFeedback = 114;
inline constexpr int kIdButtonOptions = 115;
inline constexpr int kIdButtonHelp = 116;
inline constexpr int kIdButtonMinimize = 117;
inline constexpr int kIdButtonClose = 118;
// The tray icon's id and callback message.
inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

// What the main window paints with: whether high contrast is on, and the system colours it then
// uses. Read through a replaceable source, so a test can draw the window as a high-contrast theme.
struct SystemColours {
  bool highContrast = false;
  COLORREF window = RGB(255, 255, 255), windowText = RGB(0, 0, 0), highlight = RGB(0, 120, 215);
};
SystemColours SystemColoursNow();
// nullptr: Windows' own (HighContrastOn and GetSysColor).
void SetSystemColoursSource(SystemColours (*source)());

struct TrayIcons {
  HICON normal = nullptr, on = nullptr, off = nullptr, noDevice = nullptr;
  HICON normalInUse = nullptr, onInUse = nullptr, offInUse = nullptr, noDeviceInUse = nullptr;
};

// The eight tray icons at a dpi; the view loads them again when the primary monitor's scale changes.
using TrayIconLoader = std::function<TrayIcons(int dpi)>;

class MainWindowView final : public MainWindowHost {
 public:
  MainWindowView(HINSTANCE instance, std::vector<u16> args, MainWindowHooks hooks, TrayIcons icons, HICON appIcon);
  ~MainWindowView() override;
  MainWindowView(const MainWindowView&) = delete;
  MainWindowView& operator=(const MainWindowView&) = delete;

  // Registers the window class and creates the hidden window with its children; false on failure.
  bool Create();
  HWND Window() const { return hwnd_; }
  // From now on the tray icons come from load, at the scale primaryDpi answers for the primary
  // monitor (where the notification area is); icons were loaded at loadedAtDpi. When that scale
  // changes (checked at every display, scale and setting change), the icons are loaded again at
  // the new scale and the tray icon shows them at once.
  void SetTrayIconLoader(TrayIconLoader load, int loadedAtDpi, int (*primaryDpi)());
  TForm_Veilcap& Form() { return *form_; }

  // The scale the window is laid out at, and a control's place in pixels of the client area: every
  // window and drawing made from the model's geometry goes through these.
  const DisplayScale& Scale() const { return scale_; }
  RECT PixelRect(const TControl& c) const;

  OwnerWindow Handle() override { return hwnd_; }
  TSize ScreenSize() override;
  TPoint WindowPosition() override;
  int Dpi() override { return scale_.Dpi(); }
  void ShowAt(int left, int top) override;
  void Hide() override;
  void AddTrayIcon(TrayIconKind icon, const u16& tooltip) override;
  void UpdateTrayIcon(TrayIconKind icon, const u16& tooltip) override;
  void RemoveTrayIcon() override;
  void ShowNotice(const u16& title, const u16& text) override;
  TMenuItem* PopupMenu(TPopupMenu& menu, int x, int y) override;
  void WarningBox(const u16& text) override;
  void ErrorBox(const u16& text) override;
  bool ConfirmBox(const u16& text, const u16& confirmCaption) override;
  void Sleep(uint32_t ms) override;
  uint32_t NowMs() override;
  bool LabelTextFits(const TLabel& label, const u16& text) override;
  void ProcessMessages() override;
  void BeginWindowDrag() override;
  void Close() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK LabelProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK ButtonProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT HandleButton(HWND w, TControl& button, UINT msg, WPARAM wp, LPARAM lp);
  TControl* ButtonOf(HWND w) const;
  // Moves the focus step buttons on from w (nullptr: from before the first), skipping hidden ones.
  void MoveFocus(HWND from, int step);
  void PressButton(TControl& button);
  void UpdateButton(TControl& button, HWND w);
  void ReadColours();
  // Sizes the window, its labels and its font for the scale.
  void ApplyScale(int dpi);
  void ScaleChanged(int dpi, const RECT& suggested);
  void SnapWhileDragged(RECT& r);
  void PaintBackdrop(HDC dc, const RECT& area);
  void PaintChild(HWND w, const TControl& c, const std::function<void(HDC, const RECT&)>& over = {});
  void PaintWindow();
  void PaintLabel(HWND w, TLabel& label);
  void ControlChanged(TControl& c);
  TControl* HitTest(int x, int y);
  void MouseMove(int x, int y);
  void MouseLeftWindow();
  void MouseDown(UINT msg, int x, int y);
  void MouseUp(int x, int y);
  void TrayEvent(WPARAM wp, LPARAM lp);
  void FillTrayData(NOTIFYICONDATAW& nid, TrayIconKind icon, const u16& tooltip);
  HICON IconFor(TrayIconKind icon) const;
  void PrimaryScaleMayHaveChanged();

  HINSTANCE instance_;
  TrayIcons icons_;
  TrayIconLoader loadIcons_;
  int iconsDpi_ = 0;
  int (*primaryDpi_)() = nullptr;
  HICON appIcon_;
  std::unique_ptr<TForm_Veilcap> form_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  DisplayScale scale_;
  bool dragging_ = false;  // inside the system move loop
  std::map<TLabel*, HWND> labels_;
  // The picture buttons' windows in Tab order.
  std::vector<std::pair<TControl*, HWND>> buttons_;
  SystemColours colours_;
  TControl* hover_ = nullptr;
  TControl* pressed_ = nullptr;
  bool tracking_ = false;
  bool trayAdded_ = false;
  UINT taskbarCreated_ = 0;
  UINT quitRequest_ = 0;
  UINT refreshRequest_ = 0;
};

// Whether Windows' high-contrast mode is on: the windows then draw texts and their backgrounds in
// the system colours.
bool HighContrastOn();


// Draws a link button at its place in dc at the scale (the layout decides positions and the
// automatic width, at 100 %).
class TTarvoUnicodeSTButton;
void PaintLinkButton(HDC dc, TTarvoUnicodeSTButton& button, const DisplayScale& scale = DisplayScale());

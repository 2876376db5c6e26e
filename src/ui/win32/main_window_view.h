// The main window on the screen: a borderless, always-on-top tool window of class "TForm_Veilcap"
// that draws the model's pictures, shows its status texts as child windows (so that their texts
// can be read like any window text), carries the tray icon and opens the model's menus.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include <map>
#include <memory>
#include <vector>

#include "ui/main_window.h"

inline constexpr wchar_t kMainWindowClassName[] = L"TForm_Veilcap";
inline constexpr wchar_t kLabelClassName[] = L"TLabel";
// Child window ids of the text labels.
inline constexpr int kIdLabelStatusCam = 101;
inline constexpr int kIdLabelStatusMic = 102;
inline constexpr int kIdLabelRebootCam = 103;
inline constexpr int kIdLabelRebootMic = 104;
// The tray icon's id and callback message.
inline constexpr UINT kTrayIconId = 1;
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

struct TrayIcons {
  HICON normal = nullptr, on = nullptr, off = nullptr, noDevice = nullptr;
};

class MainWindowView final : public MainWindowHost {
 public:
  MainWindowView(HINSTANCE instance, std::vector<u16> args, MainWindowHooks hooks, TrayIcons icons, HICON appIcon);
  ~MainWindowView() override;
  MainWindowView(const MainWindowView&) = delete;
  MainWindowView& operator=(const MainWindowView&) = delete;

  // Registers the window class and creates the hidden window with its children; false on failure.
  bool Create();
  HWND Window() const { return hwnd_; }
  TForm_Veilcap& Form() { return *form_; }

  OwnerWindow Handle() override { return hwnd_; }
  TSize ScreenSize() override;
  TPoint WindowPosition() override;
  void ShowAt(int left, int top) override;
  void Hide() override;
  void AddTrayIcon(TrayIconKind icon, const u16& tooltip) override;
  void UpdateTrayIcon(TrayIconKind icon, const u16& tooltip) override;
  void RemoveTrayIcon() override;
  void ShowNotice(const u16& title, const u16& text) override;
  void PopupMenu(TPopupMenu& menu, int x, int y) override;
  void WarningBox(const u16& text) override;
  void ErrorBox(const u16& text) override;
  void Sleep(uint32_t ms) override;
  void ProcessMessages() override;
  void BeginWindowDrag() override;
  void Close() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK LabelProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void PaintBackdrop(HDC dc, const RECT& area);
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

  HINSTANCE instance_;
  TrayIcons icons_;
  HICON appIcon_;
  std::unique_ptr<TForm_Veilcap> form_;
  HWND hwnd_ = nullptr;
  HFONT font_ = nullptr;
  std::map<TLabel*, HWND> labels_;
  TControl* hover_ = nullptr;
  TControl* pressed_ = nullptr;
  bool tracking_ = false;
  bool trayAdded_ = false;
  UINT taskbarCreated_ = 0;
  UINT quitRequest_ = 0;
  UINT refreshRequest_ = 0;
};

// Draws a link button at its place in dc (the layout decides positions and the automatic width).
class TTarvoUnicodeSTButton;
void PaintLinkButton(HDC dc, TTarvoUnicodeSTButton& button);

#include "ui/win32/main_window_view.h"

#include <windowsx.h>
#include <wtsapi32.h>

#include <algorithm>
#include <chrono>

#include "core/errors.h"
#include "core/win32/windows_seams.h"
#include "platform/environment.h"
#include "platform/runmode.h"
#include "ui/win32/accessible_button.h"
#include "ui/win32/confirm_box.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/guard.h"
#include "ui/win32/menu_images.h"
#include "ui/win32/message_filter.h"

namespace {
COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

constexpr int kLabelFontHeight = -13;
constexpr int kSnapDistance = 10;  // at 100 %

// A memory bitmap for flicker-free drawing.
class BufferDC {
 public:
  BufferDC(HDC target, int w, int h)
      : dc_(CreateCompatibleDC(target)), bitmap_(CreateCompatibleBitmap(target, std::max(w, 1), std::max(h, 1))) {
    old_ = SelectObject(dc_, bitmap_);
  }
  ~BufferDC() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  HDC dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

void AppendItems(HMENU menu, TMenuItem& parent, std::vector<TMenuItem*>& ids, const DisplayScale& scale) {
  for (TMenuItem* item : parent.Items()) {
    if (!item->Visible) continue;
    if (item->IsSeparator()) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const u16 caption = item->Caption.value_or(u"");
    UINT flags = MF_STRING | (item->Checked ? MF_CHECKED : 0) | (item->Enabled ? 0 : MF_GRAYED);
    const auto subItems = item->Items();
    if (!subItems.empty()) {
      HMENU sub = CreatePopupMenu();
      AppendItems(sub, *item, ids, scale);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), W(caption));
      SetMenuItemBitmap(menu, UINT(GetMenuItemCount(menu) - 1), parent.SubImages, item->ImageIndex, scale);
      continue;
    }
    ids.push_back(item);
    const UINT id = UINT(ids.size());
    AppendMenuW(menu, flags, id, W(caption));
    SetMenuItemBitmap(menu, UINT(GetMenuItemCount(menu) - 1), parent.SubImages, item->ImageIndex, scale);
    if (item->Default) SetMenuDefaultItem(menu, id, FALSE);
  }
}
}  // namespace

bool HighContrastOn() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof(hc);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) && (hc.dwFlags & HCF_HIGHCONTRASTON);
}

namespace {
SystemColours (*g_coloursSource)() = nullptr;
}  // namespace

SystemColours SystemColoursNow() {
  if (g_coloursSource) return g_coloursSource();
  return {HighContrastOn(), GetSysColor(COLOR_WINDOW), GetSysColor(COLOR_WINDOWTEXT), GetSysColor(COLOR_HIGHLIGHT)};
}

void SetSystemColoursSource(SystemColours (*source)()) { g_coloursSource = source; }

MainWindowView::MainWindowView(HINSTANCE instance, std::vector<u16> args, MainWindowHooks hooks, TrayIcons icons,
                               HICON appIcon)
    : instance_(instance), icons_(icons), appIcon_(appIcon) {
  form_ = std::make_unique<TForm_Veilcap>(*this, std::move(args), std::move(hooks));
}

RECT MainWindowView::PixelRect(const TControl& c) const { return ToRECT(scale_.Of(c)); }

MainWindowView::~MainWindowView() {
  // The model goes first: its timers stop before the window they would reach disappears.
  form_.reset();
  if (hwnd_) DestroyWindow(hwnd_);
  if (font_) DeleteObject(font_);
}

bool MainWindowView::Create() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hIcon = appIcon_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kMainWindowClassName;
  // A second window of the class in the same process (a test's) finds it registered.
  if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
  WNDCLASSEXW lc{};
  lc.cbSize = sizeof(lc);
  lc.lpfnWndProc = LabelProc;
  lc.hInstance = instance_;
  lc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  lc.lpszClassName = kLabelClassName;
  RegisterClassExW(&lc);
  WNDCLASSEXW bc{};
  bc.cbSize = sizeof(bc);
  bc.lpfnWndProc = ButtonProc;
  bc.hInstance = instance_;
  bc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  bc.lpszClassName = kPictureButtonClassName;
  RegisterClassExW(&bc);
  ReadColours();

  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  quitRequest_ = RegisterWindowMessageW(W(kQuitRequestMessageName));
  refreshRequest_ = RegisterWindowMessageW(W(u16(kRefreshRequestMessage)));
  // Centred on the primary screen, at its scale, until it is shown at the lower right.
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  scale_ = DisplayScale(DpiAtPoint(POINT{sw / 2, sh / 2}));
  const int w = scale_.Px(kMainClientWidth), h = scale_.Px(kMainClientHeight);
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMainWindowClassName, W(AppTitle), WS_POPUP | WS_CLIPCHILDREN,
                          (sw - w) / 2, (sh - h) / 2, w, h, nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;
  // Lock, unlock, logoff and disconnect of this session arrive as WM_WTSSESSION_CHANGE.
  WTSRegisterSessionNotification(hwnd_, NOTIFY_FOR_THIS_SESSION);
  // Explorer runs unelevated: without this its "TaskbarCreated" never arrives after it restarts.
  AllowMessageFromLowerIntegrity(hwnd_, taskbarCreated_, SystemMessageFilterCalls());

  const std::pair<TLabel*, int> labels[] = {{form_->Label_Status_Cam, kIdLabelStatusCam},
                                            {form_->Label_Status_Mic, kIdLabelStatusMic},
                                            {form_->Label_RebootNeed_Cam, kIdLabelRebootCam},
                                            {form_->Label_RebootNeed_Mic, kIdLabelRebootMic}};
  for (const auto& [label, id] : labels) {
    const RECT r = PixelRect(*label);
    HWND lw = CreateWindowExW(0, kLabelClassName, W(label->Text()),
                              WS_CHILD | WS_CLIPSIBLINGS | (label->Visible ? WS_VISIBLE : 0), r.left, r.top,
                              r.right - r.left, r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(INT_PTR(id)),
                              instance_, nullptr);
    SetWindowLongPtrW(lw, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    labels_[label] = lw;
  }
  // The picture buttons lie under the texts (the status lines sit on the big pictures), in Tab order.
  const auto order = form_->FocusOrder();
  const int ids[] = {kIdButtonWebCam, kIdButtonMic,  kIdButtonIM,       kIdButtonFeedback,
                     kIdButtonOptions, kIdButtonHelp, kIdButtonMinimize, kIdButtonClose};
  for (size_t i = 0; i < order.size() && i < std::size(ids); ++i) {
    TControl* b = order[i];
    const RECT r = PixelRect(*b);
    HWND w = CreateWindowExW(0, kPictureButtonClassName, W(form_->AccessibleName(*b)),
                             WS_CHILD | WS_CLIPSIBLINGS | WS_TABSTOP | (b->Visible ? WS_VISIBLE : 0), r.left, r.top,
                             r.right - r.left, r.bottom - r.top, hwnd_, reinterpret_cast<HMENU>(INT_PTR(ids[i])),
                             instance_, nullptr);
    if (!w) continue;
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowPos(w, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    buttons_.emplace_back(b, w);
  }
  for (TControl* c : form_->Controls()) c->Changed = [this](TControl& changed) { ControlChanged(changed); };
  // The monitor the window landed on decides (it may differ from the one asked before).
  ApplyScale(DpiForWindow(hwnd_));
  return true;
}

void MainWindowView::ApplyScale(int dpi) {
  scale_ = DisplayScale(dpi);
  if (font_) DeleteObject(font_);
  font_ = CreateScaledFont(L"Segoe UI", kLabelFontHeight, false, scale_);
  if (!hwnd_) return;
  SetWindowPos(hwnd_, nullptr, 0, 0, scale_.Px(kMainClientWidth), scale_.Px(kMainClientHeight),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const auto& [label, w] : labels_) {
    const RECT r = PixelRect(*label);
    SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  for (const auto& [button, w] : buttons_) {
    const RECT r = PixelRect(*button);
    SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// Moved to a monitor of another scale (or the scale changed): the window keeps its lower-right
// placement when it had it, and otherwise goes where Windows suggests.
void MainWindowView::ScaleChanged(int dpi, const RECT& suggested) {
  const TPoint at = WindowPosition();
  const bool placed = at == TForm_Veilcap::LowerRightPlacement(ScreenSize(), scale_);
  ApplyScale(dpi);
  const TPoint to = placed ? TForm_Veilcap::LowerRightPlacement(ScreenSize(), scale_)
                           : TPoint{int(suggested.left), int(suggested.top)};
  SetWindowPos(hwnd_, nullptr, to.x, to.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindowView::SnapWhileDragged(RECT& r) {
  MONITORINFO mi{};
  mi.cbSize = sizeof(mi);
  if (!GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi)) return;
  r = ToRECT(SnapToWorkArea(ToTRect(r), ToTRect(mi.rcWork), scale_.Px(kSnapDistance)));
}

TSize MainWindowView::ScreenSize() { return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

TPoint MainWindowView::WindowPosition() {
  RECT r{};
  if (hwnd_) GetWindowRect(hwnd_, &r);
  return {r.left, r.top};
}

void MainWindowView::ShowAt(int left, int top) {
  if (!hwnd_) return;
  SetWindowPos(hwnd_, HWND_TOPMOST, left, top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  SetForegroundWindow(hwnd_);
}

void MainWindowView::Hide() {
  if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
}

bool MainWindowView::LabelTextFits(const TLabel& label, const u16& text) {
  if (!hwnd_ || !font_) return true;
  const RECT r = PixelRect(label);
  HDC dc = GetDC(hwnd_);
  if (!dc) return true;
  HGDIOBJ old = SelectObject(dc, font_);
  RECT calc{0, 0, r.right - r.left, 0};
  DrawTextW(dc, W(text), -1, &calc, DT_NOPREFIX | DT_CALCRECT | (label.WordWrap ? DT_WORDBREAK : DT_SINGLELINE));
  SelectObject(dc, old);
  ReleaseDC(hwnd_, dc);
  return calc.right - calc.left <= r.right - r.left && calc.bottom - calc.top <= r.bottom - r.top;
}

void MainWindowView::SetTrayIconLoader(TrayIconLoader load, int loadedAtDpi, int (*primaryDpi)()) {
  loadIcons_ = std::move(load);
  iconsDpi_ = loadedAtDpi;
  primaryDpi_ = primaryDpi;
}

void MainWindowView::PrimaryScaleMayHaveChanged() {
  if (!loadIcons_ || !primaryDpi_) return;
  const int dpi = primaryDpi_();
  if (dpi <= 0 || dpi == iconsDpi_) return;
  const TrayIcons old = icons_;
  icons_ = loadIcons_(dpi);
  iconsDpi_ = dpi;
  if (trayAdded_) UpdateTrayIcon(form_->CurrentTrayIcon, form_->TrayTooltipText());
  for (HICON i : {old.normal, old.on, old.off, old.noDevice, old.normalInUse, old.onInUse, old.offInUse, old.noDeviceInUse})
    if (i) DestroyIcon(i);
}

HICON MainWindowView::IconFor(TrayIconKind icon) const {
  switch (icon) {
    case TrayIconKind::On: return icons_.on;
    case TrayIconKind::Off: return icons_.off;
    case TrayIconKind::NoDevice: return icons_.noDevice;
    case TrayIconKind::NormalInUse: return icons_.normalInUse;
    case TrayIconKind::OnInUse: return icons_.onInUse;
    case TrayIconKind::OffInUse: return icons_.offInUse;
    case TrayIconKind::NoDeviceInUse: return icons_.noDeviceInUse;
    case TrayIconKind::Normal: break;
  }
  return icons_.normal;
}

void MainWindowView::FillTrayData(NOTIFYICONDATAW& nid, TrayIconKind icon, const u16& tooltip) {
  nid = {};
  nid.cbSize = sizeof(nid);
  nid.hWnd = hwnd_;
  nid.uID = kTrayIconId;
  nid.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP | NIF_SHOWTIP;
  nid.uCallbackMessage = kTrayCallbackMessage;
  nid.hIcon = IconFor(icon);
  const size_t n = std::min(tooltip.size(), std::size(nid.szTip) - 1);
  std::copy_n(reinterpret_cast<const wchar_t*>(tooltip.data()), n, nid.szTip);
  nid.szTip[n] = 0;
}

void MainWindowView::AddTrayIcon(TrayIconKind icon, const u16& tooltip) {
  if (!hwnd_) throw OsError(ERROR_INVALID_WINDOW_HANDLE, u"The main window does not exist");
  NOTIFYICONDATAW nid;
  FillTrayData(nid, icon, tooltip);
  if (!Shell_NotifyIconW(NIM_ADD, &nid)) throw OsError(GetLastError(), u"The notification-area icon could not be added");
  nid.uVersion = NOTIFYICON_VERSION_4;
  Shell_NotifyIconW(NIM_SETVERSION, &nid);
  trayAdded_ = true;
}

void MainWindowView::UpdateTrayIcon(TrayIconKind icon, const u16& tooltip) {
  if (!hwnd_ || !trayAdded_) return;
  NOTIFYICONDATAW nid;
  FillTrayData(nid, icon, tooltip);
  nid.uFlags &= ~UINT(NIF_MESSAGE);
  Shell_NotifyIconW(NIM_MODIFY, &nid);
}

void MainWindowView::ShowNotice(const u16& title, const u16& text) {
  if (!hwnd_ || !trayAdded_) return;
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = hwnd_;
  nid.uID = kTrayIconId;
  nid.uFlags = NIF_INFO;
  nid.dwInfoFlags = NIIF_USER | NIIF_LARGE_ICON;
  nid.hBalloonIcon = appIcon_;
  const size_t nt = std::min(title.size(), std::size(nid.szInfoTitle) - 1);
  std::copy_n(reinterpret_cast<const wchar_t*>(title.data()), nt, nid.szInfoTitle);
  const size_t nx = std::min(text.size(), std::size(nid.szInfo) - 1);
  std::copy_n(reinterpret_cast<const wchar_t*>(text.data()), nx, nid.szInfo);
  Shell_NotifyIconW(NIM_MODIFY, &nid);
}

void MainWindowView::RemoveTrayIcon() {
  if (!hwnd_ || !trayAdded_) return;
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = hwnd_;
  nid.uID = kTrayIconId;
  Shell_NotifyIconW(NIM_DELETE, &nid);
  trayAdded_ = false;
}

TMenuItem* MainWindowView::PopupMenu(TPopupMenu& menu, int x, int y) {
  if (!hwnd_) return nullptr;
  std::vector<TMenuItem*> ids;
  HMENU h = CreatePopupMenu();
  AppendItems(h, menu, ids, scale_);
  // The window must be in the foreground, or the menu does not close when the user clicks elsewhere.
  SetForegroundWindow(hwnd_);
  const UINT chosen = UINT(TrackPopupMenuEx(h, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y,
                                            hwnd_, nullptr));
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(h);
  return chosen >= 1 && chosen <= ids.size() ? ids[chosen - 1] : nullptr;
}

void MainWindowView::WarningBox(const u16& text) { MessageBoxW(hwnd_, W(text), W(AppTitle), MB_OK | MB_ICONWARNING); }
void MainWindowView::ErrorBox(const u16& text) { MessageBoxW(hwnd_, W(text), W(AppTitle), MB_OK | MB_ICONERROR); }
bool MainWindowView::ConfirmBox(const u16& text, const u16& confirmCaption) {
  return ShowConfirmBox(hwnd_, AppTitle, text, confirmCaption);
}
void MainWindowView::Sleep(uint32_t ms) { ::Sleep(ms); }

uint32_t MainWindowView::NowMs() {
  using namespace std::chrono;
  return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void MainWindowView::ProcessMessages() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(int(m.wParam));
      return;
    }
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

void MainWindowView::BeginWindowDrag() {
  if (!hwnd_) return;
  ReleaseCapture();
  SendMessageW(hwnd_, WM_SYSCOMMAND, 0xF012, 0);  // SC_MOVE with the caption hit code
}

void MainWindowView::Close() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void MainWindowView::ControlChanged(TControl& c) {
  if (!hwnd_) return;
  if (auto* label = dynamic_cast<TLabel*>(&c)) {
    auto it = labels_.find(label);
    if (it == labels_.end()) return;
    HWND w = it->second;
    SetWindowTextW(w, W(label->Text()));
    ShowWindow(w, label->Visible ? SW_SHOWNA : SW_HIDE);
    InvalidateRect(w, nullptr, FALSE);
    return;
  }
  for (const auto& [button, w] : buttons_)
    if (button == &c) UpdateButton(c, w);
  RECT r = PixelRect(c);
  InflateRect(&r, scale_.Px(1), scale_.Px(1));  // a pressed button may have moved by one pixel
  RedrawWindow(hwnd_, &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

// A button window follows its control: shown while the control is, named for screen readers in
// the current language and state (readers hear of a new name at once).
void MainWindowView::UpdateButton(TControl& button, HWND w) {
  if (!button.Visible && GetFocus() == w) SetFocus(hwnd_);
  ShowWindow(w, button.Visible ? SW_SHOWNA : SW_HIDE);
  const u16 name = form_->AccessibleName(button);
  wchar_t current[512] = {};
  GetWindowTextW(w, current, int(std::size(current)));
  if (FromW(current) != name) {
    SetWindowTextW(w, W(name));
    NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, w, OBJID_CLIENT, CHILDID_SELF);
  }
}

void MainWindowView::ReadColours() { colours_ = SystemColoursNow(); }

void MainWindowView::PaintBackdrop(HDC dc, const RECT& area) {
  // In high contrast the system's window colours replace the fixed light background.
  HBRUSH bg = CreateSolidBrush(colours_.highContrast ? colours_.window : ToColorRef(kMainBackground));
  FillRect(dc, &area, bg);
  DeleteObject(bg);
  // Shape1: the one-pixel black frame of the borderless window (as thick as the scale makes it).
  HBRUSH frame = CreateSolidBrush(colours_.highContrast ? colours_.windowText : RGB(0, 0, 0));
  RECT all = PixelRect(*form_->Shape1);
  for (int i = 0; i < std::max(1, scale_.Px(1)); ++i) {
    FrameRect(dc, &all, frame);
    InflateRect(&all, -1, -1);
  }
  DeleteObject(frame);
  Gdiplus::Graphics g(dc);
  g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  for (TControl* c : form_->Controls()) {
    auto* image = dynamic_cast<TImage*>(c);
    if (!image || !image->Visible) continue;
    RECT r = PixelRect(*image), hit;
    if (!IntersectRect(&hit, &r, &area)) continue;
    DrawPicture(g, image->Picture, r, image->Stretch, image->Center, image->Transparent, scale_);
  }
  // The focus ring of the focused picture button: two pixels in the selection colour just inside
  // its edge, over the picture (and under whatever text covers the edge, which draws it too).
  if (TControl* focused = ButtonOf(GetFocus())) {
    HBRUSH ring = CreateSolidBrush(colours_.highlight);
    RECT r = PixelRect(*focused);
    for (int i = 0; i < scale_.Px(2); ++i) {
      InflateRect(&r, -1, -1);
      FrameRect(dc, &r, ring);
    }
    DeleteObject(ring);
  }
}

void MainWindowView::PaintWindow() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd_, &ps);
  RECT client;
  GetClientRect(hwnd_, &client);
  {
    BufferDC buffer(dc, client.right, client.bottom);
    PaintBackdrop(buffer.dc(), ps.rcPaint);
    BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left, ps.rcPaint.bottom - ps.rcPaint.top,
           buffer.dc(), ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  }
  EndPaint(hwnd_, &ps);
}

// Paints a child window through a buffer: the main window's backdrop at its place (the focus ring
// included), then what over draws on it.
void MainWindowView::PaintChild(HWND w, const TControl& c, const std::function<void(HDC, const RECT&)>& over) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  RECT rc;
  GetClientRect(w, &rc);
  {
    BufferDC buffer(dc, rc.right, rc.bottom);
    HDC m = buffer.dc();
    const RECT at = PixelRect(c);
    SetViewportOrgEx(m, -at.left, -at.top, nullptr);
    PaintBackdrop(m, at);
    SetViewportOrgEx(m, 0, 0, nullptr);
    if (over) over(m, rc);
    BitBlt(dc, 0, 0, rc.right, rc.bottom, m, 0, 0, SRCCOPY);
  }
  EndPaint(w, &ps);
}

void MainWindowView::PaintLabel(HWND w, TLabel& label) {
  PaintChild(w, label, [&](HDC m, const RECT& rc) {
    // The pictures keep their light text bands in high contrast too, where the text colour may be
    // white: the label then lies on a backing of the window colour.
    if (colours_.highContrast) {
      HBRUSH backing = CreateSolidBrush(colours_.window);
      FillRect(m, &rc, backing);
      DeleteObject(backing);
    }
    HGDIOBJ oldFont = SelectObject(m, font_);
    SetBkMode(m, TRANSPARENT);
    SetTextColor(m, colours_.highContrast ? colours_.windowText : GetSysColor(COLOR_WINDOWTEXT));
    UINT format = DT_NOPREFIX | (label.Alignment == TAlignment::Center ? DT_CENTER : 0) |
                  (label.Alignment == TAlignment::Right ? DT_RIGHT : 0);
    RECT text = rc;
    if (label.WordWrap) {
      format |= DT_WORDBREAK;
      if (label.CenterVertically) {
        RECT calc = rc;
        DrawTextW(m, W(label.Text()), -1, &calc, format | DT_CALCRECT);
        const int h = calc.bottom - calc.top;
        if (h < rc.bottom) text.top = (rc.bottom - h) / 2;
      }
    } else {
      format |= DT_SINGLELINE | (label.CenterVertically ? DT_VCENTER : 0);
    }
    DrawTextW(m, W(label.Text()), -1, &text, format);
    SelectObject(m, oldFont);
  });
}

TControl* MainWindowView::HitTest(int x, int y) { return form_->ControlAt(scale_.Logical(x), scale_.Logical(y)); }

TControl* MainWindowView::ButtonOf(HWND w) const {
  for (const auto& [button, hwnd] : buttons_)
    if (hwnd == w) return button;
  return nullptr;
}

void MainWindowView::MoveFocus(HWND from, int step) {
  const int n = int(buttons_.size());
  if (n == 0) return;
  int at = -1;
  for (int i = 0; i < n; ++i)
    if (buttons_[size_t(i)].second == from) at = i;
  if (at < 0) at = step > 0 ? -1 : n;  // from outside: the first (or, backwards, the last)
  for (int k = 0; k < n; ++k) {
    at = ((at + step) % n + n) % n;
    const auto& [button, w] = buttons_[size_t(at)];
    if (button->Visible) {
      SetFocus(w);
      return;
    }
  }
}

// A key press does what a click does: only while the control is shown and enabled.
void MainWindowView::PressButton(TControl& button) {
  if (button.Visible && button.Enabled) button.Click();
}

void MainWindowView::MouseMove(int x, int y) {
  if (!tracking_) {
    TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, hwnd_, 0};
    tracking_ = TrackMouseEvent(&t) != FALSE;
  }
  TControl* hit = HitTest(x, y);
  if (pressed_ && hit != pressed_) hit = nullptr;  // while pressed only the pressed control counts
  if (hit == hover_) return;
  TControl* old = hover_;
  hover_ = hit;
  if (auto* b = dynamic_cast<TPellamMouseImage3State*>(old)) b->MouseLeave();
  if (auto* b = dynamic_cast<TPellamMouseImage3State*>(hit)) b->MouseEnter();
}

void MainWindowView::MouseLeftWindow() {
  tracking_ = false;
  if (pressed_) return;  // the capture still reports the release
  TControl* old = hover_;
  hover_ = nullptr;
  if (auto* b = dynamic_cast<TPellamMouseImage3State*>(old)) b->MouseLeave();
}

void MainWindowView::MouseDown(UINT msg, int x, int y) {
  TControl* hit = HitTest(x, y);
  if (hit == form_->Image_Logo) {
    form_->Image_LogoMouseDown();
    return;
  }
  if (msg != WM_LBUTTONDOWN || !hit) return;
  // Once the keyboard is in use among the buttons, a click moves the focus ring along.
  if (ButtonOf(GetFocus()))
    for (const auto& [button, w] : buttons_)
      if (button == hit) SetFocus(w);
  pressed_ = hit;
  SetCapture(hwnd_);
  if (auto* b = dynamic_cast<TPellamMouseImage3State*>(hit)) b->MouseDown();
}

void MainWindowView::MouseUp(int x, int y) {
  TControl* c = pressed_;
  pressed_ = nullptr;
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!c) return;
  const RECT r = PixelRect(*c);
  const bool inside = PtInRect(&r, POINT{x, y}) != FALSE;
  if (auto* b = dynamic_cast<TPellamMouseImage3State*>(c)) b->MouseUp();
  MouseMove(x, y);
  if (inside && c->Enabled && c->Visible) c->Click();
}

void MainWindowView::TrayEvent(WPARAM wp, LPARAM lp) {
  switch (LOWORD(lp)) {
    case NIN_SELECT:
    case NIN_KEYSELECT:
    case WM_LBUTTONUP:
      form_->Tray_Show->Click();
      break;
    case WM_CONTEXTMENU:  // with NOTIFYICON_VERSION_4 the right click (and the menu key) arrives only as this
      form_->Tray_ContextMenu(GET_X_LPARAM(wp), GET_Y_LPARAM(wp));
      break;
    default:
      break;
  }
}

LRESULT MainWindowView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == taskbarCreated_ && taskbarCreated_ != 0) {
    // Explorer restarted: the icon is gone with the old notification area.
    trayAdded_ = false;
    if (form_->TRAYICON_DONE) AddTrayIcon(form_->CurrentTrayIcon, form_->TrayTooltipText());
    return 0;
  }
  if (msg == quitRequest_ && quitRequest_ != 0) {
    form_->Handle_QuitRequest();
    return 0;
  }
  if (msg == refreshRequest_ && refreshRequest_ != 0) {
    // A command-line run switched devices: show the new state at once.
    form_->Button_RefreshClick();
    return 0;
  }
  switch (msg) {
    case kWmShowRunningInstance:
      form_->Handle_ShowRunningInstance();
      return 0;
    case kTrayCallbackMessage:
      TrayEvent(wp, lp);
      return 0;
    case WM_HOTKEY:
      form_->HotkeyPressed(int(wp));
      return 0;
    case WM_WTSSESSION_CHANGE:
      form_->Session_Changed(uint32_t(wp));
      return 0;
    case WM_MEASUREITEM:
      if (MeasureMenuBitmap(*reinterpret_cast<MEASUREITEMSTRUCT*>(lp))) return TRUE;
      break;
    case WM_DRAWITEM:
      if (DrawMenuBitmap(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp))) return TRUE;
      break;
    case WM_PAINT:
      PaintWindow();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_DPICHANGED:
      ScaleChanged(LOWORD(wp), *reinterpret_cast<const RECT*>(lp));
      PrimaryScaleMayHaveChanged();
      return 0;
    case WM_DISPLAYCHANGE:
      PrimaryScaleMayHaveChanged();
      break;
    case WM_ENTERSIZEMOVE:
      dragging_ = true;
      break;
    case WM_EXITSIZEMOVE:
      dragging_ = false;
      break;
    case WM_MOVING:
      SnapWhileDragged(*reinterpret_cast<RECT*>(lp));
      return TRUE;
    case WM_WINDOWPOSCHANGING: {
      // Where the move loop places the window without asking WM_MOVING first.
      auto& pos = *reinterpret_cast<WINDOWPOS*>(lp);
      if (dragging_ && !(pos.flags & SWP_NOMOVE)) {
        RECT r{pos.x, pos.y, pos.x + scale_.Px(kMainClientWidth), pos.y + scale_.Px(kMainClientHeight)};
        SnapWhileDragged(r);
        pos.x = r.left;
        pos.y = r.top;
      }
      break;
    }
    case WM_MOUSEMOVE:
      MouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    case WM_MOUSELEAVE:
      MouseLeftWindow();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      MouseDown(msg == WM_LBUTTONDBLCLK ? UINT(WM_LBUTTONDOWN) : msg, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    case WM_LBUTTONUP:
      MouseUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    case WM_CAPTURECHANGED:
      if (pressed_ && reinterpret_cast<HWND>(lp) != hwnd_) {
        TControl* c = pressed_;
        pressed_ = nullptr;
        if (auto* b = dynamic_cast<TPellamMouseImage3State*>(c)) b->MouseUp();
      }
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lp) == HTCLIENT) {
        SetCursor(LoadCursorW(nullptr, hover_ && hover_->HandCursor ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_KEYDOWN:
      // The window itself has the focus (just shown): Tab enters the buttons, Esc hides it.
      if (wp == VK_TAB) {
        MoveFocus(nullptr, GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
        return 0;
      }
      if (wp == VK_ESCAPE) {
        form_->PellamMouseImage3State_CloseClick();
        return 0;
      }
      break;
    case WM_SETTINGCHANGE:
    case WM_SYSCOLORCHANGE:
      PrimaryScaleMayHaveChanged();
      ReadColours();
      RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
      break;
    case WM_DESTROY:
      WTSUnRegisterSessionNotification(hwnd_);
      RemoveTrayIcon();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      labels_.clear();
      buttons_.clear();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK MainWindowView::WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  return RoutedWindowProc<MainWindowView, &MainWindowView::hwnd_, &MainWindowView::Handle>(w, msg, wp, lp);
}

LRESULT CALLBACK MainWindowView::LabelProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the main window handles the pointer over its labels
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      auto* view = reinterpret_cast<MainWindowView*>(GetWindowLongPtrW(w, GWLP_USERDATA));
      if (view && view->form_) {
        for (const auto& [label, hwnd] : view->labels_) {
          if (hwnd != w) continue;
          GuardedCall(w, [&, l = label] { view->PaintLabel(w, *l); });
          return 0;
        }
      }
      break;
    }
    default:
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

LRESULT CALLBACK MainWindowView::ButtonProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  auto* view = reinterpret_cast<MainWindowView*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  TControl* button = view && view->form_ ? view->ButtonOf(w) : nullptr;
  if (!button) return DefWindowProcW(w, msg, wp, lp);
  LRESULT result = 0;
  GuardedCall(w, [&] { result = view->HandleButton(w, *button, msg, wp, lp); });
  return result;
}

LRESULT MainWindowView::HandleButton(HWND w, TControl& button, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;  // the main window handles the pointer over its buttons
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      PaintChild(w, button);
      return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
      RECT r = PixelRect(button);  // the focus ring, with the texts over it
      RedrawWindow(hwnd_, &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
      return 0;
    }
    case WM_GETDLGCODE:
      return DLGC_WANTALLKEYS;
    case WM_KEYDOWN: {
      const bool repeat = (lp & 0x40000000) != 0;
      switch (wp) {
        case VK_TAB:
          MoveFocus(w, GetKeyState(VK_SHIFT) < 0 ? -1 : 1);
          return 0;
        case VK_RIGHT:
        case VK_DOWN:
          MoveFocus(w, 1);
          return 0;
        case VK_LEFT:
        case VK_UP:
          MoveFocus(w, -1);
          return 0;
        case VK_SPACE:
        case VK_RETURN:
          if (!repeat) PressButton(button);
          return 0;
        case VK_ESCAPE:
          form_->PellamMouseImage3State_CloseClick();
          return 0;
        default:
          break;
      }
      break;
    }
    case WM_CHAR:
      return 0;  // no beep for the keys handled above
    case WM_GETOBJECT:
      if (LRESULT r = AnswerButtonGetObject(w, wp, lp)) return r;
      break;
    case kAccessibleStateQuery:
      return button.Visible && button.Enabled ? kAccessibleEnabled : 0;
    case kAccessiblePress:
      PressButton(button);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

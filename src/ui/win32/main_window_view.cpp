#include "ui/win32/main_window_view.h"

#include <windowsx.h>

#include <algorithm>

#include "core/errors.h"
#include "core/win32/windows_seams.h"
#include "platform/environment.h"
#include "platform/runmode.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/guard.h"
#include "ui/win32/menu_images.h"

namespace {
COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

RECT ControlRect(const TControl& c) { return RECT{c.Left, c.Top, c.Left + c.W(), c.Top + c.Height}; }

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

bool IsInteractive(const TControl& c) {
  return dynamic_cast<const TPellamMouseImage3State*>(&c) || (dynamic_cast<const TLabel*>(&c) && c.OnClick);
}

void AppendItems(HMENU menu, TMenuItem& parent, std::vector<TMenuItem*>& ids) {
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
      AppendItems(sub, *item, ids);
      AppendMenuW(menu, flags | MF_POPUP, reinterpret_cast<UINT_PTR>(sub), W(caption));
      SetMenuItemBitmap(menu, UINT(GetMenuItemCount(menu) - 1), parent.SubImages, item->ImageIndex);
      continue;
    }
    ids.push_back(item);
    const UINT id = UINT(ids.size());
    AppendMenuW(menu, flags, id, W(caption));
    SetMenuItemBitmap(menu, UINT(GetMenuItemCount(menu) - 1), parent.SubImages, item->ImageIndex);
    if (item->Default) SetMenuDefaultItem(menu, id, FALSE);
  }
}
}  // namespace

MainWindowView::MainWindowView(HINSTANCE instance, std::vector<u16> args, MainWindowHooks hooks, TrayIcons icons,
                               HICON appIcon)
    : instance_(instance), icons_(icons), appIcon_(appIcon) {
  form_ = std::make_unique<TForm_Veilcap>(*this, std::move(args), std::move(hooks));
  font_ = CreateFontW(-13, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                      CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Segoe UI");
}

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
  if (!RegisterClassExW(&wc)) return false;
  WNDCLASSEXW lc{};
  lc.cbSize = sizeof(lc);
  lc.lpfnWndProc = LabelProc;
  lc.hInstance = instance_;
  lc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  lc.lpszClassName = kLabelClassName;
  RegisterClassExW(&lc);

  taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  // Centred on the desktop until it is shown at the lower right.
  const int x = (GetSystemMetrics(SM_CXSCREEN) - kMainClientWidth) / 2;
  const int y = (GetSystemMetrics(SM_CYSCREEN) - kMainClientHeight) / 2;
  hwnd_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMainWindowClassName, W(AppTitle), WS_POPUP | WS_CLIPCHILDREN,
                          x, y, kMainClientWidth, kMainClientHeight, nullptr, nullptr, instance_, this);
  if (!hwnd_) return false;

  const std::pair<TLabel*, int> labels[] = {{form_->Label_Status_Cam, kIdLabelStatusCam},
                                            {form_->Label_Status_Mic, kIdLabelStatusMic},
                                            {form_->Label_RebootNeed_Cam, kIdLabelRebootCam},
                                            {form_->Label_RebootNeed_Mic, kIdLabelRebootMic}};
  for (const auto& [label, id] : labels) {
    HWND w = CreateWindowExW(0, kLabelClassName, W(label->Text()),
                             WS_CHILD | WS_CLIPSIBLINGS | (label->Visible ? WS_VISIBLE : 0), label->Left, label->Top,
                             label->W(), label->Height, hwnd_, reinterpret_cast<HMENU>(INT_PTR(id)), instance_, nullptr);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    labels_[label] = w;
  }
  for (TControl* c : form_->Controls()) c->Changed = [this](TControl& changed) { ControlChanged(changed); };
  return true;
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

HICON MainWindowView::IconFor(TrayIconKind icon) const {
  switch (icon) {
    case TrayIconKind::On: return icons_.on;
    case TrayIconKind::Off: return icons_.off;
    case TrayIconKind::NoDevice: return icons_.noDevice;
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

void MainWindowView::RemoveTrayIcon() {
  if (!hwnd_ || !trayAdded_) return;
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = hwnd_;
  nid.uID = kTrayIconId;
  Shell_NotifyIconW(NIM_DELETE, &nid);
  trayAdded_ = false;
}

void MainWindowView::PopupMenu(TPopupMenu& menu, int x, int y) {
  if (!hwnd_) return;
  std::vector<TMenuItem*> ids;
  HMENU h = CreatePopupMenu();
  AppendItems(h, menu, ids);
  // The window must be in the foreground, or the menu does not close when the user clicks elsewhere.
  SetForegroundWindow(hwnd_);
  const UINT chosen = UINT(TrackPopupMenuEx(h, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, x, y,
                                            hwnd_, nullptr));
  PostMessageW(hwnd_, WM_NULL, 0, 0);
  DestroyMenu(h);
  if (chosen >= 1 && chosen <= ids.size()) ids[chosen - 1]->Click();
}

void MainWindowView::WarningBox(const u16& text) { MessageBoxW(hwnd_, W(text), W(AppTitle), MB_OK | MB_ICONWARNING); }
void MainWindowView::ErrorBox(const u16& text) { MessageBoxW(hwnd_, W(text), W(AppTitle), MB_OK | MB_ICONERROR); }
void MainWindowView::Sleep(uint32_t ms) { ::Sleep(ms); }

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
  RECT r = ControlRect(c);
  InflateRect(&r, 1, 1);  // a pressed button may have moved by one pixel
  RedrawWindow(hwnd_, &r, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void MainWindowView::PaintBackdrop(HDC dc, const RECT& area) {
  HBRUSH bg = CreateSolidBrush(ToColorRef(kMainBackground));
  FillRect(dc, &area, bg);
  DeleteObject(bg);
  // Shape1: the one-pixel black frame of the borderless window.
  HBRUSH frame = CreateSolidBrush(RGB(0, 0, 0));
  const RECT all = ControlRect(*form_->Shape1);
  FrameRect(dc, &all, frame);
  DeleteObject(frame);
  Gdiplus::Graphics g(dc);
  g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
  g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
  for (TControl* c : form_->Controls()) {
    auto* image = dynamic_cast<TImage*>(c);
    if (!image || !image->Visible) continue;
    RECT r = ControlRect(*image), hit;
    if (!IntersectRect(&hit, &r, &area)) continue;
    DrawPicture(g, image->Picture, r, image->Stretch, image->Center, image->Transparent);
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

void MainWindowView::PaintLabel(HWND w, TLabel& label) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  RECT rc;
  GetClientRect(w, &rc);
  {
    BufferDC buffer(dc, rc.right, rc.bottom);
    HDC m = buffer.dc();
    // What lies under the label, then its text.
    SetViewportOrgEx(m, -label.Left, -label.Top, nullptr);
    PaintBackdrop(m, ControlRect(label));
    SetViewportOrgEx(m, 0, 0, nullptr);
    HGDIOBJ oldFont = SelectObject(m, font_);
    SetBkMode(m, TRANSPARENT);
    SetTextColor(m, GetSysColor(COLOR_WINDOWTEXT));
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
    BitBlt(dc, 0, 0, rc.right, rc.bottom, m, 0, 0, SRCCOPY);
  }
  EndPaint(w, &ps);
}

TControl* MainWindowView::HitTest(int x, int y) {
  const auto& controls = form_->Controls();
  for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
    TControl* c = *it;
    if (!c->Visible || !c->Contains(x, y)) continue;
    if (IsInteractive(*c) || c == form_->Image_Logo) return c;
  }
  return nullptr;
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
  pressed_ = hit;
  SetCapture(hwnd_);
  if (auto* b = dynamic_cast<TPellamMouseImage3State*>(hit)) b->MouseDown();
}

void MainWindowView::MouseUp(int x, int y) {
  TControl* c = pressed_;
  pressed_ = nullptr;
  if (GetCapture() == hwnd_) ReleaseCapture();
  if (!c) return;
  const bool inside = c->Contains(x, y);
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
    case WM_CONTEXTMENU:  // with NOTIFYICON_VERSION_4 the right click arrives only as this
      form_->Tray_PopupAt(GET_X_LPARAM(wp), GET_Y_LPARAM(wp));
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
  switch (msg) {
    case kWmShowRunningInstance:
      form_->Handle_ShowRunningInstance();
      return 0;
    case kTrayCallbackMessage:
      TrayEvent(wp, lp);
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
    case WM_DESTROY:
      RemoveTrayIcon();
      PostQuitMessage(0);
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      labels_.clear();
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

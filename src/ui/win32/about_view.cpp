#include "ui/win32/about_view.h"

#include <windowsx.h>

#include <algorithm>
#include <iterator>

#include "core/win32/windows_seams.h"
#include "ui/win32/guard.h"
#include "ui/win32/main_window_view.h"  // PaintLinkButton

namespace {
COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

HFONT Tahoma(int height, bool bold) {
  return CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, L"Tahoma");
}

// One run of the credits text: a piece drawn in one font, or a line break.
struct Run {
  u16 text;
  bool bold = false;
  bool lineBreak = false;
};

// The small subset of HTML the credits use: <b>, </b> and <br>; line breaks of the line list itself
// do not break (as in HTML); any other tag is dropped.
std::vector<Run> ParseCredits(const std::vector<u16>& lines) {
  u16 all;
  for (const u16& l : lines) all += l + u" ";
  std::vector<Run> runs;
  bool bold = false;
  u16 text;
  auto flush = [&] {
    if (!text.empty()) runs.push_back({text, bold, false});
    text.clear();
  };
  for (size_t i = 0; i < all.size();) {
    if (all[i] == u'<') {
      const size_t end = all.find(u'>', i);
      if (end != u16::npos) {
        const u16 tag = AsciiLower(all.substr(i + 1, end - i - 1));
        flush();
        if (tag == u"b") bold = true;
        if (tag == u"/b") bold = false;
        if (tag == u"br" || tag == u"br/" || tag == u"br /") runs.push_back({u"", bold, true});
        i = end + 1;
        // A blank right after a line break starts no line.
        while (i < all.size() && all[i] == u' ' && !runs.empty() && runs.back().lineBreak) ++i;
        continue;
      }
    }
    text += all[i++];
  }
  flush();
  return runs;
}
}  // namespace

void ShowAboutDialog(HINSTANCE instance, HWND owner, int background) {
  TForm_About model;
  model.FormCreate();
  AboutDialogView view(instance, model, background);
  view.ShowModal(owner);
}

AboutDialogView::AboutDialogView(HINSTANCE instance, TForm_About& model, int background)
    : instance_(instance), model_(model), backgroundId_(background) {
  font_ = Tahoma(-11, false);
  boldFont_ = Tahoma(-11, true);
  versionFont_ = Tahoma(-12, false);
  if (background)
    background_ = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(background), IMAGE_BITMAP, 0, 0,
                                                  LR_CREATEDIBSECTION));
  model_.Close = [this] {
    closed_ = true;
    if (hwnd_) ShowWindow(hwnd_, SW_HIDE);
  };
}

AboutDialogView::~AboutDialogView() {
  model_.Close = nullptr;
  if (hwnd_) DestroyWindow(hwnd_);
  for (HGDIOBJ o : {HGDIOBJ(font_), HGDIOBJ(boldFont_), HGDIOBJ(versionFont_), HGDIOBJ(background_)})
    if (o) DeleteObject(o);
}

void AboutDialogView::Create(HWND owner) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kAboutWindowClass;
  RegisterClassW(&wc);  // fails harmlessly when it is already registered

  const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
  const DWORD exStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
  RECT r{0, 0, kAboutClientWidth, kAboutClientHeight};
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
  const int w = r.right - r.left, h = r.bottom - r.top;
  const int x = (GetSystemMetrics(SM_CXSCREEN) - w) / 2, y = (GetSystemMetrics(SM_CYSCREEN) - h) / 2;
  CreateWindowExW(exStyle, kAboutWindowClass, W(model_.Caption.value_or(u"")), style, x, y, w, h, owner, nullptr,
                  instance_, this);
  if (!hwnd_) return;
  // Remove the system menu's other commands: only the close box stays.
  if (HMENU sys = GetSystemMenu(hwnd_, FALSE)) {
    for (UINT cmd : {SC_RESTORE, SC_MOVE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE}) DeleteMenu(sys, cmd, MF_BYCOMMAND);
  }

  // The version is a window of its own, so that its text can be read like any window text; it
  // draws the background picture under its text itself.
  WNDCLASSW lc{};
  lc.lpfnWndProc = VersionProc;
  lc.hInstance = instance_;
  lc.lpszClassName = kAboutVersionClass;
  RegisterClassW(&lc);
  const TLabel& v = *model_.Label_Version;
  CreateWindowExW(0, kAboutVersionClass, W(v.Text()), WS_CHILD | WS_VISIBLE, v.Left, v.Top, v.W(), v.Height, hwnd_,
                  reinterpret_cast<HMENU>(INT_PTR(kIdAboutVersion)), instance_, nullptr);
  const TButton& ok = *model_.Button_Ok;
  HWND button = CreateWindowExW(0, L"BUTTON", W(ok.Caption.value_or(u"")),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, ok.Left, ok.Top, ok.W(),
                                ok.Height, hwnd_, reinterpret_cast<HMENU>(INT_PTR(IDOK)), instance_, nullptr);
  SendMessageW(button, WM_SETFONT, WPARAM(font_), FALSE);
  SetFocus(button);
}

void AboutDialogView::ShowModal(HWND owner) {
  if (!hwnd_) Create(owner);
  if (!hwnd_) return;
  closed_ = false;
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  ShowWindow(hwnd_, SW_SHOW);
  UpdateWindow(hwnd_);
  MSG m;
  while (!closed_) {
    const BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(int(m.wParam));  // the program is ending: leave the dialog
      break;
    }
    if (IsDialogMessageW(hwnd_, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  if (ownerWasEnabled) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
  ShowWindow(hwnd_, SW_HIDE);
}

TTarvoUnicodeSTButton* AboutDialogView::LinkAt(int x, int y) {
  for (TTarvoUnicodeSTButton* b : {model_.TarvoUnicodeSTButton_EULA, model_.TarvoUnicodeSTButton_Privacy})
    if (b->Visible && b->Contains(x, y)) return b;
  return nullptr;
}

void AboutDialogView::MouseMove(int x, int y) {
  if (!tracking_) {
    TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, hwnd_, 0};
    tracking_ = TrackMouseEvent(&t) != FALSE;
  }
  TTarvoUnicodeSTButton* now = LinkAt(x, y);
  if (now == hover_) return;
  if (hover_) {
    hover_->MouseLeave();
    RECT r{hover_->Left, hover_->Top, hover_->Left + hover_->W(), hover_->Top + hover_->Height};
    InvalidateRect(hwnd_, &r, FALSE);
  }
  hover_ = now;
  if (hover_) {
    hover_->MouseEnter();
    RECT r{hover_->Left, hover_->Top, hover_->Left + hover_->W(), hover_->Top + hover_->Height};
    InvalidateRect(hwnd_, &r, FALSE);
  }
}

void AboutDialogView::MouseLeft() {
  tracking_ = false;
  if (!hover_) return;
  hover_->MouseLeave();
  hover_ = nullptr;
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void AboutDialogView::PaintCredits(HDC dc) {
  const TControl& box = *model_.HTMLabel1;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, HighContrastOn() ? GetSysColor(COLOR_WINDOWTEXT) : RGB(0, 0, 0));
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICW tm{};
  GetTextMetricsW(dc, &tm);
  const RECT clip{box.Left, box.Top, box.Left + box.W(), box.Top + box.Height};
  int x = box.Left, y = box.Top;
  for (const Run& run : ParseCredits(model_.HTMLabel1->HTMLLines)) {
    if (run.lineBreak) {
      x = box.Left;
      y += tm.tmHeight;
      continue;
    }
    SelectObject(dc, run.bold ? boldFont_ : font_);
    SIZE size{};
    GetTextExtentPoint32W(dc, W(run.text), int(run.text.size()), &size);
    RECT r{x, y, clip.right, std::min(LONG(y + tm.tmHeight), clip.bottom)};
    DrawTextW(dc, W(run.text), int(run.text.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    x += size.cx;
  }
  SelectObject(dc, old);
}

void AboutDialogView::PaintBackground(HDC dc, int left, int top) {
  RECT all{0, 0, kAboutClientWidth, kAboutClientHeight};
  OffsetRect(&all, -left, -top);
  FillRect(dc, &all, HighContrastOn() ? GetSysColorBrush(COLOR_WINDOW) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!background_) return;
  BITMAP bm{};
  GetObjectW(background_, sizeof(bm), &bm);
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ oldSrc = SelectObject(src, background_);
  const TImage& img = *model_.Image2;
  SetStretchBltMode(dc, HALFTONE);
  StretchBlt(dc, img.Left - left, img.Top - top, img.W(), img.Height, src, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  SelectObject(src, oldSrc);
  DeleteDC(src);
}

void AboutDialogView::PaintVersion(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  RECT r;
  GetClientRect(w, &r);
  const TLabel& v = *model_.Label_Version;
  PaintBackground(dc, v.Left, v.Top);
  wchar_t text[128] = {};
  GetWindowTextW(w, text, int(std::size(text)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ToColorRef(kWhite));
  HGDIOBJ old = SelectObject(dc, versionFont_);
  DrawTextW(dc, text, -1, &r, DT_RIGHT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
  SelectObject(dc, old);
  EndPaint(w, &ps);
}

LRESULT CALLBACK AboutDialogView::VersionProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCHITTEST:
      return HTTRANSPARENT;
    case WM_ERASEBKGND:
      return 1;
    case WM_SETTEXT: {
      const LRESULT r = DefWindowProcW(w, msg, wp, lp);
      InvalidateRect(w, nullptr, FALSE);
      return r;
    }
    case WM_PAINT:
      if (auto* view = reinterpret_cast<AboutDialogView*>(GetWindowLongPtrW(GetParent(w), GWLP_USERDATA))) {
        GuardedCall(w, [&] { view->PaintVersion(w); });
        return 0;
      }
      break;
    default:
      break;
  }
  return DefWindowProcW(w, msg, wp, lp);
}

void AboutDialogView::Paint() {
  PAINTSTRUCT ps;
  HDC target = BeginPaint(hwnd_, &ps);
  HDC dc = CreateCompatibleDC(target);
  HBITMAP buffer = CreateCompatibleBitmap(target, kAboutClientWidth, kAboutClientHeight);
  HGDIOBJ oldBuffer = SelectObject(dc, buffer);

  PaintBackground(dc, 0, 0);
  PaintCredits(dc);
  for (TTarvoUnicodeSTButton* b : {model_.TarvoUnicodeSTButton_EULA, model_.TarvoUnicodeSTButton_Privacy})
    PaintLinkButton(dc, *b);

  BitBlt(target, 0, 0, kAboutClientWidth, kAboutClientHeight, dc, 0, 0, SRCCOPY);
  SelectObject(dc, oldBuffer);
  DeleteObject(buffer);
  DeleteDC(dc);
  EndPaint(hwnd_, &ps);
}

LRESULT AboutDialogView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      MouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      return 0;
    case WM_MOUSELEAVE:
      MouseLeft();
      return 0;
    case WM_LBUTTONDOWN:
      pressed_ = LinkAt(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      if (pressed_) SetCapture(hwnd_);
      return 0;
    case WM_LBUTTONUP: {
      TTarvoUnicodeSTButton* b = pressed_;
      pressed_ = nullptr;
      if (GetCapture() == hwnd_) ReleaseCapture();
      const int x = GET_X_LPARAM(lp), y = GET_Y_LPARAM(lp);
      if (b && b->Enabled) {
        b->MouseUp(x, y);
        if (LinkAt(x, y) == b) b->Click();
      }
      return 0;
    }
    case WM_SETCURSOR:
      // Over the OK button: no link is hovered any more, whatever the leave tracking reported.
      if (reinterpret_cast<HWND>(wp) != hwnd_) MouseLeft();
      if (LOWORD(lp) == HTCLIENT && reinterpret_cast<HWND>(wp) == hwnd_) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        SetCursor(LoadCursorW(nullptr, LinkAt(p.x, p.y) ? IDC_HAND : IDC_ARROW));
        return TRUE;
      }
      break;
    case WM_COMMAND:
      if (LOWORD(wp) == IDOK) {
        model_.Button_Ok->Click();
        return 0;
      }
      if (LOWORD(wp) == IDCANCEL) {
        closed_ = true;
        return 0;
      }
      break;
    case WM_CLOSE:
      closed_ = true;
      return 0;
    case WM_NCDESTROY:
      hwnd_ = nullptr;
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, msg, wp, lp);
}

LRESULT CALLBACK AboutDialogView::WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  return RoutedWindowProc<AboutDialogView, &AboutDialogView::hwnd_, &AboutDialogView::Handle>(w, msg, wp, lp);
}

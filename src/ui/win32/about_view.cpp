#include "ui/win32/about_view.h"

#include <windowsx.h>
#include <shlwapi.h>

#include <algorithm>
#include <iterator>

#include "core/win32/windows_seams.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/guard.h"
#include "ui/win32/main_window_view.h"  // PaintLinkButton

namespace {
COLORREF ToColorRef(uint32_t rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

// A PNG resource of the program as a bitmap (white under transparent parts); nullptr when missing.
HBITMAP PngResource(HINSTANCE instance, int id) {
  if (!id) return nullptr;
  HRSRC info = FindResourceW(instance, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  HGLOBAL data = info ? LoadResource(instance, info) : nullptr;
  const void* bytes = data ? LockResource(data) : nullptr;
  const DWORD size = info ? SizeofResource(instance, info) : 0;
  if (!bytes || !size) return nullptr;
  IStream* stream = SHCreateMemStream(static_cast<const BYTE*>(bytes), UINT(size));
  if (!stream) return nullptr;
  HBITMAP result = nullptr;
  {
    Gdiplus::Bitmap png(stream);
    if (png.GetLastStatus() != Gdiplus::Ok || png.GetHBITMAP(Gdiplus::Color(255, 255, 255, 255), &result) != Gdiplus::Ok)
      result = nullptr;
  }
  stream->Release();
  return result;
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

void ShowAboutDialog(HINSTANCE instance, HWND owner, const AboutBackground& background) {
  TForm_About model;
  model.FormCreate();
  AboutDialogView view(instance, model, background);
  view.ShowModal(owner);
}

AboutDialogView::AboutDialogView(HINSTANCE instance, TForm_About& model, const AboutBackground& background)
    : instance_(instance), model_(model), backgroundIds_(background) {
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

RECT AboutDialogView::PixelRect(const TControl& c) const { return ToRECT(scale_.Of(c)); }

void AboutDialogView::LoadBackground() {
  if (background_) DeleteObject(background_);
  background_ = nullptr;
  // The smallest rendering at or above the scale, else the largest below it.
  const int percent = PictureScalePercent(scale_.Dpi());
  const int order150[] = {backgroundIds_.png150, backgroundIds_.png200};
  const int order200[] = {backgroundIds_.png200, backgroundIds_.png150};
  if (percent > 100)
    for (int id : percent == 150 ? order150 : order200)
      if ((background_ = PngResource(instance_, id)) != nullptr) return;
  if (backgroundIds_.bitmap)
    background_ = static_cast<HBITMAP>(LoadImageW(instance_, MAKEINTRESOURCEW(backgroundIds_.bitmap), IMAGE_BITMAP, 0,
                                                  0, LR_CREATEDIBSECTION));
}

void AboutDialogView::ApplyScale(int dpi) {
  scale_ = DisplayScale(dpi);
  for (HFONT* f : {&font_, &boldFont_, &versionFont_}) {
    if (*f) DeleteObject(*f);
    *f = nullptr;
  }
  font_ = CreateScaledFont(L"Tahoma", -11, false, scale_);
  boldFont_ = CreateScaledFont(L"Tahoma", -11, true, scale_);
  versionFont_ = CreateScaledFont(L"Tahoma", -12, false, scale_);
  LoadBackground();
  if (!hwnd_) return;
  const RECT v = PixelRect(*model_.Label_Version), ok = PixelRect(*model_.Button_Ok);
  if (HWND w = GetDlgItem(hwnd_, kIdAboutVersion))
    SetWindowPos(w, nullptr, v.left, v.top, v.right - v.left, v.bottom - v.top, SWP_NOZORDER | SWP_NOACTIVATE);
  if (HWND b = GetDlgItem(hwnd_, IDOK)) {
    SetWindowPos(b, nullptr, ok.left, ok.top, ok.right - ok.left, ok.bottom - ok.top, SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(b, WM_SETFONT, WPARAM(font_), TRUE);
  }
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void AboutDialogView::Create(HWND owner) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance_;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kAboutWindowClass;
  RegisterClassW(&wc);  // fails harmlessly when it is already registered

  // Centred on the primary screen, at that monitor's scale.
  const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  ApplyScale(DpiAtPoint(POINT{sw / 2, sh / 2}));
  RECT r = ToRECT(scale_.Rect(0, 0, kAboutClientWidth, kAboutClientHeight));
  AdjustWindowRectForDpi(r, kStyle, kExStyle, scale_.Dpi());
  const int w = r.right - r.left, h = r.bottom - r.top;
  CreateWindowExW(kExStyle, kAboutWindowClass, W(model_.Caption.value_or(u"")), kStyle, (sw - w) / 2, (sh - h) / 2,
                  w, h, owner, nullptr, instance_, this);
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
  const RECT vr = PixelRect(v);
  CreateWindowExW(0, kAboutVersionClass, W(v.Text()), WS_CHILD | WS_VISIBLE, vr.left, vr.top, vr.right - vr.left,
                  vr.bottom - vr.top, hwnd_, reinterpret_cast<HMENU>(INT_PTR(kIdAboutVersion)), instance_, nullptr);
  const TButton& ok = *model_.Button_Ok;
  const RECT br = PixelRect(ok);
  HWND button = CreateWindowExW(0, L"BUTTON", W(ok.Caption.value_or(u"")),
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, br.left, br.top,
                                br.right - br.left, br.bottom - br.top, hwnd_, reinterpret_cast<HMENU>(INT_PTR(IDOK)),
                                instance_, nullptr);
  SendMessageW(button, WM_SETFONT, WPARAM(font_), FALSE);
  SetFocus(button);
  // The monitor the dialog landed on decides.
  const int dpi = DpiForWindow(hwnd_);
  if (dpi != scale_.Dpi()) {
    ApplyScale(dpi);
    ResizeForClient(hwnd_, scale_.Px(kAboutClientWidth), scale_.Px(kAboutClientHeight), kStyle, kExStyle, dpi);
  }
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
  for (TTarvoUnicodeSTButton* b : {model_.TarvoUnicodeSTButton_EULA, model_.TarvoUnicodeSTButton_Privacy}) {
    const RECT r = PixelRect(*b);
    if (b->Visible && PtInRect(&r, POINT{x, y})) return b;
  }
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
    const RECT r = PixelRect(*hover_);
    InvalidateRect(hwnd_, &r, FALSE);
  }
  hover_ = now;
  if (hover_) {
    hover_->MouseEnter();
    const RECT r = PixelRect(*hover_);
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
  const RECT clip = PixelRect(box);
  int x = clip.left, y = clip.top;
  for (const Run& run : ParseCredits(model_.HTMLabel1->HTMLLines)) {
    if (run.lineBreak) {
      x = clip.left;
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
  RECT all = ToRECT(scale_.Rect(0, 0, kAboutClientWidth, kAboutClientHeight));
  OffsetRect(&all, -left, -top);
  FillRect(dc, &all, HighContrastOn() ? GetSysColorBrush(COLOR_WINDOW) : static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  if (!background_) return;
  BITMAP bm{};
  GetObjectW(background_, sizeof(bm), &bm);
  HDC src = CreateCompatibleDC(dc);
  HGDIOBJ oldSrc = SelectObject(src, background_);
  const RECT img = PixelRect(*model_.Image2);
  const int w = img.right - img.left, h = img.bottom - img.top;
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  if (w == bm.bmWidth && h == bm.bmHeight)
    BitBlt(dc, img.left - left, img.top - top, w, h, src, 0, 0, SRCCOPY);  // its own size: pixel for pixel
  else
    StretchBlt(dc, img.left - left, img.top - top, w, h, src, 0, 0, bm.bmWidth, bm.bmHeight, SRCCOPY);
  SelectObject(src, oldSrc);
  DeleteDC(src);
}

void AboutDialogView::PaintVersion(HWND w) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(w, &ps);
  RECT r;
  GetClientRect(w, &r);
  const RECT at = PixelRect(*model_.Label_Version);
  PaintBackground(dc, at.left, at.top);
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
  const int w = scale_.Px(kAboutClientWidth), h = scale_.Px(kAboutClientHeight);
  HBITMAP buffer = CreateCompatibleBitmap(target, w, h);
  HGDIOBJ oldBuffer = SelectObject(dc, buffer);

  PaintBackground(dc, 0, 0);
  PaintCredits(dc);
  for (TTarvoUnicodeSTButton* b : {model_.TarvoUnicodeSTButton_EULA, model_.TarvoUnicodeSTButton_Privacy})
    PaintLinkButton(dc, *b, scale_);

  BitBlt(target, 0, 0, w, h, dc, 0, 0, SRCCOPY);
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
    case WM_DPICHANGED: {
      ApplyScale(LOWORD(wp));
      const RECT& to = *reinterpret_cast<const RECT*>(lp);
      SetWindowPos(hwnd_, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
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
        b->MouseUp(scale_.Logical(x), scale_.Logical(y));  // the model's coordinates are at 100 %
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

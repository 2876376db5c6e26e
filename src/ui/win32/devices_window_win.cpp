#include "ui/win32/devices_window_win.h"

#include "ui/win32/dpi.h"
#include "ui/win32/guard.h"

#include <objbase.h>
#include <setupapi.h>

#include <cstring>

#include "core/win32/windows_seams.h"
#include "devices/device.h"

namespace {
constexpr int kIconWidth = 16;
constexpr COLORREF kMaskColour = RGB(255, 0, 255);
constexpr int kLabelPadding = 12;  // what the list view keeps free around a cell's text

GUID ParseGuid(const u16& text, bool* ok) {
  GUID g{};
  *ok = CLSIDFromString(const_cast<LPOLESTR>(W(text)), &g) == NOERROR;
  return g;
}

HBRUSH Brush(COLORREF c) { return CreateSolidBrush(c); }

void Fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
  RECT rc{l, t, r, b};
  HBRUSH br = Brush(c);
  FillRect(dc, &rc, br);
  DeleteObject(br);
}

void Ellipse(HDC dc, int l, int t, int r, int b, COLORREF fill, COLORREF line) {
  HBRUSH br = Brush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, line);
  HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
  ::Ellipse(dc, l, t, r, b);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(br);
  DeleteObject(pen);
}

void RoundBox(HDC dc, int l, int t, int r, int b, int radius, COLORREF fill, COLORREF line) {
  HBRUSH br = Brush(fill);
  HPEN pen = CreatePen(PS_SOLID, 1, line);
  HGDIOBJ ob = SelectObject(dc, br), op = SelectObject(dc, pen);
  RoundRect(dc, l, t, r, b, radius, radius);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(br);
  DeleteObject(pen);
}

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

// The three class icons, 16 x 16 at 100 %, drawn 3 pixels below the top of a row-high cell (the
// drawing is in 100 % coordinates; the device context's transform scales it).
enum class OwnIcon { Camera, Imaging, Audio };

void DrawOwnIcon(HDC dc, OwnIcon kind) {
  const COLORREF dark = RGB(60, 64, 72), lens = RGB(0, 120, 215), light = RGB(200, 220, 240);
  const int y = 3;
  switch (kind) {
    case OwnIcon::Camera:  // a webcam: round head on a foot
      Ellipse(dc, 2, y + 0, 14, y + 12, dark, dark);
      Ellipse(dc, 5, y + 3, 11, y + 9, lens, light);
      Fill(dc, 7, y + 12, 9, y + 14, dark);
      Fill(dc, 4, y + 14, 12, y + 16, dark);
      break;
    case OwnIcon::Imaging:  // a photo camera: body, top and lens
      Fill(dc, 5, y + 2, 10, y + 4, dark);
      RoundBox(dc, 1, y + 4, 15, y + 14, 3, dark, dark);
      Ellipse(dc, 5, y + 6, 11, y + 12, lens, light);
      Fill(dc, 12, y + 5, 14, y + 6, light);
      break;
    case OwnIcon::Audio:  // a microphone: capsule, holder and foot
      RoundBox(dc, 5, y + 0, 11, y + 10, 6, dark, dark);
      Fill(dc, 6, y + 3, 10, y + 4, light);
      Fill(dc, 6, y + 5, 10, y + 6, light);
      Fill(dc, 3, y + 7, 4, y + 11, dark);
      Fill(dc, 12, y + 7, 13, y + 11, dark);
      Fill(dc, 4, y + 11, 12, y + 12, dark);
      Fill(dc, 7, y + 12, 9, y + 15, dark);
      Fill(dc, 4, y + 15, 12, y + 16, dark);
      break;
  }
}
}  // namespace

DevicesWindowView::DevicesWindowView(TForm_VCP_Devices& model) : model_(model) {
  Create();
  model_.OnNodesChanged = [this] { RebuildRows(); };
  model_.OnTextsChanged = [this] { ApplyTexts(); };
  RebuildRows();
}

DevicesWindowView::~DevicesWindowView() {
  model_.OnNodesChanged = nullptr;
  model_.OnTextsChanged = nullptr;
  if (window_) DestroyWindow(window_);
  if (icons_) ImageList_Destroy(icons_);
  if (classImages_) SetupDiDestroyClassImageList(reinterpret_cast<SP_CLASSIMAGELIST_DATA*>(classImageData_));
  if (font_) DeleteObject(font_);
  if (headerFont_) DeleteObject(headerFont_);
}

void DevicesWindowView::Create() {
  static const bool registered = [] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = WndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kDevicesWindowClass;
    return RegisterClassExW(&wc) != 0;
  }();
  if (!registered) return;
  // Created at the primary monitor's scale, where it shows centred; ShowModal checks again.
  scale_ = DisplayScale(DpiAtPoint(POINT{GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2}));
  RECT r = ToRECT(scale_.Rect(0, 0, kDevicesClientWidth, kDevicesClientHeight));
  AdjustWindowRectForDpi(r, kStyle, kExStyle, scale_.Dpi());
  window_ = CreateWindowExW(kExStyle, kDevicesWindowClass, L"", kStyle, 0, 0, r.right - r.left, r.bottom - r.top,
                            nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (!window_) return;

  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&icc);
  list_ = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS, 0, 0, 0, 0, window_,
                          nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!list_) return;
  ListView_SetExtendedListViewStyle(list_, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_HEADERDRAGDROP |
                                               LVS_EX_DOUBLEBUFFER | LVS_EX_SUBITEMIMAGES);
  for (int c = 0; c < 2; ++c) {
    LVCOLUMNW col{};
    col.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    col.cx = scale_.Px(kDevicesColumnWidths[c]);
    col.pszText = const_cast<wchar_t*>(L"");
    col.iSubItem = c;
    ListView_InsertColumn(list_, c, &col);
  }
  ApplyScale(scale_.Dpi());
  // Windows' own class icons where SetupAPI has them (not under Wine, whose stub fails).
  auto* data = reinterpret_cast<SP_CLASSIMAGELIST_DATA*>(classImageData_);
  static_assert(sizeof(SP_CLASSIMAGELIST_DATA) <= sizeof(classImageData_));
  data->cbSize = sizeof(SP_CLASSIMAGELIST_DATA);
  classImages_ = SetupDiGetClassImageList(data) != FALSE;
  ApplyTexts();
}

void DevicesWindowView::ApplyScale(int dpi) {
  const int old = scale_.Dpi();
  scale_ = DisplayScale(dpi);
  for (HFONT* f : {&font_, &headerFont_}) {
    if (*f) DeleteObject(*f);
    *f = nullptr;
  }
  font_ = CreateScaledFont(L"Tahoma", -11, false, scale_);
  headerFont_ = CreateScaledFont(L"Tahoma", -12, false, scale_);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (!list_) return;
  const RECT r = ToRECT(scale_.Rect(kDevicesListMargin, kDevicesListMargin, kDevicesClientWidth - 2 * kDevicesListMargin,
                                    kDevicesClientHeight - 2 * kDevicesListMargin));
  SetWindowPos(list_, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  if (HWND header = ListView_GetHeader(list_)) SendMessageW(header, WM_SETFONT, reinterpret_cast<WPARAM>(headerFont_), FALSE);
  // The columns keep what the user made of them, at the new scale.
  if (old != dpi)
    for (int c = 0; c < 2; ++c) ListView_SetColumnWidth(list_, c, MulDiv(ListView_GetColumnWidth(list_, c), dpi, old));
  CreateIcons();
  if (!model_.Nodes.empty()) RebuildRows();
  InvalidateRect(list_, nullptr, TRUE);
}

// The row height comes from the small image list: icons are 16 x 22 images (at 100 %) holding a
// 16 x 16 picture 3 pixels from the top, so every row is 22 pixels high at 100 %.
void DevicesWindowView::CreateIcons() {
  if (icons_) {
    ListView_SetImageList(list_, nullptr, LVSIL_SMALL);
    ImageList_Destroy(icons_);
  }
  const int w = scale_.Px(kIconWidth), h = scale_.Px(kDevicesNodeHeight);
  icons_ = ImageList_Create(w, h, ILC_COLOR32 | ILC_MASK, 8, 8);
  if (!icons_) return;
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  SetGraphicsMode(dc, GM_ADVANCED);
  const float f = float(scale_.Dpi()) / float(kBaseDpi);
  const XFORM zoom{f, 0, 0, f, 0, 0}, identity{1, 0, 0, 1, 0, 0};
  for (int i = 0; i < 3; ++i) {
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(dc, bmp);
    Fill(dc, 0, 0, w, h, kMaskColour);
    SetWorldTransform(dc, &zoom);
    DrawOwnIcon(dc, static_cast<OwnIcon>(i));
    SetWorldTransform(dc, &identity);
    SelectObject(dc, old);
    ownIcons_[i] = ImageList_AddMasked(icons_, bmp, kMaskColour);
    DeleteObject(bmp);
  }
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  ListView_SetImageList(list_, icons_, LVSIL_SMALL);
}

int DevicesWindowView::IconFor(const TTreeData_Device& d) {
  const u16 cls = d.ClassGUID();
  if (classImages_) {
    bool ok = false;
    GUID g = ParseGuid(cls, &ok);
    auto* data = reinterpret_cast<SP_CLASSIMAGELIST_DATA*>(classImageData_);
    int index = -1;
    if (ok && SetupDiGetClassImageIndex(data, &g, &index) && index != -1) {
      if (HICON icon = ImageList_GetIcon(data->ImageList, index, ILD_NORMAL)) {
        // Copied into a row-high image, 3 pixels from the top (at 100 %).
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        const int w = scale_.Px(kIconWidth), h = scale_.Px(kDevicesNodeHeight);
        HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
        HGDIOBJ old = SelectObject(dc, bmp);
        Fill(dc, 0, 0, w, h, kMaskColour);
        DrawIconEx(dc, 0, scale_.Px(3), icon, w, w, 0, nullptr, DI_NORMAL);
        SelectObject(dc, old);
        int added = ImageList_AddMasked(icons_, bmp, kMaskColour);
        DeleteObject(bmp);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        DestroyIcon(icon);
        if (added >= 0) return added;
      }
    }
  }
  if (cls == kClassAudioEndpoint) return ownIcons_[2];
  if (cls == kClassImage) return ownIcons_[1];
  if (cls == kClassCamera) return ownIcons_[0];
  return -1;
}

void DevicesWindowView::ApplyTexts() {
  if (!window_) return;
  SetWindowTextW(window_, W(model_.Caption.value_or(u"")));
  const auto& items = model_.VirtualDrawTree_Devices->Items;
  for (int c = 0; c < 2 && size_t(c) < items.size(); ++c) {
    u16 text = items[size_t(c)];
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT;
    col.pszText = const_cast<wchar_t*>(W(text));
    ListView_SetColumn(list_, c, &col);
  }
}

void DevicesWindowView::RebuildRows() {
  if (!list_) return;
  filling_ = true;
  SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
  ListView_DeleteAllItems(list_);
  if (classImages_) {
    // Class icons copied for the previous rows are dropped with them.
    while (ImageList_GetImageCount(icons_) > 3) ImageList_Remove(icons_, ImageList_GetImageCount(icons_) - 1);
  }
  for (size_t i = 0; i < model_.Nodes.size(); ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = int(i);
    item.pszText = LPSTR_TEXTCALLBACKW;
    item.iImage = IconFor(model_.Nodes[i].Data);
    item.lParam = LPARAM(i);
    int at = ListView_InsertItem(list_, &item);
    if (at >= 0) {
      LVITEMW sub{};
      sub.iSubItem = 1;
      sub.mask = LVIF_TEXT | LVIF_IMAGE;
      sub.iItem = at;
      sub.iImage = -1;
      sub.pszText = LPSTR_TEXTCALLBACKW;
      SendMessageW(list_, LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&sub));
      ListView_SetCheckState(list_, at, model_.Nodes[i].Checked);
    }
  }
  SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list_, nullptr, TRUE);
  filling_ = false;
}

int DevicesWindowView::TextWidth(u16v text) {
  HDC dc = GetDC(list_);
  HGDIOBJ old = SelectObject(dc, font_);
  SIZE s{};
  GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(text.data()), int(text.size()), &s);
  SelectObject(dc, old);
  ReleaseDC(list_, dc);
  return s.cx;
}

void DevicesWindowView::ShowModal(HWND owner) {
  if (!window_ || modal_) return;
  ApplyTexts();
  SetWindowLongPtrW(window_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
  RECT wr;
  GetWindowRect(window_, &wr);
  RECT desk;
  GetWindowRect(GetDesktopWindow(), &desk);
  const int w = wr.right - wr.left, h = wr.bottom - wr.top;
  SetWindowPos(window_, HWND_TOP, desk.left + (desk.right - desk.left - w) / 2, desk.top + (desk.bottom - desk.top - h) / 2,
               0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
  // Shown on a monitor of another scale than it was made for (or the scale changed since).
  const int dpi = DpiForWindow(window_);
  if (dpi != scale_.Dpi()) {
    ApplyScale(dpi);
    ResizeForClient(window_, scale_.Px(kDevicesClientWidth), scale_.Px(kDevicesClientHeight), kStyle, kExStyle, dpi);
  }
  const bool ownerWasEnabled = owner && IsWindowEnabled(owner);
  if (ownerWasEnabled) EnableWindow(owner, FALSE);
  modal_ = true;
  SetForegroundWindow(window_);
  SetFocus(list_);
  MSG msg;
  while (modal_) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(int(msg.wParam));  // leave the program's loop the quit too
      break;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && (msg.hwnd == window_ || IsChild(window_, msg.hwnd))) {
      PostMessageW(window_, WM_CLOSE, 0, 0);
      continue;
    }
    if (IsDialogMessageW(window_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  modal_ = false;
  if (ownerWasEnabled) EnableWindow(owner, TRUE);
  ShowWindow(window_, SW_HIDE);
  if (owner && IsWindowVisible(owner)) SetForegroundWindow(owner);
}

LRESULT CALLBACK DevicesWindowView::WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
  }
  auto* self = reinterpret_cast<DevicesWindowView*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (!self || !self->window_) return DefWindowProcW(w, msg, wp, lp);
  LRESULT result = 0;
  GuardedCall(w, [&] { result = self->Handle(msg, wp, lp); });
  return result;
}

LRESULT DevicesWindowView::Handle(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CLOSE:
      model_.FormClose();
      modal_ = false;
      ShowWindow(window_, SW_HIDE);
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lp), lp);
    case WM_DPICHANGED: {
      ApplyScale(LOWORD(wp));
      const RECT& to = *reinterpret_cast<const RECT*>(lp);
      SetWindowPos(window_, nullptr, to.left, to.top, to.right - to.left, to.bottom - to.top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
  }
  return DefWindowProcW(window_, msg, wp, lp);
}

LRESULT DevicesWindowView::OnNotify(const NMHDR& n, LPARAM lp) {
  if (n.hwndFrom == ListView_GetHeader(list_) && (n.code == HDN_ENDTRACKW || n.code == HDN_ITEMCHANGEDW ||
                                                   n.code == HDN_ENDTRACKA || n.code == HDN_ITEMCHANGEDA)) {
    InvalidateRect(list_, nullptr, FALSE);  // the cut texts follow the new widths
    return 0;
  }
  if (n.hwndFrom != list_) return 0;
  switch (n.code) {
    case LVN_GETDISPINFOW: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(lp);
      if (!(di->item.mask & LVIF_TEXT)) return 0;
      const int column = di->item.iSubItem;
      RECT label{};
      ListView_GetSubItemRect(list_, di->item.iItem, column, LVIR_LABEL, &label);
      // Pixels at the scale throughout: the cell, the icon space and the measured texts.
      int width = label.right - label.left - scale_.Px(kLabelPadding);
      if (column == 0) width += scale_.Px(kDevicesIconSpace);  // the cell as the model sees it includes the icon
      LVITEMW probe{};
      probe.mask = LVIF_PARAM;
      probe.iItem = di->item.iItem;
      ListView_GetItem(list_, &probe);
      cellText_ = model_.CellText(size_t(probe.lParam), column, width, [this](u16v t) { return TextWidth(t); });
      lstrcpynW(di->item.pszText, W(cellText_), di->item.cchTextMax);
      return 0;
    }
    case LVN_ITEMCHANGED: {
      const auto* nm = reinterpret_cast<const NMLISTVIEW*>(lp);
      if (filling_ || !(nm->uChanged & LVIF_STATE)) return 0;
      const UINT before = (nm->uOldState & LVIS_STATEIMAGEMASK) >> 12, after = (nm->uNewState & LVIS_STATEIMAGEMASK) >> 12;
      if (before == after || before == 0 || after == 0) return 0;
      LVITEMW probe{};
      probe.mask = LVIF_PARAM;
      probe.iItem = nm->iItem;
      ListView_GetItem(list_, &probe);
      if (!model_.SetChecked(size_t(probe.lParam), after == 2)) {
        // A policy fixes the box: it goes back to what it was.
        filling_ = true;
        ListView_SetCheckState(list_, nm->iItem, before == 2);
        filling_ = false;
      }
      return 0;
    }
    case NM_DBLCLK: {
      const auto* act = reinterpret_cast<const NMITEMACTIVATE*>(lp);
      if (act->iItem >= 0) ListView_SetCheckState(list_, act->iItem, !ListView_GetCheckState(list_, act->iItem));
      return 0;
    }
  }
  return 0;
}

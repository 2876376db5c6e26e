#include "e2e/lib/ui_probe.h"

#include <objidl.h>
#include <gdiplus.h>
#include <shellapi.h>

#include <cstdlib>
#include <vector>

#include "e2e/lib/e2e.h"

std::wstring ChildText(HWND main, int id) {
  HWND child = GetDlgItem(main, id);
  if (!child) return L"";
  wchar_t buffer[512] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(child, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 1000, &copied))
    return L"";
  return std::wstring(buffer, copied);
}

bool TrayIconExists(HWND main) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = main;
  nid.uID = kTrayId;
  nid.uFlags = 0;
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

void ClickClient(HWND main, int x, int y) {
  const LPARAM at = MAKELPARAM(x, y);
  PostMessageW(main, WM_MOUSEMOVE, 0, at);
  PostMessageW(main, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(main, WM_LBUTTONUP, 0, at);
}

void TrayClick(HWND main, UINT event) {
  POINT p{30, 30};
  PostMessageW(main, kTrayCallback, MAKEWPARAM(p.x, p.y), MAKELPARAM(event, kTrayId));
}

HWND OpenMenu(DWORD pid) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid && IsWindowVisible(w)) return w;
  }
  return nullptr;
}

void MenuKey(HWND menu, WPARAM key) {
  PostMessageW(menu, WM_KEYDOWN, key, 1);
  PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
  Sleep(150);
}

bool TypeKeys(HWND window, const std::wstring& keys) {
  const std::wstring xdotool = L"Z:\\usr\\bin\\xdotool";
  if (GetFileAttributesW(xdotool.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  // Wine keeps the X window of each top-level window in this property.
  const auto x = reinterpret_cast<ULONG_PTR>(GetPropW(window, L"__wine_x11_whole_window"));
  if (!x) return false;
  Program focus;
  if (!focus.Start(xdotool, L"windowfocus --sync " + std::to_wstring(x))) return false;
  focus.WaitExit(10000);
  Sleep(200);
  Program type;
  if (!type.Start(xdotool, L"key --delay 150 " + keys)) return false;
  type.WaitExit(20000);
  return true;
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::wstring TestFolder() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p = path;
  return p.substr(0, p.find_last_of(L'\\'));
}

long RunTool(const std::wstring& exeName, const std::wstring& args, DWORD ms) {
  Program p;
  if (!p.Start(TestFolder() + L"\\" + exeName, args)) return -1;
  return p.WaitExit(ms);
}

bool ReadDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD* value) {
  DWORD size = sizeof(DWORD), type = 0;
  return RegGetValueW(root, key, name, RRF_RT_REG_DWORD | RRF_SUBKEY_WOW6464KEY, &type, value, &size) == ERROR_SUCCESS;
}

void WriteString(HKEY root, const wchar_t* key, const wchar_t* name, const std::wstring& text) {
  HKEY k;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), DWORD((text.size() + 1) * 2));
  RegCloseKey(k);
}

void WriteDword(HKEY root, const wchar_t* key, const wchar_t* name, DWORD value) {
  HKEY k;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(k);
}

void DeleteValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  HKEY k;
  if (RegOpenKeyExW(root, key, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, &k) != ERROR_SUCCESS) return;
  RegDeleteValueW(k, name);
  RegCloseKey(k);
}

namespace {
bool PngEncoder(CLSID* clsid) {
  UINT count = 0, size = 0;
  Gdiplus::GetImageEncodersSize(&count, &size);
  if (size == 0) return false;
  std::vector<BYTE> buffer(size);
  auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
  Gdiplus::GetImageEncoders(count, size, encoders);
  for (UINT i = 0; i < count; ++i) {
    if (std::wstring(encoders[i].MimeType) == L"image/png") {
      *clsid = encoders[i].Clsid;
      return true;
    }
  }
  return false;
}

std::wstring ShotFolder() {
  std::wstring folder = EnvPath(L"VEILCAP_SHOTS");
  if (folder.empty()) folder = TestFolder() + L"\\screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}
}  // namespace

std::wstring VisibleTooltipWith(const std::wstring& part) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"tooltips_class32", nullptr)) != nullptr) {
    if (!IsWindowVisible(w)) continue;
    wchar_t text[512] = {};
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(w, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, &n)) continue;
    const std::wstring t(text);
    if (t.find(part) != std::wstring::npos) return t;
  }
  return L"";
}

std::wstring SaveScreenshot(const std::wstring& name, const RECT& r) {
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok) return L"";
  std::wstring written;
  {
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    SelectObject(mem, old);
    Gdiplus::Bitmap image(bmp, nullptr);
    CLSID png;
    const std::wstring path = ShotFolder() + L"\\" + name;
    if (PngEncoder(&png) && image.Save(path.c_str(), &png, nullptr) == Gdiplus::Ok) written = path;
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
  }
  Gdiplus::GdiplusShutdown(token);
  return written;
}

std::vector<uint32_t> CaptureScreen(const RECT& r) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<uint32_t> pixels;
  if (w <= 0 || h <= 0) return pixels;
  pixels.resize(size_t(w) * size_t(h));
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
  SelectObject(mem, old);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  if (!GetDIBits(mem, bmp, 0, UINT(h), pixels.data(), &bi, DIB_RGB_COLORS)) pixels.clear();
  for (auto& p : pixels) p &= 0xFFFFFF;
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return pixels;
}

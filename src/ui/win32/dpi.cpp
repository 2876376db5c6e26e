#include "ui/win32/dpi.h"

#include "platform/win32/system_libraries.h"

namespace {
template <typename F>
F Lookup(HMODULE module, const char* name) {
  return module ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

// shcore.dll exists from Windows 8.1 on; loaded from System32 only, never from the program's folder.
HMODULE Shcore() {
  static const HMODULE module = LoadSystemLibrary(L"shcore.dll");
  return module;
}

HMODULE User32() { return GetModuleHandleW(L"user32.dll"); }

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using GetSystemMetricsForDpiFn = int(WINAPI*)(int, UINT);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    const int d = screen ? GetDeviceCaps(screen, LOGPIXELSX) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return d > 0 ? d : kBaseDpi;
  }();
  return dpi;
}

int DpiForMonitor(HMONITOR monitor) {
  static const auto fn = Lookup<GetDpiForMonitorFn>(Shcore(), "GetDpiForMonitor");
  UINT x = 0, y = 0;
  if (fn && monitor && SUCCEEDED(fn(monitor, 0 /* MDT_EFFECTIVE_DPI */, &x, &y)) && x > 0) return int(x);
  return SystemDpi();
}

int DpiForWindow(HWND window) {
  static const auto fn = Lookup<GetDpiForWindowFn>(User32(), "GetDpiForWindow");
  if (fn && window) {
    const UINT dpi = fn(window);
    if (dpi > 0) return int(dpi);
  }
  return window ? DpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST)) : SystemDpi();
}

int DpiAtPoint(POINT p) { return DpiForMonitor(MonitorFromPoint(p, MONITOR_DEFAULTTOPRIMARY)); }

int PrimaryMonitorDpi() { return DpiAtPoint(POINT{0, 0}); }

int SystemMetricForDpi(int index, int dpi) {
  static const auto fn = Lookup<GetSystemMetricsForDpiFn>(User32(), "GetSystemMetricsForDpi");
  if (fn) return fn(index, UINT(dpi));
  // Older systems answer at the system's scale.
  return MulDiv(GetSystemMetrics(index), dpi, SystemDpi());
}

void AdjustWindowRectForDpi(RECT& r, DWORD style, DWORD exStyle, int dpi) {
  static const auto fn = Lookup<AdjustWindowRectExForDpiFn>(User32(), "AdjustWindowRectExForDpi");
  if (fn && fn(&r, style, FALSE, exStyle, UINT(dpi))) return;
  AdjustWindowRectEx(&r, style, FALSE, exStyle);
}

void ResizeForClient(HWND w, int width, int height, DWORD style, DWORD exStyle, int dpi) {
  RECT r{0, 0, width, height};
  AdjustWindowRectForDpi(r, style, exStyle, dpi);
  SetWindowPos(w, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

HFONT CreateScaledFont(const wchar_t* face, int height, bool bold, const DisplayScale& scale, bool underline) {
  return CreateFontW(scale.Px(height), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, face);
}

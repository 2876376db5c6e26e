// A minimal main window that keeps the single-instance protocol working: it is registered under the
// main window's class name, sits at the lower right corner and shows itself on message 1053.
#include "app/main_window.h"

#include "core/win32/windows_seams.h"
#include "platform/environment.h"

namespace {
constexpr int kClientWidth = 502, kClientHeight = 332;

void ShowAtLowerRight(HWND w) {
  const int left = GetSystemMetrics(SM_CXSCREEN) - kClientWidth - 16;
  const int top = GetSystemMetrics(SM_CYSCREEN) - kClientHeight - 48;
  SetWindowPos(w, HWND_TOPMOST, left, top, kClientWidth, kClientHeight, SWP_SHOWWINDOW);
}

LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kWmShowRunningInstance:
      ShowAtLowerRight(w);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(w, &ps);
      RECT r;
      GetClientRect(w, &r);
      HBRUSH bg = CreateSolidBrush(RGB(251, 251, 251));
      FillRect(dc, &r, bg);
      DeleteObject(bg);
      SetBkMode(dc, TRANSPARENT);
      DrawTextW(dc, L"Vostrel Veilcap", -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
      EndPaint(w, &ps);
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

void RunNormal(HINSTANCE instance, const std::vector<u16>& args) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = WndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kMainWindowClass;
  if (!RegisterClassExW(&wc)) return;
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kMainWindowClass, W(AppTitle),
                           WS_POPUP | WS_BORDER, 0, 0, kClientWidth, kClientHeight, nullptr, nullptr, instance, nullptr);
  if (!w) return;
  if (!StartsInTray(args)) ShowAtLowerRight(w);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

void RunOneShotMode(RunMode) {}

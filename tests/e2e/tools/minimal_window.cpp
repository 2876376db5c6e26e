// minimal_window.exe [class]: the smallest tray program of ours, as a yardstick for start-up times:
// one hidden window of class "VeilcapMinimalWindow" (or the class given, to stand in for another
// program's window of that class) and a notification-area icon, until WM_CLOSE.
#include <windows.h>
#include <shellapi.h>

namespace {
constexpr wchar_t kClass[] = L"VeilcapMinimalWindow";

LRESULT CALLBACK Proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(w, msg, wp, lp);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  const wchar_t* cls = argc > 1 ? argv[1] : kClass;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cls;
  RegisterClassW(&wc);
  HWND w = CreateWindowExW(WS_EX_TOOLWINDOW, cls, L"minimal", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                           wc.hInstance, nullptr);
  if (!w) return 1;
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = w;
  nid.uID = 1;
  nid.uFlags = NIF_ICON | NIF_TIP;
  nid.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(nid.szTip, L"minimal");
  Shell_NotifyIconW(NIM_ADD, &nid);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  Shell_NotifyIconW(NIM_DELETE, &nid);
  return 0;
}

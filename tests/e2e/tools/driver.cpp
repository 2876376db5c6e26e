// Drives a running Veilcap from outside, for scripts and the sandbox:
//   driver wait-window CLASS MS   waits for a top-level window of the class; prints the elapsed ms
//   driver visible CLASS          exit 0 when such a window is visible, 1 otherwise
//   driver post CLASS MSG         posts message MSG (decimal) to the window
//   driver close CLASS            posts WM_CLOSE to the window
//   driver hold CLASS             keeps a hidden window of that class open until it is closed, so
//                                 Wine's desktop process stays up between test programs
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
HWND Find(const wchar_t* cls) { return FindWindowExW(nullptr, nullptr, cls, nullptr); }
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: driver wait-window|visible|post|close CLASS [ARG]\n");
    return 2;
  }
  const std::wstring cmd = argv[1];
  const wchar_t* cls = argv[2];
  if (cmd == L"hold") {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = cls;
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, cls, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
    if (!w) return 1;
    MSG m;
    while (IsWindow(w) && GetMessageW(&m, nullptr, 0, 0) > 0) {
      if (m.message == WM_CLOSE || (m.hwnd == w && m.message == WM_CLOSE)) break;
      DispatchMessageW(&m);
    }
    return 0;
  }
  if (cmd == L"wait-window") {
    DWORD limit = argc > 3 ? DWORD(_wtoi(argv[3])) : 10000;
    DWORD start = GetTickCount();
    while (!Find(cls)) {
      if (GetTickCount() - start > limit) return 1;
      Sleep(10);
    }
    std::wprintf(L"%lu\n", GetTickCount() - start);
    return 0;
  }
  HWND w = Find(cls);
  if (!w) return 1;
  if (cmd == L"visible") return IsWindowVisible(w) ? 0 : 1;
  if (cmd == L"post" && argc > 3) return PostMessageW(w, UINT(_wtoi(argv[3])), 0, 0) ? 0 : 1;
  if (cmd == L"close") return PostMessageW(w, WM_CLOSE, 0, 0) ? 0 : 1;
  return 2;
}

// measure_start.exe: start-up and idle cost of Veilcap beside a minimal tray program of ours.
//   measure_start <Veilcap.exe> <minimal_window.exe> [idle seconds, default 30]
// Prints for each program the milliseconds from CreateProcess to its window, its tray icon and
// (Veilcap) the end of the first device search, then the CPU time (GetProcessTimes) it used in
// the first idle seconds after the start.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
double NowMs() {
  static LARGE_INTEGER freq = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return double(t.QuadPart) * 1000.0 / double(freq.QuadPart);
}

HWND FindOf(const wchar_t* cls, DWORD pid) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, cls, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner == pid) return w;
  }
  return nullptr;
}

bool TrayIconOf(HWND w) {
  NOTIFYICONDATAW nid{};
  nid.cbSize = sizeof(nid);
  nid.hWnd = w;
  nid.uID = 1;
  return Shell_NotifyIconW(NIM_MODIFY, &nid) != FALSE;
}

std::wstring LabelText(HWND main) {
  HWND label = GetDlgItem(main, 101);  // the webcam status line
  if (!label) return L"";
  wchar_t buffer[256] = {};
  DWORD_PTR n = 0;
  if (!SendMessageTimeoutW(label, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buffer), SMTO_NORMAL, 20000, &n)) return L"";
  return std::wstring(buffer, n);
}

double CpuMs(HANDLE process) {
  FILETIME c, e, k, u;
  if (!GetProcessTimes(process, &c, &e, &k, &u)) return -1;
  auto ms = [](const FILETIME& f) { return double((ULONGLONG(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000.0; };
  return ms(k) + ms(u);
}

struct Result {
  double window = -1, tray = -1, search = -1, cpuAtReady = -1, cpuAtEnd = -1, readyAt = -1;
};

Result Measure(const std::wstring& exe, const std::wstring& args, const wchar_t* cls, bool veilcap, int idleSeconds) {
  Result r;
  std::wstring cmd = L"\"" + exe + L"\" " + args;
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  const double t0 = NowMs();
  if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return r;
  HWND w = nullptr;
  std::wstring waitText;
  while (NowMs() - t0 < 60000) {
    if (!w && (w = FindOf(cls, pi.dwProcessId)) != nullptr) r.window = NowMs() - t0;
    if (w && r.tray < 0 && TrayIconOf(w)) r.tray = NowMs() - t0;
    if (veilcap && w && r.search < 0) {
      const std::wstring t = LabelText(w);
      if (!t.empty() && waitText.empty()) waitText = t;  // the first answer comes after creation
      else if (!t.empty() && t != waitText) r.search = NowMs() - t0;
    }
    if (r.tray >= 0 && (!veilcap || r.search >= 0)) break;
    Sleep(2);
  }
  r.readyAt = NowMs() - t0;
  r.cpuAtReady = CpuMs(pi.hProcess);
  const double end = idleSeconds * 1000.0;
  while (NowMs() - t0 < end) Sleep(100);
  r.cpuAtEnd = CpuMs(pi.hProcess);
  if (w) PostMessageW(w, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return r;
}

void Print(const wchar_t* name, const Result& r, int idleSeconds) {
  std::wprintf(L"%-16ls window %8.1f ms  tray icon %8.1f ms  first search %8.1f ms\n", name, r.window, r.tray, r.search);
  std::wprintf(L"%-16ls CPU %.1f ms until ready (%.1f ms), %.1f ms in the %.1f idle seconds up to %d s\n", name,
               r.cpuAtReady, r.readyAt, r.cpuAtEnd - r.cpuAtReady, idleSeconds - r.readyAt / 1000.0, idleSeconds);
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: measure_start Veilcap.exe minimal_window.exe [idle seconds]\n");
    return 2;
  }
  const int idle = argc > 3 ? _wtoi(argv[3]) : 30;
  const Result minimal = Measure(argv[2], L"", L"VeilcapMinimalWindow", false, 2);
  const Result veilcap = Measure(argv[1], L"-tray", L"TForm_Veilcap", true, idle);
  Print(L"minimal window", minimal, 2);
  Print(L"Veilcap -tray", veilcap, idle);
  return 0;
}

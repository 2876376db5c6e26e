#include "platform/win32/environment_win.h"

#include <windows.h>
#include <shlobj.h>

#include "core/win32/windows_seams.h"
#include "platform/win32/registry_win.h"

namespace {
u16 LocalAppDataFolder() {
  PIDLIST_ABSOLUTE pidl = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_LOCAL_APPDATA, &pidl)) || !pidl) return {};
  wchar_t buf[MAX_PATH] = {};
  BOOL ok = SHGetPathFromIDListW(pidl, buf);
  CoTaskMemFree(pidl);
  return ok ? FromW(buf) : u16();
}

OsVersion ReportedVersion() {
  OSVERSIONINFOW v{};
  v.dwOSVersionInfoSize = sizeof(v);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!GetVersionExW(&v)) return {};
#pragma GCC diagnostic pop
  return {v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber};
}

OsVersion TrueVersion() {
  using Fn = LONG(WINAPI*)(PRTL_OSVERSIONINFOW);
  HMODULE ntdll = GetModuleHandleW(L"ntdll");
  if (!ntdll) return {};
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
  if (!fn) return {};
  RTL_OSVERSIONINFOEXW v{};
  v.dwOSVersionInfoSize = sizeof(v);  // 284 bytes, everything else zero
  if (fn(reinterpret_cast<PRTL_OSVERSIONINFOW>(&v)) != 0) return {};
  return {v.dwMajorVersion, v.dwMinorVersion, v.dwBuildNumber};
}

u16 CallForPath(UINT (WINAPI* fn)(LPWSTR, UINT)) {
  wchar_t buf[MAX_PATH + 1] = {};
  UINT n = fn(buf, MAX_PATH);
  return (n == 0 || n > MAX_PATH) ? u16() : FromW(buf, n);
}
}  // namespace

EnvironmentFacts GatherEnvironmentFacts() {
  EnvironmentFacts f;
  std::wstring exe(32768, L'\0');
  DWORD n = GetModuleFileNameW(nullptr, exe.data(), DWORD(exe.size()));
  if (n > 0 && n < exe.size()) f.executablePath = FromW(exe.data(), n);
  f.windowsDirectory = CallForPath(GetWindowsDirectoryW);
  f.systemDirectory = CallForPath(GetSystemDirectoryW);
  f.localAppData = LocalAppDataFolder();
  f.isWow64Process = QueryIsWow64();
  f.reported = ReportedVersion();
  f.actual = TrueVersion();
  return f;
}

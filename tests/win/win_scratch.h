// Shared helpers for the Windows-side tests of processes, switching and the autostart task: the
// Windows providers, a scratch folder under C:\ that is removed again, and small file helpers.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "core/codepage.h"
#include "core/fs.h"
#include "core/textfile.h"
#include "core/win32/windows_seams.h"
#include "platform/environment.h"
#include "platform/win32/providers.h"

namespace wintest {

inline std::wstring Wide(const u16& s) { return std::wstring(s.begin(), s.end()); }
inline u16 U16(const std::wstring& s) { return u16(s.begin(), s.end()); }

inline void InstallProviders() {
  static WindowsAnsiCodePage ansi;
  SetAnsiCodePage(&ansi);
  InstallPlatformProviders();
}

// Deletes a folder tree (read-only files included).
inline void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW fd{};
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring full = dir + L"\\" + name;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

// A fresh folder C:\veilcap-test-<tag>-<pid>, removed with everything in it at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const wchar_t* tag)
      : path_(std::wstring(L"C:\\veilcap-test-") + tag + L"-" + std::to_wstring(GetCurrentProcessId())) {
    RemoveTree(path_);
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~ScratchFolder() { RemoveTree(path_); }
  const std::wstring& wpath() const { return path_; }
  u16 path() const { return U16(path_); }

 private:
  std::wstring path_;
};

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
  CloseHandle(h);
  return ok;
}

inline std::string ReadBytes(const std::wstring& path) {
  std::string bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

inline bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Runs a command line with a time limit (unlike the program's routines, which wait for ever), so a
// missing test fixture cannot hang the run. The exit code, or -1 when it did not start or end.
inline long RunWithLimit(const std::wstring& commandLine, DWORD milliseconds) {
  std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
  line.push_back(0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
    return -1;
  long result = -1;
  if (WaitForSingleObject(pi.hProcess, milliseconds) == WAIT_OBJECT_0) {
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    result = long(code);
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return result;
}

// Keeps the program-wide folders of one test and puts them back afterwards.
class SavedFolders {
 public:
  SavedFolders() : app_(AppFolder), system_(SystemFolder), winTemp_(WindowsTempFolder), userTemp_(UserTempFolder) {}
  ~SavedFolders() {
    AppFolder = app_;
    SystemFolder = system_;
    WindowsTempFolder = winTemp_;
    UserTempFolder = userTemp_;
  }

 private:
  u16 app_, system_, winTemp_, userTemp_;
};

inline u16 WindowsSystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  GetSystemDirectoryW(buffer, MAX_PATH);
  return U16(buffer);
}

}  // namespace wintest

#include "core/win32/windows_seams.h"

#include <windows.h>

void OutputDebugSink::Line(u16v line) {
  u16 copy(line);
  OutputDebugStringW(reinterpret_cast<const wchar_t*>(copy.c_str()));
}

std::string WindowsAnsiCodePage::FromUtf16(u16v s) const {
  if (s.empty()) return {};
  const wchar_t* src = reinterpret_cast<const wchar_t*>(s.data());
  int n = WideCharToMultiByte(CP_ACP, 0, src, int(s.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, src, int(s.size()), out.data(), n, nullptr, nullptr);
  return out;
}

u16 WindowsAnsiCodePage::ToUtf16(std::string_view s) const {
  if (s.empty()) return {};
  int n = MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), nullptr, 0);
  if (n <= 0) return {};
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, s.data(), int(s.size()), out.data(), n);
  return u16(reinterpret_cast<const char16_t*>(out.data()), out.size());
}

// Windows implementations of the core seams.
#pragma once
#include "core/codepage.h"
#include "core/debug.h"

// OutputDebugStringW, one call per line.
class OutputDebugSink final : public DebugSink {
 public:
  void Line(u16v line) override;
};

// The system's ANSI code page (CP_ACP).
class WindowsAnsiCodePage final : public AnsiCodePage {
 public:
  std::string FromUtf16(u16v s) const override;
  u16 ToUtf16(std::string_view s) const override;
};

// Wide-string views of the program's UTF-16 text (both are 16-bit on Windows).
inline const wchar_t* W(const u16& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline u16 FromW(const wchar_t* s) { return s ? u16(reinterpret_cast<const char16_t*>(s)) : u16(); }
inline u16 FromW(const wchar_t* s, size_t n) { return u16(reinterpret_cast<const char16_t*>(s), n); }

// The system's 8-bit (ANSI) code page. Windows: WideCharToMultiByte/MultiByteToWideChar with CP_ACP;
// tests: Windows-1252.
#pragma once
#include <string>

#include "core/text.h"

class AnsiCodePage {
 public:
  virtual ~AnsiCodePage() = default;
  // UTF-16 to 8-bit; characters the code page cannot represent become its default character.
  virtual std::string FromUtf16(u16v s) const = 0;
  virtual u16 ToUtf16(std::string_view s) const = 0;
};

// The code page the program uses (installed at start; not owned).
void SetAnsiCodePage(const AnsiCodePage* cp);
const AnsiCodePage& Ansi();

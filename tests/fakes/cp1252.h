// Windows-1252, the code page the tests use for the system's ANSI code page ('?' as default char).
#pragma once
#include "core/codepage.h"

class Cp1252 final : public AnsiCodePage {
 public:
  std::string FromUtf16(u16v s) const override;
  u16 ToUtf16(std::string_view s) const override;
};

// Installs Windows-1252 as the ANSI code page while it lives.
class ScopedCp1252 {
 public:
  ScopedCp1252() { SetAnsiCodePage(&cp_); }
  ~ScopedCp1252() { SetAnsiCodePage(nullptr); }

 private:
  Cp1252 cp_;
};

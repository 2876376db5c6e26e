// The one exception type of the program: an operating-system error with its code and system text.
// Raised only where the program's behaviour says "raise" (failed shell starts, file reading and
// writing); the Win32 layer catches it at window procedures, timer ticks and callbacks.
#pragma once
#include <cstdint>
#include <stdexcept>

#include "core/text.h"

class OsError : public std::runtime_error {
 public:
  OsError(uint32_t code, u16 message)
      : std::runtime_error(ToUtf8(message)), code_(code), message_(std::move(message)) {}
  uint32_t Code() const { return code_; }
  const u16& Message() const { return message_; }

 private:
  uint32_t code_;
  u16 message_;
};

// System message texts from FormatMessageW.
#pragma once
#include <cstdint>

#include "core/text.h"

// The text exactly as Windows gives it (with its trailing line break), at most 511 characters;
// empty when Windows has no text for the code.
u16 WindowsMessageText(uint32_t code);
// The same without the trailing line break and blanks, for error messages; what
// SetSystemErrorTextProvider is given on Windows.
u16 WindowsSystemErrorText(uint32_t code);

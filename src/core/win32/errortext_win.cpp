#include "core/win32/errortext_win.h"

#include <windows.h>

u16 WindowsMessageText(uint32_t code) {
  wchar_t buffer[512] = {};
  DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_ARGUMENT_ARRAY, nullptr, code,
                           0, buffer, 512, nullptr);
  return u16(reinterpret_cast<const char16_t*>(buffer), n);
}

u16 WindowsSystemErrorText(uint32_t code) {
  u16 text = WindowsMessageText(code);
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ' ||
                           text.back() == u'.'))
    text.pop_back();
  if (text.empty()) return u"System error " + ToDecU(code);
  return text;
}

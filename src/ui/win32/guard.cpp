#include "ui/win32/guard.h"

#include "core/errors.h"
#include "core/win32/windows_seams.h"
#include "platform/environment.h"

u16 UnhandledExceptionText() {
  try {
    throw;
  } catch (const OsError& e) {
    return e.Message();
  } catch (const std::exception& e) {
    return FromUtf8(e.what());
  } catch (...) {
    return u"Unknown error";
  }
}

void ShowUnhandledException(HWND owner) {
  const u16 text = UnhandledExceptionText();
  try {
    MessageBoxW(owner, W(text), W(AppTitle), MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}

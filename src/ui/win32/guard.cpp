#include "ui/win32/guard.h"

#include "core/errors.h"
#include "core/win32/windows_seams.h"
#include "platform/environment.h"

void ShowUnhandledException(HWND owner) {
  u16 text;
  try {
    throw;
  } catch (const OsError& e) {
    text = e.Message();
  } catch (const std::exception& e) {
    text = FromUtf8(e.what());
  } catch (...) {
    text = u"Unknown error";
  }
  try {
    MessageBoxW(owner, W(text), W(AppTitle), MB_OK | MB_ICONERROR);
  } catch (...) {
  }
}

#include "ui/win32/confirm_box.h"

#include <commctrl.h>

#include "core/debug.h"
#include "core/win32/windows_seams.h"

namespace {
constexpr int kConfirmButtonId = 100;

HRESULT CALLBACK BringToFront(HWND box, UINT message, WPARAM, LPARAM, LONG_PTR) {
  if (message == TDN_CREATED) {
    SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(box);
  }
  return S_OK;
}
}  // namespace

bool ShowConfirmBox(HWND owner, const u16& title, const u16& text, const u16& confirmCaption) {
  TASKDIALOG_BUTTON confirm{kConfirmButtonId, W(confirmCaption)};
  TASKDIALOGCONFIG config{};
  config.cbSize = sizeof config;
  config.hwndParent = owner;
  config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION;
  config.dwCommonButtons = TDCBF_CANCEL_BUTTON;
  config.pszWindowTitle = W(title);
  config.pszMainIcon = TD_WARNING_ICON;
  config.pszContent = W(text);
  config.cButtons = 1;
  config.pButtons = &confirm;
  config.nDefaultButton = kConfirmButtonId;
  config.pfCallback = BringToFront;
  int pressed = 0;
  const HRESULT r = TaskDialogIndirect(&config, &pressed, nullptr, nullptr);
  if (SUCCEEDED(r)) return pressed == kConfirmButtonId;
  // Without the task dialog (an old common-controls library): the plain box, OK as the default.
  DebugOut(u"Task dialog not shown (" + ToDecU(uint32_t(r)) + u"); asking with a message box");
  return MessageBoxW(owner, W(text), W(title),
                     MB_OKCANCEL | MB_DEFBUTTON1 | MB_ICONWARNING | MB_SETFOREGROUND | MB_TOPMOST) == IDOK;
}

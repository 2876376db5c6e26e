#include "app/export_mode.h"

#include <commctrl.h>
#include <objidl.h>
#include <gdiplus.h>

#include "app/admin_mode.h"
#include "app/console_io.h"
#include "app/window_hooks.h"
#include "core/win32/windows_seams.h"
#include "lang/languages.h"
#include "lang/translate.h"
#include "platform/autostart.h"
#include "platform/environment.h"
#include "platform/machine_path.h"
#include "ui/devices_window.h"
#include "ui/options.h"
#include "ui/thread_timer.h"
#include "ui/win32/guard.h"
#include "ui/win32/main_window_view.h"
#include "ui/win32/providers.h"

namespace {
class GdiplusScope {
 public:
  GdiplusScope() {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::GdiplusStartup(&token_, &input, nullptr);
  }
  ~GdiplusScope() { Gdiplus::GdiplusShutdown(token_); }
  GdiplusScope(const GdiplusScope&) = delete;
  GdiplusScope& operator=(const GdiplusScope&) = delete;

 private:
  ULONG_PTR token_ = 0;
};

// The setup and scripts start the task modes: no window ever, the error as text, exit code 1.
int RunTaskMode(RunMode mode) {
  LoadCommandLanguage();
  try {
    if (mode == RunMode::CreateTask)
      RaiseUnlessCreated(Create_AutostartTask());
    else
      Delete_AutostartTask();
    return 0;
  } catch (...) {
    // A refused or failed task, or a missing or unreadable task template.
    WriteProgramOutput(UnhandledExceptionText() + u"\r\n", u16());
    return 1;
  }
}

// Running programs (Explorer first) read the environment again, so consoles opened from now on
// find the program by its name.
void AnnounceEnvironmentChange() {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Environment"), SMTO_ABORTIFHUNG,
                      5000, &result);
}

int RunPathMode(RunMode mode) {
  const PathEdit edit = mode == RunMode::AddPath ? Add_MachinePathEntry(AppFolder) : Remove_MachinePathEntry(AppFolder);
  if (edit == PathEdit::Changed) AnnounceEnvironmentChange();
  return edit == PathEdit::Failed ? 1 : 0;
}
}  // namespace

int RunExportMode(HINSTANCE instance, const std::vector<u16>& args) {
  CurrentLanguage_LCID = 7;
  CurrentLanguage = u"de-de";
  INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  GdiplusScope gdiplus;
  InstallUiProviders();
  // The windows only lend their texts: their start timers never tick, so there is no tray icon,
  // no device search and no online start while the confirmation is up.
  SetTimerDispatcher(nullptr);

  int exitCode = 0;
  {
    WindowHooks online(instance, args);
    MainWindowView view(instance, args, MainWindowHooks{}, TrayIcons{}, nullptr);
    online.Attach(view);
    const u16 folder = AppFolder + u"\\translation";
    try {
      if (view.Create()) view.Form().FormCreate();
      SAVE_TRANSLATION_FROM_FORM(folder, CurrentLanguage, view.Form(), ProgramVersion);
      TForm_VCP_Devices devices;
      devices.FormCreate();
      SAVE_TRANSLATION_FROM_FORM(folder, CurrentLanguage, devices, ProgramVersion);
    } catch (...) {
      // Not a word of success when the files were not written.
      ShowUnhandledException(nullptr);
      exitCode = 1;
    }
    if (exitCode == 0)
      MessageBoxExW(nullptr, L"Translation saved...", W(AppTitle), MB_ICONINFORMATION | MB_OK, 0);
  }
  UninstallUiProviders();
  return exitCode;
}

int RunOneShot(HINSTANCE instance, RunMode mode, const std::vector<u16>& args) {
  switch (mode) {
    case RunMode::SaveTranslation:
      return RunExportMode(instance, args);
    case RunMode::CreateTask:
    case RunMode::DeleteTask:
      return RunTaskMode(mode);
    case RunMode::AddPath:
    case RunMode::RemovePath:
      return RunPathMode(mode);
    case RunMode::Normal:
      break;
  }
  return 0;
}

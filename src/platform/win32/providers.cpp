#include "platform/win32/providers.h"

#include "core/fs.h"
#include "core/textfile.h"
#include "core/win32/errortext_win.h"
#include "core/win32/fs_win.h"
#include "platform/autostart.h"
#include "platform/file_safety.h"
#include "platform/process.h"
#include "platform/win32/file_safety_win.h"
#include "platform/win32/process_win.h"

void InstallPlatformProviders() {
  SetFileSystem(&WindowsFileSystem());
  SetSystemErrorTextProvider(&WindowsSystemErrorText);
  SetProcessShell(&WindowsProcessShell());
  SetTaskClock(&WindowsLocalTime);
  SetFileSecuritySource(&WindowsFileSecurity());
}

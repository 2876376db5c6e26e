#include "app/startup.h"

#include <windows.h>
#include <shellapi.h>

#include "core/win32/windows_seams.h"
#include "devices/watch_store.h"
#include "devices/win32/providers.h"
#include "lang/languages.h"
#include "lang/win32/providers.h"
#include "online/win32/providers.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/win32/environment_win.h"
#include "platform/win32/providers.h"
#include "platform/win32/registry_win.h"

void InstallProgramServices() {
  static OutputDebugSink debugSink;
  static WindowsAnsiCodePage ansi;
  static WindowsRegistry registry;
  SetDebugSink(&debugSink);
  SetAnsiCodePage(&ansi);
  SetRegistryBackend(&registry, QueryIsWow64().value_or(false));
  // Before anything reads the watch choices: the user's earlier ones move to the machine store once.
  if (WatchStore_ImportOnce()) DebugOut(u"Watch store created; the user's earlier choices were copied into it");
  InstallPlatformProviders();
  InstallDeviceProviders();
  InstallLangProviders();
  InstallOnlineProviders();
  SetHelpLanguageTagSource(&Get_CurrentLanguageTag);
  Init_GlobalValues(GatherEnvironmentFacts());
}

std::vector<u16> CommandLineArguments() {
  std::vector<u16> args;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv) return args;
  for (int i = 1; i < argc; ++i) args.push_back(FromW(argv[i]));
  LocalFree(argv);
  return args;
}

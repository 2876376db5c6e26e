#include "online/win32/providers.h"

#include "online/win32/vinet_win.h"

void InstallOnlineProviders() {
  static VinetDll library;
  SetOnlineLibrary(&library);
}

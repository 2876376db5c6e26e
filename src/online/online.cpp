#include "online/online.h"

#include "core/debug.h"
#include "online/vinet.h"
#include "platform/environment.h"

bool Online_Started = false;
bool Online_Starting = false;
bool Online_Stopped = false;

const u16 kOnlineRegistryKey = u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\vos_inet";

namespace {
// The library's answers that mean "end the program" (checks) or "hide the window" (menu items).
bool IsEndAnswer(int32_t r) { return r == 1 || r == 7; }
}  // namespace

bool OnlineServices_Start(OwnerWindow window, const u16& tag) {
  if (Online_Started) return false;
  Online_Started = true;
  Online_Starting = true;
  OnlineLibrary& lib = OnlineLib();
  lib.Init(3);
  lib.SetBaseFolder(AppFolder + u"\\");
  lib.SetProductID(ProductNumber);
  lib.SetProductVersion(ProgramVersion);
  lib.SetProductName(AppTitle);
  lib.SetProductLang(tag);
  lib.SetRegistryKey(kOnlineRegistryRoot, kOnlineRegistryKey);
  lib.SetUserRegistryKey(kOnlineRegistryRoot, kOnlineRegistryKey);
  lib.SetSystemRegistryKey(kOnlineRegistryRoot, kOnlineRegistryKey);
  lib.InitAnalyticsManager();
  const int32_t result = lib.StartAllChecks(window);
  DebugOut(u"vinet_StartAllChecks RETURNED = " + ToDec(result));
  if (IsEndAnswer(result)) {
    DebugOut(u"WO15: TerminateNow");
    OnlineServices_Stop(window);
    return true;  // Online_Starting stays set: nothing online is offered any more
  }
  Online_Starting = false;
  return false;
}

void OnlineServices_Stop(OwnerWindow desktop) {
  if (Online_Stopped) return;
  Online_Stopped = true;
  OnlineLib().Shutdown(desktop);
  OnlineLib().Destroy();
}

bool Online_Ready() { return Online_Started && !Online_Starting && !Online_Stopped; }

void Online_OpenLinkTarget(const u16& target, const u16& tag) {
  if (Online_Stopped) return;  // never call into a library that has been shut down
  OnlineLib().OpenLinkTargetInBrowser(target, ProductNumber, ProgramVersion, 0, tag, u"");
}

std::vector<MessageMenuEntry> Online_MessageMenuEntries() {
  std::vector<MessageMenuEntry> entries;
  if (Online_Stopped) return entries;
  OnlineLibrary& lib = OnlineLib();
  const int32_t count = lib.GetMenuItemsCount(kMessageMenu);
  for (int32_t i = 0; i < count; ++i) {
    MessageMenuEntry e;
    e.number = lib.GetMenuItemsID(kMessageMenu, i);
    e.caption = lib.GetMenuItemsText(kMessageMenu, i).value_or(u"");
    e.separator = e.caption.empty();
    e.icon = lib.GetMenuItemsImage(kMessageMenu, i);
    entries.push_back(std::move(e));
  }
  return entries;
}

bool Online_ProcessMenuItem(OwnerWindow mainWindow, int32_t number) {
  if (Online_Stopped) return false;
  return IsEndAnswer(OnlineLib().ProcessMenuItem(mainWindow, number));
}

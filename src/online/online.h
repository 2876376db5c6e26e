// The program's use of the maker's online-services library: the start about three seconds after
// the main window was created (with the checks that may end the program), the feedback, licence
// and privacy pages, the message menu, and the shutdown at process end.
#pragma once
#include <cstdint>
#include <vector>

#include "core/text.h"
#include "platform/process.h"  // OwnerWindow

extern bool Online_Started;   // the start has been run
extern bool Online_Starting;  // the start is still under way
extern bool Online_Stopped;   // the library has been shut down

// Registry place handed to the library: HKEY_LOCAL_MACHINE and this key.
inline constexpr uint32_t kOnlineRegistryRoot = 0x80000002;
extern const u16 kOnlineRegistryKey;  // "SOFTWARE\Vostrel\Vostrel Veilcap\vos_inet"
// The library's message menu.
inline constexpr int32_t kMessageMenu = 1;

// Hands the library the program's data and runs its checks, once per process (window: the
// desktop window). tag is the current language tag ("de-de"). Answers true when the checks asked
// the program to end (result 1 or 7): the library has been stopped then, and the caller ends the
// program at once.
bool OnlineServices_Start(OwnerWindow window, const u16& tag);
// Shuts the library down (desktop window), at most once per process; also when it never started.
void OnlineServices_Stop(OwnerWindow desktop);
// True while the feedback page and the message menu are offered: started and no longer starting.
bool Online_Ready();

// Opens one of the library's pages ("feedback", "eula", "privacypolicy") in the browser.
void Online_OpenLinkTarget(const u16& target, const u16& tag);

struct MessageMenuEntry {
  int32_t number = 0;     // the item number the library knows the item by
  u16 caption;            // empty for a separator
  bool separator = false;
  uintptr_t icon = 0;     // 0: no picture
};
// The items of the message menu in index order; none once the library has been stopped.
std::vector<MessageMenuEntry> Online_MessageMenuEntries();
// Passes a click on a message item to the library; true when the main window should hide.
bool Online_ProcessMenuItem(OwnerWindow mainWindow, int32_t number);

// The functions of vos_inet2.dll as this program calls them. Every function is exported under its
// plain name (no stdcall decoration), uses the standard Windows calling convention and UTF-16 text.
// Texts the library returns stay owned by the library and are copied at once. A predefined registry
// root is passed as the handle value Windows uses for it (HKEY_LOCAL_MACHINE: 0x80000002).
#pragma once
#include <windows.h>

extern "C" {
using vinet_Init_t = int(WINAPI*)(int mode);
using vinet_SetText_t = void(WINAPI*)(const wchar_t* text);  // SetBaseFolder, SetProduct...
using vinet_SetKey_t = void(WINAPI*)(HKEY root, const wchar_t* key);  // Set...RegistryKey
using vinet_NoArgs_t = void(WINAPI*)();                                // InitAnalyticsManager, Destroy
using vinet_StartAllChecks_t = int(WINAPI*)(HWND window);
using vinet_OpenLinkTargetInBrowser_t = void(WINAPI*)(const wchar_t* target, const wchar_t* productId,
                                                      const wchar_t* version, int flags, const wchar_t* lang,
                                                      const wchar_t* extra);
using vinet_GetMenuItemsCount_t = int(WINAPI*)(int menu);
using vinet_GetMenuItemsID_t = int(WINAPI*)(int menu, int index);
using vinet_GetMenuItemsText_t = const wchar_t*(WINAPI*)(int menu, int index);
using vinet_GetMenuItemsImage_t = HICON(WINAPI*)(int menu, int index);
using vinet_ProcessMenuItem_t = int(WINAPI*)(HWND window, int id);
using vinet_Shutdown_t = void(WINAPI*)(HWND window);
}

inline constexpr wchar_t kOnlineLibraryFile[] = L"vos_inet2.dll";

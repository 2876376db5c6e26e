#include "guard/win32/hotkeys_win.h"

#ifndef MOD_NOREPEAT
#define MOD_NOREPEAT 0x4000
#endif

bool Hotkey_Register(HWND window, int id, const Hotkey& key) {
  return RegisterHotKey(window, id, key.modifiers | MOD_NOREPEAT, key.key) != FALSE;
}

void Hotkey_Unregister(HWND window, int id) { UnregisterHotKey(window, id); }

// System-wide hotkeys of a window: WM_HOTKEY reaches the window with the id as wParam.
#pragma once
#include <windows.h>

#include "guard/hotkey_text.h"

// False when the system refuses, mostly because another program (or window) holds the hotkey.
// Held keys do not repeat the message.
bool Hotkey_Register(HWND window, int id, const Hotkey& key);
void Hotkey_Unregister(HWND window, int id);

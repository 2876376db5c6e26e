// A yes-or-no question of the program's own, for a decision that switches protection off.
#pragma once
#include <windows.h>

#include "core/text.h"

// Shows the question with a confirm button (given caption, the default: Enter chooses it) and the
// system's cancel button, above every other window and in the foreground. Escape and the close box
// cancel. True only when the confirm button was chosen.
bool ShowConfirmBox(HWND owner, const u16& title, const u16& text, const u16& confirmCaption);

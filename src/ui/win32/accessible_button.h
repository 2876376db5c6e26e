// What screen readers see of a picture button window of ours: a push button whose name is the
// window's text. The object holds only the window handle, so a reader that keeps it longer than
// the window lives gets "not available" answers instead of a crash. It asks the window for the
// rest with two messages the window answers:
//   kAccessibleStateQuery: bit kAccessibleEnabled while a press does something;
//   kAccessiblePress (posted): run the button's command, as a click would.
#pragma once
#include <windows.h>

inline constexpr UINT kAccessibleStateQuery = WM_APP + 40;
inline constexpr UINT kAccessiblePress = WM_APP + 41;
inline constexpr LRESULT kAccessibleEnabled = 1;

// The answer to WM_GETOBJECT for a picture button window: the push-button object for the client
// area, 0 (the system's own object) for every other object id.
LRESULT AnswerButtonGetObject(HWND button, WPARAM wp, LPARAM lp);

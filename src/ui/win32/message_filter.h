// Letting a message from a less privileged process reach one of our windows. Veilcap runs
// elevated, and Windows drops most messages from processes of lower integrity, among them
// Explorer's "TaskbarCreated", after which the tray icon must be added again.
#pragma once
#include <windows.h>

// The two filter functions of user32; either may be missing (Vista has only the second, systems
// before Vista neither).
struct MessageFilterCalls {
  BOOL(WINAPI* changeForWindow)(HWND, UINT, DWORD, void*) = nullptr;  // ChangeWindowMessageFilterEx
  BOOL(WINAPI* changeForProcess)(UINT, DWORD) = nullptr;              // ChangeWindowMessageFilter
};

// Looked up by name in user32.
MessageFilterCalls SystemMessageFilterCalls();

// Allows message for the window (ChangeWindowMessageFilterEx, MSGFLT_ALLOW); where that is missing
// or fails, for the whole process (ChangeWindowMessageFilter, MSGFLT_ADD). False when neither
// exists or both fail; a system without either has no such filter to pass.
bool AllowMessageFromLowerIntegrity(HWND window, UINT message, const MessageFilterCalls& calls);

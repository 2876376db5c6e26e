// The command line for administrators: runs before the single-instance guard, opens no window,
// writes its text to the caller's console or redirected output and ends with an exit code.
#pragma once
#include <windows.h>

#include "platform/admin_args.h"

int RunAdminMode(const AdminCommand& command);

// Where a run mode's text goes: a redirected standard output (file or pipe) gets UTF-8; else the
// console of the parent process, if it has one; else nobody. Never a window.
void WriteCommandOutput(const u16& text);
// Loads the texts in the user's language, as every run mode that writes text does.
void LoadCommandLanguage();

// Installs the cross-process switching lock for the tray program's clicks (kept for the process).
void InstallSwitchingLock();

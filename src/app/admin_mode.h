// The command line for administrators: runs before the single-instance guard, opens no window,
// writes its text to the caller's console or redirected output and ends with an exit code.
#pragma once
#include <windows.h>

#include "app/command_line/switching_runs.h"
#include "platform/admin_args.h"

// Runs the command and writes its text where the caller reads it (the relay pipe it names, a
// redirected output, the parent's console); answers the exit code.
int RunAdminMode(const AdminCommand& command);
// The run itself, without writing: what the console companion does for the status and the help.
AdminResult RunAdminHere(const AdminCommand& command);

// Loads the texts in the user's language, as every run mode that writes text does.
void LoadCommandLanguage();

// Installs the cross-process switching lock for the tray program's clicks (kept for the process).
void InstallSwitchingLock();

// The command line for administrators: runs before the single-instance guard, opens no window,
// writes its text to the caller's console or redirected output and ends with an exit code.
#pragma once
#include <windows.h>

#include "platform/admin_args.h"

int RunAdminMode(const AdminCommand& command);

// Installs the cross-process switching lock for the tray program's clicks (kept for the process).
void InstallSwitchingLock();

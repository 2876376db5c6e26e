// The process and shell calls through the Win32 API.
#pragma once
#include "platform/autostart.h"
#include "platform/process.h"

ProcessShell& WindowsProcessShell();
// GetLocalTime.
TaskDateTime WindowsLocalTime();

// The one-shot runs: the export of the built-in texts ("-SAVE") and the two task modes.
#pragma once
#include <windows.h>

#include <vector>

#include "core/text.h"
#include "platform/runmode.h"

// Creates both windows hidden with the German texts and writes what they show into the German
// translation file and the index beside the program, then confirms with "Translation saved...".
// An export that fails shows its error instead. Answers the process exit code.
int RunExportMode(HINSTANCE instance, const std::vector<u16>& args);

// "-SAVE", "-CREATETASK", "-DELETETASK", "-ADDPATH" or "-REMOVEPATH": runs the job and answers the
// exit code: 0, or 1 when the job failed. "-SAVE" shows its result; the others, which the setup and
// scripts start, never show a window: a task mode writes its error as text.
int RunOneShot(HINSTANCE instance, RunMode mode, const std::vector<u16>& args);

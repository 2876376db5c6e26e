// The normal run.
#pragma once
#include <vector>

#include <windows.h>

#include "core/text.h"
#include "platform/runmode.h"

constexpr wchar_t kMainWindowClass[] = L"TForm_Veilcap";

// Creates the main window and runs the message loop until the program ends.
void RunNormal(HINSTANCE instance, const std::vector<u16>& args);

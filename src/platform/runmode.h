// Run modes picked from the first command-line argument (only the first is examined, in any case).
#pragma once
#include <vector>

#include "core/text.h"

enum class RunMode { Normal, SaveTranslation, CreateTask, DeleteTask };

RunMode SelectRunMode(const std::vector<u16>& args);
// The main window stays hidden at start when the first argument is "-TRAY".
bool StartsInTray(const std::vector<u16>& args);
// Message a second instance posts to the first one's main window to make it show itself.
constexpr unsigned kWmShowRunningInstance = 1024 + 29;  // 1053

// Run modes picked from the first command-line argument (only the first is examined, in any case).
#pragma once
#include <vector>

#include "core/text.h"

enum class RunMode { Normal, SaveTranslation, CreateTask, DeleteTask, AddPath, RemovePath };
// The setup's own modes ("-ADDPATH", "-REMOVEPATH": the program folder in the machine PATH) touch
// nothing of a running tray program and run before the single-instance guard.
bool RunsBeforeInstanceGuard(RunMode mode);

RunMode SelectRunMode(const std::vector<u16>& args);
// The main window stays hidden at start when the first argument is "-TRAY".
bool StartsInTray(const std::vector<u16>& args);
// Message a second instance posts to the first one's main window to make it show itself.
constexpr unsigned kWmShowRunningInstance = 1024 + 29;  // 1053
// Name of the registered window message (RegisterWindowMessage) that asks the running program's main
// window to quit exactly as the tray menu's quit does: options saved, the autostart task written
// again. The setup program sends it before it replaces or removes the program's files. Windows lets
// it reach the elevated program only from a process of the same or a higher integrity level; keep it
// out of any message filter that opens the window to less trusted senders.
inline constexpr char16_t kQuitRequestMessageName[] = u"VostrelVeilcapQuitRequest";
// Registered window message a command-line run sends to the running program's main window after
// it switched devices: the program searches again at once, so its pictures and tray icon follow.
// Only processes of the same or a higher integrity level can send it (it is left out of the
// message filter on purpose).
inline constexpr char16_t kRefreshRequestMessage[] = u"Vostrel Veilcap: refresh devices";

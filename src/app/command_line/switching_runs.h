// The command line's runs on the device list: status, block, unblock and restore go through the
// same kind-level commands and switches as a click on the main window, with the console as their
// host: its state numbers come from the device list, its refresh is a new search, and what the
// window would show in a message box becomes a line of the output.
#pragma once
#include <cstdint>
#include <functional>

#include "core/text.h"
#include "devices/veilcap.h"
#include "platform/admin_args.h"
#include "guard/toggle_commands.h"

struct AdminResult {
  int exitCode = 0;
  u16 text;  // lines ending in CR LF
};

// What a run needs besides the device list and its switches.
struct AdminEnvironment {
  std::function<void()> search;          // fills the device list anew and counts it
  std::function<void(uint32_t)> sleep;   // may be empty
  bool privacyCam = true;                // the two privacy options as the tray menu holds them
  bool privacyMic = true;
};

// Runs the command. Block and unblock answer 0 when every watched device of the kinds is off (on)
// afterwards, else 1 and name the devices that did not follow; restore switches on exactly the
// devices of the ledger and forgets each that works again (one still off stays recorded and gives
// 1; one not found stays recorded too). The caller holds the switching lock.
AdminResult RunAdminCommand(const AdminCommand& command, TVeilcap& v, ToggleSwitches& switches,
                            const AdminEnvironment& env);


// The command line for administrators and scripts: "-STATUS", "-BLOCK", "-UNBLOCK", "-RESTORE" and
// "-HELP" ("-?", "/?"). These run before the single-instance guard, open no window and end with
// an exit code. Switches and kinds are read in any letter case.
#pragma once
#include <cstdint>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"

enum class AdminVerb { Status, Block, Unblock, Restore, Help };
enum class DeviceKinds { Cam, Mic, All };

// Exit codes of these runs.
inline constexpr int kExitAllOff = 0;   // also: done, help shown
inline constexpr int kExitSomeOn = 1;   // also: a device did not follow, a switch failed
inline constexpr int kExitBadUsage = 2;
inline constexpr int kExitNoDevice = 3;   // also: a block found no watched device of the kinds
inline constexpr int kExitRestartPending = 4;  // status: all off or waiting for a restart, one waits
inline constexpr int kExitRefused = 5;  // a policy of the organisation keeps the kind blocked

struct AdminCommand {
  AdminVerb verb = AdminVerb::Help;
  DeviceKinds kinds = DeviceKinds::All;
  bool json = false;
  // The command line names an administrator switch but is not complete or has more than it
  // takes; the run prints the usage error and ends with kExitBadUsage.
  bool badUsage = false;
  // "-PIPE <name>" at the end: the console companion's relay pipe, which gets the output instead
  // of the standard output. Only names RelayPipeName makes are taken (else badUsage).
  u16 relayPipe;
};

// nullopt when the first argument is none of these switches (the other run modes decide then).
// "-STATUS" takes an optional kind and an optional "-JSON" in either order (default: all kinds);
// "-BLOCK" and "-UNBLOCK" take exactly one kind; "-RESTORE" takes nothing; "-HELP" ignores the rest.
std::optional<AdminCommand> ParseAdminCommand(const std::vector<u16>& args);

// "\\.\pipe\Veilcap-<process id>-<number>".
u16 RelayPipeName(uint32_t processId, uint64_t number);
// True only for names RelayPipeName makes: the elevated program never opens anything else.
bool IsRelayPipeName(u16v name);

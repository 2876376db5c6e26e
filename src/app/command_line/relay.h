// The console companion (Veilcap.com) and the window program share the command line's runs: the
// companion answers -STATUS and -HELP itself, unelevated, and hands -BLOCK, -UNBLOCK and -RESTORE
// to an elevated Veilcap.exe, whose output comes back over a named pipe only the console's user and
// administrators can open. The pipe's name travels as "-PIPE <name>" at the end of the arguments.
#pragma once
#include <optional>
#include <vector>

#include "core/text.h"
#include "platform/admin_args.h"

// The companion's reading of its command line: as ParseAdminCommand, except that a pipe name is
// a usage error (choosing it is the companion's own business).
std::optional<AdminCommand> ParseCompanionCommand(const std::vector<u16>& args);

enum class CompanionAction {
  RunHere,       // status, help, a usage error: answered by the companion itself
  RunElevated,   // block, unblock, restore: Veilcap.exe through the elevation prompt, awaited
  StartProgram,  // no switch of the command line: Veilcap.exe starts with it (not awaited)
};
CompanionAction CompanionActionFor(const std::optional<AdminCommand>& command);

// One argument quoted so that CommandLineToArgvW reads it back unchanged.
u16 QuoteArgument(u16v arg);
// The arguments as given, each quoted, joined by blanks; with a pipe name, "-PIPE <name>" follows.
u16 JoinArguments(const std::vector<u16>& args, const u16& pipeName = {});

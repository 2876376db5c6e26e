#include "app/command_line/relay.h"

std::optional<AdminCommand> ParseCompanionCommand(const std::vector<u16>& args) {
  std::optional<AdminCommand> command = ParseAdminCommand(args);
  if (command && !command->relayPipe.empty()) command->badUsage = true;
  return command;
}

CompanionAction CompanionActionFor(const std::optional<AdminCommand>& command) {
  if (!command) return CompanionAction::StartProgram;
  if (command->badUsage) return CompanionAction::RunHere;
  switch (command->verb) {
    case AdminVerb::Block:
    case AdminVerb::Unblock:
    case AdminVerb::Restore:
      return CompanionAction::RunElevated;
    case AdminVerb::Status:
    case AdminVerb::Help:
      break;
  }
  return CompanionAction::RunHere;
}

u16 QuoteArgument(u16v arg) {
  if (!arg.empty() && arg.find_first_of(u" \t\n\v\"") == u16v::npos) return u16(arg);
  u16 out = u"\"";
  size_t backslashes = 0;
  for (char16_t c : arg) {
    if (c == u'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count double before a quote (and the quote gets one of its own).
    out.append(c == u'"' ? backslashes * 2 + 1 : backslashes, u'\\');
    backslashes = 0;
    out += c;
  }
  out.append(backslashes * 2, u'\\');
  return out + u"\"";
}

u16 JoinArguments(const std::vector<u16>& args, const u16& pipeName) {
  u16 out;
  for (const auto& a : args) out += (out.empty() ? u"" : u" ") + QuoteArgument(a);
  if (!pipeName.empty()) out += (out.empty() ? u"" : u" ") + u16(u"-PIPE ") + QuoteArgument(pipeName);
  return out;
}

#include "platform/admin_args.h"

namespace {
std::optional<DeviceKinds> KindOf(const u16& upper) {
  if (upper == u"CAM") return DeviceKinds::Cam;
  if (upper == u"MIC") return DeviceKinds::Mic;
  if (upper == u"ALL") return DeviceKinds::All;
  return std::nullopt;
}

std::optional<AdminVerb> VerbOf(const u16& upper) {
  if (upper == u"-STATUS") return AdminVerb::Status;
  if (upper == u"-BLOCK") return AdminVerb::Block;
  if (upper == u"-UNBLOCK") return AdminVerb::Unblock;
  if (upper == u"-RESTORE") return AdminVerb::Restore;
  if (upper == u"-HELP" || upper == u"-?" || upper == u"/?") return AdminVerb::Help;
  return std::nullopt;
}
}  // namespace

std::optional<AdminCommand> ParseAdminCommand(const std::vector<u16>& args) {
  if (args.empty()) return std::nullopt;
  const std::optional<AdminVerb> verb = VerbOf(AsciiUpper(args[0]));
  if (!verb) return std::nullopt;
  AdminCommand c;
  c.verb = *verb;
  if (c.verb == AdminVerb::Help) return c;

  bool haveKind = false;
  for (size_t i = 1; i < args.size(); ++i) {
    const u16 a = AsciiUpper(args[i]);
    if (const auto kind = KindOf(a); kind && !haveKind && c.verb != AdminVerb::Restore) {
      c.kinds = *kind;
      haveKind = true;
    } else if (a == u"-JSON" && !c.json && c.verb == AdminVerb::Status) {
      c.json = true;
    } else {
      c.badUsage = true;  // unknown, repeated, or not taken by this switch
    }
  }
  if ((c.verb == AdminVerb::Block || c.verb == AdminVerb::Unblock) && !haveKind) c.badUsage = true;
  return c;
}

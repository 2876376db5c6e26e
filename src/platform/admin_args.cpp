#include "platform/admin_args.h"

namespace {
constexpr char16_t kRelayPipePrefix[] = u"\\\\.\\pipe\\Veilcap-";
constexpr size_t kRelayPipeMaxLength = 80;

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

u16 RelayPipeName(uint32_t processId, uint64_t number) {
  return u16(kRelayPipePrefix) + ToDecU(processId) + u"-" + ToDecU(number);
}

bool IsRelayPipeName(u16v name) {
  const u16v prefix(kRelayPipePrefix);
  if (name.size() <= prefix.size() || name.size() > kRelayPipeMaxLength || name.substr(0, prefix.size()) != prefix)
    return false;
  for (char16_t c : name.substr(prefix.size()))
    if ((c < u'0' || c > u'9') && c != u'-') return false;
  return true;
}

std::optional<AdminCommand> ParseAdminCommand(const std::vector<u16>& args) {
  if (args.empty()) return std::nullopt;
  const std::optional<AdminVerb> verb = VerbOf(AsciiUpper(args[0]));
  if (!verb) return std::nullopt;
  AdminCommand c;
  c.verb = *verb;
  if (c.verb == AdminVerb::Help) return c;

  size_t end = args.size();
  if (end >= 3 && AsciiUpper(args[end - 2]) == u"-PIPE") {
    c.relayPipe = args[end - 1];
    if (!IsRelayPipeName(c.relayPipe)) c.badUsage = true;
    end -= 2;
  }
  bool haveKind = false;
  for (size_t i = 1; i < end; ++i) {
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

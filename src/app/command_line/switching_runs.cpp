#include "app/command_line/switching_runs.h"

#include "app/command_line/status_report.h"
#include "devices/ledger.h"
#include "devices/privacy.h"
#include "guard/policies.h"
#include "lang/messages.h"

namespace {
int32_t SideState(int32_t current, int32_t active) { return current == 0 ? 0 : (active > 0 ? 1 : 2); }

// The console as host of the kind-level commands.
class CommandLineHost final : public ToggleHost {
 public:
  CommandLineHost(TVeilcap& v, const AdminEnvironment& env) : v_(v), env_(env) {}

  int32_t WebCamState() override { return SideState(v_.current_cams, v_.active_cams); }
  int32_t MicState() override { return SideState(v_.current_mics, v_.active_mics); }
  void Switching(bool) override {}
  void ProcessMessages() override {}
  void SleepMs(uint32_t ms) override {
    if (env_.sleep) env_.sleep(ms);
  }
  void Refresh() override { env_.search(); }
  bool PrivacyCamChecked() override { return env_.privacyCam; }
  bool PrivacyMicChecked() override { return env_.privacyMic; }
  void ReportRestartNeeded() override { Note(MESSAGE_STATUS_NEED_RESTART); }
  void ReportWarning(const u16& text) override { Note(text); }
  void ReportError(const u16& text) override { Note(text); }
  void Refused(bool mic) override {
    refused[mic] = true;
    Note(MESSAGE_POLICY_REFUSED);
  }

  u16 notes;
  bool refused[2] = {false, false};  // by kind: webcams, microphones

 private:
  void Note(const u16& text) { notes += text + u"\r\n"; }
  TVeilcap& v_;
  const AdminEnvironment& env_;
};

std::vector<ToggleCommands::Side> SidesOf(DeviceKinds kinds) {
  if (kinds == DeviceKinds::Cam) return {ToggleCommands::Side::Cam};
  if (kinds == DeviceKinds::Mic) return {ToggleCommands::Side::Mic};
  return {ToggleCommands::Side::Cam, ToggleCommands::Side::Mic};
}

bool OfKinds(const TTreeData_Device& d, DeviceKinds kinds) {
  return kinds == DeviceKinds::All || (kinds == DeviceKinds::Mic) == IsMicrophone(d);
}

u16 Named(const u16& templ, const u16& name) { return ReplaceAll(templ, u"%1", name); }

AdminResult Switch(const AdminCommand& c, TVeilcap& v, ToggleSwitches& switches, const AdminEnvironment& env) {
  CommandLineHost host(v, env);
  ToggleCommands commands(v, host, switches);
  env.search();
  // Nothing to block: said as such, not as success.
  if (c.verb == AdminVerb::Block && WatchedRows(v.Devices, c.kinds).empty())
    return {kExitNoDevice, ReportText({}, c.kinds)};
  bool ok = true;
  for (auto side : SidesOf(c.kinds)) ok = (c.verb == AdminVerb::Block ? commands.Block(side) : commands.Unblock(side)) && ok;

  u16 failures;
  if (c.verb == AdminVerb::Block) {
    for (const auto& r : WatchedRows(v.Devices, c.kinds))
      if (r.works) failures += Named(MESSAGE_CLI_STILL_ON, r.name) + u"\r\n";
  } else {
    // Unblocking switches on every disabled device of the kinds, watched or not.
    // A kind a policy keeps blocked was refused as a whole: its devices are not named.
    for (const auto& d : v.Devices)
      if (OfKinds(d, c.kinds) && !host.refused[IsMicrophone(d)] &&
          (d.ProblemCode == 22 || (d.Watch && d.ProblemCode != 0)))
        failures += Named(MESSAGE_CLI_STILL_OFF, d.FriendlyName()) + u"\r\n";
  }
  AdminResult r;
  r.text = host.notes + ReportText(WatchedRows(v.Devices, c.kinds), c.kinds) + failures;
  r.exitCode = host.refused[0] || host.refused[1] ? kExitRefused
               : ok && failures.empty()           ? kExitAllOff
                                                  : kExitSomeOn;
  return r;
}

AdminResult Restore(TVeilcap& v, ToggleSwitches& switches, const AdminEnvironment& env) {
  CommandLineHost host(v, env);
  ToggleCommands commands(v, host, switches);
  // No kind stays recorded as blocked, so a tray program keeping kinds blocked does not switch
  // off again what is restored here.
  bool ok = Ledger_SetKindBlocked(LedgerKind::Cam, false);
  ok = Ledger_SetKindBlocked(LedgerKind::Mic, false) && ok;
  const std::vector<u16> ids = Ledger_Ids();
  if (!ids.empty()) {
    env.search();
    ok = commands.EnableListed(ids) && ok;
  }
  ok = Privacy_RestoreDeniedConsent() && ok;
  AdminResult r;
  u16 failures;
  const std::vector<ReportRow> rows = RowsOfIds(v.Devices, ids);
  for (const auto& row : rows) {
    if (row.works) {
      Ledger_Remove(row.instanceId);
      continue;
    }
    // Not confirmed working: the record stays, so a later restore can still switch it on.
    Ledger_Add(row.instanceId);
    if (row.state == u"absent")
      failures += Named(MESSAGE_CLI_NOT_FOUND, row.instanceId) + u"\r\n";
    else
      failures += Named(MESSAGE_CLI_STILL_OFF, row.name) + u"\r\n";
  }
  r.text = host.notes + DeviceLines(rows) + failures;
  r.exitCode = host.refused[0] || host.refused[1] ? kExitRefused
               : ok && failures.empty()           ? kExitAllOff
                                                  : kExitSomeOn;
  return r;
}
}  // namespace

AdminResult RunAdminCommand(const AdminCommand& c, TVeilcap& v, ToggleSwitches& switches, const AdminEnvironment& env) {
  if (c.badUsage) return {kExitBadUsage, MESSAGE_CLI_BAD_USAGE + u"\r\n"};
  switch (c.verb) {
    case AdminVerb::Help:
      return {kExitAllOff, MESSAGE_CLI_HELP + u"\r\n"};
    case AdminVerb::Status: {
      env.search();
      const auto rows = WatchedRows(v.Devices, c.kinds);
      const int code = StatusExitCode(rows);
      const Policies policies = Read_Policies();
      return {code, c.json ? ReportJson(rows, c.kinds, code, policies) : ReportText(rows, c.kinds) + PolicyLines(policies)};
    }
    case AdminVerb::Block:
    case AdminVerb::Unblock:
      return Switch(c, v, switches, env);
    case AdminVerb::Restore:
      return Restore(v, switches, env);
  }
  return {kExitBadUsage, MESSAGE_CLI_BAD_USAGE + u"\r\n"};
}

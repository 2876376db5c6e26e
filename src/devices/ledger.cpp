#include "devices/ledger.h"

#include "platform/registry.h"

namespace {
bool IsInstanceId(const u16& name) { return name.find(u'\\') != u16::npos; }
}  // namespace

bool Ledger_Contains(const u16& instanceId) {
  if (!IsInstanceId(instanceId) || !Reg_ValueExists(RegRoot::LocalMachine, kLedgerKey, instanceId)) return false;
  return Reg_ReadInteger(RegRoot::LocalMachine, kLedgerKey, instanceId) != 0;
}

bool Ledger_Add(const u16& instanceId) {
  if (!IsInstanceId(instanceId)) return false;
  return Reg_WriteInteger(RegRoot::LocalMachine, kLedgerKey, instanceId, 1);
}

bool Ledger_Remove(const u16& instanceId) {
  if (!Reg_ValueExists(RegRoot::LocalMachine, kLedgerKey, instanceId)) return true;
  return Reg_DeleteValue(RegRoot::LocalMachine, kLedgerKey, instanceId);
}

std::vector<u16> Ledger_Ids() {
  std::vector<u16> ids;
  for (const u16& name : Reg_ValueNames(RegRoot::LocalMachine, kLedgerKey))
    if (IsInstanceId(name) && Reg_ReadInteger(RegRoot::LocalMachine, kLedgerKey, name) != 0) ids.push_back(name);
  return ids;
}

namespace {
const char16_t* CommandValue(LedgerKind kind) { return kind == LedgerKind::Mic ? kLedgerCommandMic : kLedgerCommandCam; }

// A flag of the ledger under a name without a backslash: REG_DWORD 1 while set, no value otherwise.
bool SetFlag(const u16& name, bool on) {
  if (on) return Reg_WriteInteger(RegRoot::LocalMachine, kLedgerKey, name, 1);
  if (!Reg_ValueExists(RegRoot::LocalMachine, kLedgerKey, name)) return true;
  return Reg_DeleteValue(RegRoot::LocalMachine, kLedgerKey, name);
}

bool FlagSet(const u16& name) {
  return Reg_ValueExists(RegRoot::LocalMachine, kLedgerKey, name) &&
         Reg_ReadInteger(RegRoot::LocalMachine, kLedgerKey, name) != 0;
}

u16 ConsentValue(LedgerKind kind, RegRoot root) {
  return u16(kind == LedgerKind::Mic ? u"Consent_Mic_" : u"Consent_Cam_") +
         (root == RegRoot::CurrentUser ? u"User" : u"Machine");
}
}  // namespace

bool Ledger_SetKindBlocked(LedgerKind kind, bool blocked) { return SetFlag(CommandValue(kind), blocked); }
bool Ledger_KindBlocked(LedgerKind kind) { return FlagSet(CommandValue(kind)); }

bool Ledger_SetConsentDenied(LedgerKind kind, RegRoot root, bool denied) {
  return SetFlag(ConsentValue(kind, root), denied);
}
bool Ledger_ConsentDenied(LedgerKind kind, RegRoot root) { return FlagSet(ConsentValue(kind, root)); }

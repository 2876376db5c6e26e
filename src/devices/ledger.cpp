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

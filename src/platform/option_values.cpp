#include "platform/option_values.h"

#include "platform/environment.h"
#include "platform/registry.h"

bool Load_PrivacyOption(const char16_t* valueName) {
  if (!Win10_or_later) return false;
  if (!Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, valueName)) return true;
  return Reg_ReadInteger(RegRoot::LocalMachine, kOptionsKey, valueName) == 1;
}

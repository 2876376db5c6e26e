#include "devices/watch_store.h"

#include "platform/registry.h"

namespace {
std::optional<bool> ChoiceIn(RegRoot root, const u16& name) {
  if (!Reg_ValueExists(root, kDeviceStoreKey, name)) return std::nullopt;
  const int32_t v = Reg_ReadInteger(root, kDeviceStoreKey, name);
  if (v == 1) return true;
  if (v == 0) return false;
  return std::nullopt;
}
}  // namespace

std::optional<bool> WatchStore_Choice(const u16& instanceId) {
  if (instanceId.empty()) return std::nullopt;
  return ChoiceIn(RegRoot::LocalMachine, instanceId);
}

bool WatchStore_Set(const u16& instanceId, bool watched) {
  return Reg_WriteInteger(RegRoot::LocalMachine, kDeviceStoreKey, instanceId, watched ? 1 : 0);
}

bool WatchStore_ImportOnce() {
  if (Reg_KeyExists(RegRoot::LocalMachine, kDeviceStoreKey)) return false;
  // The key first: a store that exists, even empty, is never imported into again.
  if (!Reg_CreateKey(RegRoot::LocalMachine, kDeviceStoreKey)) return false;
  for (const u16& name : Reg_ValueNames(RegRoot::CurrentUser, kDeviceStoreKey))
    if (const auto choice = ChoiceIn(RegRoot::CurrentUser, name)) WatchStore_Set(name, *choice);
  return true;
}

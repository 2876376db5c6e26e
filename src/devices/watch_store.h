// The user's watch choice per device, kept per machine in HKEY_LOCAL_MACHINE where only
// administrators can write: one REG_DWORD per instance id, 1 = watched, 0 = not watched (any other
// value leaves the decision to the name rules). A value an unelevated program could write must
// never unwatch a camera, so the user's own hive is read only once, to carry earlier choices over.
#pragma once
#include <optional>

#include "core/text.h"

inline constexpr char16_t kDeviceStoreKey[] = u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Devices";

// The stored choice: true for 1, false for 0, nothing for a missing value or any other value.
std::optional<bool> WatchStore_Choice(const u16& instanceId);
// Writes 1 or 0; false when the registry refused.
bool WatchStore_Set(const u16& instanceId, bool watched);
// When the machine store does not exist yet: creates it and copies the user's earlier choices
// (HKEY_CURRENT_USER, same key; values that read as 1 or 0) into it. Answers whether it created
// the store; an existing machine store is left as it is, and later changes in the user's hive are
// never read again.
bool WatchStore_ImportOnce();

// The real registry behind the registry routines.
#pragma once
#include "platform/registry.h"

class WindowsRegistry final : public RegistryBackend {
 public:
  long OpenKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) override;
  long CreateKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) override;
  long QueryValue(RegHandle key, const u16& name, uint32_t* type, uint8_t* data, uint32_t* size) override;
  long SetValue(RegHandle key, const u16& name, uint32_t type, const uint8_t* data, uint32_t size) override;
  long DeleteValue(RegHandle key, const u16& name) override;
  long CloseKey(RegHandle key) override;
  long EnumKey(RegHandle key, uint32_t index, u16* name) override;
  long EnumValue(RegHandle key, uint32_t index, u16* name) override;
};

// IsWow64Process looked up by name in kernel32: nullopt when the function is missing.
std::optional<bool> QueryIsWow64();

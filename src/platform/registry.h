// Registry routines: stateless, each call opens the key, does one thing and closes it again.
// They never raise; every failure gives a fixed default. The Windows calls sit behind
// RegistryBackend so the decoding rules run in unit tests against an in-memory tree.
#pragma once
#include <cstdint>
#include <vector>

#include "core/text.h"

enum class RegRoot : uint32_t { CurrentUser = 0x80000001u, LocalMachine = 0x80000002u };

constexpr uint32_t REG_TYPE_NONE = 0, REG_TYPE_SZ = 1, REG_TYPE_EXPAND_SZ = 2, REG_TYPE_BINARY = 3,
                   REG_TYPE_DWORD = 4, REG_TYPE_MULTI_SZ = 7, REG_TYPE_QWORD = 11;
constexpr uint32_t kKeyRead = 0x20019, kKeyAllAccess = 0xF003F, kKeyWow64_64Key = 0x100;
constexpr long kErrorSuccess = 0, kErrorFileNotFound = 2, kErrorAccessDenied = 5, kErrorMoreData = 234,
               kErrorNoMoreItems = 259;

using RegHandle = uintptr_t;

// The raw registry: each call mirrors the Win32 function of the same name and answers a Windows
// error code (0 = success). QueryValue with data == nullptr only reports type and size; with a
// buffer smaller than the data it answers kErrorMoreData and sets *size to the needed size.
class RegistryBackend {
 public:
  virtual ~RegistryBackend() = default;
  virtual long OpenKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) = 0;
  // Creates missing parent keys too.
  virtual long CreateKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) = 0;
  virtual long QueryValue(RegHandle key, const u16& name, uint32_t* type, uint8_t* data, uint32_t* size) = 0;
  virtual long SetValue(RegHandle key, const u16& name, uint32_t type, const uint8_t* data, uint32_t size) = 0;
  virtual long DeleteValue(RegHandle key, const u16& name) = 0;
  virtual long CloseKey(RegHandle key) = 0;
  // Name of the index-th subkey (RegEnumKeyExW); kErrorNoMoreItems past the last one. A backend
  // that cannot list keys answers kErrorNoMoreItems at once.
  virtual long EnumKey(RegHandle key, uint32_t index, u16* name) {
    (void)key, (void)index, (void)name;
    return kErrorNoMoreItems;
  }
  // Name of the index-th value (RegEnumValueW); kErrorNoMoreItems past the last one.
  virtual long EnumValue(RegHandle key, uint32_t index, u16* name) {
    (void)key, (void)index, (void)name;
    return kErrorNoMoreItems;
  }
};

// Installs the backend (not owned) and the registry-view flag: when wow64View is true every open
// and create adds KEY_WOW64_64KEY, so a 32-bit process on 64-bit Windows uses the 64-bit view.
void SetRegistryBackend(RegistryBackend* backend, bool wow64View);
bool RegistryUses64BitView();

bool Reg_ValueExists(RegRoot root, const u16& key, const u16& name);
u16 Reg_ReadString(RegRoot root, const u16& key, const u16& name);
int32_t Reg_ReadInteger(RegRoot root, const u16& key, const u16& name);
// A REG_QWORD of exactly eight bytes; false (and *value 0) for anything else: a missing key or
// value, another type, another size, a failed read.
bool Reg_ReadQword(RegRoot root, const u16& key, const u16& name, uint64_t* value);
// The value's type and every byte of its data, as stored; false when it cannot be read.
bool Reg_ReadRaw(RegRoot root, const u16& key, const u16& name, uint32_t* type, std::vector<uint8_t>* data);
// A REG_DWORD of exactly four bytes; false (and *value 0) for anything else, as Reg_ReadQword.
bool Reg_ReadDword(RegRoot root, const u16& key, const u16& name, uint32_t* value);
// False when the value could not be written.
bool Reg_WriteString(RegRoot root, const u16& key, const u16& name, const u16& text);
bool Reg_WriteInteger(RegRoot root, const u16& key, const u16& name, int32_t value);
bool Reg_WriteValue(RegRoot root, const u16& key, const u16& name, uint32_t type, uint32_t size,
                    const void* data);
bool Reg_DeleteValue(RegRoot root, const u16& key, const u16& name);
// True when the key can be opened for reading.
bool Reg_KeyExists(RegRoot root, const u16& key);
// Opens or creates the key (and its missing parents); false when the registry refused.
bool Reg_CreateKey(RegRoot root, const u16& key);
// Names of the subkeys directly below key, in the registry's order; empty when it cannot be opened.
std::vector<u16> Reg_SubKeyNames(RegRoot root, const u16& key);
// Names of the values of key, in the registry's order; empty when it cannot be opened.
std::vector<u16> Reg_ValueNames(RegRoot root, const u16& key);

// An in-memory registry for tests: keys and values by root and path, names compared without
// regard to case, with the Win32 answer codes. Counts open handles so tests can check that every
// opened key is closed again, and records the access masks asked for.
#pragma once
#include <map>
#include <memory>
#include <vector>

#include "platform/registry.h"

class MemoryRegistry final : public RegistryBackend {
 public:
  struct Value {
    uint32_t type = 0;
    std::vector<uint8_t> data;
  };

  long OpenKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) override;
  long CreateKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) override;
  long QueryValue(RegHandle key, const u16& name, uint32_t* type, uint8_t* data, uint32_t* size) override;
  long SetValue(RegHandle key, const u16& name, uint32_t type, const uint8_t* data, uint32_t size) override;
  long DeleteValue(RegHandle key, const u16& name) override;
  long CloseKey(RegHandle key) override;
  long EnumKey(RegHandle key, uint32_t index, u16* name) override;
  long EnumValue(RegHandle key, uint32_t index, u16* name) override;

  // Direct access for test set-up and checks.
  void Put(RegRoot root, const u16& key, const u16& name, uint32_t type, std::vector<uint8_t> data);
  void PutString(RegRoot root, const u16& key, const u16& name, const u16& text);  // REG_SZ with zero
  void PutDword(RegRoot root, const u16& key, const u16& name, uint32_t v);
  const Value* Get(RegRoot root, const u16& key, const u16& name) const;
  bool KeyExists(RegRoot root, const u16& key) const;
  void AddKey(RegRoot root, const u16& key);
  // Subkey names directly below key, in creation order.
  std::vector<u16> SubKeys(RegRoot root, const u16& key) const;
  // Value names of a key, in creation order.
  std::vector<u16> ValueNames(RegRoot root, const u16& key) const;

  int OpenHandles() const { return int(handles_.size()); }
  const std::vector<uint32_t>& AccessLog() const { return accessLog_; }
  // Makes every write (create, set, delete) fail with access denied.
  void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
  // Makes the next N data reads (QueryValue with a buffer) fail, to test failed second reads.
  void FailDataReads(int n) { failDataReads_ = n; }

 private:
  struct Key {
    std::vector<std::pair<u16, Value>> values;
    std::vector<std::pair<u16, std::unique_ptr<Key>>> children;
  };
  Key* Find(RegRoot root, const u16& path, bool create);
  const Key* FindConst(RegRoot root, const u16& path) const;
  std::map<uint32_t, Key> roots_;
  std::map<RegHandle, Key*> handles_;
  RegHandle next_ = 1;
  std::vector<uint32_t> accessLog_;
  bool readOnly_ = false;
  int failDataReads_ = 0;
};

#include "platform/registry.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {
RegistryBackend* g_backend = nullptr;
bool g_wow64View = false;

uint32_t ViewFlag() { return g_wow64View ? kKeyWow64_64Key : 0; }

// Closes the key on every path.
class OpenedKey {
 public:
  OpenedKey() = default;
  OpenedKey(const OpenedKey&) = delete;
  OpenedKey& operator=(const OpenedKey&) = delete;
  ~OpenedKey() {
    if (open_) g_backend->CloseKey(handle_);
  }
  bool Open(RegRoot root, const u16& key, uint32_t access) {
    if (!g_backend) return false;
    open_ = g_backend->OpenKey(root, key, access | ViewFlag(), &handle_) == kErrorSuccess;
    return open_;
  }
  bool OpenOrCreate(RegRoot root, const u16& key, uint32_t access) {
    if (Open(root, key, access)) return true;
    if (!g_backend) return false;
    open_ = g_backend->CreateKey(root, key, access | ViewFlag(), &handle_) == kErrorSuccess;
    return open_;
  }
  RegHandle get() const { return handle_; }

 private:
  RegHandle handle_ = 0;
  bool open_ = false;
};

// Reads string data as the routines do: room for (size-2)/2 characters (even size) or (size+1)/2
// (odd size) plus a terminating zero; the text ends at its first zero character.
bool ReadText(RegHandle key, const u16& name, uint32_t size, u16* out) {
  size_t chars = (size % 2 == 0) ? (size - 2) / 2 : (size + 1) / 2;
  std::vector<char16_t> buf(chars + 1, 0);
  uint32_t bytes = uint32_t(buf.size() * 2);
  uint32_t type = 0;
  if (g_backend->QueryValue(key, name, &type, reinterpret_cast<uint8_t*>(buf.data()), &bytes) != kErrorSuccess)
    return false;
  size_t len = 0;
  while (len < buf.size() && buf[len] != 0) ++len;
  out->assign(buf.data(), len);
  return true;
}

// Reads fixed-size data into a zeroed buffer of the given capacity.
bool ReadFixed(RegHandle key, const u16& name, uint8_t* buf, uint32_t capacity) {
  std::memset(buf, 0, capacity);
  uint32_t bytes = capacity, type = 0;
  return g_backend->QueryValue(key, name, &type, buf, &bytes) == kErrorSuccess;
}

bool QueryTypeAndSize(RegHandle key, const u16& name, uint32_t* type, uint32_t* size) {
  *type = 0;
  *size = 0;
  return g_backend->QueryValue(key, name, type, nullptr, size) == kErrorSuccess;
}

bool IsStringType(uint32_t t) { return t == REG_TYPE_SZ || t == REG_TYPE_EXPAND_SZ || t == REG_TYPE_MULTI_SZ; }

uint32_t Le32(const uint8_t* b) { return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24; }
uint64_t Le64(const uint8_t* b) { return uint64_t(Le32(b)) | uint64_t(Le32(b + 4)) << 32; }
}  // namespace

void SetRegistryBackend(RegistryBackend* backend, bool wow64View) {
  g_backend = backend;
  g_wow64View = wow64View;
}

bool RegistryUses64BitView() { return g_wow64View; }

bool Reg_ValueExists(RegRoot root, const u16& key, const u16& name) {
  OpenedKey k;
  if (!k.Open(root, key, kKeyRead)) return false;
  uint32_t type, size;
  return QueryTypeAndSize(k.get(), name, &type, &size);
}

u16 Reg_ReadString(RegRoot root, const u16& key, const u16& name) {
  OpenedKey k;
  if (!k.Open(root, key, kKeyRead)) return {};
  uint32_t type, size;
  if (!QueryTypeAndSize(k.get(), name, &type, &size) || size == 0) return {};
  u16 result;
  if (IsStringType(type)) {
    if (size >= 2 && !ReadText(k.get(), name, size, &result)) result.clear();
  } else if (type == REG_TYPE_DWORD) {
    uint8_t b[4];
    if (ReadFixed(k.get(), name, b, 4)) result = ToDecU(Le32(b));
  } else if (type == REG_TYPE_QWORD) {
    uint8_t b[8];
    if (ReadFixed(k.get(), name, b, 8)) result = ToDec(int64_t(Le64(b)));
  } else if (type == REG_TYPE_BINARY || type == REG_TYPE_NONE) {
    std::vector<uint8_t> b(size, 0);
    uint32_t bytes = size, t = 0;
    if (g_backend->QueryValue(k.get(), name, &t, b.data(), &bytes) == kErrorSuccess) {
      // The bytes as UTF-16 text up to the first zero character; an odd last byte is no character.
      size_t n = std::min<size_t>(bytes, b.size()) / 2;
      for (size_t i = 0; i < n; ++i) {
        char16_t c = char16_t(b[2 * i] | (b[2 * i + 1] << 8));
        if (c == 0) break;
        result.push_back(c);
      }
    }
  }
  return result;
}

int32_t Reg_ReadInteger(RegRoot root, const u16& key, const u16& name) {
  OpenedKey k;
  if (!k.Open(root, key, kKeyRead)) return 0;
  uint32_t type, size;
  if (!QueryTypeAndSize(k.get(), name, &type, &size) || size == 0) return 0;
  if (IsStringType(type)) {
    if (size < 2) return 0;
    u16 text;
    if (!ReadText(k.get(), name, size, &text)) return 0;
    return ParseInt32Or(text, 0);
  }
  if (type == REG_TYPE_DWORD && size <= 4) {
    uint8_t b[4];
    return ReadFixed(k.get(), name, b, 4) ? int32_t(Le32(b)) : 0;
  }
  if (type == REG_TYPE_QWORD && size <= 8) {
    uint8_t b[8];
    return ReadFixed(k.get(), name, b, 8) ? int32_t(uint32_t(Le64(b))) : 0;
  }
  if ((type == REG_TYPE_BINARY || type == REG_TYPE_NONE) && size <= 4) {
    uint8_t b[4];
    return ReadFixed(k.get(), name, b, 4) ? int32_t(Le32(b)) : 0;
  }
  return 0;
}

namespace {
// The bytes of a value of exactly this type and size; false for anything else.
bool ReadExact(RegRoot root, const u16& key, const u16& name, uint32_t wantType, uint8_t* b, uint32_t wantSize) {
  OpenedKey k;
  if (!k.Open(root, key, kKeyRead)) return false;
  uint32_t type, size;
  if (!QueryTypeAndSize(k.get(), name, &type, &size) || type != wantType || size != wantSize) return false;
  return ReadFixed(k.get(), name, b, wantSize);
}
}  // namespace

bool Reg_ReadQword(RegRoot root, const u16& key, const u16& name, uint64_t* value) {
  *value = 0;
  uint8_t b[8];
  if (!ReadExact(root, key, name, REG_TYPE_QWORD, b, 8)) return false;
  *value = Le64(b);
  return true;
}

bool Reg_ReadRaw(RegRoot root, const u16& key, const u16& name, uint32_t* type, std::vector<uint8_t>* data) {
  data->clear();
  OpenedKey k;
  uint32_t size = 0;
  if (!k.Open(root, key, kKeyRead) || !QueryTypeAndSize(k.get(), name, type, &size)) return false;
  // The value may grow between the two calls: ask again for the size it has then.
  for (int attempt = 0; attempt < 3; ++attempt) {
    data->assign(size, 0);
    uint32_t bytes = size;
    const long rc = g_backend->QueryValue(k.get(), name, type, data->data(), &bytes);
    if (rc == kErrorSuccess) {
      data->resize(std::min(bytes, size));
      return true;
    }
    if (rc != kErrorMoreData) break;
    size = bytes;
  }
  data->clear();
  return false;
}

bool Reg_ReadDword(RegRoot root, const u16& key, const u16& name, uint32_t* value) {
  *value = 0;
  uint8_t b[4];
  if (!ReadExact(root, key, name, REG_TYPE_DWORD, b, 4)) return false;
  *value = Le32(b);
  return true;
}

bool Reg_WriteValue(RegRoot root, const u16& key, const u16& name, uint32_t type, uint32_t size,
                    const void* data) {
  OpenedKey k;
  if (!k.OpenOrCreate(root, key, kKeyAllAccess)) return false;
  return g_backend->SetValue(k.get(), name, type, static_cast<const uint8_t*>(data), size) == kErrorSuccess;
}

bool Reg_WriteString(RegRoot root, const u16& key, const u16& name, const u16& text) {
  if (text.empty()) return Reg_WriteValue(root, key, name, REG_TYPE_SZ, 0, nullptr);
  std::vector<uint8_t> data((text.size() + 1) * 2, 0);
  for (size_t i = 0; i < text.size(); ++i) {
    data[2 * i] = uint8_t(text[i] & 0xFF);
    data[2 * i + 1] = uint8_t(text[i] >> 8);
  }
  return Reg_WriteValue(root, key, name, REG_TYPE_SZ, uint32_t(data.size()), data.data());
}

bool Reg_WriteInteger(RegRoot root, const u16& key, const u16& name, int32_t value) {
  uint32_t v = uint32_t(value);
  uint8_t b[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
  return Reg_WriteValue(root, key, name, REG_TYPE_DWORD, 4, b);
}

bool Reg_DeleteValue(RegRoot root, const u16& key, const u16& name) {
  OpenedKey k;
  if (!k.Open(root, key, kKeyAllAccess)) return false;
  return g_backend->DeleteValue(k.get(), name) == kErrorSuccess;
}

bool Reg_KeyExists(RegRoot root, const u16& key) {
  OpenedKey k;
  return k.Open(root, key, kKeyRead);
}

bool Reg_CreateKey(RegRoot root, const u16& key) {
  OpenedKey k;
  return k.OpenOrCreate(root, key, kKeyAllAccess);
}

std::vector<u16> Reg_SubKeyNames(RegRoot root, const u16& key) {
  std::vector<u16> names;
  OpenedKey k;
  if (!k.Open(root, key, kKeyRead)) return names;
  u16 name;
  for (uint32_t i = 0; g_backend->EnumKey(k.get(), i, &name) == kErrorSuccess; ++i) names.push_back(name);
  return names;
}

std::vector<u16> Reg_ValueNames(RegRoot root, const u16& key) {
  std::vector<u16> names;
  OpenedKey k;
  if (!k.Open(root, key, kKeyRead)) return names;
  u16 name;
  for (uint32_t i = 0; g_backend->EnumValue(k.get(), i, &name) == kErrorSuccess; ++i) names.push_back(name);
  return names;
}

#include "fakes/memory_registry.h"

#include <cstring>

namespace {
std::vector<u16> SplitPath(const u16& path) {
  std::vector<u16> parts;
  u16 cur;
  for (char16_t c : path) {
    if (c == u'\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur.push_back(c);
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}
}  // namespace

MemoryRegistry::Key* MemoryRegistry::Find(RegRoot root, const u16& path, bool create) {
  Key* k = &roots_[uint32_t(root)];
  for (const auto& part : SplitPath(path)) {
    Key* next = nullptr;
    for (auto& [name, child] : k->children)
      if (EqualsNoCase(name, part)) next = child.get();
    if (!next) {
      if (!create) return nullptr;
      k->children.emplace_back(part, std::make_unique<Key>());
      next = k->children.back().second.get();
    }
    k = next;
  }
  return k;
}

const MemoryRegistry::Key* MemoryRegistry::FindConst(RegRoot root, const u16& path) const {
  auto it = roots_.find(uint32_t(root));
  if (it == roots_.end()) return nullptr;
  const Key* k = &it->second;
  for (const auto& part : SplitPath(path)) {
    const Key* next = nullptr;
    for (const auto& [name, child] : k->children)
      if (EqualsNoCase(name, part)) next = child.get();
    if (!next) return nullptr;
    k = next;
  }
  return k;
}

long MemoryRegistry::OpenKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) {
  accessLog_.push_back(access);
  if (readOnly_ && (access & 0x6)) return kErrorAccessDenied;  // KEY_SET_VALUE / KEY_CREATE_SUB_KEY
  Key* k = Find(root, subKey, false);
  if (!k) return kErrorFileNotFound;
  *key = next_++;
  handles_[*key] = k;
  return kErrorSuccess;
}

long MemoryRegistry::CreateKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) {
  accessLog_.push_back(access);
  if (readOnly_) return kErrorAccessDenied;
  Key* k = Find(root, subKey, true);
  *key = next_++;
  handles_[*key] = k;
  return kErrorSuccess;
}

long MemoryRegistry::QueryValue(RegHandle key, const u16& name, uint32_t* type, uint8_t* data, uint32_t* size) {
  auto it = handles_.find(key);
  if (it == handles_.end()) return 6;  // ERROR_INVALID_HANDLE
  for (const auto& [n, v] : it->second->values) {
    if (!EqualsNoCase(n, name)) continue;
    if (type) *type = v.type;
    uint32_t needed = uint32_t(v.data.size());
    if (!data) {
      if (size) *size = needed;
      return kErrorSuccess;
    }
    if (failDataReads_ > 0) {
      --failDataReads_;
      return kErrorAccessDenied;
    }
    if (!size || *size < needed) {
      if (size) *size = needed;
      return kErrorMoreData;
    }
    if (needed) std::memcpy(data, v.data.data(), needed);
    *size = needed;
    return kErrorSuccess;
  }
  return kErrorFileNotFound;
}

long MemoryRegistry::SetValue(RegHandle key, const u16& name, uint32_t type, const uint8_t* data, uint32_t size) {
  auto it = handles_.find(key);
  if (it == handles_.end()) return 6;
  if (readOnly_) return kErrorAccessDenied;
  Value v{type, std::vector<uint8_t>(data, data + (data ? size : 0))};
  for (auto& [n, existing] : it->second->values)
    if (EqualsNoCase(n, name)) {
      existing = std::move(v);
      return kErrorSuccess;
    }
  it->second->values.emplace_back(name, std::move(v));
  return kErrorSuccess;
}

long MemoryRegistry::DeleteValue(RegHandle key, const u16& name) {
  auto it = handles_.find(key);
  if (it == handles_.end()) return 6;
  if (readOnly_) return kErrorAccessDenied;
  auto& values = it->second->values;
  for (auto v = values.begin(); v != values.end(); ++v)
    if (EqualsNoCase(v->first, name)) {
      values.erase(v);
      return kErrorSuccess;
    }
  return kErrorFileNotFound;
}

long MemoryRegistry::CloseKey(RegHandle key) { return handles_.erase(key) ? kErrorSuccess : 6; }

long MemoryRegistry::EnumKey(RegHandle key, uint32_t index, u16* name) {
  auto it = handles_.find(key);
  if (it == handles_.end()) return 6;
  if (index >= it->second->children.size()) return kErrorNoMoreItems;
  *name = it->second->children[index].first;
  return kErrorSuccess;
}

long MemoryRegistry::EnumValue(RegHandle key, uint32_t index, u16* name) {
  auto it = handles_.find(key);
  if (it == handles_.end()) return 6;
  if (index >= it->second->values.size()) return kErrorNoMoreItems;
  *name = it->second->values[index].first;
  return kErrorSuccess;
}

void MemoryRegistry::Put(RegRoot root, const u16& key, const u16& name, uint32_t type, std::vector<uint8_t> data) {
  Key* k = Find(root, key, true);
  for (auto& [n, v] : k->values)
    if (EqualsNoCase(n, name)) {
      v = Value{type, std::move(data)};
      return;
    }
  k->values.emplace_back(name, Value{type, std::move(data)});
}

void MemoryRegistry::PutString(RegRoot root, const u16& key, const u16& name, const u16& text) {
  std::vector<uint8_t> d;
  for (char16_t c : text) {
    d.push_back(uint8_t(c & 0xFF));
    d.push_back(uint8_t(c >> 8));
  }
  d.push_back(0);
  d.push_back(0);
  Put(root, key, name, REG_TYPE_SZ, std::move(d));
}

void MemoryRegistry::PutDword(RegRoot root, const u16& key, const u16& name, uint32_t v) {
  Put(root, key, name, REG_TYPE_DWORD, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
}

const MemoryRegistry::Value* MemoryRegistry::Get(RegRoot root, const u16& key, const u16& name) const {
  const Key* k = FindConst(root, key);
  if (!k) return nullptr;
  for (const auto& [n, v] : k->values)
    if (EqualsNoCase(n, name)) return &v;
  return nullptr;
}

bool MemoryRegistry::KeyExists(RegRoot root, const u16& key) const { return FindConst(root, key) != nullptr; }
void MemoryRegistry::AddKey(RegRoot root, const u16& key) { Find(root, key, true); }

std::vector<u16> MemoryRegistry::SubKeys(RegRoot root, const u16& key) const {
  std::vector<u16> r;
  if (const Key* k = FindConst(root, key))
    for (const auto& [n, c] : k->children) r.push_back(n);
  return r;
}

std::vector<u16> MemoryRegistry::ValueNames(RegRoot root, const u16& key) const {
  std::vector<u16> r;
  if (const Key* k = FindConst(root, key))
    for (const auto& [n, v] : k->values) r.push_back(n);
  return r;
}

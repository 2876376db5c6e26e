#include "platform/machine_path.h"

#include <vector>

#include "platform/registry.h"

namespace {
u16v WithoutTrailingBackslash(u16v s) {
  while (!s.empty() && s.back() == u'\\') s.remove_suffix(1);
  return s;
}

bool NamesFolder(u16v entry, u16v folder) {
  const u16v f = WithoutTrailingBackslash(folder);
  return !f.empty() && EqualsNoCase(WithoutTrailingBackslash(entry), f);
}

// The entries of path with their places, split at every ";".
std::vector<u16v> Entries(u16v path) {
  std::vector<u16v> out;
  size_t start = 0;
  for (;;) {
    const size_t end = path.find(u';', start);
    out.push_back(path.substr(start, end == u16v::npos ? u16v::npos : end - start));
    if (end == u16v::npos) return out;
    start = end + 1;
  }
}

struct PathValue {
  uint32_t type = REG_TYPE_EXPAND_SZ;
  u16 text;
};

// False when the value is there but is no plain text: then it is not touched.
bool ReadPath(PathValue* value, bool* exists) {
  std::vector<uint8_t> data;
  *exists = Reg_ReadRaw(RegRoot::LocalMachine, kMachineEnvironmentKey, kPathValue, &value->type, &data);
  if (!*exists) {
    value->type = REG_TYPE_EXPAND_SZ;
    return true;
  }
  if (value->type != REG_TYPE_EXPAND_SZ && value->type != REG_TYPE_SZ) return false;
  if (data.size() % 2 != 0) return false;
  for (size_t i = 0; i + 1 < data.size(); i += 2) value->text.push_back(char16_t(data[i] | (data[i + 1] << 8)));
  if (!value->text.empty() && value->text.back() == 0) value->text.pop_back();
  return value->text.find(char16_t(0)) == u16::npos;
}

bool WritePath(const PathValue& value) {
  std::vector<uint8_t> data;
  data.reserve((value.text.size() + 1) * 2);
  for (char16_t c : value.text) {
    data.push_back(uint8_t(c & 0xFF));
    data.push_back(uint8_t(c >> 8));
  }
  data.insert(data.end(), {0, 0});
  return Reg_WriteValue(RegRoot::LocalMachine, kMachineEnvironmentKey, kPathValue, value.type, uint32_t(data.size()),
                        data.data());
}

PathEdit Edit(const u16& folder, bool add) {
  if (WithoutTrailingBackslash(folder).empty()) return PathEdit::Failed;
  PathValue value;
  bool exists = false;
  if (!ReadPath(&value, &exists)) return PathEdit::Failed;
  if (!add && !exists) return PathEdit::Unchanged;
  const u16 changed = add ? PathWithEntry(value.text, folder) : PathWithoutEntry(value.text, folder);
  if (exists && changed == value.text) return PathEdit::Unchanged;
  value.text = changed;
  return WritePath(value) ? PathEdit::Changed : PathEdit::Failed;
}
}  // namespace

bool PathHasEntry(u16v path, u16v folder) {
  for (u16v e : Entries(path))
    if (NamesFolder(e, folder)) return true;
  return false;
}

u16 PathWithEntry(u16v path, u16v folder) {
  if (PathHasEntry(path, folder)) return u16(path);
  if (path.empty()) return u16(folder);
  if (path.back() == u';') return u16(path) + u16(folder) + u";";
  return u16(path) + u";" + u16(folder);
}

u16 PathWithoutEntry(u16v path, u16v folder) {
  u16 out;
  bool first = true;
  for (u16v e : Entries(path)) {
    if (NamesFolder(e, folder)) continue;
    if (!first) out += u';';
    out += e;
    first = false;
  }
  return out;
}

PathEdit Add_MachinePathEntry(const u16& folder) { return Edit(folder, true); }
PathEdit Remove_MachinePathEntry(const u16& folder) { return Edit(folder, false); }

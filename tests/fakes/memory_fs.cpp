#include "fakes/memory_fs.h"

namespace {
u16 Key(const u16& path) { return AsciiUpper(path); }
u16 ParentOf(const u16& upperPath) {
  size_t p = upperPath.rfind(u'\\');
  return p == u16::npos ? u16() : upperPath.substr(0, p);
}
}  // namespace

bool WildcardMatch(u16v name, u16v pattern) {
  size_t n = 0, p = 0, starP = u16v::npos, starN = 0;
  auto up = [](char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c; };
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || up(pattern[p]) == up(name[n]))) {
      ++n;
      ++p;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != u16v::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool MemoryFileSystem::FileExists(const u16& path) { return files_.count(Key(path)) > 0; }

bool MemoryFileSystem::DirectoryExists(const u16& path) {
  u16 k = Key(path);
  while (!k.empty() && k.back() == u'\\') k.pop_back();
  if (dirs_.count(k)) return true;
  for (const auto& [fk, e] : files_)
    if (StartsWith(fk, k + u"\\")) return true;
  return false;
}

std::optional<std::vector<uint8_t>> MemoryFileSystem::ReadAll(const u16& path, uint32_t* error) {
  auto it = files_.find(Key(path));
  if (it == files_.end()) {
    if (error) *error = 2;
    return std::nullopt;
  }
  return it->second.bytes;
}

uint32_t MemoryFileSystem::WriteAll(const u16& path, const std::vector<uint8_t>& bytes) {
  writes.push_back(path);
  u16 k = Key(path);
  if (!failPrefix_.empty() && StartsWith(k, failPrefix_)) return failError_;
  auto it = files_.find(k);
  if (it != files_.end() && (it->second.attributes & kFileAttributeReadOnly)) return 5;
  Entry& e = files_[k];
  e.path = path;
  e.bytes = bytes;
  return 0;
}

std::optional<uint32_t> MemoryFileSystem::GetAttributes(const u16& path) {
  auto it = files_.find(Key(path));
  if (it == files_.end()) return std::nullopt;
  return it->second.attributes;
}

bool MemoryFileSystem::SetAttributes(const u16& path, uint32_t attributes) {
  auto it = files_.find(Key(path));
  if (it == files_.end()) return false;
  it->second.attributes = attributes;
  return true;
}

bool MemoryFileSystem::Delete(const u16& path) {
  auto it = files_.find(Key(path));
  if (it == files_.end() || (it->second.attributes & kFileAttributeReadOnly)) return false;
  files_.erase(it);
  deletes.push_back(path);
  return true;
}

std::vector<FoundFile> MemoryFileSystem::Find(const u16& folder, const u16& pattern) {
  std::vector<FoundFile> r;
  u16 dir = Key(folder);
  while (!dir.empty() && dir.back() == u'\\') dir.pop_back();
  for (const auto& d : dirs_)
    if (ParentOf(d) == dir && WildcardMatch(d.substr(dir.size() + 1), pattern))
      r.push_back({d.substr(dir.size() + 1), true});
  for (const auto& [k, e] : files_)
    if (ParentOf(k) == dir) {
      u16 name = e.path.substr(e.path.rfind(u'\\') + 1);
      if (WildcardMatch(name, pattern)) r.push_back({name, false});
    }
  return r;
}

void MemoryFileSystem::AddFile(const u16& path, std::vector<uint8_t> bytes, uint32_t attributes) {
  files_[Key(path)] = Entry{path, std::move(bytes), attributes};
}

void MemoryFileSystem::AddFileText(const u16& path, const std::string& bytes) {
  AddFile(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

void MemoryFileSystem::AddDirectory(const u16& path) {
  u16 k = Key(path);
  while (!k.empty() && k.back() == u'\\') k.pop_back();
  dirs_.insert(k);
}

std::vector<uint8_t> MemoryFileSystem::Bytes(const u16& path) const {
  auto it = files_.find(Key(path));
  return it == files_.end() ? std::vector<uint8_t>{} : it->second.bytes;
}

std::vector<u16> MemoryFileSystem::AllFiles() const {
  std::vector<u16> r;
  for (const auto& [k, e] : files_) r.push_back(e.path);
  return r;
}

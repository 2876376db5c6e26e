// An in-memory file system for tests: files by full Windows path, names compared without regard to
// case, folders implied by the files in them (or added explicitly), read-only attribute honoured.
#pragma once
#include <map>
#include <set>

#include "core/fs.h"

class MemoryFileSystem final : public FileSystem {
 public:
  bool FileExists(const u16& path) override;
  bool DirectoryExists(const u16& path) override;
  std::optional<std::vector<uint8_t>> ReadAll(const u16& path, uint32_t* error) override;
  uint32_t WriteAll(const u16& path, const std::vector<uint8_t>& bytes) override;
  std::optional<uint32_t> GetAttributes(const u16& path) override;
  bool SetAttributes(const u16& path, uint32_t attributes) override;
  bool Delete(const u16& path) override;
  std::vector<FoundFile> Find(const u16& folder, const u16& pattern) override;

  void AddFile(const u16& path, std::vector<uint8_t> bytes, uint32_t attributes = 0);
  void AddFileText(const u16& path, const std::string& bytes);
  void AddDirectory(const u16& path);
  // Makes writes to paths starting with prefix fail with this error code.
  void FailWritesUnder(const u16& prefix, uint32_t error) { failPrefix_ = AsciiUpper(prefix); failError_ = error; }
  std::vector<uint8_t> Bytes(const u16& path) const;
  std::vector<u16> AllFiles() const;  // as first stored, in sorted order
  // Paths written, in order (every WriteAll call), and deleted.
  std::vector<u16> writes, deletes;

 private:
  struct Entry {
    u16 path;
    std::vector<uint8_t> bytes;
    uint32_t attributes = 0;
  };
  std::map<u16, Entry> files_;  // key: upper-case path
  std::set<u16> dirs_;          // upper-case
  u16 failPrefix_;
  uint32_t failError_ = 0;
};

// Installs a MemoryFileSystem while it lives.
class ScopedMemoryFs {
 public:
  ScopedMemoryFs() { SetFileSystem(&fs); }
  ~ScopedMemoryFs() { SetFileSystem(nullptr); }
  MemoryFileSystem fs;
};

// Windows wildcard match of a file name against a pattern with * and ?, ignoring case.
bool WildcardMatch(u16v name, u16v pattern);

// File-system access the program needs. Windows: the Win32 file API; tests: an in-memory folder tree.
// Paths are Windows paths (backslashes); names compare without regard to case, as on Windows.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"

struct FoundFile {
  u16 name;  // file name only, as stored
  bool directory = false;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  virtual bool FileExists(const u16& path) = 0;       // an existing file (not a folder)
  virtual bool DirectoryExists(const u16& path) = 0;
  // Whole file; on failure nullopt and *error gets the Windows error code.
  virtual std::optional<std::vector<uint8_t>> ReadAll(const u16& path, uint32_t* error) = 0;
  // Creates or replaces the file; answers 0 or the Windows error code.
  virtual uint32_t WriteAll(const u16& path, const std::vector<uint8_t>& bytes) = 0;
  // FILE_ATTRIBUTE_* bits; nullopt when the file does not exist.
  virtual std::optional<uint32_t> GetAttributes(const u16& path) = 0;
  virtual bool SetAttributes(const u16& path, uint32_t attributes) = 0;
  virtual bool Delete(const u16& path) = 0;  // a read-only file is refused, as on Windows
  // Entries of folder matching pattern ("*.tlang3", "en-*.bmp"), in the order the store gives them.
  // folder ends with a backslash. An error ends the listing quietly with what was found.
  virtual std::vector<FoundFile> Find(const u16& folder, const u16& pattern) = 0;
};

constexpr uint32_t kFileAttributeReadOnly = 0x1;
constexpr uint32_t kFileAttributeDirectory = 0x10;

void SetFileSystem(FileSystem* fs);
FileSystem& Fs();

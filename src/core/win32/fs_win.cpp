#include "core/win32/fs_win.h"

#include <windows.h>

#include "core/win32/windows_seams.h"

namespace {
class HandleCloser {
 public:
  explicit HandleCloser(HANDLE h) : h_(h) {}
  ~HandleCloser() {
    if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
  }
  HandleCloser(const HandleCloser&) = delete;
  HandleCloser& operator=(const HandleCloser&) = delete;

 private:
  HANDLE h_;
};

class Win32FileSystem final : public FileSystem {
 public:
  bool FileExists(const u16& path) override {
    DWORD a = GetFileAttributesW(W(path));
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool DirectoryExists(const u16& path) override {
    DWORD a = GetFileAttributesW(W(path));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
  }

  std::optional<std::vector<uint8_t>> ReadAll(const u16& path, uint32_t* error) override {
    HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return Fail(error);
    HandleCloser closer(h);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size)) return Fail(error);
    if (size.QuadPart > 0x7FFFFFFF) {
      if (error) *error = ERROR_FILE_TOO_LARGE;
      return std::nullopt;
    }
    std::vector<uint8_t> bytes(size_t(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD got = 0;
      if (!ReadFile(h, bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr))
        return Fail(error);
      if (got == 0) break;  // the file shrank meanwhile
      done += got;
    }
    bytes.resize(done);
    return bytes;
  }

  uint32_t WriteAll(const u16& path, const std::vector<uint8_t>& bytes) override {
    HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    HandleCloser closer(h);
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD put = 0;
      if (!WriteFile(h, bytes.data() + done, DWORD(bytes.size() - done), &put, nullptr))
        return GetLastError();
      done += put;
    }
    return 0;
  }

  std::optional<uint32_t> GetAttributes(const u16& path) override {
    DWORD a = GetFileAttributesW(W(path));
    if (a == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return uint32_t(a);
  }

  bool SetAttributes(const u16& path, uint32_t attributes) override {
    return SetFileAttributesW(W(path), attributes) != 0;
  }

  bool Delete(const u16& path) override { return DeleteFileW(W(path)) != 0; }

  std::vector<FoundFile> Find(const u16& folder, const u16& pattern) override {
    std::vector<FoundFile> found;
    WIN32_FIND_DATAW fd{};
    HANDLE h = FindFirstFileW(W(folder + pattern), &fd);
    if (h == INVALID_HANDLE_VALUE) return found;
    do {
      found.push_back(FoundFile{FromW(fd.cFileName), (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return found;
  }

 private:
  static std::optional<std::vector<uint8_t>> Fail(uint32_t* error) {
    if (error) *error = GetLastError();
    return std::nullopt;
  }
};
}  // namespace

FileSystem& WindowsFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

#include "platform/win32/file_safety_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>
#include <vector>

#include "core/win32/windows_seams.h"

namespace {
std::optional<u16> SidText(PSID sid) {
  if (!sid || !IsValidSid(sid)) return std::nullopt;
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid, &text) || !text) return std::nullopt;
  u16 result = FromW(text);
  LocalFree(text);
  return result;
}

class Win32FileSecurity final : public FileSecuritySource {
 public:
  std::optional<SecurityFacts> Read(const u16& path) override {
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    // The descriptor buffer wants a writable name.
    std::vector<wchar_t> name(path.begin(), path.end());
    name.push_back(0);
    if (GetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                              &owner, nullptr, &dacl, nullptr, &descriptor) != ERROR_SUCCESS)
      return std::nullopt;
    std::optional<SecurityFacts> facts = SecurityFacts{};
    if (auto ownerText = SidText(owner))
      facts->owner = *ownerText;
    else
      facts.reset();
    if (facts) {
      facts->hasDacl = dacl != nullptr;
      ACL_SIZE_INFORMATION size{};
      if (dacl && !GetAclInformation(dacl, &size, sizeof size, AclSizeInformation)) facts.reset();
      for (DWORD i = 0; facts && dacl && i < size.AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace)) {
          facts.reset();
          break;
        }
        const auto* header = static_cast<const ACE_HEADER*>(ace);
        // The plain and the conditional (callback) entries share one layout up to the SID. Any
        // other kind in a file's DACL is not understood here, so the file does not count as safe.
        const BYTE type = header->AceType;
        const bool allows = type == ACCESS_ALLOWED_ACE_TYPE || type == ACCESS_ALLOWED_CALLBACK_ACE_TYPE;
        if (!allows && type != ACCESS_DENIED_ACE_TYPE && type != ACCESS_DENIED_CALLBACK_ACE_TYPE) {
          facts.reset();
          break;
        }
        const auto* allowed = static_cast<const ACCESS_ALLOWED_ACE*>(ace);
        AccessEntry e;
        e.allow = allows;
        e.mask = allowed->Mask;
        e.flags = header->AceFlags;
        auto sid = SidText(const_cast<DWORD*>(&allowed->SidStart));
        if (!sid) {
          facts.reset();
          break;
        }
        e.sid = *sid;
        facts->entries.push_back(std::move(e));
      }
    }
    LocalFree(descriptor);
    return facts;
  }

  std::optional<u16> FinalPath(const u16& path) override {
    // No access asked for: the handle only names the file (folders too, hence backup semantics).
    HANDLE h = CreateFileW(W(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return std::nullopt;
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    DWORD n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n >= buffer.size()) {
      buffer.resize(size_t(n) + 1);
      n = GetFinalPathNameByHandleW(h, buffer.data(), DWORD(buffer.size()), FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    }
    CloseHandle(h);
    if (n == 0 || n >= buffer.size()) return std::nullopt;
    u16 final = FromW(std::wstring(buffer.data(), n).c_str());
    if (StartsWith(final, u"\\\\?\\UNC\\")) return u"\\\\" + final.substr(8);
    if (StartsWith(final, u"\\\\?\\")) return final.substr(4);
    return final;
  }

  bool OnNetworkDrive(const u16& finalPath) override {
    if (finalPath.size() < 3 || finalPath[1] != u':') return false;
    const u16 root = finalPath.substr(0, 3);
    return GetDriveTypeW(W(root)) == DRIVE_REMOTE;
  }
};
}  // namespace

FileSecuritySource& WindowsFileSecurity() {
  static Win32FileSecurity source;
  return source;
}

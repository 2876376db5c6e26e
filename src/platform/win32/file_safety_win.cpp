#include "platform/win32/file_safety_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

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
};
}  // namespace

FileSecuritySource& WindowsFileSecurity() {
  static Win32FileSecurity source;
  return source;
}

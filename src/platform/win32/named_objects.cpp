#include "platform/win32/named_objects.h"

#include <sddl.h>

#include <string>

namespace {
constexpr wchar_t kBoundaryName[] = L"Vostrel Veilcap";
constexpr wchar_t kNamespaceAlias[] = L"VostrelVeilcap";

// Opened once per process and kept open until it ends: the namespace exists while a handle does.
HANDLE OpenOrCreateNamespace() {
  HANDLE boundary = CreateBoundaryDescriptorW(kBoundaryName, 0);
  if (!boundary) return nullptr;
  HANDLE ns = nullptr;
  BYTE sid[SECURITY_MAX_SID_SIZE];
  DWORD sidSize = sizeof(sid);
  if (CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &sidSize) &&
      AddSIDToBoundaryDescriptor(&boundary, sid)) {
    // Administrators and the system get full access to the namespace; nobody else any.
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;BA)(A;;GA;;;SY)", SDDL_REVISION_1, &sd,
                                                             nullptr)) {
      SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
      ns = CreatePrivateNamespaceW(&sa, boundary, kNamespaceAlias);
      if (!ns && GetLastError() == ERROR_ALREADY_EXISTS) ns = OpenPrivateNamespaceW(boundary, kNamespaceAlias);
      LocalFree(sd);
    }
  }
  DeleteBoundaryDescriptor(boundary);
  return ns;
}

HANDLE Namespace() {
  static const HANDLE ns = OpenOrCreateNamespace();
  return ns;
}
}  // namespace

bool GuardedNamespaceInUse() { return Namespace() != nullptr; }

HANDLE CreateGuardedMutex(const wchar_t* name, bool initialOwner, bool* alreadyExisted) {
  std::wstring full = name;
  if (GuardedNamespaceInUse()) full = std::wstring(kNamespaceAlias) + L"\\" + name;
  HANDLE h = CreateMutexW(nullptr, initialOwner ? TRUE : FALSE, full.c_str());
  if (alreadyExisted) *alreadyExisted = h && GetLastError() == ERROR_ALREADY_EXISTS;
  return h;
}

GuardedLock::GuardedLock(const wchar_t* name) : handle_(CreateGuardedMutex(name, false, nullptr)) {}

GuardedLock::~GuardedLock() {
  if (handle_) CloseHandle(handle_);
}

bool GuardedLock::Acquire(DWORD ms) {
  // Without a handle there is nothing to share: the pass runs unserialised rather than never.
  if (!handle_) return true;
  const DWORD r = WaitForSingleObject(handle_, ms);
  return r == WAIT_OBJECT_0 || r == WAIT_ABANDONED;
}

void GuardedLock::Release() {
  if (handle_) ReleaseMutex(handle_);
}

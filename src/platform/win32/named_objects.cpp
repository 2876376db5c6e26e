#include "platform/win32/named_objects.h"

#include <sddl.h>

#include <string>

#include "core/debug.h"

namespace {
constexpr wchar_t kBoundaryName[] = L"Vostrel Veilcap";
constexpr wchar_t kNamespaceAlias[] = L"VostrelVeilcap";

struct NamespaceResult {
  HANDLE handle = nullptr;
  GuardedNames names = GuardedNames::None;
};

// Opened once per process and kept open until it ends: the namespace exists while a handle does.
NamespaceResult OpenOrCreateNamespace() {
  HANDLE boundary = nullptr;
  const bool built = BuildGuardedBoundary(&boundary);
  if (!boundary) {
    DebugOut(u"No private namespaces on this system: named objects use plain names");
    return {nullptr, ChooseGuardedNames(false, 0)};
  }
  HANDLE ns = nullptr;
  DWORD error = ERROR_ACCESS_DENIED;  // a boundary without its group or label is never used
  if (built) {
    // Administrators and the system get full access to the namespace; nobody else any.
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(A;;GA;;;BA)(A;;GA;;;SY)", SDDL_REVISION_1, &sd,
                                                             nullptr)) {
      SECURITY_ATTRIBUTES sa{sizeof(sa), sd, FALSE};
      ns = CreatePrivateNamespaceW(&sa, boundary, kNamespaceAlias);
      error = ns ? 0 : GetLastError();
      if (!ns && error == ERROR_ALREADY_EXISTS) {
        ns = OpenPrivateNamespaceW(boundary, kNamespaceAlias);
        error = ns ? 0 : GetLastError();
      }
      LocalFree(sd);
    } else {
      error = GetLastError();
    }
  }
  DeleteBoundaryDescriptor(boundary);
  const GuardedNames names = ChooseGuardedNames(true, error);
  if (names == GuardedNames::None)
    DebugOut(u"The private namespace was refused (error " + ToDecU(error) +
             u"): Veilcap runs without the single-instance guard");
  if (names == GuardedNames::Plain) DebugOut(u"No private namespaces on this system: named objects use plain names");
  return {ns, names};
}

const NamespaceResult& Namespace() {
  static const NamespaceResult ns = OpenOrCreateNamespace();
  return ns;
}
}  // namespace

bool BuildGuardedBoundary(HANDLE* boundary) {
  *boundary = CreateBoundaryDescriptorW(kBoundaryName, 0);
  if (!*boundary) return false;
  BYTE admins[SECURITY_MAX_SID_SIZE], high[SECURITY_MAX_SID_SIZE];
  DWORD adminsSize = sizeof(admins), highSize = sizeof(high);
  return CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, admins, &adminsSize) &&
         AddSIDToBoundaryDescriptor(boundary, admins) &&
         CreateWellKnownSid(WinHighLabelSid, nullptr, high, &highSize) &&
         AddIntegrityLabelToBoundaryDescriptor(boundary, high);
}

GuardedNames ChooseGuardedNames(bool boundaryCreated, DWORD namespaceError) {
  if (!boundaryCreated) return GuardedNames::Plain;
  switch (namespaceError) {
    case 0: return GuardedNames::Private;
    case ERROR_CALL_NOT_IMPLEMENTED:
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_PROC_NOT_FOUND: return GuardedNames::Plain;
    default: return GuardedNames::None;  // refused, squatted, or anything else not understood
  }
}

GuardedNames GuardedNamesInUse() { return Namespace().names; }

bool GuardedNamespaceInUse() { return GuardedNamesInUse() == GuardedNames::Private; }

HANDLE CreateGuardedMutex(const wchar_t* name, bool initialOwner, bool* alreadyExisted) {
  if (alreadyExisted) *alreadyExisted = false;
  std::wstring full = name;
  switch (GuardedNamesInUse()) {
    case GuardedNames::Private: full = std::wstring(kNamespaceAlias) + L"\\" + name; break;
    case GuardedNames::Plain: break;
    case GuardedNames::None: return nullptr;
  }
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

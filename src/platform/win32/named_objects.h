// Named kernel objects that an unelevated program cannot create first. They live in Veilcap's
// private namespace, whose boundary holds the Administrators group and the high integrity label:
// only an elevated process can open or create the namespace, so a squatter of the same user cannot
// stop Veilcap from starting or hold its locks. Only where the system has no private namespaces
// (Wine) do the objects fall back to the plain local names; when the namespace is refused (someone
// made it first, access is denied) there are no named objects at all: no name Veilcap cannot
// verify ever makes it exit as "already running".
#pragma once
#include <windows.h>

enum class GuardedNames { Private, Plain, None };

// Creates or opens the mutex `name` (e.g. L"VVeilcap"); *alreadyExisted tells whether another
// process created it first. Owns it at once when initialOwner is true and it is new. Returns
// nullptr (and *alreadyExisted false) when the namespace was refused or even the plain name fails.
HANDLE CreateGuardedMutex(const wchar_t* name, bool initialOwner, bool* alreadyExisted);
// Where the objects live, decided once per process.
GuardedNames GuardedNamesInUse();
// True when the objects live in the private namespace.
bool GuardedNamespaceInUse();
// The boundary of the namespace: *boundary is the descriptor (nullptr when the system has none;
// the caller deletes it); true when both the Administrators group and the high integrity label
// (S-1-16-12288) were added.
bool BuildGuardedBoundary(HANDLE* boundary);
// The rule: no boundary descriptor at all, or a namespace call the system does not implement,
// means plain names; a namespace created or opened (error 0) means private names; any other error
// (access denied, already there but not ours to open) means none.
GuardedNames ChooseGuardedNames(bool boundaryCreated, DWORD namespaceError);

// The lock every switching pass holds, shared across processes: the tray program's clicks and
// the command line's runs never switch devices at the same time.
inline constexpr wchar_t kSwitchingLockName[] = L"VeilcapSwitching";

// The switching lock of this process (created on first use, without an owner, kept open until the
// process ends). Acquire waits up to ms milliseconds and answers whether this thread holds it now;
// a lock left by a process that ended while holding it counts as acquired. Each true answer is
// matched by one Release on the same thread.
class GuardedLock {
 public:
  explicit GuardedLock(const wchar_t* name);
  ~GuardedLock();
  GuardedLock(const GuardedLock&) = delete;
  GuardedLock& operator=(const GuardedLock&) = delete;
  bool Acquire(DWORD ms);
  void Release();

 private:
  HANDLE handle_;
};

// Named kernel objects that an unelevated program cannot create first. They live in Veilcap's
// private namespace, whose boundary holds the Administrators group: only a process with that group
// in its token can open or create the namespace, so a squatter of the same user cannot stop
// Veilcap from starting or hold its locks. Where the system has no private namespaces (Wine
// answers error 14007), the objects fall back to the plain local names.
#pragma once
#include <windows.h>

// Creates or opens the mutex `name` (e.g. L"VVeilcap"); *alreadyExisted tells whether another
// process created it first. Owns it at once when initialOwner is true and it is new. Returns
// nullptr only when even the plain name fails.
HANDLE CreateGuardedMutex(const wchar_t* name, bool initialOwner, bool* alreadyExisted);
// True when the objects live in the private namespace (false: plain names).
bool GuardedNamespaceInUse();

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

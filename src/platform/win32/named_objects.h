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

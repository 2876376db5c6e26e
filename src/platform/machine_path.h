// The program folder as an entry of the machine-wide PATH, so "veilcap" is found in every new
// console. The value is edited as the text it is, of any length: every other entry, the order, empty
// entries and the value's type (REG_EXPAND_SZ or REG_SZ) stay exactly as they were.
#pragma once
#include "core/text.h"

// HKLM key and value name of the machine-wide environment.
inline constexpr char16_t kMachineEnvironmentKey[] = u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
inline constexpr char16_t kPathValue[] = u"Path";

// Whether one of the ";"-separated entries names folder (letters in any case, a trailing
// backslash on either side does not count).
bool PathHasEntry(u16v path, u16v folder);
// path with folder appended as its last entry; path itself when it holds the entry already. A
// trailing ";" stays the last character, so PathWithoutEntry gives back exactly the text before.
u16 PathWithEntry(u16v path, u16v folder);
// path without the entries that name folder; every other character stays where it was.
u16 PathWithoutEntry(u16v path, u16v folder);

enum class PathEdit { Changed, Unchanged, Failed };
// Add or remove folder in the machine PATH (HKLM, kMachineEnvironmentKey\kPathValue). A missing value
// is created as REG_EXPAND_SZ by the add; a value of another type than text, or one with a zero
// character inside, is left alone (Failed). Announcing the change to running programs is up to the
// caller.
PathEdit Add_MachinePathEntry(const u16& folder);
PathEdit Remove_MachinePathEntry(const u16& folder);

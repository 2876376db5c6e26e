// System libraries come only from the system folder. Veilcap runs elevated, and its own folder,
// the current folder and the folders on PATH may all be writable by unelevated programs; a library
// of a system name planted there must never be loaded.
#pragma once
#include <windows.h>

// Restricts the library search of the whole process to the system folder
// (SetDefaultDllDirectories with LOAD_LIBRARY_SEARCH_SYSTEM32, looked up by name). Where the system
// lacks it, at least takes the current folder out of the search (SetDllDirectoryW with ""). Call
// first thing at start. True when the search is restricted to the system folder.
bool RestrictDllSearchToSystem32();

// LoadLibraryW of <system folder>\name; nullptr when it cannot be loaded.
HMODULE LoadSystemLibrary(const wchar_t* name);

// Program-wide values, computed once at start before anything else runs, read-only afterwards.
#pragma once
#include <cstdint>
#include <optional>

#include "core/text.h"

extern u16 AppFolder;          // folder of the executable, no trailing backslash
extern u16 WindowsFolder;
extern u16 SystemFolder;
extern u16 WindowsTempFolder;  // WindowsFolder + "\TEMP"
extern u16 UserTempFolder;     // empty when it cannot be determined
extern bool IsWow64;
extern bool Win8_or_later;
extern bool Win10_or_later;
extern bool Win11;

extern const u16 AppTitle;        // "Vostrel Veilcap"
extern const u16 ProgramVersion;  // "01.00.30"
extern const u16 ProductNumber;   // "00100"
extern u16 SkinsFolder;           // AppFolder + "\skins"

// The Windows folder as the system folder's parent (GetSystemDirectory is never redirected or
// per user), empty when the system folder is unknown.
u16 SystemWindowsFolder();
// A program below the 64-bit system folder, by its full path: <Windows>\System32\<relative>; a
// 32-bit program on 64-bit Windows names it through <Windows>\Sysnative, which reaches the 64-bit
// one without switching the file system redirection off.
u16 NativeSystemProgram(u16v relative);

struct OsVersion {
  uint32_t major = 0, minor = 0, build = 0;
};

// What Windows answers for the values above; each field is empty or zero when its call failed.
struct EnvironmentFacts {
  u16 executablePath;
  u16 windowsDirectory;
  u16 systemDirectory;
  u16 localAppData;                  // CSIDL_LOCAL_APPDATA
  std::optional<bool> isWow64Process;  // nullopt: IsWow64Process is missing
  OsVersion reported;                // GetVersionExW
  OsVersion actual;                  // RtlGetVersion
};

// Computes every value from the facts, in the program's order, with its debug lines.
// Reads "ProductName" through the registry routines when the reported version is 6.4 or later.
void Init_GlobalValues(const EnvironmentFacts& facts);

#include "platform/environment.h"

#include "core/debug.h"
#include "platform/registry.h"

u16 AppFolder;
u16 WindowsFolder;
u16 SystemFolder;
u16 WindowsTempFolder;
u16 UserTempFolder;
bool IsWow64 = false;
bool Win8_or_later = false;
bool Win10_or_later = false;
bool Win11 = false;

const u16 AppTitle = u"Vostrel Veilcap";
const u16 ProgramVersion = u"01.00.30";
const u16 ProductNumber = u"00100";
u16 SkinsFolder;

namespace {
u16 BeforeLastBackslash(const u16& path) {
  size_t p = path.rfind(u'\\');
  return p == u16::npos ? u16() : path.substr(0, p);
}
}  // namespace

u16 SystemWindowsFolder() { return BeforeLastBackslash(SystemFolder); }

u16 NativeSystemProgram(u16v relative) {
  return SystemWindowsFolder() + (IsWow64 ? u"\\Sysnative\\" : u"\\System32\\") + u16(relative);
}

void Init_GlobalValues(const EnvironmentFacts& f) {
  IsWow64 = f.isWow64Process.value_or(false);

  const uint32_t M = f.reported.major, N = f.reported.minor;
  DebugOut(u"WindowsVersion=" + ToDecU(M) + u"." + ToDecU(N));
  DebugOut(u"RTL WindowsVersion=" + ToDecU(f.actual.major) + u"." + ToDecU(f.actual.minor));
  DebugOut(u"RTL WindowsVersion Build=" + ToDecU(f.actual.build));

  Win8_or_later = M > 6 || (M == 6 && N >= 2);
  Win10_or_later = false;
  Win11 = false;
  if (M == 6 && N > 3) {
    u16 product = AsciiUpper(Trim(Reg_ReadString(RegRoot::LocalMachine,
                                                 u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                                                 u"ProductName")));
    if (Contains(product, u"WINDOWS 10")) Win10_or_later = true;
    if (Contains(product, u"WINDOWS 11")) Win10_or_later = Win11 = true;
  }
  if (M >= 10) Win10_or_later = true;
  if (M >= 11) Win11 = true;
  if ((f.actual.major >= 10 || M >= 10) && f.actual.build >= 22000) Win10_or_later = Win11 = true;
  if (Win11) DebugOut(u"Windows 11 detected");

  AppFolder = BeforeLastBackslash(f.executablePath);
  WindowsFolder = f.windowsDirectory;
  SystemFolder = f.systemDirectory;
  WindowsTempFolder = WindowsFolder.empty() ? u16() : WindowsFolder + u"\\TEMP";
  UserTempFolder.clear();
  if (!f.localAppData.empty())
    UserTempFolder = BeforeLastBackslash(f.localAppData) + (M < 6 ? u"\\TEMP" : u"\\Local\\Temp");
  SkinsFolder = AppFolder + u"\\skins";
}

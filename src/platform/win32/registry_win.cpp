#include "platform/win32/registry_win.h"

#include <optional>

#include <windows.h>

#include "core/win32/windows_seams.h"

namespace {
HKEY RootKey(RegRoot r) { return r == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }
HKEY H(RegHandle k) { return reinterpret_cast<HKEY>(k); }
// An empty name addresses the key's default value.
const wchar_t* NameOrNull(const u16& name) { return W(name); }
}  // namespace

long WindowsRegistry::OpenKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) {
  HKEY h = nullptr;
  LONG r = RegOpenKeyExW(RootKey(root), W(subKey), 0, access, &h);
  if (r == ERROR_SUCCESS) *key = reinterpret_cast<RegHandle>(h);
  return r;
}

long WindowsRegistry::CreateKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) {
  HKEY h = nullptr;
  LONG r = RegCreateKeyExW(RootKey(root), W(subKey), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                           &h, nullptr);
  if (r == ERROR_SUCCESS) *key = reinterpret_cast<RegHandle>(h);
  return r;
}

long WindowsRegistry::QueryValue(RegHandle key, const u16& name, uint32_t* type, uint8_t* data, uint32_t* size) {
  DWORD t = 0, s = size ? *size : 0;
  LONG r = RegQueryValueExW(H(key), NameOrNull(name), nullptr, &t, data, size ? &s : nullptr);
  if (type) *type = t;
  if (size) *size = s;
  return r;
}

long WindowsRegistry::SetValue(RegHandle key, const u16& name, uint32_t type, const uint8_t* data, uint32_t size) {
  return RegSetValueExW(H(key), NameOrNull(name), 0, type, data, size);
}

long WindowsRegistry::DeleteValue(RegHandle key, const u16& name) { return RegDeleteValueW(H(key), NameOrNull(name)); }
long WindowsRegistry::CloseKey(RegHandle key) { return RegCloseKey(H(key)); }

long WindowsRegistry::EnumKey(RegHandle key, uint32_t index, u16* name) {
  wchar_t buf[256];  // key names are at most 255 characters
  DWORD len = 256;
  LONG r = RegEnumKeyExW(H(key), index, buf, &len, nullptr, nullptr, nullptr, nullptr);
  if (r == ERROR_SUCCESS) name->assign(reinterpret_cast<const char16_t*>(buf), len);
  return r;
}

long WindowsRegistry::EnumValue(RegHandle key, uint32_t index, u16* name) {
  wchar_t buf[16384];  // value names are at most 16,383 characters
  DWORD len = 16384;
  LONG r = RegEnumValueW(H(key), index, buf, &len, nullptr, nullptr, nullptr, nullptr);
  if (r == ERROR_SUCCESS) name->assign(reinterpret_cast<const char16_t*>(buf), len);
  return r;
}

std::optional<bool> QueryIsWow64() {
  using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  HMODULE k32 = GetModuleHandleW(L"kernel32");
  if (!k32) return std::nullopt;
  auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(k32, "IsWow64Process")));
  if (!fn) return std::nullopt;
  BOOL wow = FALSE;
  if (!fn(GetCurrentProcess(), &wow)) return false;
  return wow != FALSE;
}

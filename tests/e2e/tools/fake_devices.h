// Fake Plug-and-Play devices for tests under Wine: created, changed and removed through SetupAPI
// in the test prefix, so a device search finds them with every property it reads. Self-contained
// and header-only so that several test programs can share it. Windows only.
#pragma once
#include <windows.h>
#include <setupapi.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fakedev {

inline constexpr uint32_t kNeedRestart = 0x100;  // DN_NEED_RESTART
inline constexpr uint32_t kStarted = 0x8;        // DN_STARTED
inline constexpr DEVPROPTYPE kTypeUint32 = 0x7, kTypeGuid = 0xD, kTypeString = 0x12;

inline DEVPROPKEY Key(DWORD d1, WORD d2, WORD d3, std::initializer_list<BYTE> d4, DEVPROPID pid) {
  DEVPROPKEY k{};
  k.fmtid.Data1 = d1;
  k.fmtid.Data2 = d2;
  k.fmtid.Data3 = d3;
  int i = 0;
  for (BYTE b : d4) k.fmtid.Data4[i++] = b;
  k.pid = pid;
  return k;
}
inline DEVPROPKEY KeyClassGuid() { return Key(0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}, 10); }
inline DEVPROPKEY KeyFriendlyName() { return Key(0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}, 14); }
inline DEVPROPKEY KeyDeviceDesc() { return Key(0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}, 2); }
inline DEVPROPKEY KeyBusReportedDeviceDesc() { return Key(0x540B947E, 0x8B40, 0x45BC, {0xA8, 0xA2, 0x6A, 0x0B, 0x89, 0x4C, 0xBD, 0xA2}, 4); }
inline DEVPROPKEY KeyInstanceId() { return Key(0x78C34FC8, 0x104A, 0x4ACA, {0x9E, 0xA4, 0x52, 0x4D, 0x52, 0x99, 0x6E, 0x57}, 256); }
inline DEVPROPKEY KeyProblemCode() { return Key(0x4340A6C5, 0x93FA, 0x4706, {0x97, 0x2C, 0x7B, 0x64, 0x80, 0x08, 0xA5, 0xA7}, 3); }
inline DEVPROPKEY KeyDevNodeStatus() { return Key(0x4340A6C5, 0x93FA, 0x4706, {0x97, 0x2C, 0x7B, 0x64, 0x80, 0x08, 0xA5, 0xA7}, 2); }

using SetPropertyFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*, DEVPROPTYPE, const BYTE*, DWORD, DWORD);
using GetPropertyFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*, DEVPROPTYPE*, PBYTE, DWORD, PDWORD, DWORD);

inline FARPROC SetupApiProc(const char* name) {
  HMODULE m = GetModuleHandleW(L"setupapi.dll");
  if (!m) m = LoadLibraryW(L"setupapi.dll");
  return m ? GetProcAddress(m, name) : nullptr;
}
inline SetPropertyFn SetProperty() {
  return reinterpret_cast<SetPropertyFn>(reinterpret_cast<void*>(SetupApiProc("SetupDiSetDevicePropertyW")));
}
inline GetPropertyFn GetProperty() {
  return reinterpret_cast<GetPropertyFn>(reinterpret_cast<void*>(SetupApiProc("SetupDiGetDevicePropertyW")));
}

// A device information set that destroys itself.
class DeviceSet {
 public:
  explicit DeviceSet(HDEVINFO set) : set_(set) {}
  ~DeviceSet() {
    if (valid()) SetupDiDestroyDeviceInfoList(set_);
  }
  DeviceSet(const DeviceSet&) = delete;
  DeviceSet& operator=(const DeviceSet&) = delete;
  bool valid() const { return set_ != INVALID_HANDLE_VALUE && set_ != nullptr; }
  HDEVINFO get() const { return set_; }

 private:
  HDEVINFO set_;
};

inline bool SetUint32(HDEVINFO set, SP_DEVINFO_DATA* data, const DEVPROPKEY& key, uint32_t value) {
  auto fn = SetProperty();
  return fn && fn(set, data, &key, kTypeUint32, reinterpret_cast<const BYTE*>(&value), sizeof value, 0);
}
inline bool SetString(HDEVINFO set, SP_DEVINFO_DATA* data, const DEVPROPKEY& key, const std::wstring& text) {
  auto fn = SetProperty();
  return fn && fn(set, data, &key, kTypeString, reinterpret_cast<const BYTE*>(text.c_str()),
                  DWORD((text.size() + 1) * sizeof(wchar_t)), 0);
}
inline bool SetGuid(HDEVINFO set, SP_DEVINFO_DATA* data, const DEVPROPKEY& key, const GUID& g) {
  auto fn = SetProperty();
  return fn && fn(set, data, &key, kTypeGuid, reinterpret_cast<const BYTE*>(&g), sizeof g, 0);
}
inline bool HasProperty(HDEVINFO set, SP_DEVINFO_DATA* data, const DEVPROPKEY& key) {
  auto fn = GetProperty();
  BYTE buffer[1024];
  DEVPROPTYPE type = 0;
  return fn && fn(set, data, &key, &type, buffer, sizeof buffer, nullptr, 0);
}

// Opens one device by its instance id and runs f(set, data) on it.
template <class F>
bool WithDevice(const std::wstring& instanceId, F f) {
  DeviceSet set(SetupDiCreateDeviceInfoList(nullptr, nullptr));
  if (!set.valid()) return false;
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  if (!SetupDiOpenDeviceInfoW(set.get(), instanceId.c_str(), nullptr, 0, &data)) return false;
  return f(set.get(), &data);
}

inline bool ParseGuid(const std::wstring& text, GUID* g) {
  unsigned d1 = 0, d2 = 0, d3 = 0, b[8] = {};
  if (swscanf(text.c_str(), L"{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &b[0], &b[1], &b[2], &b[3],
              &b[4], &b[5], &b[6], &b[7]) != 11)
    return false;
  g->Data1 = d1;
  g->Data2 = WORD(d2);
  g->Data3 = WORD(d3);
  for (int i = 0; i < 8; ++i) g->Data4[i] = BYTE(b[i]);
  return true;
}

struct FakeDevice {
  std::wstring classGuid;  // "{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}"
  std::wstring instanceId;  // full instance id, e.g. "USB\VID_1234&PID_5678\FAKE0001"
  std::wstring friendlyName;  // empty: no friendly name
  std::wstring busDescription;  // empty: none
  std::wstring deviceDescription;  // empty: none
  bool setProblem = false;
  uint32_t problemCode = 0;
  bool needRestart = false;
};

// Creates and registers the device. Properties that the prefix does not report by itself (class,
// instance id, names) are written as device properties too, so a search reads all seven.
inline bool AddFakeDevice(const FakeDevice& d) {
  GUID cls{};
  if (!ParseGuid(d.classGuid, &cls)) return false;
  DeviceSet set(SetupDiCreateDeviceInfoList(&cls, nullptr));
  if (!set.valid()) return false;
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  const wchar_t* desc = d.deviceDescription.empty() ? nullptr : d.deviceDescription.c_str();
  if (!SetupDiCreateDeviceInfoW(set.get(), d.instanceId.c_str(), &cls, desc, nullptr, 0, &data)) return false;
  auto setRegText = [&](DWORD prop, const std::wstring& text) {
    return SetupDiSetDeviceRegistryPropertyW(set.get(), &data, prop, reinterpret_cast<const BYTE*>(text.c_str()),
                                             DWORD((text.size() + 1) * sizeof(wchar_t))) != FALSE;
  };
  if (!d.deviceDescription.empty() && !setRegText(SPDRP_DEVICEDESC, d.deviceDescription)) return false;
  if (!d.friendlyName.empty() && !setRegText(SPDRP_FRIENDLYNAME, d.friendlyName)) return false;
  if (!SetupDiRegisterDeviceInfo(set.get(), &data, 0, nullptr, nullptr, nullptr)) return false;
  if (!HasProperty(set.get(), &data, KeyClassGuid()) && !SetGuid(set.get(), &data, KeyClassGuid(), cls)) return false;
  if (!HasProperty(set.get(), &data, KeyInstanceId()) && !SetString(set.get(), &data, KeyInstanceId(), d.instanceId))
    return false;
  if (!d.friendlyName.empty() && !HasProperty(set.get(), &data, KeyFriendlyName()) &&
      !SetString(set.get(), &data, KeyFriendlyName(), d.friendlyName))
    return false;
  if (!d.deviceDescription.empty() && !HasProperty(set.get(), &data, KeyDeviceDesc()) &&
      !SetString(set.get(), &data, KeyDeviceDesc(), d.deviceDescription))
    return false;
  if (!d.busDescription.empty() && !SetString(set.get(), &data, KeyBusReportedDeviceDesc(), d.busDescription))
    return false;
  if (d.setProblem && !SetUint32(set.get(), &data, KeyProblemCode(), d.problemCode)) return false;
  if (d.needRestart && !SetUint32(set.get(), &data, KeyDevNodeStatus(), kStarted | kNeedRestart)) return false;
  return true;
}

// Sets the device's problem code (22: disabled, 0: working), as a block or unblock would.
inline bool SetFakeDeviceProblem(const std::wstring& instanceId, uint32_t code) {
  return WithDevice(instanceId, [&](HDEVINFO set, SP_DEVINFO_DATA* data) {
    return SetUint32(set, data, KeyProblemCode(), code);
  });
}

inline bool SetFakeDeviceNeedsRestart(const std::wstring& instanceId, bool needRestart) {
  return WithDevice(instanceId, [&](HDEVINFO set, SP_DEVINFO_DATA* data) {
    return SetUint32(set, data, KeyDevNodeStatus(), kStarted | (needRestart ? kNeedRestart : 0));
  });
}

inline bool RemoveFakeDevice(const std::wstring& instanceId) {
  return WithDevice(instanceId, [](HDEVINFO set, SP_DEVINFO_DATA* data) {
    return SetupDiRemoveDevice(set, data) != FALSE;
  });
}

// Reads a string or 32-bit property of one device; empty / nullopt-like false when absent.
inline bool ReadUint32(const std::wstring& instanceId, const DEVPROPKEY& key, uint32_t* value) {
  return WithDevice(instanceId, [&](HDEVINFO set, SP_DEVINFO_DATA* data) {
    auto fn = GetProperty();
    DEVPROPTYPE type = 0;
    *value = 0;
    return fn && fn(set, data, &key, &type, reinterpret_cast<BYTE*>(value), sizeof *value, nullptr, 0);
  });
}

// Device setup classes the tests make their fake devices in.
inline constexpr wchar_t kCameraClass[] = L"{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}";
inline constexpr wchar_t kImageClass[] = L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
inline constexpr wchar_t kAudioEndpointClass[] = L"{C166523C-FE0C-4A94-A586-F1A80CFBBF3E}";

// The problem code of a device: 0 (working) when none was ever set or the device is not there.
inline uint32_t ProblemCode(const std::wstring& instanceId) {
  uint32_t v = 0;
  return ReadUint32(instanceId, KeyProblemCode(), &v) ? v : 0;
}

// The fakedev.exe arguments that add a device of the class with the id and friendly name.
inline std::wstring AddCommand(const wchar_t* cls, const std::wstring& instanceId, const std::wstring& name) {
  return std::wstring(L"add ") + cls + L" \"" + instanceId + L"\" \"" + name + L"\"";
}

struct ListedDevice {
  std::wstring instanceId;
  std::wstring friendlyName;
  uint32_t problemCode = 0;
  bool hasProblemCode = false;
};

// The present devices of all classes, as the program enumerates them.
inline std::vector<ListedDevice> ListPresentDevices() {
  std::vector<ListedDevice> out;
  DeviceSet set(SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE));
  if (!set.valid()) return out;
  auto get = GetProperty();
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set.get(), i, &data); ++i) {
    ListedDevice d;
    wchar_t text[512] = {};
    DEVPROPTYPE type = 0;
    const DEVPROPKEY idKey = KeyInstanceId(), nameKey = KeyFriendlyName(), problemKey = KeyProblemCode();
    if (get && get(set.get(), &data, &idKey, &type, reinterpret_cast<BYTE*>(text), sizeof text - 2, nullptr, 0))
      d.instanceId = text;
    else if (SetupDiGetDeviceInstanceIdW(set.get(), &data, text, 511, nullptr))
      d.instanceId = text;
    text[0] = 0;
    if (get && get(set.get(), &data, &nameKey, &type, reinterpret_cast<BYTE*>(text), sizeof text - 2, nullptr, 0))
      d.friendlyName = text;
    d.hasProblemCode = get && get(set.get(), &data, &problemKey, &type, reinterpret_cast<BYTE*>(&d.problemCode),
                                  sizeof d.problemCode, nullptr, 0);
    out.push_back(d);
  }
  return out;
}

}  // namespace fakedev

// For other test programs (a fake PowerShell): the problem code of a fake device.
inline bool SetFakeDeviceProblem(const std::wstring& instanceId, uint32_t code) {
  return fakedev::SetFakeDeviceProblem(instanceId, code);
}

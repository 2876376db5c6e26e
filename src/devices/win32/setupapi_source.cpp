// Present devices through SetupAPI. SetupDiGetDevicePropertyW is not bound at link time: it is
// looked up once by name when the program starts, so a system without it still starts and the
// SetupAPI pass ends at its first device.
#include <windows.h>
#include <setupapi.h>

#include "devices/win32/setupapi_source.h"
#include "platform/win32/system_libraries.h"

namespace {
using GetDevicePropertyFn = BOOL(WINAPI*)(HDEVINFO, PSP_DEVINFO_DATA, const DEVPROPKEY*, DEVPROPTYPE*, PBYTE,
                                          DWORD, PDWORD, DWORD);

GetDevicePropertyFn LookUpPropertyReader() {
  HMODULE module = GetModuleHandleW(L"SetupApi.dll");
  if (!module) module = LoadSystemLibrary(L"SetupApi.dll");
  if (!module) return nullptr;
  return reinterpret_cast<GetDevicePropertyFn>(
      reinterpret_cast<void*>(GetProcAddress(module, "SetupDiGetDevicePropertyW")));
}

const GetDevicePropertyFn g_getDeviceProperty = LookUpPropertyReader();

DEVPROPKEY ToWin(const DevPropertyKey& k) {
  DEVPROPKEY r{};
  r.fmtid.Data1 = k.fmtid.data1;
  r.fmtid.Data2 = k.fmtid.data2;
  r.fmtid.Data3 = k.fmtid.data3;
  for (int i = 0; i < 8; ++i) r.fmtid.Data4[i] = k.fmtid.data4[i];
  r.pid = k.pid;
  return r;
}

class SetupApiDeviceSet final : public PresentDeviceSet {
 public:
  explicit SetupApiDeviceSet(HDEVINFO set) : set_(set) {}
  ~SetupApiDeviceSet() override { SetupDiDestroyDeviceInfoList(set_); }
  SetupApiDeviceSet(const SetupApiDeviceSet&) = delete;
  SetupApiDeviceSet& operator=(const SetupApiDeviceSet&) = delete;

  bool EnumDevice(uint32_t index) override {
    data_ = SP_DEVINFO_DATA{};
    // 28 bytes in the 32-bit program, 32 in a 64-bit build.
    data_.cbSize = sizeof(SP_DEVINFO_DATA);
    return SetupDiEnumDeviceInfo(set_, index, &data_) != FALSE;
  }

  PropertyRead ReadProperty(const DevPropertyKey& key, uint8_t* buffer, uint32_t size) override {
    if (!g_getDeviceProperty) throw DeviceSourceError("SetupDiGetDevicePropertyW is not available", ERROR_PROC_NOT_FOUND);
    const DEVPROPKEY k = ToWin(key);
    DEVPROPTYPE type = 0;
    PropertyRead r;
    r.ok = g_getDeviceProperty(set_, &data_, &k, &type, buffer, size, nullptr, 0) != FALSE;
    r.lastError = GetLastError();
    return r;
  }

 private:
  HDEVINFO set_;
  SP_DEVINFO_DATA data_{};
};
}  // namespace

std::unique_ptr<PresentDeviceSet> SetupApiDeviceSource::Open() {
  HDEVINFO set = SetupDiGetClassDevsW(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES | DIGCF_PROFILE);
  if (set == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<SetupApiDeviceSet>(set);
}

bool SetupApiPropertyReaderFound() { return g_getDeviceProperty != nullptr; }

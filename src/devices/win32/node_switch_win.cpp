// The property-change request goes through SetupAPI's class installer, as Device Manager sends it.
// The configuration manager's node calls are looked up by name in cfgmgr32.dll from the system
// folder: a system (or Wine) that lacks them answers "unreadable" instead of ending the program.
#include "devices/win32/node_switch_win.h"

#include <windows.h>
#include <cfgmgr32.h>
#include <setupapi.h>

#include "core/win32/windows_seams.h"
#include "platform/win32/system_libraries.h"

namespace {
using LocateFn = CONFIGRET(WINAPI*)(PDEVINST, DEVINSTID_W, ULONG);
using StatusFn = CONFIGRET(WINAPI*)(PULONG, PULONG, DEVINST, ULONG);

struct NodeCalls {
  LocateFn locate = nullptr;
  StatusFn status = nullptr;
};

const NodeCalls& LookUpNodeCalls() {
  static const NodeCalls calls = [] {
    NodeCalls c;
    HMODULE module = LoadSystemLibrary(L"cfgmgr32.dll");
    if (!module) return c;
    c.locate = reinterpret_cast<LocateFn>(reinterpret_cast<void*>(GetProcAddress(module, "CM_Locate_DevNodeW")));
    c.status = reinterpret_cast<StatusFn>(reinterpret_cast<void*>(GetProcAddress(module, "CM_Get_DevNode_Status")));
    return c;
  }();
  return calls;
}

uint32_t LastErrorOr(uint32_t fallback) {
  const DWORD error = GetLastError();
  return error ? uint32_t(error) : fallback;
}

class Win32DeviceNodeSwitch final : public DeviceNodeSwitch {
 public:
  Change ChangeState(const u16& instanceId, bool disable) override {
    Change change;
    HDEVINFO set = SetupDiCreateDeviceInfoList(nullptr, nullptr);
    if (set == INVALID_HANDLE_VALUE) {
      change.error = LastErrorOr(ERROR_GEN_FAILURE);
      return change;
    }
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(device);
    SP_PROPCHANGE_PARAMS params{};
    params.ClassInstallHeader.cbSize = sizeof(SP_CLASSINSTALL_HEADER);
    params.ClassInstallHeader.InstallFunction = DIF_PROPERTYCHANGE;
    params.StateChange = disable ? DICS_DISABLE : DICS_ENABLE;
    params.Scope = DICS_FLAG_GLOBAL;
    params.HwProfile = 0;
    if (!SetupDiOpenDeviceInfoW(set, W(instanceId), nullptr, 0, &device) ||
        !SetupDiSetClassInstallParamsW(set, &device, &params.ClassInstallHeader, sizeof(params)) ||
        !SetupDiCallClassInstaller(DIF_PROPERTYCHANGE, set, &device)) {
      change.error = LastErrorOr(ERROR_GEN_FAILURE);
    } else {
      SP_DEVINSTALL_PARAMS_W install{};
      install.cbSize = sizeof(install);
      if (SetupDiGetDeviceInstallParamsW(set, &device, &install))
        change.restartNeeded = (install.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)) != 0;
    }
    SetupDiDestroyDeviceInfoList(set);
    return change;
  }

  std::optional<uint32_t> ProblemCode(const u16& instanceId) override {
    const NodeCalls& calls = LookUpNodeCalls();
    if (!calls.locate || !calls.status) return std::nullopt;
    u16 id = instanceId;  // CM_Locate_DevNodeW takes a writable string
    DEVINST node = 0;
    if (calls.locate(&node, reinterpret_cast<DEVINSTID_W>(id.data()), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS)
      return std::nullopt;
    ULONG status = 0, problem = 0;
    if (calls.status(&status, &problem, node, 0) != CR_SUCCESS) return std::nullopt;
    // The problem number counts only while the node says it has one.
    return (status & DN_HAS_PROBLEM) ? uint32_t(problem) : 0u;
  }
};
}  // namespace

DeviceNodeSwitch& WindowsDeviceNodeSwitch() {
  static Win32DeviceNodeSwitch calls;
  return calls;
}

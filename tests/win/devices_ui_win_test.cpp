// The device monitor's hidden window and registration, the registry's subkey listing and the
// detected-devices window's list view, against the real Windows (Wine) functions.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <dbt.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/win32/windows_seams.h"
#include "devices/win32/device_monitor_win.h"
#include "fakes/memory_registry.h"
#include "lang/messages.h"
#include "platform/win32/registry_win.h"
#include "ui/win32/devices_window_win.h"

namespace {

void Pump() {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

// A notification record with the name in UTF-16 (wide) or in the 8-bit code page.
std::vector<uint8_t> InterfaceRecord(const std::wstring& name, bool wide, const GUID& cls) {
  const size_t head = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  const size_t nameBytes = wide ? (name.size() + 1) * 2 : name.size() + 1;
  std::vector<uint8_t> rec(head + nameBytes, 0);
  auto* di = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(rec.data());
  di->dbcc_size = DWORD(rec.size());
  di->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  di->dbcc_classguid = cls;
  for (size_t i = 0; i < name.size(); ++i) {
    if (wide) {
      rec[head + 2 * i] = uint8_t(name[i] & 0xFF);
      rec[head + 2 * i + 1] = uint8_t(name[i] >> 8);
    } else {
      rec[head + i] = uint8_t(name[i]);
    }
  }
  return rec;
}

class DeviceMonitorWin : public ::testing::Test {
 protected:
  void SetUp() override {
    static WindowsAnsiCodePage ansi;
    SetAnsiCodePage(&ansi);
    InstallDeviceMonitorProvider();
    SetRegistryBackend(&reg, false);
  }
  void TearDown() override {
    SetDeviceNotificationApi(nullptr);
    SetRegistryBackend(nullptr, false);
  }
  MemoryRegistry reg;
};

TEST_F(DeviceMonitorWin, HiddenWindowReceivesArrivalsAndRemovals) {
  TMiTeC_DeviceMonitor m;
  std::vector<std::string> events;
  m.OnDeviceConnect = [&](TMiTeC_DeviceMonitor&, const TDeviceDesc& d) {
    events.push_back("connect " + ToUtf8(d.SymbolicName) + " " + ToUtf8(d.GUID));
  };
  m.OnDeviceDisconect = [&](TMiTeC_DeviceMonitor&, const TDeviceDesc& d) {
    events.push_back("disconnect " + ToUtf8(d.SymbolicName));
  };
  m.SetActive(true);
  ASSERT_TRUE(m.Active()) << "RegisterDeviceNotificationA gave no handle";
  HWND w = reinterpret_cast<HWND>(m.WindowHandle());
  ASSERT_TRUE(IsWindow(w));
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(FindWindowExW(nullptr, nullptr, kDeviceMonitorWindowClass, nullptr), w);

  const GUID video = {0xE5323777, 0xF976, 0x4F5B, {0x9B, 0x55, 0xB9, 0x46, 0x99, 0xC4, 0x6E, 0x44}};
  const std::wstring path = L"\\\\?\\USB#VID_5986&PID_2113&MI_00#6&2C11A3F&0&0000#{e5323777-f976-4f5b-9b55-b94699c46e44}";
  auto wide = InterfaceRecord(path, true, video);
  auto narrow = InterfaceRecord(path, false, video);
  EXPECT_EQ(SendMessageW(w, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, reinterpret_cast<LPARAM>(wide.data())), 0);
  EXPECT_EQ(SendMessageW(w, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(narrow.data())), 0);
  EXPECT_EQ(SendMessageW(w, WM_DEVICECHANGE, DBT_CUSTOMEVENT, reinterpret_cast<LPARAM>(wide.data())), 0);
  EXPECT_EQ(SendMessageW(w, WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0), 0);
  const std::string p = ToUtf8(FromW(path.c_str()));
  EXPECT_EQ(events, (std::vector<std::string>{"connect " + p + " {E5323777-F976-4F5B-9B55-B94699C46E44}",
                                              "disconnect " + p}));

  m.SetActive(false);
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(m.Registration(), 0u);
}

TEST(RegistryWin, EnumKeyListsSubkeysInOrderAndStops) {
  WindowsRegistry backend;
  SetRegistryBackend(&backend, true);
  const u16 root = u"SOFTWARE\\VeilcapTest-EnumKey-" + ToDec(GetCurrentProcessId());
  for (const char16_t* sub : {u"\\Beta\\Inner", u"\\Alpha", u"\\Gamma"}) {
    RegHandle h = 0;
    ASSERT_EQ(backend.CreateKey(RegRoot::CurrentUser, root + sub, kKeyAllAccess, &h), kErrorSuccess);
    backend.CloseKey(h);
  }
  std::vector<u16> names = Reg_SubKeyNames(RegRoot::CurrentUser, root);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<u16>{u"Alpha", u"Beta", u"Gamma"}));
  EXPECT_TRUE(Reg_KeyExists(RegRoot::CurrentUser, root + u"\\Beta\\Inner"));
  EXPECT_FALSE(Reg_KeyExists(RegRoot::CurrentUser, root + u"\\Delta"));
  EXPECT_TRUE(Reg_SubKeyNames(RegRoot::CurrentUser, root + u"\\Delta").empty());
  RegDeleteTreeW(HKEY_CURRENT_USER, W(root));
  EXPECT_FALSE(Reg_KeyExists(RegRoot::CurrentUser, root));
  SetRegistryBackend(nullptr, false);
}

// The watch store on the real registry (64-bit view): the first start copies the user's choices
// into the machine store, which from then on is the only one read.
TEST(WatchStoreWin, TheUsersChoicesAreCopiedOnceIntoTheMachineStore) {
  const wchar_t* key = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Devices";
  HKEY existing = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &existing) == ERROR_SUCCESS) {
    RegCloseKey(existing);
    GTEST_SKIP() << "this prefix has a machine store already; the first import cannot be shown here";
  }
  WindowsRegistry backend;
  SetRegistryBackend(&backend, true);
  const u16 cam = u"USB\\VID_WIN&PID_TEST\\CAM", mic = u"SWD\\MMDEVAPI\\WINTEST";
  Reg_WriteInteger(RegRoot::CurrentUser, kDeviceStoreKey, cam, 0);
  Reg_WriteString(RegRoot::CurrentUser, kDeviceStoreKey, mic, u"1");
  EXPECT_TRUE(WatchStore_ImportOnce());
  HKEY machine = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_READ | KEY_WOW64_64KEY, &machine), ERROR_SUCCESS);
  DWORD value = 7, size = sizeof value, type = 0;
  EXPECT_EQ(RegQueryValueExW(machine, W(mic), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_DWORD));
  EXPECT_EQ(value, 1u);
  RegCloseKey(machine);
  EXPECT_EQ(WatchStore_Choice(cam), std::optional<bool>(false));
  EXPECT_EQ(WatchStore_Choice(mic), std::optional<bool>(true));
  // Later changes of the user's hive are not read.
  Reg_WriteInteger(RegRoot::CurrentUser, kDeviceStoreKey, cam, 1);
  EXPECT_FALSE(WatchStore_ImportOnce());
  EXPECT_EQ(WatchStore_Choice(cam), std::optional<bool>(false));
  RegDeleteTreeW(HKEY_CURRENT_USER, key);
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY, 0);
  SetRegistryBackend(nullptr, false);
}

TTreeData_Device Device(const char16_t* cls, const char16_t* name, const char16_t* id, uint32_t problem, bool watch) {
  TTreeData_Device d;
  d.SetClassGUID(cls);
  d.SetFriendlyName(name);
  d.SetInstanceID(id);
  d.ProblemCode = problem;
  d.Watch = watch;
  return d;
}

std::wstring CellText(HWND list, int item, int sub) {
  wchar_t buf[512] = {};
  ListView_GetItemText(list, item, sub, buf, 512);
  return buf;
}

TEST_F(DeviceMonitorWin, DevicesWindowListsChecksAndStoresTheChoice) {
  Init_Messages();
  TVeilcap v{DeviceSources{}};
  v.Devices = {Device(kClassCamera, u"Integrated Camera", u"USB\\VID_5986&PID_2113&MI_00\\6&2C11A3F&0&0000", 0, true),
               Device(kClassImage, u"USB Video Device", u"USB\\VID_046D&PID_0825&MI_00\\7&1B2C3D4E&0&0000", 22, true),
               Device(kClassAudioEndpoint, u"Speakers (Realtek(R) Audio)", u"SWD\\MMDEVAPI\\{0.0.0.00000000}.{1F2E}", 0, false)};
  for (size_t i = 0; i < v.Devices.size(); ++i) v.Devices[i].Index_In_Array = int32_t(i);
  v.Count_Cams_and_Mics();
  TForm_VCP_Devices form;
  form.Veilcap = &v;
  int repaints = 0;
  form.RepaintStatus = [&] { ++repaints; };
  DevicesWindowView view(form);
  form.Fill(v);

  HWND list = view.List();
  ASSERT_NE(list, nullptr);
  RECT client;
  GetClientRect(view.Handle(), &client);
  EXPECT_EQ(client.right, kDevicesClientWidth);
  EXPECT_EQ(client.bottom, kDevicesClientHeight);
  wchar_t caption[64] = {};
  GetWindowTextW(view.Handle(), caption, 64);
  EXPECT_EQ(ToUtf8(FromW(caption)), "Entdeckte Geräte");
  ASSERT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_TRUE(ListView_GetCheckState(list, 0));
  EXPECT_TRUE(ListView_GetCheckState(list, 1));
  EXPECT_FALSE(ListView_GetCheckState(list, 2));
  EXPECT_EQ(repaints, 0);  // filling raises no check handler
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, kDeviceStoreKey));
  EXPECT_EQ(CellText(list, 0, 0), L"Integrated Camera");
  EXPECT_EQ(ToUtf8(FromW(CellText(list, 1, 1).c_str())), "deaktiviert");
  EXPECT_EQ(ToUtf8(FromW(CellText(list, 2, 1).c_str())), "nicht angeschlossen");
  // Each row has the icon of its class.
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  std::vector<int> images;
  for (int i = 0; i < 3; ++i) {
    item.iItem = i;
    ListView_GetItem(list, &item);
    images.push_back(item.iImage);
  }
  EXPECT_GE(images[0], 0);
  EXPECT_NE(images[0], images[1]);
  EXPECT_NE(images[1], images[2]);

  // The user unchecks the camera: 0 under its instance id, at once.
  ListView_SetCheckState(list, 0, FALSE);
  Pump();
  const auto* stored = reg.Get(RegRoot::LocalMachine, kDeviceStoreKey, u"USB\\VID_5986&PID_2113&MI_00\\6&2C11A3F&0&0000");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->data, (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_FALSE(v.Devices[0].Watch);
  EXPECT_EQ(v.current_cams, 1);
  EXPECT_EQ(repaints, 1);

  // A narrow status column cuts its text with "...".
  ListView_SetColumnWidth(list, 1, 60);
  const std::wstring cut = CellText(list, 2, 1);
  EXPECT_GE(cut.size(), 3u);
  EXPECT_EQ(cut.substr(cut.size() - 3), L"...");
}

}  // namespace

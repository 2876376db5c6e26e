// devchange.exe: hands a running Veilcap the message Windows sends when a device interface arrives
// or goes (Wine never sends it by itself):
//   devchange arrival|removal|custom <interface-path> [<interface-class-guid> [<count>]]
// The message goes to the device monitor's hidden window as WM_DEVICECHANGE with a
// DEV_BROADCAST_DEVICEINTERFACE_W record; the default class is the USB device interface. With a
// count the message goes that many times in a row, as a hub or a headset raises them.
// Exit code 0 when the window took the message, 1 when there is no such window, 2 on a wrong
// command line, 3 when the message could not be delivered.
#include <windows.h>

#include <dbt.h>
#include <objbase.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) {
    std::fwprintf(stderr, L"usage: devchange arrival|removal|custom <interface-path> [<class-guid>]\n");
    return 2;
  }
  const std::wstring what = argv[1];
  WPARAM event = what == L"arrival" ? DBT_DEVICEARRIVAL
                 : what == L"removal" ? DBT_DEVICEREMOVECOMPLETE
                 : what == L"custom"  ? DBT_CUSTOMEVENT
                                      : 0;
  if (!event) return 2;
  GUID cls = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};
  if (argc > 3 && CLSIDFromString(argv[3], &cls) != NOERROR) return 2;
  const int count = argc > 4 ? _wtoi(argv[4]) : 1;
  if (count < 1) return 2;
  HWND w = FindWindowExW(nullptr, nullptr, L"TMiTeC_DeviceMonitorWindow", nullptr);
  if (!w) return 1;

  const std::wstring name = argv[2];
  const size_t head = offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name);
  std::vector<unsigned char> record(head + (name.size() + 1) * sizeof(wchar_t), 0);
  auto* di = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W*>(record.data());
  di->dbcc_size = DWORD(record.size());
  di->dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
  di->dbcc_classguid = cls;
  std::memcpy(record.data() + head, name.c_str(), name.size() * sizeof(wchar_t));
  DWORD_PTR result = 0;
  // A message that carries a record is delivered with a send; the system copies the record.
  for (int i = 0; i < count; ++i)
    if (!SendMessageTimeoutW(w, WM_DEVICECHANGE, event, reinterpret_cast<LPARAM>(record.data()), SMTO_NORMAL, 30000,
                             &result))
      return 3;
  std::wprintf(L"%lu\n", static_cast<unsigned long>(result));
  return 0;
}

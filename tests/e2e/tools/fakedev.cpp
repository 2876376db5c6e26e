// fakedev.exe: fake Plug-and-Play devices in a Wine test prefix.
//   fakedev add <class-guid> <instance-id> <friendly-name> [--bus "<text>"] [--desc "<text>"]
//               [--problem <code>] [--restart]
//   fakedev setproblem <instance-id> <code>
//   fakedev remove <instance-id>       (a device that is not there is no error)
//   fakedev list
// Exit code 0 on success, 1 when the device call failed, 2 on a wrong command line.
#include <cstdio>
#include <cwchar>
#include <string>

#include "fake_devices.h"

namespace {
int Usage() {
  std::fwprintf(stderr,
                L"usage: fakedev add <class-guid> <instance-id> <friendly-name> [--bus text] [--desc text] "
                L"[--problem n] [--restart]\n"
                L"       fakedev setproblem <instance-id> <code>\n"
                L"       fakedev remove <instance-id>\n"
                L"       fakedev list\n");
  return 2;
}

bool ParseCode(const wchar_t* s, uint32_t* code) {
  wchar_t* end = nullptr;
  unsigned long v = std::wcstoul(s, &end, 10);
  if (!*s || *end) return false;
  *code = uint32_t(v);
  return true;
}

int Report(bool ok, const wchar_t* what) {
  if (ok) return 0;
  std::fwprintf(stderr, L"fakedev: %ls failed (error %lu)\n", what, GetLastError());
  return 1;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return Usage();
  const std::wstring cmd = argv[1];
  if (cmd == L"add") {
    if (argc < 5) return Usage();
    fakedev::FakeDevice d;
    d.classGuid = argv[2];
    d.instanceId = argv[3];
    d.friendlyName = argv[4];
    for (int i = 5; i < argc; ++i) {
      const std::wstring opt = argv[i];
      if (opt == L"--restart") {
        d.needRestart = true;
      } else if (i + 1 < argc && opt == L"--bus") {
        d.busDescription = argv[++i];
      } else if (i + 1 < argc && opt == L"--desc") {
        d.deviceDescription = argv[++i];
      } else if (i + 1 < argc && opt == L"--problem") {
        if (!ParseCode(argv[++i], &d.problemCode)) return Usage();
        d.setProblem = true;
      } else {
        return Usage();
      }
    }
    return Report(fakedev::AddFakeDevice(d), L"add");
  }
  if (cmd == L"setproblem") {
    uint32_t code = 0;
    if (argc != 4 || !ParseCode(argv[3], &code)) return Usage();
    return Report(fakedev::SetFakeDeviceProblem(argv[2], code), L"setproblem");
  }
  if (cmd == L"remove") {
    if (argc != 3) return Usage();
    // A device that is not there is already what the caller asks for.
    if (!fakedev::WithDevice(argv[2], [](HDEVINFO, SP_DEVINFO_DATA*) { return true; })) return 0;
    return Report(fakedev::RemoveFakeDevice(argv[2]), L"remove");
  }
  if (cmd == L"list") {
    if (argc != 2) return Usage();
    for (const auto& d : fakedev::ListPresentDevices()) {
      if (d.hasProblemCode)
        std::wprintf(L"%ls\t%ls\t%u\n", d.instanceId.c_str(), d.friendlyName.c_str(), d.problemCode);
      else
        std::wprintf(L"%ls\t%ls\t-\n", d.instanceId.c_str(), d.friendlyName.c_str());
    }
    return 0;
  }
  return Usage();
}

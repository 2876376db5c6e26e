// Switching a fake camera off and on under Wine, end to end: Wine refuses the in-process switch, so
// PowerShell follows, started from the system folder with the encoded command and the built
// environment, and awaited; the fake PowerShell of the test prefix decodes it, applies the cmdlet
// to the fake device, and the next search reads the new problem code.
#include <gtest/gtest.h>
#include <map>
#include <windows.h>

#include "core/errors.h"
#include "devices/ledger.h"
#include "devices/switching.h"
#include "devices/veilcap.h"
#include "devices/win32/node_switch_win.h"
#include "devices/win32/providers.h"
#include "fakes/recording_sink.h"
#include "e2e/tools/fake_devices.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "platform/registry.h"
#include "platform/win32/registry_win.h"
#include "win_scratch.h"

using namespace wintest;

namespace {

const wchar_t kImageClass[] = L"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";

class SwitchingOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    if (RunWithLimit(L"powershell.exe -VeilcapFakeProbe", 20000) != 4242)
      GTEST_SKIP() << "the fake PowerShell is not installed in this prefix: copy fake_powershell.exe to "
                      "C:\\windows\\system32\\WindowsPowerShell\\v1.0\\powershell.exe and "
                      "C:\\windows\\system32\\powershell.exe and run with WINEDLLOVERRIDES containing "
                      "powershell.exe=n";
    InstallProviders();
    SetRegistryBackend(&registry_, false);
    SystemFolder = WindowsSystemFolder();
    temp_ = scratch_.wpath() + L"\\Temp";
    CreateDirectoryW(temp_.c_str(), nullptr);
    UserTempFolder = U16(temp_);
    log_ = scratch_.wpath() + L"\\powershell.log";
    // PowerShell gets no variable of ours: the stand-in takes its log's name from the registry.
    RegSetKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapFake", L"PowerShellLog", REG_SZ, log_.c_str(),
                    DWORD((log_.size() + 1) * sizeof(wchar_t)));
    SetDeviceNodeSwitch(&WindowsDeviceNodeSwitch());
  }
  void TearDown() override {
    for (const auto& id : added_) {
      fakedev::RemoveFakeDevice(id);
      Ledger_Remove(U16(id));
    }
    RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapFake", L"PowerShellLog");
    SetDeviceNodeSwitch(nullptr);
    SetRegistryBackend(nullptr, false);
  }

  bool AddCamera(const std::wstring& id, const std::wstring& name) {
    fakedev::FakeDevice d;
    d.classGuid = kImageClass;
    d.instanceId = id;
    d.friendlyName = name;
    d.deviceDescription = name;
    d.setProblem = true;
    d.problemCode = 0;
    if (!fakedev::AddFakeDevice(d)) return false;
    added_.push_back(id);
    return true;
  }

  // The problem code the device list reads for the device, or -1 when the search did not list it.
  long ProblemCodeAtNextSearch(const std::wstring& id) {
    TVeilcap list(WindowsDeviceSources());
    list.Search();
    for (const auto& d : list.Devices)
      if (d.InstanceID() == U16(id)) return long(d.ProblemCode);
    return -1;
  }

  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::string all = ReadBytes(log_), line;
    for (char c : all) {
      if (c == '\n') {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        line.clear();
      } else {
        line += c;
      }
    }
    return lines;
  }

  bool TempFilesGone() {
    return !Exists(temp_ + L"\\temp_powershell_VLCP.bat") && !Exists(temp_ + L"\\temp_powershell_VLCP.ps1");
  }

  // What every run must show: the PowerShell of the system folder, the module of the system
  // folder, no temporary script at any time, nothing left unrecognised.
  void ExpectSystemPowerShellOnly(const std::vector<std::string>& log) {
    const std::wstring system = Wide(WindowsSystemFolder());
    const std::string image = "IMAGE " + ToUtf8(U16(system + L"\\WindowsPowerShell\\v1.0\\powershell.exe"));
    const std::string module =
        "MODULE " + ToUtf8(U16(system + L"\\WindowsPowerShell\\v1.0\\Modules\\PnpDevice\\PnpDevice.psd1"));
    int images = 0;
    std::map<std::string, std::string> environment;
    for (const auto& l : log) {
      if (l.rfind("ENV ", 0) == 0) {
        const size_t equals = l.find('=', 4);
        environment[ToUtf8(AsciiUpper(FromUtf8(l.substr(4, equals - 4))))] = l.substr(equals + 1);
      }
      if (l.rfind("IMAGE ", 0) == 0) {
        ++images;
        EXPECT_EQ(ToUtf8(AsciiLower(FromUtf8(l))), ToUtf8(AsciiLower(FromUtf8(image))));
      }
      if (l.rfind("MODULE ", 0) == 0) {
        EXPECT_EQ(ToUtf8(AsciiLower(FromUtf8(l))), ToUtf8(AsciiLower(FromUtf8(module))));
      }
      EXPECT_NE(l.rfind("IGNORED", 0), 0u) << l;
      EXPECT_NE(l.rfind("TEMPFILE", 0), 0u) << l;
    }
    EXPECT_GT(images, 0) << "PowerShell was not started";
    EXPECT_TRUE(TempFilesGone());
    // The environment PowerShell got: the system's values, nothing of this process's own.
    const std::string windows = ToUtf8(SystemWindowsFolder());
    EXPECT_EQ(environment["SYSTEMROOT"], windows);
    EXPECT_EQ(environment["PSMODULEPATH"], windows + "\\System32\\WindowsPowerShell\\v1.0\\Modules");
    EXPECT_EQ(environment["TEMP"], windows + "\\Temp");
    EXPECT_EQ(environment["PATH"].rfind(windows + "\\System32;" + windows + ";", 0), 0u) << environment["PATH"];
    for (const auto& [name, value] : environment)
      for (const char* inherited : {"COR_", "COMPLUS_", "DOTNET_", "VEILCAP_"})
        EXPECT_NE(name.rfind(inherited, 0), 0u) << name << "=" << value;
  }

  SavedFolders saved_;
  ScratchFolder scratch_{L"switching"};
  WindowsRegistry registry_;
  std::wstring temp_, log_;
  std::vector<std::wstring> added_;
};

TEST_F(SwitchingOnWindows, DisablingAndEnablingAFakeCameraShowsAtTheNextSearch) {
  const std::wstring id = L"USB\\VID_0C45&PID_64AB&MI_00\\7&2F1D3A&0&0000";
  ASSERT_TRUE(AddCamera(id, L"Integrated Webcam"));
  ASSERT_EQ(ProblemCodeAtNextSearch(id), 0) << "the fake camera must be listed and working first";
  // What an unelevated program can put into the environment of an elevated one.
  const std::pair<const wchar_t*, std::wstring> hostile[] = {
      {L"COR_ENABLE_PROFILING", L"1"},
      {L"COR_PROFILER_PATH", scratch_.wpath() + L"\\profiler.dll"},
      {L"COMPlus_ETWEnabled", L"0"},
      {L"VEILCAP_ARBITRARY", L"x"},
      {L"PSModulePath", scratch_.wpath() + L"\\Modules"}};
  for (const auto& [name, value] : hostile) SetEnvironmentVariableW(name, value.c_str());

  RecordingSink sink;
  TVeilcap list(WindowsDeviceSources());
  list.DisablePnpDevice(U16(id));
  EXPECT_EQ(ProblemCodeAtNextSearch(id), 22);
  EXPECT_TRUE(Ledger_Contains(U16(id)));
  const std::optional<uint32_t> nodeDisabled = WindowsDeviceNodeSwitch().ProblemCode(U16(id));

  list.EnablePnpDevice(U16(id));
  EXPECT_EQ(ProblemCodeAtNextSearch(id), 0);
  EXPECT_FALSE(Ledger_Contains(U16(id)));
  const std::optional<uint32_t> nodeEnabled = WindowsDeviceNodeSwitch().ProblemCode(U16(id));
  // Wine locates no node for a device made through SetupAPI (unreadable); Windows reports 22, then 0.
  if (nodeDisabled) {
    EXPECT_EQ(*nodeDisabled, 22u);
  }
  if (nodeEnabled) {
    EXPECT_EQ(*nodeEnabled, 0u);
  }
  std::printf("CM_Get_DevNode_Status: disabled %ld, enabled %ld (-1: unreadable)\n",
              nodeDisabled ? long(*nodeDisabled) : -1L, nodeEnabled ? long(*nodeEnabled) : -1L);
  for (const auto& entry : hostile) SetEnvironmentVariableW(entry.first, nullptr);

  // Wine refuses the in-process switch; PowerShell follows and says how it ended.
  std::vector<std::string> lines;
  for (const auto& l : sink.Utf8())
    if (l.rfind("VLCP: ", 0) == 0) lines.push_back(l);
  const std::string refused = "VLCP: in-process switch refused, SetupAPI error ";
  ASSERT_EQ(lines.size(), 5u) << ::testing::PrintToString(lines);
  EXPECT_EQ(lines[0], "VLCP: DisableDevice-PnpID=" + ToUtf8(U16(id)));
  for (size_t i : {1u, 3u}) {
    EXPECT_EQ(lines[i].rfind(refused, 0), 0u) << lines[i];
    EXPECT_NE(lines[i], refused + "0");
  }
  EXPECT_EQ(lines[2], "VLCP: PowerShell ExitCode=0");
  EXPECT_EQ(lines[4], "VLCP: PowerShell ExitCode=0");
  std::printf("Wine: %s\n", lines[1].c_str());

  std::vector<std::string> log = LogLines();
  ExpectSystemPowerShellOnly(log);
  const std::string narrow(id.begin(), id.end());
  auto has = [&](const std::string& l) { return std::find(log.begin(), log.end(), l) != log.end(); };
  EXPECT_TRUE(has("DISABLE " + narrow));
  EXPECT_TRUE(has("ENABLE " + narrow));
  EXPECT_EQ(std::count(log.begin(), log.end(), std::string("APPLIED")), 2);
}

TEST_F(SwitchingOnWindows, HostileAndNonAnsiInstanceIdsReachPowerShellUnchanged) {
  // Characters a USB serial number may carry, arranged to break out of a quoted argument, and a
  // name no ANSI code page holds.
  for (const std::wstring& id : {std::wstring(L"USB\\VID_1234&PID_5678\\X';New-Item;'$(calc)`{1}&\"x\""),
                                std::wstring(L"USB\\VID_1234&PID_5678\\J\u00FCrgen\u6444\u50CF\u2019")}) {
    DeleteFileW(log_.c_str());
    const bool created = AddCamera(id, L"Hostile Cam");
    TVeilcap list(WindowsDeviceSources());
    list.DisablePnpDevice(U16(id));

    std::vector<std::string> log = LogLines();
    ExpectSystemPowerShellOnly(log);
    const std::string utf8 = ToUtf8(U16(id));
    auto disable = std::find(log.begin(), log.end(), "DISABLE " + utf8);
    ASSERT_NE(disable, log.end()) << "the id did not arrive as one literal: " << utf8;
    ASSERT_NE(disable + 1, log.end());
    EXPECT_EQ(disable[1], created ? "APPLIED" : "NO DEVICE");
    // A disable PowerShell reports failed leaves no ledger entry.
    EXPECT_EQ(Ledger_Contains(U16(id)), created);
    // Read from the device itself: the device list keeps ids in the ANSI code page, which real
    // instance ids (ASCII) never leave.
    uint32_t problem = 0;
    if (created) {
      EXPECT_TRUE(fakedev::ReadUint32(id, fakedev::KeyProblemCode(), &problem));
      EXPECT_EQ(problem, 22u);
    }
    std::printf("id %s %s as a fake device\n", utf8.c_str(), created ? "registered" : "could not be registered");
  }
}

TEST_F(SwitchingOnWindows, APowerShellThatDoesNotEndIsEndedAtTheLimit) {
  const u16 program = SystemFolder + u"\\WindowsPowerShell\\v1.0\\powershell.exe";
  const DWORD start = GetTickCount();
  EXPECT_FALSE(Run_Hidden_And_Wait(program, u"\"" + program + u"\" -VeilcapFakeHang", SystemFolder, 1500).has_value());
  EXPECT_LT(GetTickCount() - start, 15000u);
  // A program that is not there raises the system's error.
  try {
    Run_Hidden_And_Wait(SystemFolder + u"\\no-such-program.exe", u"x", SystemFolder, 1500);
    ADD_FAILURE() << "no error raised";
  } catch (const OsError& e) {
    EXPECT_EQ(e.Code(), 2u);
  }
}

}  // namespace

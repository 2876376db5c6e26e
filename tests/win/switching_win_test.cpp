// Switching a fake camera off and on under Wine, end to end: PowerShell is started from the system
// folder with the encoded command and awaited; the fake PowerShell of the test prefix decodes it,
// applies the cmdlet to the fake device, and the next search reads the new problem code.
#include <gtest/gtest.h>
#include <windows.h>

#include "core/errors.h"
#include "devices/ledger.h"
#include "devices/switching.h"
#include "devices/veilcap.h"
#include "devices/win32/providers.h"
#include "e2e/tools/fake_devices.h"
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
    SetEnvironmentVariableW(L"VEILCAP_FAKE_PS_LOG", log_.c_str());
  }
  void TearDown() override {
    for (const auto& id : added_) {
      fakedev::RemoveFakeDevice(id);
      Ledger_Remove(U16(id));
    }
    SetEnvironmentVariableW(L"VEILCAP_FAKE_PS_LOG", nullptr);
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
    for (const auto& l : log) {
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

  TVeilcap list(WindowsDeviceSources());
  list.DisablePnpDevice(U16(id));
  EXPECT_EQ(ProblemCodeAtNextSearch(id), 22);
  EXPECT_TRUE(Ledger_Contains(U16(id)));

  list.EnablePnpDevice(U16(id));
  EXPECT_EQ(ProblemCodeAtNextSearch(id), 0);
  EXPECT_FALSE(Ledger_Contains(U16(id)));

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

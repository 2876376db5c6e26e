// Switching a fake camera off and on under Wine, end to end: the batch file and script are written,
// started elevated and awaited; the fake PowerShell of the test prefix applies the command to the
// fake device, and the next search reads the new problem code.
#include <gtest/gtest.h>
#include <windows.h>

#include "devices/veilcap.h"
#include "devices/win32/providers.h"
#include "e2e/tools/fake_devices.h"
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
    temp_ = scratch_.wpath() + L"\\Temp";
    CreateDirectoryW(temp_.c_str(), nullptr);
    UserTempFolder = U16(temp_);
    log_ = scratch_.wpath() + L"\\powershell.log";
    SetEnvironmentVariableW(L"VEILCAP_FAKE_PS_LOG", log_.c_str());
  }
  void TearDown() override {
    for (const auto& id : added_) fakedev::RemoveFakeDevice(id);
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
  EXPECT_TRUE(TempFilesGone());

  list.EnablePnpDevice(U16(id));
  EXPECT_EQ(ProblemCodeAtNextSearch(id), 0);
  EXPECT_TRUE(TempFilesGone());

  std::vector<std::string> log = LogLines();
  const std::string narrow(id.begin(), id.end());
  auto has = [&](const std::string& l) { return std::find(log.begin(), log.end(), l) != log.end(); };
  EXPECT_TRUE(has("DISABLE " + narrow));
  EXPECT_TRUE(has("ENABLE " + narrow));
  EXPECT_TRUE(has("LINE Disable-PnpDevice -InstanceId '" + narrow + "' -Confirm:$false"));
  EXPECT_EQ(std::count(log.begin(), log.end(), std::string("APPLIED")), 2);
  for (const auto& l : log) EXPECT_NE(l.rfind("IGNORED", 0), 0u) << l;
}

TEST_F(SwitchingOnWindows, HostileInstanceIdReachesPowerShellUnchanged) {
  // Characters a USB serial number may carry, arranged to break out of a quoted argument.
  const std::wstring id = L"USB\\VID_1234&PID_5678\\X';New-Item;'$(calc)`{1}&\"x\"";
  const bool created = AddCamera(id, L"Hostile Cam");
  TVeilcap list(WindowsDeviceSources());
  list.DisablePnpDevice(U16(id));
  EXPECT_TRUE(TempFilesGone());

  std::vector<std::string> log = LogLines();
  const std::string narrow(id.begin(), id.end());
  ASSERT_FALSE(log.empty()) << "PowerShell was not started";
  auto disable = std::find(log.begin(), log.end(), "DISABLE " + narrow);
  ASSERT_NE(disable, log.end()) << "the id did not arrive as one literal";
  ASSERT_NE(disable + 1, log.end());
  EXPECT_EQ(disable[1], created ? "APPLIED" : "NO DEVICE");
  for (const auto& l : log) EXPECT_NE(l.rfind("IGNORED", 0), 0u) << l;
  if (created) {
    EXPECT_EQ(ProblemCodeAtNextSearch(id), 22);
  }
  std::printf("hostile id %s as a fake device\n", created ? "registered" : "could not be registered");
}

TEST_F(SwitchingOnWindows, ScriptPathWithApostropheAndPercentWorks) {
  const std::wstring temp = scratch_.wpath() + L"\\O'Brien 100%";
  ASSERT_TRUE(CreateDirectoryW(temp.c_str(), nullptr));
  UserTempFolder = U16(temp);
  const std::wstring id = L"USB\\VID_0C45&PID_64AB&MI_00\\7&2F1D3A&0&0001";
  ASSERT_TRUE(AddCamera(id, L"Second Webcam"));
  TVeilcap list(WindowsDeviceSources());
  list.DisablePnpDevice(U16(id));
  std::vector<std::string> log = LogLines();
  const std::string script = "SCRIPT " + std::string(temp.begin(), temp.end()) + "\\temp_powershell_VLCP.ps1";
  EXPECT_NE(std::find(log.begin(), log.end(), script), log.end()) << "the script path was changed on its way";
  EXPECT_EQ(ProblemCodeAtNextSearch(id), 22);
  EXPECT_FALSE(Exists(temp + L"\\temp_powershell_VLCP.bat"));
}

}  // namespace

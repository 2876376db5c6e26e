// The x64 setup program under Wine: a silent install into Program Files, Veilcap started from there
// blocking simulated cameras, an update over the running program, the silent uninstall; and the
// wizard's pages walked through with screenshots.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "e2e/lib/e2e.h"
#include "e2e/lib/ui_probe.h"
#include "e2e/tools/fake_devices.h"

namespace {
using fakedev::kCameraClass;
using fakedev::kImageClass;
using fakedev::ProblemCode;
using fakedev::AddCommand;
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vostrel Veilcap";
constexpr wchar_t kOptionsKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";  // HKLM and HKCU
constexpr wchar_t kLedgerKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Blocked";
constexpr wchar_t kCamId[] = L"USB\\VID_5986&PID_2113&MI_00\\6&2C11A3F&0&0000";
constexpr wchar_t kVideoId[] = L"USB\\VID_046D&PID_0825&MI_00\\7&1B2C3D4E&0&0000";
constexpr int kWebcamX = 136, kWebcamY = 170;  // the big webcam picture

std::wstring Expand(const wchar_t* text) {
  wchar_t buf[MAX_PATH] = {};
  ExpandEnvironmentStringsW(text, buf, MAX_PATH);
  return buf;
}
std::wstring InstallDir() { return Expand(L"%ProgramFiles%\\Veilcap"); }
std::wstring Shortcut() { return Expand(L"%ProgramData%\\Microsoft\\Windows\\Start Menu\\Programs\\Veilcap.lnk"); }
std::wstring TaskFile() { return Expand(L"%SystemRoot%\\System32\\Tasks\\Vostrel Veilcap"); }
bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring SetupExe() { return EnvPath(L"VEILCAP_SETUP"); }

std::wstring ReadText(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t buf[512] = {};
  DWORD size = sizeof buf;
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, buf, &size) != ERROR_SUCCESS)
    return L"<none>";
  return buf;
}

bool KeyExists(HKEY root, const wchar_t* key) {
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ | KEY_WOW64_64KEY, &k) != ERROR_SUCCESS) return false;
  RegCloseKey(k);
  return true;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// A Veilcap main window of another process than `except`, or nullptr.
HWND OtherVeilcapWindow(DWORD except) {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, kVeilcapWindowClass, nullptr)) != nullptr) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != except) return w;
  }
  return nullptr;
}

class SetupE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(SetupExe().empty()) << "VEILCAP_SETUP is not set (no makensis when the build was configured?)";
    ASSERT_TRUE(Exists(SetupExe())) << Narrow(SetupExe());
    ASSERT_FALSE(Exists(InstallDir() + L"\\Veilcap.exe")) << "an earlier run left an installation";
    RemoveDevices();
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kCamId, L"Integrated Camera")), 0);
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kImageClass, kVideoId, L"USB Video Device")), 0);
    // The language choice is a setting of the user's own: the uninstall leaves it.
    WriteString(HKEY_CURRENT_USER, kOptionsKey, L"ForceLanguage_LCID", L"de-de");
  }
  void TearDown() override {
    for (HWND w; (w = FindWindowExW(nullptr, nullptr, kVeilcapWindowClass, nullptr)) != nullptr;) {
      PostMessageW(w, WM_CLOSE, 0, 0);
      WaitFor([&] { return !IsWindow(w); }, 10000);
    }
    if (program.Running() && program.WaitExit(10000) < 0) program.Kill();
    if (Exists(InstallDir() + L"\\uninstall.exe")) Uninstall(L"/S", 0);  // after a failure: leave no installation
    RemoveDevices();
    DeleteValue(HKEY_CURRENT_USER, kOptionsKey, L"ForceLanguage_LCID");
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam");
    DeleteValue(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Mic");
  }
  static void RemoveDevices() {
    for (const wchar_t* id : {kCamId, kVideoId}) RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\"");
  }
  // Runs the setup and waits for it; a message box of the program that names Program Files (a
  // refused autostart task) is answered with OK and its text kept in `refused`.
  static long RunSetup(const std::wstring& args, std::wstring* refused = nullptr) {
    Program setup;
    if (!setup.Start(SetupExe(), args)) return -2;
    for (int waited = 0; waited < 60000; waited += 250) {
      const long code = setup.WaitExit(250);
      if (code >= 0) return code;
      if (refused && refused->empty()) *refused = AnswerRefusal();
    }
    return -1;
  }
  static std::wstring AnswerRefusal() {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr) {
      if (!IsWindowVisible(w)) continue;
      std::wstring text;
      EnumChildWindows(
          w,
          [](HWND c, LPARAM p) -> BOOL {
            wchar_t cls[32] = {}, t[1024] = {};
            GetClassNameW(c, cls, 32);
            if (std::wstring(cls) == L"Static" && GetWindowTextW(c, t, 1024) > 0) *reinterpret_cast<std::wstring*>(p) += t;
            return TRUE;
          },
          reinterpret_cast<LPARAM>(&text));
      if (text.find(L"Program Files") != std::wstring::npos) {
        PostMessageW(w, WM_COMMAND, IDOK, 0);
        return text;
      }
    }
    return L"";
  }
  // NSIS's uninstaller copies itself away and ends at once; the copy does the work. Once the
  // Veilcap that ran (process `running`) has ended, a Veilcap main window that appears means the
  // uninstall's "-RESTORE" or "-DELETETASK" started a normal run: a fault, closed so the wait ends.
  // `wizard` drives the uninstall's pages and answers whether it has closed them.
  void Uninstall(const std::wstring& args, DWORD running, const std::function<bool()>& wizard = nullptr) {
    Program uninstall;
    ASSERT_TRUE(uninstall.Start(InstallDir() + L"\\uninstall.exe", args));
    EXPECT_EQ(uninstall.WaitExit(30000), 0);
    HANDLE process = running ? OpenProcess(SYNCHRONIZE, FALSE, running) : nullptr;
    const bool done = WaitFor(
        [&] {
          const bool wizardDone = !wizard || wizard();
          const bool ended = !process || WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
          if (HWND w = OtherVeilcapWindow(running); w && ended) {
            ADD_FAILURE() << "the uninstall opened a Veilcap window";
            PostMessageW(w, WM_CLOSE, 0, 0);
          }
          return wizardDone && !KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && !Exists(InstallDir());
        },
        60000);
    if (process) CloseHandle(process);
    std::string left;
    WIN32_FIND_DATAW fd{};
    HANDLE find = FindFirstFileW((InstallDir() + L"\\*").c_str(), &fd);
    if (find != INVALID_HANDLE_VALUE) {
      do left += " " + Narrow(fd.cFileName);
      while (FindNextFileW(find, &fd));
      FindClose(find);
    }
    EXPECT_TRUE(done) << "the uninstall did not finish; left in the folder:" << left;
  }
  void StartInstalled(const wchar_t* args, const wchar_t* camText) {
    ASSERT_TRUE(program.Start(InstallDir() + L"\\Veilcap.exe", args));
    ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(kVeilcapWindowClass, program.Pid())) != nullptr; }, 20000));
    ASSERT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == camText; }, 20000))
        << Narrow(ChildText(main, kLabelStatusCamId));
  }
  Program program;
  HWND main = nullptr;
};

TEST_F(SetupE2E, SilentInstallUpdateOverTheRunningProgramAndSilentUninstall) {
  // /AUTOSTART runs "-CREATETASK". Wine reports every folder as the user's own, so the program
  // refuses the task even under Program Files (on Windows that folder is the administrators' and
  // the task is registered); the refusal is a message box, which must not stall the setup.
  // Another program's window of Veilcap's class is not the program being replaced: the setup
  // neither waits for it nor asks it to quit.
  Program foreign;
  ASSERT_TRUE(foreign.Start(TestFolder() + L"\\minimal_window.exe", kVeilcapWindowClass));
  ASSERT_TRUE(WaitFor([] { return FindWindowExW(nullptr, nullptr, kVeilcapWindowClass, nullptr) != nullptr; }, 10000));
  const DWORD setupStart = GetTickCount();
  std::wstring refused;
  ASSERT_EQ(RunSetup(L"/S /AUTOSTART", &refused), 0);
  EXPECT_LT(GetTickCount() - setupStart, 15000u) << "the setup waited for a window that is not Veilcap's";
  EXPECT_TRUE(foreign.Running()) << "the setup asked another program's window to close";
  PostMessageW(FindWindowExW(nullptr, nullptr, kVeilcapWindowClass, nullptr), WM_CLOSE, 0, 0);
  EXPECT_GE(foreign.WaitExit(10000), 0);
  EXPECT_NE(refused.find(L"Program Files"), std::wstring::npos) << "-CREATETASK did not run or was not refused";
  const std::wstring dir = InstallDir();
  for (const wchar_t* f : {L"\\Veilcap.exe", L"\\Veilcap.com", L"\\uninstall.exe", L"\\TASK.xml", L"\\README.txt", L"\\skins",
                           L"\\Flags", L"\\translation\\index.txt", L"\\policies\\Veilcap.admx",
                           L"\\policies\\en-US\\Veilcap.adml", L"\\policies\\de-DE\\Veilcap.adml"})
    EXPECT_TRUE(Exists(dir + f)) << Narrow(f);
  EXPECT_TRUE(Exists(Shortcut()));
  EXPECT_FALSE(Exists(TaskFile())) << "a refused task was registered";
  struct Entry {
    const wchar_t* name;
    std::wstring value;
  };
  for (const Entry& e : {Entry{L"DisplayName", L"Vostrel Veilcap"}, Entry{L"DisplayVersion", L"1.0.30"},
                         Entry{L"Publisher", L"Vostrel Software"}, Entry{L"InstallLocation", dir},
                         Entry{L"DisplayIcon", dir + L"\\Veilcap.exe,0"},
                         Entry{L"UninstallString", L"\"" + dir + L"\\uninstall.exe\""},
                         Entry{L"QuietUninstallString", L"\"" + dir + L"\\uninstall.exe\" /S"}})
    EXPECT_EQ(ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, e.name), e.value) << Narrow(e.name);
  DWORD size = 0;
  EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", &size));
  EXPECT_GT(size, 500u) << "kilobytes of the installed files";

  // Started from Program Files, it blocks the simulated cameras.
  StartInstalled(L"", L"2/2 Webcams bereit");
  if (HasFatalFailure()) return;
  ClickClient(main, kWebcamX, kWebcamY);
  ASSERT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == L"0/2 Webcams bereit"; }, 30000))
      << Narrow(ChildText(main, kLabelStatusCamId));
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_EQ(ProblemCode(kVideoId), 22u);

  // The same version again over the running program: it quits as its menu's quit does (the options
  // are saved: the value changed behind its back is written back).
  WriteDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam", 7);
  ASSERT_EQ(RunSetup(L"/S"), 0);
  EXPECT_EQ(program.WaitExit(5000), 0) << "the running Veilcap was not ended";
  DWORD saved = 0;
  EXPECT_TRUE(ReadDword(HKEY_LOCAL_MACHINE, kOptionsKey, L"Block_Privacy_Cam", &saved));
  EXPECT_EQ(saved, 1u) << "the quit did not save the options";
  EXPECT_TRUE(Exists(dir + L"\\Veilcap.exe"));
  EXPECT_EQ(ProblemCode(kCamId), 22u) << "an update leaves the devices as they are";

  // The silent uninstall ends the running program and gives the cameras back.
  program.Kill();
  StartInstalled(L"-TRAY", L"0/2 Webcams bereit");
  if (HasFatalFailure()) return;
  Uninstall(L"/S", program.Pid());
  EXPECT_EQ(program.WaitExit(5000), 0) << "the uninstall did not end Veilcap";
  EXPECT_FALSE(Exists(dir));
  EXPECT_FALSE(Exists(Shortcut()));
  EXPECT_FALSE(Exists(TaskFile()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kLedgerKey));
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOptionsKey, L"ForceLanguage_LCID"), L"de-de") << "HKCU settings stay";
  EXPECT_EQ(ProblemCode(kCamId), 0u) << "-RESTORE did not give the camera back";
  EXPECT_EQ(ProblemCode(kVideoId), 0u);
}

// The visible top-level dialog of the setup or uninstall wizard (NSIS: class #32770, "Veilcap" in
// the title).
HWND WizardWindow() {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr) {
    wchar_t title[256] = {};
    GetWindowTextW(w, title, 256);
    if (IsWindowVisible(w) && std::wstring(title).find(L"Veilcap") != std::wstring::npos) return w;
  }
  return nullptr;
}

// A check box anywhere in the wizard (the finish page's "start now").
HWND FindCheckBox(HWND wizard) {
  struct Search {
    HWND found = nullptr;
  } s;
  EnumChildWindows(
      wizard,
      [](HWND w, LPARAM p) -> BOOL {
        wchar_t cls[32] = {};
        GetClassNameW(w, cls, 32);
        const LONG style = LONG(GetWindowLongPtrW(w, GWL_STYLE)) & 0x0F;
        if (std::wstring(cls) == L"Button" && IsWindowVisible(w) && (style == BS_AUTOCHECKBOX || style == BS_CHECKBOX)) {
          reinterpret_cast<Search*>(p)->found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

void Shot(HWND wizard, const wchar_t* name) {
  Sleep(400);  // the page has drawn itself
  RECT r{};
  GetWindowRect(wizard, &r);
  EXPECT_FALSE(SaveScreenshot(name, r).empty()) << Narrow(name);
}

// The wizard's "Next" / "Install" / "Finish" / "Close" button (control 1), once it can be pressed.
bool PressNext(HWND wizard) {
  HWND next = GetDlgItem(wizard, IDOK);
  if (!WaitFor([&] { return next && IsWindowEnabled(next) && IsWindowVisible(next); }, 30000)) return false;
  PostMessageW(next, BM_CLICK, 0, 0);
  return true;
}

TEST_F(SetupE2E, WizardPagesInstallStartTheProgramAndUninstallEndsIt) {
  Program setup;
  ASSERT_TRUE(setup.Start(SetupExe(), L""));
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (wizard = WizardWindow()) != nullptr; }, 20000)) << "no setup wizard";
  Shot(wizard, L"setup_1_welcome.png");
  ASSERT_TRUE(PressNext(wizard));
  Shot(wizard, L"setup_2_components.png");
  ASSERT_TRUE(PressNext(wizard));
  Shot(wizard, L"setup_3_folder.png");
  ASSERT_TRUE(PressNext(wizard));  // Install
  HWND startNow = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (startNow = FindCheckBox(wizard)) != nullptr; }, 30000)) << "no finish page";
  EXPECT_EQ(SendMessageW(startNow, BM_GETCHECK, 0, 0), BST_CHECKED);
  Shot(wizard, L"setup_4_finish.png");
  ASSERT_TRUE(PressNext(wizard));  // Finish, with "start Veilcap now"
  EXPECT_EQ(setup.WaitExit(20000), 0);
  HWND started = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (started = FindTopWindow(kVeilcapWindowClass)) != nullptr; }, 20000))
      << "the finish page did not start Veilcap";
  EXPECT_FALSE(Exists(TaskFile())) << "start with Windows is off unless chosen";
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));

  // The uninstall wizard ends the program it started.
  DWORD startedPid = 0;
  if (started) GetWindowThreadProcessId(started, &startedPid);
  bool confirmed = false, closed = false;
  Uninstall(L"", startedPid, [&] {
    HWND u = WizardWindow();
    if (!u) return closed;
    if (!confirmed) {
      Shot(u, L"uninstall_1_confirm.png");
      confirmed = PressNext(u);
    } else if (!closed && !IsWindow(started) && IsWindowEnabled(GetDlgItem(u, IDOK))) {
      Shot(u, L"uninstall_2_done.png");
      closed = PressNext(u);
    }
    return closed;
  });
  EXPECT_TRUE(confirmed && closed);
  EXPECT_FALSE(IsWindow(started)) << "the uninstall did not end Veilcap";
  EXPECT_FALSE(Exists(InstallDir()));
  EXPECT_TRUE(WaitFor([] { return WizardWindow() == nullptr; }, 10000)) << "the uninstall wizard stays open";
}
}  // namespace

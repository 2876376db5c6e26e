// The x64 setup program under Wine: a silent install into Program Files, Veilcap started from there
// blocking simulated cameras, an update over the running program, the quiet uninstall (also one
// whose restore fails); and the wizard's pages walked through with screenshots. No window other
// than the wizard may ever appear.
#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <atomic>
#include <functional>
#include <iostream>
#include <string>
#include <thread>
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
constexpr wchar_t kFakeKey[] = L"SOFTWARE\\VeilcapFake";  // what the stand-in PowerShell reads
constexpr wchar_t kEnvironmentKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr int kWebcamX = 136, kWebcamY = 170;  // the big webcam picture

std::wstring Expand(const wchar_t* text) {
  wchar_t buf[MAX_PATH] = {};
  ExpandEnvironmentStringsW(text, buf, MAX_PATH);
  return buf;
}
std::wstring InstallDir() { return Expand(L"%ProgramFiles%\\Veilcap"); }
// What is in the installation folder, for messages.
std::string LeftInstalled() {
  std::string left;
  WIN32_FIND_DATAW fd{};
  HANDLE find = FindFirstFileW((InstallDir() + L"\\*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do left += " " + std::string(fd.cFileName, fd.cFileName + wcslen(fd.cFileName));
    while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  return left;
}
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

// A registry value as stored: type and bytes.
struct RawValue {
  bool exists = false;
  DWORD type = 0;
  std::vector<BYTE> data;
  bool operator==(const RawValue& o) const { return exists == o.exists && type == o.type && data == o.data; }
};
RawValue ReadRaw(HKEY root, const wchar_t* key, const wchar_t* name) {
  RawValue v;
  HKEY k = nullptr;
  if (RegOpenKeyExW(root, key, 0, KEY_READ | KEY_WOW64_64KEY, &k) != ERROR_SUCCESS) return v;
  DWORD size = 0;
  if (RegQueryValueExW(k, name, nullptr, &v.type, nullptr, &size) == ERROR_SUCCESS) {
    v.data.resize(size);
    v.exists = RegQueryValueExW(k, name, nullptr, &v.type, v.data.data(), &size) == ERROR_SUCCESS;
  }
  RegCloseKey(k);
  return v;
}
void WriteRaw(HKEY root, const wchar_t* key, const wchar_t* name, const RawValue& v) {
  HKEY k = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &k, nullptr) != ERROR_SUCCESS)
    return;
  if (v.exists)
    RegSetValueExW(k, name, 0, v.type, v.data.data(), DWORD(v.data.size()));
  else
    RegDeleteValueW(k, name);
  RegCloseKey(k);
}
RawValue ExpandSz(const std::wstring& text) {
  RawValue v{true, REG_EXPAND_SZ, {}};
  const BYTE* b = reinterpret_cast<const BYTE*>(text.c_str());
  v.data.assign(b, b + (text.size() + 1) * sizeof(wchar_t));
  return v;
}

// Runs exe with args, its standard output going to a file; answers the exit code (-1: did not end)
// and the text written (UTF-8).
long RunCaptured(const std::wstring& exe, const std::wstring& args, std::string* text) {
  wchar_t folder[MAX_PATH] = {}, file[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  GetTempFileNameW(folder, L"out", 0, file);
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(file, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  long code = -1;
  Program run;
  if (out != INVALID_HANDLE_VALUE && run.Start(exe, args, out)) {
    code = run.WaitExit(30000);
    run.Kill();  // one that did not end in time
    char buf[4096];
    DWORD n = 0;
    SetFilePointer(out, 0, nullptr, FILE_BEGIN);
    text->clear();
    while (ReadFile(out, buf, sizeof buf, &n, nullptr) && n > 0) text->append(buf, n);
  }
  if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
  DeleteFileW(file);
  return code;
}

std::wstring WindowText(HWND w) {
  wchar_t cls[64] = {}, title[256] = {};
  GetClassNameW(w, cls, 64);
  GetWindowTextW(w, title, 256);
  std::wstring text = std::wstring(cls) + L" \"" + title + L"\"";
  EnumChildWindows(
      w,
      [](HWND c, LPARAM p) -> BOOL {
        wchar_t t[512] = {};
        if (GetWindowTextW(c, t, 512) > 0) *reinterpret_cast<std::wstring*>(p) += std::wstring(L" | ") + t;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&text));
  return text;
}

// The setup or uninstall wizard itself: NSIS's top-level dialog (class #32770, "Veilcap" in the
// title, owned by no other window; its message boxes are owned by it).
bool IsWizard(HWND w) {
  wchar_t cls[32] = {}, title[256] = {};
  GetClassNameW(w, cls, 32);
  GetWindowTextW(w, title, 256);
  return std::wstring(cls) == L"#32770" && GetWindow(w, GW_OWNER) == nullptr &&
         std::wstring(title).find(L"Veilcap") != std::wstring::npos;
}

// Watches, while it lives, for visible top-level windows that were not there when it began: each
// one (other than the wizard, and windows of the classes allowed) is a failure, named with its
// texts, and closed so nothing waits on it.
class NoOtherWindows {
 public:
  explicit NoOtherWindows(bool wizard, std::vector<std::wstring> allowedClasses = {}, std::wstring during = L"")
      : wizard_(wizard), allowed_(std::move(allowedClasses)), during_(std::move(during)), seen_(Visible()) {}
  void Check() {
    for (HWND w : Visible()) {
      if (std::find(seen_.begin(), seen_.end(), w) != seen_.end()) continue;
      seen_.push_back(w);
      wchar_t cls[64] = {};
      GetClassNameW(w, cls, 64);
      if ((wizard_ && IsWizard(w)) || std::find(allowed_.begin(), allowed_.end(), cls) != allowed_.end()) continue;
      ADD_FAILURE() << "a window appeared" << Narrow(during_) << ": " << Narrow(WindowText(w));
      PostMessageW(w, WM_CLOSE, 0, 0);
    }
  }

 private:
  static std::vector<HWND> Visible() {
    std::vector<HWND> all;
    EnumWindows(
        [](HWND w, LPARAM p) -> BOOL {
          if (IsWindowVisible(w)) reinterpret_cast<std::vector<HWND>*>(p)->push_back(w);
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
  }
  bool wizard_;
  std::vector<std::wstring> allowed_;
  std::wstring during_;
  std::vector<HWND> seen_;
};

// A hidden top-level window on a thread of its own that counts the WM_SETTINGCHANGE "Environment"
// broadcasts it receives.
class EnvironmentBroadcasts {
 public:
  EnvironmentBroadcasts() {
    thread_ = std::thread([this] {
      WNDCLASSW wc{};
      wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
        if (m == WM_SETTINGCHANGE && lp && lstrcmpiW(reinterpret_cast<const wchar_t*>(lp), L"Environment") == 0)
          ++*reinterpret_cast<std::atomic<int>*>(GetWindowLongPtrW(w, GWLP_USERDATA));
        return DefWindowProcW(w, m, wp, lp);
      };
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"VeilcapTestEnvironmentBroadcasts";
      RegisterClassW(&wc);
      window_ = CreateWindowW(wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, wc.hInstance, nullptr);
      SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&count_));
      threadId_ = GetCurrentThreadId();
      MSG msg;
      while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
      DestroyWindow(window_);
    });
    WaitFor([this] { return threadId_.load() != 0; }, 5000);
  }
  ~EnvironmentBroadcasts() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    thread_.join();
  }
  int Count() const { return count_; }

 private:
  std::thread thread_;
  HWND window_ = nullptr;
  std::atomic<DWORD> threadId_{0};
  std::atomic<int> count_{0};
};

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
    // Devices an earlier test switched off and then took away would make every restore fail.
    HKEY vendor = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Vostrel\\Vostrel Veilcap", 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                      &vendor) == ERROR_SUCCESS) {
      RegDeleteTreeW(vendor, L"Blocked");
      RegCloseKey(vendor);
    }
    RemoveDevices();
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kCameraClass, kCamId, L"Integrated Camera")), 0);
    ASSERT_EQ(RunTool(L"fakedev.exe", AddCommand(kImageClass, kVideoId, L"USB Video Device")), 0);
    // The language choice is a setting of the user's own: the uninstall leaves it.
    WriteString(HKEY_CURRENT_USER, kOptionsKey, L"ForceLanguage_LCID", L"de-de");
    // A machine PATH far longer than the 1,024 characters of an installer's fixed-length string.
    pathBefore = ReadRaw(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path");
    longPath = L"%SystemRoot%\\system32;%SystemRoot%";
    for (int i = 0; longPath.size() <= 4500; ++i) longPath += L";C:\\Tools\\Folder number " + std::to_wstring(i) + L"\\bin";
    WriteRaw(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path", ExpandSz(longPath));
  }
  void TearDown() override {
    DeleteValue(HKEY_LOCAL_MACHINE, kFakeKey, L"RefuseDevice");
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
    WriteRaw(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path", pathBefore);
  }
  static void RemoveDevices() {
    for (const wchar_t* id : {kCamId, kVideoId}) RunTool(L"fakedev.exe", std::wstring(L"remove \"") + id + L"\"");
  }
  // Runs a silent command (the setup, the quiet uninstall) and waits for it: no window may appear
  // meanwhile. Answers its exit code (-1: it did not end).
  static long RunSilent(const std::wstring& exe, const std::wstring& args) {
    NoOtherWindows watch(false, {}, L" during " + exe + L" " + args);
    Program run;
    if (!run.Start(exe, args)) return -2;
    for (int waited = 0; waited < 60000; waited += 250) {
      const long code = run.WaitExit(250);
      watch.Check();
      if (code >= 0) return code;
    }
    return -1;
  }
  static long RunSetup(const std::wstring& args) { return RunSilent(SetupExe(), args); }
  // The quiet-uninstall command of "Apps & features", as a management tool runs it.
  static long QuietUninstall() {
    const std::wstring command = ReadText(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString");
    const size_t close = command.find(L'"', 1);
    if (command.empty() || command[0] != L'"' || close == std::wstring::npos) {
      ADD_FAILURE() << "no quiet-uninstall command: " << Narrow(command);
      return -3;
    }
    return RunSilent(command.substr(1, close - 1), command.substr(std::min(command.size(), close + 2)));
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
    EXPECT_TRUE(done) << "the uninstall did not finish; left in the folder:" << LeftInstalled();
  }
  void StartInstalled(const wchar_t* args, const wchar_t* camText) {
    ASSERT_TRUE(program.Start(InstallDir() + L"\\Veilcap.exe", args));
    ASSERT_TRUE(WaitFor([&] { return (main = FindTopWindow(kVeilcapWindowClass, program.Pid())) != nullptr; }, 20000));
    ASSERT_TRUE(WaitFor([&] { return ChildText(main, kLabelStatusCamId) == camText; }, 20000))
        << Narrow(ChildText(main, kLabelStatusCamId));
  }
  Program program;
  HWND main = nullptr;
  RawValue pathBefore;
  std::wstring longPath;
};

TEST_F(SetupE2E, SilentInstallUpdateOverTheRunningProgramAndSilentUninstall) {
  // /AUTOSTART runs "-CREATETASK". Wine reports every folder as the user's own, so the program
  // refuses the task even under Program Files (on Windows that folder is the administrators' and
  // the task is registered); the refusal is text, never a window that would stall the setup.
  // Another program's window of Veilcap's class is not the program being replaced: the setup
  // neither waits for it nor asks it to quit.
  EnvironmentBroadcasts broadcasts;
  Program foreign;
  ASSERT_TRUE(foreign.Start(TestFolder() + L"\\minimal_window.exe", kVeilcapWindowClass));
  ASSERT_TRUE(WaitFor([] { return FindWindowExW(nullptr, nullptr, kVeilcapWindowClass, nullptr) != nullptr; }, 10000));
  // Its tray icon: Wine shows it in a window of its own, which is no window of the setup's.
  WaitFor([] { return IsWindowVisible(FindWindowW(L"__winex11_standalone_tray", nullptr)) != FALSE; }, 5000);
  const DWORD setupStart = GetTickCount();
  ASSERT_EQ(RunSetup(L"/S /AUTOSTART"), 0);
  EXPECT_LT(GetTickCount() - setupStart, 15000u) << "the setup waited for a window that is not Veilcap's";
  EXPECT_TRUE(foreign.Running()) << "the setup asked another program's window to close";
  PostMessageW(FindWindowExW(nullptr, nullptr, kVeilcapWindowClass, nullptr), WM_CLOSE, 0, 0);
  EXPECT_GE(foreign.WaitExit(10000), 0);
  const std::wstring dir = InstallDir();
  std::string refusal;
  EXPECT_EQ(RunCaptured(dir + L"\\Veilcap.exe", L"-CREATETASK", &refusal), 1);
  EXPECT_NE(refusal.find("(Program Files)"), std::string::npos) << refusal;
  // The program folder is the new last entry of the machine PATH: the rest byte for byte, the
  // type kept, running programs told.
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path") == ExpandSz(longPath + L";" + dir))
      << "PATH after the setup: " << Narrow(ReadText(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path").substr(4400));
  EXPECT_TRUE(WaitFor([&] { return broadcasts.Count() > 0; }, 5000)) << "no WM_SETTINGCHANGE \"Environment\"";
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
                         Entry{L"QuietUninstallString", L"\"" + Expand(L"%SystemRoot%\\system32") + L"\\cmd.exe\" /d /s /c \"copy /b /y \"" +
                                                            dir + L"\\uninstall.exe\" \"%TEMP%\\Veilcap-uninstall.exe\" >nul && \"%TEMP%\\Veilcap-uninstall.exe\" /S _?=" + dir + L"\""}})
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

  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path") == ExpandSz(longPath + L";" + dir))
      << "the update added the folder again";

  // The quiet uninstall ends the running program and gives the cameras back; its command returns
  // when everything is gone.
  program.Kill();
  StartInstalled(L"-TRAY", L"0/2 Webcams bereit");
  if (HasFatalFailure()) return;
  EXPECT_EQ(QuietUninstall(), 0);
  EXPECT_EQ(program.WaitExit(5000), 0) << "the uninstall did not end Veilcap";
  EXPECT_FALSE(Exists(dir)) << "the quiet uninstall returned before the folder was gone:" << LeftInstalled();
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path") == ExpandSz(longPath))
      << "PATH is not what it was before the setup";
  EXPECT_FALSE(Exists(Shortcut()));
  EXPECT_FALSE(Exists(TaskFile()));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kLedgerKey));
  EXPECT_EQ(ReadText(HKEY_CURRENT_USER, kOptionsKey, L"ForceLanguage_LCID"), L"de-de") << "HKCU settings stay";
  EXPECT_EQ(ProblemCode(kCamId), 0u) << "-RESTORE did not give the camera back";
  EXPECT_EQ(ProblemCode(kVideoId), 0u);
}

TEST_F(SetupE2E, AnUninstallWhoseRestoreFailsKeepsTheProgram) {
  ASSERT_EQ(RunSetup(L"/S"), 0);
  const std::wstring dir = InstallDir();
  Program block;
  ASSERT_TRUE(block.Start(dir + L"\\Veilcap.exe", L"-BLOCK CAM"));
  ASSERT_EQ(block.WaitExit(30000), 0);
  ASSERT_EQ(ProblemCode(kCamId), 22u);
  // The camera's driver will not start again: the restore fails, and nothing may go.
  WriteString(HKEY_LOCAL_MACHINE, kFakeKey, L"RefuseDevice", kCamId);
  EXPECT_NE(QuietUninstall(), 0) << "a failed restore was reported as success";
  for (const wchar_t* f : {L"\\Veilcap.exe", L"\\uninstall.exe", L"\\translation\\index.txt"})
    EXPECT_TRUE(Exists(dir + f)) << Narrow(f);
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kLedgerKey));
  EXPECT_TRUE(Exists(Shortcut()));
  EXPECT_EQ(ProblemCode(kCamId), 22u);
  EXPECT_TRUE(ReadRaw(HKEY_LOCAL_MACHINE, kEnvironmentKey, L"Path") == ExpandSz(longPath + L";" + dir));
  // Once the camera can start again, the same command uninstalls.
  DeleteValue(HKEY_LOCAL_MACHINE, kFakeKey, L"RefuseDevice");
  EXPECT_EQ(QuietUninstall(), 0);
  EXPECT_FALSE(Exists(dir)) << LeftInstalled();
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kLedgerKey));
  EXPECT_EQ(ProblemCode(kCamId), 0u);
  EXPECT_EQ(ProblemCode(kVideoId), 0u);
}

// The visible top-level dialog of the setup or uninstall wizard.
HWND WizardWindow() {
  HWND w = nullptr;
  while ((w = FindWindowExW(nullptr, w, L"#32770", nullptr)) != nullptr)
    if (IsWindowVisible(w) && IsWizard(w)) return w;
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
  // Only the wizard, and the Veilcap its finish page starts, may show a window.
  NoOtherWindows watch(true, {kVeilcapWindowClass, L"__winex11_standalone_tray"});
  Program setup;
  ASSERT_TRUE(setup.Start(SetupExe(), L""));
  HWND wizard = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (wizard = WizardWindow()) != nullptr; }, 20000)) << "no setup wizard";
  Shot(wizard, L"setup_1_welcome.png");
  // Veilcap's own picture on the welcome page, not NSIS's: its brand blue at the top left.
  RECT page{};
  GetWindowRect(wizard, &page);
  const std::vector<uint32_t> corner = CaptureScreen({page.left + 12, page.top + 40, page.left + 13, page.top + 41});
  ASSERT_EQ(corner.size(), 1u);
  EXPECT_LT(std::abs(int(corner[0] >> 16 & 0xFF) - 10) + std::abs(int(corner[0] >> 8 & 0xFF) - 105) +
                std::abs(int(corner[0] & 0xFF) - 193),
            40)
      << std::hex << corner[0];
  ASSERT_TRUE(PressNext(wizard));
  watch.Check();
  Shot(wizard, L"setup_2_components.png");
  ASSERT_TRUE(PressNext(wizard));
  Shot(wizard, L"setup_3_folder.png");
  ASSERT_TRUE(PressNext(wizard));  // Install
  HWND startNow = nullptr;
  ASSERT_TRUE(WaitFor(
      [&] {
        watch.Check();
        return (startNow = FindCheckBox(wizard)) != nullptr;
      },
      30000))
      << "no finish page";
  EXPECT_EQ(SendMessageW(startNow, BM_GETCHECK, 0, 0), BST_CHECKED);
  Shot(wizard, L"setup_4_finish.png");
  watch.Check();
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
    watch.Check();
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

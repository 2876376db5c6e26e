// The autostart task under Wine: with Wine's own SCHTASKS (which creates and deletes task files
// but has no /QUERY) and with the fake schtasks.exe of the test prefix (which has /QUERY).
#include <gtest/gtest.h>
#include <windows.h>

#include "core/errors.h"
#include "platform/autostart.h"
#include "platform/process.h"
#include "win_scratch.h"

using namespace wintest;

namespace {

// The shipped template: staged beside the test program, or in the source tree above it.
std::wstring FindTaskTemplate() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir = exe;
  dir = dir.substr(0, dir.rfind(L'\\'));
  if (Exists(dir + L"\\stage\\TASK.xml")) return dir + L"\\stage\\TASK.xml";
  for (int up = 0; up < 5 && dir.rfind(L'\\') != std::wstring::npos; ++up) {
    if (Exists(dir + L"\\assets\\TASK.xml")) return dir + L"\\assets\\TASK.xml";
    dir = dir.substr(0, dir.rfind(L'\\'));
  }
  return L"";
}

// Chooses which schtasks.exe the programs this test starts get: Wine's own ("builtin") or the fake
// copied over it ("native"). Wine reads HKCU\Software\Wine\DllOverrides at every process start,
// unless WINEDLLOVERRIDES names schtasks.exe, which then wins.
class ScopedSchtasksOverride {
 public:
  explicit ScopedSchtasksOverride(const wchar_t* mode) {
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key_,
                        nullptr) != ERROR_SUCCESS)
      return;
    wchar_t old[64] = {};
    DWORD size = sizeof old - sizeof(wchar_t), type = 0;
    had_ = RegQueryValueExW(key_, L"schtasks.exe", nullptr, &type, reinterpret_cast<BYTE*>(old), &size) ==
               ERROR_SUCCESS && type == REG_SZ;
    old_ = old;
    RegSetValueExW(key_, L"schtasks.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(mode),
                   DWORD((wcslen(mode) + 1) * sizeof(wchar_t)));
  }
  ~ScopedSchtasksOverride() {
    if (!key_) return;
    if (had_)
      RegSetValueExW(key_, L"schtasks.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(old_.c_str()),
                     DWORD((old_.size() + 1) * sizeof(wchar_t)));
    else
      RegDeleteValueW(key_, L"schtasks.exe");
    RegCloseKey(key_);
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Wine\\DllOverrides";
  HKEY key_ = nullptr;
  std::wstring old_;
  bool had_ = false;
};

// Which schtasks.exe a started program gets now.
enum class Schtasks { Fake, WineOwn, None };
Schtasks WhichSchtasks() {
  long code = RunWithLimit(L"schtasks.exe /VEILCAPFAKEPROBE", 20000);
  if (code == 4243) return Schtasks::Fake;
  // -1: not started; STATUS_DLL_NOT_FOUND: "native" forced by WINEDLLOVERRIDES with no fake present.
  if (code == -1 || code == long(0xC0000135)) return Schtasks::None;
  return Schtasks::WineOwn;
}

class AutostartOnWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallProviders();
    const std::wstring tmpl = FindTaskTemplate();
    if (tmpl.empty()) GTEST_SKIP() << "TASK.xml not found beside the test program or in the source tree";
    AppFolder = scratch_.path();
    UserTempFolder = scratch_.path();
    SystemFolder = WindowsSystemFolder();
    ASSERT_TRUE(CopyFileW(tmpl.c_str(), (scratch_.wpath() + L"\\TASK.xml").c_str(), FALSE));
  }
  std::wstring TaskFile() {
    wchar_t windows[MAX_PATH] = {};
    GetWindowsDirectoryW(windows, MAX_PATH);
    return std::wstring(windows) + L"\\system32\\tasks\\Vostrel Veilcap";
  }
  u16 TaskText() {
    std::string b = ReadBytes(TaskFile());
    return DecodeText(std::vector<uint8_t>(b.begin(), b.end())).text;
  }

  SavedFolders saved_;
  ScratchFolder scratch_{L"autostart"};
};

TEST_F(AutostartOnWindows, WineSchtasksCreatesAndDeletesTheFilledTask) {
  ScopedSchtasksOverride builtin(L"builtin");
  if (WhichSchtasks() != Schtasks::WineOwn)
    GTEST_SKIP() << "Wine's own SCHTASKS cannot be reached: WINEDLLOVERRIDES names schtasks.exe; leave it out "
                    "(this test and the next choose through HKCU\\Software\\Wine\\DllOverrides)";
  Delete_AutostartTask();
  ASSERT_FALSE(Exists(TaskFile()));

  // Wine reports every folder as the user's own, so the checked creation refuses and touches
  // nothing; the routine below the check is what registers.
  EXPECT_EQ(Create_AutostartTask(), TaskCreation::Refused);
  EXPECT_FALSE(Exists(TaskFile()));
  ASSERT_EQ(Register_AutostartTask(), TaskCreation::Created);
  ASSERT_TRUE(Exists(TaskFile())) << "SCHTASKS did not accept the definition";
  EXPECT_FALSE(Exists(scratch_.wpath() + L"\\TASKdummy.xml"));
  // Wine's scheduler writes the task back from what it understood: registration info and
  // settings; it drops triggers, principal and actions, which the fake below keeps.
  const u16 text = TaskText();
  SYSTEMTIME now{};
  GetLocalTime(&now);
  EXPECT_TRUE(Contains(text, u"<Date>" + ToDec(now.wYear) + u"-")) << ToUtf8(text);
  EXPECT_TRUE(Contains(text, u".0000000</Date>")) << ToUtf8(text);
  EXPECT_TRUE(Contains(text, u"<Author>" + Get_WindowsComputerName() + u"\\" + Get_WindowsUserName() + u"</Author>"))
      << ToUtf8(text);
  EXPECT_TRUE(Contains(text, u"<URI>\\Vostrel Veilcap</URI>")) << ToUtf8(text);
  EXPECT_TRUE(Contains(text, u"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>")) << ToUtf8(text);
  EXPECT_FALSE(Contains(text, u"%")) << "a placeholder was left: " << ToUtf8(text);

  // A template that has gone raises, and the task that exists stays as it is.
  ASSERT_TRUE(DeleteFileW((scratch_.wpath() + L"\\TASK.xml").c_str()));
  EXPECT_THROW(Register_AutostartTask(), OsError);
  EXPECT_TRUE(Exists(TaskFile()));
  EXPECT_EQ(TaskText(), text);

  Delete_AutostartTask();
  EXPECT_FALSE(Exists(TaskFile()));
}

TEST_F(AutostartOnWindows, FakeSchtasksAnswersTheQuery) {
  ScopedSchtasksOverride ours(L"native");
  if (WhichSchtasks() != Schtasks::Fake)
    GTEST_SKIP() << "the fake schtasks is not installed in this prefix: copy fake_schtasks.exe to "
                    "C:\\windows\\system32\\schtasks.exe";
  Delete_AutostartTask();
  EXPECT_FALSE(AutostartTask_Exists());
  EXPECT_EQ(Register_AutostartTask(), TaskCreation::Created);
  EXPECT_TRUE(AutostartTask_Exists());
  std::string stored = ReadBytes(L"C:\\fake_tasks\\Vostrel Veilcap.xml");
  const u16 text = DecodeText(std::vector<uint8_t>(stored.begin(), stored.end())).text;
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  EXPECT_TRUE(Contains(text, u"<Command>\"" + U16(exe) + u"\"</Command>")) << ToUtf8(text);
  EXPECT_TRUE(Contains(text, u"<Arguments>-TRAY</Arguments>"));
  EXPECT_TRUE(Contains(text, u"<UserId>" + Get_ConsoleUserSID() + u"</UserId>"));
  EXPECT_FALSE(Contains(text, u"%")) << ToUtf8(text);
  EXPECT_EQ(Register_AutostartTask(), TaskCreation::Created);  // replaced in place (/F)
  EXPECT_TRUE(AutostartTask_Exists());
  const std::string replaced = ReadBytes(L"C:\\fake_tasks\\Vostrel Veilcap.xml");
  // A definition the scheduler refuses is reported, and the task that exists stays.
  {
    HANDLE h = CreateFileW((scratch_.wpath() + L"\\TASK.xml").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, "not a definition", 16, &written, nullptr);
    CloseHandle(h);
  }
  EXPECT_EQ(Register_AutostartTask(), TaskCreation::Failed);
  EXPECT_EQ(replaced, ReadBytes(L"C:\\fake_tasks\\Vostrel Veilcap.xml"));
  EXPECT_FALSE(Exists(scratch_.wpath() + L"\\TASKdummy.xml"));
  EXPECT_FALSE(Exists(scratch_.wpath() + L"\\ConsoleOutput.txt"));
  Delete_AutostartTask();
  EXPECT_FALSE(AutostartTask_Exists());
  RemoveDirectoryW(L"C:\\fake_tasks");
}

}  // namespace

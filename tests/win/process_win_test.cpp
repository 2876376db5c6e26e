// Process and shell routines and the Windows file system against the real API.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>

#include "core/errors.h"
#include "core/win32/errortext_win.h"
#include "core/win32/fs_win.h"
#include "platform/process.h"
#include "platform/win32/named_objects.h"
#include "platform/win32/system_libraries.h"
#include "win_scratch.h"

using namespace wintest;

namespace {

class ProcessOnWindows : public ::testing::Test {
 protected:
  void SetUp() override { InstallProviders(); }
  SavedFolders saved;
  ScratchFolder scratch{L"process"};
};

TEST_F(ProcessOnWindows, RunAndWaitAnswersTheExitCodeOrMinusOne) {
  WriteBytes(scratch.wpath() + L"\\marker.txt", "x");
  struct {
    const char* what;
    u16 commandLine;
    int32_t expected;
  } cases[] = {
      {"success", u"cmd.exe /c exit 0", 0},
      {"exit code", u"cmd.exe /c exit 7", 7},
      {"negative exit code", u"cmd.exe /c exit -2", -2},
      {"working folder is used", u"cmd.exe /c if exist marker.txt (exit 3) else (exit 4)", 3},
      {"unknown command inside cmd", u"cmd.exe /c no_such_command_here", 9009},
      {"missing program", u"C:\\no\\such\\program.exe", -1},
      {"missing program by name", u"no_such_program_4711.exe /x", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(Run_And_Wait(c.commandLine, scratch.path(), 0), c.expected) << c.what;
}

TEST_F(ProcessOnWindows, CapturedRunReadsOutputAndErrorsThroughAPipe) {
  UserTempFolder = scratch.path();
  const u16 cmd = WindowsSystemFolder() + u"\\cmd.exe";  // a console program to start by path
  ASSERT_TRUE(WriteBytes(scratch.wpath() + L"\\in.txt", "alpha\r\nbeta gamma\r\n"));

  ConsoleRun run = Run_Captured(cmd, u"/c TYPE \"" + scratch.path() + u"\\in.txt\"", scratch.path());
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.lines, (std::vector<u16>{u"alpha", u"beta gamma"}));

  // Standard error comes through the same pipe, the exit code as given.
  run = Run_Captured(cmd, u"/c TYPE \"" + scratch.path() + u"\\missing.txt\" & exit 5", scratch.path());
  EXPECT_EQ(run.exitCode, 5);
  EXPECT_FALSE(run.lines.empty()) << "the error text";

  run = Run_Captured(scratch.path() + u"\\no_such_program.exe", u"/x", scratch.path());
  EXPECT_EQ(run.exitCode, -1);
  EXPECT_TRUE(run.lines.empty());
  EXPECT_FALSE(Exists(scratch.wpath() + L"\\ConsoleOutput.txt")) << "no output file at any time";
}

TEST_F(ProcessOnWindows, ElevatedStartWaitsForABatchFile) {
  const std::wstring batch = scratch.wpath() + L"\\job.bat";
  const std::wstring marker = scratch.wpath() + L"\\done.txt";
  ASSERT_TRUE(WriteBytes(batch, "@echo off\r\nfor /l %%i in (1,1,300) do echo %%i>nul\r\necho finished>\"" +
                                    std::string(marker.begin(), marker.end()) + "\"\r\n"));
  Run_Elevated_And_Wait(GetDesktopWindow(), U16(batch), u"", 0);
  EXPECT_EQ(ReadBytes(marker), "finished\r\n") << "the batch file had not ended when the call returned";
}

// Only the document opens: a failed elevated start shows the shell's own error box first (it asks
// for no "no UI" flag), which would wait for a click on a test display.
TEST_F(ProcessOnWindows, FailedStartsRaiseTheWindowsError) {
  struct {
    const char* what;
    std::function<void()> call;
  } cases[] = {
      {"opening a missing document", [&] { Shell_Open(nullptr, scratch.path() + u"\\missing.xyz", u""); }},
      {"opening the device manager (absent under Wine)", [] { Shell_Open(nullptr, u"devmgmt.msc", u""); }},
      {"starting the management console by its full path (Wine has none)", [] {
         SystemFolder = WindowsSystemFolder();
         Open_DeviceManager();
       }},
  };
  for (const auto& c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what << ": no error";
    } catch (const OsError& e) {
      EXPECT_NE(e.Code(), 0u) << c.what;
      EXPECT_NE(e.Code(), kErrorCancelled) << c.what;
      EXPECT_EQ(e.Message(), WindowsSystemErrorText(e.Code())) << c.what;
      EXPECT_FALSE(e.Message().empty()) << c.what;
    }
  }
}

TEST_F(ProcessOnWindows, DeleteFileTakesReadOnlyFiles) {
  const std::wstring ro = scratch.wpath() + L"\\ro.txt";
  ASSERT_TRUE(WriteBytes(ro, "x"));
  ASSERT_TRUE(SetFileAttributesW(ro.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(WindowsFileSystem().Delete(U16(ro))) << "the plain delete refuses a read-only file";
  EXPECT_TRUE(Delete_File(U16(ro)));
  EXPECT_FALSE(Exists(ro));
  EXPECT_FALSE(Delete_File(U16(ro)));
  EXPECT_FALSE(Delete_File(scratch.path())) << "a folder is not a file";
  EXPECT_TRUE(Exists(scratch.wpath()));
}

TEST_F(ProcessOnWindows, ListFilesAppendsFilesButNoFolders) {
  for (const wchar_t* name : {L"a.txt", L"b.TXT", L"c.log"}) WriteBytes(scratch.wpath() + L"\\" + name, "x");
  CreateDirectoryW((scratch.wpath() + L"\\folder.txt").c_str(), nullptr);
  std::vector<u16> files{u"first"};
  const u16 folder = scratch.path() + u"\\";
  List_Files(folder, u"*.txt", files);
  ASSERT_EQ(files.size(), 3u);
  std::sort(files.begin() + 1, files.end());
  EXPECT_EQ(files[1], folder + u"a.txt");
  EXPECT_EQ(files[2], folder + u"b.TXT");
  std::vector<u16> none;
  List_Files(scratch.path() + u"\\nowhere\\", u"*.*", none);
  EXPECT_TRUE(none.empty());
}

TEST_F(ProcessOnWindows, FileSystemReadsWritesAndReportsErrors) {
  FileSystem& fs = WindowsFileSystem();
  const u16 file = scratch.path() + u"\\data.bin";
  std::vector<uint8_t> bytes{0xFF, 0xFE, 0, 'a', 0, '\r', '\n', 0x80};
  EXPECT_EQ(fs.WriteAll(file, bytes), 0u);
  uint32_t error = 0;
  auto read = fs.ReadAll(file, &error);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(*read, bytes);
  EXPECT_EQ(fs.WriteAll(file, {'z'}), 0u);
  EXPECT_EQ(fs.ReadAll(file, &error).value_or(std::vector<uint8_t>{}), std::vector<uint8_t>{'z'}) << "replaced";
  EXPECT_TRUE(fs.FileExists(file));
  EXPECT_FALSE(fs.DirectoryExists(file));
  EXPECT_TRUE(fs.DirectoryExists(scratch.path()));
  EXPECT_FALSE(fs.FileExists(scratch.path()));

  EXPECT_FALSE(fs.ReadAll(scratch.path() + u"\\missing.bin", &error).has_value());
  EXPECT_EQ(error, uint32_t(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(fs.WriteAll(scratch.path() + u"\\no\\such\\folder.bin", bytes), uint32_t(ERROR_PATH_NOT_FOUND));

  ASSERT_TRUE(fs.SetAttributes(file, kFileAttributeReadOnly));
  EXPECT_EQ(fs.GetAttributes(file).value_or(0) & kFileAttributeReadOnly, kFileAttributeReadOnly);
  EXPECT_FALSE(fs.GetAttributes(scratch.path() + u"\\missing.bin").has_value());

  // Text files go through the same calls.
  WriteTextLines(scratch.path() + u"\\t.txt", {u"eins", u"zw\u00F6i"}, TextEncoding::Utf16LE);
  TextLines t = ReadTextLines(scratch.path() + u"\\t.txt");
  EXPECT_EQ(t.encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(t.lines, (std::vector<u16>{u"eins", u"zw\u00F6i"}));
  EXPECT_THROW(ReadTextLines(scratch.path() + u"\\missing.txt"), OsError);
}

TEST_F(ProcessOnWindows, QueriesAnswerWhatWindowsKnows) {
  EXPECT_FALSE(Get_WindowsUserName().empty());
  EXPECT_FALSE(Get_WindowsComputerName().empty());
  wchar_t windows[MAX_PATH] = {};
  GetWindowsDirectoryW(windows, MAX_PATH);
  EXPECT_TRUE(EqualsNoCase(Get_SpecialFolder(nullptr, CSIDL_WINDOWS), U16(windows)));
  EXPECT_EQ(Get_SpecialFolder(nullptr, 0x7F7F), u"") << "an unknown folder number";

  SetLastError(ERROR_FILE_NOT_FOUND);
  u16 text = Get_LastErrorText();
  EXPECT_TRUE(EndsWith(text, u"\r\n")) << "the text comes as Windows gives it";
  EXPECT_TRUE(StartsWith(text, WindowsSystemErrorText(ERROR_FILE_NOT_FOUND)));
  EXPECT_FALSE(EndsWith(WindowsSystemErrorText(ERROR_FILE_NOT_FOUND), u"\n"));

  // Wine may or may not list an explorer.exe in the console session; what it gives must be a SID.
  u16 sid = Get_ConsoleUserSID();
  if (!sid.empty()) {
    EXPECT_TRUE(StartsWith(sid, u"S-1-")) << ToUtf8(sid);
  }
  std::printf("console user SID under this Windows: \"%s\"\n", ToUtf8(sid).c_str());

  Trim_WorkingSet();  // must simply return
}

}  // namespace

// The single-instance mutex and the switching lock: the second creator learns that the first holds
// it, with or without the private namespace (Wine has none, Windows does).
TEST(NamedObjectsWin, SecondCreatorSeesTheFirstOnesMutex) {
  bool existed = true;
  HANDLE first = CreateGuardedMutex(L"VeilcapTestMutex", true, &existed);
  ASSERT_NE(first, nullptr);
  EXPECT_FALSE(existed);
  HANDLE second = CreateGuardedMutex(L"VeilcapTestMutex", false, &existed);
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(existed);
  CloseHandle(second);
  CloseHandle(first);
  RecordProperty("private_namespace", GuardedNamespaceInUse() ? "yes" : "no");
}

// The boundary carries the Administrators group and the high integrity label where the system has
// private namespaces; where it has none (Wine) the plain names are the fallback, and only then.
// A refused namespace never falls back to a name a squatter could hold.
TEST(NamedObjectsWin, PlainNamesOnlyWhereTheSystemHasNoPrivateNamespaces) {
  HANDLE boundary = nullptr;
  const bool labelled = BuildGuardedBoundary(&boundary);
  if (boundary) {
    EXPECT_TRUE(labelled);
    DeleteBoundaryDescriptor(boundary);
    EXPECT_NE(GuardedNamesInUse(), GuardedNames::Plain);
  } else {
    EXPECT_FALSE(labelled);
    EXPECT_EQ(GuardedNamesInUse(), GuardedNames::Plain);
  }
  RecordProperty("boundary_descriptor", boundary ? "labelled" : "none (fallback: plain names)");
  const struct {
    bool boundary;
    DWORD error;
    GuardedNames names;
  } cases[] = {
      {false, 0, GuardedNames::Plain},
      {true, 0, GuardedNames::Private},
      {true, ERROR_CALL_NOT_IMPLEMENTED, GuardedNames::Plain},
      {true, ERROR_ACCESS_DENIED, GuardedNames::None},
      {true, ERROR_ALREADY_EXISTS, GuardedNames::None},
      {true, ERROR_PATH_NOT_FOUND, GuardedNames::None},
  };
  for (const auto& c : cases)
    EXPECT_EQ(ChooseGuardedNames(c.boundary, c.error), c.names) << c.boundary << " " << c.error;
}

namespace {
// A library planted beside the program under a name only the search could find: found while the
// search is the default one, never once it is restricted to the system folder.
TEST(SystemLibrariesWin, OnceRestrictedOnlyTheSystemFolderIsSearched) {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring folder(exe);
  folder.resize(folder.rfind(L'\\'));
  const std::wstring planted = folder + L"\\veilcap_search_probe.dll";
  if (!CopyFileW((folder + L"\\vos_inet2.dll").c_str(), planted.c_str(), FALSE))
    GTEST_SKIP() << "no test library beside the test program to plant";
  HMODULE before = LoadLibraryW(L"veilcap_search_probe.dll");
  EXPECT_NE(before, nullptr) << "the default search takes the program's folder";
  if (before) FreeLibrary(before);

  EXPECT_TRUE(RestrictDllSearchToSystem32());
  HMODULE after = LoadLibraryW(L"veilcap_search_probe.dll");
  EXPECT_EQ(after, nullptr);
  if (after) FreeLibrary(after);

  HMODULE wts = LoadSystemLibrary(L"wtsapi32.dll");
  ASSERT_NE(wts, nullptr);
  wchar_t loaded[MAX_PATH] = {};
  GetModuleFileNameW(wts, loaded, MAX_PATH);
  EXPECT_EQ(AsciiLower(U16(loaded)), AsciiLower(WindowsSystemFolder() + u"\\wtsapi32.dll"));
  FreeLibrary(wts);

  // The rest of this test program keeps the usual search (without the current folder).
  using SetDefault = BOOL(WINAPI*)(DWORD);
  auto setDefault = reinterpret_cast<SetDefault>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (setDefault) setDefault(0x00001000);  // LOAD_LIBRARY_SEARCH_DEFAULT_DIRS
  DeleteFileW(planted.c_str());
}
}  // namespace

// The unelevated route for web pages: the desktop shell of the session runs what it is handed.
// A batch file stands in for the page, so the test sees whether anything ran.
TEST(DesktopShellWin, RunsWhatItIsHandedOrSaysWhyNot) {
  InstallProviders();
  ScratchFolder scratch{L"desktopshell"};
  const std::wstring batch = scratch.wpath() + L"\\page.bat";
  const std::wstring marker = scratch.wpath() + L"\\opened.txt";
  ASSERT_TRUE(WriteBytes(batch, "@echo opened>\"" + std::string(marker.begin(), marker.end()) + "\"\r\n"));
  const uint32_t error = Processes().OpenInDesktopShell(U16(batch));
  bool ran = false;
  for (int i = 0; i < 100 && !(ran = Exists(marker)); ++i) Sleep(100);
  std::printf("desktop shell: error 0x%08X, ran %d\n", unsigned(error), int(ran));
  EXPECT_EQ(ran, error == 0);
}

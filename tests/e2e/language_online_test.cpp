// Veilcap.exe driven from outside: switching the language from the tray menu, the "-SAVE" export,
// the about dialog, and the online-services library (our recording stand-in vos_inet2.dll copied
// beside a scratch copy of the program). Screenshots land in the screenshot folder.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/lib/e2e.h"
#include "e2e/lib/ui_probe.h"

namespace {
constexpr wchar_t kLanguageKey[] = L"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";  // HKCU
constexpr wchar_t kForced[] = L"ForceLanguage_LCID";
constexpr wchar_t kAboutClass[] = L"TForm_About";
constexpr int kAboutVersionId = 201;
constexpr wchar_t kScratch[] = L"C:\\veilcap-e2e-lang-online";

std::wstring ReadString(HKEY root, const wchar_t* key, const wchar_t* name) {
  wchar_t buffer[256] = {};
  DWORD size = sizeof(buffer);
  if (RegGetValueW(root, key, name, RRF_RT_REG_SZ | RRF_SUBKEY_WOW6464KEY, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"(none)";
  return buffer;
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateDirectoryW(to.c_str(), nullptr);
  WIN32_FIND_DATAW f;
  HANDLE h = FindFirstFileW((from + L"\\*").c_str(), &f);
  if (h == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = f.cFileName;
    if (name == L"." || name == L"..") continue;
    if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      CopyTree(from + L"\\" + name, to + L"\\" + name);
    else
      CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE);
  } while (FindNextFileW(h, &f));
  FindClose(h);
}

void RemoveTree(const std::wstring& dir) {
  WIN32_FIND_DATAW f;
  HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &f);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = f.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring p = dir + L"\\" + name;
      if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(p);
      } else {
        SetFileAttributesW(p.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(p.c_str());
      }
    } while (FindNextFileW(h, &f));
    FindClose(h);
  }
  RemoveDirectoryW(dir.c_str());
}

std::string FileBytes(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> FileLines(const std::wstring& path) {
  std::vector<std::string> lines;
  std::istringstream in(FileBytes(path));
  std::string l;
  while (std::getline(in, l)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

int CountLines(const std::vector<std::string>& lines, const std::string& prefix) {
  int n = 0;
  for (const auto& l : lines)
    if (l.rfind(prefix, 0) == 0) ++n;
  return n;
}

// The pixels of a rectangle of the screen, to see whether something was drawn there.
std::vector<COLORREF> Pixels(const RECT& r) {
  std::vector<COLORREF> px;
  HDC screen = GetDC(nullptr);
  for (int y = r.top; y < r.bottom; y += 2)
    for (int x = r.left; x < r.right; x += 2) px.push_back(GetPixel(screen, x, y));
  ReleaseDC(nullptr, screen);
  return px;
}

class LanguageOnlineE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(StageFolder().empty()) << "VEILCAP_STAGE is not set";
    RemoveTree(kScratch);
    CreateDirectoryW(kScratch, nullptr);
    for (const wchar_t* v : {L"VEILCAP_VINET_LOG", L"VEILCAP_VINET_CHECK", L"VEILCAP_VINET_ITEMS", L"VEILCAP_VINET_PROCESS"})
      SetEnvironmentVariableW(v, nullptr);
  }
  void TearDown() override {
    for (Program* p : {&program, &second}) {
      if (p->Running()) {
        if (HWND w = FindTopWindow(kVeilcapWindowClass, p->Pid())) PostMessageW(w, WM_CLOSE, 0, 0);
        EXPECT_EQ(p->WaitExit(10000), 0);
      }
    }
    DeleteValue(HKEY_CURRENT_USER, kLanguageKey, kForced);
    RemoveTree(kScratch);
  }
  // A copy of the staged program in the scratch folder, with our library beside it if asked.
  std::wstring CopyProgram(const std::wstring& name, bool withLibrary) {
    const std::wstring dir = std::wstring(kScratch) + L"\\" + name;
    CopyTree(StageFolder(), dir);
    if (withLibrary) {
      EXPECT_TRUE(CopyFileW((TestFolder() + L"\\vos_inet2.dll").c_str(), (dir + L"\\vos_inet2.dll").c_str(), FALSE))
          << "vos_inet2.dll is not built beside the tests";
    }
    return dir;
  }
  void UseLibraryLog(const std::wstring& path) {
    DeleteFileW(path.c_str());
    SetEnvironmentVariableW(L"VEILCAP_VINET_LOG", path.c_str());
  }
  HWND StartAndWait(Program& p, const std::wstring& exe, const std::wstring& args) {
    HWND w = nullptr;
    EXPECT_TRUE(p.Start(exe, args));
    EXPECT_TRUE(WaitFor([&] { return (w = FindTopWindow(kVeilcapWindowClass, p.Pid())) != nullptr; }, 20000));
    return w;
  }
  bool StatusIs(HWND w, const std::wstring& text) {
    return WaitFor([&] { return ChildText(w, kLabelStatusCamId) == text; }, 20000);
  }
  HWND OpenTrayMenu(HWND w, DWORD pid) {
    TrayClick(w, WM_CONTEXTMENU);
    HWND menu = nullptr;
    WaitFor([&] { return (menu = OpenMenu(pid)) != nullptr; }, 5000);
    Sleep(200);
    return menu;
  }
  static HWND OtherMenu(HWND menu) {
    HWND sub = nullptr;
    WaitFor([&] {
      HWND w = nullptr;
      while ((w = FindWindowExW(nullptr, w, L"#32768", nullptr)) != nullptr)
        if (w != menu && IsWindowVisible(w)) sub = w;
      return sub != nullptr;
    }, 3000);
    return sub;
  }
  static RECT Around(HWND w, int margin) {
    RECT r{};
    GetWindowRect(w, &r);
    InflateRect(&r, margin, margin);
    return r;
  }

  Program program, second;
};

TEST_F(LanguageOnlineE2E, GermanToEnglishFromTheTrayMenuAtOnceAndAtTheNextStart) {
  WriteString(HKEY_CURRENT_USER, kLanguageKey, kForced, L"de-de");
  HWND main = StartAndWait(program, VeilcapExe(), L"-tray");  // the staged program: no library beside it
  ASSERT_TRUE(StatusIs(main, L"Keine Webcam angeschlossen"));
  ASSERT_TRUE(WaitFor([&] { return TrayIconExists(main); }, 10000));

  // The detected-devices window is open while the language changes (the tray menu still works).
  HWND menu = OpenTrayMenu(main, program.Pid());
  ASSERT_NE(menu, nullptr) << "the tray menu did not open";
  MenuKey(menu, VK_DOWN);
  MenuKey(menu, VK_DOWN);  // "Entdeckte Geräte"
  MenuKey(menu, VK_RETURN);
  HWND devices = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    return (devices = FindTopWindow(L"TForm_VCP_Devices", program.Pid())) != nullptr && IsWindowVisible(devices);
  }, 5000)) << "the devices window did not open";
  wchar_t title[64] = {};
  GetWindowTextW(devices, title, 64);
  EXPECT_STREQ(title, L"Entdeckte Ger\u00e4te");

  menu = OpenTrayMenu(main, program.Pid());
  ASSERT_NE(menu, nullptr) << "the tray menu did not open";
  for (int i = 0; i < 7; ++i) MenuKey(menu, VK_DOWN);  // "Sprache"
  MenuKey(menu, VK_RIGHT);                             // its first language: Czech
  HWND languages = OtherMenu(menu);
  ASSERT_NE(languages, nullptr) << "the language submenu did not open";
  MenuKey(languages, VK_DOWN);  // German
  MenuKey(languages, VK_DOWN);  // English
  Sleep(300);
  RECT both = Around(menu, 4);
  RECT sub = Around(languages, 4);
  UnionRect(&both, &both, &sub);
  EXPECT_FALSE(SaveScreenshot(L"language_submenu_flags.png", both).empty());
  MenuKey(languages, VK_RETURN);

  // At once: the status text comes from the English messages, the choice is stored, and the open
  // devices window has its English title and column headers (look at the picture).
  EXPECT_TRUE(StatusIs(main, L"No webcam connected"));
  EXPECT_EQ(ReadString(HKEY_CURRENT_USER, kLanguageKey, kForced), L"en-us");
  EXPECT_TRUE(IsWindowVisible(devices));
  GetWindowTextW(devices, title, 64);
  EXPECT_STREQ(title, L"Detected devices");
  Sleep(300);
  EXPECT_FALSE(SaveScreenshot(L"devices_window_after_switch.png", Around(devices, 4)).empty());
  PostMessageW(devices, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(devices) && IsWindowEnabled(main); }, 5000));

  // The tray menu reads English now (look at the picture).
  menu = OpenTrayMenu(main, program.Pid());
  ASSERT_NE(menu, nullptr);
  EXPECT_FALSE(SaveScreenshot(L"tray_menu_after_switch.png", Around(menu, 4)).empty());
  // The detected-devices window, created in German at start, reads English too.
  MenuKey(menu, VK_DOWN);
  MenuKey(menu, VK_DOWN);  // "Detected devices"
  MenuKey(menu, VK_RETURN);
  ASSERT_TRUE(WaitFor([&] {
    return (devices = FindTopWindow(L"TForm_VCP_Devices", program.Pid())) != nullptr && IsWindowVisible(devices);
  }, 5000)) << "the devices window did not open";
  GetWindowTextW(devices, title, 64);
  EXPECT_STREQ(title, L"Detected devices");
  PostMessageW(devices, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(devices); }, 5000));

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(program.WaitExit(10000), 0);
  main = StartAndWait(second, VeilcapExe(), L"-tray");
  EXPECT_TRUE(StatusIs(main, L"No webcam connected")) << "the restart did not start in English";
}

TEST_F(LanguageOnlineE2E, SaveExportsBothWindowsConfirmsAndShutsTheLibraryDownOnce) {
  const std::wstring expected = EnvPath(L"VEILCAP_E2E_EXPECTED");
  ASSERT_FALSE(expected.empty()) << "VEILCAP_E2E_EXPECTED is not set";
  const std::wstring dir = CopyProgram(L"save", true);
  // A German file with a changed text and an index that records a width already.
  for (const wchar_t* f : {L"de-de.tlang3", L"index.txt"})
    ASSERT_TRUE(CopyFileW((expected + L"\\input\\" + f).c_str(), (dir + L"\\translation\\" + f).c_str(), FALSE));
  UseLibraryLog(dir + L"\\vinet.log");
  ASSERT_TRUE(program.Start(dir + L"\\Veilcap.exe", L"-save"));

  HWND box = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (box = FindTopWindow(L"#32770", program.Pid())) != nullptr && IsWindowVisible(box); }, 20000))
      << "no confirmation";
  wchar_t text[256] = {}, caption[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  GetWindowTextW(box, caption, 256);
  EXPECT_STREQ(text, L"Translation saved...");
  EXPECT_STREQ(caption, L"Vostrel Veilcap");
  Sleep(300);
  SaveScreenshot(L"save_confirmation.png", Around(box, 4));
  // The windows lent their texts but never showed; no tray icon, no search, no online start.
  HWND main = FindTopWindow(kVeilcapWindowClass, program.Pid());
  ASSERT_NE(main, nullptr);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_FALSE(TrayIconExists(main));
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(program.WaitExit(10000), 0);

  for (const wchar_t* f : {L"de-de.tlang3", L"index.txt"}) {
    const std::string want = FileBytes(expected + L"\\" + f);
    ASSERT_FALSE(want.empty()) << "no reference file";
    EXPECT_TRUE(FileBytes(dir + L"\\translation\\" + f) == want) << "translation\\" << std::string(f, f + wcslen(f));
  }
  EXPECT_EQ(FileLines(dir + L"\\vinet.log"), (std::vector<std::string>{"vinet_Shutdown\tdesktop", "vinet_Destroy"}));
}

TEST_F(LanguageOnlineE2E, AboutDialogFromTheHelpMenuShowsTheVersionAndOpensThePages) {
  WriteString(HKEY_CURRENT_USER, kLanguageKey, kForced, L"de-de");
  const std::wstring dir = CopyProgram(L"about", true);
  UseLibraryLog(dir + L"\\vinet.log");
  HWND main = StartAndWait(program, dir + L"\\Veilcap.exe", L"");
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 10000));

  ClickClient(main, 390 + 16, 4 + 16);  // help button
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (menu = OpenMenu(program.Pid())) != nullptr; }, 5000)) << "no help menu";
  MenuKey(menu, VK_DOWN);
  MenuKey(menu, VK_DOWN);  // "Über diese Software"
  MenuKey(menu, VK_RETURN);

  HWND about = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (about = FindTopWindow(kAboutClass, program.Pid())) != nullptr && IsWindowVisible(about); }, 5000));
  wchar_t caption[64] = {}, version[64] = {};
  GetWindowTextW(about, caption, 64);
  GetDlgItemTextW(about, kAboutVersionId, version, 64);
  EXPECT_STREQ(caption, L"About this Software");
  EXPECT_STREQ(version, L"Version: 01.00.30");
  RECT client{};
  GetClientRect(about, &client);
  EXPECT_EQ(client.right, 417);
  EXPECT_EQ(client.bottom, 372);
  EXPECT_TRUE(GetWindowLongPtrW(about, GWL_EXSTYLE) & WS_EX_TOPMOST);
  EXPECT_FALSE(IsWindowEnabled(main)) << "the dialog is modal";
  RECT r = Around(about, 0);
  EXPECT_NEAR((r.left + r.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 2);

  // Hover the privacy link for the picture, then click both links.
  PostMessageW(about, WM_MOUSEMOVE, 0, MAKELPARAM(40, 342));
  Sleep(400);
  EXPECT_FALSE(SaveScreenshot(L"about_dialog.png", Around(about, 4)).empty());
  for (LPARAM at : {MAKELPARAM(28, 320), MAKELPARAM(40, 342)}) {
    PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(about, WM_LBUTTONUP, 0, at);
  }
  PostMessageW(about, WM_COMMAND, IDOK, 0);
  EXPECT_TRUE(WaitFor([&] { return FindTopWindow(kAboutClass, program.Pid()) == nullptr; }, 5000))
      << "the dialog was not freed when it closed";
  EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }, 2000));

  const auto log = FileLines(dir + L"\\vinet.log");
  std::vector<std::string> links;
  for (const auto& l : log)
    if (l.rfind("vinet_OpenLinkTargetInBrowser", 0) == 0) links.push_back(l);
  EXPECT_EQ(links, (std::vector<std::string>{"vinet_OpenLinkTargetInBrowser\teula\t00100\t01.00.30\t0\tde-de\t",
                                             "vinet_OpenLinkTargetInBrowser\tprivacypolicy\t00100\t01.00.30\t0\tde-de\t"}));
}

TEST_F(LanguageOnlineE2E, OnlineButtonsAppearAfterAboutThreeSecondsAndTheLibraryStopsOnce) {
  const std::wstring dir = CopyProgram(L"online", true);
  UseLibraryLog(dir + L"\\vinet.log");
  SetEnvironmentVariableW(L"VEILCAP_VINET_ITEMS", L"12:Neuigkeiten:i;0:;13:Angebot");
  const DWORD started = GetTickCount();
  HWND main = StartAndWait(program, dir + L"\\Veilcap.exe", L"");
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 10000));
  Sleep(500);
  RECT w{};
  GetWindowRect(main, &w);
  const RECT buttons{w.left + 276, w.top + 4, w.left + 346, w.top + 36};  // message and feedback buttons
  const auto before = Pixels(buttons);
  ClickClient(main, 314 + 16, 20);  // feedback before the start: nothing happens
  Sleep(300);
  EXPECT_EQ(CountLines(FileLines(dir + L"\\vinet.log"), "vinet_OpenLinkTargetInBrowser"), 0);

  ASSERT_TRUE(WaitFor([&] { return CountLines(FileLines(dir + L"\\vinet.log"), "vinet_GetMenuItemsImage") == 3; }, 15000))
      << "the library was not started";
  const DWORD elapsed = GetTickCount() - started;
  EXPECT_GE(elapsed, 2500u);
  EXPECT_LE(elapsed, 9000u);
  Sleep(500);
  EXPECT_NE(Pixels(buttons), before) << "the feedback and message buttons did not appear";
  SaveScreenshot(L"online_buttons.png", RECT{w.left, w.top, w.right, w.top + 70});

  ClickClient(main, 314 + 16, 20);  // feedback
  ClickClient(main, 276 + 16, 20);  // message menu
  HWND menu = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (menu = OpenMenu(program.Pid())) != nullptr; }, 5000)) << "no message menu";
  Sleep(200);
  SaveScreenshot(L"message_menu.png", Around(menu, 4));
  MenuKey(menu, VK_DOWN);
  MenuKey(menu, VK_RETURN);  // "Neuigkeiten", item number 12
  Sleep(500);

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_EQ(program.WaitExit(10000), 0);
  const auto log = FileLines(dir + L"\\vinet.log");
  const std::vector<std::string> start(log.begin(), log.begin() + std::min<size_t>(log.size(), 11));
  EXPECT_EQ(start, (std::vector<std::string>{
                       "vinet_Init\t3", "vinet_SetBaseFolder\t" + std::string(dir.begin(), dir.end()) + "\\",
                       "vinet_SetProductID\t00100", "vinet_SetProductVersion\t01.00.30",
                       "vinet_SetProductName\tVostrel Veilcap", "vinet_SetProductLang\ten-us",
                       "vinet_SetRegistryKey\t80000002\tSOFTWARE\\Vostrel\\Vostrel Veilcap\\vos_inet",
                       "vinet_SetUserRegistryKey\t80000002\tSOFTWARE\\Vostrel\\Vostrel Veilcap\\vos_inet",
                       "vinet_SetSystemRegistryKey\t80000002\tSOFTWARE\\Vostrel\\Vostrel Veilcap\\vos_inet",
                       "vinet_InitAnalyticsManager", "vinet_StartAllChecks\tdesktop"}));
  EXPECT_EQ(CountLines(log, "vinet_OpenLinkTargetInBrowser\tfeedback\t00100\t01.00.30\t0\ten-us\t"), 1);
  EXPECT_EQ(CountLines(log, "vinet_ProcessMenuItem\twindow\t12"), 1);
  EXPECT_EQ(CountLines(log, "vinet_Shutdown\tdesktop"), 1);
  EXPECT_EQ(CountLines(log, "vinet_Destroy"), 1);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log[log.size() - 2], "vinet_Shutdown\tdesktop");
  EXPECT_EQ(log.back(), "vinet_Destroy");
}

TEST_F(LanguageOnlineE2E, CheckResultSevenEndsTheProgram) {
  const std::wstring dir = CopyProgram(L"check7", true);
  UseLibraryLog(dir + L"\\vinet.log");
  SetEnvironmentVariableW(L"VEILCAP_VINET_CHECK", L"7");
  ASSERT_TRUE(program.Start(dir + L"\\Veilcap.exe", L"-tray"));
  EXPECT_EQ(program.WaitExit(20000), 0) << "the program did not end by itself";
  const auto log = FileLines(dir + L"\\vinet.log");
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], "vinet_StartAllChecks\tdesktop");
  EXPECT_EQ(log[log.size() - 2], "vinet_Shutdown\tdesktop");
  EXPECT_EQ(log.back(), "vinet_Destroy");
  EXPECT_EQ(CountLines(log, "vinet_GetMenuItems"), 0) << "the library was used after its shutdown";
}

TEST_F(LanguageOnlineE2E, RefusedSecondInstanceShutsTheLibraryDownWithoutStartingIt) {
  const std::wstring dir = CopyProgram(L"second", true);
  UseLibraryLog(dir + L"\\first.log");
  StartAndWait(program, dir + L"\\Veilcap.exe", L"-tray");
  UseLibraryLog(dir + L"\\second.log");
  ASSERT_TRUE(second.Start(dir + L"\\Veilcap.exe", L"-tray"));
  EXPECT_EQ(second.WaitExit(10000), 0);
  EXPECT_EQ(FileLines(dir + L"\\second.log"), (std::vector<std::string>{"vinet_Shutdown\tdesktop", "vinet_Destroy"}));
}
}  // namespace

namespace {
TEST_F(LanguageOnlineE2E, TaskModesShowNoWindowAndAMissingTemplateIsReportedNotSwallowed) {
  const std::wstring dir = CopyProgram(L"task", true);
  UseLibraryLog(dir + L"\\vinet.log");
  ASSERT_TRUE(program.Start(dir + L"\\Veilcap.exe", L"-DeleteTask"));
  EXPECT_EQ(program.WaitExit(20000), 0);
  EXPECT_EQ(FileLines(dir + L"\\vinet.log"), (std::vector<std::string>{"vinet_Shutdown\tdesktop", "vinet_Destroy"}));

  // Wine reports every folder as the user's own: the task is refused before anything is read. The
  // setup starts this mode, silently too: the refusal is text and an exit code, never a box.
  for (bool withTemplate : {true, false}) {
    if (!withTemplate) {
      ASSERT_TRUE(DeleteFileW((dir + L"\\TASK.xml").c_str()));
    }
    UseLibraryLog(dir + L"\\create.log");
    const std::wstring out = dir + L"\\create.txt";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE file = CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    Program run;
    const bool started = run.Start(dir + L"\\Veilcap.exe", L"-createtask", file);
    CloseHandle(file);
    ASSERT_TRUE(started);
    bool boxSeen = false;
    EXPECT_EQ(WaitFor([&] {
                boxSeen = boxSeen || FindTopWindow(L"#32770", run.Pid()) != nullptr;
                return !run.Running();
              }, 20000), true);
    EXPECT_FALSE(boxSeen) << "a box in a mode the setup starts";
    EXPECT_EQ(FindTopWindow(kVeilcapWindowClass, run.Pid()), nullptr);
    EXPECT_EQ(run.WaitExit(10000), 1) << "a failed run does not end as a success";
    const std::string text = FileBytes(out);
    EXPECT_NE(text.find("Program Files"), std::string::npos) << "the refusal names the place: " << text;
    EXPECT_EQ(FileLines(dir + L"\\create.log"), (std::vector<std::string>{"vinet_Shutdown\tdesktop", "vinet_Destroy"}));
  }
}
}  // namespace

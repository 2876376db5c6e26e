// The export of the built-in texts of the program's two real windows, as the "-SAVE" run does it:
// every tagged text of the main window and the devices window, nothing of what the windows add at
// run time (language items, message items).
#include <gtest/gtest.h>

#include <algorithm>

#include "core/textfile.h"
#include "fakes/cp1252.h"
#include "fakes/fake_locale.h"
#include "fakes/fake_online_library.h"
#include "fakes/memory_fs.h"
#include "lang/languages.h"
#include "lang/messages.h"
#include "lang/tlang.h"
#include "lang/translate.h"
#include "online/online.h"
#include "platform/environment.h"
#include "ui/devices_window.h"
#include "ui/language_menu.h"
#include "ui/main_window.h"
#include "ui/message_menu.h"

namespace {
const u16 kApp = u"C:\\Veilcap";
const u16 kFolder = kApp + u"\\translation";

// The main window without a screen: the export only reads its components.
class NoScreen final : public MainWindowHost {
 public:
  OwnerWindow Handle() override { return nullptr; }
  TSize ScreenSize() override { return {1920, 1080}; }
  TPoint WindowPosition() override { return {}; }
  void ShowAt(int, int) override {}
  void Hide() override {}
  void AddTrayIcon(TrayIconKind, const u16&) override {}
  void UpdateTrayIcon(TrayIconKind, const u16&) override {}
  void RemoveTrayIcon() override {}
  void ShowNotice(const u16&, const u16&) override {}
  TMenuItem* PopupMenu(TPopupMenu&, int, int) override { return nullptr; }
  void WarningBox(const u16&) override {}
  void ErrorBox(const u16&) override {}
  bool ConfirmBox(const u16&, const u16&) override { return false; }
  void Sleep(uint32_t) override {}
  void ProcessMessages() override {}
  void BeginWindowDrag() override {}
  void Close() override {}
};

std::vector<std::string> FileLines(const u16& path) {
  std::vector<std::string> r;
  for (const u16& l : ReadTextLines(path).lines) r.push_back(ToUtf8(l));
  return r;
}

class ExportWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved = AppFolder;
    AppFolder = kApp;
    Lang.reset();
    Online_Started = Online_Starting = Online_Stopped = false;
  }
  void TearDown() override {
    AppFolder = saved;
    Lang.reset();
    TranslationFiles_LCID.clear();
    TranslationFiles_Name.clear();
    TranslationFiles_Code.clear();
  }
  void ExportBoth(TForm_Veilcap& main) {
    SAVE_TRANSLATION_FROM_FORM(kFolder, u"de-de", main, u"01.00.30");
    TForm_VCP_Devices devices;
    SAVE_TRANSLATION_FROM_FORM(kFolder, u"de-de", devices, u"01.00.30");
  }
  ScopedMemoryFs mem;
  ScopedCp1252 cp;
  NoScreen screen;
  u16 saved;
};

TEST_F(ExportWindowsTest, EmptyFilesReceiveEveryBuiltInTextOfBothWindowsInOrder) {
  mem.fs.AddDirectory(kFolder);
  TForm_Veilcap main(screen, {u"-SAVE"});
  ExportBoth(main);

  const std::vector<std::string> texts = {
      "Form_Veilcap.Label_RebootNeed_Cam=Neustart n\xc3\xb6tig",
      "Form_Veilcap.Label_RebootNeed_Mic=Neustart n\xc3\xb6tig",
      "Form_Veilcap.Tray_Show=Anzeigen",
      "Form_Veilcap.Tray_ShowDevices=Entdeckte Ger\xc3\xa4te",
      "Form_Veilcap.Tray_RefreshDevices=Ger\xc3\xa4te jetzt neu einlesen",
      "Form_Veilcap.Tray_DeviceManager=Ger\xc3\xa4temanager \xc3\xb6""ffnen",
      "Form_Veilcap.Tray_Options=Optionen",
      "Form_Veilcap.Tray_NoPhysicalCameraLED=Windows 10 soll einen Hinweis zeigen sobald Webcam aktiv/inaktiv ist",
      "Form_Veilcap.Tray_Privacy_webcam=Datenschutz-Einstellungen f\xc3\xbcr Webcam (Windows)",
      "Form_Veilcap.Tray_Privacy_Mic=Datenschutz-Einstellungen f\xc3\xbcr Mikrofon (Windows)",
      "Form_Veilcap.Tray_Option_Privacy_Cam=Change Webcam privacy settings (recommended)",
      "Form_Veilcap.Tray_Option_Privacy_Mic=Change Microphone privacy settings (recommended)",
      "Form_Veilcap.Tray_Option_ShowNotices=Hinweise anzeigen",
      "Form_Veilcap.Tray_Option_KeepBlocked=Blockiert halten",
      "Form_Veilcap.Tray_Option_Hotkeys=Tastenkombinationen",
      "Form_Veilcap.Tray_Option_BlockWhileLocked=Bei Sperre blockieren",
      "Form_Veilcap.Tray_Flag_StartWithWindows=Beim Windows-Start ausf\xc3\xbchren",
      "Form_Veilcap.Tray_Lang=Sprache",
      "Form_Veilcap.Tray_PolicyManaged=Einige Einstellungen werden von Ihrer Organisation verwaltet",
      "Form_Veilcap.Tray_Quit=Beenden",
      "Form_Veilcap.MenuItem_help_Help=Hilfe",
      "Form_Veilcap.MenuItem_help_About=\xc3\x9c""ber diese Software",
      "Form_VCP_Devices.Form_VCP_Devices=Entdeckte Ger\xc3\xa4te",
      "Form_VCP_Devices.VirtualDrawTree_Devices=Ger\xc3\xa4t%CRLFStatus",
  };
  // The messages added after the first thirteen go out once, with the first window, so that a
  // translator sees every key to fill; the index does not list messages.
  std::vector<std::string> withMessages = texts;
  auto at = std::find_if(withMessages.begin(), withMessages.end(),
                         [](const std::string& l) { return l.rfind("Form_VCP_Devices.", 0) == 0; });
  for (size_t i = kOriginalMessageCount; i < MessageTable().size(); ++i)
    at = withMessages.insert(at, ToUtf8(u"MESSAGES." + u16(MessageTable()[i].key) + u"=" +
                                        EscapeLineBreaks(MessageTable()[i].builtInText))) + 1;
  EXPECT_EQ(FileLines(kFolder + u"\\de-de.tlang3"), withMessages);

  // The labels are not sized by their text, so their width is recorded; menu items have none.
  std::vector<std::string> index;
  for (const std::string& t : texts) {
    const std::string key = t.substr(0, t.find('='));
    index.push_back(key + "=TEXT," + (key.find("Label_RebootNeed") != std::string::npos ? "168" : "0") + ",01.00.30");
  }
  EXPECT_EQ(FileLines(kFolder + u"\\index.txt"), index);
}

TEST_F(ExportWindowsTest, ItemsAddedAtRunTimeNeverReachTheFiles) {
  FakeLocale locale;
  locale.AddCommonLocales();
  FakeOnlineLibrary lib;
  lib.items = {{12, u"Neuigkeiten", 0}};
  TranslationFiles_LCID = {u"1031", u"1033"};
  TranslationFiles_Name = {u"de-de", u"en-us"};
  TranslationFiles_Code = {u"de-de", u"en-us"};
  mem.fs.AddDirectory(kFolder);

  TForm_Veilcap main(screen, {});
  TImageList flags(16, 16), icons(16, 16);
  Build_LanguageMenu(*main.Tray_Lang, flags, [](TMenuItem&) {});
  Build_MessageMenu(*main.AdvPopupMenu_IM, icons, {}, [](TMenuItem&) {});
  ASSERT_EQ(main.Tray_Lang->Items().size(), 2u);
  ASSERT_EQ(main.AdvPopupMenu_IM->Items().size(), 1u);
  ExportBoth(main);

  for (const std::string& line : FileLines(kFolder + u"\\de-de.tlang3")) {
    EXPECT_EQ(line.find("Deutsch"), std::string::npos) << line;
    EXPECT_EQ(line.find("Neuigkeiten"), std::string::npos) << line;
    EXPECT_EQ(line.find("=dummy"), std::string::npos) << line;
  }
  EXPECT_EQ(FileLines(kFolder + u"\\de-de.tlang3").size(), 24u + MessageTable().size() - kOriginalMessageCount);
}
}  // namespace

#include "ui/language_menu.h"

#include <algorithm>

#include "core/debug.h"
#include "core/errors.h"
#include "core/fs.h"
#include "lang/languages.h"
#include "lang/translate.h"
#include "platform/environment.h"
#include "platform/process.h"
#include "ui/devices_window.h"

u16 Find_FlagFile(const u16& folder, const u16& code) {
  const size_t dash = code.find(u'-');
  const u16 lang = dash == u16::npos ? code : code.substr(0, dash);
  const u16 exact = folder + code + u".bmp";
  if (Fs().FileExists(exact)) return exact;
  const u16 doubled = folder + lang + u"-" + lang + u".bmp";
  if (Fs().FileExists(doubled)) return doubled;
  std::vector<u16> found;
  List_Files(folder, lang + u"-*.bmp", found);
  if (!found.empty() && Fs().FileExists(found.front())) return found.front();
  return {};
}

void Build_LanguageMenu(TMenuItem& parent, TImageList& images, const std::function<void(TMenuItem&)>& click) {
  const size_t count = std::min({TranslationFiles_LCID.size(), TranslationFiles_Name.size(), TranslationFiles_Code.size()});
  if (count == 0) return;
  parent.HelpContext = 0;
  parent.SubImages = &images;
  parent.OnClick = [&parent, click] { click(parent); };
  const u16 flags = AppFolder + u"\\Flags\\";
  for (size_t i = 0; i < count; ++i) {
    const int32_t lcid = ParseInt32Or(TranslationFiles_LCID[i], 0);
    TMenuItem& item = parent.AddItem(u"", 0, Get_LanguageDisplayName(uint32_t(lcid)));
    item.HelpContext = int32_t(i + 1);
    item.OnClick = [&item, click] { click(item); };
    const u16 flag = Find_FlagFile(flags, TranslationFiles_Code[i]);
    if (flag.empty()) continue;
    TPicture picture;
    try {
      picture.LoadFromFile(flag);
    } catch (const OsError& e) {
      // A flag that cannot be read only leaves its item without a picture.
      DebugOut(u"Flag picture not loaded: " + flag + u" (" + e.Message() + u")");
      continue;
    }
    item.ImageIndex = images.AddMasked(picture, kFlagMaskColor);
  }
}

void Tray_LangClick(TMenuItem& item, const LanguageMenuTargets& targets) {
  const int32_t n = item.HelpContext;
  if (n <= 0 || size_t(n) > TranslationFiles_Name.size() || size_t(n) > TranslationFiles_LCID.size()) return;
  const u16 base = TranslationFiles_Name[size_t(n - 1)];
  Save_ForcedLanguage(base);
  const int32_t lcid = ParseInt32Or(TranslationFiles_LCID[size_t(n - 1)], 0);
  CurrentLanguage_LCID = lcid;
  CurrentLanguage = base;
  DebugOut(u"New language=" + base + u" ; LangID=" + ToDec(lcid));

  Lang.reset();
  MessagesLoaded = false;
  const u16 folder = AppFolder + u"\\translation";
  LOAD_INTERNAL_ONLY(folder, CurrentLanguage);
  if (targets.mainWindow) LOAD_TRANSLATION_TO_FORM(folder, CurrentLanguage, *targets.mainWindow);
  if (Form_VCP_Devices) {
    LOAD_TRANSLATION_TO_FORM(folder, CurrentLanguage, *Form_VCP_Devices);
    // The devices window may be open (the tray menu works while it is): it shows the new texts now.
    if (Form_VCP_Devices->OnTextsChanged) Form_VCP_Devices->OnTextsChanged();
  }
  if (targets.textsChanged) targets.textsChanged();
  if (targets.repaintStatus) targets.repaintStatus();
}

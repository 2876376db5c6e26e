#include "ui/message_menu.h"

#include "online/online.h"
#include "platform/runmode.h"

void Build_MessageMenu(TPopupMenu& menu, TImageList& images, const std::vector<u16>& args,
                       const std::function<void(TMenuItem&)>& click) {
  if (SelectRunMode(args) == RunMode::SaveTranslation) return;
  menu.Components.clear();
  images.Clear();
  menu.SubImages = &images;
  for (const MessageMenuEntry& e : Online_MessageMenuEntries()) {
    TMenuItem& item = menu.AddItem(u"", 0, e.separator ? u"-" : e.caption);
    item.HelpContext = e.number;
    if (e.icon) item.ImageIndex = images.AddIcon(e.icon);
    item.OnClick = [&item, click] { click(item); };
  }
}

void MenuItem_IM_DummyClick(TMenuItem& item, OwnerWindow mainWindow, const std::function<void()>& hideMainWindow) {
  if (Online_ProcessMenuItem(mainWindow, item.HelpContext) && hideMainWindow) hideMainWindow();
}

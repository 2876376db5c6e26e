// The message menu of the main window: the items the online services offer, with their icons.
#pragma once
#include <functional>
#include <vector>

#include "platform/process.h"
#include "ui/controls.h"

// Empties menu and images, then adds the library's items in index order: caption (a separator
// where the library gives no text), the library's item number as help-context number, and the
// item's icon when it has a valid one. Does nothing in the export run (first argument "-SAVE").
void Build_MessageMenu(TPopupMenu& menu, TImageList& images, const std::vector<u16>& args,
                       const std::function<void(TMenuItem&)>& click);

// A click on a message item: the library handles the item's number; when it answers that the
// window should go, hideMainWindow runs.
void MenuItem_IM_DummyClick(TMenuItem& item, OwnerWindow mainWindow, const std::function<void()>& hideMainWindow);

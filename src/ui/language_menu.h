// The language submenu of the tray menu: one item per translation file found at start, with the
// language's name and, where a flag bitmap is found, its flag; choosing one switches the program's
// language at once and for the next start.
#pragma once
#include <functional>

#include "ui/controls.h"

// Flag bitmaps are 16 x 16; pure white is transparent.
inline constexpr uint32_t kFlagMaskColor = 0xFFFFFF;

// The flag bitmap for a language code ("en-us") in folder (ends with a backslash), first match:
// <code>.bmp; <lang>-<lang>.bmp; the first <lang>-*.bmp the folder lists. Empty when none.
u16 Find_FlagFile(const u16& folder, const u16& code);

// Appends one item per entry of the translation file lists to parent: caption the language's
// display name, help-context number position + 1, tag 0, its flag (if any) added to images. Each
// item and parent itself get click as their click handler. Nothing happens for empty lists.
void Build_LanguageMenu(TMenuItem& parent, TImageList& images, const std::function<void(TMenuItem&)>& click);

// What a language change reaches besides the language layer.
struct LanguageMenuTargets {
  TComponent* mainWindow = nullptr;    // translated again
  std::function<void()> repaintStatus;  // the status lines are rebuilt from the new messages
  std::function<void()> textsChanged;   // the views show the windows' new texts
};

// The click on parent or a language item: for a language item its language becomes current and
// is remembered for the next start, and both windows and the messages are translated again.
void Tray_LangClick(TMenuItem& item, const LanguageMenuTargets& targets);

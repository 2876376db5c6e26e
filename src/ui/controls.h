// The plain controls window models are built from: components of the translation tree with the
// state a view shows (geometry, visibility, enabled state, texts, pictures, check marks).
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "lang/component.h"
#include "ui/image_list.h"
#include "ui/picture.h"

using TNotifyEvent = std::function<void()>;

class TControl : public TComponent {
 public:
  TControl(u16 className, u16 name, int32_t tag, int left, int top, int width, int height)
      : TComponent(std::move(className), std::move(name), tag), Left(left), Top(top), Height(height) {
    Width = width;
  }
  int32_t W() const { return Width.value_or(0); }
  bool Contains(int x, int y) const { return x >= Left && y >= Top && x < Left + W() && y < Top + Height; }

  int32_t Left, Top, Height;
  bool Visible = true;
  bool Enabled = true;
  bool HandCursor = false;
  int32_t HelpContext = 0;
  TNotifyEvent OnClick;

  // Tells the view that what the control shows has changed; set by the view.
  std::function<void(TControl&)> Changed;
  void Refresh() {
    if (Changed) Changed(*this);
  }
  void Click() {
    if (OnClick) OnClick();
  }
  void SetVisible(bool v) {
    if (Visible != v) {
      Visible = v;
      Refresh();
    }
  }
  void SetEnabled(bool v) {
    if (Enabled != v) {
      Enabled = v;
      Refresh();
    }
  }
};

enum class TAlignment { Left, Right, Center };

// A text label: the caption is its published text.
class TLabel : public TControl {
 public:
  TLabel(u16 name, int32_t tag, int left, int top, int width, int height, u16 caption)
      : TControl(u"TLabel", std::move(name), tag, left, top, width, height) {
    Caption = std::move(caption);
  }
  const u16& Text() const { return *Caption; }
  void SetCaption(const u16& text) {
    if (*Caption != text) {
      Caption = text;
      Refresh();
    }
  }
  TAlignment Alignment = TAlignment::Left;
  bool CenterVertically = false;
  bool WordWrap = false;
};

// A picture control.
class TImage : public TControl {
 public:
  TImage(u16 name, int32_t tag, int left, int top, int width, int height)
      : TControl(u"TImage", std::move(name), tag, left, top, width, height) {}
  TImage(u16 className, u16 name, int32_t tag, int left, int top, int width, int height)
      : TControl(std::move(className), std::move(name), tag, left, top, width, height) {}
  TPicture Picture;
  bool Stretch = false;
  bool Center = false;
  bool Transparent = false;
};

// An invisible push button used as the carrier of a command.
class TButton : public TControl {
 public:
  TButton(u16 name, int32_t tag, int left, int top, int width, int height, u16 caption)
      : TControl(u"TButton", std::move(name), tag, left, top, width, height) {
    Caption = std::move(caption);
  }
};

// A menu item; its sub-items are the menu items it owns. A caption of "-" is a separator.
class TMenuItem : public TComponent {
 public:
  TMenuItem(u16 name, int32_t tag, u16 caption) : TComponent(u"TMenuItem", std::move(name), tag) {
    Caption = std::move(caption);
  }
  TMenuItem& AddItem(u16 name, int32_t tag, u16 caption) {
    auto item = std::make_unique<TMenuItem>(std::move(name), tag, std::move(caption));
    TMenuItem& ref = *item;
    Own(std::move(item));
    return ref;
  }
  // The sub-items, in order.
  std::vector<TMenuItem*> Items() const {
    std::vector<TMenuItem*> r;
    for (const auto& c : Components)
      if (auto* m = dynamic_cast<TMenuItem*>(c.get())) r.push_back(m);
    return r;
  }
  bool IsSeparator() const { return Caption.value_or(u"") == u"-"; }
  // What choosing the item does: an auto-check item flips its check mark first.
  void Click() {
    if (AutoCheck) Checked = !Checked;
    if (OnClick) OnClick();
  }

  bool Checked = false;
  bool Enabled = true;
  bool Visible = true;
  bool AutoCheck = false;
  bool Default = false;  // shown bold
  int32_t HelpContext = 0;
  int32_t ImageIndex = -1;
  // The pictures of this item's sub-items (by their ImageIndex); none: no pictures.
  TImageList* SubImages = nullptr;
  TNotifyEvent OnClick;
};

// A popup menu: owns its top-level items; has no text of its own.
class TPopupMenu : public TMenuItem {
 public:
  explicit TPopupMenu(u16 name, int32_t tag) : TMenuItem(std::move(name), tag, u"") {
    ClassName = u"TAdvPopupMenu";
    Caption.reset();
  }
};

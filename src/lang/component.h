// The component tree a window is described with: what the translator reads and writes. Each
// component has a class name ("TLabel", "TVirtualDrawTree", ...), a Name, an integer Tag (not 0:
// translatable), the components it owns in creation order, and the named properties that a
// component of its class may or may not have. Window models build their trees from it; the
// Win32 views show what it holds.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/text.h"

class TComponent {
 public:
  TComponent(u16 className, u16 name, int32_t tag = 0)
      : ClassName(std::move(className)), Name(std::move(name)), Tag(tag) {}
  virtual ~TComponent() = default;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  // Takes ownership of child and appends it to the owned components; answers the child.
  template <class T>
  T& Own(std::unique_ptr<T> child) {
    T& ref = *child;
    Components.push_back(std::move(child));
    return ref;
  }
  TComponent& Add(u16 className, u16 name, int32_t tag = 0) {
    return Own(std::make_unique<TComponent>(std::move(className), std::move(name), tag));
  }
  // First owned component with that name anywhere below this one (depth first), or nullptr.
  TComponent* Find(u16v name);

  u16 ClassName;
  u16 Name;
  int32_t Tag = 0;
  std::vector<std::unique_ptr<TComponent>> Components;

  // Published properties; nullopt: the class has no such property.
  std::optional<u16> Caption;
  std::optional<u16> HTMLText;
  std::optional<bool> AutoSize;
  std::optional<u16> AutoSizeType;  // value name, for example "asVertical"
  std::optional<int32_t> CaptionMaxWidth;
  std::optional<int32_t> Width;

  // List-like parts: the tab captions of a tab set, the header column texts of a tree, the column
  // captions of a list view.
  std::vector<u16> Items;
  // The header font of a tree ("TVirtualDrawTree").
  u16 HeaderFontName;
  // The line list of an HTML label ("THTMLabel").
  std::vector<u16> HTMLLines;
  // Caption.Text of a smooth label ("TAdvSmoothLabel").
  u16 CaptionText;

  // Called when the component must redraw itself after a new text; may be empty.
  std::function<void()> Repaint;
};

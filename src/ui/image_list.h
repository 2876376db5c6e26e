// An image list of a window: the small pictures of a menu's items, addressed by position. A
// picture comes from a bitmap file (with a colour that is drawn transparent) or is an icon handle
// that someone else owns.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/picture.h"

class TImageList {
 public:
  struct Entry {
    TPicture picture;
    bool masked = false;
    uint32_t maskColor = 0;  // 0x00RRGGBB, transparent where masked
    uintptr_t icon = 0;      // an icon handle instead of a picture, not owned
  };

  TImageList(int width, int height) : Width(width), Height(height) {}

  int Count() const { return int(entries_.size()); }
  const Entry& At(int index) const { return entries_.at(size_t(index)); }
  // Each answers the position of the new picture.
  int AddMasked(const TPicture& picture, uint32_t maskColor) {
    Entry e;
    e.picture = picture;
    e.masked = true;
    e.maskColor = maskColor;
    return Add(std::move(e));
  }
  int AddIcon(uintptr_t icon) {
    Entry e;
    e.icon = icon;
    return Add(std::move(e));
  }
  void Clear() {
    entries_.clear();
    ViewData.reset();
  }

  const int Width, Height;
  // What the Windows view made of these pictures (menu bitmaps); dropped whenever the list changes.
  std::shared_ptr<void> ViewData;

 private:
  int Add(Entry e) {
    entries_.push_back(std::move(e));
    ViewData.reset();
    return Count() - 1;
  }
  std::vector<Entry> entries_;
};

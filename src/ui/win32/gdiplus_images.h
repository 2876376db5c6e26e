// Pictures through GDI+: PNG with its alpha channel, BMP with the colour of its bottom-left pixel
// as the transparent colour (used when the control draws transparently).
#pragma once
#include <windows.h>
#include <objidl.h>  // GDI+ needs it, and WIN32_LEAN_AND_MEAN leaves it out
#include <gdiplus.h>

#include <memory>

#include "ui/picture.h"

class GdiplusImage final : public Image {
 public:
  GdiplusImage(std::unique_ptr<Gdiplus::Bitmap> bitmap, bool hasColorKey, Gdiplus::Color key)
      : bitmap_(std::move(bitmap)), hasColorKey_(hasColorKey), key_(key) {}
  int Width() const override { return int(bitmap_->GetWidth()); }
  int Height() const override { return int(bitmap_->GetHeight()); }
  Gdiplus::Bitmap& Bitmap() const { return *bitmap_; }
  bool HasColorKey() const { return hasColorKey_; }
  Gdiplus::Color ColorKey() const { return key_; }

 private:
  std::unique_ptr<Gdiplus::Bitmap> bitmap_;
  bool hasColorKey_;
  Gdiplus::Color key_;
};

class GdiplusImageLoader final : public ImageLoader {
 public:
  std::shared_ptr<const Image> LoadFromFile(const u16& path) override;
};

// Draws the picture into the rectangle: stretched, or at its own size in the middle (center), or
// at its own size at the top left. transparent uses a BMP's colour key.
void DrawPicture(Gdiplus::Graphics& g, const TPicture& picture, const RECT& r, bool stretch, bool center,
                 bool transparent);

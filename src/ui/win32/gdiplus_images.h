// Pictures through GDI+: PNG with its alpha channel, BMP with the colour of its bottom-left pixel
// as the transparent colour (used when the control draws transparently). A picture loaded from a
// file also finds its larger renderings (150 % and 200 %, in folders named after the scale beside
// the file) when a window draws it at a larger scale.
#pragma once
#include <windows.h>
#include <objidl.h>  // GDI+ needs it, and WIN32_LEAN_AND_MEAN leaves it out
#include <gdiplus.h>

#include <map>
#include <memory>

#include "ui/picture.h"
#include "ui/scale.h"

// The pixels of one picture file.
struct GdiplusPixels {
  std::unique_ptr<Gdiplus::Bitmap> bitmap;
  bool hasColorKey = false;
  Gdiplus::Color key;
};
// Reads a picture file; raises OsError when it is missing or not a picture.
GdiplusPixels LoadPicturePixels(const u16& path);

class GdiplusImage final : public Image {
 public:
  // path: the 100 % file the pixels came from (empty: no larger renderings).
  GdiplusImage(GdiplusPixels pixels, u16 path = {}) : base_(std::move(pixels)), path_(std::move(path)) {}
  // The size at 100 %.
  int Width() const override { return int(base_.bitmap->GetWidth()); }
  int Height() const override { return int(base_.bitmap->GetHeight()); }
  Gdiplus::Bitmap& Bitmap() const { return *base_.bitmap; }
  bool HasColorKey() const { return base_.hasColorKey; }
  Gdiplus::Color ColorKey() const { return base_.key; }
  // The rendering to draw at this scale: the smallest at or above it (200 % above that), else the
  // largest below it; read from disk once, on first use. Main thread only.
  const GdiplusPixels& ForScale(const DisplayScale& scale) const;

 private:
  GdiplusPixels base_;
  u16 path_;
  mutable std::map<int, std::unique_ptr<GdiplusPixels>> larger_;  // by percent; null: no such file
  const GdiplusPixels* Larger(int percent) const;
};

class GdiplusImageLoader final : public ImageLoader {
 public:
  std::shared_ptr<const Image> LoadFromFile(const u16& path) override;
};

// Draws the picture into the rectangle (pixels): stretched, or at its own size at the scale in the
// middle (center), or at its own size at the top left. transparent uses a BMP's colour key.
void DrawPicture(Gdiplus::Graphics& g, const TPicture& picture, const RECT& r, bool stretch, bool center,
                 bool transparent, const DisplayScale& scale = DisplayScale());

#include "ui/win32/gdiplus_images.h"

#include "core/errors.h"
#include "core/win32/errortext_win.h"
#include "core/win32/windows_seams.h"

GdiplusPixels LoadPicturePixels(const u16& path) {
  const DWORD attributes = GetFileAttributesW(W(path));
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    const DWORD code = attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_FILE_NOT_FOUND;
    throw OsError(code, u"Cannot open file \"" + path + u"\". " + WindowsSystemErrorText(code));
  }
  Gdiplus::Bitmap file(W(path));
  if (file.GetLastStatus() != Gdiplus::Ok)
    throw OsError(ERROR_INVALID_DATA, u"\"" + path + u"\" is not a picture GDI+ can read");
  // Copy the pixels, so that the file is not held open while the picture lives.
  const UINT w = file.GetWidth(), h = file.GetHeight();
  GdiplusPixels p;
  p.bitmap = std::make_unique<Gdiplus::Bitmap>(INT(w), INT(h), PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(p.bitmap.get());
    g.DrawImage(&file, 0, 0, INT(w), INT(h));
  }
  const bool bmp = EndsWith(AsciiLower(path), u".bmp");
  if (bmp && h > 0) file.GetPixel(0, INT(h) - 1, &p.key);
  p.hasColorKey = bmp && h > 0;
  return p;
}

std::shared_ptr<const Image> GdiplusImageLoader::LoadFromFile(const u16& path) {
  return std::make_shared<GdiplusImage>(LoadPicturePixels(path), path);
}

const GdiplusPixels* GdiplusImage::Larger(int percent) const {
  auto it = larger_.find(percent);
  if (it == larger_.end()) {
    std::unique_ptr<GdiplusPixels> p;
    try {
      p = std::make_unique<GdiplusPixels>(LoadPicturePixels(ScaledPicturePath(path_, percent)));
    } catch (const OsError&) {
      // No rendering at this scale: a neighbour or the 100 % picture stands in.
    }
    it = larger_.emplace(percent, std::move(p)).first;
  }
  return it->second.get();
}

const GdiplusPixels& GdiplusImage::ForScale(const DisplayScale& scale) const {
  const int wanted = PictureScalePercent(scale.Dpi());
  if (wanted == 100 || path_.empty()) return base_;
  static constexpr int kLarger[] = {150, 200};
  for (int percent : kLarger)
    if (percent >= wanted)
      if (const GdiplusPixels* p = Larger(percent)) return *p;
  for (auto it = std::rbegin(kLarger); it != std::rend(kLarger); ++it)
    if (*it < wanted)
      if (const GdiplusPixels* p = Larger(*it)) return *p;
  return base_;
}

void DrawPicture(Gdiplus::Graphics& g, const TPicture& picture, const RECT& r, bool stretch, bool center,
                 bool transparent, const DisplayScale& scale) {
  const auto* image = dynamic_cast<const GdiplusImage*>(picture.Graphic());
  if (!image) return;
  Gdiplus::Rect dest(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (!stretch) {
    const int w = scale.Px(image->Width()), h = scale.Px(image->Height());
    if (center)
      dest = Gdiplus::Rect(r.left + (dest.Width - w) / 2, r.top + (dest.Height - h) / 2, w, h);
    else
      dest = Gdiplus::Rect(r.left, r.top, w, h);
  }
  const GdiplusPixels& pixels = image->ForScale(scale);
  Gdiplus::ImageAttributes attributes;
  Gdiplus::ImageAttributes* use = nullptr;
  if (transparent && pixels.hasColorKey) {
    attributes.SetColorKey(pixels.key, pixels.key);
    use = &attributes;
  }
  const INT sw = INT(pixels.bitmap->GetWidth()), sh = INT(pixels.bitmap->GetHeight());
  g.DrawImage(pixels.bitmap.get(), dest, 0, 0, sw, sh, Gdiplus::UnitPixel, use);
}

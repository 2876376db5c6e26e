#include "ui/win32/gdiplus_images.h"

#include "core/errors.h"
#include "core/win32/errortext_win.h"
#include "core/win32/windows_seams.h"

std::shared_ptr<const Image> GdiplusImageLoader::LoadFromFile(const u16& path) {
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
  auto copy = std::make_unique<Gdiplus::Bitmap>(INT(w), INT(h), PixelFormat32bppARGB);
  {
    Gdiplus::Graphics g(copy.get());
    g.DrawImage(&file, 0, 0, INT(w), INT(h));
  }
  const bool bmp = EndsWith(AsciiLower(path), u".bmp");
  Gdiplus::Color key;
  if (bmp && h > 0) file.GetPixel(0, INT(h) - 1, &key);
  return std::make_shared<GdiplusImage>(std::move(copy), bmp && h > 0, key);
}

void DrawPicture(Gdiplus::Graphics& g, const TPicture& picture, const RECT& r, bool stretch, bool center,
                 bool transparent) {
  const auto* image = dynamic_cast<const GdiplusImage*>(picture.Graphic());
  if (!image) return;
  Gdiplus::Rect dest(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (!stretch) {
    const int w = image->Width(), h = image->Height();
    if (center)
      dest = Gdiplus::Rect(r.left + (dest.Width - w) / 2, r.top + (dest.Height - h) / 2, w, h);
    else
      dest = Gdiplus::Rect(r.left, r.top, w, h);
  }
  Gdiplus::ImageAttributes attributes;
  Gdiplus::ImageAttributes* use = nullptr;
  if (transparent && image->HasColorKey()) {
    attributes.SetColorKey(image->ColorKey(), image->ColorKey());
    use = &attributes;
  }
  g.DrawImage(&image->Bitmap(), dest, 0, 0, image->Width(), image->Height(), Gdiplus::UnitPixel, use);
}

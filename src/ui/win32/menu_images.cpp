#include "ui/win32/menu_images.h"

#include <cstring>
#include <set>
#include <vector>

#include "ui/win32/gdiplus_images.h"

namespace {
// Every menu bitmap that exists: a drawing request names one of these or is not ours.
std::set<HBITMAP> g_live;

// The bitmaps of one image list, deleted with it.
struct MenuBitmaps {
  int dpi = 0;
  std::vector<HBITMAP> bitmaps;
  ~MenuBitmaps() {
    for (HBITMAP b : bitmaps) {
      if (!b) continue;
      g_live.erase(b);
      DeleteObject(b);
    }
  }
};

HBITMAP NewDib(int w, int h, uint32_t** bits) {
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* p = nullptr;
  HBITMAP b = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
  if (b && p) std::memset(p, 0, size_t(w) * size_t(h) * 4);
  *bits = static_cast<uint32_t*>(p);
  return b;
}

// A picture scaled to the list's size, its mask colour made transparent.
HBITMAP FromPicture(const TImageList::Entry& e, int w, int h, const DisplayScale& scale) {
  const auto* image = dynamic_cast<const GdiplusImage*>(e.picture.Graphic());
  if (!image) return nullptr;
  const GdiplusPixels& pixels = image->ForScale(scale);
  const INT sw = INT(pixels.bitmap->GetWidth()), sh = INT(pixels.bitmap->GetHeight());
  Gdiplus::Bitmap scaled(w, h, PixelFormat32bppPARGB);
  {
    Gdiplus::Graphics g(&scaled);
    g.Clear(Gdiplus::Color(0, 0, 0, 0));
    g.SetInterpolationMode(Gdiplus::InterpolationModeNearestNeighbor);
    g.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    Gdiplus::ImageAttributes attributes;
    if (e.masked) {
      const Gdiplus::Color key(255, BYTE(e.maskColor >> 16), BYTE(e.maskColor >> 8), BYTE(e.maskColor));
      attributes.SetColorKey(key, key);
    }
    // A rendering of exactly the item's size is copied pixel for pixel; any other is scaled.
    if (sw != w || sh != h) g.SetInterpolationMode(Gdiplus::InterpolationModeHighQualityBicubic);
    g.DrawImage(pixels.bitmap.get(), Gdiplus::Rect(0, 0, w, h), 0, 0, sw, sh, Gdiplus::UnitPixel, &attributes);
  }
  uint32_t* bits = nullptr;
  HBITMAP dib = NewDib(w, h, &bits);
  if (!dib) return nullptr;
  Gdiplus::Rect all(0, 0, w, h);
  Gdiplus::BitmapData data{};
  if (scaled.LockBits(&all, Gdiplus::ImageLockModeRead, PixelFormat32bppPARGB, &data) == Gdiplus::Ok) {
    for (int y = 0; y < h; ++y)
      std::memcpy(bits + size_t(y) * size_t(w), static_cast<const BYTE*>(data.Scan0) + ptrdiff_t(y) * data.Stride,
                  size_t(w) * 4);
    scaled.UnlockBits(&data);
  }
  return dib;
}

// An icon drawn at the list's size; an icon without an alpha channel takes its transparency from
// its mask.
HBITMAP FromIcon(HICON icon, int w, int h) {
  uint32_t* bits = nullptr;
  HBITMAP dib = NewDib(w, h, &bits);
  if (!dib) return nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, dib);
  DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
  GdiFlush();
  bool hasAlpha = false;
  for (int i = 0; i < w * h && !hasAlpha; ++i) hasAlpha = (bits[i] >> 24) != 0;
  if (!hasAlpha) {
    uint32_t* maskBits = nullptr;
    HBITMAP mask = NewDib(w, h, &maskBits);
    if (mask) {
      SelectObject(dc, mask);
      DrawIconEx(dc, 0, 0, icon, w, h, 0, nullptr, DI_MASK);
      GdiFlush();
      for (int i = 0; i < w * h; ++i)
        bits[i] = (maskBits[i] & 0xFFFFFF) == 0 ? (bits[i] | 0xFF000000u) : 0;
      DeleteObject(mask);
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  return dib;
}
}  // namespace

HBITMAP MenuItemBitmap(TImageList& images, int index, const DisplayScale& scale) {
  if (index < 0 || index >= images.Count()) return nullptr;
  auto cache = std::static_pointer_cast<MenuBitmaps>(images.ViewData);
  if (!cache || cache->dpi != scale.Dpi()) {
    images.ViewData.reset();  // the bitmaps of another scale go (menus built with them are closed)
    cache = std::make_shared<MenuBitmaps>();
    cache->dpi = scale.Dpi();
    cache->bitmaps.assign(size_t(images.Count()), nullptr);
    const int w = scale.Px(images.Width), h = scale.Px(images.Height);
    for (int i = 0; i < images.Count(); ++i) {
      const TImageList::Entry& e = images.At(i);
      HBITMAP b = e.icon ? FromIcon(reinterpret_cast<HICON>(e.icon), w, h) : FromPicture(e, w, h, scale);
      cache->bitmaps[size_t(i)] = b;
      if (b) g_live.insert(b);
    }
    images.ViewData = cache;
  }
  return cache->bitmaps[size_t(index)];
}

void SetMenuItemBitmap(HMENU menu, UINT position, TImageList* images, int imageIndex, const DisplayScale& scale) {
  if (!images || imageIndex < 0) return;
  HBITMAP b = MenuItemBitmap(*images, imageIndex, scale);
  if (!b) return;
  // The menu asks its owner window to draw the picture: menus do not blend a bitmap's alpha
  // everywhere (Wine draws transparent parts black), AlphaBlend does.
  MENUITEMINFOW mii{};
  mii.cbSize = sizeof(mii);
  mii.fMask = MIIM_BITMAP | MIIM_DATA;
  mii.hbmpItem = HBMMENU_CALLBACK;
  mii.dwItemData = reinterpret_cast<ULONG_PTR>(b);
  SetMenuItemInfoW(menu, position, TRUE, &mii);
}

bool MeasureMenuBitmap(MEASUREITEMSTRUCT& m) {
  if (m.CtlType != ODT_MENU) return false;
  HBITMAP b = reinterpret_cast<HBITMAP>(m.itemData);
  if (!g_live.count(b)) return false;
  BITMAP bm{};
  GetObjectW(b, sizeof(bm), &bm);
  m.itemWidth = UINT(bm.bmWidth + MulDiv(4, bm.bmHeight, 16));  // a little room before the caption
  m.itemHeight = UINT(bm.bmHeight);
  return true;
}

bool DrawMenuBitmap(const DRAWITEMSTRUCT& d) {
  if (d.CtlType != ODT_MENU) return false;
  HBITMAP b = reinterpret_cast<HBITMAP>(d.itemData);
  if (!g_live.count(b)) return false;
  BITMAP bm{};
  GetObjectW(b, sizeof(bm), &bm);
  HDC src = CreateCompatibleDC(d.hDC);
  HGDIOBJ old = SelectObject(src, b);
  const int x = d.rcItem.left + (d.rcItem.right - d.rcItem.left - bm.bmWidth) / 2;
  const int y = d.rcItem.top + (d.rcItem.bottom - d.rcItem.top - bm.bmHeight) / 2;
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  GdiAlphaBlend(d.hDC, x, y, bm.bmWidth, bm.bmHeight, src, 0, 0, bm.bmWidth, bm.bmHeight, blend);
  SelectObject(src, old);
  DeleteDC(src);
  return true;
}

// Drawing of the link button: the layout comes from the model, the pixels from GDI and GDI+.

#include "core/win32/windows_seams.h"
#include "ui/link_button.h"
#include "ui/win32/gdiplus_images.h"
#include "ui/win32/main_window_view.h"

namespace {
HFONT MakeFont(const TFontSpec& f) {
  return CreateFontW(f.Height, 0, 0, 0, f.Bold ? FW_BOLD : FW_NORMAL, FALSE, f.Underline, FALSE, DEFAULT_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH, W(f.Name));
}

RECT At(TPoint origin, TPoint p, int w, int h) { return RECT{origin.x + p.x, origin.y + p.y, origin.x + p.x + w, origin.y + p.y + h}; }
}  // namespace

void PaintLinkButton(HDC dc, TTarvoUnicodeSTButton& b) {
  if (!b.Visible) return;
  const u16 caption = b.Caption.value_or(u"");
  HFONT font = MakeFont(b.DrawingFont());
  HGDIOBJ old = SelectObject(dc, font);
  // Measured in the drawing font: the normal and the hot font differ only in the underline.
  SIZE extent{};
  GetTextExtentPoint32W(dc, W(caption), int(caption.size()), &extent);
  const LinkLayout l = b.Layout({int(extent.cx), 0, 0});
  const TPoint origin{b.Left, b.Top};
  {
    Gdiplus::Graphics g(dc);
    if (!b.Glyph.Empty())
      DrawPicture(g, b.Glyph, At(origin, l.glyph, b.Glyph.Width(), b.Glyph.Height()), false, false, true);
    if (!b.GlyphRightSide.Empty())
      DrawPicture(g, b.GlyphRightSide, At(origin, l.rightGlyph, b.GlyphRightSide.Width(), b.GlyphRightSide.Height()),
                  false, false, true);
  }
  if (l.drawText && HighContrastOn()) {
    // High contrast: the system's link colour, no shadow.
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_HOTLIGHT));
    TextOutW(dc, origin.x + l.text.x, origin.y + l.text.y, W(caption), int(caption.size()));
  } else if (l.drawText) {
    SetBkMode(dc, TRANSPARENT);
    if (l.drawShadow) {
      SetTextColor(dc, RGB((b.ShadowColor >> 16) & 0xFF, (b.ShadowColor >> 8) & 0xFF, b.ShadowColor & 0xFF));
      TextOutW(dc, origin.x + l.shadow.x, origin.y + l.shadow.y, W(caption), int(caption.size()));
    }
    const uint32_t c = b.DrawingFont().Color;
    SetTextColor(dc, RGB((c >> 16) & 0xFF, (c >> 8) & 0xFF, c & 0xFF));
    TextOutW(dc, origin.x + l.text.x, origin.y + l.text.y, W(caption), int(caption.size()));
  }
  SelectObject(dc, old);
  DeleteObject(font);
}

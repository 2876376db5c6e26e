#include "ui/link_button.h"

LinkLayout Compute_LinkLayout(int controlWidth, int controlHeight, int fontHeight, const LinkMeasures& m,
                              bool captionEmpty, bool autoWidth, TAlignment alignment, bool shadow,
                              int glyphWidth, int glyphHeight, bool showImage, TPoint rightGlyph) {
  LinkLayout l;
  l.width = controlWidth;
  l.text.y = fontHeight <= 0 ? (controlHeight + fontHeight) / 2 - 2 : (controlHeight - fontHeight) / 2 - 2;
  int w = m.captionWidth;
  if (shadow) w += 1;
  if (autoWidth) l.width = w + glyphWidth + 4;
  int x = glyphWidth + 4;
  if (showImage) x += m.imageListWidth + 4;
  if (alignment == TAlignment::Right) {
    x = l.width - w;
  } else if (alignment == TAlignment::Center) {
    x = (l.width - w) / 2 + glyphWidth / 2;
    if (showImage) x += m.imageListWidth / 2;
    if (x < 0) x = 0;
  }
  l.text.x = x;
  l.glyph = {x - glyphWidth - 4, (controlHeight - glyphHeight) / 2};
  l.drawImage = showImage;
  if (showImage) l.image = {x - m.imageListWidth - 4, (controlHeight - m.imageListHeight) / 2};
  l.rightGlyph = rightGlyph;
  l.drawText = !captionEmpty;
  l.drawShadow = !captionEmpty && shadow;
  l.shadow = {l.text.x + 1, l.text.y + 1};
  return l;
}

LinkLayout TTarvoUnicodeSTButton::Layout(const LinkMeasures& m) {
  const bool showImage = HasImageList && ImageIndex != -1;
  LinkLayout l = Compute_LinkLayout(W(), Height, Font.Height, m, Caption.value_or(u"").empty(), AutoWidth,
                                    Alignment, Shadow, Glyph.Width(), Glyph.Height(), showImage,
                                    {GlyphRightSide_OffsetX, GlyphRightSide_OffsetY});
  Width = l.width;
  return l;
}

void TTarvoUnicodeSTButton::MouseEnter() {
  FMouseIsInside = true;
  if (!Enabled) return;
  if (OnMouseEnter) OnMouseEnter();
  Refresh();
}

void TTarvoUnicodeSTButton::MouseLeave() {
  FMouseIsInside = false;
  if (!Enabled) return;
  if (OnMouseLeave) OnMouseLeave();
  Refresh();
}

void TTarvoUnicodeSTButton::MouseUp(int x, int y) {
  if (Enabled && OnMouseUp) OnMouseUp(x, y);
}

// TTarvoUnicodeSTButton: a windowless text button for link-like captions, with a normal and a hot
// font, an optional glyph and image-list image left of the text, an optional second glyph at a
// fixed place, an optional one-pixel shadow and automatic width. The layout is computed here; the
// Windows view only draws what the layout says.
#pragma once
#include "ui/controls.h"

struct TFontSpec {
  u16 Name = u"Tahoma";
  int32_t Height = -11;  // negative: character height in pixels
  uint32_t Color = 0;    // 0x00BBGGRR
  bool Underline = false;
  bool Bold = false;
};

struct TPoint {
  int x = 0, y = 0;
  bool operator==(const TPoint&) const = default;
};

// What one paint needs to know besides the control's own fields.
struct LinkMeasures {
  int captionWidth = 0;  // width of the caption in the canvas' current font
  int imageListWidth = 0, imageListHeight = 0;  // 0 without an image list
};

struct LinkLayout {
  int width = 0;  // the control's width after the paint (AutoWidth may change it)
  TPoint text;
  bool drawText = false;  // false for an empty caption
  bool drawShadow = false;
  TPoint shadow;          // text + (1, 1)
  TPoint glyph;
  bool drawImage = false;
  TPoint image;
  TPoint rightGlyph;
};

class TTarvoUnicodeSTButton : public TControl {
 public:
  TTarvoUnicodeSTButton(u16 name, int32_t tag, int left, int top)
      : TControl(u"TTarvoUnicodeSTButton", std::move(name), tag, left, top, 88, 25) {
    Caption = u"xxxxxx";
    HandCursor = true;
  }

  TPicture GlyphRightSide;
  int32_t GlyphRightSide_OffsetX = 0;
  int32_t GlyphRightSide_OffsetY = 0;
  TPicture Glyph;
  TFontSpec Font;
  TFontSpec FontHOT;
  bool AutoWidth = true;
  TAlignment Alignment = TAlignment::Left;
  bool Shadow = false;
  uint32_t ShadowColor = 0;
  int32_t ImageIndex = -1;
  bool HasImageList = false;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  std::function<void(int x, int y)> OnMouseUp;

  bool MouseIsInside() const { return FMouseIsInside; }
  const TFontSpec& DrawingFont() const { return FMouseIsInside ? FontHOT : Font; }

  void MouseEnter();
  void MouseLeave();
  void MouseUp(int x, int y);

  // Computes the paint layout and applies AutoWidth to the control's width.
  LinkLayout Layout(const LinkMeasures& m);

 private:
  bool FMouseIsInside = false;
};

// The layout arithmetic on its own (divisions by 2 truncate toward zero).
LinkLayout Compute_LinkLayout(int controlWidth, int controlHeight, int fontHeight, const LinkMeasures& m,
                              bool captionEmpty, bool autoWidth, TAlignment alignment, bool shadow,
                              int glyphWidth, int glyphHeight, bool showImage, TPoint rightGlyph);

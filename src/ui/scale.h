// Display scale: every window model describes its controls at 100 % (96 dots per inch); the views
// turn that geometry into pixels of the monitor a window is on with the one DisplayScale below,
// so fonts, pictures, list rows and child windows all grow together.
#pragma once
#include "core/text.h"

inline constexpr int kBaseDpi = 96;

// A rectangle in pixels: left and top inside, right and bottom just outside.
struct TRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool operator==(const TRect&) const = default;
};

class TControl;

class DisplayScale {
 public:
  // A dpi of 0 or less (a failed query) counts as 100 %.
  explicit DisplayScale(int dpi = kBaseDpi) : dpi_(dpi > 0 ? dpi : kBaseDpi) {}
  int Dpi() const { return dpi_; }
  // A length at 100 % in pixels at this scale, rounded to the nearest pixel (halves away from 0).
  int Px(int length) const;
  // A pixel length back at 100 %, rounded the same way.
  int Logical(int pixels) const;
  // A rectangle at 100 % in pixels. Each edge is scaled on its own, so controls that touch at
  // 100 % still touch and no gap or overlap opens between neighbours.
  TRect Rect(int left, int top, int width, int height) const;
  TRect Of(const TControl& c) const;

 private:
  int dpi_;
};

// The pictures ship at 100, 150 and 200 %: the smallest of these at or above the scale (200 % above
// that), so a picture is only ever scaled down, except beyond 200 %.
int PictureScalePercent(int dpi);
// Where the larger picture of a file lies: a folder named after the percentage beside the 100 %
// file ("C:\P\skins\logo.bmp" at 150 % is "C:\P\skins\150\logo.bmp"); the path itself at 100 %.
u16 ScaledPicturePath(const u16& path, int percent);

// Snapping of a dragged window to the edges of the work area: an edge that comes within distance
// pixels of the same edge of the work area (inside or outside) is moved onto it; the size never
// changes. Left wins over right and top over bottom when both are near (a window as large as the
// work area). Answers the rectangle to use.
TRect SnapToWorkArea(const TRect& window, const TRect& workArea, int distance);

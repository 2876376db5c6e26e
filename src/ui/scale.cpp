#include "ui/scale.h"

#include <cstdlib>

#include "ui/controls.h"

namespace {
// a * b / c rounded to the nearest integer, halves away from zero; c > 0.
int MulDivRound(int a, int b, int c) {
  const long long p = static_cast<long long>(a) * b;
  const long long q = (std::llabs(p) * 2 + c) / (2LL * c);
  return static_cast<int>(p < 0 ? -q : q);
}

// The offset that puts an edge pair onto the area's pair when one of them is near.
int SnapOffset(int low, int high, int areaLow, int areaHigh, int distance) {
  if (std::abs(low - areaLow) <= distance) return areaLow - low;
  if (std::abs(high - areaHigh) <= distance) return areaHigh - high;
  return 0;
}
}  // namespace

int DisplayScale::Px(int length) const { return MulDivRound(length, dpi_, kBaseDpi); }
int DisplayScale::Logical(int pixels) const { return MulDivRound(pixels, kBaseDpi, dpi_); }

TRect DisplayScale::Rect(int left, int top, int width, int height) const {
  return {Px(left), Px(top), Px(left + width), Px(top + height)};
}

TRect DisplayScale::Of(const TControl& c) const { return Rect(c.Left, c.Top, c.W(), c.Height); }

int PictureScalePercent(int dpi) {
  if (dpi <= kBaseDpi) return 100;
  if (dpi <= kBaseDpi * 3 / 2) return 150;
  return 200;
}

u16 ScaledPicturePath(const u16& path, int percent) {
  if (percent == 100) return path;
  const size_t slash = path.find_last_of(u"\\/");
  const size_t at = slash == u16::npos ? 0 : slash + 1;
  return path.substr(0, at) + ToDec(percent) + u"\\" + path.substr(at);
}

TRect SnapToWorkArea(const TRect& window, const TRect& workArea, int distance) {
  const int dx = SnapOffset(window.left, window.right, workArea.left, workArea.right, distance);
  const int dy = SnapOffset(window.top, window.bottom, workArea.top, workArea.bottom, distance);
  return {window.left + dx, window.top + dy, window.right + dx, window.bottom + dy};
}

// Display scale: the pixel geometry the views build from the models' 100 % geometry, the picture
// size chosen for a scale, and snapping of the dragged main window to the work area.
#include <gtest/gtest.h>

#include "ui/about.h"
#include "ui/devices_window.h"
#include "ui/main_window.h"
#include "ui/scale.h"

namespace {
TEST(DisplayScale, LengthsAndRectanglesAtCommonScales) {
  struct Case {
    int dpi;
    int left, top, width, height;  // at 100 %
    TRect px;
  };
  const Case cases[] = {
      // The main window: 502 x 332 stays as it is at 100 % and grows to 753 x 498 and 1004 x 664.
      {96, 0, 0, kMainClientWidth, kMainClientHeight, {0, 0, 502, 332}},
      {144, 0, 0, kMainClientWidth, kMainClientHeight, {0, 0, 753, 498}},
      {192, 0, 0, kMainClientWidth, kMainClientHeight, {0, 0, 1004, 664}},
      {120, 0, 0, kMainClientWidth, kMainClientHeight, {0, 0, 628, 415}},  // 627.5 and 415: halves round up
      {168, 0, 0, kMainClientWidth, kMainClientHeight, {0, 0, 879, 581}},
      // The webcam picture (36, 94, 200 x 205): its odd height gets 308 pixels at 150 %.
      {144, 36, 94, 200, 205, {54, 141, 354, 449}},
      // Neighbours stay neighbours: both edges of a shared border scale to the same pixel.
      {120, 0, 0, 33, 10, {0, 0, 41, 13}},
      {120, 33, 0, 33, 10, {41, 0, 83, 13}},
      // The other windows' client areas.
      {144, 0, 0, kDevicesClientWidth, kDevicesClientHeight, {0, 0, 915, 615}},
      {144, 0, 0, kAboutClientWidth, kAboutClientHeight, {0, 0, 626, 558}},
      // Negative positions (a window left of the primary monitor) round like positive ones.
      {144, -3, -1, 2, 1, {-5, -2, -2, 0}},
      // A failed query (0 or less) counts as 100 %.
      {0, 36, 94, 200, 205, {36, 94, 236, 299}},
      {-5, 1, 2, 3, 4, {1, 2, 4, 6}},
  };
  for (const Case& c : cases) {
    const DisplayScale s(c.dpi);
    EXPECT_EQ(s.Rect(c.left, c.top, c.width, c.height), c.px)
        << c.dpi << " dpi: " << c.left << "," << c.top << " " << c.width << "x" << c.height;
  }
}

TEST(DisplayScale, FontsAndBackToLogical) {
  struct Case {
    int dpi, logical, px;
  };
  // Font heights are negative (character height); they scale like any length.
  for (const Case& c : {Case{96, -13, -13}, Case{144, -13, -20}, Case{192, -13, -26}, Case{120, -11, -14},
                        Case{144, 16, 24}, Case{192, 22, 44}, Case{144, 10, 15}})
    EXPECT_EQ(DisplayScale(c.dpi).Px(c.logical), c.px) << c.dpi << " " << c.logical;
  // A pixel length measured at the scale (a caption's width) goes back to 100 % rounded.
  for (const Case& c : {Case{144, 67, 100}, Case{144, 1, 1}, Case{192, 50, 100}, Case{192, 51, 101}, Case{96, 7, 7}})
    EXPECT_EQ(DisplayScale(c.dpi).Logical(c.px), c.logical) << c.dpi << " " << c.px;
}

TEST(DisplayScale, ThePictureSizeIsTheSmallestAtOrAboveTheScale) {
  struct Case {
    int dpi, percent;
  };
  for (const Case& c : {Case{0, 100}, Case{96, 100}, Case{97, 150}, Case{120, 150}, Case{144, 150}, Case{145, 200},
                        Case{168, 200}, Case{192, 200}, Case{288, 200}})
    EXPECT_EQ(PictureScalePercent(c.dpi), c.percent) << c.dpi;
}

TEST(DisplayScale, LargerPicturesLieInAFolderNamedAfterTheirScale) {
  struct Case {
    const char16_t* path;
    int percent;
    const char16_t* scaled;
  };
  for (const Case& c : {Case{u"C:\\P\\skins\\logo.bmp", 100, u"C:\\P\\skins\\logo.bmp"},
                        Case{u"C:\\P\\skins\\logo.bmp", 150, u"C:\\P\\skins\\150\\logo.bmp"},
                        Case{u"C:\\P\\Flags\\de-de.bmp", 200, u"C:\\P\\Flags\\200\\de-de.bmp"},
                        Case{u"C:\\P\\skins\\\\but_close.png", 150, u"C:\\P\\skins\\\\150\\but_close.png"},
                        Case{u"Z:/stage/skins/cam-on.bmp", 200, u"Z:/stage/skins/200\\cam-on.bmp"},
                        Case{u"logo.bmp", 150, u"150\\logo.bmp"}})
    EXPECT_EQ(ToUtf8(ScaledPicturePath(c.path, c.percent)), ToUtf8(c.scaled));
}

TEST(SnapToWorkArea, EdgesWithinTheDistanceMoveOntoTheWorkArea) {
  struct Case {
    const char* what;
    TRect window, snapped;
    TRect area = {0, 0, 1920, 1040};  // a taskbar of 40 pixels at the bottom
    int distance = 10;
  };
  const Case cases[] = {
      {"far from every edge", {500, 300, 1002, 632}, {500, 300, 1002, 632}},
      {"10 from the left", {10, 300, 512, 632}, {0, 300, 502, 632}},
      {"11 from the left", {11, 300, 513, 632}, {11, 300, 513, 632}},
      {"left edge outside by 10", {-10, 300, 492, 632}, {0, 300, 502, 632}},
      {"left edge outside by 11", {-11, 300, 491, 632}, {-11, 300, 491, 632}},
      {"8 from the top", {500, 8, 1002, 340}, {500, 0, 1002, 332}},
      {"right edge 7 inside", {1411, 300, 1913, 632}, {1418, 300, 1920, 632}},
      {"bottom on the taskbar by 9", {500, 717, 1002, 1049}, {500, 708, 1002, 1040}},
      {"lower-right corner", {1413, 703, 1915, 1035}, {1418, 708, 1920, 1040}},
      {"upper-left corner outside", {-4, -6, 498, 326}, {0, 0, 502, 332}},
      // Wider than the area: the left edge wins.
      {"as wide as the area", {3, 100, 1925, 432}, {0, 100, 1922, 432}},
      // A second monitor left of the primary one, at 150 %: 15 pixels.
      {"second monitor, 15 away", {-1905, 515, -1152, 1013}, {-1920, 515, -1167, 1013}, {-1920, 0, 0, 1080}, 15},
      {"second monitor, 16 away", {-1904, 515, -1151, 1013}, {-1904, 515, -1151, 1013}, {-1920, 0, 0, 1080}, 15},
  };
  for (const Case& c : cases) {
    const TRect r = SnapToWorkArea(c.window, c.area, c.distance);
    EXPECT_EQ(r, c.snapped) << c.what;
    EXPECT_EQ(r.Width(), c.window.Width()) << c.what;
    EXPECT_EQ(r.Height(), c.window.Height()) << c.what;
  }
}
}  // namespace

// The three-state picture button and the link button's layout.
#include <gtest/gtest.h>

#include <map>

#include "core/errors.h"
#include "ui/link_button.h"
#include "ui/picture_button.h"

namespace {
class FakeImage final : public Image {
 public:
  FakeImage(int w, int h) : w_(w), h_(h) {}
  int Width() const override { return w_; }
  int Height() const override { return h_; }

 private:
  int w_, h_;
};

// Pictures by file name; other names fail like a missing file.
class FakeImages final : public ImageLoader {
 public:
  FakeImages() { SetImageLoader(this); }
  ~FakeImages() override { SetImageLoader(nullptr); }
  std::shared_ptr<const Image> LoadFromFile(const u16& path) override {
    auto it = sizes.find(ToUtf8(path));
    if (it == sizes.end()) throw OsError(2, u"not found: " + path);
    return std::make_shared<FakeImage>(it->second.first, it->second.second);
  }
  std::map<std::string, std::pair<int, int>> sizes;
};

TPicture Load(const char16_t* name) {
  TPicture p;
  p.LoadFromFile(name);
  return p;
}

class PictureButton : public ::testing::Test {
 protected:
  void SetUp() override {
    images.sizes = {{"n.png", {32, 32}}, {"h.png", {32, 32}}, {"p.png", {32, 32}}};
    normal = Load(u"n.png");
    highlight = Load(u"h.png");
    pressed = Load(u"p.png");
    b.Set_Picture_Highlight(&highlight);
    b.Set_Picture_Pressed(&pressed);
    b.Set_Picture_Normal(&normal);
    b.Changed = [this](TControl&) { ++refreshes; };
  }
  std::string Shown() const { return ToUtf8(b.Picture.FileName()); }

  FakeImages images;
  TPicture normal, highlight, pressed;
  TPellamMouseImage3State b{u"PellamMouseImage3State_Test", 0, 10, 20, 32, 32};
  int refreshes = 0;
};

TEST_F(PictureButton, SwapsPicturesWithThePointerAndMovesWhenPressed) {
  struct Step {
    const char* action;
    const char* shown;
    int left, top;
    bool inside;
  };
  const Step steps[] = {
      {"enter", "h.png", 10, 20, true}, {"down", "p.png", 11, 21, true}, {"up", "h.png", 10, 20, true},
      {"down", "p.png", 11, 21, true},  {"leave", "n.png", 11, 21, false},
      // Released outside: the position comes back, the picture stays.
      {"up", "n.png", 10, 20, false},
  };
  ASSERT_EQ(Shown(), "n.png");
  for (const Step& s : steps) {
    const std::string a = s.action;
    if (a == "enter") b.MouseEnter();
    if (a == "leave") b.MouseLeave();
    if (a == "down") b.MouseDown();
    if (a == "up") b.MouseUp();
    EXPECT_EQ(Shown(), s.shown) << a;
    EXPECT_EQ(b.Left, s.left) << a;
    EXPECT_EQ(b.Top, s.top) << a;
    EXPECT_EQ(b.MouseIsInside(), s.inside) << a;
  }
}

TEST_F(PictureButton, ReleaseOutsideAfterPressKeepsThePressedPicture) {
  b.Move_If_MousePressed = false;
  b.MouseEnter();
  b.MouseDown();
  b.MouseLeave();  // shows the normal picture
  b.MouseDown();   // pressed again from outside (as a captured mouse would report)
  b.MouseUp();
  EXPECT_EQ(Shown(), "p.png");
  EXPECT_EQ(b.Left, 10);
}

TEST_F(PictureButton, DisabledButtonOnlyTracksThePointer) {
  b.Enabled = false;
  int enters = 0, leaves = 0;
  b.OnMouseEnter = [&] { ++enters; };
  b.OnMouseLeave = [&] { ++leaves; };
  refreshes = 0;
  b.MouseEnter();
  EXPECT_TRUE(b.MouseIsInside());
  b.MouseDown();
  b.MouseUp();
  EXPECT_EQ(Shown(), "n.png");
  EXPECT_EQ(b.Left, 10);
  b.MouseLeave();
  EXPECT_FALSE(b.MouseIsInside());
  EXPECT_EQ(enters + leaves + refreshes, 0);
}

TEST_F(PictureButton, SettingPictures) {
  b.Set_Picture_Normal(nullptr);  // ignored
  EXPECT_EQ(Shown(), "n.png");
  TPicture other = Load(u"p.png");
  b.Set_Picture_Highlight(&other);  // stored, not shown
  EXPECT_EQ(Shown(), "n.png");
  b.MouseEnter();
  EXPECT_EQ(Shown(), "p.png");
  refreshes = 0;
  b.Set_Picture_Normal(&highlight);
  EXPECT_EQ(Shown(), "h.png");
  EXPECT_EQ(refreshes, 1);
}

TEST(Pictures, FailedLoadRaisesAndKeepsTheOldPicture) {
  FakeImages images;
  images.sizes = {{"a.png", {3, 4}}};
  TPicture p = Load(u"a.png");
  EXPECT_THROW(p.LoadFromFile(u"missing.png"), OsError);
  EXPECT_EQ(ToUtf8(p.FileName()), "a.png");
  EXPECT_EQ(p.Width(), 3);
  EXPECT_EQ(p.Height(), 4);
}

// Link button layout: control 88 x 25 unless AutoWidth changes the width.
struct LayoutCase {
  const char* name;
  int width, height, fontHeight, captionWidth;
  bool autoWidth, shadow, captionEmpty;
  TAlignment alignment;
  int glyphW, glyphH;
  bool image;
  int imageW, imageH;
  int expWidth, expX, expY;
  TPoint expGlyph, expImage;
};

class LinkLayoutTable : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LinkLayoutTable, PlacesTextGlyphAndImage) {
  const LayoutCase& c = GetParam();
  const LinkLayout l = Compute_LinkLayout(c.width, c.height, c.fontHeight, {c.captionWidth, c.imageW, c.imageH},
                                          c.captionEmpty, c.autoWidth, c.alignment, c.shadow, c.glyphW, c.glyphH,
                                          c.image, {5, 6});
  EXPECT_EQ(l.width, c.expWidth);
  EXPECT_EQ(l.text.x, c.expX);
  EXPECT_EQ(l.text.y, c.expY);
  EXPECT_EQ(l.glyph, c.expGlyph);
  EXPECT_EQ(l.drawImage, c.image);
  if (c.image) {
    EXPECT_EQ(l.image, c.expImage);
  }
  EXPECT_EQ(l.drawText, !c.captionEmpty);
  EXPECT_EQ(l.drawShadow, c.shadow && !c.captionEmpty);
  EXPECT_EQ(l.rightGlyph, (TPoint{5, 6}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LinkLayoutTable,
    ::testing::Values(
        // AutoWidth without a glyph: caption + 4; y from the negative font height.
        LayoutCase{"AutoWidthPlain", 88, 20, -12, 29, true, false, false, TAlignment::Left, 0, 0, false, 0, 0, 33, 4, 2, {0, 10}, {}},
        LayoutCase{"AutoWidthShadow", 88, 20, -12, 29, true, true, false, TAlignment::Left, 0, 0, false, 0, 0, 34, 4, 2, {0, 10}, {}},
        LayoutCase{"PositiveFontHeight", 88, 25, 13, 40, false, false, false, TAlignment::Left, 0, 0, false, 0, 0, 88, 4, 4, {0, 12}, {}},
        LayoutCase{"GlyphAndImage", 88, 25, -11, 40, false, false, false, TAlignment::Left, 16, 16, true, 20, 10, 88, 44, 5, {24, 4}, {20, 7}},
        LayoutCase{"RightAligned", 88, 25, -11, 40, false, true, false, TAlignment::Right, 16, 16, false, 0, 0, 88, 47, 5, {27, 4}, {}},
        LayoutCase{"Centred", 88, 25, -11, 40, false, false, false, TAlignment::Center, 16, 16, true, 20, 10, 88, 42, 5, {22, 4}, {18, 7}},
        // A caption wider than the control starts at 0 when centred.
        LayoutCase{"CentredTooWide", 30, 25, -11, 50, false, false, false, TAlignment::Center, 0, 0, false, 0, 0, 30, 0, 5, {-4, 12}, {}},
        LayoutCase{"EmptyCaptionDrawsGlyphsOnly", 88, 25, -11, 0, true, true, true, TAlignment::Left, 8, 8, false, 0, 0, 13, 12, 5, {0, 8}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LinkButton, AutoWidthAndPointerHandling) {
  TTarvoUnicodeSTButton b(u"TarvoUnicodeSTButton_EULA", 0, 20, 312);
  EXPECT_EQ(b.W(), 88);
  EXPECT_EQ(b.Height, 25);
  b.Height = 20;
  b.Font.Height = -12;
  b.FontHOT.Underline = true;
  b.Caption = u"EULA";
  b.Layout({29, 0, 0});
  EXPECT_EQ(b.W(), 33);

  std::vector<std::string> events;
  b.OnMouseEnter = [&] { events.push_back("enter"); };
  b.OnMouseLeave = [&] { events.push_back("leave"); };
  b.OnMouseUp = [&](int x, int y) { events.push_back("up " + std::to_string(x) + "," + std::to_string(y)); };
  b.MouseEnter();
  EXPECT_TRUE(b.DrawingFont().Underline);
  b.MouseUp(3, 4);
  b.MouseLeave();
  EXPECT_FALSE(b.DrawingFont().Underline);
  b.Enabled = false;
  b.MouseEnter();
  b.MouseUp(1, 1);
  EXPECT_TRUE(b.MouseIsInside());
  EXPECT_EQ(events, (std::vector<std::string>{"enter", "up 3,4", "leave"}));
}
}  // namespace

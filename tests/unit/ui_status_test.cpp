// The status decision for one device kind, the tray icon choice and the tray tooltip.
#include <gtest/gtest.h>

#include "ui/status.h"

namespace {
const SideTexts kGermanCam{u"Keine Webcam angeschlossen", u"%1/%2 Webcams bereit"};
const SideNameTexts kGermanCamNames{u"Webcams: %1 von %2 bereit. Dr\u00fccken zum Sperren.",
                                    u"Webcams: %1 von %2 bereit. Dr\u00fccken zum Freigeben.",
                                    u"Webcams: keine angeschlossen."};

struct SideCase {
  int32_t n, a, r;
  int32_t state;
  const char16_t* picture;
  bool enabled;
  const char16_t* text;
  bool marker;
  const char16_t* name;  // what a screen reader says: the state and what a press does
};

class StatusTable : public ::testing::TestWithParam<SideCase> {};

TEST_P(StatusTable, DecidesPictureTextAndMarkers) {
  const SideCase& c = GetParam();
  const SideStatus s = Decide_SideStatus({c.n, c.a, c.r, u"Integrated Camera"}, kGermanCam, kCamPictures);
  EXPECT_EQ(s.state, c.state);
  EXPECT_EQ(s.pictureFile, c.picture);
  EXPECT_EQ(s.buttonEnabled, c.enabled);
  EXPECT_EQ(ToUtf8(s.text), ToUtf8(c.text));
  EXPECT_EQ(s.rebootMarkerVisible, c.marker);
  EXPECT_EQ(ToUtf8(Side_AccessibleName({c.n, c.a, c.r, u"Integrated Camera"}, kGermanCamNames, u"Neustart n\u00f6tig")),
            ToUtf8(c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusTable,
    ::testing::Values(
        SideCase{0, 0, 0, 0, u"\\cam-disabled.bmp", false, u"Keine Webcam angeschlossen", false,
                 u"Webcams: keine angeschlossen."},
        SideCase{1, 1, 0, 1, u"\\cam-on.bmp", true, u"Integrated Camera", false,
                 u"Webcams: 1 von 1 bereit. Dr\u00fccken zum Sperren."},
        SideCase{2, 1, 0, 1, u"\\cam-on.bmp", true, u"1/2 Webcams bereit", false,
                 u"Webcams: 1 von 2 bereit. Dr\u00fccken zum Sperren."},
        SideCase{3, 3, 0, 1, u"\\cam-on.bmp", true, u"3/3 Webcams bereit", false,
                 u"Webcams: 3 von 3 bereit. Dr\u00fccken zum Sperren."},
        SideCase{1, 0, 0, 2, u"\\cam-off.bmp", true, u"Integrated Camera", false,
                 u"Webcams: 0 von 1 bereit. Dr\u00fccken zum Freigeben."},
        SideCase{2, 0, 0, 2, u"\\cam-off.bmp", true, u"0/2 Webcams bereit", false,
                 u"Webcams: 0 von 2 bereit. Dr\u00fccken zum Freigeben."},
        // A pending restart shows the marker whatever the state, and the name says so.
        SideCase{1, 1, 1, 1, u"\\cam-on.bmp", true, u"Integrated Camera", true,
                 u"Webcams: 1 von 1 bereit. Dr\u00fccken zum Sperren. Neustart n\u00f6tig"},
        SideCase{2, 0, 2, 2, u"\\cam-off.bmp", true, u"0/2 Webcams bereit", true,
                 u"Webcams: 0 von 2 bereit. Dr\u00fccken zum Freigeben. Neustart n\u00f6tig"}));

TEST(StatusTexts, MicrophoneSideUsesItsOwnPicturesAndTexts) {
  const SideTexts mic{u"Kein Mikrofon angeschlossen", u"%1/%2 Mikrofone bereit"};
  const SideStatus off = Decide_SideStatus({2, 0, 0, u"Mic"}, mic, kMicPictures);
  EXPECT_EQ(off.pictureFile, u"\\mic-off.bmp");
  EXPECT_EQ(ToUtf8(off.text), "0/2 Mikrofone bereit");
  EXPECT_EQ(Decide_SideStatus({0, 0, 0, u""}, mic, kMicPictures).pictureFile, u"\\mic-disabled.bmp");
}

TEST(StatusTexts, EveryPlaceholderIsReplacedFirstPercentOneThenPercentTwo) {
  EXPECT_EQ(ToUtf8(Fill_CountTemplate(u"%1 von %2 (%1)", 1, 2)), "1 von 2 (1)");
  // "%1" is replaced first, so a "%2" that the first replacement makes is replaced as well.
  EXPECT_EQ(ToUtf8(Fill_CountTemplate(u"%%1", 2, 3)), "3");
  EXPECT_EQ(ToUtf8(Fill_CountTemplate(u"keine Platzhalter", 1, 2)), "keine Platzhalter");
  EXPECT_EQ(ToUtf8(Fill_CountTemplate(u"%1/%2", 12, 345)), "12/345");
}

TEST(TrayIcon, ChoiceFromBothStates) {
  struct Case {
    int32_t cam, mic;
    TrayIconKind icon, inUseIcon;
  };
  const Case cases[] = {
      {0, 0, TrayIconKind::NoDevice, TrayIconKind::NoDeviceInUse}, {1, 1, TrayIconKind::On, TrayIconKind::OnInUse},
      {2, 2, TrayIconKind::Off, TrayIconKind::OffInUse},           {1, 2, TrayIconKind::Normal, TrayIconKind::NormalInUse},
      {2, 1, TrayIconKind::Normal, TrayIconKind::NormalInUse},     {0, 1, TrayIconKind::Normal, TrayIconKind::NormalInUse},
      {1, 0, TrayIconKind::Normal, TrayIconKind::NormalInUse},     {0, 2, TrayIconKind::Normal, TrayIconKind::NormalInUse},
      {2, 0, TrayIconKind::Normal, TrayIconKind::NormalInUse},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Choose_TrayIcon(c.cam, c.mic), c.icon) << "webcam " << c.cam << ", microphone " << c.mic;
    EXPECT_EQ(Choose_TrayIcon(c.cam, c.mic, false), c.icon) << "webcam " << c.cam << ", microphone " << c.mic;
    EXPECT_EQ(Choose_TrayIcon(c.cam, c.mic, true), c.inUseIcon) << "webcam " << c.cam << ", microphone " << c.mic;
  }
}

TEST(TrayIcon, TooltipNamesBothKindsAlsoForOneDevice) {
  const SideTexts mic{u"Kein Mikrofon angeschlossen", u"%1/%2 Mikrofone bereit"};
  EXPECT_EQ(ToUtf8(TrayTooltip(u"Vostrel Veilcap", {1, 1, 0, u"Integrated Camera"}, kGermanCam, {0, 0, 0, u""}, mic)),
            "Vostrel Veilcap\n1/1 Webcams bereit\nKein Mikrofon angeschlossen");
  EXPECT_EQ(ToUtf8(TrayTooltip(u"T", {2, 0, 0, u"A"}, kGermanCam, {3, 2, 0, u"B"}, mic)),
            "T\n0/2 Webcams bereit\n2/3 Mikrofone bereit");
  EXPECT_EQ(ToUtf8(TrayTooltip(u"T", {2, 0, 0, u"A"}, kGermanCam, {3, 2, 0, u"B"}, mic, u"", u"Mikrofon verwendet von Zoom")),
            "T\n0/2 Webcams bereit\nMikrofon verwendet von Zoom");
}
}  // namespace

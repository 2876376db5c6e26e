#include "ui/status.h"

const SidePictures kCamPictures{u"\\cam-disabled.bmp", u"\\cam-on.bmp", u"\\cam-off.bmp"};
const SidePictures kMicPictures{u"\\mic-disabled.bmp", u"\\mic-on.bmp", u"\\mic-off.bmp"};

SideStatus Decide_SideStatus(const SideCounters& c, const SideTexts& texts, const SidePictures& pictures) {
  SideStatus s;
  if (c.current == 0) {
    s.state = kStateNoDevice;
    s.pictureFile = pictures.noDevice;
    s.buttonEnabled = false;
    s.text = texts.notFound;
  } else if (c.active > 0) {
    s.state = kStateOn;
    s.pictureFile = pictures.on;
    s.buttonEnabled = true;
    s.text = (c.current == 1 && c.active == 1) ? c.firstName : Fill_CountTemplate(texts.multiple, c.active, c.current);
  } else {
    s.state = kStateOff;
    s.pictureFile = pictures.off;
    s.buttonEnabled = true;
    s.text = c.current == 1 ? c.firstName : Fill_CountTemplate(texts.multiple, c.active, c.current);
  }
  s.rebootMarkerVisible = c.rebootRequired > 0;
  return s;
}

u16 Side_AccessibleName(const SideCounters& c, const SideNameTexts& texts, const u16& restartText) {
  u16 name;
  if (c.current <= 0)
    name = texts.none;
  else
    name = Fill_CountTemplate(c.active > 0 ? texts.on : texts.off, c.active, c.current);
  if (c.rebootRequired > 0 && !restartText.empty()) name += u" " + restartText;
  return name;
}

TrayIconKind Choose_TrayIcon(int32_t camState, int32_t micState) {
  if (camState == kStateNoDevice && micState == kStateNoDevice) return TrayIconKind::NoDevice;
  if (camState == kStateOn && micState == kStateOn) return TrayIconKind::On;
  if (camState == kStateOff && micState == kStateOff) return TrayIconKind::Off;
  return TrayIconKind::Normal;
}

TrayIconKind Choose_TrayIcon(int32_t camState, int32_t micState, bool inUse) {
  const TrayIconKind k = Choose_TrayIcon(camState, micState);
  if (!inUse) return k;
  switch (k) {
    case TrayIconKind::On: return TrayIconKind::OnInUse;
    case TrayIconKind::Off: return TrayIconKind::OffInUse;
    case TrayIconKind::NoDevice: return TrayIconKind::NoDeviceInUse;
    default: return TrayIconKind::NormalInUse;
  }
}

namespace {
u16 SideLine(const SideCounters& c, const SideTexts& t) {
  return c.current == 0 ? t.notFound : Fill_CountTemplate(t.multiple, c.active, c.current);
}
}  // namespace

u16 TrayTooltip(const u16& title, const SideCounters& cams, const SideTexts& camTexts,
                const SideCounters& mics, const SideTexts& micTexts, const u16& camInUse, const u16& micInUse) {
  return title + u"\n" + (camInUse.empty() ? SideLine(cams, camTexts) : camInUse) + u"\n" +
         (micInUse.empty() ? SideLine(mics, micTexts) : micInUse);
}

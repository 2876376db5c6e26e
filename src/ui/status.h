// What the main window shows for one device kind, decided from the counters of the device list,
// and the tray icon colour decided from both kinds.
#pragma once
#include <cstdint>

#include "core/text.h"
#include "lang/messages.h"  // Fill_CountTemplate

// State number of a big picture button.
enum : int32_t { kStateNoDevice = 0, kStateOn = 1, kStateOff = 2 };

struct SideCounters {
  int32_t current = 0;          // watched devices
  int32_t active = 0;           // of them working
  int32_t rebootRequired = 0;   // of them waiting for a restart
  u16 firstName;                // name of the first watched device
};

struct SideTexts {
  u16 notFound;  // MESSAGE_STATUS_CAM_NOTFOUND / _MIC_
  u16 multiple;  // MESSAGE_STATUS_CAM_MULTIPLE / _MIC_ with "%1" and "%2"
};

struct SidePictures {
  const char16_t* noDevice;  // "\cam-disabled.bmp"
  const char16_t* on;
  const char16_t* off;
};
extern const SidePictures kCamPictures;
extern const SidePictures kMicPictures;

struct SideStatus {
  int32_t state = kStateNoDevice;
  u16 pictureFile;  // name with its leading backslash, appended to the skins folder
  bool buttonEnabled = false;
  u16 text;
  bool rebootMarkerVisible = false;
};

SideStatus Decide_SideStatus(const SideCounters& c, const SideTexts& texts, const SidePictures& pictures);

// The last four are the first four wearing the "in use" dot.
enum class TrayIconKind { Normal, On, Off, NoDevice, NormalInUse, OnInUse, OffInUse, NoDeviceInUse };
// White without any device, green with both kinds on, red with both off, light blue otherwise.
TrayIconKind Choose_TrayIcon(int32_t camState, int32_t micState);
// The same colour with the dot while a program uses a camera or microphone.
TrayIconKind Choose_TrayIcon(int32_t camState, int32_t micState, bool inUse);

// The three sentences a screen reader says for one big picture, each with "%1" (working devices)
// and "%2" (watched devices) where it counts them.
struct SideNameTexts {
  u16 on;    // some work: a press blocks them (MESSAGE_ACCESS_CAM_ON / _MIC_)
  u16 off;   // all are off: a press unblocks them
  u16 none;  // no watched device: the picture does nothing
};

// The accessible name of a big picture: the sentence for its state with the counts filled in, and
// the restart text after a blank while a device waits for a restart.
u16 Side_AccessibleName(const SideCounters& c, const SideNameTexts& texts, const u16& restartText);

// Tooltip of the tray icon: the title and one line per device kind, in the current language's
// words (the count texts, also for a single device, or the not-found text). A non-empty in-use
// line ("Webcam in use by Zoom") stands in for its kind's line.
u16 TrayTooltip(const u16& title, const SideCounters& cams, const SideTexts& camTexts,
                const SideCounters& mics, const SideTexts& micTexts, const u16& camInUse = {},
                const u16& micInUse = {});

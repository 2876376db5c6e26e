#include "devices/privacy.h"

#include "platform/environment.h"
#include "platform/registry.h"

const u16 kConsentKeyWebcam =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";
const u16 kConsentKeyMicrophone =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\microphone";
const u16 kCameraNoticeKey = u"SOFTWARE\\Microsoft\\OEM\\Device\\Capture";
const u16 kCameraNoticeValue = u"NoPhysicalCameraLED";

namespace {
void WriteConsent(const u16& key, bool block) {
  if (!Win8_or_later) return;
  const u16 text = block ? u"Deny" : u"Allow";
  // Both roots always; the second write happens even when the first one failed.
  Reg_WriteString(RegRoot::CurrentUser, key, u"Value", text);
  Reg_WriteString(RegRoot::LocalMachine, key, u"Value", text);
}
}  // namespace

void Privacy_SetCameraConsent(bool block) { WriteConsent(kConsentKeyWebcam, block); }
void Privacy_SetMicrophoneConsent(bool block) { WriteConsent(kConsentKeyMicrophone, block); }

bool CameraNotice_IsOn() {
  if (!Win10_or_later) return false;
  return Reg_ReadInteger(RegRoot::LocalMachine, kCameraNoticeKey, kCameraNoticeValue) == 1;
}

void CameraNotice_Set(bool on) {
  if (!Win10_or_later) return;
  if (on)
    Reg_WriteInteger(RegRoot::LocalMachine, kCameraNoticeKey, kCameraNoticeValue, 1);
  else
    Reg_DeleteValue(RegRoot::LocalMachine, kCameraNoticeKey, kCameraNoticeValue);
}

// Windows' privacy consent for camera and microphone, and the on-screen notice for camera activity.
#pragma once
#include "core/text.h"

extern const u16 kConsentKeyWebcam;      // ...\CapabilityAccessManager\ConsentStore\webcam
extern const u16 kConsentKeyMicrophone;  // ...\CapabilityAccessManager\ConsentStore\microphone
extern const u16 kCameraNoticeKey;       // SOFTWARE\Microsoft\OEM\Device\Capture
extern const u16 kCameraNoticeValue;     // NoPhysicalCameraLED

// Writes "Deny" (block) or "Allow" as the consent value under the current user, then under the
// machine, from Windows 8 on; nothing before. Write failures are ignored. A "Deny" written over
// another value is recorded in the ledger (per kind and root); an "Allow" forgets the record.
void Privacy_SetCameraConsent(bool block);
void Privacy_SetMicrophoneConsent(bool block);
// Sets every consent value the ledger records as Veilcap's "Deny" back to "Allow" and forgets the
// record; false when one could not be written (its record stays).
bool Privacy_RestoreDeniedConsent();

// The camera notice (Windows 10 and later only): on is the DWORD value 1, off is no value.
// Reading answers false before Windows 10; writing does nothing there.
bool CameraNotice_IsOn();
void CameraNotice_Set(bool on);

#include "devices/privacy.h"

#include "devices/ledger.h"
#include "platform/environment.h"
#include "platform/registry.h"

const u16 kConsentKeyWebcam =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\webcam";
const u16 kConsentKeyMicrophone =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\CapabilityAccessManager\\ConsentStore\\microphone";
const u16 kCameraNoticeKey = u"SOFTWARE\\Microsoft\\OEM\\Device\\Capture";
const u16 kCameraNoticeValue = u"NoPhysicalCameraLED";

namespace {
constexpr RegRoot kConsentRoots[] = {RegRoot::CurrentUser, RegRoot::LocalMachine};

const u16& ConsentKey(LedgerKind kind) { return kind == LedgerKind::Mic ? kConsentKeyMicrophone : kConsentKeyWebcam; }

void WriteConsent(LedgerKind kind, bool block) {
  if (!Win8_or_later) return;
  const u16& key = ConsentKey(kind);
  const u16 text = block ? u"Deny" : u"Allow";
  // Both roots always; the second write happens even when the first one failed.
  for (RegRoot root : kConsentRoots) {
    const bool wasDenied = block && Reg_ReadString(root, key, u"Value") == u"Deny";
    if (!Reg_WriteString(root, key, u"Value", text)) continue;
    if (!block)
      Ledger_SetConsentDenied(kind, root, false);
    else if (!wasDenied)
      Ledger_SetConsentDenied(kind, root, true);
  }
}
}  // namespace

void Privacy_SetCameraConsent(bool block) { WriteConsent(LedgerKind::Cam, block); }
void Privacy_SetMicrophoneConsent(bool block) { WriteConsent(LedgerKind::Mic, block); }

bool Privacy_RestoreDeniedConsent() {
  bool ok = true;
  for (LedgerKind kind : {LedgerKind::Cam, LedgerKind::Mic})
    for (RegRoot root : kConsentRoots) {
      if (!Ledger_ConsentDenied(kind, root)) continue;
      if (Reg_WriteString(root, ConsentKey(kind), u"Value", u"Allow"))
        ok = Ledger_SetConsentDenied(kind, root, false) && ok;
      else
        ok = false;
    }
  return ok;
}

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

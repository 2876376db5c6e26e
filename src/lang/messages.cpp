#include "lang/messages.h"

namespace {
constexpr const char16_t kName[] = u"Vostrel Software";
constexpr const char16_t kEmail[] = u"translations@vostrel-software.example";
constexpr const char16_t kActive[] = u"angeschlossen";
constexpr const char16_t kNotConnected[] = u"nicht angeschlossen";
constexpr const char16_t kProblem[] = u"Ger\u00e4t meldet Problemcode";
constexpr const char16_t kDeactivated[] = u"deaktiviert";
constexpr const char16_t kCamNotFound[] = u"Keine Webcam angeschlossen";
constexpr const char16_t kMicNotFound[] = u"Kein Mikrofon angeschlossen";
constexpr const char16_t kPleaseWait[] = u"Bitte warten...";
constexpr const char16_t kCamMultiple[] = u"%1/%2 Webcams bereit";
constexpr const char16_t kMicMultiple[] = u"%1/%2 Mikrofone bereit";
constexpr const char16_t kNeedRestart[] =
    u"Der Status des Ger\u00e4tes konnte nicht vollst\u00e4ndig ge\u00e4ndert werden. Vermutlich wird das "
    u"Ger\u00e4t aktuell von einer Anwendung noch verwendet. Beenden Sie diese und versuchen Sie es "
    u"dann erneut.";
constexpr const char16_t kMicDeactivateFailed[] =
    u"Ein oder mehrere Mikrofone konnten nicht deaktiviert werden. Dies kann z.B. der Fall sein wenn "
    u"das Mikrofon Teil eines Headsets ist und nicht seperat deaktiviert werden kann, ohne den "
    u"Kopfh\u00f6rer ebenfalls zu deaktivieren.";
constexpr const char16_t kKeptBlocked[] = u"%1 wurde angeschlossen und blockiert";
constexpr const char16_t kKeptBlockedEn[] = u"%1 was plugged in and blocked";
constexpr const char16_t kKeepFailed[] =
    u"%1 bleibt nicht blockiert. Veilcap l\u00e4sst das Ger\u00e4t bis zum n\u00e4chsten Anschlie\u00dfen in Ruhe.";
constexpr const char16_t kKeepFailedEn[] = u"%1 does not stay blocked. Veilcap leaves it alone until it is plugged in again.";
constexpr const char16_t kHotkeyTaken[] = u"Die Tastenkombination %1 wird schon von einem anderen Programm verwendet.";
constexpr const char16_t kHotkeyTakenEn[] = u"The hotkey %1 is already used by another program.";
constexpr const char16_t kCamsBlocked[] = u"Webcams blockiert";
constexpr const char16_t kCamsBlockedEn[] = u"Webcams blocked";
constexpr const char16_t kCamsOn[] = u"Webcams eingeschaltet";
constexpr const char16_t kCamsOnEn[] = u"Webcams on";
constexpr const char16_t kMicsBlocked[] = u"Mikrofone blockiert";
constexpr const char16_t kMicsBlockedEn[] = u"Microphones blocked";
constexpr const char16_t kMicsOn[] = u"Mikrofone eingeschaltet";
constexpr const char16_t kMicsOnEn[] = u"Microphones on";
}  // namespace

u16 MESSAGE_TRANSLATOR_NAME = kName;
u16 MESSAGE_TRANSLATOR_EMAIL = kEmail;
u16 MESSAGE_DEVICES_STATUS_ACTIVE = kActive;
u16 MESSAGE_DEVICES_STATUS_NOT_CONNECTED = kNotConnected;
u16 MESSAGE_DEVICES_STATUS_PROBLEM = kProblem;
u16 MESSAGE_DEVICES_STATUS_DEACTIVED = kDeactivated;
u16 MESSAGE_STATUS_CAM_NOTFOUND = kCamNotFound;
u16 MESSAGE_STATUS_MIC_NOTFOUND = kMicNotFound;
u16 MESSAGE_STATUS_PLEASEWAIT = kPleaseWait;
u16 MESSAGE_STATUS_CAM_MULTIPLE = kCamMultiple;
u16 MESSAGE_STATUS_MIC_MULTIPLE = kMicMultiple;
u16 MESSAGE_STATUS_NEED_RESTART = kNeedRestart;
u16 MESSAGE_STATUS_MIC_DEACTIVATE_FAILED = kMicDeactivateFailed;
u16 MESSAGE_NOTICE_KEPT_BLOCKED = kKeptBlocked;
u16 MESSAGE_NOTICE_KEEP_FAILED = kKeepFailed;
u16 MESSAGE_NOTICE_HOTKEY_TAKEN = kHotkeyTaken;
u16 MESSAGE_NOTICE_CAMS_BLOCKED = kCamsBlocked;
u16 MESSAGE_NOTICE_CAMS_ON = kCamsOn;
u16 MESSAGE_NOTICE_MICS_BLOCKED = kMicsBlocked;
u16 MESSAGE_NOTICE_MICS_ON = kMicsOn;

const std::vector<MessageEntry>& MessageTable() {
  static const std::vector<MessageEntry> table = {
      {u"MESSAGE_TRANSLATOR_NAME", &MESSAGE_TRANSLATOR_NAME, kName},
      {u"MESSAGE_TRANSLATOR_EMAIL", &MESSAGE_TRANSLATOR_EMAIL, kEmail},
      {u"MESSAGE_DEVICES_STATUS_ACTIVE", &MESSAGE_DEVICES_STATUS_ACTIVE, kActive},
      {u"MESSAGE_DEVICES_STATUS_NOT_CONNECTED", &MESSAGE_DEVICES_STATUS_NOT_CONNECTED, kNotConnected},
      {u"MESSAGE_DEVICES_STATUS_PROBLEM", &MESSAGE_DEVICES_STATUS_PROBLEM, kProblem},
      {u"MESSAGE_DEVICES_STATUS_DEACTIVED", &MESSAGE_DEVICES_STATUS_DEACTIVED, kDeactivated},
      {u"MESSAGE_STATUS_CAM_NOTFOUND", &MESSAGE_STATUS_CAM_NOTFOUND, kCamNotFound},
      {u"MESSAGE_STATUS_MIC_NOTFOUND", &MESSAGE_STATUS_MIC_NOTFOUND, kMicNotFound},
      {u"MESSAGE_STATUS_PLEASEWAIT", &MESSAGE_STATUS_PLEASEWAIT, kPleaseWait},
      {u"MESSAGE_STATUS_CAM_MULTIPLE", &MESSAGE_STATUS_CAM_MULTIPLE, kCamMultiple},
      {u"MESSAGE_STATUS_MIC_MULTIPLE", &MESSAGE_STATUS_MIC_MULTIPLE, kMicMultiple},
      {u"MESSAGE_STATUS_NEED_RESTART", &MESSAGE_STATUS_NEED_RESTART, kNeedRestart},
      {u"MESSAGE_STATUS_MIC_DEACTIVATE_FAILED", &MESSAGE_STATUS_MIC_DEACTIVATE_FAILED, kMicDeactivateFailed},
      // Texts added after 1.0.30 carry their English default as a fourth field.
      {u"MESSAGE_NOTICE_KEPT_BLOCKED", &MESSAGE_NOTICE_KEPT_BLOCKED, kKeptBlocked, kKeptBlockedEn},
      {u"MESSAGE_NOTICE_KEEP_FAILED", &MESSAGE_NOTICE_KEEP_FAILED, kKeepFailed, kKeepFailedEn},
      {u"MESSAGE_NOTICE_HOTKEY_TAKEN", &MESSAGE_NOTICE_HOTKEY_TAKEN, kHotkeyTaken, kHotkeyTakenEn},
      {u"MESSAGE_NOTICE_CAMS_BLOCKED", &MESSAGE_NOTICE_CAMS_BLOCKED, kCamsBlocked, kCamsBlockedEn},
      {u"MESSAGE_NOTICE_CAMS_ON", &MESSAGE_NOTICE_CAMS_ON, kCamsOn, kCamsOnEn},
      {u"MESSAGE_NOTICE_MICS_BLOCKED", &MESSAGE_NOTICE_MICS_BLOCKED, kMicsBlocked, kMicsBlockedEn},
      {u"MESSAGE_NOTICE_MICS_ON", &MESSAGE_NOTICE_MICS_ON, kMicsOn, kMicsOnEn},
  };
  return table;
}

void Init_Messages() {
  for (const auto& m : MessageTable()) *m.text = m.builtInText;
}

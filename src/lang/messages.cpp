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
constexpr const char16_t kAccessCamOn[] = u"Webcams: %1 von %2 bereit. Dr\u00fccken zum Sperren.";
constexpr const char16_t kAccessCamOnEn[] = u"Webcams: %1 of %2 ready. Press to block.";
constexpr const char16_t kAccessCamOff[] = u"Webcams: %1 von %2 bereit. Dr\u00fccken zum Freigeben.";
constexpr const char16_t kAccessCamOffEn[] = u"Webcams: %1 of %2 ready. Press to unblock.";
constexpr const char16_t kAccessCamNone[] = u"Webcams: keine angeschlossen.";
constexpr const char16_t kAccessCamNoneEn[] = u"Webcams: none connected.";
constexpr const char16_t kAccessMicOn[] = u"Mikrofone: %1 von %2 bereit. Dr\u00fccken zum Sperren.";
constexpr const char16_t kAccessMicOnEn[] = u"Microphones: %1 of %2 ready. Press to block.";
constexpr const char16_t kAccessMicOff[] = u"Mikrofone: %1 von %2 bereit. Dr\u00fccken zum Freigeben.";
constexpr const char16_t kAccessMicOffEn[] = u"Microphones: %1 of %2 ready. Press to unblock.";
constexpr const char16_t kAccessMicNone[] = u"Mikrofone: keine angeschlossen.";
constexpr const char16_t kAccessMicNoneEn[] = u"Microphones: none connected.";
constexpr const char16_t kAccessMessages[] = u"Nachrichten";
constexpr const char16_t kAccessMessagesEn[] = u"Messages";
constexpr const char16_t kAccessFeedback[] = u"Feedback";
constexpr const char16_t kAccessFeedbackEn[] = u"Feedback";
constexpr const char16_t kAccessMinimize[] = u"Minimieren";
constexpr const char16_t kAccessMinimizeEn[] = u"Minimize";
constexpr const char16_t kAccessClose[] = u"Schlie\u00dfen";
constexpr const char16_t kAccessCloseEn[] = u"Close";
constexpr const char16_t kAccessPress[] = u"Dr\u00fccken";
constexpr const char16_t kAccessPressEn[] = u"Press";
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
u16 MESSAGE_ACCESS_CAM_ON = kAccessCamOn;
u16 MESSAGE_ACCESS_CAM_OFF = kAccessCamOff;
u16 MESSAGE_ACCESS_CAM_NONE = kAccessCamNone;
u16 MESSAGE_ACCESS_MIC_ON = kAccessMicOn;
u16 MESSAGE_ACCESS_MIC_OFF = kAccessMicOff;
u16 MESSAGE_ACCESS_MIC_NONE = kAccessMicNone;
u16 MESSAGE_ACCESS_MESSAGES = kAccessMessages;
u16 MESSAGE_ACCESS_FEEDBACK = kAccessFeedback;
u16 MESSAGE_ACCESS_MINIMIZE = kAccessMinimize;
u16 MESSAGE_ACCESS_CLOSE = kAccessClose;
u16 MESSAGE_ACCESS_PRESS = kAccessPress;

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
      {u"MESSAGE_ACCESS_CAM_ON", &MESSAGE_ACCESS_CAM_ON, kAccessCamOn, kAccessCamOnEn},
      {u"MESSAGE_ACCESS_CAM_OFF", &MESSAGE_ACCESS_CAM_OFF, kAccessCamOff, kAccessCamOffEn},
      {u"MESSAGE_ACCESS_CAM_NONE", &MESSAGE_ACCESS_CAM_NONE, kAccessCamNone, kAccessCamNoneEn},
      {u"MESSAGE_ACCESS_MIC_ON", &MESSAGE_ACCESS_MIC_ON, kAccessMicOn, kAccessMicOnEn},
      {u"MESSAGE_ACCESS_MIC_OFF", &MESSAGE_ACCESS_MIC_OFF, kAccessMicOff, kAccessMicOffEn},
      {u"MESSAGE_ACCESS_MIC_NONE", &MESSAGE_ACCESS_MIC_NONE, kAccessMicNone, kAccessMicNoneEn},
      {u"MESSAGE_ACCESS_MESSAGES", &MESSAGE_ACCESS_MESSAGES, kAccessMessages, kAccessMessagesEn},
      {u"MESSAGE_ACCESS_FEEDBACK", &MESSAGE_ACCESS_FEEDBACK, kAccessFeedback, kAccessFeedbackEn},
      {u"MESSAGE_ACCESS_MINIMIZE", &MESSAGE_ACCESS_MINIMIZE, kAccessMinimize, kAccessMinimizeEn},
      {u"MESSAGE_ACCESS_CLOSE", &MESSAGE_ACCESS_CLOSE, kAccessClose, kAccessCloseEn},
      {u"MESSAGE_ACCESS_PRESS", &MESSAGE_ACCESS_PRESS, kAccessPress, kAccessPressEn},
  };
  return table;
}

void Init_Messages() {
  for (const auto& m : MessageTable()) *m.text = m.builtInText;
}

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
constexpr const char16_t kTaskCreateFailed[] =
    u"Die Aufgabe f\u00fcr den Start mit Windows konnte nicht angelegt werden: die Aufgabenplanung von "
    u"Windows hat sie abgelehnt.";
constexpr const char16_t kTaskCreateFailedEn[] =
    u"The task that starts Veilcap with Windows could not be created: the Windows Task Scheduler refused it.";
constexpr const char16_t kTaskRefusedFolder[] =
    u"Veilcap wird nicht mit Windows gestartet: Veilcap.exe oder sein Ordner kann von Benutzern ohne "
    u"Administratorrechte ge\u00e4ndert werden. Installieren Sie das Programm unter \u201eProgramme\u201c "
    u"(Program Files) und versuchen Sie es erneut.";
constexpr const char16_t kTaskRefusedFolderEn[] =
    u"Veilcap will not start with Windows: Veilcap.exe or its folder can be changed by users without "
    u"administrator rights. Install the program under Program Files and try again.";
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
u16 MESSAGE_TASK_CREATE_FAILED = kTaskCreateFailed;
u16 MESSAGE_TASK_REFUSED_FOLDER = kTaskRefusedFolder;

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
      {u"MESSAGE_TASK_CREATE_FAILED", &MESSAGE_TASK_CREATE_FAILED, kTaskCreateFailed, kTaskCreateFailedEn},
      {u"MESSAGE_TASK_REFUSED_FOLDER", &MESSAGE_TASK_REFUSED_FOLDER, kTaskRefusedFolder, kTaskRefusedFolderEn},
  };
  return table;
}

void Init_Messages() {
  for (const auto& m : MessageTable()) *m.text = m.builtInText;
}

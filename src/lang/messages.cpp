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

constexpr const char16_t kCliHelpDe[] =
    u"Veilcap f\u00fcr Administratoren und Skripte:\r\n"
    u"  Veilcap.exe -STATUS [CAM|MIC|ALL] [-JSON]\r\n"
    u"      zeigt jedes \u00fcberwachte Ger\u00e4t der Art mit seinem Zustand (mit -JSON als JSON-Dokument).\r\n"
    u"      Exitcode: 0 alle aus, 1 mindestens eines an, 3 kein \u00fcberwachtes Ger\u00e4t.\r\n"
    u"  Veilcap.exe -BLOCK CAM|MIC|ALL\r\n"
    u"      schaltet die \u00fcberwachten Ger\u00e4te der Art aus, wie ein Klick auf das Bild.\r\n"
    u"  Veilcap.exe -UNBLOCK CAM|MIC|ALL\r\n"
    u"      schaltet die deaktivierten Ger\u00e4te der Art wieder ein.\r\n"
    u"  Veilcap.exe -RESTORE\r\n"
    u"      schaltet jedes Ger\u00e4t wieder ein, das Veilcap deaktiviert hat.\r\n"
    u"      Exitcode: 0 erledigt, 1 ein Ger\u00e4t ist nicht gefolgt (es wird genannt).\r\n"
    u"  Veilcap.exe -HELP\r\n"
    u"      zeigt diesen Text.\r\n"
    u"Exitcode 2: unbekannte oder unvollst\u00e4ndige Befehlszeile.";
constexpr const char16_t kCliHelpEn[] =
    u"Veilcap for administrators and scripts:\r\n"
    u"  Veilcap.exe -STATUS [CAM|MIC|ALL] [-JSON]\r\n"
    u"      shows every watched device of the kind with its state (with -JSON as a JSON document).\r\n"
    u"      Exit code: 0 all off, 1 at least one on, 3 no watched device.\r\n"
    u"  Veilcap.exe -BLOCK CAM|MIC|ALL\r\n"
    u"      switches the watched devices of the kind off, as a click on the picture does.\r\n"
    u"  Veilcap.exe -UNBLOCK CAM|MIC|ALL\r\n"
    u"      switches the disabled devices of the kind on again.\r\n"
    u"  Veilcap.exe -RESTORE\r\n"
    u"      switches on again every device Veilcap disabled.\r\n"
    u"      Exit code: 0 done, 1 a device did not follow (it is named).\r\n"
    u"  Veilcap.exe -HELP\r\n"
    u"      shows this text.\r\n"
    u"Exit code 2: unknown or incomplete command line.";
constexpr const char16_t kCliBadUsageDe[] =
    u"Unbekannte oder unvollst\u00e4ndige Befehlszeile. \"Veilcap.exe -HELP\" zeigt die Befehle.";
constexpr const char16_t kCliBadUsageEn[] = u"Unknown or incomplete command line. \"Veilcap.exe -HELP\" lists the commands.";
constexpr const char16_t kCliStillOnDe[] = u"Noch eingeschaltet: %1";
constexpr const char16_t kCliStillOnEn[] = u"Still on: %1";
constexpr const char16_t kCliStillOffDe[] = u"Noch ausgeschaltet: %1";
constexpr const char16_t kCliStillOffEn[] = u"Still off: %1";
constexpr const char16_t kCliBusyDe[] =
    u"Ein anderer Schaltvorgang ist nicht rechtzeitig fertig geworden; nichts wurde ge\u00e4ndert.";
constexpr const char16_t kCliBusyEn[] = u"Another switching run did not end in time; nothing was changed.";
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
u16 MESSAGE_CLI_HELP = kCliHelpDe;
u16 MESSAGE_CLI_BAD_USAGE = kCliBadUsageDe;
u16 MESSAGE_CLI_STILL_ON = kCliStillOnDe;
u16 MESSAGE_CLI_STILL_OFF = kCliStillOffDe;
u16 MESSAGE_CLI_BUSY = kCliBusyDe;

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
      {u"MESSAGE_CLI_HELP", &MESSAGE_CLI_HELP, kCliHelpDe, kCliHelpEn},
      {u"MESSAGE_CLI_BAD_USAGE", &MESSAGE_CLI_BAD_USAGE, kCliBadUsageDe, kCliBadUsageEn},
      {u"MESSAGE_CLI_STILL_ON", &MESSAGE_CLI_STILL_ON, kCliStillOnDe, kCliStillOnEn},
      {u"MESSAGE_CLI_STILL_OFF", &MESSAGE_CLI_STILL_OFF, kCliStillOffDe, kCliStillOffEn},
      {u"MESSAGE_CLI_BUSY", &MESSAGE_CLI_BUSY, kCliBusyDe, kCliBusyEn},
  };
  return table;
}

void Init_Messages() {
  for (const auto& m : MessageTable()) *m.text = m.builtInText;
}

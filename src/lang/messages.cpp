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
constexpr const char16_t kInUse[] = u"Verwendet von %1";
constexpr const char16_t kInUseEn[] = u"In use by %1";
constexpr const char16_t kTrayCamInUse[] = u"Webcam verwendet von %1";
constexpr const char16_t kTrayCamInUseEn[] = u"Webcam in use by %1";
constexpr const char16_t kTrayMicInUse[] = u"Mikrofon verwendet von %1";
constexpr const char16_t kTrayMicInUseEn[] = u"Microphone in use by %1";
constexpr const char16_t kNoticeCamStarted[] = u"%1 verwendet jetzt die Webcam.";
constexpr const char16_t kNoticeCamStartedEn[] = u"%1 is now using the webcam.";
constexpr const char16_t kNoticeMicStarted[] = u"%1 verwendet jetzt das Mikrofon.";
constexpr const char16_t kNoticeMicStartedEn[] = u"%1 is now using the microphone.";
constexpr const char16_t kNoticeCamArrived[] = u"Eine Webcam wurde angeschlossen, w\u00e4hrend Webcams blockiert sind.";
constexpr const char16_t kNoticeCamArrivedEn[] = u"A webcam was connected while webcams are blocked.";
constexpr const char16_t kNoticeMicArrived[] = u"Ein Mikrofon wurde angeschlossen, w\u00e4hrend Mikrofone blockiert sind.";
constexpr const char16_t kNoticeMicArrivedEn[] = u"A microphone was connected while microphones are blocked.";
constexpr const char16_t kNoticeCamOn[] = u"Die Webcam ist jetzt eingeschaltet.";
constexpr const char16_t kNoticeCamOnEn[] = u"The webcam is now on.";
constexpr const char16_t kNoticeCamOff[] = u"Die Webcam ist jetzt blockiert.";
constexpr const char16_t kNoticeCamOffEn[] = u"The webcam is now blocked.";
constexpr const char16_t kNoticeMicOn[] = u"Das Mikrofon ist jetzt eingeschaltet.";
constexpr const char16_t kNoticeMicOnEn[] = u"The microphone is now on.";
constexpr const char16_t kNoticeMicOff[] = u"Das Mikrofon ist jetzt blockiert.";
constexpr const char16_t kNoticeMicOffEn[] = u"The microphone is now blocked.";
constexpr const char16_t kStillInUseCam[] = u"Die Webcam ist blockiert, aber %1 verwendet sie noch. Schlie\u00dfen Sie %1 oder starten Sie es neu.";
constexpr const char16_t kStillInUseCamEn[] = u"The webcam is blocked, but %1 is still using it. Close %1 or restart it.";
constexpr const char16_t kStillInUseMic[] = u"Das Mikrofon ist blockiert, aber %1 verwendet es noch. Schlie\u00dfen Sie %1 oder starten Sie es neu.";
constexpr const char16_t kStillInUseMicEn[] = u"The microphone is blocked, but %1 is still using it. Close %1 or restart it.";
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

constexpr const char16_t kCliHelpDe[] =
    u"Veilcap f\u00fcr Administratoren und Skripte:\r\n"
    u"  Veilcap -STATUS [CAM|MIC|ALL] [-JSON]\r\n"
    u"      zeigt jedes \u00fcberwachte Ger\u00e4t der Art mit seinem Zustand (mit -JSON als JSON-Dokument).\r\n"
    u"      Braucht keine Administratorrechte. Exitcode: 0 alle aus, 1 mindestens eines an, 3 kein \u00fcberwachtes Ger\u00e4t,\r\n"
    u"      4 alle aus oder wartend auf einen Neustart, mindestens eines wartet.\r\n"
    u"  Veilcap -BLOCK CAM|MIC|ALL\r\n"
    u"      schaltet die \u00fcberwachten Ger\u00e4te der Art aus, wie ein Klick auf das Bild.\r\n"
    u"      Exitcode: 0 alle aus, 1 ein Ger\u00e4t blieb an (es wird genannt), 3 kein \u00fcberwachtes Ger\u00e4t.\r\n"
    u"  Veilcap -UNBLOCK CAM|MIC|ALL\r\n"
    u"      schaltet die deaktivierten Ger\u00e4te der Art wieder ein.\r\n"
    u"      Exitcode: 0 alle an, 1 ein Ger\u00e4t blieb aus (es wird genannt).\r\n"
    u"  Veilcap -RESTORE\r\n"
    u"      schaltet jedes Ger\u00e4t wieder ein, das Veilcap deaktiviert hat, und erlaubt wieder, was Veilcap beim Datenschutz verweigert hat.\r\n"
    u"      Exitcode: 0 erledigt, 1 ein Ger\u00e4t ist nicht gefolgt oder wurde nicht gefunden (es wird genannt).\r\n"
    u"  Veilcap -HELP\r\n"
    u"      zeigt diesen Text.\r\n"
    u"-BLOCK, -UNBLOCK und -RESTORE brauchen Administratorrechte: Windows fragt danach.\r\n"
    u"Exitcode 2: unbekannte oder unvollst\u00e4ndige Befehlszeile.\r\n"
    u"Exitcode 5: eine Richtlinie Ihrer Organisation hat -UNBLOCK oder -RESTORE f\u00fcr Webcams oder Mikrofone abgelehnt.\r\n"
    u"Beispiele:\r\n"
    u"  cmd:         Veilcap -STATUS CAM & echo %ERRORLEVEL%\r\n"
    u"  PowerShell:  [Console]::OutputEncoding = [Text.Encoding]::UTF8; Veilcap -STATUS ALL -JSON | ConvertFrom-Json\r\n"
    u"  Erkennung:   Veilcap -STATUS CAM; exit $LASTEXITCODE";
constexpr const char16_t kCliHelpEn[] =
    u"Veilcap for administrators and scripts:\r\n"
    u"  Veilcap -STATUS [CAM|MIC|ALL] [-JSON]\r\n"
    u"      shows every watched device of the kind with its state (with -JSON as a JSON document).\r\n"
    u"      Needs no administrator rights. Exit code: 0 all off, 1 at least one on, 3 no watched device,\r\n"
    u"      4 all off or waiting for a restart, at least one waits.\r\n"
    u"  Veilcap -BLOCK CAM|MIC|ALL\r\n"
    u"      switches the watched devices of the kind off, as a click on the picture does.\r\n"
    u"      Exit code: 0 all off, 1 a device stayed on (it is named), 3 no watched device.\r\n"
    u"  Veilcap -UNBLOCK CAM|MIC|ALL\r\n"
    u"      switches the disabled devices of the kind on again.\r\n"
    u"      Exit code: 0 all on, 1 a device stayed off (it is named).\r\n"
    u"  Veilcap -RESTORE\r\n"
    u"      switches on again every device Veilcap disabled and allows again the privacy consent it denied.\r\n"
    u"      Exit code: 0 done, 1 a device did not follow or was not found (it is named).\r\n"
    u"  Veilcap -HELP\r\n"
    u"      shows this text.\r\n"
    u"-BLOCK, -UNBLOCK and -RESTORE need administrator rights: Windows asks for them.\r\n"
    u"Exit code 2: unknown or incomplete command line.\r\n"
    u"Exit code 5: a policy of your organisation refused -UNBLOCK or -RESTORE for webcams or microphones.\r\n"
    u"Examples:\r\n"
    u"  cmd:         Veilcap -STATUS CAM & echo %ERRORLEVEL%\r\n"
    u"  PowerShell:  [Console]::OutputEncoding = [Text.Encoding]::UTF8; Veilcap -STATUS ALL -JSON | ConvertFrom-Json\r\n"
    u"  Detection:   Veilcap -STATUS CAM; exit $LASTEXITCODE";
constexpr const char16_t kCliBadUsageDe[] =
    u"Unbekannte oder unvollst\u00e4ndige Befehlszeile. \"Veilcap.exe -HELP\" zeigt die Befehle.";
constexpr const char16_t kCliBadUsageEn[] = u"Unknown or incomplete command line. \"Veilcap.exe -HELP\" lists the commands.";
constexpr const char16_t kCliStillOnDe[] = u"Noch eingeschaltet: %1";
constexpr const char16_t kCliStillOnEn[] = u"Still on: %1";
constexpr const char16_t kCliStillOffDe[] = u"Noch ausgeschaltet: %1";
constexpr const char16_t kCliStillOffEn[] = u"Still off: %1";
constexpr const char16_t kCliNotFoundDe[] = u"Nicht gefunden, bleibt vorgemerkt: %1";
constexpr const char16_t kCliNotFoundEn[] = u"Not found, still recorded: %1";
constexpr const char16_t kCliBusyDe[] =
    u"Ein anderer Schaltvorgang ist nicht rechtzeitig fertig geworden; nichts wurde ge\u00e4ndert.";
constexpr const char16_t kCliBusyEn[] = u"Another switching run did not end in time; nothing was changed.";
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
constexpr const char16_t kConfirmUnblockCam[] = u"Alle Webcams wieder einschalten?";
constexpr const char16_t kConfirmUnblockCamEn[] = u"Switch all webcams on again?";
constexpr const char16_t kConfirmUnblockMic[] = u"Alle Mikrofone wieder einschalten?";
constexpr const char16_t kConfirmUnblockMicEn[] = u"Switch all microphones on again?";
constexpr const char16_t kConfirmUnblockButton[] = u"Einschalten";
constexpr const char16_t kConfirmUnblockButtonEn[] = u"Unblock";
constexpr const char16_t kSwitchingBusy[] =
    u"Ein anderer Schaltvorgang l\u00e4uft noch; nichts wurde ge\u00e4ndert. Bitte versuchen Sie es gleich noch einmal.";
constexpr const char16_t kSwitchingBusyEn[] =
    u"Another switching run is still going on; nothing was changed. Please try again in a moment.";
constexpr const char16_t kPolicyRefused[] = u"Von Ihrer Organisation blockiert";
constexpr const char16_t kPolicyRefusedEn[] = u"Blocked by your organization";
constexpr const char16_t kOpenPageYourself[] =
    u"Veilcap \u00f6ffnet Webseiten nicht mit Administratorrechten, und es l\u00e4uft keine Windows-Oberfl\u00e4che, "
    u"die sie mit Ihren normalen Rechten \u00f6ffnen k\u00f6nnte. Bitte \u00f6ffnen Sie diese Adresse in Ihrem "
    u"Browser (Strg+C kopiert diese Meldung): %1";
constexpr const char16_t kOpenPageYourselfEn[] =
    u"Veilcap does not open web pages with administrator rights, and no Windows desktop is running that could "
    u"open it with your normal rights. Please open this address in your browser (Ctrl+C copies this message): %1";
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
u16 MESSAGE_STATUS_INUSE = kInUse;
u16 MESSAGE_TRAY_CAM_INUSE = kTrayCamInUse;
u16 MESSAGE_TRAY_MIC_INUSE = kTrayMicInUse;
u16 MESSAGE_NOTICE_CAM_STARTED = kNoticeCamStarted;
u16 MESSAGE_NOTICE_MIC_STARTED = kNoticeMicStarted;
u16 MESSAGE_NOTICE_CAM_ARRIVED = kNoticeCamArrived;
u16 MESSAGE_NOTICE_MIC_ARRIVED = kNoticeMicArrived;
u16 MESSAGE_NOTICE_CAM_ON = kNoticeCamOn;
u16 MESSAGE_NOTICE_CAM_OFF = kNoticeCamOff;
u16 MESSAGE_NOTICE_MIC_ON = kNoticeMicOn;
u16 MESSAGE_NOTICE_MIC_OFF = kNoticeMicOff;
u16 MESSAGE_STILL_IN_USE_CAM = kStillInUseCam;
u16 MESSAGE_STILL_IN_USE_MIC = kStillInUseMic;
u16 MESSAGE_NOTICE_KEPT_BLOCKED = kKeptBlocked;
u16 MESSAGE_NOTICE_KEEP_FAILED = kKeepFailed;
u16 MESSAGE_NOTICE_HOTKEY_TAKEN = kHotkeyTaken;
u16 MESSAGE_NOTICE_CAMS_BLOCKED = kCamsBlocked;
u16 MESSAGE_NOTICE_CAMS_ON = kCamsOn;
u16 MESSAGE_NOTICE_MICS_BLOCKED = kMicsBlocked;
u16 MESSAGE_NOTICE_MICS_ON = kMicsOn;
u16 MESSAGE_CLI_HELP = kCliHelpDe;
u16 MESSAGE_CLI_BAD_USAGE = kCliBadUsageDe;
u16 MESSAGE_CLI_STILL_ON = kCliStillOnDe;
u16 MESSAGE_CLI_STILL_OFF = kCliStillOffDe;
u16 MESSAGE_CLI_BUSY = kCliBusyDe;
u16 MESSAGE_CLI_NOT_FOUND = kCliNotFoundDe;
u16 MESSAGE_TASK_CREATE_FAILED = kTaskCreateFailed;
u16 MESSAGE_TASK_REFUSED_FOLDER = kTaskRefusedFolder;
u16 MESSAGE_CONFIRM_UNBLOCK_CAM = kConfirmUnblockCam;
u16 MESSAGE_CONFIRM_UNBLOCK_MIC = kConfirmUnblockMic;
u16 MESSAGE_CONFIRM_UNBLOCK_BUTTON = kConfirmUnblockButton;
u16 MESSAGE_SWITCHING_BUSY = kSwitchingBusy;
u16 MESSAGE_POLICY_REFUSED = kPolicyRefused;
u16 MESSAGE_OPEN_PAGE_YOURSELF = kOpenPageYourself;

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
      {u"MESSAGE_STATUS_INUSE", &MESSAGE_STATUS_INUSE, kInUse, kInUseEn},
      {u"MESSAGE_TRAY_CAM_INUSE", &MESSAGE_TRAY_CAM_INUSE, kTrayCamInUse, kTrayCamInUseEn},
      {u"MESSAGE_TRAY_MIC_INUSE", &MESSAGE_TRAY_MIC_INUSE, kTrayMicInUse, kTrayMicInUseEn},
      {u"MESSAGE_NOTICE_CAM_STARTED", &MESSAGE_NOTICE_CAM_STARTED, kNoticeCamStarted, kNoticeCamStartedEn},
      {u"MESSAGE_NOTICE_MIC_STARTED", &MESSAGE_NOTICE_MIC_STARTED, kNoticeMicStarted, kNoticeMicStartedEn},
      {u"MESSAGE_NOTICE_CAM_ARRIVED", &MESSAGE_NOTICE_CAM_ARRIVED, kNoticeCamArrived, kNoticeCamArrivedEn},
      {u"MESSAGE_NOTICE_MIC_ARRIVED", &MESSAGE_NOTICE_MIC_ARRIVED, kNoticeMicArrived, kNoticeMicArrivedEn},
      {u"MESSAGE_NOTICE_CAM_ON", &MESSAGE_NOTICE_CAM_ON, kNoticeCamOn, kNoticeCamOnEn},
      {u"MESSAGE_NOTICE_CAM_OFF", &MESSAGE_NOTICE_CAM_OFF, kNoticeCamOff, kNoticeCamOffEn},
      {u"MESSAGE_NOTICE_MIC_ON", &MESSAGE_NOTICE_MIC_ON, kNoticeMicOn, kNoticeMicOnEn},
      {u"MESSAGE_NOTICE_MIC_OFF", &MESSAGE_NOTICE_MIC_OFF, kNoticeMicOff, kNoticeMicOffEn},
      {u"MESSAGE_STILL_IN_USE_CAM", &MESSAGE_STILL_IN_USE_CAM, kStillInUseCam, kStillInUseCamEn},
      {u"MESSAGE_STILL_IN_USE_MIC", &MESSAGE_STILL_IN_USE_MIC, kStillInUseMic, kStillInUseMicEn},
      {u"MESSAGE_NOTICE_KEPT_BLOCKED", &MESSAGE_NOTICE_KEPT_BLOCKED, kKeptBlocked, kKeptBlockedEn},
      {u"MESSAGE_NOTICE_KEEP_FAILED", &MESSAGE_NOTICE_KEEP_FAILED, kKeepFailed, kKeepFailedEn},
      {u"MESSAGE_NOTICE_HOTKEY_TAKEN", &MESSAGE_NOTICE_HOTKEY_TAKEN, kHotkeyTaken, kHotkeyTakenEn},
      {u"MESSAGE_NOTICE_CAMS_BLOCKED", &MESSAGE_NOTICE_CAMS_BLOCKED, kCamsBlocked, kCamsBlockedEn},
      {u"MESSAGE_NOTICE_CAMS_ON", &MESSAGE_NOTICE_CAMS_ON, kCamsOn, kCamsOnEn},
      {u"MESSAGE_NOTICE_MICS_BLOCKED", &MESSAGE_NOTICE_MICS_BLOCKED, kMicsBlocked, kMicsBlockedEn},
      {u"MESSAGE_NOTICE_MICS_ON", &MESSAGE_NOTICE_MICS_ON, kMicsOn, kMicsOnEn},
      {u"MESSAGE_CLI_HELP", &MESSAGE_CLI_HELP, kCliHelpDe, kCliHelpEn},
      {u"MESSAGE_CLI_BAD_USAGE", &MESSAGE_CLI_BAD_USAGE, kCliBadUsageDe, kCliBadUsageEn},
      {u"MESSAGE_CLI_STILL_ON", &MESSAGE_CLI_STILL_ON, kCliStillOnDe, kCliStillOnEn},
      {u"MESSAGE_CLI_STILL_OFF", &MESSAGE_CLI_STILL_OFF, kCliStillOffDe, kCliStillOffEn},
      {u"MESSAGE_CLI_BUSY", &MESSAGE_CLI_BUSY, kCliBusyDe, kCliBusyEn},
      {u"MESSAGE_TASK_CREATE_FAILED", &MESSAGE_TASK_CREATE_FAILED, kTaskCreateFailed, kTaskCreateFailedEn},
      {u"MESSAGE_TASK_REFUSED_FOLDER", &MESSAGE_TASK_REFUSED_FOLDER, kTaskRefusedFolder, kTaskRefusedFolderEn},
      {u"MESSAGE_CONFIRM_UNBLOCK_CAM", &MESSAGE_CONFIRM_UNBLOCK_CAM, kConfirmUnblockCam, kConfirmUnblockCamEn},
      {u"MESSAGE_CONFIRM_UNBLOCK_MIC", &MESSAGE_CONFIRM_UNBLOCK_MIC, kConfirmUnblockMic, kConfirmUnblockMicEn},
      {u"MESSAGE_CONFIRM_UNBLOCK_BUTTON", &MESSAGE_CONFIRM_UNBLOCK_BUTTON, kConfirmUnblockButton,
       kConfirmUnblockButtonEn},
      {u"MESSAGE_SWITCHING_BUSY", &MESSAGE_SWITCHING_BUSY, kSwitchingBusy, kSwitchingBusyEn},
      {u"MESSAGE_POLICY_REFUSED", &MESSAGE_POLICY_REFUSED, kPolicyRefused, kPolicyRefusedEn},
      {u"MESSAGE_OPEN_PAGE_YOURSELF", &MESSAGE_OPEN_PAGE_YOURSELF, kOpenPageYourself, kOpenPageYourselfEn},
      {u"MESSAGE_CLI_NOT_FOUND", &MESSAGE_CLI_NOT_FOUND, kCliNotFoundDe, kCliNotFoundEn},
  };
  return table;
}

void Init_Messages() {
  for (const auto& m : MessageTable()) *m.text = m.builtInText;
}

u16 Fill_CountTemplate(u16v templ, int32_t active, int32_t current) {
  return ReplaceAll(ReplaceAll(templ, u"%1", ToDec(active)), u"%2", ToDec(current));
}

// The texts the program shows outside its windows: status lines, device states, the wait text and
// two warnings. They hold German built-in texts from program start; a translation load replaces
// them from the section "MESSAGES" of the current translation file.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/text.h"

extern u16 MESSAGE_TRANSLATOR_NAME;
extern u16 MESSAGE_TRANSLATOR_EMAIL;
extern u16 MESSAGE_DEVICES_STATUS_ACTIVE;
extern u16 MESSAGE_DEVICES_STATUS_NOT_CONNECTED;
extern u16 MESSAGE_DEVICES_STATUS_PROBLEM;
extern u16 MESSAGE_DEVICES_STATUS_DEACTIVED;
extern u16 MESSAGE_STATUS_CAM_NOTFOUND;
extern u16 MESSAGE_STATUS_MIC_NOTFOUND;
extern u16 MESSAGE_STATUS_PLEASEWAIT;
extern u16 MESSAGE_STATUS_CAM_MULTIPLE;  // "%1" and "%2" are filled by the reader
extern u16 MESSAGE_STATUS_MIC_MULTIPLE;
extern u16 MESSAGE_STATUS_NEED_RESTART;
extern u16 MESSAGE_STATUS_MIC_DEACTIVATE_FAILED;
// What a screen reader says for the big pictures ("%1" working of "%2" watched devices) and the
// title-bar buttons, and the name of a button's default action.
extern u16 MESSAGE_ACCESS_CAM_ON;
extern u16 MESSAGE_ACCESS_CAM_OFF;
extern u16 MESSAGE_ACCESS_CAM_NONE;
extern u16 MESSAGE_ACCESS_MIC_ON;
extern u16 MESSAGE_ACCESS_MIC_OFF;
extern u16 MESSAGE_ACCESS_MIC_NONE;
extern u16 MESSAGE_ACCESS_MESSAGES;
extern u16 MESSAGE_ACCESS_FEEDBACK;
extern u16 MESSAGE_ACCESS_MINIMIZE;
extern u16 MESSAGE_ACCESS_CLOSE;
extern u16 MESSAGE_ACCESS_PRESS;
// Who uses a camera or microphone now, and the tray notices; "%1" is a program name.
extern u16 MESSAGE_STATUS_INUSE;
extern u16 MESSAGE_TRAY_CAM_INUSE;
extern u16 MESSAGE_TRAY_MIC_INUSE;
extern u16 MESSAGE_NOTICE_CAM_STARTED;
extern u16 MESSAGE_NOTICE_MIC_STARTED;
extern u16 MESSAGE_NOTICE_CAM_ARRIVED;
extern u16 MESSAGE_NOTICE_MIC_ARRIVED;
extern u16 MESSAGE_NOTICE_CAM_ON;
extern u16 MESSAGE_NOTICE_CAM_OFF;
extern u16 MESSAGE_NOTICE_MIC_ON;
extern u16 MESSAGE_NOTICE_MIC_OFF;
extern u16 MESSAGE_STILL_IN_USE_CAM;
extern u16 MESSAGE_STILL_IN_USE_MIC;
// Notices of keep-blocked and of the hotkeys; "%1" is a device name or a hotkey text.
extern u16 MESSAGE_NOTICE_KEPT_BLOCKED;
extern u16 MESSAGE_NOTICE_KEEP_FAILED;
extern u16 MESSAGE_NOTICE_HOTKEY_TAKEN;
extern u16 MESSAGE_NOTICE_CAMS_BLOCKED;
extern u16 MESSAGE_NOTICE_CAMS_ON;
extern u16 MESSAGE_NOTICE_MICS_BLOCKED;
extern u16 MESSAGE_NOTICE_MICS_ON;
// The command line's texts.
extern u16 MESSAGE_CLI_HELP;
extern u16 MESSAGE_CLI_BAD_USAGE;
extern u16 MESSAGE_CLI_STILL_ON;   // "%1": the device's name
extern u16 MESSAGE_CLI_STILL_OFF;  // "%1": the device's name
extern u16 MESSAGE_CLI_BUSY;
extern u16 MESSAGE_CLI_NOT_FOUND;  // "%1": the instance id of a recorded device not found
extern u16 MESSAGE_TASK_CREATE_FAILED;   // the task scheduler did not accept the autostart task
extern u16 MESSAGE_TASK_REFUSED_FOLDER;  // no autostart task from a folder non-administrators can change
// The question before a hotkey unblocks a kind, and its confirm button.
extern u16 MESSAGE_CONFIRM_UNBLOCK_CAM;
extern u16 MESSAGE_CONFIRM_UNBLOCK_MIC;
extern u16 MESSAGE_CONFIRM_UNBLOCK_BUTTON;
// A click that waited in vain for another switching run to end.
extern u16 MESSAGE_SWITCHING_BUSY;
extern u16 MESSAGE_POLICY_REFUSED;       // an unblock that a policy of the organisation forbids
extern u16 MESSAGE_OPEN_PAGE_YOURSELF;   // "%1": a web page's address no unelevated shell could open

struct MessageEntry {
  const char16_t* key;          // key in the section "MESSAGES", also the variable's name
  u16* text;                    // the variable
  const char16_t* builtInText;  // German default
  // English default of a text added after 1.0.30: a translation file that lacks the key (written
  // for an older version) gets this one instead of an empty text. The first thirteen have none.
  const char16_t* englishText = nullptr;
};
// The messages in the order a translation load fills them: the thirteen of 1.0.30 first, then
// the later ones.
const std::vector<MessageEntry>& MessageTable();
inline constexpr size_t kOriginalMessageCount = 13;
// Puts every message back to its built-in text (what program start does).
void Init_Messages();

// A count text: replaces every "%1" by active, then every "%2" by current.
u16 Fill_CountTemplate(u16v templ, int32_t active, int32_t current);

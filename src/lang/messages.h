// The texts the program shows outside its windows: status lines, device states, the wait text and
// two warnings. They hold German built-in texts from program start; a translation load replaces
// them from the section "MESSAGES" of the current translation file.
#pragma once
#include <cstddef>
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
extern u16 MESSAGE_TASK_CREATE_FAILED;   // the task scheduler did not accept the autostart task
extern u16 MESSAGE_TASK_REFUSED_FOLDER;  // no autostart task from a folder non-administrators can change

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

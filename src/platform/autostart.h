// Autostart through the Windows Task Scheduler: the task "Vostrel Veilcap" is created from the
// template TASK.xml beside the program, deleted and queried through SCHTASKS, which is started by
// its full path in the system folder with its output read through a pipe.
#pragma once
#include <vector>

#include "core/text.h"

extern const u16 kAutostartTaskName;  // "Vostrel Veilcap"

struct TaskDateTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Where the creation date comes from (Windows: GetLocalTime). Not owned; tests install a fixed clock.
void SetTaskClock(TaskDateTime (*now)());

// "2024-03-05T07:04:09.0000000"; a year whose decimal text is not four characters becomes "2019".
u16 Format_TaskDate(const TaskDateTime& t);

struct TaskTemplateValues {
  u16 taskName, commandLine, sid, user, dateCreate;
};
// Fills %TASKNAME%, %COMMANDLINE%, %SID%, %USER% and %DATECREATE% (every occurrence, letters in
// any case) in one pass over the template: a value that itself holds a placeholder is written as
// it is. The values are written as XML character data.
u16 Fill_TaskTemplate(u16v text, const TaskTemplateValues& values);
// The values for this program and this moment.
TaskTemplateValues Current_TaskTemplateValues();

// Whether SCHTASKS' printed definition (its output lines) is that of an existing task.
bool TaskQuery_ShowsTask(const std::vector<u16>& lines);

// Whether that definition's action starts the program at programPath (quoted or not; letters in
// any case).
bool TaskQuery_PointsAt(const std::vector<u16>& lines, const u16& programPath);

// SCHTASKS in the system folder; empty when the system folder is not known.
u16 SchtasksPath();

enum class TaskCreation {
  Created,  // SCHTASKS registered the definition (exit code 0)
  Failed,   // SCHTASKS did not start or answered another exit code
  Refused,  // Veilcap.exe or its folder can be changed by users who are not administrators
};
// The task runs the program with the highest rights at every logon, so it is only created while
// the program file can be replaced by administrators alone (see file_safety.h); otherwise an
// existing task that starts this program is deleted, and Refused answered. Then as
// Register_AutostartTask.
TaskCreation Create_AutostartTask();
// Below that check: fills the template into TASKdummy.xml and lets SCHTASKS /CREATE ... /F replace
// any task of that name in place. Raises OsError when TASK.xml cannot be read or TASKdummy.xml
// cannot be written; an existing task is then left as it was. Answers Created or Failed.
TaskCreation Register_AutostartTask();
void Delete_AutostartTask();
bool AutostartTask_Exists();

// Autostart through the Windows Task Scheduler: the task "Vostrel Veilcap" is created from the
// template TASK.xml beside the program, deleted and queried through SCHTASKS.
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
// Fills %TASKNAME%, %COMMANDLINE%, %SID%, %USER% and %DATECREATE% (in this order, every occurrence,
// letters in any case). The values are written as XML character data.
u16 Fill_TaskTemplate(u16v text, const TaskTemplateValues& values);
// The values for this program and this moment.
TaskTemplateValues Current_TaskTemplateValues();

// Whether SCHTASKS' printed definition (its output lines) is that of an existing task.
bool TaskQuery_ShowsTask(const std::vector<u16>& lines);

// Raises OsError when TASK.xml cannot be read or TASKdummy.xml cannot be written; an existing task
// is then left as it was. What SCHTASKS answers is not examined.
void Create_AutostartTask();
void Delete_AutostartTask();
bool AutostartTask_Exists();

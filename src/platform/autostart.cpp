#include "platform/autostart.h"

#include "core/fs.h"
#include "core/textfile.h"
#include "platform/environment.h"
#include "platform/process.h"

const u16 kAutostartTaskName = u"Vostrel Veilcap";

namespace {
TaskDateTime (*g_clock)() = nullptr;

const u16 kDeleteCommand = u"SCHTASKS /DELETE /TN \"Vostrel Veilcap\" /F";
const u16 kQueryCommand = u"SCHTASKS /QUERY /TN \"Vostrel Veilcap\" /XML";
const u16 kCreateCommand = u"SCHTASKS /CREATE /TN \"Vostrel Veilcap\" /XML";

// A path or a user name may hold "&" or "<", which would make the definition unreadable XML.
u16 XmlText(u16v s) {
  u16 out;
  out.reserve(s.size());
  for (char16_t c : s) {
    if (c == u'&')
      out += u"&amp;";
    else if (c == u'<')
      out += u"&lt;";
    else if (c == u'>')
      out += u"&gt;";
    else
      out += c;
  }
  return out;
}
}  // namespace

void SetTaskClock(TaskDateTime (*now)()) { g_clock = now; }

u16 Format_TaskDate(const TaskDateTime& t) {
  // The scheduler wants a four-digit year; anything else (a clock far off, or a sign) becomes 2019.
  u16 year = ToDec(t.year);
  if (year.size() != 4 || t.year < 0) year = u"2019";
  return year + u"-" + ToDecPadded(t.month, 2) + u"-" + ToDecPadded(t.day, 2) + u"T" +
         ToDecPadded(t.hour, 2) + u":" + ToDecPadded(t.minute, 2) + u":" + ToDecPadded(t.second, 2) +
         u".0000000";
}

u16 Fill_TaskTemplate(u16v text, const TaskTemplateValues& v) {
  u16 s(text);
  s = ReplaceAllNoCase(s, u"%TASKNAME%", XmlText(v.taskName));
  s = ReplaceAllNoCase(s, u"%COMMANDLINE%", XmlText(v.commandLine));
  s = ReplaceAllNoCase(s, u"%SID%", XmlText(v.sid));
  s = ReplaceAllNoCase(s, u"%USER%", XmlText(v.user));
  s = ReplaceAllNoCase(s, u"%DATECREATE%", XmlText(v.dateCreate));
  return s;
}

TaskTemplateValues Current_TaskTemplateValues() {
  TaskTemplateValues v;
  v.taskName = kAutostartTaskName;
  v.commandLine = u"\"" + Processes().ExecutablePath() + u"\"";
  v.sid = Get_ConsoleUserSID();
  v.user = Get_WindowsComputerName() + u"\\" + Get_WindowsUserName();
  v.dateCreate = Format_TaskDate(g_clock ? g_clock() : TaskDateTime{});
  return v;
}

bool TaskQuery_ShowsTask(const std::vector<u16>& lines) {
  u16 all;
  for (const u16& l : lines) all += l + u"\r\n";
  all = AsciiUpper(all);
  return all.size() >= 101 && Contains(all, u"<PRINCIPALS>");
}

void Delete_AutostartTask() { Run_And_Wait(kDeleteCommand, AppFolder, kSwHide); }

bool AutostartTask_Exists() {
  std::vector<u16> lines;
  Run_Console_Captured(kQueryCommand, lines);
  return TaskQuery_ShowsTask(lines);
}

void Create_AutostartTask() {
  const u16 templatePath = AppFolder + u"\\TASK.xml";
  const u16 outputPath = AppFolder + u"\\TASKdummy.xml";
  Delete_File(outputPath);

  // Reading raises when the template is missing; nothing has touched the task yet.
  TextLines tmpl = ReadTextLines(templatePath);
  u16 text;
  for (size_t i = 0; i < tmpl.lines.size(); ++i) {
    if (i) text += u"\r\n";
    text += tmpl.lines[i];
  }
  text = Fill_TaskTemplate(text, Current_TaskTemplateValues());

  Delete_File(outputPath);
  WriteTextLines(outputPath, SplitLines(text), tmpl.encoding);

  Delete_AutostartTask();
  Run_And_Wait(kCreateCommand + u" \"" + outputPath + u"\"", AppFolder, kSwHide);
  Delete_File(outputPath);
}

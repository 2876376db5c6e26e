#include "platform/autostart.h"

#include "core/debug.h"
#include "core/fs.h"
#include "core/textfile.h"
#include "platform/environment.h"
#include "platform/file_safety.h"
#include "platform/process.h"

const u16 kAutostartTaskName = u"Vostrel Veilcap";

namespace {
TaskDateTime (*g_clock)() = nullptr;

const u16 kDeleteArguments = u"/DELETE /TN \"Vostrel Veilcap\" /F";
const u16 kQueryArguments = u"/QUERY /TN \"Vostrel Veilcap\" /XML";
const u16 kCreateArguments = u"/CREATE /TN \"Vostrel Veilcap\" /XML";

ConsoleRun RunSchtasks(const u16& arguments, const u16& workingFolder) {
  const u16 program = SchtasksPath();
  if (program.empty()) return {};
  ConsoleRun run = Run_Captured(program, arguments, workingFolder);
  DebugOut(u"SCHTASKS " + arguments + u" ; exit code " + ToDec(run.exitCode));
  return run;
}

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
  const std::pair<const char16_t*, const u16*> placeholders[] = {{u"%TASKNAME%", &v.taskName},
                                                                  {u"%COMMANDLINE%", &v.commandLine},
                                                                  {u"%SID%", &v.sid},
                                                                  {u"%USER%", &v.user},
                                                                  {u"%DATECREATE%", &v.dateCreate}};
  u16 out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    bool filled = false;
    if (text[i] == u'%') {
      for (const auto& [name, value] : placeholders) {
        const u16v key(name);
        if (text.size() - i >= key.size() && AsciiUpper(u16(text.substr(i, key.size()))) == key) {
          out += XmlText(*value);
          i += key.size();
          filled = true;
          break;
        }
      }
    }
    if (!filled) out += text[i++];
  }
  return out;
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

bool TaskQuery_PointsAt(const std::vector<u16>& lines, const u16& programPath) {
  if (programPath.empty()) return false;
  u16 all;
  for (const u16& l : lines) all += l;
  return Contains(AsciiUpper(all), u"<COMMAND>\"" + AsciiUpper(XmlText(programPath)) + u"\"</COMMAND>") ||
         Contains(AsciiUpper(all), u"<COMMAND>" + AsciiUpper(XmlText(programPath)) + u"</COMMAND>");
}

u16 SchtasksPath() {
  u16 folder = SystemFolder;
  if (folder.empty() && !WindowsFolder.empty()) folder = WindowsFolder + u"\\System32";
  return folder.empty() ? u16() : folder + u"\\schtasks.exe";
}

void Delete_AutostartTask() { RunSchtasks(kDeleteArguments, AppFolder); }

bool AutostartTask_Exists() { return TaskQuery_ShowsTask(RunSchtasks(kQueryArguments, SystemFolder).lines); }

TaskCreation Create_AutostartTask() {
  const u16 program = Processes().ExecutablePath();
  if (!ProgramChangeableOnlyByAdministrators(program)) {
    DebugOut(u"Autostart task refused: " + program + u" or its folder can be changed by users who are not administrators");
    // A task made before (when the folder was still safe, or by hand) would go on starting this
    // program with the highest rights at every logon: it goes too.
    const ConsoleRun query = RunSchtasks(kQueryArguments, SystemFolder);
    if (TaskQuery_ShowsTask(query.lines) && TaskQuery_PointsAt(query.lines, program)) {
      DebugOut(u"Autostart task of " + program + u" deleted");
      Delete_AutostartTask();
    }
    return TaskCreation::Refused;
  }
  return Register_AutostartTask();
}

TaskCreation Register_AutostartTask() {
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

  // /F replaces a task of that name in place: there is no moment without a task, and a refused
  // definition leaves the old one as it was.
  const ConsoleRun run = RunSchtasks(kCreateArguments + u" \"" + outputPath + u"\" /F", AppFolder);
  Delete_File(outputPath);
  if (run.exitCode == 0) return TaskCreation::Created;
  for (const u16& line : run.lines)
    if (!Trim(line).empty()) DebugOut(u"SCHTASKS: " + line);
  return TaskCreation::Failed;
}

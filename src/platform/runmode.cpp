#include "platform/runmode.h"

namespace {
u16 FirstUpper(const std::vector<u16>& args) { return args.empty() ? u16() : AsciiUpper(args[0]); }
}  // namespace

RunMode SelectRunMode(const std::vector<u16>& args) {
  const u16 first = FirstUpper(args);
  if (first == u"-SAVE") return RunMode::SaveTranslation;
  if (first == u"-CREATETASK") return RunMode::CreateTask;
  if (first == u"-DELETETASK") return RunMode::DeleteTask;
  if (first == u"-ADDPATH") return RunMode::AddPath;
  if (first == u"-REMOVEPATH") return RunMode::RemovePath;
  return RunMode::Normal;
}

bool RunsBeforeInstanceGuard(RunMode mode) { return mode == RunMode::AddPath || mode == RunMode::RemovePath; }

bool StartsInTray(const std::vector<u16>& args) { return FirstUpper(args) == u"-TRAY"; }

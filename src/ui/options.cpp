#include "ui/options.h"

#include "platform/autostart.h"
#include "platform/environment.h"
#include "platform/registry.h"

namespace {
class TaskSchedulerAutostart final : public AutostartControl {
 public:
  bool Exists() override { return AutostartTask_Exists(); }
  void Create() override { Create_AutostartTask(); }
  void Delete() override { Delete_AutostartTask(); }
};
AutostartControl* g_autostart = nullptr;
}  // namespace

void SetAutostartControl(AutostartControl* control) { g_autostart = control; }

AutostartControl& Autostart() {
  static TaskSchedulerAutostart scheduler;
  return g_autostart ? *g_autostart : scheduler;
}

bool Load_PrivacyOption(const char16_t* valueName) {
  if (!Win10_or_later) return false;
  if (!Reg_ValueExists(RegRoot::LocalMachine, kOptionsKey, valueName)) return true;
  return Reg_ReadInteger(RegRoot::LocalMachine, kOptionsKey, valueName) == 1;
}

#include "ui/options.h"

#include "platform/autostart.h"

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

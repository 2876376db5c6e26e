#include "ui/options.h"

#include <thread>

#include "core/errors.h"
#include "lang/messages.h"
#include "platform/autostart.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "ui/thread_timer.h"

namespace {
class TaskSchedulerAutostart final : public AutostartControl {
 public:
  bool Exists() override { return AutostartTask_Exists(); }
  TaskCreation Create() override { return Create_AutostartTask(); }
  void Delete() override { Delete_AutostartTask(); }
};
AutostartControl* g_autostart = nullptr;

constexpr uint32_t kErrorGenFailure = 31;
}  // namespace

void SetAutostartControl(AutostartControl* control) { g_autostart = control; }

AutostartControl& Autostart() {
  static TaskSchedulerAutostart scheduler;
  return g_autostart ? *g_autostart : scheduler;
}

void RaiseUnlessCreated(TaskCreation result) {
  if (result == TaskCreation::Refused) throw OsError(kErrorAccessDenied, MESSAGE_TASK_REFUSED_FOLDER);
  if (result == TaskCreation::Failed) throw OsError(kErrorGenFailure, MESSAGE_TASK_CREATE_FAILED);
}

// arrived and value are written by the worker; the rest belongs to the main thread. All of it is
// guarded by m.
struct AutostartQuery::Shared {
  std::mutex m;
  std::condition_variable cv;
  bool arrived = false, value = false, applied = false, dropped = false;
  std::function<void(bool)> apply;

  // On the main thread: hands an arrived answer over once.
  void ApplyIfArrived() {
    std::function<void(bool)> f;
    bool v = false;
    {
      std::lock_guard<std::mutex> lock(m);
      if (!arrived || applied || dropped) return;
      applied = true;
      v = value;
      f = std::move(apply);
      apply = nullptr;
    }
    if (f) f(v);
  }
};

AutostartQuery::AutostartQuery() : shared_(std::make_shared<Shared>()) {}
AutostartQuery::~AutostartQuery() { Drop(); }

void AutostartQuery::Start(std::function<bool()> query, std::function<void(bool)> apply) {
  Drop();
  shared_ = std::make_shared<Shared>();
  shared_->apply = std::move(apply);
  MainThreadDispatcher* dispatcher = TimerDispatcher();
  auto deliver = [](const std::shared_ptr<Shared>& s, bool value) {
    {
      std::lock_guard<std::mutex> lock(s->m);
      s->arrived = true;
      s->value = value;
    }
    s->cv.notify_all();
  };
  if (!dispatcher) {
    deliver(shared_, query());
    shared_->ApplyIfArrived();
    return;
  }
  std::thread([s = shared_, query = std::move(query), dispatcher, deliver] {
    bool value = false;
    try {
      value = query();
    } catch (...) {
      // An unreadable answer counts as "no task", as an empty query output does.
    }
    deliver(s, value);
    dispatcher->RunAndWait([s] { s->ApplyIfArrived(); });
  }).detach();
}

bool AutostartQuery::Await(uint32_t limitMs) {
  {
    std::unique_lock<std::mutex> lock(shared_->m);
    if (!shared_->dropped && !shared_->arrived)
      CurrentTimerClock().Sleep(lock, shared_->cv, limitMs, [this] { return shared_->arrived; });
  }
  shared_->ApplyIfArrived();
  return Known();
}

bool AutostartQuery::Known() const {
  std::lock_guard<std::mutex> lock(shared_->m);
  return shared_->applied;
}

void AutostartQuery::Drop() {
  std::lock_guard<std::mutex> lock(shared_->m);
  shared_->dropped = true;
  shared_->apply = nullptr;
}

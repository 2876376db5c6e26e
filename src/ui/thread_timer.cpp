#include "ui/thread_timer.h"

#include <chrono>
#include <thread>

namespace {
class SteadyClock final : public TimerClock {
 public:
  uint32_t NowMs() override {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
  }
  void Sleep(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t ms,
             const std::function<bool()>& wake) override {
    cv.wait_for(lock, std::chrono::milliseconds(ms), wake);
  }
  void Park(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
            const std::function<bool()>& wake) override {
    cv.wait(lock, wake);
  }
};

TimerClock* g_clock = nullptr;
MainThreadDispatcher* g_dispatcher = nullptr;

constexpr int64_t kMinimumWait = 10;

uint32_t FloorWait(int64_t wait) { return uint32_t(wait < kMinimumWait ? kMinimumWait : wait); }
}  // namespace

TimerClock& SteadyTimerClock() {
  static SteadyClock clock;
  return clock;
}

void SetTimerClock(TimerClock* clock) { g_clock = clock; }
TimerClock& CurrentTimerClock() { return g_clock ? *g_clock : SteadyTimerClock(); }
void SetTimerDispatcher(MainThreadDispatcher* dispatcher) { g_dispatcher = dispatcher; }
MainThreadDispatcher* TimerDispatcher() { return g_dispatcher; }

void RunTimerWorker(const std::shared_ptr<TimerShared>& shared, TimerClock& clock,
                    MainThreadDispatcher* dispatcher) {
  TimerShared& s = *shared;
  const auto stopped = [&s] { return s.bStop; };
  std::unique_lock<std::mutex> lock(s.m);
  while (!s.bStop) {
    if (!s.FEnabled) {
      clock.Park(lock, s.cv, [&s] { return s.bStop || s.FEnabled; });
      if (s.bStop) break;
      // Just enabled: the first tick comes one interval from now, as with a worker that was asleep.
      clock.Sleep(lock, s.cv, FloorWait(s.FInterval), stopped);
      continue;
    }
    const uint32_t t0 = clock.NowMs();
    lock.unlock();
    if (dispatcher) {
      dispatcher->RunAndWait([shared] {
        std::function<void()> tick;
        {
          std::lock_guard<std::mutex> guard(shared->m);
          if (shared->bStop) return;
          tick = shared->tick;
        }
        if (tick) tick();
      });
    }
    lock.lock();
    const uint32_t t1 = clock.NowMs();
    clock.Sleep(lock, s.cv, FloorWait(int64_t(s.FInterval) - int64_t(uint32_t(t1 - t0))), stopped);
  }
}

TTarvoThreadTimer::TTarvoThreadTimer() : shared_(std::make_shared<TimerShared>()) {
  shared_->tick = [this] {
    if (OnTimer) OnTimer(*this);
  };
  TimerClock& clock = CurrentTimerClock();
  std::thread(RunTimerWorker, shared_, std::ref(clock), g_dispatcher).detach();
}

TTarvoThreadTimer::~TTarvoThreadTimer() {
  {
    std::lock_guard<std::mutex> guard(shared_->m);
    shared_->bStop = true;
    shared_->tick = nullptr;
  }
  shared_->cv.notify_all();
}

bool TTarvoThreadTimer::Enabled() const {
  std::lock_guard<std::mutex> guard(shared_->m);
  return shared_->FEnabled;
}

void TTarvoThreadTimer::SetEnabled(bool enabled) {
  {
    std::lock_guard<std::mutex> guard(shared_->m);
    if (shared_->FEnabled == enabled) return;
    shared_->FEnabled = enabled;
  }
  shared_->cv.notify_all();
}

int32_t TTarvoThreadTimer::Interval() const {
  std::lock_guard<std::mutex> guard(shared_->m);
  return shared_->FInterval;
}

void TTarvoThreadTimer::SetInterval(int32_t ms) {
  std::lock_guard<std::mutex> guard(shared_->m);
  shared_->FInterval = ms;
}

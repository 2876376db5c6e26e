// The thread timer's tick rule, driven on the test thread with a virtual clock, plus the real
// worker thread for the stop guarantees.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "ui/thread_timer.h"

namespace {
// Virtual time: Sleep advances the clock and then lets the test act as the main thread would
// have during that sleep; Park lets the test act and fails when the worker would wait for ever.
class VirtualClock final : public TimerClock {
 public:
  uint32_t NowMs() override { return now; }
  void Sleep(std::unique_lock<std::mutex>&, std::condition_variable&, uint32_t ms,
             const std::function<bool()>& wake) override {
    sleeps.push_back(ms);
    if (wake()) return;
    now += ms;
    if (onSleep) onSleep();
  }
  void Park(std::unique_lock<std::mutex>&, std::condition_variable&, const std::function<bool()>& wake) override {
    parks.push_back(now);
    if (onPark) onPark();
    if (!wake()) throw std::logic_error("the worker would park for ever");
  }
  uint32_t now = 1000;
  std::vector<uint32_t> sleeps;
  std::vector<uint32_t> parks;
  std::function<void()> onSleep, onPark;
};

class DirectDispatcher final : public MainThreadDispatcher {
 public:
  void RunAndWait(const std::function<void()>& fn) override {
    if (before) before();
    fn();
  }
  std::function<void()> before;
};

struct TickRuleCase {
  const char* name;
  int32_t interval;
  uint32_t handlerMs;
  std::vector<uint32_t> expectedTicks;  // times after enabling
};

class TimerRule : public ::testing::TestWithParam<TickRuleCase> {};

TEST_P(TimerRule, TicksAtAFixedRateMeasuredFromTheCycleStart) {
  const TickRuleCase& c = GetParam();
  auto shared = std::make_shared<TimerShared>();
  VirtualClock clock;
  DirectDispatcher dispatcher;
  shared->FInterval = c.interval;
  uint32_t enabledAt = 0;
  std::vector<uint32_t> ticks;
  shared->tick = [&] {
    ticks.push_back(clock.now - enabledAt);
    clock.now += c.handlerMs;
    if (ticks.size() == c.expectedTicks.size()) shared->bStop = true;
  };
  clock.onPark = [&] {
    enabledAt = clock.now;
    shared->FEnabled = true;
  };
  RunTimerWorker(shared, clock, &dispatcher);
  EXPECT_EQ(ticks, c.expectedTicks);
  EXPECT_EQ(clock.parks.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TimerRule,
    ::testing::Values(TickRuleCase{"QuickHandler", 100, 30, {100, 200, 300, 400}},
                      TickRuleCase{"HandlerLongerThanInterval", 100, 150, {100, 260, 420}},
                      TickRuleCase{"HandlerExactlyInterval", 100, 100, {100, 210, 320}},
                      TickRuleCase{"ZeroIntervalUsesTheFloor", 0, 0, {10, 20, 30}},
                      TickRuleCase{"TinyIntervalUsesTheFloor", 3, 1, {10, 21, 32}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TimerWorker, DisabledTimerParksInsteadOfWakingPeriodically) {
  auto shared = std::make_shared<TimerShared>();
  VirtualClock clock;
  DirectDispatcher dispatcher;
  shared->FInterval = 100;
  int ticks = 0;
  shared->tick = [&] { ++ticks; };
  int parks = 0;
  clock.onPark = [&] {
    // First park: enable, then disable again during the first interval; second park: stop.
    if (++parks == 1)
      shared->FEnabled = true;
    else
      shared->bStop = true;
  };
  clock.onSleep = [&] { shared->FEnabled = false; };
  RunTimerWorker(shared, clock, &dispatcher);
  EXPECT_EQ(ticks, 0) << "enabled and disabled within one interval";
  EXPECT_EQ(clock.parks.size(), 2u);
  EXPECT_EQ(clock.sleeps, std::vector<uint32_t>{100}) << "a parked worker sleeps no intervals";
}

TEST(TimerWorker, HandlerThatDisablesItsTimerGetsNoFurtherTick) {
  auto shared = std::make_shared<TimerShared>();
  VirtualClock clock;
  DirectDispatcher dispatcher;
  shared->FInterval = 100;
  int ticks = 0;
  shared->tick = [&] {
    ++ticks;
    shared->FEnabled = false;
  };
  int parks = 0;
  clock.onPark = [&] {
    if (++parks == 1)
      shared->FEnabled = true;
    else
      shared->bStop = true;
  };
  RunTimerWorker(shared, clock, &dispatcher);
  EXPECT_EQ(ticks, 1);
  EXPECT_EQ(parks, 2);
}

TEST(TimerWorker, StopWhileATickWaitsForTheMainThreadRunsNoHandler) {
  auto shared = std::make_shared<TimerShared>();
  VirtualClock clock;
  DirectDispatcher dispatcher;
  shared->FInterval = 50;
  int ticks = 0;
  shared->tick = [&] { ++ticks; };
  clock.onPark = [&] { shared->FEnabled = true; };
  dispatcher.before = [&] { shared->bStop = true; };  // the timer is destroyed while the worker waits
  RunTimerWorker(shared, clock, &dispatcher);
  EXPECT_EQ(ticks, 0);
}

TEST(TimerWorker, StopDuringTheFirstIntervalEndsWithoutTick) {
  auto shared = std::make_shared<TimerShared>();
  VirtualClock clock;
  DirectDispatcher dispatcher;
  shared->FInterval = 100;
  int ticks = 0;
  shared->tick = [&] { ++ticks; };
  clock.onPark = [&] { shared->FEnabled = true; };
  clock.onSleep = [&] { shared->bStop = true; };
  RunTimerWorker(shared, clock, &dispatcher);
  EXPECT_EQ(ticks, 0);
}

// Real worker threads: a dispatcher that runs the tick on the calling worker after an optional gate.
class GateDispatcher final : public MainThreadDispatcher {
 public:
  void RunAndWait(const std::function<void()>& fn) override {
    std::unique_lock<std::mutex> lock(m);
    ++waiting;
    cv.notify_all();
    cv.wait(lock, [&] { return open; });
    lock.unlock();
    fn();
  }
  std::mutex m;
  std::condition_variable cv;
  int waiting = 0;
  bool open = false;
};

TEST(ThreadTimer, StartsDisabledAndTicksOnlyAfterEnabling) {
  // The dispatcher must outlive the detached workers, so it lives for the whole test program.
  static GateDispatcher* dispatcher = new GateDispatcher;
  dispatcher->open = true;
  SetTimerDispatcher(dispatcher);
  std::atomic<int> ticks{0};
  {
    TTarvoThreadTimer timer;
    SetTimerDispatcher(nullptr);
    timer.SetInterval(20);
    timer.OnTimer = [&](TTarvoThreadTimer& sender) {
      EXPECT_EQ(&sender, &timer);
      ++ticks;
    };
    EXPECT_FALSE(timer.Enabled());
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(ticks.load(), 0);
    timer.SetEnabled(true);
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ticks.load() < 3 && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    timer.SetEnabled(false);
  }
  EXPECT_GE(ticks.load(), 3);
}

TEST(ThreadTimer, NoTickAfterDestructionEvenWithACycleUnderWay) {
  static GateDispatcher* dispatcher = new GateDispatcher;
  SetTimerDispatcher(dispatcher);
  std::atomic<int> ticks{0};
  {
    TTarvoThreadTimer timer;
    SetTimerDispatcher(nullptr);
    timer.SetInterval(10);
    timer.OnTimer = [&](TTarvoThreadTimer&) { ++ticks; };
    timer.SetEnabled(true);
    std::unique_lock<std::mutex> lock(dispatcher->m);
    ASSERT_TRUE(dispatcher->cv.wait_for(lock, std::chrono::seconds(5), [] { return dispatcher->waiting > 0; }));
  }  // destroyed while the worker waits to deliver a tick
  {
    std::lock_guard<std::mutex> lock(dispatcher->m);
    dispatcher->open = true;
  }
  dispatcher->cv.notify_all();
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(ticks.load(), 0);
}
}  // namespace

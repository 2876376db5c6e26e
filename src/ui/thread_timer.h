// TTarvoThreadTimer: a timer whose clock is a worker thread of its own and whose tick runs on the
// main thread. The worker sleeps until the next tick, hands the tick to the main thread through the
// installed dispatcher and waits until it has run.
//
// Fixed rate: a cycle starts at t0, the tick runs (if enabled), and the worker sleeps
// Interval - (now - t0) ms, never less than 10 ms. A disabled timer parks its worker until it is
// enabled or destroyed, so an idle timer costs nothing; the first tick after enabling still comes
// one interval later. No tick runs once the timer has been destroyed: the state the worker reads
// is shared and outlives the timer until the worker has left its loop.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class TTarvoThreadTimer;

// State shared by a timer and its worker. Everything here is guarded by m.
struct TimerShared {
  std::mutex m;
  std::condition_variable cv;
  bool bStop = false;
  bool FEnabled = false;
  int32_t FInterval = 0;
  std::function<void()> tick;  // runs on the main thread; set by the timer, cleared at stop
};

// Millisecond clock and sleeping for timer workers. Sleep and Park are called with lock held on
// the shared mutex and may release it while they wait.
class TimerClock {
 public:
  virtual ~TimerClock() = default;
  virtual uint32_t NowMs() = 0;
  // Waits up to ms milliseconds; returns earlier once wake() is true (checked on every notify).
  virtual void Sleep(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, uint32_t ms,
                     const std::function<bool()>& wake) = 0;
  // Waits without a time limit until wake() is true.
  virtual void Park(std::unique_lock<std::mutex>& lock, std::condition_variable& cv,
                    const std::function<bool()>& wake) = 0;
};

// Runs a function on the main thread and returns when it has run (Windows: SendMessageW to a
// hidden window of the main thread). Called from worker threads.
class MainThreadDispatcher {
 public:
  virtual ~MainThreadDispatcher() = default;
  virtual void RunAndWait(const std::function<void()>& fn) = 0;
};

// The steady clock with a condition-variable wait; the default.
TimerClock& SteadyTimerClock();
// Installs what new timers use (not owned; nullptr: the steady clock / no dispatcher). A timer
// created without a dispatcher never ticks.
void SetTimerClock(TimerClock* clock);
// The installed clock, else the steady clock.
TimerClock& CurrentTimerClock();
void SetTimerDispatcher(MainThreadDispatcher* dispatcher);
// The installed dispatcher; nullptr when there is none (tests, the export mode).
MainThreadDispatcher* TimerDispatcher();

enum class TThreadPriority { Idle, Lowest, Lower, Normal, Higher, Highest, TimeCritical };

// The worker loop; runs until shared.bStop. Exposed so that tests can drive it on their own thread.
void RunTimerWorker(const std::shared_ptr<TimerShared>& shared, TimerClock& clock,
                    MainThreadDispatcher* dispatcher);

class TTarvoThreadTimer {
 public:
  TTarvoThreadTimer();
  ~TTarvoThreadTimer();  // requests the stop; the worker leaves at once and ends by itself
  TTarvoThreadTimer(const TTarvoThreadTimer&) = delete;
  TTarvoThreadTimer& operator=(const TTarvoThreadTimer&) = delete;

  bool Enabled() const;
  void SetEnabled(bool enabled);
  int32_t Interval() const;
  void SetInterval(int32_t ms);
  // Stored only; the worker keeps the priority it started with.
  TThreadPriority ThreadPriority = TThreadPriority::Normal;
  // Called on the main thread with this timer as sender.
  std::function<void(TTarvoThreadTimer& sender)> OnTimer;

 private:
  std::shared_ptr<TimerShared> shared_;
};

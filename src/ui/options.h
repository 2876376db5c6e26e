// Where the main window's options live: the autostart task and three registry values.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "core/text.h"
#include "platform/autostart.h"
#include "platform/option_values.h"

inline constexpr char16_t kCaptureKey[] = u"SOFTWARE\\Microsoft\\OEM\\Device\\Capture";
inline constexpr char16_t kNoPhysicalCameraLEDValue[] = u"NoPhysicalCameraLED";
inline constexpr char16_t kShowNoticesValue[] = u"Show_Notices";  // 1 or 0; missing: shown
// Keep-blocked (REG_DWORD 1 on, else off; off when missing) and the global hotkeys (REG_DWORD 0
// off, else on; on when missing), with the two hotkeys as text an administrator may edit.
inline constexpr char16_t kKeepBlockedValue[] = u"Keep_Blocked";
inline constexpr char16_t kHotkeysValue[] = u"Hotkeys";
// Blocking while the session is locked: REG_DWORD 1 on, else off; off when missing.
inline constexpr char16_t kBlockWhileLockedValue[] = u"Block_While_Locked";
inline constexpr char16_t kHotkeyCamValue[] = u"Hotkey_Cam";
inline constexpr char16_t kHotkeyMicValue[] = u"Hotkey_Mic";

// The autostart task as the options see it. The default uses the task scheduler routines;
// tests install a fake. Create raises OsError when the task template cannot be read or written.
// Exists is also called from a worker thread (see AutostartQuery).
class AutostartControl {
 public:
  virtual ~AutostartControl() = default;
  virtual bool Exists() = 0;
  virtual TaskCreation Create() = 0;
  virtual void Delete() = 0;
};
// Installs the control (not owned); nullptr goes back to the task scheduler routines.
void SetAutostartControl(AutostartControl* control);
AutostartControl& Autostart();

// Raises OsError with the text the user reads when the task was not created: refused because the
// program could be replaced by non-administrators, or not accepted by the task scheduler.
void RaiseUnlessCreated(TaskCreation result);

// The answer to "does the autostart task exist?", asked off the main thread: the scheduler's
// query takes hundreds of milliseconds, which the start-up does not wait for. A worker runs the
// query and hands the answer to the main thread through the timer dispatcher; no worker touches a
// window. Without a dispatcher (tests, the export mode) the query runs at once on the caller.
// Every member is called on the main thread.
class AutostartQuery {
 public:
  AutostartQuery();
  ~AutostartQuery();  // drops an answer still on its way
  AutostartQuery(const AutostartQuery&) = delete;
  AutostartQuery& operator=(const AutostartQuery&) = delete;

  // Starts the query; apply runs on the main thread once, with the answer, unless dropped first.
  void Start(std::function<bool()> query, std::function<void(bool)> apply);
  // Waits up to limitMs for the answer (on the timers' clock), applying it now if it has come but
  // not yet been applied. True when the answer has been applied.
  bool Await(uint32_t limitMs);
  bool Known() const;
  // An answer that arrives later is thrown away.
  void Drop();

  struct Shared;

 private:
  std::shared_ptr<Shared> shared_;
};

// The kind-level block and unblock commands that a click on a big picture, a hotkey, keep-blocked
// and the command line all go through: block every watched device of the kind while one of them
// works, unblock the kind's disabled devices while all watched ones are off. They know no window:
// whoever runs them (the main window, the console) reports progress and answers their questions
// through ToggleHost; the device switching goes through ToggleSwitches so it can be replaced in tests.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "core/text.h"
#include "devices/veilcap.h"

// What the commands ask of whoever runs them, and where they report. The main window answers with
// its pictures, menus and message boxes, the console with the device list and lines of text.
class ToggleHost {
 public:
  virtual ~ToggleHost() = default;
  // The state of a kind as last shown after a refresh: 0 no watched device, 1 at least one
  // watched device works, 2 all watched devices are off.
  virtual int32_t WebCamState() = 0;
  virtual int32_t MicState() = 0;
  // A device of the kind is about to be switched: show that the command works (the next refresh
  // shows the result again).
  virtual void Switching(bool mic) = 0;
  // Lets pending work of the caller's thread run (window messages), then returns.
  virtual void ProcessMessages() = 0;
  virtual void SleepMs(uint32_t ms) = 0;
  // A millisecond clock for measuring waits (wraps around); a host without one answers 0, and the
  // waits then count only what was slept.
  virtual uint32_t NowMs() { return 0; }
  // Searches the devices anew, so that the device list and both states are current.
  virtual void Refresh() = 0;
  // Whether a block also denies (and an unblock allows) the kind's privacy consent.
  virtual bool PrivacyCamChecked() = 0;
  virtual bool PrivacyMicChecked() = 0;
  // A device of the kind waits for a restart of Windows.
  virtual void ReportRestartNeeded() = 0;
  // A warning about the result (the command itself ended).
  virtual void ReportWarning(const u16& text) = 0;
  // An error that stopped a command (the text of the system error).
  virtual void ReportError(const u16& text) = 0;
  // A block or unblock of a kind is about to run (already recorded in the ledger).
  virtual void KindCommanded(bool /*mic*/, bool /*block*/) {}
  // An unblock of the kind was refused: a policy of the organisation blocks it. Shows the
  // refusal as a warning unless the host reports it otherwise.
  virtual void Refused(bool mic);
};

// Switching one device node and the privacy consent; may raise OsError (failed elevated start,
// temporary files that cannot be written).
class ToggleSwitches {
 public:
  virtual ~ToggleSwitches() = default;
  virtual void Disable(const u16& instanceId) = 0;
  virtual void Enable(const u16& instanceId) = 0;
  virtual void PrivacyCam(bool block) = 0;
  virtual void PrivacyMic(bool block) = 0;
};

// The switches of a TVeilcap object: DisablePnpDevice, EnablePnpDevice and the consent switches.
class VeilcapSwitches final : public ToggleSwitches {
 public:
  explicit VeilcapSwitches(TVeilcap& v) : v_(v) {}
  void Disable(const u16& id) override { v_.DisablePnpDevice(id); }
  void Enable(const u16& id) override { v_.EnablePnpDevice(id); }
  void PrivacyCam(bool block) override { v_.Win10Privacy_ChangeSettings_Cam(block); }
  void PrivacyMic(bool block) override { v_.Win10Privacy_ChangeSettings_Mic(block); }

 private:
  TVeilcap& v_;
};

// One lock shared by every process that switches devices (the tray program's commands and a
// command-line run), so two switching passes never overlap. TryAcquire answers at once; a true
// answer must be matched by one Release on the same thread.
class SwitchingLock {
 public:
  virtual ~SwitchingLock() = default;
  virtual bool TryAcquire() = 0;
  virtual void Release() = 0;
};
// Installs the lock the commands take (not owned); nullptr: no lock (tests, a single process).
void SetSwitchingLock(SwitchingLock* lock);
SwitchingLock* InstalledSwitchingLock();

class ToggleCommands {
 public:
  // Blocking passes of the microphone command before it gives up.
  static constexpr int kMicAttempts = 3;
  // Pause between two tries of a lock that another process holds, and how long a command waits
  // for it before it tells the user (MESSAGE_SWITCHING_BUSY) and ends without switching.
  static constexpr uint32_t kLockRetryMs = 50;
  static constexpr uint32_t kLockWaitMs = 30000;
  enum class Side { Cam, Mic };

  ToggleCommands(TVeilcap& v, ToggleHost& host, ToggleSwitches& switches)
      : v_(v), host_(host), switches_(switches) {}

  // The toggle of a kind (a click on its picture or status line, a hotkey): block while the
  // state is 1, unblock while it is 2, nothing otherwise.
  void ToggleCam();
  void ToggleMic();
  // True while a command runs (a toggle in that time is ignored).
  bool Running() const { return running_; }

  // What a toggle does when the side is on (Block) or off (Unblock), whatever the state says.
  // Blocking a side without watched devices does nothing; blocking a side that is already off
  // only sets the consent. False when a switch raised (the error went to ReportError), another
  // command was running or the switching lock stayed busy (told with ReportWarning).
  bool Block(Side side);
  bool Unblock(Side side);
  // Switches on exactly these devices, one by one, then refreshes; a device of a kind a policy
  // blocks is left off and refused. False as for Block.
  bool EnableListed(const std::vector<u16>& instanceIds);

 private:
  bool RunGuarded(const std::function<void()>& command);
  void WebCam();
  void Mic();
  // Every block and unblock of a kind passes here, from a click or from the command line.
  void SwitchSide(Side side, bool block);
  void BlockCam();
  void UnblockCam();
  void BlockMic();
  void UnblockMic();
  // One pass over the list: every record of the side that the filter picks, one by one.
  void BlockPass(Side side);
  void UnblockPass(Side side);
  void SwitchOne(Side side, bool disable, const u16& instanceId);
  // Keeps the user's last command for the kind in the ledger, before any device is switched.
  void Record(Side side, bool block);
  void Settle();

  TVeilcap& v_;
  ToggleHost& host_;
  ToggleSwitches& switches_;
  bool running_ = false;
};

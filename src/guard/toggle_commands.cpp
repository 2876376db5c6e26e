#include "guard/toggle_commands.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <vector>

#include "core/debug.h"
#include "core/errors.h"
#include "devices/ledger.h"
#include "guard/policies.h"
#include "lang/messages.h"

namespace {
bool OfSide(const TTreeData_Device& d, bool mic) { return IsMicrophone(d) == mic; }

// Clears the running flag however the command ends.
class RunningFlag {
 public:
  explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~RunningFlag() { flag_ = false; }
  RunningFlag(const RunningFlag&) = delete;
  RunningFlag& operator=(const RunningFlag&) = delete;

 private:
  bool& flag_;
};

SwitchingLock* g_switchingLock = nullptr;

// Holds the switching lock for one command; waits for another process's pass to end, letting
// pending messages run meanwhile, but not for longer than kLockWaitMs (by the host's clock, and at
// least by what was slept): a pass that never ends (or a program that holds the lock on purpose)
// must not keep the click waiting for good.
class LockHold {
 public:
  LockHold(SwitchingLock* lock, ToggleHost& host) : lock_(lock) {
    if (!lock_) return;
    const uint32_t start = host.NowMs();
    uint32_t slept = 0;
    while (!lock_->TryAcquire()) {
      if (std::max(host.NowMs() - start, slept) >= ToggleCommands::kLockWaitMs) {
        lock_ = nullptr;
        held_ = false;
        return;
      }
      host.ProcessMessages();
      host.SleepMs(ToggleCommands::kLockRetryMs);
      slept += ToggleCommands::kLockRetryMs;
    }
  }
  ~LockHold() {
    if (lock_) lock_->Release();
  }
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;
  bool Held() const { return held_; }

 private:
  SwitchingLock* lock_;
  bool held_ = true;
};
}  // namespace

void ToggleHost::Refused(bool) { ReportWarning(MESSAGE_POLICY_REFUSED); }

void SetSwitchingLock(SwitchingLock* lock) { g_switchingLock = lock; }
SwitchingLock* InstalledSwitchingLock() { return g_switchingLock; }

void ToggleCommands::ToggleCam() { RunGuarded([this] { WebCam(); }); }
void ToggleCommands::ToggleMic() { RunGuarded([this] { Mic(); }); }

// The commands let pending messages run between devices, and the window's status texts stay
// clickable meanwhile: a toggle that arrives then is dropped, since a nested run would start a second
// PowerShell on the same devices under the running one. A switch that raises (PowerShell cannot be
// started) ends the command: the error is reported and a refresh shows the state again, so the
// window's pictures are never left disabled. The switching lock is held for the command, so another process
// never switches at the same time.
bool ToggleCommands::RunGuarded(const std::function<void()>& command) {
  if (running_) return false;
  RunningFlag flag(running_);
  u16 error;
  try {
    LockHold lock(g_switchingLock, host_);
    if (!lock.Held()) {
      DebugOut(u"Another switching run kept the lock; the command ends without switching");
      host_.ReportWarning(MESSAGE_SWITCHING_BUSY);
      return false;
    }
    command();
    return true;
  } catch (const OsError& e) {
    error = e.Message();
  } catch (const std::exception& e) {
    error = FromUtf8(e.what());
  }
  host_.ReportError(error);
  host_.Refresh();
  return false;
}

bool ToggleCommands::Block(Side side) {
  return RunGuarded([this, side] {
    const int32_t state = side == Side::Cam ? host_.WebCamState() : host_.MicState();
    if (state == 1) {
      SwitchSide(side, true);
    } else if (state == 2) {
      // Everything is off already: only the record and the consent follow.
      Record(side, true);
      if (side == Side::Cam && host_.PrivacyCamChecked()) switches_.PrivacyCam(true);
      if (side == Side::Mic && host_.PrivacyMicChecked()) switches_.PrivacyMic(true);
    }
  });
}

bool ToggleCommands::Unblock(Side side) {
  return RunGuarded([this, side] { SwitchSide(side, false); });
}

bool ToggleCommands::EnableListed(const std::vector<u16>& instanceIds) {
  return RunGuarded([this, &instanceIds] {
    const Policies policies = Read_Policies();
    bool refused[2] = {false, false};
    for (const auto& id : instanceIds) {
      const TTreeData_Device* d = nullptr;
      for (const auto& candidate : v_.Devices)
        if (EqualsNoCase(candidate.InstanceID(), id)) d = &candidate;
      if (d && policies.BlocksKind(IsMicrophone(*d))) {
        refused[IsMicrophone(*d)] = true;
        continue;
      }
      switches_.Enable(id);
    }
    for (bool mic : {false, true})
      if (refused[mic]) host_.Refused(mic);
    Settle();
  });
}

void ToggleCommands::SwitchSide(Side side, bool block) {
  // A policy of the organisation keeps the kind blocked: nothing is switched or recorded.
  if (!block && Read_Policies().BlocksKind(side == Side::Mic)) {
    host_.Refused(side == Side::Mic);
    return;
  }
  if (v_.Devices.empty()) return;
  // The user's last command per kind is recorded before the first device is switched.
  Record(side, block);
  if (side == Side::Cam)
    block ? BlockCam() : UnblockCam();
  else
    block ? BlockMic() : UnblockMic();
}

void ToggleCommands::SwitchOne(Side side, bool disable, const u16& instanceId) {
  host_.Switching(side == Side::Mic);
  host_.ProcessMessages();
  if (disable)
    switches_.Disable(instanceId);
  else
    switches_.Enable(instanceId);
  host_.ProcessMessages();
}

// The ids are taken before the first switch: a refresh that runs while messages are pumped
// replaces the device list, and the pass goes on with the devices it set out to switch. A device
// that did not work before (switched off elsewhere) is switched off all the same, but the ledger
// keeps only what Veilcap itself took away, so restoring never switches on someone else's choice.
void ToggleCommands::BlockPass(Side side) {
  struct Target {
    u16 id;
    bool worked;
  };
  std::vector<Target> targets;
  for (const auto& d : v_.Devices) {
    if (!OfSide(d, side == Side::Mic) || !d.Watch) continue;
    u16 id = d.InstanceID();
    if (!id.empty()) targets.push_back({std::move(id), d.ProblemCode == 0});
  }
  for (const auto& t : targets) {
    const bool recorded = t.worked || Ledger_Contains(t.id);
    SwitchOne(side, true, t.id);
    if (!recorded) Ledger_Remove(t.id);
  }
}

// Unblocking enables every disabled device of the kind, watched or not.
void ToggleCommands::UnblockPass(Side side) {
  std::vector<u16> ids;
  for (const auto& d : v_.Devices) {
    if (!OfSide(d, side == Side::Mic) || d.ProblemCode != 22) continue;
    u16 id = d.InstanceID();
    if (!id.empty()) ids.push_back(std::move(id));
  }
  for (const auto& id : ids) SwitchOne(side, false, id);
}

void ToggleCommands::Record(Side side, bool block) {
  const LedgerKind kind = side == Side::Mic ? LedgerKind::Mic : LedgerKind::Cam;
  if (!Ledger_SetKindBlocked(kind, block)) DebugOut(u"The last command could not be recorded in the ledger");
  host_.KindCommanded(side == Side::Mic, block);
}

void ToggleCommands::Settle() {
  host_.ProcessMessages();
  host_.SleepMs(50);
  host_.Refresh();
}

void ToggleCommands::WebCam() {
  const int32_t state = host_.WebCamState();
  if (state != 1 && state != 2) return;
  if (v_.Devices.empty()) return;
  SwitchSide(Side::Cam, state == 1);
}

void ToggleCommands::BlockCam() {
  BlockPass(Side::Cam);
  if (host_.PrivacyCamChecked()) switches_.PrivacyCam(true);
  Settle();
  if (v_.reboot_required_cams > 0) host_.ReportRestartNeeded();
}

void ToggleCommands::UnblockCam() {
  UnblockPass(Side::Cam);
  if (host_.PrivacyCamChecked()) switches_.PrivacyCam(false);
  Settle();
}

// Blocking microphones is tried up to three times while a watched microphone still works or a
// restart is pending. A retry only ever repeats the blocking pass (also when every watched
// microphone is already off and only the restart is pending) and then finishes as blocking does.
void ToggleCommands::Mic() {
  const int32_t state = host_.MicState();
  if (state != 1 && state != 2) return;
  if (v_.Devices.empty()) return;
  SwitchSide(Side::Mic, state == 1);
}

void ToggleCommands::UnblockMic() {
  UnblockPass(Side::Mic);
  if (host_.PrivacyMicChecked()) switches_.PrivacyMic(false);
  Settle();
}

void ToggleCommands::BlockMic() {
  int attempts = kMicAttempts;
  for (;;) {
    BlockPass(Side::Mic);
    Settle();
    --attempts;
    if (attempts > 0 && (v_.reboot_required_mics > 0 || host_.MicState() == 1)) {
      host_.SleepMs(100);
      host_.ProcessMessages();
      // Nothing left to block (the watched microphones are gone): stop as a click would.
      if (host_.MicState() == 0 || v_.Devices.empty()) return;
      continue;
    }
    break;
  }
  if (host_.PrivacyMicChecked()) switches_.PrivacyMic(true);
  if (v_.reboot_required_mics > 0)
    host_.ReportRestartNeeded();
  else if (host_.MicState() == 1)
    host_.ReportWarning(MESSAGE_STATUS_MIC_DEACTIVATE_FAILED);
}

#include "guard/session_lock.h"

SessionChange Classify_SessionChange(uint32_t code) {
  switch (code) {
    case 2:  // WTS_CONSOLE_DISCONNECT
    case 4:  // WTS_REMOTE_DISCONNECT
    case 6:  // WTS_SESSION_LOGOFF
    case 7:  // WTS_SESSION_LOCK
      return SessionChange::Lock;
    case 8:  // WTS_SESSION_UNLOCK
      return SessionChange::Unlock;
    default:
      return SessionChange::None;
  }
}

LockPlan SessionLockGuard::OnLock(bool optionOn, const LockKind& cam, const LockKind& mic) {
  locked_ = true;
  LockPlan block;
  if (!optionOn) return block;
  block.cam = cam.working;
  block.mic = mic.working;
  // Only a kind the user left on is the lock's to give back.
  taken_.cam = taken_.cam || (block.cam && !cam.userBlocked && !cam.policyBlocked);
  taken_.mic = taken_.mic || (block.mic && !mic.userBlocked && !mic.policyBlocked);
  return block;
}

LockPlan SessionLockGuard::OnUnlock(bool camPolicyBlocked, bool micPolicyBlocked) {
  LockPlan give;
  give.cam = taken_.cam && !camPolicyBlocked;
  give.mic = taken_.mic && !micPolicyBlocked;
  taken_ = {};
  locked_ = false;
  return give;
}

// Blocking while the session is locked: at a lock (or a logoff or disconnect, which leave the
// desktop just as unattended) every kind with a working watched device is blocked, and the kinds
// blocked for the lock are remembered; at the unlock exactly those are unblocked again. A kind
// the user or a policy had blocked before the lock is not given back, nor is one a policy blocks
// at the unlock. While locked, nothing may ask the user: messages wait for the unlock.
#pragma once
#include <cstdint>

enum class SessionChange { None, Lock, Unlock };
// The session change codes of WM_WTSSESSION_CHANGE: lock (7), logoff (6), console disconnect (2)
// and remote disconnect (4) count as a lock; unlock (8) is the unlock; the rest is nothing.
SessionChange Classify_SessionChange(uint32_t code);

// One kind as the lock sees it.
struct LockKind {
  bool working = false;        // a watched device of the kind works
  bool userBlocked = false;    // the user's last command for the kind was a block
  bool policyBlocked = false;  // a policy blocks the kind
};

struct LockPlan {
  bool cam = false;
  bool mic = false;
  bool Any() const { return cam || mic; }
};

class SessionLockGuard {
 public:
  // A lock: the kinds to block now (none while the option is off). A second lock before the
  // unlock adds to what is remembered.
  LockPlan OnLock(bool optionOn, const LockKind& cam, const LockKind& mic);
  // The unlock: the kinds to unblock; forgets them.
  LockPlan OnUnlock(bool camPolicyBlocked, bool micPolicyBlocked);
  bool Locked() const { return locked_; }
  // Kinds blocked for the lock and not yet given back.
  LockPlan Taken() const { return taken_; }

 private:
  bool locked_ = false;
  LockPlan taken_;
};

// Keeping a kind of device blocked: while the option is on and the user's last command for a kind
// was a block, every watched device of that kind found working is switched off again. It never
// fights the user: a device the user unchecked (device store value 0) is never touched, and a
// device gets two attempts each time it is found working again after it was seen off; one that
// does not stay off after two attempts is reported once and then left alone until it is plugged
// in again (it was missing from a search and is back) or the program starts anew.
#pragma once
#include <map>
#include <vector>

#include "core/text.h"

inline constexpr int kKeepBlockedAttempts = 2;

enum class KeepVerdict { Leave, SwitchOff, GiveUp };

// What the decision looks at for one device.
struct KeepCase {
  bool optionOn = false;     // "Keep blocked" is checked
  bool kindBlocked = false;  // the user's last command for the device's kind was a block
  bool storeZero = false;    // the device store holds 0 for the device (the user unchecked it)
  bool watched = false;
  bool working = false;      // problem code 0
  int attempts = 0;          // switch-offs tried since it was last seen off, plugged in or the start
  bool reported = false;     // the give-up notice was shown
};
KeepVerdict Decide_KeepBlocked(const KeepCase& c);

// One device of the list as a pass sees it.
struct KeepDevice {
  u16 id;
  u16 name;
  bool mic = false;
  bool watched = false;
  bool storeZero = false;
  bool working = false;
};

struct KeepStep {
  u16 id;
  u16 name;
  bool mic = false;
  KeepVerdict verdict = KeepVerdict::Leave;
};

// Remembers the attempts per device between passes.
class KeepBlockedGuard {
 public:
  // The steps of one pass, in list order (devices that are left alone are not listed). Counts
  // each planned switch-off as an attempt and each give-up as reported; a device seen off (not
  // given up on) has its attempts reset. Devices missing from the list are forgotten, so one
  // plugged in again starts afresh.
  std::vector<KeepStep> Plan(const std::vector<KeepDevice>& devices, bool optionOn, bool camsBlocked,
                             bool micsBlocked);
  // A new command of the user for the kind: its devices start afresh.
  void ForgetKind(bool mic);
  int Attempts(const u16& id) const;

 private:
  struct State {
    bool mic = false;
    int attempts = 0;
    bool reported = false;
  };
  std::map<u16, State> states_;  // by upper-case instance id
};

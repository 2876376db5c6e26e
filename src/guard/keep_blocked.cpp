#include "guard/keep_blocked.h"

KeepVerdict Decide_KeepBlocked(const KeepCase& c) {
  if (!c.optionOn || !c.kindBlocked || c.storeZero || !c.watched || !c.working) return KeepVerdict::Leave;
  if (c.attempts < kKeepBlockedAttempts) return KeepVerdict::SwitchOff;
  return c.reported ? KeepVerdict::Leave : KeepVerdict::GiveUp;
}

std::vector<KeepStep> KeepBlockedGuard::Plan(const std::vector<KeepDevice>& devices, bool optionOn, bool camsBlocked,
                                             bool micsBlocked) {
  std::map<u16, State> listed;
  std::vector<KeepStep> steps;
  for (const KeepDevice& d : devices) {
    const u16 key = AsciiUpper(d.id);
    if (key.empty() || listed.count(key)) continue;
    auto it = states_.find(key);
    State s = it != states_.end() ? it->second : State{};
    s.mic = d.mic;
    // Seen off: the next time it works again is a new re-enable with two attempts of its own. A
    // device given up on stays given up until it is plugged in again.
    if (!d.working && !s.reported) s.attempts = 0;
    KeepCase c;
    c.optionOn = optionOn;
    c.kindBlocked = d.mic ? micsBlocked : camsBlocked;
    c.storeZero = d.storeZero;
    c.watched = d.watched;
    c.working = d.working;
    c.attempts = s.attempts;
    c.reported = s.reported;
    const KeepVerdict v = Decide_KeepBlocked(c);
    if (v == KeepVerdict::SwitchOff) ++s.attempts;
    if (v == KeepVerdict::GiveUp) s.reported = true;
    if (v != KeepVerdict::Leave) steps.push_back({d.id, d.name, d.mic, v});
    listed.emplace(key, s);
  }
  states_ = std::move(listed);
  return steps;
}

void KeepBlockedGuard::ForgetKind(bool mic) {
  for (auto it = states_.begin(); it != states_.end();) {
    if (it->second.mic == mic)
      it = states_.erase(it);
    else
      ++it;
  }
}

int KeepBlockedGuard::Attempts(const u16& id) const {
  auto it = states_.find(AsciiUpper(id));
  return it == states_.end() ? 0 : it->second.attempts;
}

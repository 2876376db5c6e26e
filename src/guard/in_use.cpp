#include "guard/in_use.h"

#include <algorithm>

#include "core/plain_text.h"
#include "devices/privacy.h"
#include "platform/registry.h"

namespace {
constexpr char16_t kNonPackaged[] = u"NonPackaged";
constexpr char16_t kStartValue[] = u"LastUsedTimeStart";
constexpr char16_t kStopValue[] = u"LastUsedTimeStop";

void ReadUse(RegRoot root, const u16& key, const u16& id, bool packaged, std::vector<DeviceUse>* out) {
  uint64_t start = 0, stop = 0;
  if (!Reg_ReadQword(root, key, kStartValue, &start) || !Reg_ReadQword(root, key, kStopValue, &stop)) return;
  if (start == 0 || stop != 0) return;
  out->push_back({id, DeviceUse_DisplayName(id, packaged), packaged, root == RegRoot::LocalMachine, start});
}

void ReadStore(RegRoot root, const u16& store, std::vector<DeviceUse>* out) {
  for (const u16& name : Reg_SubKeyNames(root, store)) {
    if (EqualsNoCase(name, kNonPackaged)) {
      const u16 desktop = store + u"\\" + kNonPackaged;
      for (const u16& path : Reg_SubKeyNames(root, desktop)) ReadUse(root, desktop + u"\\" + path, path, false, out);
    } else {
      ReadUse(root, store + u"\\" + name, name, true, out);
    }
  }
}
}  // namespace

const u16& ConsentStoreKey(DeviceKind kind) {
  return kind == DeviceKind::Webcam ? kConsentKeyWebcam : kConsentKeyMicrophone;
}

u16 DeviceUse_DisplayName(u16v id, bool packaged) {
  u16v name = id;
  if (packaged) {
    name = name.substr(0, name.find(u'_'));
  } else {
    const size_t hash = name.find_last_of(u"#\\");
    if (hash != u16v::npos) name.remove_prefix(hash + 1);
    if (name.size() > 4 && EqualsNoCase(name.substr(name.size() - 4), u".exe")) name.remove_suffix(4);
  }
  // The name is the program's choice: it must not reorder or hide the text around it.
  const u16 plain = PlainText(name);
  return plain.empty() ? PlainText(id) : plain;
}

std::vector<DeviceUse> Read_DeviceUses(DeviceKind kind) {
  std::vector<DeviceUse> uses;
  ReadStore(RegRoot::CurrentUser, ConsentStoreKey(kind), &uses);
  ReadStore(RegRoot::LocalMachine, ConsentStoreKey(kind), &uses);
  std::stable_sort(uses.begin(), uses.end(), [](const DeviceUse& a, const DeviceUse& b) { return a.since < b.since; });
  return uses;
}

InUse Read_InUse() { return {Read_DeviceUses(DeviceKind::Webcam), Read_DeviceUses(DeviceKind::Microphone)}; }

u16 Join_UseNames(const std::vector<DeviceUse>& uses, size_t maxNames, size_t kMaxName) {
  std::vector<u16> names;
  for (const DeviceUse& u : uses) {
    const u16 name = PlainText(u.name);
    const bool seen = std::any_of(names.begin(), names.end(), [&](const u16& n) { return EqualsNoCase(n, name); });
    if (!seen) names.push_back(name);
  }
  u16 joined;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) joined += u", ";
    if (i == maxNames) return joined + u"\u2026";
    joined += PlainText(names[i], kMaxName);
  }
  return joined;
}

u16 Fit_InUseLine(u16v templ, const std::vector<DeviceUse>& uses, const std::function<bool(const u16&)>& fits) {
  struct Try {
    size_t names, length;
  };
  constexpr Try kTries[] = {{3, 40}, {3, 20}, {2, 20}, {1, 20}, {1, 12}};
  u16 line;
  for (const Try& t : kTries) {
    line = ReplaceAll(templ, u"%1", Join_UseNames(uses, t.names, t.length));
    if (fits(line)) break;
  }
  return line;
}

std::vector<DeviceUse> Started_Uses(const std::vector<DeviceUse>& before, const std::vector<DeviceUse>& now) {
  std::vector<DeviceUse> started;
  for (const DeviceUse& u : now) {
    const bool known = std::any_of(before.begin(), before.end(), [&](const DeviceUse& b) {
      return b.machine == u.machine && b.since == u.since && EqualsNoCase(b.id, u.id);
    });
    if (!known) started.push_back(u);
  }
  return started;
}

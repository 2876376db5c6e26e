// Settings an organisation enforces through Group Policy or Intune: REG_DWORD values under
// HKEY_LOCAL_MACHINE\SOFTWARE\Policies\Vostrel\Veilcap (read in the 64-bit view). A missing value,
// one of another type and one other than 0 or 1 leave the choice to the user, as before. The
// policy templates for administrators are generated from this table, so they name exactly the
// values the program reads.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "core/text.h"

inline constexpr char16_t kPolicyKey[] = u"SOFTWARE\\Policies\\Vostrel\\Veilcap";
// Group Policy rewrites the key as a whole; its parent is watched too, so a key deleted and
// made again is followed.
inline constexpr char16_t kPolicyParentKey[] = u"SOFTWARE\\Policies\\Vostrel";

enum class PolicyId : size_t { BlockWebcams, BlockMicrophones, BlockWhileLocked, KeepBlocked, Hotkeys, ShowNotices };
inline constexpr size_t kPolicyCount = 6;

struct PolicyDef {
  PolicyId id;
  const char16_t* valueName;
  // An option policy forces its option on (1) or off (0); a blocking policy blocks its kind at 1,
  // and 0 leaves the kind to the user.
  bool option;
};
// In template order.
const std::array<PolicyDef, kPolicyCount>& PolicyTable();

class Policies {
 public:
  // The forced state, or nothing when the user decides.
  std::optional<bool> Get(PolicyId id) const { return values_[size_t(id)]; }
  void Set(PolicyId id, std::optional<bool> value) { values_[size_t(id)] = value; }
  bool Any() const;
  // BlockWebcams (mic false) or BlockMicrophones (mic true) is 1.
  bool BlocksKind(bool mic) const;
  // The option as it acts: the forced state, else the user's own choice.
  bool Option(PolicyId id, bool userChoice) const { return Get(id).value_or(userChoice); }
  bool operator==(const Policies& other) const { return values_ == other.values_; }

 private:
  std::array<std::optional<bool>, kPolicyCount> values_{};
};

// The kinds keep-blocked holds: a kind whose last command was a block while the option acts (its
// forced state, else the user's), and a kind a policy blocks, whatever the option.
struct KeepKinds {
  bool cam = false;
  bool mic = false;
};
KeepKinds Policy_KeepKinds(const Policies& p, bool userKeepBlocked, bool camLastBlocked, bool micLastBlocked);

// What one stored value means: dword is the REG_DWORD's number, nothing when the value is missing
// or of another type.
std::optional<bool> Decode_Policy(const PolicyDef& def, std::optional<uint32_t> dword);
// The policies in force now, read through the registry routines.
Policies Read_Policies();

// The command line's report: one line "POLICY<TAB><value name><TAB>0|1" per policy in force, and
// the same as a JSON object {"BlockWebcams":1,...} (empty object when none is set).
u16 PolicyLines(const Policies& p);
u16 PolicyJson(const Policies& p);

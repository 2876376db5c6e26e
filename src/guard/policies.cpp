#include "guard/policies.h"

#include "platform/registry.h"

const std::array<PolicyDef, kPolicyCount>& PolicyTable() {
  static const std::array<PolicyDef, kPolicyCount> table = {{
      {PolicyId::BlockWebcams, u"BlockWebcams", false},
      {PolicyId::BlockMicrophones, u"BlockMicrophones", false},
      {PolicyId::BlockWhileLocked, u"BlockWhileLocked", true},
      {PolicyId::KeepBlocked, u"KeepBlocked", true},
      {PolicyId::Hotkeys, u"Hotkeys", true},
      {PolicyId::ShowNotices, u"ShowNotices", true},
  }};
  return table;
}

bool Policies::Any() const {
  for (const auto& v : values_)
    if (v) return true;
  return false;
}

bool Policies::BlocksKind(bool mic) const {
  return Get(mic ? PolicyId::BlockMicrophones : PolicyId::BlockWebcams).value_or(false);
}

KeepKinds Policy_KeepKinds(const Policies& p, bool userKeepBlocked, bool camLastBlocked, bool micLastBlocked) {
  const bool option = p.Option(PolicyId::KeepBlocked, userKeepBlocked);
  return {(option && camLastBlocked) || p.BlocksKind(false), (option && micLastBlocked) || p.BlocksKind(true)};
}

std::optional<bool> Decode_Policy(const PolicyDef& def, std::optional<uint32_t> dword) {
  if (!dword) return std::nullopt;
  if (*dword == 1) return true;
  if (*dword == 0 && def.option) return false;
  return std::nullopt;
}

Policies Read_Policies() {
  Policies p;
  for (const PolicyDef& def : PolicyTable()) {
    uint32_t v = 0;
    const bool isDword = Reg_ReadDword(RegRoot::LocalMachine, kPolicyKey, def.valueName, &v);
    p.Set(def.id, Decode_Policy(def, isDword ? std::optional<uint32_t>(v) : std::nullopt));
  }
  return p;
}

u16 PolicyLines(const Policies& p) {
  u16 out;
  for (const PolicyDef& def : PolicyTable())
    if (const auto v = p.Get(def.id)) out += u16(u"POLICY\t") + def.valueName + (*v ? u"\t1\r\n" : u"\t0\r\n");
  return out;
}

u16 PolicyJson(const Policies& p) {
  u16 out = u"{";
  for (const PolicyDef& def : PolicyTable()) {
    const auto v = p.Get(def.id);
    if (!v) continue;
    if (out.size() > 1) out += u",";
    out += u16(u"\"") + def.valueName + (*v ? u"\":1" : u"\":0");
  }
  return out + u"}";
}

#include "devices/device_sources.h"

namespace {
constexpr DevGuid kDeviceBase{0xA45C254E, 0xDF1C, 0x4EFD, {0x80, 0x20, 0x67, 0xD1, 0x46, 0xA8, 0x50, 0xE0}};
constexpr DevGuid kBusDesc{0x540B947E, 0x8B40, 0x45BC, {0xA8, 0xA2, 0x6A, 0x0B, 0x89, 0x4C, 0xBD, 0xA2}};
constexpr DevGuid kInstance{0x78C34FC8, 0x104A, 0x4ACA, {0x9E, 0xA4, 0x52, 0x4D, 0x52, 0x99, 0x6E, 0x57}};
constexpr DevGuid kNode{0x4340A6C5, 0x93FA, 0x4706, {0x97, 0x2C, 0x7B, 0x64, 0x80, 0x08, 0xA5, 0xA7}};

DeviceSources g_sources;

void Hex(u16& out, uint64_t v, int digits) {
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  for (int i = digits - 1; i >= 0; --i) out.push_back(kDigits[(v >> (4 * i)) & 0xF]);
}
}  // namespace

const DevPropertyKey kDevKey_ClassGuid{kDeviceBase, 10};
const DevPropertyKey kDevKey_BusReportedDeviceDesc{kBusDesc, 4};
const DevPropertyKey kDevKey_FriendlyName{kDeviceBase, 14};
const DevPropertyKey kDevKey_DeviceDesc{kDeviceBase, 2};
const DevPropertyKey kDevKey_InstanceId{kInstance, 256};
const DevPropertyKey kDevKey_ProblemCode{kNode, 3};
const DevPropertyKey kDevKey_DevNodeStatus{kNode, 2};

u16 GuidText(const DevGuid& g) {
  u16 r;
  r.reserve(38);
  r.push_back(u'{');
  Hex(r, g.data1, 8);
  r.push_back(u'-');
  Hex(r, g.data2, 4);
  r.push_back(u'-');
  Hex(r, g.data3, 4);
  r.push_back(u'-');
  for (int i = 0; i < 8; ++i) {
    if (i == 2) r.push_back(u'-');
    Hex(r, g.data4[i], 2);
  }
  r.push_back(u'}');
  return r;
}

DevGuid GuidFromBytes(const uint8_t* b) {
  DevGuid g;
  g.data1 = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  g.data2 = uint16_t(b[4] | b[5] << 8);
  g.data3 = uint16_t(b[6] | b[7] << 8);
  for (int i = 0; i < 8; ++i) g.data4[i] = b[8 + i];
  return g;
}

void SetDeviceSources(const DeviceSources& sources) { g_sources = sources; }
const DeviceSources& InstalledDeviceSources() { return g_sources; }

#include "fakes/fake_device_sources.h"

#include <algorithm>
#include <cstring>

namespace {
void Log(std::vector<std::string>* log, std::string line) {
  if (log) log->push_back(std::move(line));
}

class FakeSet final : public PresentDeviceSet {
 public:
  explicit FakeSet(FakePresentDevices& owner) : owner_(owner) {}
  ~FakeSet() override {
    ++owner_.closed;
    Log(owner_.log, "present.close");
  }
  bool EnumDevice(uint32_t index) override {
    if (index >= owner_.devices.size()) return false;
    current_ = &owner_.devices[index];
    return true;
  }
  PropertyRead ReadProperty(const DevPropertyKey& key, uint8_t* buffer, uint32_t size) override {
    const int n = owner_.reads++;
    owner_.bufferSizes.push_back(size);
    if (std::any_of(buffer, buffer + size, [](uint8_t b) { return b != 0; })) owner_.dirtyBuffer = true;
    if (n == owner_.throwAtRead) throw DeviceSourceError("property reader missing", 127);
    const FakeProperty* p = current_->Find(key);
    if (!p) return PropertyRead{false, kErrorNotFound};
    // Like SetupAPI: data that does not fit is not written and the call fails.
    if (p->ok && p->bytes.size() > size) return PropertyRead{false, 122};
    if (!p->bytes.empty()) std::memcpy(buffer, p->bytes.data(), std::min<size_t>(p->bytes.size(), size));
    return PropertyRead{p->ok, p->lastError};
  }

 private:
  FakePresentDevices& owner_;
  const FakePnpDevice* current_ = nullptr;
};

class FakeEntries final : public CaptureEntries {
 public:
  FakeEntries(const FakeCaptureSource::Category& c, std::vector<std::string>* log, std::string name)
      : c_(c), log_(log), name_(std::move(name)) {}
  bool Next(CaptureEntry* entry) override {
    if (int(next_) == c_.throwAtEntry) {
      Log(log_, name_ + ".fail");
      throw DeviceSourceError("BindToStorage failed", 0x80004005u);
    }
    if (next_ >= c_.entries.size()) return false;
    *entry = c_.entries[next_++];
    return true;
  }

 private:
  const FakeCaptureSource::Category& c_;
  std::vector<std::string>* log_;
  std::string name_;
  size_t next_ = 0;
};

std::vector<uint8_t> Utf16Bytes(u16v text) {
  std::vector<uint8_t> b;
  for (char16_t c : text) {
    b.push_back(uint8_t(c & 0xFF));
    b.push_back(uint8_t(c >> 8));
  }
  b.push_back(0);
  b.push_back(0);
  return b;
}
}  // namespace

FakePnpDevice& FakePnpDevice::Set(const DevPropertyKey& key, FakeProperty p) {
  for (auto& kv : props)
    if (kv.first == key) {
      kv.second = std::move(p);
      return *this;
    }
  props.emplace_back(key, std::move(p));
  return *this;
}

FakePnpDevice& FakePnpDevice::Text(const DevPropertyKey& key, u16v text) {
  return Set(key, FakeProperty{true, 0, Utf16Bytes(text)});
}

FakePnpDevice& FakePnpDevice::Dword(const DevPropertyKey& key, uint32_t v) {
  return Set(key, FakeProperty{true, 0, {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)}});
}

FakePnpDevice& FakePnpDevice::Class(u16v g) {
  // Parses "{8-4-4-4-12}" into the 16-byte Windows layout.
  auto hex = [&](size_t pos, int digits) {
    uint32_t v = 0;
    for (int i = 0; i < digits; ++i) {
      char16_t c = g[pos + i];
      v = v * 16 + uint32_t(c <= u'9' ? c - u'0' : (c | 0x20) - u'a' + 10);
    }
    return v;
  };
  std::vector<uint8_t> b(16);
  uint32_t d1 = hex(1, 8);
  uint32_t d2 = hex(10, 4), d3 = hex(15, 4);
  for (int i = 0; i < 4; ++i) b[i] = uint8_t(d1 >> (8 * i));
  b[4] = uint8_t(d2), b[5] = uint8_t(d2 >> 8), b[6] = uint8_t(d3), b[7] = uint8_t(d3 >> 8);
  const size_t pos4[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) b[8 + i] = uint8_t(hex(pos4[i], 2));
  return Set(kDevKey_ClassGuid, FakeProperty{true, 0, b});
}

FakePnpDevice& FakePnpDevice::Fail(const DevPropertyKey& key, uint32_t lastError) {
  return Set(key, FakeProperty{false, lastError, {}});
}

const FakeProperty* FakePnpDevice::Find(const DevPropertyKey& key) const {
  for (const auto& kv : props)
    if (kv.first == key) return &kv.second;
  return nullptr;
}

FakePnpDevice FakePnpDevice::Make(u16v classGuid, u16v name, u16v instanceId) {
  FakePnpDevice d;
  d.Class(classGuid);
  if (!name.empty()) d.Text(kDevKey_FriendlyName, name);
  if (!instanceId.empty()) d.Text(kDevKey_InstanceId, instanceId);
  return d;
}

std::unique_ptr<PresentDeviceSet> FakePresentDevices::Open() {
  Log(log, "present.open");
  if (openFails) return nullptr;
  ++opened;
  return std::make_unique<FakeSet>(*this);
}

std::unique_ptr<CaptureEntries> FakeCaptureSource::Open(CaptureCategory category) {
  const bool isVideo = category == CaptureCategory::VideoInput;
  const std::string name = isVideo ? "video" : "audio";
  Category& c = isVideo ? video : audio;
  Log(log, name + ".open");
  if (c.throwOnOpen) throw DeviceSourceError("no system device enumerator", 0x80040154u);
  if (c.empty) return nullptr;
  return std::make_unique<FakeEntries>(c, log, name);
}

void FakeComApartment::Initialize() {
  ++balance;
  Log(log, "com.init");
}

void FakeComApartment::Uninitialize() {
  --balance;
  Log(log, "com.uninit");
}

CaptureEntry NamedEntry(u16v name) { return CaptureEntry{u16(name), std::nullopt}; }
CaptureEntry PathEntry(u16v path) { return CaptureEntry{std::nullopt, u16(path)}; }

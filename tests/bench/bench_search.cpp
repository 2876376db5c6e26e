// Time of one device search on a synthetic machine: 2,000 present devices (a quarter of them
// cameras, scanners and audio endpoints), 50 DirectShow entries, a device store with 100 values.
// BM_Search uses the test fakes. BM_SearchOwnWork answers from prepared arrays instead and times
// the same source calls alone, so that the counter "own_us" is the CPU time of our own code
// (without a debug sink, so no debug line is put together).
#include <benchmark/benchmark.h>

#include <time.h>

#include <cstring>
#include <unordered_map>

#include "devices/veilcap.h"
#include "fakes/cp1252.h"
#include "fakes/fake_device_sources.h"
#include "fakes/memory_registry.h"

namespace {
const char16_t* const kClasses[] = {kClassCamera, kClassImage, kClassAudioEndpoint,
                                    u"{4D36E968-E325-11CE-BFC1-08002BE10318}"};

u16 InstanceId(int i) { return u"USB\\VID_1234&PID_" + ToDecPadded(i, 4) + u"&MI_00\\6&1A2B3C4D&0&" + ToDecPadded(i, 4); }

void BM_Search(benchmark::State& state) {
  ScopedCp1252 cp;
  MemoryRegistry reg;
  SetRegistryBackend(&reg, false);
  FakePresentDevices present;
  FakeCaptureSource capture;
  FakeComApartment com;
  const int devices = int(state.range(0));
  for (int i = 0; i < devices; ++i) {
    // One device in four is of a kept class; the others are skipped after the class read.
    const char16_t* cls = kClasses[i % 4 == 0 ? (i / 4) % 3 : 3];
    FakePnpDevice d = FakePnpDevice::Make(cls, u"Device " + ToDec(i), InstanceId(i));
    d.Text(kDevKey_BusReportedDeviceDesc, u"Bus device " + ToDec(i)).Dword(kDevKey_ProblemCode, i % 7 == 0 ? 22 : 0);
    present.devices.push_back(std::move(d));
    if (i % 20 == 0) reg.PutDword(RegRoot::LocalMachine, kDeviceStoreKey, InstanceId(i), i % 3 == 0 ? 0 : 1);
  }
  for (int i = 0; i < 25; ++i) {
    const int n = i * 16;  // kept devices, spread over the list
    const u16 path = u"\\\\?\\" + ReplaceAll(AsciiLower(InstanceId(n)), u"\\", u"#") + u"#{65e8773d}\\global";
    capture.video.entries.push_back(CaptureEntry{u"Device " + ToDec(n), path});
    capture.audio.entries.push_back(CaptureEntry{u"Device " + ToDec(n + 8), std::nullopt});
  }
  TVeilcap v(DeviceSources{&present, &capture, &com});
  for (auto _ : state) {
    v.Search();
    benchmark::DoNotOptimize(v.current_cams);
  }
  state.counters["records"] = double(v.Devices.size());
  state.counters["watched"] = double(v.current_cams + v.current_mics);
  SetRegistryBackend(nullptr, false);
}
BENCHMARK(BM_Search)->Arg(2000)->Unit(benchmark::kMillisecond);

const DevPropertyKey* const kKeys[] = {&kDevKey_ClassGuid,  &kDevKey_BusReportedDeviceDesc, &kDevKey_FriendlyName,
                                       &kDevKey_DeviceDesc, &kDevKey_InstanceId,            &kDevKey_ProblemCode,
                                       &kDevKey_DevNodeStatus};
constexpr int kKeyCount = 7;

// Each device's property bytes, ready to copy; an empty array is a missing property.
struct PreparedDevice {
  std::vector<uint8_t> bytes[kKeyCount];
};

class PreparedSet final : public PresentDeviceSet {
 public:
  explicit PreparedSet(const std::vector<PreparedDevice>& d) : devices_(d) {}
  bool EnumDevice(uint32_t index) override {
    current_ = index;
    return index < devices_.size();
  }
  PropertyRead ReadProperty(const DevPropertyKey& key, uint8_t* buffer, uint32_t size) override {
    int k = 0;
    while (k < kKeyCount && !(*kKeys[k] == key)) ++k;
    if (k == kKeyCount || devices_[current_].bytes[k].empty()) return {false, 1168};
    const auto& b = devices_[current_].bytes[k];
    std::memcpy(buffer, b.data(), std::min<size_t>(b.size(), size));
    return {true, 0};
  }

 private:
  const std::vector<PreparedDevice>& devices_;
  uint32_t current_ = 0;
};

class PreparedPresent final : public PresentDeviceSource {
 public:
  std::unique_ptr<PresentDeviceSet> Open() override { return std::make_unique<PreparedSet>(devices); }
  std::vector<PreparedDevice> devices;
};

class PreparedEntries final : public CaptureEntries {
 public:
  explicit PreparedEntries(const std::vector<CaptureEntry>& e) : entries_(e) {}
  bool Next(CaptureEntry* entry) override {
    if (next_ >= entries_.size()) return false;
    *entry = entries_[next_++];
    return true;
  }

 private:
  const std::vector<CaptureEntry>& entries_;
  size_t next_ = 0;
};

class PreparedCapture final : public CaptureDeviceSource {
 public:
  std::unique_ptr<CaptureEntries> Open(CaptureCategory c) override {
    return std::make_unique<PreparedEntries>(c == CaptureCategory::VideoInput ? video : audio);
  }
  std::vector<CaptureEntry> video, audio;
};

// The device store only, as a hash of value names; every key opens.
class PreparedRegistry final : public RegistryBackend {
 public:
  long OpenKey(RegRoot, const u16&, uint32_t, RegHandle* key) override {
    *key = RegHandle(1);
    return 0;
  }
  long CreateKey(RegRoot r, const u16& s, uint32_t a, RegHandle* key) override { return OpenKey(r, s, a, key); }
  long QueryValue(RegHandle, const u16& name, uint32_t* type, uint8_t* data, uint32_t* size) override {
    auto it = values.find(name);
    if (it == values.end()) return 2;
    if (type) *type = 4;
    if (data && size && *size >= 4) std::memcpy(data, &it->second, 4);
    if (size) *size = 4;
    return 0;
  }
  long SetValue(RegHandle, const u16&, uint32_t, const uint8_t*, uint32_t) override { return 5; }
  long DeleteValue(RegHandle, const u16&) override { return 5; }
  long CloseKey(RegHandle) override { return 0; }
  std::unordered_map<u16, uint32_t> values;
};

std::vector<uint8_t> TextBytes(u16v text) {
  std::vector<uint8_t> b((text.size() + 1) * 2, 0);
  std::memcpy(b.data(), text.data(), text.size() * 2);
  return b;
}
std::vector<uint8_t> DwordBytes(uint32_t v) {
  std::vector<uint8_t> b(4);
  std::memcpy(b.data(), &v, 4);
  return b;
}

void BM_SearchOwnWork(benchmark::State& state) {
  ScopedCp1252 cp;
  PreparedRegistry reg;
  SetRegistryBackend(&reg, false);
  PreparedPresent present;
  PreparedCapture capture;
  FakeComApartment com;
  const int devices = int(state.range(0));
  for (int i = 0; i < devices; ++i) {
    const char16_t* cls = kClasses[i % 4 == 0 ? (i / 4) % 3 : 3];
    const FakePnpDevice proto = FakePnpDevice::Make(cls, u"", u"");
    PreparedDevice d;
    d.bytes[0] = proto.Find(kDevKey_ClassGuid)->bytes;
    d.bytes[1] = TextBytes(u"Bus device " + ToDec(i));
    d.bytes[2] = TextBytes(u"Device " + ToDec(i));
    d.bytes[4] = TextBytes(InstanceId(i));
    d.bytes[5] = DwordBytes(i % 7 == 0 ? 22 : 0);
    d.bytes[6] = DwordBytes(0);
    present.devices.push_back(std::move(d));
    if (i % 20 == 0) reg.values[InstanceId(i)] = i % 3 == 0 ? 0 : 1;
  }
  // The 50 DirectShow entries name kept devices spread over the whole list.
  const int step = std::max(1, devices / 25 / 4 * 4);
  for (int i = 0; i < 25; ++i) {
    const int n = (i * step) % devices;
    const u16 path = u"\\\\?\\" + ReplaceAll(AsciiLower(InstanceId(n)), u"\\", u"#") + u"#{65e8773d}\\global";
    capture.video.push_back(CaptureEntry{u"Device " + ToDec(n), path});
    capture.audio.push_back(CaptureEntry{u"Device " + ToDec(n + 8), std::nullopt});
  }

  // The source calls of one search on their own: every device's class, the six further
  // properties of the kept ones, both categories' entries and two store look-ups per record.
  TVeilcap v(DeviceSources{&present, &capture, &com});
  v.Search();
  const size_t records = v.Devices.size();
  auto sourcesAlone = [&] {
    uint8_t buffer[1025];
    auto set = present.Open();
    for (uint32_t i = 0; set->EnumDevice(i); ++i) {
      set->ReadProperty(kDevKey_ClassGuid, buffer, sizeof buffer);
      if (i % 4 != 0) continue;
      for (int k = 1; k < kKeyCount; ++k) set->ReadProperty(*kKeys[k], buffer, sizeof buffer);
    }
    for (CaptureCategory c : {CaptureCategory::VideoInput, CaptureCategory::AudioInput}) {
      auto e = capture.Open(c);
      for (CaptureEntry entry; e->Next(&entry);) benchmark::DoNotOptimize(entry);
    }
    for (size_t r = 0; r < records; ++r) {
      uint32_t type = 0, value = 0, size = 4;
      RegHandle key{};
      reg.OpenKey(RegRoot::LocalMachine, kDeviceStoreKey, 0, &key);
      benchmark::DoNotOptimize(reg.QueryValue(key, v.Devices[r].InstanceID(), &type,
                                              reinterpret_cast<uint8_t*>(&value), &size));
      reg.CloseKey(key);
    }
  };
  // CPU time of this thread: other programs on a busy machine do not count.
  auto cpuUs = [] {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e6 + double(t.tv_nsec) / 1e3;
  };
  const int sourceRounds = 50;
  const double s0 = cpuUs();
  for (int r = 0; r < sourceRounds; ++r) sourcesAlone();
  const double sourcesUs = (cpuUs() - s0) / sourceRounds;

  const double t0 = cpuUs();
  int64_t searches = 0;
  for (auto _ : state) {
    v.Search();
    benchmark::DoNotOptimize(v.current_cams);
    ++searches;
  }
  const double searchUs = (cpuUs() - t0) / double(searches);
  state.counters["records"] = double(v.Devices.size());
  state.counters["watched"] = double(v.current_cams + v.current_mics);
  state.counters["sources_us"] = sourcesUs;
  state.counters["own_us"] = searchUs - sourcesUs;
  SetRegistryBackend(nullptr, false);
}
BENCHMARK(BM_SearchOwnWork)->Arg(200)->Arg(2000)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();

// Time of one device search on a synthetic machine: 2,000 present devices (a quarter of them
// cameras, scanners and audio endpoints), 50 DirectShow entries, a device store with 100 values.
#include <benchmark/benchmark.h>

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
    if (i % 20 == 0) reg.PutDword(RegRoot::CurrentUser, kDeviceStoreKey, InstanceId(i), i % 3 == 0 ? 0 : 1);
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
}  // namespace

BENCHMARK_MAIN();

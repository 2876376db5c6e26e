// Hand-written device sources for tests: a list of present devices whose every property read can
// succeed or fail as SetupAPI's does, DirectShow categories as lists of entries, and a COM
// apartment that logs its calls. Failures can be injected at each step.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "devices/device_sources.h"

struct FakeProperty {
  bool ok = true;
  uint32_t lastError = 0;
  std::vector<uint8_t> bytes;
};

constexpr uint32_t kErrorNotFound = 1168;  // what SetupAPI answers for a missing property

// One present device: properties by key; a key without an entry fails with kErrorNotFound.
struct FakePnpDevice {
  std::vector<std::pair<DevPropertyKey, FakeProperty>> props;

  FakePnpDevice& Set(const DevPropertyKey& key, FakeProperty p);
  FakePnpDevice& Text(const DevPropertyKey& key, u16v text);  // UTF-16 with a terminating zero
  FakePnpDevice& Dword(const DevPropertyKey& key, uint32_t v);
  FakePnpDevice& Class(u16v guidText);                          // "{XXXXXXXX-...}"
  FakePnpDevice& Fail(const DevPropertyKey& key, uint32_t lastError);
  const FakeProperty* Find(const DevPropertyKey& key) const;

  // A device with class, friendly name and instance id (empty texts are left out).
  static FakePnpDevice Make(u16v classGuid, u16v name, u16v instanceId);
};

class FakePresentDevices final : public PresentDeviceSource {
 public:
  std::unique_ptr<PresentDeviceSet> Open() override;

  std::vector<FakePnpDevice> devices;
  bool openFails = false;
  int throwAtRead = -1;  // the n-th property read (from 0) throws DeviceSourceError
  // Observations.
  int opened = 0, closed = 0, reads = 0;
  bool dirtyBuffer = false;  // a read got a buffer that was not all zeros
  std::vector<uint32_t> bufferSizes;
  std::vector<std::string>* log = nullptr;
};

class FakeCaptureSource final : public CaptureDeviceSource {
 public:
  struct Category {
    std::vector<CaptureEntry> entries;
    bool empty = false;        // the category answers S_FALSE
    bool throwOnOpen = false;  // the device enumerator cannot be created
    int throwAtEntry = -1;     // fetching entry n (from 0) fails
  };
  std::unique_ptr<CaptureEntries> Open(CaptureCategory category) override;

  Category video, audio;
  std::vector<std::string>* log = nullptr;
};

class FakeComApartment final : public ComApartment {
 public:
  void Initialize() override;
  void Uninitialize() override;
  std::vector<std::string>* log = nullptr;
  int balance = 0;
};

// DirectShow entry helpers.
CaptureEntry NamedEntry(u16v name);
CaptureEntry PathEntry(u16v path);

// What device discovery reads from the system: the present Plug-and-Play devices with their
// properties, the two DirectShow capture categories, and the COM apartment around the passes.
// Windows: SetupAPI, the DirectShow system device enumerator and CoInitialize (devices/win32);
// tests: hand-written fakes.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>

#include "core/text.h"

struct DevGuid {
  uint32_t data1 = 0;
  uint16_t data2 = 0, data3 = 0;
  uint8_t data4[8] = {};
  friend bool operator==(const DevGuid&, const DevGuid&) = default;
};

struct DevPropertyKey {
  DevGuid fmtid;
  uint32_t pid = 0;
  friend bool operator==(const DevPropertyKey&, const DevPropertyKey&) = default;
};

// The seven device properties discovery reads.
extern const DevPropertyKey kDevKey_ClassGuid;               // {A45C254E-...}, 10
extern const DevPropertyKey kDevKey_BusReportedDeviceDesc;   // {540B947E-...}, 4
extern const DevPropertyKey kDevKey_FriendlyName;            // {A45C254E-...}, 14
extern const DevPropertyKey kDevKey_DeviceDesc;              // {A45C254E-...}, 2
extern const DevPropertyKey kDevKey_InstanceId;              // {78C34FC8-...}, 256
extern const DevPropertyKey kDevKey_ProblemCode;             // {4340A6C5-...}, 3
extern const DevPropertyKey kDevKey_DevNodeStatus;           // {4340A6C5-...}, 2

// The registry text of a GUID: {8-4-4-4-12} upper-case hexadecimal digits in braces.
u16 GuidText(const DevGuid& g);
// The GUID in the first 16 bytes of a property buffer (Windows memory layout, little-endian).
DevGuid GuidFromBytes(const uint8_t* bytes);

// A COM call failed in a way that ends the current pass (and the passes after it).
class DeviceSourceError : public std::runtime_error {
 public:
  DeviceSourceError(const char* what, uint32_t code) : std::runtime_error(what), code_(code) {}
  uint32_t Code() const { return code_; }

 private:
  uint32_t code_;
};

struct PropertyRead {
  bool ok = false;         // what the property call returned
  uint32_t lastError = 0;  // the thread's last-error value right after the call
};

// An open set of present devices; destroying it closes the set.
class PresentDeviceSet {
 public:
  virtual ~PresentDeviceSet() = default;
  // Selects member `index` (0, 1, 2, ...); false when there is no such member.
  virtual bool EnumDevice(uint32_t index) = 0;
  // Reads one property of the selected member into buffer[0..size) (the caller zeroes it first;
  // the reported property type is not returned). Throws DeviceSourceError when the property
  // reader cannot be called at all.
  virtual PropertyRead ReadProperty(const DevPropertyKey& key, uint8_t* buffer, uint32_t size) = 0;
};

class PresentDeviceSource {
 public:
  virtual ~PresentDeviceSource() = default;
  // Opens the present devices of all classes in the current hardware profile; nullptr when the
  // set cannot be opened.
  virtual std::unique_ptr<PresentDeviceSet> Open() = 0;
};

enum class CaptureCategory { VideoInput, AudioInput };

// One DirectShow capture entry: each property is absent when its read did not answer S_OK.
struct CaptureEntry {
  std::optional<u16> FriendlyName;
  std::optional<u16> DevicePath;
};

// The entries of one category in enumeration order.
class CaptureEntries {
 public:
  virtual ~CaptureEntries() = default;
  // Fills *entry with the next entry; false at the end. Throws DeviceSourceError when a COM call
  // fails.
  virtual bool Next(CaptureEntry* entry) = 0;
};

class CaptureDeviceSource {
 public:
  virtual ~CaptureDeviceSource() = default;
  // The entries of a category; nullptr when the category enumerator answers anything but S_OK
  // (an empty category answers S_FALSE). Throws DeviceSourceError when the system device
  // enumerator cannot be created.
  virtual std::unique_ptr<CaptureEntries> Open(CaptureCategory category) = 0;
};

// COM for the calling thread around the passes of a search (results are not examined).
class ComApartment {
 public:
  virtual ~ComApartment() = default;
  virtual void Initialize() = 0;
  virtual void Uninitialize() = 0;
};

// Not owned; a missing source reads as "nothing there".
struct DeviceSources {
  PresentDeviceSource* present = nullptr;
  CaptureDeviceSource* capture = nullptr;
  ComApartment* com = nullptr;
};

// The sources a TVeilcap created without arguments uses (installed at start).
void SetDeviceSources(const DeviceSources& sources);
const DeviceSources& InstalledDeviceSources();

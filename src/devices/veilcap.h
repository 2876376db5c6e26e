// The device list: every webcam and microphone of the machine, found through SetupAPI and the
// DirectShow capture categories, with the watch choice and the counters the status display reads.
#pragma once
#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "core/debug.h"
#include "core/text.h"
#include "devices/device.h"
#include "devices/device_sources.h"
#include "devices/privacy.h"
#include "devices/switching.h"
#include "devices/watch_store.h"

class TVeilcap {
 public:
  // Create: empty list, counters 0, first names empty, no debug memo; uses the installed sources.
  TVeilcap();
  explicit TVeilcap(const DeviceSources& sources);
  virtual ~TVeilcap() = default;

  DebugSink* DEBUG_MEMO = nullptr;  // optional; gets three lines per device found. Not owned.
  std::vector<TTreeData_Device> Devices;
  int32_t current_cams = 0;
  int32_t current_mics = 0;
  int32_t active_cams = 0;
  int32_t active_mics = 0;
  u16 First_Cam_Name;
  u16 First_Mic_Name;
  int32_t reboot_required_cams = 0;
  int32_t reboot_required_mics = 0;

  // Rediscovers everything: the three passes inside COM, clean-up, watch decision, count.
  // Never raises.
  void Search();
  // Recomputes the counters and first names from the watched records.
  void Count_Cams_and_Mics();

  // Switch one device node off or on through a hidden PowerShell run and keep the ledger of the
  // devices Veilcap disabled; the result shows at the next Search. Always false. Raise OsError when
  // PowerShell cannot be started.
  bool DisablePnpDevice(const u16& Instance) { return Pnp_DisableDevice(Instance); }
  bool EnablePnpDevice(const u16& Instance) { return Pnp_EnableDevice(Instance); }
  // Windows' privacy consent for all cameras / microphones: "Deny" when Block, else "Allow".
  void Win10Privacy_ChangeSettings_Cam(bool Block) { Privacy_SetCameraConsent(Block); }
  void Win10Privacy_ChangeSettings_Mic(bool Block) { Privacy_SetMicrophoneConsent(Block); }

  void Read_SetupApi_Devices();
  void Match_DirectShow_Cams();
  void Match_DirectShow_Mics();
  void Remove_Incomplete_Devices();
  // Sets Watch of every record: DirectShow presence, the camera name rules, a device Veilcap
  // disabled that is still disabled, then the store.
  void Determine_WatchDevice_or_not();

 private:
  void Match_DirectShow(CaptureCategory category, u16v kind);
  // The records' upper-case names and ids, looked up by text, so that a DirectShow entry costs
  // the same however many records there are. Shared by both categories of one search.
  struct MatchIndex {
    std::vector<u16> names, ids;
    std::unordered_map<u16v, std::vector<size_t>> byName, byId;  // views into names and ids
    std::vector<size_t> idLengths;                                // the distinct id lengths
    void Build(const std::vector<TTreeData_Device>& devices);
    // The records named text, in list order.
    const std::vector<size_t>& Named(u16v text) const;
    // The records whose id occurs in path, in list order, each once.
    std::vector<size_t> Within(u16v path) const;
  };
  std::shared_ptr<MatchIndex> match_;
  bool matchTextsReady_ = false, sharedMatchTexts_ = false;  // shared only inside Search

  DeviceSources sources_;
};

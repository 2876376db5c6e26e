#include "devices/veilcap.h"

#include <algorithm>

#include <cstring>

#include "core/plain_text.h"
#include "core/textfile.h"
#include "devices/ledger.h"
#include "platform/registry.h"

namespace {
// Every property is read into a buffer of this size, zeroed just before the call.
constexpr uint32_t kPropertyBufferSize = 1025;
constexpr uint32_t kNeedRestart = 0x100;  // DN_NEED_RESTART

// A string property: the UTF-16 text up to the first zero character, never past the buffer.
u16 BufferText(const uint8_t* buffer, uint32_t size) {
  u16 r;
  for (uint32_t i = 0; i + 1 < size; i += 2) {
    char16_t c = char16_t(buffer[i] | buffer[i + 1] << 8);
    if (c == 0) break;
    r.push_back(c);
  }
  return r;
}

uint32_t BufferDword(const uint8_t* b) {
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

bool IsKeptClass(u16v cls) { return cls == kClassImage || cls == kClassCamera || cls == kClassAudioEndpoint; }

bool IsIncomplete(const TTreeData_Device& d) {
  return Trim(d.FriendlyName()).empty() || Trim(d.InstanceID()).empty() || Trim(d.ClassGUID()).empty();
}
}  // namespace

TVeilcap::TVeilcap() : sources_(InstalledDeviceSources()) {}

TVeilcap::TVeilcap(const DeviceSources& sources) : sources_(sources) {}

void TVeilcap::Search() {
  ComApartment* com = sources_.com;
  // An error in a pass ends it and the passes after it; COM is left again either way, and the
  // search goes on with whatever the list holds.
  try {
    if (com) com->Initialize();
    try {
      Read_SetupApi_Devices();
      matchTextsReady_ = false;
      sharedMatchTexts_ = true;
      Match_DirectShow_Cams();
      Match_DirectShow_Mics();
      sharedMatchTexts_ = false;
    } catch (...) {
      sharedMatchTexts_ = false;
      if (com) com->Uninitialize();
      throw;
    }
    if (com) com->Uninitialize();
  } catch (...) {
  }
  Remove_Incomplete_Devices();
  Determine_WatchDevice_or_not();
  Count_Cams_and_Mics();
}

void TVeilcap::Read_SetupApi_Devices() {
  Devices.clear();
  current_cams = current_mics = 0;
  reboot_required_cams = reboot_required_mics = 0;
  First_Cam_Name.clear();
  First_Mic_Name.clear();

  if (!sources_.present) return;
  std::unique_ptr<PresentDeviceSet> set = sources_.present->Open();
  if (!set) return;

  uint8_t buffer[kPropertyBufferSize];
  auto read = [&](const DevPropertyKey& key) {
    std::memset(buffer, 0, sizeof buffer);
    return set->ReadProperty(key, buffer, sizeof buffer);
  };
  auto readText = [&](const DevPropertyKey& key) {
    read(key);
    return BufferText(buffer, sizeof buffer);
  };

  for (uint32_t index = 0; set->EnumDevice(index); ++index) {
    PropertyRead classRead = read(kDevKey_ClassGuid);
    if (!classRead.ok)
      DebugOut(u"*** SetupDiGetDeviceProperty failed! Error=" + SystemErrorText(classRead.lastError));
    u16 classText = GuidText(GuidFromBytes(buffer));
    if (!IsKeptClass(classText)) continue;

    u16 busDesc = readText(kDevKey_BusReportedDeviceDesc);
    u16 name = readText(kDevKey_FriendlyName);
    if (name.empty() && !busDesc.empty()) name = busDesc;
    if (name.empty()) name = readText(kDevKey_DeviceDesc);
    u16 instanceId = readText(kDevKey_InstanceId);
    // A device reports its own name: shown everywhere, so only as plain text. One made of
    // nothing else is still listed, under its instance id.
    if (!name.empty()) {
      const u16 plain = PlainText(name);
      name = plain.empty() ? PlainText(instanceId) : plain;
    }

    uint32_t problemCode = 0;
    if (read(kDevKey_ProblemCode).lastError == 0) problemCode = BufferDword(buffer);

    bool rebootRequired = false;
    if (read(kDevKey_DevNodeStatus).lastError == 0 && (BufferDword(buffer) & kNeedRestart) != 0) {
      DebugOut(u"Veilcap: \"" + name + u"\" needs a restart");
      rebootRequired = true;
    }
    // An in-process switch Windows accepted for the next start: the node may not say so itself.
    if (!rebootRequired && Switching_RestartPending(instanceId)) rebootRequired = true;

    // The lines are only put together when someone receives them.
    const bool debug = GetDebugSink() != nullptr;
    if (debug) DebugOut(u">>> FriendlyName=" + name);
    if (debug && !name.empty() && instanceId.empty()) DebugOut(u"*** Device has no InstanceID =" + name);
    if (name.empty() || instanceId.empty()) continue;

    const u16 problemText = ToDecU(problemCode);
    if (debug) {
      DebugOut(u"Device detected:");
      DebugOut(u"Device=" + name);
      DebugOut(u"BusReportedDeviceDesc=" + PlainText(busDesc));
      DebugOut(u"InstanceID=" + instanceId);
      DebugOut(u"ProblemCode=" + problemText);
      DebugOut(u16(45, u'-'));
    }
    if (DEBUG_MEMO) {
      DEBUG_MEMO->Line(u"Device=" + name);
      DEBUG_MEMO->Line(u"InstanceID=" + instanceId);
      DEBUG_MEMO->Line(u"ProblemCode=" + problemText);
    }

    TTreeData_Device& d = Devices.emplace_back();
    d.SetFriendlyName(name);
    d.SetInstanceID(instanceId);
    d.SetClassGUID(classText);
    d.ProblemCode = problemCode;
    d.RebootRequired = rebootRequired;
    d.Index_In_Array = int32_t(Devices.size() - 1);
  }
}

void TVeilcap::Match_DirectShow_Cams() { Match_DirectShow(CaptureCategory::VideoInput, u"WebCam"); }

void TVeilcap::Match_DirectShow_Mics() { Match_DirectShow(CaptureCategory::AudioInput, u"Mirophone"); }

void TVeilcap::Match_DirectShow(CaptureCategory category, u16v kind) {
  if (!sources_.capture) return;
  std::unique_ptr<CaptureEntries> entries = sources_.capture->Open(category);
  if (!entries) return;

  const u16 prefix = u"DirectShow " + u16(kind);
  // The records do not change between the two categories of a search: their upper-case texts are
  // indexed once per search.
  if (!(sharedMatchTexts_ && matchTextsReady_)) {
    if (!match_) match_ = std::make_shared<MatchIndex>();
    match_->Build(Devices);
    matchTextsReady_ = true;
  }
  const MatchIndex& index = *match_;
  auto mark = [this](size_t i) {
    Devices[i].connected = true;
    Devices[i].found_in_DirectShow = true;
  };

  for (CaptureEntry entry; entries->Next(&entry); entry = CaptureEntry{}) {
    if (entry.FriendlyName) {
      // Compared with the records' names, which are plain text.
      const u16 name = PlainText(*entry.FriendlyName);
      DebugOut(prefix + u" Name= \"" + name + u"\"");
      for (size_t i : index.Named(AsciiUpper(name))) {
        mark(i);
        DebugOut(prefix + u" FriendlyName found in DeviceList");
      }
    }
    if (entry.DevicePath) {
      DebugOut(prefix + u" Instance = \"" + *entry.DevicePath + u"\"");
      const u16 path = ReplaceAll(AsciiUpper(*entry.DevicePath), u"#", u"\\");
      if (path.empty()) continue;
      for (size_t i : index.Within(path)) {
        mark(i);
        DebugOut(prefix + u" Instance found in DeviceList");
      }
    }
  }
}

void TVeilcap::MatchIndex::Build(const std::vector<TTreeData_Device>& devices) {
  names.clear();
  ids.clear();
  byName.clear();
  byId.clear();
  idLengths.clear();
  names.reserve(devices.size());
  ids.reserve(devices.size());
  for (const auto& d : devices) {
    names.push_back(AsciiUpper(d.FriendlyName()));
    ids.push_back(AsciiUpper(d.InstanceID()));
  }
  // The maps hold views into the two lists, which no longer grow.
  for (size_t i = 0; i < devices.size(); ++i) {
    byName[names[i]].push_back(i);
    auto& same = byId[ids[i]];
    if (same.empty() && std::find(idLengths.begin(), idLengths.end(), ids[i].size()) == idLengths.end())
      idLengths.push_back(ids[i].size());
    same.push_back(i);
  }
}

const std::vector<size_t>& TVeilcap::MatchIndex::Named(u16v text) const {
  static const std::vector<size_t> none;
  auto it = byName.find(text);
  return it == byName.end() ? none : it->second;
}

std::vector<size_t> TVeilcap::MatchIndex::Within(u16v path) const {
  // Every record whose id occurs anywhere in the path: each piece of the path as long as some id
  // is looked up, so the cost follows the path's length, not the number of records.
  std::vector<size_t> found;
  for (size_t length : idLengths) {
    if (length > path.size()) continue;
    for (size_t at = 0; at + length <= path.size(); ++at) {
      auto it = byId.find(path.substr(at, length));
      if (it != byId.end()) found.insert(found.end(), it->second.begin(), it->second.end());
    }
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

void TVeilcap::Remove_Incomplete_Devices() {
  // Same result as removing the first incomplete record and scanning again until none is left:
  // the remaining records keep their order and each moved one gets its new position.
  size_t kept = 0;
  for (size_t i = 0; i < Devices.size(); ++i) {
    if (IsIncomplete(Devices[i])) continue;
    if (kept != i) {
      Devices[kept] = Devices[i];
      Devices[kept].Index_In_Array = int32_t(kept);
    }
    ++kept;
  }
  Devices.resize(kept);
}

void TVeilcap::Determine_WatchDevice_or_not() {
  for (auto& d : Devices) {
    d.Watch = d.found_in_DirectShow;
    if (IsCamera(d)) {
      const u16 name = AsciiUpper(d.FriendlyName());
      if (Contains(name, u"CAM")) d.Watch = true;
      if (Contains(name, u"USB") && Contains(name, u"VIDEO")) d.Watch = true;
    }
    const u16 id = d.InstanceID();
    // Windows stops listing a disabled audio endpoint (and some cameras) in DirectShow; a device
    // Veilcap switched off stays in view, so it can be switched on again.
    if (d.ProblemCode == 22 && Ledger_Contains(id)) d.Watch = true;
    if (const auto choice = WatchStore_Choice(id)) d.Watch = *choice;
  }
}

void TVeilcap::Count_Cams_and_Mics() {
  current_cams = current_mics = active_cams = active_mics = 0;
  reboot_required_cams = reboot_required_mics = 0;
  First_Cam_Name.clear();
  First_Mic_Name.clear();
  for (const auto& d : Devices) {
    if (!d.Watch) continue;
    const bool mic = IsMicrophone(d);
    int32_t& current = mic ? current_mics : current_cams;
    int32_t& active = mic ? active_mics : active_cams;
    int32_t& reboot = mic ? reboot_required_mics : reboot_required_cams;
    u16& first = mic ? First_Mic_Name : First_Cam_Name;
    ++current;
    if (first.empty()) first = d.FriendlyName();
    if (d.ProblemCode == 0) ++active;
    if (d.RebootRequired) ++reboot;
  }
}

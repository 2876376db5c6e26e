#include "devices/device_monitor.h"

#include <exception>
#include <utility>

#include "core/codepage.h"
#include "core/debug.h"
#include "platform/registry.h"

const DevGuid kGuidDevinterfaceUsbDevice = {0xA5DCBF10, 0x6530, 0x11D2, {0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED}};

namespace {
DeviceNotificationApi* g_api = nullptr;

constexpr size_t kMaxDescription = 1024;
const RegRoot kMachine = RegRoot::LocalMachine;

// The text after the first ";" (all of it when there is none).
u16 AfterSemicolon(const u16& s) {
  size_t p = s.find(u';');
  return p == u16::npos ? s : s.substr(p + 1);
}

u16 DescriptionText(const u16& raw) { return AfterSemicolon(Trim(raw)).substr(0, kMaxDescription); }

// The text from the first "USB" on (compared upper-case), in upper case; all of it without "USB".
u16 FromUsb(const u16& s) {
  u16 upper = AsciiUpper(s);
  size_t p = upper.find(u"USB");
  return p == u16::npos ? upper : upper.substr(p);
}

u16 ReadText(const u16& key, const char16_t* name) { return Reg_ReadString(kMachine, key, name); }
}  // namespace

void SetDeviceNotificationApi(DeviceNotificationApi* api) { g_api = api; }

u16 VendorProductText(u16v t) {
  u16 rest(t);
  size_t p = AsciiUpper(rest).find(u"&VEN_");
  if (p == u16::npos) return {};
  rest = rest.substr(p + 5);
  p = AsciiUpper(rest).find(u"&PROD_");
  if (p == u16::npos) return {};
  const u16 vendor = rest.substr(0, p);
  rest = rest.substr(p + 6);
  u16 product, revision;
  p = AsciiUpper(rest).find(u"&REV_");
  if (p != u16::npos) {
    product = rest.substr(0, p);
    rest = rest.substr(p + 5);
    revision = rest.substr(0, rest.find(u'\\'));
  }
  return Trim(ReplaceAll(vendor + u" " + product + u" " + revision, u"_", u" "));
}

void DeviceDesc_GeneralLookup(TDeviceDesc& d) {
  // \\?\USB#VID_ABCD&PID_EF01#0123456789#{...} -> USB\VID_ABCD&PID_EF01\0123456789\ .
  u16 path = ReplaceAll(d.SymbolicName.size() > 4 ? u16v(d.SymbolicName).substr(4) : u16v(), u"#", u"\\");
  size_t last = path.rfind(u'\\');
  path = last == u16::npos ? u16() : path.substr(0, last + 1);
  const u16 key = kEnumKey + path;
  if (!Reg_KeyExists(kMachine, key)) return;

  d.Location = Trim(ReadText(key, u"LocationInformation"));
  d.Description = DescriptionText(ReadText(key, u"DeviceDesc"));
  d.Driver = ReadText(key, u"Driver");
  d.ClassName = ReadText(key, u"Class");
  d.Name = AfterSemicolon(ReadText(key, u"FriendlyName"));
  u16 vendorProduct = VendorProductText(path);
  if (!vendorProduct.empty()) d.Name = vendorProduct;
  if (d.Name.empty() && !EqualsNoCase(d.ClassName, u"USB")) {
    // The component before the instance: the hardware id part (VID_ABCD&PID_EF01).
    u16 trimmed = path;
    while (!trimmed.empty() && trimmed.back() == u'\\') trimmed.pop_back();
    size_t lastSep = trimmed.rfind(u'\\');
    if (lastSep != u16::npos) {
      u16 head = trimmed.substr(0, lastSep);
      size_t prevSep = head.rfind(u'\\');
      d.Name = prevSep == u16::npos ? head : head.substr(prevSep + 1);
    }
  }
  if (d.Location.empty()) d.Location = d.Description;
}

void DeviceDesc_UsbLookup(TDeviceDesc& d) {
  const u16 wanted = FromUsb(d.SymbolicName);
  const u16 usbKey = kEnumKey + u16(u"USB");
  u16 prefix, service;
  bool found = false;
  for (const auto& device : Reg_SubKeyNames(kMachine, usbKey)) {
    for (const auto& instance : Reg_SubKeyNames(kMachine, usbKey + u"\\" + device)) {
      const u16 node = usbKey + u"\\" + device + u"\\" + instance;
      const u16 params = node + u"\\Device Parameters";
      if (!Reg_KeyExists(kMachine, params)) continue;
      if (!EqualsNoCase(FromUsb(ReadText(params, u"SymbolicName")), wanted)) continue;
      if (!Reg_KeyExists(kMachine, node)) continue;
      prefix = Reg_ValueExists(kMachine, node, u"ParentIdPrefix") ? ReadText(node, u"ParentIdPrefix") : instance;
      d.Location = Trim(ReadText(node, u"LocationInformation"));
      d.Description = DescriptionText(ReadText(node, u"DeviceDesc"));
      d.Driver = ReadText(node, u"Driver");
      service = ReadText(node, u"Service");
      found = true;
      break;
    }
    if (found) break;
  }
  if (!found) return;

  if (service.empty()) service = u"USBSTOR";
  const u16 serviceKey = kEnumKey + service;
  for (const auto& device : Reg_SubKeyNames(kMachine, serviceKey)) {
    for (const auto& instance : Reg_SubKeyNames(kMachine, serviceKey + u"\\" + device)) {
      if (!StartsWith(instance, prefix)) continue;
      const u16 node = serviceKey + u"\\" + device + u"\\" + instance;
      if (Reg_KeyExists(kMachine, node)) {
        d.Name = VendorProductText(device);
        if (d.Name.empty() && Reg_ValueExists(kMachine, node, u"FriendlyName"))
          d.Name = AfterSemicolon(Trim(ReadText(node, u"FriendlyName")));
        if (Reg_ValueExists(kMachine, node, u"Class")) d.ClassName = Trim(ReadText(node, u"Class"));
      }
      break;  // only the first instance key with the prefix counts for this device key
    }
  }
}

u16 NotificationInterfaceName(const uint8_t* bytes, size_t size) {
  if (!bytes) return {};
  size_t n = 0;
  while (n < size && bytes[n] != 0) ++n;
  u16 name = Ansi().ToUtf16(std::string_view(reinterpret_cast<const char*>(bytes), n));
  if (name.size() != 1) return name;
  // "\" followed by a zero byte: the name is UTF-16.
  u16 wide;
  for (size_t i = 0; i + 1 < size; i += 2) {
    char16_t c = char16_t(bytes[i] | (bytes[i + 1] << 8));
    if (c == 0) break;
    wide.push_back(c);
  }
  return wide;
}

TMiTeC_DeviceMonitor::TMiTeC_DeviceMonitor(void* AOwner) : owner_(AOwner) {}

TMiTeC_DeviceMonitor::~TMiTeC_DeviceMonitor() { SetActive(false); }

void TMiTeC_DeviceMonitor::SetCatchBluetooth(bool value) {
  if (!FActive) FBTH = value;
}

void TMiTeC_DeviceMonitor::SetActive(bool value) {
  if (value == FActive) return;
  if (value) {
    api_ = g_api;
    if (!api_) return;
    FWindowHandle = api_->CreateNotifyWindow(*this);
    if (FWindowHandle) FHDN_USB = api_->RegisterNotifications(FWindowHandle);
    // Bluetooth radios are never watched here, so the registration alone decides.
    FActive = FHDN_USB != 0;
    if (!FActive && FWindowHandle) {
      api_->DestroyNotifyWindow(FWindowHandle);
      FWindowHandle = 0;
    }
    return;
  }
  if (api_) {
    if (FHDN_USB && api_->CanUnregister()) api_->UnregisterNotifications(FHDN_USB);
    if (FWindowHandle) api_->DestroyNotifyWindow(FWindowHandle);
  }
  FHDN_USB = 0;
  FWindowHandle = 0;
  FActive = false;
}

intptr_t TMiTeC_DeviceMonitor::WMDeviceChange(uintptr_t event, const DeviceBroadcast* data) {
  try {
    if (OnMessage) OnMessage(event, data);
    if (event != kDbtDeviceArrival && event != kDbtDeviceRemoveComplete && event != kDbtCustomEvent) return 0;
    if (!data || data->deviceType != kDbtDevtypDeviceInterface) return 0;
    if (!OnDeviceConnect && !OnDeviceDisconect) return 0;
    TDeviceDesc desc;
    desc.SymbolicName = NotificationInterfaceName(data->name, data->nameBytes);
    desc.GUID = GuidText(data->classGuid);
    if (EqualsNoCase(desc.GUID, GuidText(kGuidDevinterfaceUsbDevice)))
      DeviceDesc_UsbLookup(desc);
    else
      DeviceDesc_GeneralLookup(desc);
    if (event == kDbtDeviceArrival && OnDeviceConnect) OnDeviceConnect(*this, desc);
    if (event == kDbtDeviceRemoveComplete && OnDeviceDisconect) OnDeviceDisconect(*this, desc);
  } catch (const std::exception& e) {
    const u16 text = FromUtf8(e.what());
    if (OnError)
      OnError(text);
    else
      DebugOut(text);
  }
  return 0;
}

RefreshCoalescer::RefreshCoalescer(std::function<void()> refresh, std::function<uint32_t()> now,
                                   std::function<void(bool)> arm)
    : refresh_(std::move(refresh)), now_(std::move(now)), arm_(std::move(arm)) {}

void RefreshCoalescer::Message() {
  const uint32_t now = now_();
  lastMessage_ = now;
  // A message while a refresh runs (the search lets messages through while it waits for COM)
  // must not start a second one inside it.
  if (running_ || waiting_ || (ran_ && now - lastEnd_ < QuietMs)) {
    if (!waiting_) {
      waiting_ = true;
      waitingSince_ = now;
      if (arm_) arm_(true);
    }
    return;
  }
  Run();
}

void RefreshCoalescer::Tick() {
  if (!waiting_ || running_) return;
  const uint32_t now = now_();
  if (now - lastMessage_ < QuietMs && now - waitingSince_ < MaxDelayMs) return;
  waiting_ = false;
  if (arm_) arm_(false);
  Run();
}

void RefreshCoalescer::Run() {
  running_ = true;
  struct EndMark {
    RefreshCoalescer& c;
    ~EndMark() {
      c.running_ = false;
      c.ran_ = true;
      c.lastEnd_ = c.now_();
    }
  } mark{*this};
  refresh_();
}

#include "ui/devices_window.h"

#include "lang/languages.h"
#include "lang/messages.h"
#include "lang/translate.h"
#include "platform/environment.h"
#include "platform/registry.h"

TForm_VCP_Devices* Form_VCP_Devices = nullptr;

namespace {
// A device record as the program lays it out: three short strings of 256 bytes, four flags, the
// problem code and the index.
constexpr int32_t kDeviceRecordSize = 3 * 256 + 4 + 4 + 4;
static_assert(kDeviceRecordSize == 780);

bool IsHighSurrogate(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
}  // namespace

u16 ShortenText(const u16& text, int width, const TextMeasure& measure) {
  if (text.empty() || width <= 0) return {};
  if (measure(text) <= width) return text;
  const u16 ellipsis = u"...";
  const int ellipsisWidth = measure(ellipsis);
  // Longest prefix whose width plus the ellipsis fits.
  size_t lo = 0, hi = text.size();
  while (lo < hi) {
    size_t mid = (lo + hi + 1) / 2;
    if (measure(u16v(text).substr(0, mid)) + ellipsisWidth <= width)
      lo = mid;
    else
      hi = mid - 1;
  }
  if (lo == text.size()) return text;
  if (ellipsisWidth >= width) return {};
  if (lo > 0 && IsHighSurrogate(text[lo - 1])) --lo;
  return text.substr(0, lo) + ellipsis;
}

u16 DeviceStatusText(const TTreeData_Device& d) {
  u16 text;
  if (d.connected) {
    text = MESSAGE_DEVICES_STATUS_ACTIVE;
    if (d.ProblemCode != 0) text = MESSAGE_DEVICES_STATUS_PROBLEM + u" " + ToDecU(d.ProblemCode);
  } else {
    text = MESSAGE_DEVICES_STATUS_NOT_CONNECTED;
  }
  if (d.ProblemCode == 22) text = MESSAGE_DEVICES_STATUS_DEACTIVED;
  return text;
}

TForm_VCP_Devices::TForm_VCP_Devices() : TComponent(u"TForm_VCP_Devices", u"Form_VCP_Devices", 1) {
  Caption = u"Entdeckte Geräte";
  VirtualDrawTree_Devices = &Add(u"TVirtualDrawTree", u"VirtualDrawTree_Devices", 1);
  VirtualDrawTree_Devices->Items = {u"Gerät", u"Status"};
  VirtualDrawTree_Devices->HeaderFontName = u"Tahoma";
}

void TForm_VCP_Devices::FormCreate() {
  NodeDataSize = kDeviceRecordSize;
  LOAD_TRANSLATION_TO_FORM(AppFolder + u"\\translation", CurrentLanguage, *this);
}

void TForm_VCP_Devices::Fill(const TVeilcap& v) {
  Nodes.clear();
  Nodes.reserve(v.Devices.size());
  for (size_t i = 0; i < v.Devices.size(); ++i) {
    const TTreeData_Device& src = v.Devices[i];
    Node n;
    n.Data.FriendlyName_ = src.FriendlyName_;
    n.Data.InstanceID_ = src.InstanceID_;
    n.Data.ClassGUID_ = src.ClassGUID_;
    n.Data.connected = src.connected;
    n.Data.found_in_DirectShow = src.found_in_DirectShow;
    n.Data.ProblemCode = src.ProblemCode;
    n.Data.Index_In_Array = int32_t(i);
    n.Checked = src.Watch;
    Nodes.push_back(n);
  }
  if (OnNodesChanged) OnNodesChanged();
}

void TForm_VCP_Devices::VirtualDrawTree_DevicesChecked(size_t index) {
  if (index >= Nodes.size()) return;
  const Node& n = Nodes[index];
  WatchStore_Set(n.Data.InstanceID(), n.Checked);
  if (!Veilcap) return;
  // The row belongs to the list of the last fill; a record that is no longer there is left alone.
  const int32_t at = n.Data.Index_In_Array;
  if (at >= 0 && size_t(at) < Veilcap->Devices.size()) Veilcap->Devices[size_t(at)].Watch = n.Checked;
  Veilcap->Count_Cams_and_Mics();
  if (RepaintStatus) RepaintStatus();
}

bool TForm_VCP_Devices::CheckFixed(size_t index) const {
  return index < Nodes.size() && KindFixed && KindFixed(IsMicrophone(Nodes[index].Data));
}

bool TForm_VCP_Devices::SetChecked(size_t index, bool checked) {
  if (index >= Nodes.size() || CheckFixed(index)) return false;
  Nodes[index].Checked = checked;
  VirtualDrawTree_DevicesChecked(index);
  return true;
}

u16 TForm_VCP_Devices::CellText(size_t index, int column, int cellWidth, const TextMeasure& measure) const {
  if (index >= Nodes.size()) return {};
  const TTreeData_Device& d = Nodes[index].Data;
  const u16 text = column == 0 ? d.FriendlyName() : DeviceStatusText(d);
  return ShortenText(text, column == 0 ? cellWidth - kDevicesIconSpace : cellWidth, measure);
}

// The detected-devices window: every device the last search found, with its class icon, its name,
// a status text and a check box that decides whether the device is watched. This is the model
// (components for the translator, the rows, the texts each cell shows, the check handler); the
// Windows view in ui/win32 shows it as a list view.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "devices/veilcap.h"
#include "lang/component.h"

inline constexpr int kDevicesClientWidth = 610;
inline constexpr int kDevicesClientHeight = 410;
inline constexpr int kDevicesListMargin = 8;
inline constexpr int kDevicesNodeHeight = 22;
inline constexpr int kDevicesHeaderHeight = 20;
inline constexpr int kDevicesColumnWidths[2] = {400, 160};
// Left of a name in the first column: the class icon sits in the 20 pixels before it.
inline constexpr int kDevicesIconSpace = 20;

// Width of a text in pixels in the font it is drawn with.
using TextMeasure = std::function<int(u16v text)>;

// The text cut to fit a width: the longest prefix that leaves room for "..." followed by "...";
// the whole text when it fits; empty when not even "..." fits (or the width is 0 or less). A
// surrogate pair is never split.
u16 ShortenText(const u16& text, int width, const TextMeasure& measure);

// Status column: "angeschlossen" for a device DirectShow offers now, or the problem text with its
// code when it reports one; "nicht angeschlossen" otherwise; "deaktiviert" for a disabled device
// (problem code 22) whatever else holds.
u16 DeviceStatusText(const TTreeData_Device& d);

class TForm_VCP_Devices : public TComponent {
 public:
  struct Node {
    TTreeData_Device Data;  // copy of the device record; RebootRequired and Watch stay 0
    bool Checked = false;   // the watch choice
  };

  TForm_VCP_Devices();

  // Node data size, then the window's translation.
  void FormCreate();
  // Closing only hides the window.
  void FormClose() {}

  // Replaces every row by the device list, in list order, each check box from the device's
  // Watch flag. Writes nothing to the device store.
  void Fill(const TVeilcap& v);

  // The user changed the check box of row index (Nodes[index].Checked already holds the new
  // state): the choice goes to the device store under the device's instance id, the record's
  // Watch follows, the device list recounts and the main window repaints. An index without a row
  // does nothing.
  void VirtualDrawTree_DevicesChecked(size_t index);
  // Sets the check box of a row and raises the check handler (what a click on the box does).
  // False, with nothing changed, while a policy of the organisation covers the row's kind.
  bool SetChecked(size_t index, bool checked);
  // Whether the check box of a row is fixed by a policy.
  bool CheckFixed(size_t index) const;

  // What a cell shows: the name (column 0, cut to the cell width less the icon space) or the
  // status text (column 1, cut to the cell width).
  u16 CellText(size_t index, int column, int cellWidth, const TextMeasure& measure) const;

  // Size of a node's data in bytes (one TTreeData_Device record as the program stores it).
  int32_t NodeDataSize = 0;
  std::vector<Node> Nodes;
  TComponent* VirtualDrawTree_Devices;

  // The device list the check handler writes into; set by the main window.
  TVeilcap* Veilcap = nullptr;
  // The main window's Repaint_Status.
  std::function<void()> RepaintStatus;
  // Whether a policy of the organisation blocks the kind (microphones when true); empty: none.
  std::function<bool(bool mic)> KindFixed;
  // The view rebuilds its rows.
  std::function<void()> OnNodesChanged;
  // The view shows the window's title and column headers again (after a language change).
  std::function<void()> OnTextsChanged;
};

// The one detected-devices window of the program, created at start after the main window.
extern TForm_VCP_Devices* Form_VCP_Devices;

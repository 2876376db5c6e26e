// The detected-devices window on screen: a fixed dialog frame of 610 x 410 client pixels (at 100 %)
// in Tahoma, a list view with check boxes, two resizable and reorderable columns and one icon per
// device class. Windows' class image list is used where SetupAPI answers; otherwise (as under
// Wine) our own camera, imaging and audio icons are drawn.
#pragma once
#include <windows.h>

#include <commctrl.h>

#include "ui/devices_window.h"
#include "ui/scale.h"

inline constexpr wchar_t kDevicesWindowClass[] = L"TForm_VCP_Devices";

class DevicesWindowView {
 public:
  // Creates the (hidden) window for the model and hooks the model's list changes.
  explicit DevicesWindowView(TForm_VCP_Devices& model);
  ~DevicesWindowView();
  DevicesWindowView(const DevicesWindowView&) = delete;
  DevicesWindowView& operator=(const DevicesWindowView&) = delete;

  // Shows the window centred on the desktop, modal over owner (disabled meanwhile), and returns
  // when the user has closed it; closing only hides it.
  void ShowModal(HWND owner);
  bool Showing() const { return modal_; }
  HWND Handle() const { return window_; }
  HWND List() const { return list_; }

 private:
  static LRESULT CALLBACK WndProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  LRESULT OnNotify(const NMHDR& n, LPARAM lp);
  void Create();
  // Fonts, list place, column widths and icons for the scale.
  void ApplyScale(int dpi);
  void CreateIcons();
  void ApplyTexts();
  void RebuildRows();
  int IconFor(const TTreeData_Device& d);
  int TextWidth(u16v text);

  TForm_VCP_Devices& model_;
  HWND window_ = nullptr;
  HWND list_ = nullptr;
  DisplayScale scale_;
  HFONT font_ = nullptr;
  HFONT headerFont_ = nullptr;
  HIMAGELIST icons_ = nullptr;
  // Windows' class image list, when SetupAPI provides one.
  bool classImages_ = false;
  alignas(8) unsigned char classImageData_[64] = {};
  int ownIcons_[3] = {-1, -1, -1};  // camera, imaging, audio
  bool filling_ = false;
  bool modal_ = false;
  u16 cellText_;  // keeps the text handed to the list view until its next request
};

// The about dialog on the screen: a fixed dialog frame with only the close box, always on top and
// centred on the screen, the background picture from the program's resources, the version as a
// static text, the credits, two link buttons and the OK button.
#pragma once
#include <windows.h>

#include "ui/about.h"

inline constexpr wchar_t kAboutWindowClass[] = L"TForm_About";
// Child window ids.
inline constexpr int kIdAboutVersion = 201;
inline constexpr wchar_t kAboutVersionClass[] = L"TAboutVersionLabel";

// Creates the dialog for a new model, shows it modally over owner (disabled meanwhile) and frees
// both when it closes. background is the id of a bitmap resource of the program (0 or a missing
// resource: white).
void ShowAboutDialog(HINSTANCE instance, HWND owner, int background);

class AboutDialogView {
 public:
  AboutDialogView(HINSTANCE instance, TForm_About& model, int background);
  ~AboutDialogView();
  AboutDialogView(const AboutDialogView&) = delete;
  AboutDialogView& operator=(const AboutDialogView&) = delete;

  // Returns when the dialog has been closed (OK, the close box, Enter or Escape).
  void ShowModal(HWND owner);
  HWND Handle() const { return hwnd_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  static LRESULT CALLBACK VersionProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp);
  void Create(HWND owner);
  void Paint();
  // The background picture (white where it has none) with the client point (left, top) at 0, 0.
  void PaintBackground(HDC dc, int left, int top);
  void PaintVersion(HWND w);
  void PaintCredits(HDC dc);
  TTarvoUnicodeSTButton* LinkAt(int x, int y);
  void MouseMove(int x, int y);
  void MouseLeft();

  HINSTANCE instance_;
  TForm_About& model_;
  int backgroundId_;
  HWND hwnd_ = nullptr;
  HBITMAP background_ = nullptr;
  HFONT font_ = nullptr;       // Tahoma -11
  HFONT boldFont_ = nullptr;
  HFONT versionFont_ = nullptr;  // Tahoma -12
  TTarvoUnicodeSTButton* hover_ = nullptr;
  TTarvoUnicodeSTButton* pressed_ = nullptr;
  bool tracking_ = false;
  bool closed_ = false;
};

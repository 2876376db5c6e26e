// The about dialog on the screen: a fixed dialog frame with only the close box, always on top and
// centred on the screen, the background picture from the program's resources, the version as a
// static text, the credits, two link buttons and the OK button.
#pragma once
#include <windows.h>

#include "ui/about.h"
#include "ui/scale.h"

inline constexpr wchar_t kAboutWindowClass[] = L"TForm_About";
// Child window ids.
inline constexpr int kIdAboutVersion = 201;
inline constexpr wchar_t kAboutVersionClass[] = L"TAboutVersionLabel";

// The background picture: a bitmap resource at 100 % and PNG resources (RCDATA) of the same
// picture at 150 % and 200 %. 0 or a missing resource: none (the smaller one is scaled up; none at
// all: white).
struct AboutBackground {
  int bitmap = 0;
  int png150 = 0;
  int png200 = 0;
};

// Creates the dialog for a new model, shows it modally over owner (disabled meanwhile) and frees
// both when it closes.
void ShowAboutDialog(HINSTANCE instance, HWND owner, const AboutBackground& background);

class AboutDialogView {
 public:
  AboutDialogView(HINSTANCE instance, TForm_About& model, const AboutBackground& background);
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
  // Fonts, background picture and child windows for the scale.
  void ApplyScale(int dpi);
  void LoadBackground();
  RECT PixelRect(const TControl& c) const;
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
  AboutBackground backgroundIds_;
  HWND hwnd_ = nullptr;
  DisplayScale scale_;
  HBITMAP background_ = nullptr;
  HFONT font_ = nullptr;       // Tahoma -11 at 100 %
  HFONT boldFont_ = nullptr;
  HFONT versionFont_ = nullptr;  // Tahoma -12 at 100 %
  TTarvoUnicodeSTButton* hover_ = nullptr;
  TTarvoUnicodeSTButton* pressed_ = nullptr;
  bool tracking_ = false;
  bool closed_ = false;
};

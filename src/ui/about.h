// The about dialog: banner, version, a short credits block, links to the licence agreement and the
// privacy policy, and an OK button. Its texts are English and are not translated. This is the
// model; the Windows view in ui/win32 shows it modally.
#pragma once
#include <functional>
#include <vector>

#include "ui/controls.h"
#include "ui/link_button.h"

inline constexpr int kAboutClientWidth = 417;
inline constexpr int kAboutClientHeight = 372;
inline constexpr uint32_t kNavy = 0x000080;   // 0x00RRGGBB
inline constexpr uint32_t kWhite = 0xFFFFFF;

class TForm_About : public TComponent {
 public:
  TForm_About();

  // Completes the version label: its design text, a blank and the program version.
  void FormCreate();
  void TarvoUnicodeSTButton_EULAClick();
  void TarvoUnicodeSTButton_PrivacyClick();
  void Button_OkClick();

  // Controls in paint order (bottom first), for the view.
  const std::vector<TControl*>& Controls() const { return controls_; }

  TImage* Image2;
  TLabel* Label_Version;
  TControl* HTMLabel1;  // class "THTMLabel": its HTMLLines hold the credits, with <b>, </b> and <br>
  TTarvoUnicodeSTButton* TarvoUnicodeSTButton_EULA;
  TTarvoUnicodeSTButton* TarvoUnicodeSTButton_Privacy;
  TButton* Button_Ok;

  // Set by the view: closes the dialog.
  std::function<void()> Close;

 private:
  template <class T>
  T* AddControl(std::unique_ptr<T> c);
  std::vector<TControl*> controls_;
};

// Opens one of the online-services pages with the tag of the current language.
void Open_OnlineLink(const u16& target);

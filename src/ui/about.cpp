#include "ui/about.h"

#include <tuple>

#include "lang/languages.h"
#include "online/online.h"
#include "platform/environment.h"

namespace {
TFontSpec LinkFont(bool underline) {
  TFontSpec f;
  f.Name = u"Tahoma";
  f.Height = -12;
  f.Color = kNavy;
  f.Underline = underline;
  return f;
}
}  // namespace

void Open_OnlineLink(const u16& target) {
  Online_OpenLinkTarget(target, LCID_To_LanguageTag(uint32_t(CurrentLanguage_LCID)));
}

template <class T>
T* TForm_About::AddControl(std::unique_ptr<T> c) {
  T* p = &Own(std::move(c));
  controls_.push_back(p);
  return p;
}

TForm_About::TForm_About() : TComponent(u"TForm_About", u"Form_About", 0) {
  Caption = u"About this Software";
  Width = kAboutClientWidth;

  Image2 = AddControl(std::make_unique<TImage>(u"Image2", 0, 0, 0, kAboutClientWidth, kAboutClientHeight));
  Image2->Stretch = true;
  Label_Version = AddControl(std::make_unique<TLabel>(u"Label_Version", 0, 301, 60, 108, 16, u"Version:"));
  Label_Version->Alignment = TAlignment::Right;
  Label_Version->AutoSize = false;
  HTMLabel1 = AddControl(std::make_unique<TControl>(u"THTMLabel", u"HTMLabel1", 0, 20, 100, 373, 157));
  HTMLabel1->HTMLLines = {
      u"<b>Vostrel Veilcap</b><br>",
      u"One click switches every webcam and microphone off, and on again.<br>",
      u"<br>",
      u"<b>Made by</b><br>",
      u"Vostrel Software<br>",
      u"<br>",
      u"<b>Thanks</b><br>",
      u"To the translators who bring Veilcap into their language,<br>",
      u"and to everyone who told us about a problem or an idea.",
  };

  TarvoUnicodeSTButton_EULA = AddControl(std::make_unique<TTarvoUnicodeSTButton>(u"TarvoUnicodeSTButton_EULA", 0, 20, 312));
  TarvoUnicodeSTButton_Privacy = AddControl(std::make_unique<TTarvoUnicodeSTButton>(u"TarvoUnicodeSTButton_Privacy", 0, 20, 334));
  // Widths as designed; the first paint measures the captions again (automatic width).
  const std::tuple<TTarvoUnicodeSTButton*, const char16_t*, int> links[] = {
      {TarvoUnicodeSTButton_EULA, u"EULA", 33}, {TarvoUnicodeSTButton_Privacy, u"Privacy Policy", 75}};
  for (const auto& [link, caption, width] : links) {
    link->Caption = caption;
    link->Height = 20;
    link->Width = width;
    link->AutoWidth = true;
    link->Alignment = TAlignment::Left;
    link->Font = LinkFont(false);
    link->FontHOT = LinkFont(true);
    link->Shadow = false;
    link->ShadowColor = 0;
    link->ImageIndex = -1;
  }
  Button_Ok = AddControl(std::make_unique<TButton>(u"Button_Ok", 0, 309, 324, 88, 28, u"Ok"));

  TarvoUnicodeSTButton_EULA->OnClick = [this] { TarvoUnicodeSTButton_EULAClick(); };
  TarvoUnicodeSTButton_Privacy->OnClick = [this] { TarvoUnicodeSTButton_PrivacyClick(); };
  Button_Ok->OnClick = [this] { Button_OkClick(); };
}

void TForm_About::FormCreate() { Label_Version->SetCaption(Label_Version->Text() + u" " + ProgramVersion); }

void TForm_About::TarvoUnicodeSTButton_EULAClick() { Open_OnlineLink(u"eula"); }
void TForm_About::TarvoUnicodeSTButton_PrivacyClick() { Open_OnlineLink(u"privacypolicy"); }

void TForm_About::Button_OkClick() {
  if (Close) Close();
}

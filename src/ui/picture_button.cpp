#include "ui/picture_button.h"

void TPellamMouseImage3State::Display(const TPicture& p) {
  Picture.Assign(p);
  Refresh();
}

void TPellamMouseImage3State::Set_Picture_Normal(const TPicture* p) {
  if (!p) return;
  Picture_Normal.Assign(*p);
  Display(Picture_Normal);
}

void TPellamMouseImage3State::Set_Picture_Highlight(const TPicture* p) {
  if (p) Picture_Highlight.Assign(*p);
}

void TPellamMouseImage3State::Set_Picture_Pressed(const TPicture* p) {
  if (p) Picture_Pressed.Assign(*p);
}

void TPellamMouseImage3State::Show_Normal() { Display(Picture_Normal); }

void TPellamMouseImage3State::MouseEnter() {
  FMouseIsInside = true;
  if (!Enabled) return;
  if (OnMouseEnter) OnMouseEnter();
  Display(Picture_Highlight);
}

void TPellamMouseImage3State::MouseLeave() {
  FMouseIsInside = false;
  if (!Enabled) return;
  if (OnMouseLeave) OnMouseLeave();
  Display(Picture_Normal);
}

void TPellamMouseImage3State::MouseDown() {
  if (!Enabled) return;
  if (Move_If_MousePressed) {
    Left += 1;
    Top += 1;
  }
  Display(Picture_Pressed);
}

void TPellamMouseImage3State::MouseUp() {
  if (!Enabled) return;
  if (Move_If_MousePressed) {
    Left -= 1;
    Top -= 1;
    Refresh();
  }
  if (FMouseIsInside) Display(Picture_Highlight);
}

// TPellamMouseImage3State: a picture control with three pictures (normal, highlight, pressed)
// that it swaps as the pointer enters, leaves, presses and releases. A disabled control keeps its
// picture and its position and only tracks whether the pointer is inside.
#pragma once
#include "ui/controls.h"

class TPellamMouseImage3State : public TImage {
 public:
  TPellamMouseImage3State(u16 name, int32_t tag, int left, int top, int width, int height)
      : TImage(u"TPellamMouseImage3State", std::move(name), tag, left, top, width, height) {
    Stretch = true;
  }

  TPicture Picture_Normal;
  TPicture Picture_Highlight;
  TPicture Picture_Pressed;
  bool Move_If_MousePressed = true;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  bool MouseIsInside() const { return FMouseIsInside; }

  // A null picture is ignored; otherwise it becomes the normal picture and is displayed.
  void Set_Picture_Normal(const TPicture* p);
  // Stored only; what is displayed does not change.
  void Set_Picture_Highlight(const TPicture* p);
  void Set_Picture_Pressed(const TPicture* p);
  // Shows the normal picture (after the pictures were loaded directly).
  void Show_Normal();

  // Pointer notifications from the view.
  void MouseEnter();
  void MouseLeave();
  void MouseDown();
  void MouseUp();

 private:
  void Display(const TPicture& p);
  bool FMouseIsInside = false;
};

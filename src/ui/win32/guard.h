// The boundary of every window procedure, timer tick and callback: no exception leaves it. One
// that arrives here is shown in a message box with its text, and the program goes on.
#pragma once
#include <windows.h>

#include <exception>
#include <utility>

#include "core/text.h"

// The text of the exception that is being handled (call only inside a catch block).
u16 UnhandledExceptionText();
// Shows the text of the exception that is being handled.
void ShowUnhandledException(HWND owner);

template <class F>
void GuardedCall(HWND owner, F&& f) noexcept {
  try {
    std::forward<F>(f)();
  } catch (...) {
    ShowUnhandledException(owner);
  }
}

// The window procedure of a view class: binds the view passed as the creation parameter to the
// window at WM_NCCREATE (into its HWND member) and routes every later message to Method through
// GuardedCall. Messages before the binding, or after the view let go of the window, go to
// DefWindowProcW.
template <class View, HWND View::*Window, LRESULT (View::*Method)(UINT, WPARAM, LPARAM)>
LRESULT CALLBACK RoutedWindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCCREATE) {
    auto* view = static_cast<View*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
    view->*Window = w;
    SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
  }
  auto* view = reinterpret_cast<View*>(GetWindowLongPtrW(w, GWLP_USERDATA));
  if (!view || !(view->*Window)) return DefWindowProcW(w, msg, wp, lp);
  LRESULT result = 0;
  GuardedCall(w, [&] { result = (view->*Method)(msg, wp, lp); });
  return result;
}

// The boundary of every window procedure, timer tick and callback: no exception leaves it. One
// that arrives here is shown in a message box with its text, and the program goes on.
#pragma once
#include <windows.h>

#include <exception>
#include <utility>

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

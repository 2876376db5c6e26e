#include "ui/win32/message_filter.h"

namespace {
constexpr DWORD kMsgFltAllow = 1;  // MSGFLT_ALLOW, for ChangeWindowMessageFilterEx
constexpr DWORD kMsgFltAdd = 1;    // MSGFLT_ADD, for ChangeWindowMessageFilter

template <class F>
F User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}
}  // namespace

MessageFilterCalls SystemMessageFilterCalls() {
  MessageFilterCalls calls;
  calls.changeForWindow = User32Function<decltype(calls.changeForWindow)>("ChangeWindowMessageFilterEx");
  calls.changeForProcess = User32Function<decltype(calls.changeForProcess)>("ChangeWindowMessageFilter");
  return calls;
}

bool AllowMessageFromLowerIntegrity(HWND window, UINT message, const MessageFilterCalls& calls) {
  if (calls.changeForWindow && calls.changeForWindow(window, message, kMsgFltAllow, nullptr)) return true;
  return calls.changeForProcess && calls.changeForProcess(message, kMsgFltAdd);
}

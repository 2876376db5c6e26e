// Watches registry keys (the consent stores of the camera and microphone, the policy key of the
// organisation) and calls back on the thread that created the watch whenever a value or subkey
// below them changes. One worker thread sleeps in WaitForMultipleObjects on RegNotifyChangeKeyValue
// events, so an idle watch never wakes up; a burst of changes leads to one call while the last
// one has not run yet. The creating thread must pump window messages.
#pragma once
#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class RegistryWatch {
 public:
  using Keys = std::vector<std::pair<HKEY, std::wstring>>;
  // The webcam and microphone stores under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
  static Keys DefaultKeys();
  // The policy key and its parent under HKEY_LOCAL_MACHINE.
  static Keys PolicyKeys();

  // A key that does not exist yet is watched through its nearest existing parent until it appears.
  RegistryWatch(Keys keys, std::function<void()> onChange);
  ~RegistryWatch();
  RegistryWatch(const RegistryWatch&) = delete;
  RegistryWatch& operator=(const RegistryWatch&) = delete;

  // False when the message window or the events could not be made; then nothing is watched.
  bool Active() const { return worker_.joinable(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
  void Run();

  Keys keys_;
  std::function<void()> onChange_;
  HWND window_ = nullptr;
  HANDLE stop_ = nullptr;
  std::atomic<bool> pending_{false};
  std::thread worker_;
};

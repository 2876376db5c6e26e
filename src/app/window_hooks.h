// What other windows and services add to the main window: the language menu, the message menu,
// the about dialog, the online services, with their pictures, the watch of who uses a camera or
// microphone and the watch of the organisation's policies, wired into the main window's hooks.
#pragma once
#include <windows.h>

#include <memory>
#include <vector>

#include "core/text.h"
#include "ui/image_list.h"

class MainWindowView;
class RegistryWatch;

class WindowHooks {
 public:
  WindowHooks(HINSTANCE instance, std::vector<u16> args);
  ~WindowHooks();
  WindowHooks(const WindowHooks&) = delete;
  WindowHooks& operator=(const WindowHooks&) = delete;

  // Plugs the language menu, the online start, the message menu, the feedback page and the about
  // dialog into the main window's hooks. Call before the window's creation sequence runs; this
  // object must outlive the view.
  void Attach(MainWindowView& view);

  TImageList ImageList_Flags{16, 16};
  TImageList ImageList_IM{16, 16};

 private:
  HINSTANCE instance_;
  std::vector<u16> args_;
  MainWindowView* view_ = nullptr;
  std::unique_ptr<RegistryWatch> watch_;
  std::unique_ptr<RegistryWatch> policyWatch_;
};

// Shuts the online services down when it goes out of scope: once per process, in every run mode.
class OnlineShutdownAtExit {
 public:
  OnlineShutdownAtExit() = default;
  ~OnlineShutdownAtExit();
  OnlineShutdownAtExit(const OnlineShutdownAtExit&) = delete;
  OnlineShutdownAtExit& operator=(const OnlineShutdownAtExit&) = delete;
};

// DirectShow implementation of the capture categories, and COM around the passes of a search.
#pragma once
#include "devices/device_sources.h"

class DirectShowCaptureSource final : public CaptureDeviceSource {
 public:
  std::unique_ptr<CaptureEntries> Open(CaptureCategory category) override;
};

// CoInitialize for the calling thread; CoUninitialize balances only a call that succeeded, so a
// thread already in another apartment keeps it.
class Win32ComApartment final : public ComApartment {
 public:
  void Initialize() override;
  void Uninitialize() override;

 private:
  int balanced_ = 0;
};

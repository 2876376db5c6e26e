// SetupAPI implementation of the present devices (all classes, present, current profile).
#pragma once
#include "devices/device_sources.h"

class SetupApiDeviceSource final : public PresentDeviceSource {
 public:
  std::unique_ptr<PresentDeviceSet> Open() override;
};

// Whether SetupDiGetDevicePropertyW was found when the program started.
bool SetupApiPropertyReaderFound();

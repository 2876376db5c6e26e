// The in-process device switch through SetupAPI and the configuration manager.
#pragma once
#include "devices/switching.h"

DeviceNodeSwitch& WindowsDeviceNodeSwitch();

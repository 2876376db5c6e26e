// The Windows device sources: SetupAPI for the present devices, the DirectShow system device
// enumerator for the capture categories, CoInitialize/CoUninitialize around the passes.
#pragma once
#include "devices/device_sources.h"

// Installs the Windows sources for every TVeilcap created afterwards without arguments, and the
// device notifications of the arrival and removal monitor, and the in-process device switch.
void InstallDeviceProviders();
// The same sources, for callers that inject them (Windows-side tests).
DeviceSources WindowsDeviceSources();

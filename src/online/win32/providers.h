// Windows implementation of the online layer's seam, installed by the program entry.
#pragma once

// Installs vos_inet2.dll beside the executable as the online-services library (loaded on first use).
void InstallOnlineProviders();

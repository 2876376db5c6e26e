// Installs the Windows implementations of the platform seams: the file system, system error texts,
// processes and shell, and the clock of the autostart task.
#pragma once

void InstallPlatformProviders();

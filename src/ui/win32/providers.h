// Windows implementations of the user-interface seams, installed by the program entry on the main
// thread: the main-thread dispatcher of the thread timers (a hidden message window) and the GDI+
// picture loader. Needs GdiplusStartup to have run.
#pragma once

void InstallUiProviders();
// Destroys the dispatcher window; ticks that arrive afterwards are dropped.
void UninstallUiProviders();

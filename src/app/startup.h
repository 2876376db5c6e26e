#pragma once
#include <vector>

#include "core/text.h"

// Installs the Windows implementations of every seam and computes the program-wide values.
// Runs first, before the single-instance guard; shows nothing and cannot stop the start.
void InstallProgramServices();

// The command-line arguments after the program name.
std::vector<u16> CommandLineArguments();

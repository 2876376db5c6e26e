// Windows implementations of the language layer's seams, installed by the program entry.
#pragma once

// Installs the locale provider built on the Windows locale functions.
void InstallLangProviders();

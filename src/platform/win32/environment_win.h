#pragma once
#include "platform/environment.h"

// Asks Windows for everything the program-wide values are computed from.
EnvironmentFacts GatherEnvironmentFacts();

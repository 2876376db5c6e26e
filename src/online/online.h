// State of the maker's online-services library as the windows see it.
#pragma once

extern bool Online_Started;   // the start has been run
extern bool Online_Starting;  // the start is still under way
extern bool Online_Stopped;   // the library has been shut down

#include "online/online.h"

bool Online_Started = false;
bool Online_Starting = false;
bool Online_Stopped = false;

// Owner and DACL of files and folders through GetNamedSecurityInfoW.
#pragma once
#include "platform/file_safety.h"

FileSecuritySource& WindowsFileSecurity();

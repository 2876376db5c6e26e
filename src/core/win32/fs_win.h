// The file system through the Win32 file API (CreateFileW, ReadFile, WriteFile, DeleteFileW, ...).
#pragma once
#include "core/fs.h"

FileSystem& WindowsFileSystem();

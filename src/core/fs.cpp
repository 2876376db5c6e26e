#include "core/fs.h"

namespace {
FileSystem* g_fs = nullptr;
}

void SetFileSystem(FileSystem* fs) { g_fs = fs; }
FileSystem& Fs() { return *g_fs; }

#include "core/debug.h"

namespace {
DebugSink* g_sink = nullptr;
}

void SetDebugSink(DebugSink* sink) { g_sink = sink; }
DebugSink* GetDebugSink() { return g_sink; }
void DebugOut(u16v line) {
  if (g_sink) g_sink->Line(line);
}

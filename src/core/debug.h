// Diagnostics: single lines for the debugger output (OutputDebugStringW on Windows).
// The program wires one sink at start; tests wire a recording sink to check exact lines.
#pragma once
#include "core/text.h"

class DebugSink {
 public:
  virtual ~DebugSink() = default;
  // One line, without a line terminator.
  virtual void Line(u16v line) = 0;
};

// Installs the sink that receives every debug line (nullptr: lines go nowhere). Not owned.
void SetDebugSink(DebugSink* sink);
DebugSink* GetDebugSink();
void DebugOut(u16v line);

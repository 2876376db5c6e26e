// Debug sink that keeps every line, installed for the lifetime of the object.
#pragma once
#include <vector>

#include "core/debug.h"

class RecordingSink final : public DebugSink {
 public:
  RecordingSink() : previous_(GetDebugSink()) { SetDebugSink(this); }
  ~RecordingSink() override { SetDebugSink(previous_); }
  void Line(u16v line) override { lines.emplace_back(line); }
  // Lines as UTF-8, for readable test failures.
  std::vector<std::string> Utf8() const {
    std::vector<std::string> r;
    for (const auto& l : lines) r.push_back(ToUtf8(l));
    return r;
  }
  std::vector<u16> lines;

 private:
  DebugSink* previous_;
};

// Where the command line's text goes, in both programs: a console gets it through WriteConsoleW, so
// every name shows as it is; a file, a pipe or NUL gets UTF-8 without a byte-order mark.
#pragma once
#include <windows.h>

#include <string>

#include "core/text.h"

// Writes the text to the handle as described above; false when it could not all be written.
bool WriteText(HANDLE out, const u16& text);

// Veilcap.exe's output: the companion's relay pipe when one is named (and it opens); else a
// standard output it was given; else the console of the parent process, if it has one.
void WriteProgramOutput(const u16& text, const u16& relayPipe);

// The companion's side of the relay: a named pipe that only the current user and the
// administrators may open, made under a fresh name before the elevated program starts.
class RelayPipe {
 public:
  RelayPipe();
  ~RelayPipe();
  RelayPipe(const RelayPipe&) = delete;
  RelayPipe& operator=(const RelayPipe&) = delete;
  bool Ready() const { return pipe_ != INVALID_HANDLE_VALUE; }
  const u16& Name() const { return name_; }
  // Collects what the program writes until it closes its end or the process ends without ever
  // connecting; the bytes as written.
  std::string Collect(HANDLE process);

 private:
  u16 name_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  HANDLE event_ = nullptr;
};

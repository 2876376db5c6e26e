// Text files as the program reads and writes them: encoding by byte-order mark, lines ending at
// CR LF, lone CR or lone LF; written with CR LF after every line.
#pragma once
#include <cstdint>
#include <vector>

#include "core/text.h"

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct DecodedText {
  TextEncoding encoding = TextEncoding::Ansi;
  u16 text;  // whole content without the mark
};

// Mark FF FE: UTF-16 LE; FE FF: UTF-16 BE; EF BB BF: UTF-8; no mark: the ANSI code page.
// An odd trailing byte of UTF-16 data is dropped.
DecodedText DecodeText(const std::vector<uint8_t>& bytes);
// Encodes with the encoding's mark (none for ANSI).
std::vector<uint8_t> EncodeText(u16v text, TextEncoding encoding);
// Lines joined, each followed by CR LF, encoded with its mark.
std::vector<uint8_t> EncodeLines(const std::vector<u16>& lines, TextEncoding encoding);

struct TextLines {
  TextEncoding encoding = TextEncoding::Ansi;
  std::vector<u16> lines;
};
// Reads through the installed file system; raises OsError when the file cannot be read.
TextLines ReadTextLines(const u16& path);
// Writes through the installed file system; raises OsError when the file cannot be written.
void WriteTextLines(const u16& path, const std::vector<u16>& lines, TextEncoding encoding);
// A Windows error code as a debug line names it: decimal, or hexadecimal ("0xE000020E") for the
// large codes of HRESULTs and SetupAPI, as their headers write them.
u16 ErrorCodeText(uint32_t code);
// The system's text for an error code (through the installed error-text provider).
u16 SystemErrorText(uint32_t code);
void SetSystemErrorTextProvider(u16 (*provider)(uint32_t code));

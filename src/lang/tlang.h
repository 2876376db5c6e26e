// The translation store: the lines of one translation file and of the shared index file, looked up
// by "section.component" keys. Translation files are read by byte-order mark and written as
// UTF-16 LE with FF FE; the index file is written back in the encoding it was read in.
#pragma once
#include <cstdint>
#include <stdexcept>

#include "core/textfile.h"
#include "lang/component.h"
#include "lang/keyed_lines.h"

// An index line whose width is not an integer. Raised by Read_FromIndex and not caught by the
// store: it ends the export that asked for the width.
class IndexConversionError : public std::runtime_error {
 public:
  explicit IndexConversionError(u16 text)
      : std::runtime_error("'" + ToUtf8(text) + "' is not a valid integer value"), text_(std::move(text)) {}
  const u16& Text() const { return text_; }

 private:
  u16 text_;
};

class TLang {
 public:
  uint32_t MissingItemsInTranslation = 0;  // look-ups that found no text or an empty one
  uint32_t MissingObjects = 0;             // tagged components with a text but nowhere to show it
  THashedStringList Translation;
  THashedStringList Index;

  // Replaces each list by its file's lines when the file exists; a missing file keeps the list.
  // Raises OsError when an existing file cannot be read.
  void Load_Translation(const u16& TranslationFile, const u16& IndexFile);
  // Writes the index file, then the translation file. Raises OsError when a file cannot be written.
  void Save_Translation(const u16& TranslationFile, const u16& IndexFile);

  // The stored text with line breaks restored, or empty (then counted as missing).
  u16 Get_StringW(u16v SectionID, u16v component);
  int GetStringWIndex(u16v SectionID, u16v component) const;
  // Stores StringW under the key, replacing the first line with that key or appending.
  void Add_StringW(u16v SectionID, u16v componentName, u16v StringW);

  // Outputs stay as they were when the index has no line for the key.
  // Raises IndexConversionError when the recorded width is not an integer.
  void Read_FromIndex(u16v SectionID, u16v componentName, bool& HTML, int32_t& MaxWidth, u16& Version) const;
  void Save_ToIndex(u16v SectionID, u16v componentName, bool HTML, int32_t MaxWidth, u16v Version);

  // Puts the stored texts into Obj and everything it owns (tagged components only).
  void Set_Components(u16v SectionID, TComponent& Obj);
  // Stores the texts of Obj and everything it owns where they differ, with their index lines.
  void Get_Components(u16v SectionID, const TComponent& Obj, u16v Version);

  // Encoding the index file is written in: the one it was read in, ANSI when none was read.
  TextEncoding IndexEncoding() const { return indexEncoding_; }

 private:
  TextEncoding indexEncoding_ = TextEncoding::Ansi;
};

// "%CRLF" in a stored text, in any letter case, is a line break (CR LF).
u16 UnescapeLineBreaks(u16v stored);
// Line breaks of a text as stored in a line: CR LF, and a lone CR or LF, each become "%CRLF".
u16 EscapeLineBreaks(u16v text);

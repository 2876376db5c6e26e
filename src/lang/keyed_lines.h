// An ordered list of "name=value" lines with look-up by name. Names compare in ASCII upper case;
// when a name occurs on several lines the first of them is found. Look-ups go through a hash index
// of the upper-cased names that is kept in step with every change. Lines without "=" have no name:
// they stay in the list and are written back, but are never found.
#pragma once
#include <optional>
#include <unordered_map>
#include <vector>

#include "core/text.h"

class THashedStringList {
 public:
  const std::vector<u16>& Lines() const { return lines_; }
  size_t Count() const { return lines_.size(); }

  // Replaces all lines.
  void Assign(std::vector<u16> lines);
  void Add(u16 line);
  // Puts line in place of the line at position i (0 <= i < Count()).
  void Put(size_t i, u16 line);

  // Position of the first line with that name, or -1.
  int IndexOfName(u16v name) const;
  // Value of the first line with that name, or empty.
  u16 Value(u16v name) const;

  // The name of a line (text before its first "="), or nullopt for a line without "=".
  static std::optional<u16v> NameOf(u16v line);

 private:
  void Rebuild();
  void IndexLine(size_t i);
  std::vector<u16> lines_;
  std::unordered_map<u16, size_t> index_;  // upper-case name -> first position
};

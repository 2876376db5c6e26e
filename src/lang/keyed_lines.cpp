#include "lang/keyed_lines.h"

std::optional<u16v> THashedStringList::NameOf(u16v line) {
  size_t eq = line.find(u'=');
  if (eq == u16v::npos) return std::nullopt;
  return line.substr(0, eq);
}

void THashedStringList::IndexLine(size_t i) {
  if (auto name = NameOf(lines_[i])) index_.try_emplace(AsciiUpper(*name), i);
}

void THashedStringList::Rebuild() {
  index_.clear();
  index_.reserve(lines_.size());
  for (size_t i = 0; i < lines_.size(); ++i) IndexLine(i);
}

void THashedStringList::Assign(std::vector<u16> lines) {
  lines_ = std::move(lines);
  Rebuild();
}

void THashedStringList::Add(u16 line) {
  lines_.push_back(std::move(line));
  IndexLine(lines_.size() - 1);
}

void THashedStringList::Put(size_t i, u16 line) {
  auto oldName = NameOf(lines_[i]);
  auto newName = NameOf(line);
  bool sameName = oldName.has_value() == newName.has_value() &&
                  (!oldName || EqualsNoCase(*oldName, *newName));
  lines_[i] = std::move(line);
  // A new text under the same name leaves the index as it is; anything else may move a first match.
  if (!sameName) Rebuild();
}

int THashedStringList::IndexOfName(u16v name) const {
  auto it = index_.find(AsciiUpper(name));
  return it == index_.end() ? -1 : int(it->second);
}

u16 THashedStringList::Value(u16v name) const {
  int i = IndexOfName(name);
  if (i < 0) return {};
  const u16& line = lines_[size_t(i)];
  return line.substr(line.find(u'=') + 1);
}

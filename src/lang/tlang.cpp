#include "lang/tlang.h"

#include "core/debug.h"
#include "core/fs.h"

namespace {
u16 Key(u16v section, u16v component) {
  u16 k;
  k.reserve(section.size() + 1 + component.size());
  k.append(section);
  k.push_back(u'.');
  k.append(component);
  return k;
}
}  // namespace

u16 UnescapeLineBreaks(u16v stored) { return ReplaceAllNoCase(stored, u"%CRLF", u"\r\n"); }

u16 EscapeLineBreaks(u16v text) {
  // A lone CR or LF would end the line in the file and leave the rest of the text as a line of its
  // own, so it is stored as a line break too.
  u16 r;
  r.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      r += u"%CRLF";
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    } else {
      r.push_back(c);
    }
  }
  return r;
}

void TLang::Load_Translation(const u16& TranslationFile, const u16& IndexFile) {
  if (Fs().FileExists(TranslationFile)) Translation.Assign(ReadTextLines(TranslationFile).lines);
  if (Fs().FileExists(IndexFile)) {
    TextLines index = ReadTextLines(IndexFile);
    indexEncoding_ = index.encoding;
    Index.Assign(std::move(index.lines));
  }
  DebugOut(u"TranslationCount=" + ToDecU(Translation.Count()));
}

void TLang::Save_Translation(const u16& TranslationFile, const u16& IndexFile) {
  WriteTextLines(IndexFile, Index.Lines(), indexEncoding_);
  WriteTextLines(TranslationFile, Translation.Lines(), TextEncoding::Utf16LE);
}

u16 TLang::Get_StringW(u16v SectionID, u16v component) {
  u16 text = Translation.Value(Key(SectionID, component));
  if (text.empty()) {
    ++MissingItemsInTranslation;
    return text;
  }
  return UnescapeLineBreaks(text);
}

int TLang::GetStringWIndex(u16v SectionID, u16v component) const {
  return Translation.IndexOfName(Key(SectionID, component));
}

void TLang::Add_StringW(u16v SectionID, u16v componentName, u16v StringW) {
  u16 line = Key(SectionID, componentName) + u"=" + EscapeLineBreaks(StringW);
  int i = GetStringWIndex(SectionID, componentName);
  if (i >= 0)
    Translation.Put(size_t(i), std::move(line));
  else
    Translation.Add(std::move(line));
}

void TLang::Read_FromIndex(u16v SectionID, u16v componentName, bool& HTML, int32_t& MaxWidth,
                           u16& Version) const {
  u16 key = Key(SectionID, componentName);
  if (Index.IndexOfName(key) < 0) return;
  u16 s = Index.Value(key);
  HTML = s.substr(0, 4) == u"HTML";
  s.erase(0, 5);  // the kind and its comma
  size_t comma = s.find(u',');
  // Without a comma the width text is empty, which is no number either.
  u16 width = comma == u16::npos ? u16() : s.substr(0, comma);
  auto value = ParseInt32(width);
  if (!value) throw IndexConversionError(width);
  MaxWidth = *value;
  Version = comma == u16::npos ? u16() : s.substr(comma + 1);
}

void TLang::Save_ToIndex(u16v SectionID, u16v componentName, bool HTML, int32_t MaxWidth, u16v Version) {
  u16v kind = (Contains(componentName, u"MESSAGEHTML_") || HTML) ? u"HTML" : u"TEXT";
  u16 key = Key(SectionID, componentName);
  u16 line = key + u"=" + u16(kind) + u"," + ToDec(MaxWidth) + u"," + u16(Version);
  int i = Index.IndexOfName(key);
  if (i >= 0)
    Index.Put(size_t(i), std::move(line));
  else
    Index.Add(std::move(line));
}

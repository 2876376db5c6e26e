// Loads arbitrary bytes as a translation file and an index file (the input split in two at a
// position named by its first two bytes), then looks texts up, adds, records widths, translates
// and exports a small window, saves and reads everything back. A crash, a hang, a sanitizer report
// or a saved file that does not read back the same lines is a finding.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fakes/cp1252.h"
#include "fakes/memory_fs.h"
#include "lang/tlang.h"

namespace {
const u16 kTr = u"C:\\t\\xx.tlang3";
const u16 kIx = u"C:\\t\\index.txt";

void Check(bool ok) {
  if (!ok) abort();
}

TComponent& Tagged(TComponent& owner, const char16_t* cls, const char16_t* name) {
  return owner.Add(cls, name, 1);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ScopedMemoryFs mem;
  ScopedCp1252 cp;
  size_t split = 0;
  if (size >= 2) {
    split = (size_t(data[0]) | size_t(data[1]) << 8) % (size - 1);
    data += 2;
    size -= 2;
  }
  mem.fs.AddFile(kTr, std::vector<uint8_t>(data, data + split));
  mem.fs.AddFile(kIx, std::vector<uint8_t>(data + split, data + size));

  TLang lang;
  lang.Load_Translation(kTr, kIx);

  // Look up the names the file itself holds, split at their first ".", and a few made-up ones.
  size_t probes = 0;
  for (const u16& line : lang.Translation.Lines()) {
    if (++probes > 16) break;
    auto name = THashedStringList::NameOf(line);
    if (!name) continue;
    size_t dot = name->find(u'.');
    u16v section = dot == u16v::npos ? *name : name->substr(0, dot);
    u16v component = dot == u16v::npos ? u16v() : name->substr(dot + 1);
    u16 text = lang.Get_StringW(section, component);
    Check(lang.GetStringWIndex(section, component) >= 0 || text.empty());
  }
  for (const u16& line : lang.Index.Lines()) {
    if (++probes > 32) break;
    auto name = THashedStringList::NameOf(line);
    if (!name) continue;
    size_t dot = name->find(u'.');
    if (dot == u16v::npos) continue;
    bool html = false;
    int32_t width = 0;
    u16 version;
    try {
      lang.Read_FromIndex(name->substr(0, dot), name->substr(dot + 1), html, width, version);
    } catch (const IndexConversionError&) {
    }
  }

  // Texts made of the input: a stored text must read back as it was given, line breaks as CR LF.
  u16 text = lang.Translation.Count() ? lang.Translation.Lines().front() : u16(u"x\ny\r\rz");
  lang.Add_StringW(u"Fuzz", u"Added", text);
  Check(lang.Get_StringW(u"Fuzz", u"Added") == UnescapeLineBreaks(EscapeLineBreaks(text)));
  lang.Save_ToIndex(u"Fuzz", u"MESSAGEHTML_Added", false, int32_t(size), u"01.00.30");

  // A small window through both directions.
  TComponent window(u"TForm_Fuzz", u"Form_Fuzz", 1);
  window.Caption = u"Titel";
  TComponent& tree = Tagged(window, u"TVirtualDrawTree", u"Tree");
  tree.Items = {u"A", u"B", u"C"};
  Tagged(window, u"THTMLabel", u"Html").HTMLLines = {u"<b>x</b>", u""};
  TComponent& glow = Tagged(window, u"TAdvGlowButton", u"Glow");
  glow.Caption = text.substr(0, 64);
  glow.Width = 100;
  Tagged(window, u"TAdvOfficeTabSet", u"Tabs").Items = {u"1", u"2"};
  lang.Set_Components(u"Form_Fuzz", window);
  try {
    lang.Get_Components(u"Form_Fuzz", window, u"01.00.30");
  } catch (const IndexConversionError&) {
  }

  lang.Save_Translation(kTr, kIx);
  TLang again;
  again.Load_Translation(kTr, kIx);
  Check(again.Translation.Lines() == lang.Translation.Lines());
  Check(again.Index.Count() == lang.Index.Count());
  return 0;
}

#include <gtest/gtest.h>

#include "core/errors.h"
#include "fakes/cp1252.h"
#include "fakes/memory_fs.h"
#include "fakes/recording_sink.h"
#include "lang/tlang.h"

namespace {
const u16 kTr = u"C:\\app\\translation\\de-de.tlang3";
const u16 kIx = u"C:\\app\\translation\\index.txt";

std::vector<uint8_t> Bytes(std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::vector<uint8_t> Utf16LE(u16v s, bool mark = true) {
  std::vector<uint8_t> b;
  if (mark) b = {0xFF, 0xFE};
  for (char16_t c : s) {
    b.push_back(uint8_t(c & 0xFF));
    b.push_back(uint8_t(c >> 8));
  }
  return b;
}

class TLangTest : public ::testing::Test {
 protected:
  TLang Loaded(std::vector<uint8_t> translation, std::vector<uint8_t> index = {}) {
    mem.fs.AddFile(kTr, std::move(translation));
    mem.fs.AddFile(kIx, std::move(index));
    TLang lang;
    lang.Load_Translation(kTr, kIx);
    return lang;
  }
  ScopedMemoryFs mem;
  ScopedCp1252 cp;
  RecordingSink debug;
};

// The same three lines in every encoding the reader accepts; a save always writes UTF-16 LE.
struct EncodingCase {
  const char* what;
  std::vector<uint8_t> file;
  TextEncoding encoding;
};

class TLangEncodingTest : public TLangTest, public ::testing::WithParamInterface<EncodingCase> {};

const u16 kThreeLines = u"Form_VCP_Devices.Form_VCP_Devices=Entdeckte Ger\u00e4te\r\n"
                        u"Form_Veilcap.Tray_Show=Anzeigen\r\n"
                        u"MESSAGES.MESSAGE_STATUS_PLEASEWAIT=Bitte warten...\r\n";

TEST_P(TLangEncodingTest, ReadsByMarkAndWritesUtf16LE) {
  const EncodingCase& c = GetParam();
  TLang lang = Loaded(c.file, c.file);
  EXPECT_EQ(lang.Translation.Count(), 3u) << c.what;
  EXPECT_EQ(ToUtf8(lang.Get_StringW(u"Form_VCP_Devices", u"Form_VCP_Devices")), "Entdeckte Ger\xc3\xa4te") << c.what;
  EXPECT_EQ(lang.IndexEncoding(), c.encoding) << c.what;
  EXPECT_EQ(debug.Utf8(), std::vector<std::string>{"TranslationCount=3"}) << c.what;

  lang.Save_Translation(kTr, kIx);
  EXPECT_EQ(mem.fs.Bytes(kTr), Utf16LE(kThreeLines)) << c.what;
  // The index goes back in the encoding it came in, so an unchanged index is byte for byte the same.
  EXPECT_EQ(mem.fs.Bytes(kIx), c.file) << c.what;
  EXPECT_EQ(mem.fs.writes, (std::vector<u16>{kIx, kTr})) << "index first";

  TLang again;
  again.Load_Translation(kTr, kIx);
  EXPECT_EQ(again.Translation.Lines(), lang.Translation.Lines()) << c.what;
}

std::vector<uint8_t> Utf16BE(u16v s) {
  std::vector<uint8_t> b = {0xFE, 0xFF};
  for (char16_t c : s) {
    b.push_back(uint8_t(c >> 8));
    b.push_back(uint8_t(c & 0xFF));
  }
  return b;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, TLangEncodingTest,
    ::testing::Values(EncodingCase{"utf-16 le", Utf16LE(kThreeLines), TextEncoding::Utf16LE},
                      EncodingCase{"utf-16 be", Utf16BE(kThreeLines), TextEncoding::Utf16BE},
                      EncodingCase{"utf-8", Bytes("\xEF\xBB\xBF" + ToUtf8(kThreeLines)), TextEncoding::Utf8},
                      EncodingCase{"ansi", Bytes(Cp1252().FromUtf16(kThreeLines)), TextEncoding::Ansi}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(TLangTest, LineEndsEscapeAndKeyMatching) {
  TLang lang = Loaded(Bytes("a.crlf=x\r\na.cr=%crlfX\ra.lf=1%CrLf2%CRLF\n"
                            "Form_Veilcap.Tray_Show = Anzeigen\n"
                            "a.empty=\n"
                            "a.eq=b=c\n"
                            "no equals sign\n"
                            "=nameless\n"
                            "A.DUP=first\n"
                            "a.dup=second"));
  struct Lookup {
    const char16_t *section, *component;
    const char* text;
  } lookups[] = {
      {u"a", u"crlf", "x"},
      {u"a", u"cr", "\r\nX"},
      {u"A", u"LF", "1\r\n2\r\n"},
      {u"a", u"eq", "b=c"},
      {u"a", u"dup", "first"},
      {u"Form_Veilcap", u"Tray_Show", ""},  // the blank before "=" belongs to the key
      {u"a", u"empty", ""},
      {u"no equals sign", u"", ""},
      {u"a", u"missing", ""},
  };
  for (const auto& l : lookups)
    EXPECT_EQ(ToUtf8(lang.Get_StringW(l.section, l.component)), l.text) << ToUtf8(l.component);
  EXPECT_EQ(lang.MissingItemsInTranslation, 4u);
  EXPECT_EQ(lang.Translation.Count(), 10u);
  EXPECT_EQ(lang.GetStringWIndex(u"a", u"DUP"), 8);
  EXPECT_EQ(lang.GetStringWIndex(u"Form_Veilcap", u"Tray_Show "), 3);
  EXPECT_EQ(lang.GetStringWIndex(u"a", u"missing"), -1);
}

TEST_F(TLangTest, AddReplacesTheFirstOfEqualKeysOrAppends) {
  TLang lang = Loaded(Bytes("form.item=one\r\nx.y=keep\r\nFORM.ITEM=two\r\n"));
  lang.Add_StringW(u"Form", u"Item", u"neu\r\nZeile");
  lang.Add_StringW(u"form", u"other", u"a\nb\rc");
  lang.Add_StringW(u"form", u"other", u"d");
  EXPECT_EQ(lang.Translation.Lines(),
            (std::vector<u16>{u"Form.Item=neu%CRLFZeile", u"x.y=keep", u"FORM.ITEM=two", u"form.other=d"}));
  EXPECT_EQ(ToUtf8(lang.Get_StringW(u"form", u"item")), "neu\r\nZeile");

  // A lone CR or LF must not split the line in the file: it comes back as a line break.
  lang.Add_StringW(u"form", u"lone", u"a\nb\rc");
  lang.Save_Translation(kTr, kIx);
  TLang again;
  again.Load_Translation(kTr, kIx);
  EXPECT_EQ(again.Translation.Count(), 5u);
  EXPECT_EQ(ToUtf8(again.Get_StringW(u"form", u"lone")), "a\r\nb\r\nc");
}

TEST_F(TLangTest, LoadKeepsListsWhoseFileIsMissing) {
  TLang lang = Loaded(Bytes("a.b=1\r\n"), Bytes("a.b=TEXT,5,v\r\n"));
  lang.Load_Translation(u"C:\\app\\translation\\none.tlang3", u"C:\\app\\translation\\none.txt");
  EXPECT_EQ(ToUtf8(lang.Get_StringW(u"a", u"b")), "1");
  mem.fs.AddFile(kTr, Bytes("c.d=2\r\n"));
  lang.Load_Translation(kTr, u"C:\\none.txt");
  EXPECT_EQ(lang.Get_StringW(u"a", u"b"), u"");
  EXPECT_EQ(ToUtf8(lang.Get_StringW(u"c", u"d")), "2");
  EXPECT_EQ(lang.Index.Count(), 1u);
  EXPECT_EQ(debug.Utf8(), (std::vector<std::string>{"TranslationCount=1", "TranslationCount=1",
                                                    "TranslationCount=1"}));
}

TEST_F(TLangTest, EmptyStoreWritesMarkAndEmptyAnsiIndex) {
  TLang lang;
  lang.Save_Translation(kTr, kIx);
  EXPECT_EQ(mem.fs.Bytes(kTr), (std::vector<uint8_t>{0xFF, 0xFE}));
  EXPECT_TRUE(mem.fs.FileExists(kIx));
  EXPECT_TRUE(mem.fs.Bytes(kIx).empty());
  lang.Save_ToIndex(u"S", u"C", false, 0, u"01.00.30");
  lang.Save_Translation(kTr, kIx);
  EXPECT_EQ(mem.fs.Bytes(kIx), Bytes("S.C=TEXT,0,01.00.30\r\n"));
}

TEST_F(TLangTest, WriteErrorsRaise) {
  TLang lang;
  lang.Add_StringW(u"a", u"b", u"c");
  mem.fs.FailWritesUnder(u"C:\\app", 5);
  try {
    lang.Save_Translation(kTr, kIx);
    FAIL() << "no error raised";
  } catch (const OsError& e) {
    EXPECT_EQ(e.Code(), 5u);
  }
  EXPECT_FALSE(mem.fs.FileExists(kTr));
}

struct IndexCase {
  const char* what;
  const char* value;
  bool html;
  int32_t width;
  const char* version;
  bool raises;
};

class ReadIndexTest : public TLangTest, public ::testing::WithParamInterface<IndexCase> {};

TEST_P(ReadIndexTest, ParsesKindWidthAndVersion) {
  const IndexCase& c = GetParam();
  TLang lang = Loaded({}, Bytes(std::string("S.C=") + c.value + "\r\n"));
  bool html = !c.html;
  int32_t width = -77;
  u16 version = u"before";
  if (c.raises) {
    EXPECT_THROW(lang.Read_FromIndex(u"s", u"c", html, width, version), IndexConversionError) << c.what;
    EXPECT_EQ(width, -77) << c.what;
    return;
  }
  lang.Read_FromIndex(u"s", u"c", html, width, version);
  EXPECT_EQ(html, c.html) << c.what;
  EXPECT_EQ(width, c.width) << c.what;
  EXPECT_EQ(ToUtf8(version), c.version) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadIndexTest,
    ::testing::Values(IndexCase{"html", "HTML,250,01.00.30", true, 250, "01.00.30", false},
                      IndexCase{"kind is case-sensitive", "text,0,x", false, 0, "x", false},
                      IndexCase{"version keeps commas", "TEXT,7,a,b", false, 7, "a,b", false},
                      IndexCase{"empty version", "TEXT,7,", false, 7, "", false},
                      IndexCase{"negative width", "TEXT,-3,v", false, -3, "v", false},
                      IndexCase{"no commas", "TEXT", false, 0, "", true},
                      IndexCase{"width not a number", "TEXT,wide,v", false, 0, "", true},
                      IndexCase{"width missing", "TEXT,,v", false, 0, "", true},
                      IndexCase{"width too large", "TEXT,99999999999,v", false, 0, "", true},
                      IndexCase{"only a width", "TEXT,12", false, 0, "", true},
                      IndexCase{"empty value", "", false, 0, "", true}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(TLangTest, ReadIndexLeavesOutputsForMissingKey) {
  TLang lang = Loaded({}, Bytes("S.C=HTML,1,v\r\n"));
  bool html = true;
  int32_t width = 9;
  u16 version = u"x";
  lang.Read_FromIndex(u"S", u"other", html, width, version);
  EXPECT_TRUE(html);
  EXPECT_EQ(width, 9);
  EXPECT_EQ(version, u"x");
}

TEST_F(TLangTest, SaveToIndexWritesKindAndReplacesFirstLine) {
  TLang lang = Loaded({}, Bytes("F.A=TEXT,1,old\r\nf.a=TEXT,2,second\r\nnot a line\r\n"));
  lang.Save_ToIndex(u"F", u"A", true, 168, u"01.00.30");
  lang.Save_ToIndex(u"MESSAGES", u"MESSAGEHTML_INFO", false, 0, u"01.00.30");
  lang.Save_ToIndex(u"MESSAGES", u"messagehtml_info2", false, 5, u"v");
  EXPECT_EQ(lang.Index.Lines(),
            (std::vector<u16>{u"F.A=HTML,168,01.00.30", u"f.a=TEXT,2,second", u"not a line",
                              u"MESSAGES.MESSAGEHTML_INFO=HTML,0,01.00.30", u"MESSAGES.messagehtml_info2=TEXT,5,v"}));
  bool html = false;
  int32_t width = 0;
  u16 version;
  lang.Read_FromIndex(u"f", u"a", html, width, version);
  EXPECT_TRUE(html);
  EXPECT_EQ(width, 168);
}

// Files from anyone: nothing may crash, and what can be kept survives a save.
struct BadInputCase {
  const char* what;
  std::vector<uint8_t> translation;
  size_t lines;
  const char16_t* component;  // looked up in section "a"
  u16 text;
};

std::vector<uint8_t> MegabyteLine() {
  std::string s = "a.big=";
  s.append(1 << 20, 'x');
  return Bytes(s);
}

std::vector<uint8_t> Random(size_t n) {
  std::vector<uint8_t> b(n);
  uint32_t x = 12345;
  for (auto& v : b) {
    x = x * 1103515245u + 12345u;
    v = uint8_t(x >> 16);
  }
  return b;
}

class BadInputTest : public TLangTest, public ::testing::WithParamInterface<BadInputCase> {};

TEST_P(BadInputTest, LoadsLooksUpAndSaves) {
  const BadInputCase& c = GetParam();
  TLang lang = Loaded(c.translation, c.translation);
  if (c.lines != size_t(-1)) {
    EXPECT_EQ(lang.Translation.Count(), c.lines) << c.what;
  }
  EXPECT_EQ(lang.Get_StringW(u"a", c.component), c.text) << c.what;
  lang.Add_StringW(u"a", u"added", u"x\r\ny");
  lang.Save_Translation(kTr, kIx);
  TLang again;
  again.Load_Translation(kTr, kIx);
  EXPECT_EQ(again.Translation.Count(), lang.Translation.Count()) << c.what;
  EXPECT_EQ(again.Get_StringW(u"a", c.component), c.text) << c.what;
  EXPECT_EQ(again.Get_StringW(u"a", u"added"), u"x\r\ny") << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Files, BadInputTest,
    ::testing::Values(
        BadInputCase{"random bytes", Random(4096), size_t(-1), u"k", u""},
        BadInputCase{"odd byte count after the mark", {0xFF, 0xFE, 'a', 0, '.', 0, 'k', 0, '=', 0, 'v', 0, 'w'}, 1, u"k", u"v"},
        BadInputCase{"only a mark", {0xFE, 0xFF}, 0, u"k", u""},
        BadInputCase{"lone surrogates", Utf16LE(u"a.k=\xD800x\xDC00\r\n"), 1, u"k", u"\xD800x\xDC00"},
        BadInputCase{"megabyte line", MegabyteLine(), 1, u"big", u16(1 << 20, u'x')},
        BadInputCase{"line without equals sign", Bytes("just text\r\na.k=v\r\n"), 2, u"k", u"v"},
        BadInputCase{"NUL in the middle", Utf16LE(u16(u"a.k=v\0w\r\nb", 10)), 2, u"k", u16(u"v\0w", 3)},
        BadInputCase{"index line without commas", Bytes("a.k=TEXT\r\n"), 1, u"k", u"TEXT"}),
    [](const auto& info) { return "case" + std::to_string(info.index); });
}  // namespace

#include <gtest/gtest.h>

#include "core/plain_text.h"
#include "core/text.h"
#include "core/textfile.h"
#include "fakes/cp1252.h"

namespace {
TEST(Text, ParseInt32AcceptsWhatTheProgramWritesAndRejectsTheRest) {
  struct Case {
    const char16_t* text;
    std::optional<int32_t> value;
  } cases[] = {{u"12", 12},           {u"-12", -12},       {u"+7", 7},          {u"  5", 5},
               {u"2147483647", 2147483647}, {u"-2147483648", INT32_MIN}, {u"2147483648", std::nullopt},
               {u"$FF", 255},         {u"0x10", 16},       {u"$FFFFFFFF", -1},  {u"", std::nullopt},
               {u"-", std::nullopt},  {u"12a", std::nullopt}, {u"5 ", std::nullopt}, {u"abc", std::nullopt},
               {u"99999999999999999999", std::nullopt}, {u"$", std::nullopt}};
  for (const auto& c : cases) EXPECT_EQ(ParseInt32(c.text), c.value) << ToUtf8(c.text);
}

TEST(Text, TrimRemovesControlCharactersAndBlanks) {
  EXPECT_EQ(Trim(u" \t\r\n a b \x01"), u"a b");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");  // only code 32 and below
}

TEST(Text, CaseRulesTouchOnlyAsciiLetters) {
  EXPECT_EQ(AsciiUpper(u"usb\\vid_ab&Ä"), u"USB\\VID_AB&Ä");
  EXPECT_EQ(AsciiLower(u"DE-DE Ü"), u"de-de Ü");
  EXPECT_TRUE(EqualsNoCase(u"Devices", u"DEVICES"));
  EXPECT_FALSE(EqualsNoCase(u"ä", u"Ä"));
  EXPECT_EQ(ReplaceAllNoCase(u"a%crlfb%CRLFc", u"%CRLF", u"\r\n"), u"a\r\nb\r\nc");
  EXPECT_EQ(ReplaceAll(u"aaa", u"aa", u"b"), u"ba");
}

TEST(Text, Utf8RoundTripAndBrokenInput) {
  const u16 s = u"Gerät \U0001F4F7 \u20AC";
  EXPECT_EQ(FromUtf8(ToUtf8(s)), s);
  EXPECT_EQ(FromUtf8("\xC3"), u"\uFFFD");              // cut sequence
  EXPECT_EQ(FromUtf8("a\xED\xA0\x80z"), u"a\uFFFD\uFFFD\uFFFDz");  // encoded surrogate
  EXPECT_EQ(ToUtf8(u16(1, char16_t(0xD800))), "\xEF\xBF\xBD");    // lone surrogate
}

TEST(Text, SplitLinesKnowsAllThreeLineEnds) {
  EXPECT_EQ(SplitLines(u"a\r\nb\rc\nd"), (std::vector<u16>{u"a", u"b", u"c", u"d"}));
  EXPECT_EQ(SplitLines(u"a\r\n"), (std::vector<u16>{u"a"}));
  EXPECT_EQ(SplitLines(u"\n\n"), (std::vector<u16>{u"", u""}));
  EXPECT_TRUE(SplitLines(u"").empty());
}

TEST(Text, PlainTextKeepsNoMarkThatReordersOrHidesTextNorAnyControl) {
  struct Case {
    std::u16string in;
    size_t max;
    std::u16string out;
  } cases[] = {
      {u"Integrated Camera", u16::npos, u"Integrated Camera"},
      {u"a\u0001b\u0007c\u001Bd\u007Fe", u16::npos, u"abcde"},           // C0 and DEL
      {u"a\u0080b\u009Bc\u0085d", u16::npos, u"abc d"},                   // C1 (CSI); NEL is a break
      {u"line\r\none\ttab", u16::npos, u"line  one tab"},                  // breaks become spaces
      {u"\u202Aa\u202Bb\u202Cc\u202Dd\u202Ee", u16::npos, u"abcde"},      // embeddings, overrides
      {u"\u2066a\u2067b\u2068c\u2069d", u16::npos, u"abcd"},               // isolates
      {u"\u200Ea\u200Fb\u061Cc", u16::npos, u"abc"},                       // direction marks
      {u"Zoom\u202Eexe.\x1b[31mevil.txt", u16::npos, u"Zoomexe.[31mevil.txt"},
      {u"\xe9\u4e2d\U0001F3A5\U0001F3A4", u16::npos, u"\xe9\u4e2d\U0001F3A5\U0001F3A4"},  // pairs kept
      {u"a\xD800" u"b\xDC00", u16::npos, u"a\uFFFDb\uFFFD"},                     // lone halves
      // The limit counts what is left after cleaning and never splits a pair.
      {u"\u202E\u202E\u202Eabcdef", 4, u"abc\u2026"},
      {u"abcdef", 6, u"abcdef"},
      {u"ab\U0001F3A5cd", 4, u"ab\u2026"},
      {u"ab\U0001F3A5cd", 5, u"ab\U0001F3A5\u2026"},
      {u"abc", 0, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(ToUtf8(PlainText(c.in, c.max)), ToUtf8(c.out)) << ToUtf8(c.in);
}

TEST(TextFile, DecodesByMarkAndEncodesBack) {
  ScopedCp1252 cp;
  struct Case {
    std::vector<uint8_t> bytes;
    TextEncoding encoding;
    u16 text;
  } cases[] = {
      {{0xFF, 0xFE, 'a', 0, 0xE4, 0}, TextEncoding::Utf16LE, u"aä"},
      {{0xFE, 0xFF, 0, 'a', 0, 0xE4}, TextEncoding::Utf16BE, u"aä"},
      {{0xEF, 0xBB, 0xBF, 'a', 0xC3, 0xA4}, TextEncoding::Utf8, u"aä"},
      {{'a', 0xE4, 0x80}, TextEncoding::Ansi, u"aä\u20AC"},
      {{}, TextEncoding::Ansi, u""},
  };
  for (const auto& c : cases) {
    DecodedText d = DecodeText(c.bytes);
    EXPECT_EQ(d.encoding, c.encoding);
    EXPECT_EQ(d.text, c.text);
    EXPECT_EQ(EncodeText(d.text, d.encoding), c.bytes);
  }
  // An odd trailing byte after a UTF-16 mark is dropped, not read past the end.
  EXPECT_EQ(DecodeText({0xFF, 0xFE, 'x', 0, 'y'}).text, u"x");
  EXPECT_EQ(EncodeLines({u"a", u"b"}, TextEncoding::Ansi), (std::vector<uint8_t>{'a', '\r', '\n', 'b', '\r', '\n'}));
}
}  // namespace

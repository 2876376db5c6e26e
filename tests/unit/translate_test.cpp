#include <gtest/gtest.h>

#include "fakes/cp1252.h"
#include "fakes/memory_fs.h"
#include "fakes/recording_sink.h"
#include "lang/messages.h"
#include "lang/tlang.h"
#include "lang/translate.h"

namespace {
const u16 kFolder = u"C:\\app\\translation";
const u16 kDeDe = kFolder + u"\\de-de.tlang3";
const u16 kIndex = kFolder + u"\\index.txt";

std::vector<uint8_t> Bytes(std::string_view s) { return std::vector<uint8_t>(s.begin(), s.end()); }
std::vector<uint8_t> Utf16File(u16v s) { return EncodeText(s, TextEncoding::Utf16LE); }

class StepTicks final : public TickSource {
 public:
  uint32_t TickCount() override {
    uint32_t t = now;
    now += step;
    return t;
  }
  uint32_t now = 0xFFFFFFF0u;  // elapsed times must survive the wrap of the tick count
  uint32_t step = 7;
};

TComponent& MenuItem(TComponent& owner, const char16_t* name, const char16_t* caption) {
  TComponent& item = owner.Add(u"TMenuItem", name, 1);
  item.Caption = caption;
  return item;
}

// The main window as its model describes it: the window itself is not translated.
std::unique_ptr<TComponent> MainWindow() {
  auto w = std::make_unique<TComponent>(u"TForm_Veilcap", u"Form_Veilcap", 0);
  w->Caption = u"Vostrel Veilcap";
  TComponent& label = w->Add(u"TLabel", u"Label_RebootNeed_Cam", 1);
  label.Caption = u"Neustart n\u00f6tig";
  label.AutoSize = false;
  label.Width = 168;
  TComponent& tray = w->Add(u"TAdvPopupMenu", u"AdvPopupMenu_Tray", 1);
  MenuItem(tray, u"Tray_Show", u"Anzeigen");
  MenuItem(tray, u"Tray_Lang", u"Sprache");
  MenuItem(tray, u"Tray_Quit", u"Beenden");
  return w;
}

std::unique_ptr<TComponent> DeviceWindow() {
  auto w = std::make_unique<TComponent>(u"TForm_VCP_Devices", u"Form_VCP_Devices", 1);
  w->Caption = u"Entdeckte Ger\u00e4te";
  TComponent& tree = w->Add(u"TVirtualDrawTree", u"VirtualDrawTree_Devices", 1);
  tree.Items = {u"Ger\u00e4t", u"Status"};
  tree.HeaderFontName = u"Segoe UI";
  return w;
}

class TranslateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetTickSource(&ticks);
    Reset();
  }
  void TearDown() override {
    SetTickSource(nullptr);
    Reset();
  }
  static void Reset() {
    Lang.reset();
    MessagesLoaded = false;
    Init_Messages();
  }
  u16 Caption(TComponent& w, const char16_t* name) { return *w.Find(name)->Caption; }
  std::vector<u16> Lines(const u16& path) {
    TLang l;
    l.Load_Translation(path, u"C:\\none");
    return l.Translation.Lines();
  }
  ScopedMemoryFs mem;
  ScopedCp1252 cp;
  RecordingSink debug;
  StepTicks ticks;
};

// Putting a text into one tagged component of each kind.
struct SetCase {
  const char* what;
  std::function<void(TComponent&)> build;
  const char* stored;  // text after "C.x=" in the file, or nullptr for no line
  std::function<void(const TComponent&)> check;
  uint32_t missingObjects;
};

class SetComponentsTest : public TranslateTest, public ::testing::WithParamInterface<SetCase> {};

TEST_P(SetComponentsTest, PutsTheTextWhereTheKindShowsIt) {
  const SetCase& c = GetParam();
  TComponent root(u"TForm", u"C", 0);
  TComponent& x = root.Add(u"TPlaceholder", u"x", 1);
  c.build(x);
  TLang lang;
  if (c.stored) lang.Translation.Add(u"C.x=" + FromUtf8(c.stored));
  lang.Set_Components(u"C", root);
  c.check(x);
  EXPECT_EQ(lang.MissingObjects, c.missingObjects) << c.what;
}

std::vector<u16> V(std::initializer_list<const char16_t*> items) { return {items.begin(), items.end()}; }

INSTANTIATE_TEST_SUITE_P(
    Kinds, SetComponentsTest,
    ::testing::Values(
        SetCase{"html label gets lines",
                [](TComponent& c) { c.ClassName = u"THTMLabel"; c.HTMLLines = V({u"old"}); c.HTMLText = u"prop"; },
                "<b>a</b>%CRLFb",
                [](const TComponent& c) { EXPECT_EQ(c.HTMLLines, V({u"<b>a</b>", u"b"})); EXPECT_EQ(*c.HTMLText, u"prop"); }, 0},
        SetCase{"smooth label gets Caption.Text",
                [](TComponent& c) { c.ClassName = u"TAdvSmoothLabel"; c.Caption = u"keep"; },
                "neu", [](const TComponent& c) { EXPECT_EQ(c.CaptionText, u"neu"); EXPECT_EQ(*c.Caption, u"keep"); }, 0},
        SetCase{"tab set repeats the last part",
                [](TComponent& c) { c.ClassName = u"TAdvOfficeTabSet"; c.Items = V({u"1", u"2", u"3"}); },
                "A%CRLFB", [](const TComponent& c) { EXPECT_EQ(c.Items, V({u"A", u"B", u"B"})); }, 0},
        SetCase{"tab set without tabs falls through to Caption",
                [](TComponent& c) { c.ClassName = u"TAdvOfficeTabSet"; c.Caption = u"old"; },
                "A%CRLFB", [](const TComponent& c) { EXPECT_EQ(*c.Caption, u"A\r\nB"); EXPECT_TRUE(c.Items.empty()); }, 0},
        SetCase{"tree takes as many parts as columns",
                [](TComponent& c) { c.ClassName = u"TVirtualDrawTree"; c.Items = V({u"1", u"2"}); c.HeaderFontName = u"Arial"; },
                "A%CRLFB%CRLFC",
                [](const TComponent& c) { EXPECT_EQ(c.Items, V({u"A", u"B"})); EXPECT_EQ(c.HeaderFontName, u"Tahoma"); }, 0},
        SetCase{"tree with a one-part text",
                [](TComponent& c) { c.ClassName = u"TVirtualDrawTree"; c.Items = V({u"1", u"2"}); },
                "A", [](const TComponent& c) { EXPECT_EQ(c.Items, V({u"A", u"A"})); }, 0},
        SetCase{"tree without columns still gets the font",
                [](TComponent& c) { c.ClassName = u"TVirtualDrawTree"; c.HeaderFontName = u"Arial"; },
                "A", [](const TComponent& c) { EXPECT_EQ(c.HeaderFontName, u"Tahoma"); }, 1},
        SetCase{"tree without text keeps its font and columns",
                [](TComponent& c) { c.ClassName = u"TVirtualDrawTree"; c.Items = V({u"1"}); c.HeaderFontName = u"Arial"; },
                "", [](const TComponent& c) { EXPECT_EQ(c.HeaderFontName, u"Arial"); EXPECT_EQ(c.Items, V({u"1"})); }, 0},
        SetCase{"list view columns",
                [](TComponent& c) { c.ClassName = u"TListView"; c.Items = V({u"1", u"2"}); },
                "x%crlfy", [](const TComponent& c) { EXPECT_EQ(c.Items, V({u"x", u"y"})); }, 0},
        SetCase{"HTMLText property before Caption",
                [](TComponent& c) { c.ClassName = u"TMyHTMLabel"; c.HTMLText = u""; c.Caption = u"cap"; },
                "<i>t</i>", [](const TComponent& c) { EXPECT_EQ(*c.HTMLText, u"<i>t</i>"); EXPECT_EQ(*c.Caption, u"cap"); }, 0},
        SetCase{"caption keeps line breaks",
                [](TComponent& c) { c.ClassName = u"TLabel"; c.Caption = u"old"; },
                "a%CRLFb", [](const TComponent& c) { EXPECT_EQ(*c.Caption, u"a\r\nb"); }, 0},
        SetCase{"no property to show it",
                [](TComponent& c) { c.ClassName = u"TAdvPopupMenu"; }, "Menu",
                [](const TComponent& c) { EXPECT_FALSE(c.Caption.has_value()); }, 1},
        SetCase{"missing text keeps the caption",
                [](TComponent& c) { c.ClassName = u"TLabel"; c.Caption = u"old"; }, nullptr,
                [](const TComponent& c) { EXPECT_EQ(*c.Caption, u"old"); }, 0},
        SetCase{"untagged component is left alone",
                [](TComponent& c) { c.ClassName = u"TLabel"; c.Caption = u"old"; c.Tag = 0; }, "new",
                [](const TComponent& c) { EXPECT_EQ(*c.Caption, u"old"); }, 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(TranslateTest, OnlyTheStringButtonIsRepaintedAndOnlyWhenItGotItsText) {
  TComponent root(u"TForm", u"F", 0);
  int repaints[3] = {0, 0, 0};
  const char16_t* classes[3] = {u"TTarvoUnicodeSTButton", u"TTarvoUnicodeSTButton", u"TLabel"};
  for (int i = 0; i < 3; ++i) {
    TComponent& b = root.Add(classes[i], u"B" + ToDec(i), 1);
    if (i != 1) b.Caption = u"";
    b.Repaint = [&repaints, i] { ++repaints[i]; };
  }
  TLang lang;
  for (int i = 0; i < 3; ++i) lang.Translation.Add(u"F.B" + ToDec(i) + u"=t");
  lang.Set_Components(u"F", root);
  EXPECT_EQ(repaints[0], 1);
  EXPECT_EQ(repaints[1], 0);  // no Caption: nothing shown, nothing repainted
  EXPECT_EQ(repaints[2], 0);
  EXPECT_EQ(lang.MissingObjects, 1u);
}

// Reading the current text and the width a translation has to fit.
struct GetCase {
  const char* what;
  std::function<void(TComponent&)> build;
  const char* line;       // translation line written, or nullptr for none
  const char* indexLine;  // index line written, or nullptr for none
};

class GetComponentsTest : public TranslateTest, public ::testing::WithParamInterface<GetCase> {};

TEST_P(GetComponentsTest, StoresTextKindAndWidth) {
  const GetCase& c = GetParam();
  TComponent root(u"TForm", u"F", 0);
  TComponent& x = root.Add(u"TPlaceholder", u"x", 1);
  c.build(x);
  TLang lang;
  lang.Get_Components(u"F", root, u"9.9");
  std::vector<u16> tr, ix;
  if (c.line) tr.push_back(FromUtf8(c.line));
  if (c.indexLine) ix.push_back(FromUtf8(c.indexLine));
  EXPECT_EQ(lang.Translation.Lines(), tr) << c.what;
  EXPECT_EQ(lang.Index.Lines(), ix) << c.what;
}

std::function<void(TComponent&)> Sized(const char16_t* cls, int32_t width) {
  return [cls, width](TComponent& c) {
    c.ClassName = cls;
    c.Caption = u"t";
    c.Width = width;
  };
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, GetComponentsTest,
    ::testing::Values(
        GetCase{"html label", [](TComponent& c) { c.ClassName = u"THTMLABEL"; c.HTMLLines = V({u"<b>a</b>", u"b"}); },
                "F.x=<b>a</b>%CRLFb%CRLF", "F.x=HTML,0,9.9"},
        GetCase{"smooth label uses its width",
                [](TComponent& c) { c.ClassName = u"TAdvSmoothLabel"; c.CaptionText = u"s"; c.Caption = u"c"; c.Width = 120; },
                "F.x=s", "F.x=TEXT,120,9.9"},
        GetCase{"HTMLText property",
                [](TComponent& c) { c.ClassName = u"TX"; c.HTMLText = u"<i>h</i>"; c.Caption = u"c"; }, "F.x=<i>h</i>", "F.x=HTML,0,9.9"},
        GetCase{"empty HTMLText gives way to Caption",
                [](TComponent& c) { c.ClassName = u"TX"; c.HTMLText = u""; c.Caption = u"c"; }, "F.x=c", "F.x=TEXT,0,9.9"},
        GetCase{"columns joined", [](TComponent& c) { c.ClassName = u"TVirtualDrawTree"; c.Items = V({u"Ger\u00e4t", u"Status"}); },
                "F.x=Ger\xc3\xa4t%CRLFStatus", "F.x=TEXT,0,9.9"},
        GetCase{"caption before columns",
                [](TComponent& c) { c.ClassName = u"TListView"; c.Items = V({u"a"}); c.Caption = u"cap"; }, "F.x=cap", "F.x=TEXT,0,9.9"},
        GetCase{"fixed-size label",
                [](TComponent& c) { c.ClassName = u"TLabel"; c.Caption = u"t"; c.AutoSize = false; c.Width = 168; }, "F.x=t", "F.x=TEXT,168,9.9"},
        GetCase{"auto-sized label",
                [](TComponent& c) { c.ClassName = u"TLabel"; c.Caption = u"t"; c.AutoSize = true; c.Width = 168; }, "F.x=t", "F.x=TEXT,0,9.9"},
        GetCase{"vertical auto size",
                [](TComponent& c) { c.ClassName = u"TX"; c.Caption = u"t"; c.AutoSizeType = u"asVertical"; c.Width = 50; }, "F.x=t", "F.x=TEXT,50,9.9"},
        GetCase{"caption max width overrides",
                [](TComponent& c) { c.ClassName = u"TX"; c.Caption = u"t"; c.AutoSize = false; c.Width = 10; c.CaptionMaxWidth = 77; },
                "F.x=t", "F.x=TEXT,77,9.9"},
        GetCase{"check box width overrides max width",
                [](TComponent& c) { c.ClassName = u"TCheckBox"; c.Caption = u"t"; c.Width = 90; c.CaptionMaxWidth = 10; }, "F.x=t", "F.x=TEXT,90,9.9"},
        GetCase{"narrow glow button", Sized(u"TAdvGlowButton", 40), "F.x=t", "F.x=TEXT,40,9.9"},
        GetCase{"glow button of 48", Sized(u"TAdvGlowButton", 48), "F.x=t", "F.x=TEXT,48,9.9"},
        GetCase{"wide glow button", Sized(u"TAdvGlowButton", 100), "F.x=t", "F.x=TEXT,74,9.9"},
        GetCase{"derived button class does not match", Sized(u"TMyButton", 100), "F.x=t", "F.x=TEXT,0,9.9"},
        GetCase{"nothing to read and nothing stored", [](TComponent& c) { c.ClassName = u"TAdvPopupMenu"; }, nullptr, nullptr},
        GetCase{"untagged", [](TComponent& c) { c.Tag = 0; c.Caption = u"t"; }, nullptr, nullptr}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(TranslateTest, LoadIntoWindowLeavesUntranslatedTextsAndEmptiesMissingMessages) {
  mem.fs.AddFile(kDeDe, Utf16File(u"Form_Veilcap.Tray_Quit=Quit\r\n"));
  mem.fs.AddFile(kIndex, Bytes("Form_Veilcap.Tray_Quit=TEXT,0,01.00.30\r\n"));
  auto main = MainWindow();
  LOAD_TRANSLATION_TO_FORM(kFolder, u"de-de", *main);
  EXPECT_EQ(Caption(*main, u"Tray_Quit"), u"Quit");
  EXPECT_EQ(Caption(*main, u"Tray_Show"), u"Anzeigen");
  EXPECT_EQ(Caption(*main, u"Label_RebootNeed_Cam"), u"Neustart n\u00f6tig");
  EXPECT_EQ(*main->Caption, u"Vostrel Veilcap");
  // The original messages go empty; later ones fall back to their English text.
  for (const auto& m : MessageTable()) EXPECT_EQ(*m.text, u16(m.englishText ? m.englishText : u"")) << ToUtf8(m.key);
  EXPECT_TRUE(MessagesLoaded);
  ASSERT_TRUE(Lang);
  EXPECT_EQ(Lang->MissingObjects, 0u);
  EXPECT_EQ(Lang->MissingItemsInTranslation, 4u + MessageTable().size());  // three items and the label, all messages
  EXPECT_EQ(debug.Utf8(), (std::vector<std::string>{"TranslationCount=1",
                                                    "LOAD_TRANSLATION_TO_FORM \"TForm_Veilcap\" took 7 ms"}));
}

TEST_F(TranslateTest, NoFilesNoChangeNoDebugLine) {
  const std::vector<std::pair<bool, bool>> present = {{false, false}, {true, false}, {false, true}};
  for (auto [tr, ix] : present) {
    ScopedMemoryFs fresh;
    if (tr) fresh.fs.AddFile(kDeDe, Utf16File(u"Form_Veilcap.Tray_Quit=Quit\r\nMESSAGES.MESSAGE_STATUS_PLEASEWAIT=x\r\n"));
    if (ix) fresh.fs.AddFile(kIndex, {});
    auto main = MainWindow();
    LOAD_TRANSLATION_TO_FORM(kFolder, u"de-de", *main);
    LOAD_INTERNAL_ONLY(kFolder, u"de-de");
    EXPECT_EQ(Caption(*main, u"Tray_Quit"), u"Beenden");
    EXPECT_EQ(ToUtf8(MESSAGE_STATUS_PLEASEWAIT), "Bitte warten...");
    for (const auto& m : MessageTable()) EXPECT_EQ(*m.text, u16(m.builtInText)) << ToUtf8(m.key);
    EXPECT_FALSE(Lang);
    EXPECT_FALSE(MessagesLoaded);
  }
  EXPECT_TRUE(debug.lines.empty());
}

TEST_F(TranslateTest, MessagesAreReadOncePerStoreAndAgainAfterALanguageChange) {
  mem.fs.AddFile(kDeDe, Utf16File(u"MESSAGES.MESSAGE_STATUS_PLEASEWAIT=Bitte warten!\r\n"
                                  u"MESSAGES.MESSAGE_STATUS_CAM_MULTIPLE=%1 von %2\r\n"
                                  u"Form_Veilcap.Tray_Show=Zeigen\r\n"
                                  u"Form_VCP_Devices.VirtualDrawTree_Devices=A%CRLFB\r\n"));
  mem.fs.AddFile(kFolder + u"\\en-us.tlang3", Utf16File(u"MESSAGES.MESSAGE_STATUS_PLEASEWAIT=Please wait\r\n"
                                                        u"Form_Veilcap.Tray_Quit=Quit\r\n"));
  mem.fs.AddFile(kIndex, {});
  auto main = MainWindow();
  auto devices = DeviceWindow();
  LOAD_TRANSLATION_TO_FORM(kFolder, u"de-de", *main);
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_PLEASEWAIT), "Bitte warten!");
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_CAM_MULTIPLE), "%1 von %2");
  EXPECT_EQ(MESSAGE_STATUS_CAM_NOTFOUND, u"");

  // The device window uses the same store: the file is not read again, nor are the messages.
  mem.fs.AddFile(kDeDe, Utf16File(u"Form_VCP_Devices.VirtualDrawTree_Devices=X\r\n"));
  MESSAGE_STATUS_PLEASEWAIT = u"changed";
  LOAD_TRANSLATION_TO_FORM(kFolder, u"de-de", *devices);
  EXPECT_EQ(devices->Find(u"VirtualDrawTree_Devices")->Items, V({u"A", u"B"}));
  EXPECT_EQ(devices->Find(u"VirtualDrawTree_Devices")->HeaderFontName, u"Tahoma");
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_PLEASEWAIT), "changed");

  // A language change: new store, messages refilled, texts the new language lacks stay as they were.
  Lang.reset();
  MessagesLoaded = false;
  LOAD_INTERNAL_ONLY(kFolder, u"en-us");
  LOAD_TRANSLATION_TO_FORM(kFolder, u"en-us", *main);
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_PLEASEWAIT), "Please wait");
  EXPECT_EQ(MESSAGE_STATUS_CAM_MULTIPLE, u"");
  EXPECT_EQ(Caption(*main, u"Tray_Quit"), u"Quit");
  EXPECT_EQ(Caption(*main, u"Tray_Show"), u"Zeigen");
  EXPECT_EQ(debug.Utf8(), (std::vector<std::string>{
                              "TranslationCount=4", "LOAD_TRANSLATION_TO_FORM \"TForm_Veilcap\" took 7 ms",
                              "LOAD_TRANSLATION_TO_FORM \"TForm_VCP_Devices\" took 7 ms", "TranslationCount=2",
                              "LOAD_INTERNAL_ONLY took 7 ms", "LOAD_TRANSLATION_TO_FORM \"TForm_Veilcap\" took 7 ms"}));
}

TEST_F(TranslateTest, ExportIntoEmptyFilesAddsTextsAndIndexLines) {
  mem.fs.AddFile(kDeDe, {});
  mem.fs.AddFile(kIndex, {});
  auto devices = DeviceWindow();
  Lang = std::make_unique<TLang>();
  SAVE_TRANSLATION_FROM_FORM(kFolder, u"de-de", *devices, u"01.00.30");
  EXPECT_FALSE(Lang);
  std::vector<u16> expected{u"Form_VCP_Devices.Form_VCP_Devices=Entdeckte Ger\u00e4te",
                            u"Form_VCP_Devices.VirtualDrawTree_Devices=Ger\u00e4t%CRLFStatus"};
  for (size_t i = kOriginalMessageCount; i < MessageTable().size(); ++i)
    expected.push_back(u"MESSAGES." + u16(MessageTable()[i].key) + u"=" + EscapeLineBreaks(MessageTable()[i].builtInText));
  EXPECT_EQ(Lines(kDeDe), expected);
  EXPECT_EQ(mem.fs.Bytes(kDeDe)[0], 0xFF);
  EXPECT_EQ(mem.fs.Bytes(kIndex), Bytes("Form_VCP_Devices.Form_VCP_Devices=TEXT,0,01.00.30\r\n"
                                        "Form_VCP_Devices.VirtualDrawTree_Devices=TEXT,0,01.00.30\r\n"));
}

TEST_F(TranslateTest, ExportRewritesChangedTextsAndKeepsRecordedWidths) {
  const std::string index = "Form_Veilcap.Label_RebootNeed_Cam=TEXT,200,01.00.20\r\n"
                            "Form_Veilcap.Tray_Show=TEXT,5,old\r\n"
                            "Form_Veilcap.Tray_Lang=TEXT,0,01.00.20\r\n";
  mem.fs.AddFile(kDeDe, Bytes("Form_Veilcap.Label_RebootNeed_Cam=Neustart!\r\n"
                              "Form_Veilcap.Tray_Show=Anzeigen\r\n"
                              "Form_Veilcap.Tray_Lang=Language\r\n"));
  mem.fs.AddFile(kIndex, Bytes(index));
  auto main = MainWindow();
  SAVE_TRANSLATION_FROM_FORM(kFolder, u"de-de", *main, u"01.00.30");
  std::vector<u16> expected{u"Form_Veilcap.Label_RebootNeed_Cam=Neustart n\u00f6tig", u"Form_Veilcap.Tray_Show=Anzeigen",
                            u"Form_Veilcap.Tray_Lang=Sprache", u"Form_Veilcap.Tray_Quit=Beenden"};
  for (size_t i = kOriginalMessageCount; i < MessageTable().size(); ++i)
    expected.push_back(u"MESSAGES." + u16(MessageTable()[i].key) + u"=" + EscapeLineBreaks(MessageTable()[i].builtInText));
  EXPECT_EQ(Lines(kDeDe), expected);
  EXPECT_EQ(mem.fs.Bytes(kIndex), Bytes("Form_Veilcap.Label_RebootNeed_Cam=TEXT,200,01.00.30\r\n"
                                        "Form_Veilcap.Tray_Show=TEXT,5,old\r\n"
                                        "Form_Veilcap.Tray_Lang=TEXT,0,01.00.30\r\n"
                                        "Form_Veilcap.Tray_Quit=TEXT,0,01.00.30\r\n"));
}

TEST_F(TranslateTest, ExportStopsBeforeWritingWhenARecordedWidthIsNoNumber) {
  const std::string tr = "Form_Veilcap.Tray_Show=Zeigen\r\n";
  const std::string index = "Form_Veilcap.Tray_Show=TEXT\r\n";
  mem.fs.AddFile(kDeDe, Bytes(tr));
  mem.fs.AddFile(kIndex, Bytes(index));
  auto main = MainWindow();
  EXPECT_THROW(SAVE_TRANSLATION_FROM_FORM(kFolder, u"de-de", *main, u"01.00.30"), IndexConversionError);
  EXPECT_FALSE(Lang);
  EXPECT_TRUE(mem.fs.writes.empty());
  EXPECT_EQ(mem.fs.Bytes(kDeDe), Bytes(tr));

  // The same line does no harm while the text is unchanged: the width is only read for changes.
  mem.fs.AddFile(kDeDe, Bytes("Form_Veilcap.Tray_Show=Anzeigen\r\n"));
  EXPECT_NO_THROW(SAVE_TRANSLATION_FROM_FORM(kFolder, u"de-de", *main, u"01.00.30"));
  EXPECT_EQ(Lines(kIndex).front(), u"Form_Veilcap.Tray_Show=TEXT");
}

TEST(MessageTextsTest, BuiltInTextsAreTheGermanOnes) {
  Init_Messages();
  ASSERT_GE(MessageTable().size(), kOriginalMessageCount);
  for (size_t i = 0; i < MessageTable().size(); ++i)
    EXPECT_EQ(MessageTable()[i].englishText == nullptr, i < kOriginalMessageCount) << ToUtf8(MessageTable()[i].key);
  EXPECT_EQ(ToUtf8(MESSAGE_DEVICES_STATUS_PROBLEM), "Ger\xc3\xa4t meldet Problemcode");
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_NEED_RESTART),
            "Der Status des Ger\xc3\xa4tes konnte nicht vollst\xc3\xa4ndig ge\xc3\xa4ndert werden. Vermutlich wird "
            "das Ger\xc3\xa4t aktuell von einer Anwendung noch verwendet. Beenden Sie diese und versuchen Sie es "
            "dann erneut.");
  EXPECT_EQ(ToUtf8(MESSAGE_STATUS_MIC_DEACTIVATE_FAILED),
            "Ein oder mehrere Mikrofone konnten nicht deaktiviert werden. Dies kann z.B. der Fall sein wenn das "
            "Mikrofon Teil eines Headsets ist und nicht seperat deaktiviert werden kann, ohne den Kopfh\xc3\xb6rer "
            "ebenfalls zu deaktivieren.");
  for (const auto& m : MessageTable()) EXPECT_EQ(*m.text, u16(m.builtInText)) << ToUtf8(m.key);
}
}  // namespace

#include "lang/translate.h"

#include <chrono>

#include "core/debug.h"
#include "core/fs.h"
#include "lang/messages.h"

std::unique_ptr<TLang> Lang;
bool MessagesLoaded = false;

namespace {
TickSource* g_ticks = nullptr;

uint32_t Ticks() {
  if (g_ticks) return g_ticks->TickCount();
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return uint32_t(ms.count());
}

// Multi-part texts: part i is the text up to the next line break; when the breaks run out every
// remaining item gets the same last part.
void SplitInto(std::vector<u16>& items, u16v text) {
  u16v rest = text;
  for (auto& item : items) {
    size_t br = rest.find(u"\r\n");
    if (br != u16v::npos) {
      item = u16(rest.substr(0, br));
      rest = rest.substr(br + 2);
    } else {
      item = u16(rest);
    }
  }
}

u16 Join(const std::vector<u16>& items) {
  u16 r;
  for (const auto& item : items) {
    r += item;
    r += u"\r\n";
  }
  r.resize(r.size() - 2);  // callers pass at least one item
  return r;
}

bool IsClass(const u16& upperClass, std::initializer_list<u16v> names) {
  for (u16v n : names)
    if (upperClass == n) return true;
  return false;
}

// Puts text into the first part of c that can show it; false when there is none.
bool PutText(TComponent& c, const u16& upperClass, const u16& text) {
  if (upperClass == u"THTMLABEL") {
    c.HTMLLines = SplitLines(text);
    return true;
  }
  if (upperClass == u"TADVSMOOTHLABEL") {
    c.CaptionText = text;
    return true;
  }
  if (IsClass(upperClass, {u"TADVOFFICETABSET", u"TVIRTUALDRAWTREE", u"TLISTVIEW"}) && !c.Items.empty()) {
    SplitInto(c.Items, text);
    return true;
  }
  if (c.HTMLText) {
    c.HTMLText = text;
    return true;
  }
  if (c.Caption) {
    c.Caption = text;
    return true;
  }
  return false;
}

// The text c shows now, and whether it is markup.
u16 CurrentText(const TComponent& c, const u16& upperClass, bool& html) {
  if (upperClass == u"THTMLABEL") {
    html = true;
    u16 r;
    for (const auto& line : c.HTMLLines) r += line + u"\r\n";
    return r;
  }
  if (upperClass == u"TADVSMOOTHLABEL") return c.CaptionText;
  if (c.HTMLText && !c.HTMLText->empty()) {
    html = true;
    return *c.HTMLText;
  }
  if (c.Caption && !c.Caption->empty()) return *c.Caption;
  if (IsClass(upperClass, {u"TVIRTUALDRAWTREE", u"TLISTVIEW", u"TADVOFFICETABSET"}) && !c.Items.empty())
    return Join(c.Items);
  return {};
}

// The width a text of c has to fit; later rules override earlier ones.
int32_t TextWidth(const TComponent& c, const u16& upperClass) {
  int32_t width = 0;
  int32_t w = c.Width.value_or(0);
  if (c.AutoSize && !*c.AutoSize) width = w;
  if (c.AutoSizeType && AsciiUpper(*c.AutoSizeType) == u"ASVERTICAL") width = w;
  if (c.CaptionMaxWidth) width = *c.CaptionMaxWidth;
  if (IsClass(upperClass, {u"TADVSMOOTHLABEL", u"TCHECKBOX", u"TTNTCHECKBOX", u"TRADIOBUTTON",
                           u"TTNTRADIOBUTTON", u"TBUTTON", u"TTNTBUTTON"}))
    width = w;
  if (upperClass == u"TADVGLOWBUTTON") width = w > 48 ? w - 26 : w;
  return width;
}

void DropStore() {
  Lang.reset();
}
}  // namespace

void SetTickSource(TickSource* source) { g_ticks = source; }

void TLang::Set_Components(u16v SectionID, TComponent& Obj) {
  if (Obj.Tag != 0) {
    u16 text = Get_StringW(SectionID, Obj.Name);
    if (!text.empty()) {
      u16 upperClass = AsciiUpper(Obj.ClassName);
      if (upperClass == u"TVIRTUALDRAWTREE") Obj.HeaderFontName = u"Tahoma";
      if (PutText(Obj, upperClass, text)) {
        if (upperClass == u"TTARVOUNICODESTBUTTON" && Obj.Repaint) Obj.Repaint();
      } else {
        ++MissingObjects;
      }
    }
  }
  for (auto& child : Obj.Components) Set_Components(SectionID, *child);
}

void TLang::Get_Components(u16v SectionID, const TComponent& Obj, u16v Version) {
  if (Obj.Tag != 0) {
    u16 upperClass = AsciiUpper(Obj.ClassName);
    bool html = false;
    u16 current = CurrentText(Obj, upperClass, html);
    int32_t width = TextWidth(Obj, upperClass);
    u16 stored = Get_StringW(SectionID, Obj.Name);
    if (stored != current) {
      Add_StringW(SectionID, Obj.Name, current);
      // A width already recorded for this text is kept.
      bool recordedHtml = false;
      int32_t recordedWidth = 0;
      u16 recordedVersion;
      Read_FromIndex(SectionID, Obj.Name, recordedHtml, recordedWidth, recordedVersion);
      if (recordedWidth > 0) width = recordedWidth;
      Save_ToIndex(SectionID, Obj.Name, html, width, Version);
    }
  }
  for (const auto& child : Obj.Components) Get_Components(SectionID, *child, Version);
}

u16 TranslationFilePath(const u16& folder, const u16& language) {
  return folder + u"\\" + language + u".tlang3";
}
u16 IndexFilePath(const u16& folder) { return folder + u"\\index.txt"; }

void LOAD_TRANSLATION_TO_FORM(const u16& folder, const u16& language, TComponent& window) {
  uint32_t start = Ticks();
  if (Lang) {
    Lang->Set_Components(window.Name, window);
  } else {
    u16 translationFile = TranslationFilePath(folder, language);
    u16 indexFile = IndexFilePath(folder);
    if (!Fs().FileExists(translationFile) || !Fs().FileExists(indexFile)) return;
    auto store = std::make_unique<TLang>();
    store->Load_Translation(translationFile, indexFile);
    Lang = std::move(store);
    Lang->Set_Components(window.Name, window);
  }
  LOAD_MESSAGES();
  DebugOut(u"LOAD_TRANSLATION_TO_FORM \"" + window.ClassName + u"\" took " + ToDecU(uint32_t(Ticks() - start)) +
           u" ms");
}

void LOAD_INTERNAL_ONLY(const u16& folder, const u16& language) {
  uint32_t start = Ticks();
  u16 translationFile = TranslationFilePath(folder, language);
  u16 indexFile = IndexFilePath(folder);
  if (Lang) {
    Lang->Load_Translation(translationFile, indexFile);
  } else {
    if (!Fs().FileExists(translationFile) || !Fs().FileExists(indexFile)) return;
    auto store = std::make_unique<TLang>();
    store->Load_Translation(translationFile, indexFile);
    Lang = std::move(store);
  }
  LOAD_MESSAGES();
  DebugOut(u"LOAD_INTERNAL_ONLY took " + ToDecU(uint32_t(Ticks() - start)) + u" ms");
}

void LOAD_MESSAGES() {
  if (MessagesLoaded || !Lang) return;
  MessagesLoaded = true;
  // A key the file lacks empties one of the original messages: the built-in text is not brought
  // back. A later message falls back to its English text, so an older file shows no empty text.
  for (const auto& m : MessageTable()) {
    *m.text = Lang->Get_StringW(u"MESSAGES", m.key);
    if (m.text->empty() && m.englishText) *m.text = m.englishText;
  }
}

void SAVE_TRANSLATION_FROM_FORM(const u16& folder, const u16& language, const TComponent& window,
                                const u16& version) {
  u16 translationFile = TranslationFilePath(folder, language);
  u16 indexFile = IndexFilePath(folder);
  Lang = std::make_unique<TLang>();
  try {
    Lang->Load_Translation(translationFile, indexFile);
    Lang->Get_Components(window.Name, window, version);
    // Messages added after the original thirteen go out with the window texts, in their built-in
    // wording, so the file names every key a translator has to fill; a key already there stays.
    const auto& table = MessageTable();
    for (size_t i = kOriginalMessageCount; i < table.size(); ++i)
      if (Lang->GetStringWIndex(u"MESSAGES", table[i].key) < 0)
        Lang->Add_StringW(u"MESSAGES", table[i].key, table[i].builtInText);
    Lang->Save_Translation(translationFile, indexFile);
  } catch (...) {
    // A half-done export store must not serve later loads.
    DropStore();
    throw;
  }
  DropStore();
}

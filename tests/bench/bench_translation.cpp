// Loading a large translation file, and translating a window of 500 tagged components from it.
#include <benchmark/benchmark.h>

#include "fakes/cp1252.h"
#include "fakes/memory_fs.h"
#include "lang/tlang.h"

namespace {
const u16 kTr = u"C:\\app\\translation\\de-de.tlang3";
const u16 kIx = u"C:\\app\\translation\\index.txt";
constexpr int kLines = 20000;
constexpr int kComponents = 500;

u16 Section(int i) { return u"Form_" + ToDec(i % 7); }
u16 Component(int i) { return u"Component_" + ToDec(i); }

void AddFiles(MemoryFileSystem& fs) {
  std::vector<u16> tr, ix;
  for (int i = 0; i < kLines; ++i) {
    u16 key = Section(i) + u"." + Component(i);
    tr.push_back(key + u"=\u00dcbersetzter Text Nummer " + ToDec(i) + u"%CRLFzweite Zeile");
    ix.push_back(key + u"=TEXT," + ToDec(i % 300) + u",01.00.30");
  }
  fs.AddFile(kTr, EncodeLines(tr, TextEncoding::Utf16LE));
  fs.AddFile(kIx, EncodeLines(ix, TextEncoding::Ansi));
}

void BM_LoadTranslation20000Lines(benchmark::State& state) {
  ScopedMemoryFs mem;
  ScopedCp1252 cp;
  AddFiles(mem.fs);
  for (auto _ : state) {
    TLang lang;
    lang.Load_Translation(kTr, kIx);
    benchmark::DoNotOptimize(lang.Translation.Count());
  }
}
BENCHMARK(BM_LoadTranslation20000Lines)->Unit(benchmark::kMillisecond);

// A window of nested panels whose tagged components are labels, buttons, trees and tab sets,
// each with a key somewhere in the 20,000 lines.
std::unique_ptr<TComponent> BigWindow(int section) {
  auto w = std::make_unique<TComponent>(u"TForm_Big", u"Form_" + ToDec(section), 0);
  TComponent* panel = w.get();
  for (int n = 0; n < kComponents; ++n) {
    if (n % 50 == 0) panel = &w->Add(u"TPanel", u"Panel" + ToDec(n), 0);
    int line = section + 7 * (n * 5);  // keys of this section, spread over the file
    static const char16_t* kClasses[] = {u"TLabel", u"TButton", u"TVirtualDrawTree", u"TAdvOfficeTabSet",
                                        u"THTMLabel"};
    TComponent& c = panel->Add(kClasses[n % 5], Component(line), 1);
    c.Caption = u"Text";
    c.Items = {u"a", u"b"};
  }
  return w;
}

void BM_TranslateWindowOf500Components(benchmark::State& state) {
  ScopedMemoryFs mem;
  ScopedCp1252 cp;
  AddFiles(mem.fs);
  TLang lang;
  lang.Load_Translation(kTr, kIx);
  auto window = BigWindow(3);
  for (auto _ : state) {
    lang.Set_Components(window->Name, *window);
    benchmark::DoNotOptimize(lang.MissingItemsInTranslation);
  }
  if (lang.MissingItemsInTranslation != 0) state.SkipWithError("a component found no text");
}
BENCHMARK(BM_TranslateWindowOf500Components)->Unit(benchmark::kMicrosecond);
}  // namespace

BENCHMARK_MAIN();

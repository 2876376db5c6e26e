// Putting the current translation into windows and the message table, and the export of a
// window's built-in texts into the translation files.
#pragma once
#include <cstdint>
#include <memory>

#include "lang/component.h"
#include "lang/tlang.h"

// The shared translation store: none at start, created by the first load that finds both files.
extern std::unique_ptr<TLang> Lang;
// True once the messages were filled from the current store.
extern bool MessagesLoaded;

// Millisecond tick count for the elapsed times of the debug lines (GetTickCount on Windows).
class TickSource {
 public:
  virtual ~TickSource() = default;
  virtual uint32_t TickCount() = 0;
};
// Installs the tick source (not owned); nullptr goes back to the steady clock.
void SetTickSource(TickSource* source);

// Files of a language: folder + "\" + language + ".tlang3" and folder + "\index.txt".
u16 TranslationFilePath(const u16& folder, const u16& language);
u16 IndexFilePath(const u16& folder);

// Translates window (and everything it owns) from the shared store, creating the store from the
// language's files when there is none yet; fills the messages once per store.
void LOAD_TRANSLATION_TO_FORM(const u16& folder, const u16& language, TComponent& window);
// Loads the language's files into the shared store (creating it when both files exist) and fills
// the messages.
void LOAD_INTERNAL_ONLY(const u16& folder, const u16& language);
// Fills the message table from the shared store, once per store.
void LOAD_MESSAGES();
// Exports the tagged texts of window (and the messages added after the original thirteen that the
// file lacks) into the language's translation file and the index file,
// with a store of its own; the shared store is cleared afterwards. Raises OsError on file errors
// and IndexConversionError for an index width that is not a number (nothing is written then).
void SAVE_TRANSLATION_FROM_FORM(const u16& folder, const u16& language, const TComponent& window,
                                const u16& version);

// Names that come from outside the program (device names, program names from the consent store,
// any text another program can choose) made plain before they are shown anywhere: on screen, in
// notices and tooltips, on an administrator's console.
#pragma once
#include <cstddef>

#include "core/text.h"

// The text without what could hide or reorder the text around it or steer a terminal:
//  - the C0 and C1 control characters and DEL: a line break, tab and NEL become one space, every
//    other one is removed (so an escape sequence loses its ESC);
//  - the bidirectional embeddings, overrides and isolates (U+202A..U+202E, U+2066..U+2069) and the
//    direction marks (U+200E, U+200F, U+061C) are removed;
//  - a surrogate that is not half of a pair becomes U+FFFD; pairs are kept.
// A result longer than maxChars is cut to maxChars - 1 characters and "…", never inside a pair.
u16 PlainText(u16v text, size_t maxChars = u16::npos);

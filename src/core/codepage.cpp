#include "core/codepage.h"

namespace {
// Until a real code page is installed, bytes map to the first 256 code points (Latin-1).
class Latin1 final : public AnsiCodePage {
 public:
  std::string FromUtf16(u16v s) const override {
    std::string r;
    r.reserve(s.size());
    for (char16_t c : s) r.push_back(c < 256 ? char(c) : '?');
    return r;
  }
  u16 ToUtf16(std::string_view s) const override {
    u16 r;
    r.reserve(s.size());
    for (char c : s) r.push_back(char16_t(static_cast<unsigned char>(c)));
    return r;
  }
};
const Latin1 g_latin1;
const AnsiCodePage* g_cp = &g_latin1;
}  // namespace

void SetAnsiCodePage(const AnsiCodePage* cp) { g_cp = cp ? cp : &g_latin1; }
const AnsiCodePage& Ansi() { return *g_cp; }

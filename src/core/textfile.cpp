#include "core/textfile.h"

#include "core/codepage.h"
#include "core/errors.h"
#include "core/fs.h"

namespace {
u16 (*g_errorText)(uint32_t) = nullptr;
}

void SetSystemErrorTextProvider(u16 (*provider)(uint32_t)) { g_errorText = provider; }

u16 ErrorCodeText(uint32_t code) {
  if (code <= 0xFFFF) return ToDecU(code);
  static const char16_t kDigits[] = u"0123456789ABCDEF";
  u16 hex = u"0x";
  for (int shift = 28; shift >= 0; shift -= 4) hex += kDigits[(code >> shift) & 0xF];
  return hex;
}

u16 SystemErrorText(uint32_t code) {
  if (g_errorText) return g_errorText(code);
  return u"System error " + ToDecU(code);
}

DecodedText DecodeText(const std::vector<uint8_t>& b) {
  DecodedText r;
  auto utf16 = [&](size_t from, bool little) {
    size_t n = (b.size() - from) / 2;
    r.text.resize(n);
    for (size_t i = 0; i < n; ++i) {
      uint8_t lo = b[from + 2 * i], hi = b[from + 2 * i + 1];
      r.text[i] = little ? char16_t(lo | (hi << 8)) : char16_t(hi | (lo << 8));
    }
  };
  if (b.size() >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
    r.encoding = TextEncoding::Utf16LE;
    utf16(2, true);
  } else if (b.size() >= 2 && b[0] == 0xFE && b[1] == 0xFF) {
    r.encoding = TextEncoding::Utf16BE;
    utf16(2, false);
  } else if (b.size() >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
    r.encoding = TextEncoding::Utf8;
    r.text = FromUtf8(std::string_view(reinterpret_cast<const char*>(b.data()) + 3, b.size() - 3));
  } else {
    r.encoding = TextEncoding::Ansi;
    r.text = Ansi().ToUtf16(std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
  }
  return r;
}

std::vector<uint8_t> EncodeText(u16v text, TextEncoding encoding) {
  std::vector<uint8_t> out;
  switch (encoding) {
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE: {
      bool le = encoding == TextEncoding::Utf16LE;
      out.reserve(2 + text.size() * 2);
      out.push_back(le ? 0xFF : 0xFE);
      out.push_back(le ? 0xFE : 0xFF);
      for (char16_t c : text) {
        uint8_t lo = uint8_t(c & 0xFF), hi = uint8_t(c >> 8);
        out.push_back(le ? lo : hi);
        out.push_back(le ? hi : lo);
      }
      break;
    }
    case TextEncoding::Utf8: {
      std::string s = ToUtf8(text);
      out = {0xEF, 0xBB, 0xBF};
      out.insert(out.end(), s.begin(), s.end());
      break;
    }
    case TextEncoding::Ansi: {
      std::string s = Ansi().FromUtf16(text);
      out.assign(s.begin(), s.end());
      break;
    }
  }
  return out;
}

std::vector<uint8_t> EncodeLines(const std::vector<u16>& lines, TextEncoding encoding) {
  u16 all;
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  all.reserve(total);
  for (const auto& l : lines) {
    all += l;
    all += u"\r\n";
  }
  return EncodeText(all, encoding);
}

TextLines ReadTextLines(const u16& path) {
  uint32_t err = 0;
  auto bytes = Fs().ReadAll(path, &err);
  if (!bytes) throw OsError(err, SystemErrorText(err));
  DecodedText d = DecodeText(*bytes);
  return TextLines{d.encoding, SplitLines(d.text)};
}

void WriteTextLines(const u16& path, const std::vector<u16>& lines, TextEncoding encoding) {
  uint32_t err = Fs().WriteAll(path, EncodeLines(lines, encoding));
  if (err) throw OsError(err, SystemErrorText(err));
}

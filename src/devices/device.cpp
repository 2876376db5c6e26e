#include "devices/device.h"

#include <algorithm>

#include "core/codepage.h"

void ShortString255::Set(u16v text) {
  std::string bytes = Ansi().FromUtf16(text.substr(0, kCapacity));
  length_ = uint8_t(std::min<size_t>(bytes.size(), kCapacity));
  std::fill(std::begin(data_), std::end(data_), '\0');
  std::copy_n(bytes.data(), length_, data_);
}

u16 ShortString255::Get() const { return Ansi().ToUtf16(Bytes()); }

bool IsMicrophone(const TTreeData_Device& d) {
  // The class text is ASCII, so its bytes in any ANSI code page are its UTF-16 units narrowed.
  constexpr u16v kAudio = kClassAudioEndpoint;
  std::string_view b = d.ClassGUID_.Bytes();
  return b.size() == kAudio.size() && std::equal(b.begin(), b.end(), kAudio.begin(),
                                                 [](char c, char16_t w) { return char16_t(uint8_t(c)) == w; });
}

// One detected device: three short strings of capacity 255 in the system's 8-bit code page,
// four flags, the Plug-and-Play problem code and the record's position in the device list.
#pragma once
#include <cstdint>

#include "core/text.h"

// A short string of capacity 255: one length byte and up to 255 bytes of text in the ANSI code
// page. Storing takes at most the first 255 UTF-16 units, converts them (unrepresentable
// characters become the code page's default character) and cuts the result at 255 bytes;
// every read converts back with the same code page.
class ShortString255 {
 public:
  static constexpr int kCapacity = 255;
  void Set(u16v text);
  u16 Get() const;
  // The stored bytes, as they are.
  std::string_view Bytes() const { return std::string_view(data_, length_); }

 private:
  uint8_t length_ = 0;
  char data_[kCapacity] = {};
};

// Setup class texts as the device list stores them.
inline constexpr char16_t kClassImage[] = u"{6BDD1FC6-810F-11D0-BEC7-08002BE2092F}";
inline constexpr char16_t kClassCamera[] = u"{CA3E7AB9-B4C3-4AE6-8251-579EF933890F}";
inline constexpr char16_t kClassAudioEndpoint[] = u"{C166523C-FE0C-4A94-A586-F1A80CFBBF3E}";

struct TTreeData_Device {
  ShortString255 FriendlyName_;
  ShortString255 InstanceID_;
  ShortString255 ClassGUID_;
  bool connected = false;            // DirectShow offers the device as a capture source now
  bool found_in_DirectShow = false;  // a DirectShow entry matched; always set with connected
  bool RebootRequired = false;       // the device node needs a restart of Windows
  bool Watch = false;                // switched and counted by the program
  uint32_t ProblemCode = 0;          // 0 working, 22 disabled
  int32_t Index_In_Array = 0;        // position in the device list, from 0

  u16 FriendlyName() const { return FriendlyName_.Get(); }
  u16 InstanceID() const { return InstanceID_.Get(); }
  u16 ClassGUID() const { return ClassGUID_.Get(); }
  void SetFriendlyName(u16v s) { FriendlyName_.Set(s); }
  void SetInstanceID(u16v s) { InstanceID_.Set(s); }
  void SetClassGUID(u16v s) { ClassGUID_.Set(s); }
};

// The one test of a device's kind used everywhere: a record is a microphone exactly when its
// class is the audio-endpoint class (stored bytes equal, length included); anything else is a
// camera. Audio endpoints include speakers; the program does not tell them apart.
bool IsMicrophone(const TTreeData_Device& d);
inline bool IsCamera(const TTreeData_Device& d) { return !IsMicrophone(d); }

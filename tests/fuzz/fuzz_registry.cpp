// Registry decoding over arbitrary value types and bytes: no crash, no sanitizer report, and the
// integer reading agrees with the text reading where both are defined.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "fakes/memory_registry.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static MemoryRegistry reg;
  SetRegistryBackend(&reg, (data[0] & 0x80) != 0);
  const uint32_t type = data[0] & 0x0F;  // covers every type the routines know and a few they do not
  const u16 key = u"SOFTWARE\\Fuzz", name = u"v";
  reg.Put(RegRoot::CurrentUser, key, name, type, std::vector<uint8_t>(data + 1, data + size));

  const u16 text = Reg_ReadString(RegRoot::CurrentUser, key, name);
  const int32_t number = Reg_ReadInteger(RegRoot::CurrentUser, key, name);
  if (!Reg_ValueExists(RegRoot::CurrentUser, key, name)) std::abort();
  if (type == REG_TYPE_DWORD && size - 1 == 4 && text != ToDecU(uint32_t(number))) std::abort();
  if (reg.OpenHandles() != 0) std::abort();
  (void)text;
  return 0;
}

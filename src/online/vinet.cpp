#include "online/vinet.h"

namespace {
// The program without the library: nothing happens, nothing is offered.
class NoOnlineLibrary final : public OnlineLibrary {
 public:
  void Init(int32_t) override {}
  void SetBaseFolder(const u16&) override {}
  void SetProductID(const u16&) override {}
  void SetProductVersion(const u16&) override {}
  void SetProductName(const u16&) override {}
  void SetProductLang(const u16&) override {}
  void SetRegistryKey(uint32_t, const u16&) override {}
  void SetUserRegistryKey(uint32_t, const u16&) override {}
  void SetSystemRegistryKey(uint32_t, const u16&) override {}
  void InitAnalyticsManager() override {}
  int32_t StartAllChecks(OwnerWindow) override { return 0; }
  void OpenLinkTargetInBrowser(const u16&, const u16&, const u16&, int32_t, const u16&, const u16&) override {}
  int32_t GetMenuItemsCount(int32_t) override { return 0; }
  int32_t GetMenuItemsID(int32_t, int32_t) override { return 0; }
  std::optional<u16> GetMenuItemsText(int32_t, int32_t) override { return std::nullopt; }
  uintptr_t GetMenuItemsImage(int32_t, int32_t) override { return 0; }
  int32_t ProcessMenuItem(OwnerWindow, int32_t) override { return 0; }
  void Shutdown(OwnerWindow) override {}
  void Destroy() override {}
};

NoOnlineLibrary g_none;
OnlineLibrary* g_library = &g_none;
}  // namespace

void SetOnlineLibrary(OnlineLibrary* library) { g_library = library ? library : &g_none; }
OnlineLibrary& OnlineLib() { return *g_library; }

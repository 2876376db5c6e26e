// vos_inet2.dll beside the executable, loaded when a function is first needed.
#pragma once
#include <windows.h>

#include "online/vinet.h"

class VinetDll final : public OnlineLibrary {
 public:
  void Init(int32_t mode) override;
  void SetBaseFolder(const u16& folder) override;
  void SetProductID(const u16& id) override;
  void SetProductVersion(const u16& version) override;
  void SetProductName(const u16& name) override;
  void SetProductLang(const u16& tag) override;
  void SetRegistryKey(uint32_t root, const u16& key) override;
  void SetUserRegistryKey(uint32_t root, const u16& key) override;
  void SetSystemRegistryKey(uint32_t root, const u16& key) override;
  void InitAnalyticsManager() override;
  int32_t StartAllChecks(OwnerWindow window) override;
  void OpenLinkTargetInBrowser(const u16& target, const u16& productId, const u16& version, int32_t flags,
                               const u16& tag, const u16& extra) override;
  int32_t GetMenuItemsCount(int32_t menu) override;
  int32_t GetMenuItemsID(int32_t menu, int32_t index) override;
  std::optional<u16> GetMenuItemsText(int32_t menu, int32_t index) override;
  uintptr_t GetMenuItemsImage(int32_t menu, int32_t index) override;
  int32_t ProcessMenuItem(OwnerWindow window, int32_t id) override;
  void Shutdown(OwnerWindow window) override;
  void Destroy() override;

  // Whether the library file was found and loaded (loads it on first use).
  bool Loaded();

 private:
  template <class F>
  F Function(const char* name);

  HMODULE module_ = nullptr;
  bool tried_ = false;
};

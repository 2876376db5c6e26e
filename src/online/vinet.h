// The maker's online-services library (vos_inet2.dll) as the program calls it: one method per
// library function, UTF-16 text. Windows: the library beside the executable, each function looked
// up by name when first needed; a missing library or function does nothing and answers 0, no text
// and no icon, like a library without items. Tests: a recording fake.
#pragma once
#include <cstdint>
#include <optional>

#include "core/text.h"
#include "platform/process.h"  // OwnerWindow

class OnlineLibrary {
 public:
  virtual ~OnlineLibrary() = default;
  virtual void Init(int32_t mode) = 0;
  virtual void SetBaseFolder(const u16& folder) = 0;
  virtual void SetProductID(const u16& id) = 0;
  virtual void SetProductVersion(const u16& version) = 0;
  virtual void SetProductName(const u16& name) = 0;
  virtual void SetProductLang(const u16& tag) = 0;
  // root is a predefined registry root as its 32-bit value (0x80000002: HKEY_LOCAL_MACHINE).
  virtual void SetRegistryKey(uint32_t root, const u16& key) = 0;
  virtual void SetUserRegistryKey(uint32_t root, const u16& key) = 0;
  virtual void SetSystemRegistryKey(uint32_t root, const u16& key) = 0;
  virtual void InitAnalyticsManager() = 0;
  virtual int32_t StartAllChecks(OwnerWindow window) = 0;
  virtual void OpenLinkTargetInBrowser(const u16& target, const u16& productId, const u16& version, int32_t flags,
                                       const u16& tag, const u16& extra) = 0;
  virtual int32_t GetMenuItemsCount(int32_t menu) = 0;
  virtual int32_t GetMenuItemsID(int32_t menu, int32_t index) = 0;
  // nullopt: the library answered no text at all.
  virtual std::optional<u16> GetMenuItemsText(int32_t menu, int32_t index) = 0;
  // An icon handle, or 0 when the library gives none or one that is not a valid icon.
  virtual uintptr_t GetMenuItemsImage(int32_t menu, int32_t index) = 0;
  virtual int32_t ProcessMenuItem(OwnerWindow window, int32_t id) = 0;
  virtual void Shutdown(OwnerWindow window) = 0;
  virtual void Destroy() = 0;
};

// Installs the library (not owned); nullptr installs one without anything: no items, checks
// answer 0, no pages.
void SetOnlineLibrary(OnlineLibrary* library);
OnlineLibrary& OnlineLib();

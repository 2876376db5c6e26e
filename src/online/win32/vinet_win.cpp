#include "online/win32/vinet_win.h"

#include "core/win32/windows_seams.h"
#include "online/win32/vinet_abi.h"
#include "platform/environment.h"

namespace {
HKEY RootKey(uint32_t root) { return reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG>(root))); }
HWND Hwnd(OwnerWindow w) { return static_cast<HWND>(w); }
}  // namespace

bool VinetDll::Loaded() {
  if (!tried_) {
    tried_ = true;
    // The full path: never a library of that name from anywhere else on the search path.
    const u16 path = AppFolder + u"\\" + FromW(kOnlineLibraryFile);
    module_ = LoadLibraryW(W(path));
  }
  return module_ != nullptr;
}

template <class F>
F VinetDll::Function(const char* name) {
  if (!Loaded()) return nullptr;
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
}

void VinetDll::Init(int32_t mode) {
  if (auto f = Function<vinet_Init_t>("vinet_Init")) f(mode);
}

#define VEILCAP_SET_TEXT(Method, Name)                                         \
  void VinetDll::Method(const u16& text) {                                     \
    if (auto f = Function<vinet_SetText_t>(Name)) f(W(text));                  \
  }
VEILCAP_SET_TEXT(SetBaseFolder, "vinet_SetBaseFolder")
VEILCAP_SET_TEXT(SetProductID, "vinet_SetProductID")
VEILCAP_SET_TEXT(SetProductVersion, "vinet_SetProductVersion")
VEILCAP_SET_TEXT(SetProductName, "vinet_SetProductName")
VEILCAP_SET_TEXT(SetProductLang, "vinet_SetProductLang")
#undef VEILCAP_SET_TEXT

#define VEILCAP_SET_KEY(Method, Name)                                          \
  void VinetDll::Method(uint32_t root, const u16& key) {                       \
    if (auto f = Function<vinet_SetKey_t>(Name)) f(RootKey(root), W(key));     \
  }
VEILCAP_SET_KEY(SetRegistryKey, "vinet_SetRegistryKey")
VEILCAP_SET_KEY(SetUserRegistryKey, "vinet_SetUserRegistryKey")
VEILCAP_SET_KEY(SetSystemRegistryKey, "vinet_SetSystemRegistryKey")
#undef VEILCAP_SET_KEY

void VinetDll::InitAnalyticsManager() {
  if (auto f = Function<vinet_NoArgs_t>("vinet_InitAnalyticsManager")) f();
}

int32_t VinetDll::StartAllChecks(OwnerWindow window) {
  auto f = Function<vinet_StartAllChecks_t>("vinet_StartAllChecks");
  return f ? f(Hwnd(window)) : 0;
}

void VinetDll::OpenLinkTargetInBrowser(const u16& target, const u16& productId, const u16& version, int32_t flags,
                                       const u16& tag, const u16& extra) {
  if (auto f = Function<vinet_OpenLinkTargetInBrowser_t>("vinet_OpenLinkTargetInBrowser"))
    f(W(target), W(productId), W(version), flags, W(tag), W(extra));
}

int32_t VinetDll::GetMenuItemsCount(int32_t menu) {
  auto f = Function<vinet_GetMenuItemsCount_t>("vinet_GetMenuItemsCount");
  return f ? f(menu) : 0;
}

int32_t VinetDll::GetMenuItemsID(int32_t menu, int32_t index) {
  auto f = Function<vinet_GetMenuItemsID_t>("vinet_GetMenuItemsID");
  return f ? f(menu, index) : 0;
}

std::optional<u16> VinetDll::GetMenuItemsText(int32_t menu, int32_t index) {
  auto f = Function<vinet_GetMenuItemsText_t>("vinet_GetMenuItemsText");
  if (!f) return std::nullopt;
  const wchar_t* text = f(menu, index);
  if (!text) return std::nullopt;
  return FromW(text);
}

uintptr_t VinetDll::GetMenuItemsImage(int32_t menu, int32_t index) {
  auto f = Function<vinet_GetMenuItemsImage_t>("vinet_GetMenuItemsImage");
  if (!f) return 0;
  HICON icon = f(menu, index);
  if (!icon) return 0;
  // The library may hand out a handle that is no icon (any more); such an item gets no picture.
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return 0;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  return reinterpret_cast<uintptr_t>(icon);
}

int32_t VinetDll::ProcessMenuItem(OwnerWindow window, int32_t id) {
  auto f = Function<vinet_ProcessMenuItem_t>("vinet_ProcessMenuItem");
  return f ? f(Hwnd(window), id) : 0;
}

void VinetDll::Shutdown(OwnerWindow window) {
  if (auto f = Function<vinet_Shutdown_t>("vinet_Shutdown")) f(Hwnd(window));
}

void VinetDll::Destroy() {
  if (auto f = Function<vinet_NoArgs_t>("vinet_Destroy")) f();
}

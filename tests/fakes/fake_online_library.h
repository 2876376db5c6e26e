// A recording stand-in for the online-services library: every call becomes one line ("name|arg|..."),
// and the answers are whatever the test sets. Installed while the object lives.
#pragma once
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "online/vinet.h"

class FakeOnlineLibrary final : public OnlineLibrary {
 public:
  struct Item {
    int32_t number = 0;
    std::optional<u16> text;
    uintptr_t icon = 0;
  };

  FakeOnlineLibrary() { SetOnlineLibrary(this); }
  ~FakeOnlineLibrary() override { SetOnlineLibrary(nullptr); }

  void Init(int32_t mode) override { Log("Init", {std::to_string(mode)}); }
  void SetBaseFolder(const u16& s) override { Log("SetBaseFolder", {ToUtf8(s)}); }
  void SetProductID(const u16& s) override { Log("SetProductID", {ToUtf8(s)}); }
  void SetProductVersion(const u16& s) override { Log("SetProductVersion", {ToUtf8(s)}); }
  void SetProductName(const u16& s) override { Log("SetProductName", {ToUtf8(s)}); }
  void SetProductLang(const u16& s) override { Log("SetProductLang", {ToUtf8(s)}); }
  void SetRegistryKey(uint32_t root, const u16& key) override { Log("SetRegistryKey", {Hex(root), ToUtf8(key)}); }
  void SetUserRegistryKey(uint32_t root, const u16& key) override { Log("SetUserRegistryKey", {Hex(root), ToUtf8(key)}); }
  void SetSystemRegistryKey(uint32_t root, const u16& key) override {
    Log("SetSystemRegistryKey", {Hex(root), ToUtf8(key)});
  }
  void InitAnalyticsManager() override { Log("InitAnalyticsManager", {}); }
  int32_t StartAllChecks(OwnerWindow window) override {
    Log("StartAllChecks", {Window(window)});
    return checkResult;
  }
  void OpenLinkTargetInBrowser(const u16& target, const u16& productId, const u16& version, int32_t flags,
                               const u16& tag, const u16& extra) override {
    Log("OpenLinkTargetInBrowser",
        {ToUtf8(target), ToUtf8(productId), ToUtf8(version), std::to_string(flags), ToUtf8(tag), ToUtf8(extra)});
  }
  int32_t GetMenuItemsCount(int32_t menu) override {
    Log("GetMenuItemsCount", {std::to_string(menu)});
    return int32_t(items.size());
  }
  int32_t GetMenuItemsID(int32_t menu, int32_t index) override {
    Log("GetMenuItemsID", {std::to_string(menu), std::to_string(index)});
    return items.at(size_t(index)).number;
  }
  std::optional<u16> GetMenuItemsText(int32_t menu, int32_t index) override {
    Log("GetMenuItemsText", {std::to_string(menu), std::to_string(index)});
    return items.at(size_t(index)).text;
  }
  uintptr_t GetMenuItemsImage(int32_t menu, int32_t index) override {
    Log("GetMenuItemsImage", {std::to_string(menu), std::to_string(index)});
    return items.at(size_t(index)).icon;
  }
  int32_t ProcessMenuItem(OwnerWindow window, int32_t id) override {
    Log("ProcessMenuItem", {Window(window), std::to_string(id)});
    return processResult;
  }
  void Shutdown(OwnerWindow window) override { Log("Shutdown", {Window(window)}); }
  void Destroy() override { Log("Destroy", {}); }

  // The calls whose line starts with name.
  int Count(const std::string& name) const {
    int n = 0;
    for (const auto& c : calls)
      if (c == name || c.rfind(name + "|", 0) == 0) ++n;
    return n;
  }

  int32_t checkResult = 0;
  int32_t processResult = 0;
  std::vector<Item> items;
  std::vector<std::string> calls;

 private:
  void Log(const std::string& name, const std::vector<std::string>& args) {
    std::string line = name;
    for (const auto& a : args) line += "|" + a;
    calls.push_back(line);
  }
  static std::string Hex(uint32_t v) {
    char b[16];
    std::snprintf(b, sizeof b, "%X", v);
    return b;
  }
  static std::string Window(OwnerWindow w) { return std::to_string(reinterpret_cast<uintptr_t>(w)); }
};

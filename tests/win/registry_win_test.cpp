// The Windows registry backend against the real registry, in scratch keys under HKCU and HKLM.
#include <gtest/gtest.h>
#include <windows.h>

#include "platform/registry.h"
#include "platform/win32/registry_win.h"

namespace {
const u16 kScratch = u"SOFTWARE\\VeilcapTests\\Scratch";

class WindowsRegistryTest : public ::testing::TestWithParam<RegRoot> {
 protected:
  void SetUp() override { SetRegistryBackend(&backend_, true); }
  void TearDown() override {
    HKEY root = GetParam() == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    RegDeleteTreeW(root, L"SOFTWARE\\VeilcapTests");
    SetRegistryBackend(nullptr, false);
  }
  WindowsRegistry backend_;
};

TEST_P(WindowsRegistryTest, WritesCreateMissingParentsAndReadBack) {
  const RegRoot root = GetParam();
  const u16 deep = kScratch + u"\\A\\B";
  EXPECT_FALSE(Reg_ValueExists(root, deep, u"n"));
  EXPECT_TRUE(Reg_WriteInteger(root, deep, u"n", -1));
  EXPECT_EQ(Reg_ReadInteger(root, deep, u"N"), -1);
  EXPECT_EQ(Reg_ReadString(root, deep, u"n"), u"4294967295");
  Reg_WriteString(root, deep, u"s", u"Grüße \u20AC");
  EXPECT_EQ(Reg_ReadString(root, deep, u"s"), u"Grüße \u20AC");
  Reg_WriteString(root, deep, u"empty", u"");
  EXPECT_TRUE(Reg_ValueExists(root, deep, u"empty"));
  EXPECT_EQ(Reg_ReadString(root, deep, u"empty"), u"");
  EXPECT_TRUE(Reg_DeleteValue(root, deep, u"n"));
  EXPECT_FALSE(Reg_ValueExists(root, deep, u"n"));
  EXPECT_FALSE(Reg_DeleteValue(root, deep, u"n"));
}

TEST_P(WindowsRegistryTest, DecodesEveryValueType) {
  const RegRoot root = GetParam();
  const uint8_t multi[] = {'o', 0, 'n', 0, 'e', 0, 0, 0, 't', 0, 'w', 0, 'o', 0, 0, 0, 0, 0};
  const uint8_t qword[] = {1, 0, 0, 0, 1, 0, 0, 0};
  const uint8_t binary[] = {0x41, 0, 0x42, 0};
  const uint8_t expand[] = {'%', 0, 'X', 0, '%', 0, 0, 0};
  ASSERT_TRUE(Reg_WriteValue(root, kScratch, u"multi", REG_MULTI_SZ, sizeof(multi), multi));
  ASSERT_TRUE(Reg_WriteValue(root, kScratch, u"qword", REG_QWORD, sizeof(qword), qword));
  ASSERT_TRUE(Reg_WriteValue(root, kScratch, u"bin", REG_BINARY, sizeof(binary), binary));
  ASSERT_TRUE(Reg_WriteValue(root, kScratch, u"none", REG_NONE, 2, binary));
  ASSERT_TRUE(Reg_WriteValue(root, kScratch, u"expand", REG_EXPAND_SZ, sizeof(expand), expand));
  EXPECT_EQ(Reg_ReadString(root, kScratch, u"multi"), u"one");
  EXPECT_EQ(Reg_ReadString(root, kScratch, u"qword"), u"4294967297");
  EXPECT_EQ(Reg_ReadInteger(root, kScratch, u"qword"), 1);
  EXPECT_EQ(Reg_ReadString(root, kScratch, u"bin"), u"AB");
  EXPECT_EQ(Reg_ReadInteger(root, kScratch, u"bin"), 0x00420041);
  EXPECT_EQ(Reg_ReadString(root, kScratch, u"none"), u"A");
  EXPECT_EQ(Reg_ReadInteger(root, kScratch, u"none"), 0x41);
  EXPECT_EQ(Reg_ReadString(root, kScratch, u"expand"), u"%X%");
}

TEST_P(WindowsRegistryTest, DefaultValueHasTheEmptyName) {
  const RegRoot root = GetParam();
  Reg_WriteString(root, kScratch, u"", u"default");
  EXPECT_EQ(Reg_ReadString(root, kScratch, u""), u"default");
  wchar_t buf[32] = {};
  DWORD size = sizeof(buf);
  HKEY r = root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
  ASSERT_EQ(RegGetValueW(r, L"SOFTWARE\\VeilcapTests\\Scratch", nullptr, RRF_RT_REG_SZ, nullptr, buf, &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(buf, L"default");
}

INSTANTIATE_TEST_SUITE_P(Roots, WindowsRegistryTest,
                         ::testing::Values(RegRoot::CurrentUser, RegRoot::LocalMachine),
                         [](const auto& info) { return info.param == RegRoot::CurrentUser ? "HKCU" : "HKLM"; });

// With the 64-bit view flag a value lands in the native view, not under Wow6432Node.
TEST(WindowsRegistryView, WritesLandInThe64BitView) {
  WindowsRegistry backend;
  SetRegistryBackend(&backend, true);
  ASSERT_TRUE(Reg_WriteInteger(RegRoot::LocalMachine, kScratch, u"view", 64));
  HKEY k = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapTests\\Scratch", 0, KEY_READ | KEY_WOW64_64KEY, &k),
            ERROR_SUCCESS);
  DWORD v = 0, size = sizeof(v);
  EXPECT_EQ(RegQueryValueExW(k, L"view", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size), ERROR_SUCCESS);
  EXPECT_EQ(v, 64u);
  RegCloseKey(k);
  EXPECT_NE(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Wow6432Node\\VeilcapTests\\Scratch", 0, KEY_READ, &k),
            ERROR_SUCCESS);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\VeilcapTests");
  SetRegistryBackend(nullptr, false);
}
}  // namespace

#include <gtest/gtest.h>

#include "devices/ledger.h"
#include "fakes/memory_registry.h"

namespace {
const u16 kKey = u"SOFTWARE\\Vostrel\\Test";
constexpr RegRoot HKCU = RegRoot::CurrentUser;
constexpr RegRoot HKLM = RegRoot::LocalMachine;

std::vector<uint8_t> Utf16Bytes(u16v s, bool terminator = true) {
  std::vector<uint8_t> d;
  for (char16_t c : s) {
    d.push_back(uint8_t(c & 0xFF));
    d.push_back(uint8_t(c >> 8));
  }
  if (terminator) d.insert(d.end(), {0, 0});
  return d;
}

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryBackend(&reg, false); }
  void TearDown() override {
    EXPECT_EQ(reg.OpenHandles(), 0) << "a key handle was left open";
    SetRegistryBackend(nullptr, false);
  }
  MemoryRegistry reg;
};

struct DecodeCase {
  const char* what;
  uint32_t type;
  std::vector<uint8_t> data;
  u16 asString;
  int32_t asInteger;
};

class RegistryDecodeTest : public RegistryTest, public ::testing::WithParamInterface<DecodeCase> {};

TEST_P(RegistryDecodeTest, ReadsValueAsTextAndInteger) {
  const DecodeCase& c = GetParam();
  reg.Put(HKCU, kKey, u"v", c.type, c.data);
  EXPECT_EQ(ToUtf8(Reg_ReadString(HKCU, kKey, u"v")), ToUtf8(c.asString)) << c.what;
  EXPECT_EQ(Reg_ReadInteger(HKCU, kKey, u"v"), c.asInteger) << c.what;
  EXPECT_TRUE(Reg_ValueExists(HKCU, kKey, u"v")) << c.what;
}

std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

INSTANTIATE_TEST_SUITE_P(
    Types, RegistryDecodeTest,
    ::testing::Values(
        DecodeCase{"REG_SZ text", REG_TYPE_SZ, Utf16Bytes(u"Hello"), u"Hello", 0},
        DecodeCase{"REG_SZ number", REG_TYPE_SZ, Utf16Bytes(u"12"), u"12", 12},
        DecodeCase{"REG_SZ negative number", REG_TYPE_SZ, Utf16Bytes(u"-7"), u"-7", -7},
        DecodeCase{"REG_SZ hex number", REG_TYPE_SZ, Utf16Bytes(u"$1F"), u"$1F", 31},
        DecodeCase{"REG_SZ without terminator", REG_TYPE_SZ, Utf16Bytes(u"abc", false), u"abc", 0},
        DecodeCase{"REG_SZ odd size", REG_TYPE_SZ, {'a', 0, 'b', 0, 'c'}, u"ab\u0063", 0},
        DecodeCase{"REG_SZ one byte", REG_TYPE_SZ, {'x'}, u"", 0},
        DecodeCase{"REG_SZ zero inside", REG_TYPE_SZ, Utf16Bytes(u16v(u"ab\0cd", 5)), u"ab", 0},
        DecodeCase{"REG_EXPAND_SZ stays unexpanded", REG_TYPE_EXPAND_SZ, Utf16Bytes(u"%TEMP%\\x"), u"%TEMP%\\x", 0},
        DecodeCase{"REG_MULTI_SZ first string", REG_TYPE_MULTI_SZ,
                   Concat(Concat(Utf16Bytes(u"first"), Utf16Bytes(u"second")), {0, 0}), u"first", 0},
        DecodeCase{"REG_DWORD max", REG_TYPE_DWORD, {0xFF, 0xFF, 0xFF, 0xFF}, u"4294967295", -1},
        DecodeCase{"REG_DWORD 5", REG_TYPE_DWORD, {5, 0, 0, 0}, u"5", 5},
        DecodeCase{"REG_DWORD short data", REG_TYPE_DWORD, {0x34, 0x12}, u"4660", 0x1234},
        DecodeCase{"REG_DWORD too long", REG_TYPE_DWORD, {1, 0, 0, 0, 0, 0, 0, 0}, u"", 0},
        DecodeCase{"REG_QWORD negative", REG_TYPE_QWORD, {0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, u"-2", -2},
        DecodeCase{"REG_QWORD low 32 bits", REG_TYPE_QWORD, {1, 0, 0, 0, 1, 0, 0, 0}, u"4294967297", 1},
        DecodeCase{"REG_BINARY text", REG_TYPE_BINARY, Utf16Bytes(u"AB", false), u"AB", 0x00420041},
        DecodeCase{"REG_BINARY little-endian", REG_TYPE_BINARY, {0x01, 0x02}, u"\u0201", 0x0201},
        DecodeCase{"REG_BINARY longer than 4", REG_TYPE_BINARY, Utf16Bytes(u"xyz"), u"xyz", 0},
        DecodeCase{"REG_BINARY odd byte dropped", REG_TYPE_BINARY, {'a', 0, 'b'}, u"a", 0x620061},
        DecodeCase{"REG_NONE", REG_TYPE_NONE, {'h', 0, 'i', 0, 0, 0}, u"hi", 0},
        DecodeCase{"unknown type", 9, {1, 2, 3, 4}, u"", 0}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(RegistryTest, MissingKeyOrValueGivesDefaults) {
  for (const u16& key : {u16(u"SOFTWARE\\Nowhere"), kKey}) {
    if (key == kKey) reg.AddKey(HKCU, kKey);
    EXPECT_EQ(Reg_ReadString(HKCU, key, u"x"), u"");
    EXPECT_EQ(Reg_ReadInteger(HKCU, key, u"x"), 0);
    EXPECT_FALSE(Reg_ValueExists(HKCU, key, u"x"));
    EXPECT_FALSE(Reg_DeleteValue(HKCU, key, u"x"));
  }
}

TEST_F(RegistryTest, EmptyDataReadsAsDefaultsButExists) {
  reg.Put(HKCU, kKey, u"empty", REG_TYPE_DWORD, {});
  EXPECT_TRUE(Reg_ValueExists(HKCU, kKey, u"empty"));
  EXPECT_EQ(Reg_ReadString(HKCU, kKey, u"empty"), u"");
  EXPECT_EQ(Reg_ReadInteger(HKCU, kKey, u"empty"), 0);
}

TEST_F(RegistryTest, FailedSecondReadGivesDefaults) {
  reg.PutString(HKCU, kKey, u"s", u"42");
  reg.PutDword(HKCU, kKey, u"d", 9);
  reg.FailDataReads(4);
  EXPECT_EQ(Reg_ReadString(HKCU, kKey, u"s"), u"");
  EXPECT_EQ(Reg_ReadInteger(HKCU, kKey, u"s"), 0);
  EXPECT_EQ(Reg_ReadString(HKCU, kKey, u"d"), u"");
  EXPECT_EQ(Reg_ReadInteger(HKCU, kKey, u"d"), 0);
}

TEST_F(RegistryTest, WritingCreatesKeyWithMissingParents) {
  const u16 deep = u"SOFTWARE\\Vostrel\\Vostrel Veilcap\\Options";
  ASSERT_FALSE(reg.KeyExists(HKLM, u"SOFTWARE\\Vostrel"));
  EXPECT_TRUE(Reg_WriteInteger(HKLM, deep, u"Block_Privacy_Cam", -1));
  const auto* v = reg.Get(HKLM, deep, u"block_privacy_cam");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, REG_TYPE_DWORD);
  EXPECT_EQ(v->data, (std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Reg_ReadInteger(HKLM, deep, u"BLOCK_PRIVACY_CAM"), -1);
}

TEST_F(RegistryTest, WriteStringStoresTerminatedUtf16AndEmptyTextAsNoData) {
  Reg_WriteString(HKCU, kKey, u"Value", u"Deny");
  const auto* v = reg.Get(HKCU, kKey, u"Value");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, REG_TYPE_SZ);
  EXPECT_EQ(v->data, Utf16Bytes(u"Deny"));

  Reg_WriteString(HKCU, kKey, u"Empty", u"");
  v = reg.Get(HKCU, kKey, u"Empty");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->type, REG_TYPE_SZ);
  EXPECT_TRUE(v->data.empty());
  EXPECT_TRUE(Reg_ValueExists(HKCU, kKey, u"Empty"));
  EXPECT_EQ(Reg_ReadString(HKCU, kKey, u"Empty"), u"");
}

TEST_F(RegistryTest, DeleteRemovesOnlyExistingValueAndNeverCreatesKey) {
  reg.PutDword(HKLM, kKey, u"NoPhysicalCameraLED", 1);
  EXPECT_TRUE(Reg_DeleteValue(HKLM, kKey, u"nophysicalcameraled"));
  EXPECT_EQ(reg.Get(HKLM, kKey, u"NoPhysicalCameraLED"), nullptr);
  EXPECT_FALSE(Reg_DeleteValue(HKLM, kKey, u"NoPhysicalCameraLED"));
  EXPECT_FALSE(Reg_DeleteValue(HKLM, u"SOFTWARE\\Absent", u"x"));
  EXPECT_FALSE(reg.KeyExists(HKLM, u"SOFTWARE\\Absent"));
}

TEST_F(RegistryTest, RefusedWritesAnswerFalse) {
  reg.PutDword(HKCU, kKey, u"x", 1);
  reg.SetReadOnly(true);
  EXPECT_FALSE(Reg_WriteInteger(HKCU, kKey, u"x", 2));
  EXPECT_FALSE(Reg_WriteInteger(HKCU, u"SOFTWARE\\New", u"x", 2));
  EXPECT_FALSE(Reg_DeleteValue(HKCU, kKey, u"x"));
  reg.SetReadOnly(false);
  EXPECT_EQ(Reg_ReadInteger(HKCU, kKey, u"x"), 1);
}

TEST_F(RegistryTest, AccessRightsAndRegistryView) {
  for (bool view : {false, true}) {
    SetRegistryBackend(&reg, view);
    const uint32_t flag = view ? kKeyWow64_64Key : 0;
    size_t before = reg.AccessLog().size();
    Reg_ReadString(HKCU, kKey, u"a");
    Reg_ReadInteger(HKCU, kKey, u"a");
    Reg_ValueExists(HKCU, kKey, u"a");
    Reg_WriteInteger(HKCU, kKey, u"a", 1);
    Reg_DeleteValue(HKCU, kKey, u"a");
    std::vector<uint32_t> log(reg.AccessLog().begin() + before, reg.AccessLog().end());
    // Three reads; the first write opens nothing existing at first only when the key is missing.
    ASSERT_GE(log.size(), 5u);
    EXPECT_EQ(log[0], kKeyRead | flag);
    EXPECT_EQ(log[1], kKeyRead | flag);
    EXPECT_EQ(log[2], kKeyRead | flag);
    for (size_t i = 3; i < log.size(); ++i) EXPECT_EQ(log[i], kKeyAllAccess | flag);
  }
}

TEST_F(RegistryTest, NoBackendGivesDefaults) {
  SetRegistryBackend(nullptr, false);
  EXPECT_EQ(Reg_ReadString(HKCU, kKey, u"a"), u"");
  EXPECT_FALSE(Reg_WriteInteger(HKCU, kKey, u"a", 1));
  SetRegistryBackend(&reg, false);
}

// The ledger of disabled devices lives on the registry routines: ids compare without case, only
// names that are instance ids and values other than 0 count, and removal leaves no entry.
TEST_F(RegistryTest, LedgerRecordsListsAndForgetsInstanceIds) {
  reg.PutDword(HKLM, kLedgerKey, u"Command_Cam", 1);             // another value of the program
  reg.PutDword(HKLM, kLedgerKey, u"USB\\VID_1&PID_2\\OLD", 0);   // cleared by hand
  EXPECT_TRUE(Ledger_Add(u"USB\\VID_1&PID_2\\A"));
  EXPECT_TRUE(Ledger_Add(u"SWD\\MMDEVAPI\\{0.0.1}.{B}"));
  EXPECT_FALSE(Ledger_Add(u"NoBackslash"));
  EXPECT_TRUE(Ledger_Contains(u"usb\\vid_1&pid_2\\a"));
  EXPECT_FALSE(Ledger_Contains(u"USB\\VID_1&PID_2\\OLD"));
  EXPECT_FALSE(Ledger_Contains(u"Command_Cam"));
  EXPECT_EQ(Ledger_Ids(), (std::vector<u16>{u"USB\\VID_1&PID_2\\A", u"SWD\\MMDEVAPI\\{0.0.1}.{B}"}));
  EXPECT_TRUE(Ledger_Remove(u"USB\\VID_1&PID_2\\a"));
  EXPECT_TRUE(Ledger_Remove(u"USB\\VID_1&PID_2\\A"));  // nothing left to remove
  EXPECT_EQ(reg.Get(HKLM, kLedgerKey, u"USB\\VID_1&PID_2\\A"), nullptr);
  EXPECT_EQ(Reg_ValueNames(HKLM, kLedgerKey).size(), 3u);
  EXPECT_TRUE(Reg_ValueNames(HKCU, kLedgerKey).empty());
}
}  // namespace

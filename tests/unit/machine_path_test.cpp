#include <gtest/gtest.h>

#include "fakes/memory_registry.h"
#include "platform/machine_path.h"
#include "platform/registry.h"

namespace {
constexpr RegRoot HKLM = RegRoot::LocalMachine;
const u16 kDir = u"C:\\Program Files\\Veilcap";

struct PathCase {
  const char* what;
  u16 before, added, removed;  // removed: `added` without the entry again
};

class MachinePathText : public ::testing::TestWithParam<PathCase> {};

TEST_P(MachinePathText, AddsOnceAndRemovesOnlyThatEntry) {
  const PathCase& c = GetParam();
  EXPECT_EQ(ToUtf8(PathWithEntry(c.before, kDir)), ToUtf8(c.added)) << c.what;
  EXPECT_TRUE(PathHasEntry(c.added, kDir)) << c.what;
  EXPECT_EQ(ToUtf8(PathWithoutEntry(c.added, kDir)), ToUtf8(c.removed)) << c.what;
  EXPECT_FALSE(PathHasEntry(c.removed, kDir)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MachinePathText,
    ::testing::Values(
        PathCase{"empty", u"", kDir, u""},
        PathCase{"plain", u"%SystemRoot%\\system32;C:\\Tools", u"%SystemRoot%\\system32;C:\\Tools;" + kDir,
                 u"%SystemRoot%\\system32;C:\\Tools"},
        PathCase{"trailing separator stays last", u"C:\\a;", u"C:\\a;" + kDir + u";", u"C:\\a;"},
        PathCase{"empty entries and spaces kept", u"C:\\a;;  C:\\b ;", u"C:\\a;;  C:\\b ;" + kDir + u";",
                 u"C:\\a;;  C:\\b ;"},
        PathCase{"present in another case and with a backslash: nothing added, every spelling removed",
                 u"C:\\a;c:\\program files\\VEILCAP\\;C:\\b", u"C:\\a;c:\\program files\\VEILCAP\\;C:\\b",
                 u"C:\\a;C:\\b"},
        PathCase{"a longer folder of the same start is another entry", u"C:\\Program Files\\Veilcap2",
                 u"C:\\Program Files\\Veilcap2;" + kDir, u"C:\\Program Files\\Veilcap2"},
        PathCase{"first entry", kDir + u";C:\\a", kDir + u";C:\\a", u"C:\\a"}));

std::vector<uint8_t> Bytes(u16v s) {
  std::vector<uint8_t> d;
  for (char16_t c : s) d.insert(d.end(), {uint8_t(c & 0xFF), uint8_t(c >> 8)});
  d.insert(d.end(), {0, 0});
  return d;
}

class MachinePathRegistry : public ::testing::Test {
 protected:
  void SetUp() override { SetRegistryBackend(&reg, false); }
  void TearDown() override {
    EXPECT_EQ(reg.OpenHandles(), 0);
    SetRegistryBackend(nullptr, false);
  }
  const MemoryRegistry::Value* Path() const { return reg.Get(HKLM, kMachineEnvironmentKey, kPathValue); }
  MemoryRegistry reg;
};

TEST_F(MachinePathRegistry, ALongValueKeepsEveryByteAndItsType) {
  // Far beyond the 1,024 characters a fixed-length string of an installer would hold.
  u16 longPath = u"%SystemRoot%\\system32";
  for (int i = 0; longPath.size() <= 5000; ++i) longPath += u";C:\\Tools\\Folder number " + ToDec(i) + u"\\bin";
  for (uint32_t type : {REG_TYPE_EXPAND_SZ, REG_TYPE_SZ}) {
    reg.Put(HKLM, kMachineEnvironmentKey, kPathValue, type, Bytes(longPath));
    EXPECT_EQ(Add_MachinePathEntry(kDir), PathEdit::Changed);
    ASSERT_NE(Path(), nullptr);
    EXPECT_EQ(Path()->type, type);
    EXPECT_EQ(Path()->data, Bytes(longPath + u";" + kDir));
    EXPECT_EQ(Add_MachinePathEntry(kDir), PathEdit::Unchanged) << "added twice";
    EXPECT_EQ(Remove_MachinePathEntry(kDir), PathEdit::Changed);
    EXPECT_EQ(Path()->type, type);
    EXPECT_EQ(Path()->data, Bytes(longPath)) << "the value is not what it was before the setup";
    EXPECT_EQ(Remove_MachinePathEntry(kDir), PathEdit::Unchanged);
  }
}

TEST_F(MachinePathRegistry, WhatIsNoPlainTextIsLeftAlone) {
  EXPECT_EQ(Remove_MachinePathEntry(kDir), PathEdit::Unchanged) << "no value, nothing to remove";
  EXPECT_EQ(Path(), nullptr);
  EXPECT_EQ(Add_MachinePathEntry(kDir), PathEdit::Changed) << "a missing value is created";
  ASSERT_NE(Path(), nullptr);
  EXPECT_EQ(Path()->type, REG_TYPE_EXPAND_SZ);
  EXPECT_EQ(Path()->data, Bytes(kDir));
  struct Odd {
    const char* what;
    uint32_t type;
    std::vector<uint8_t> data;
  };
  std::vector<uint8_t> inner = Bytes(u"C:\\a");
  inner.insert(inner.end(), {'C', 0, 0, 0});
  for (const Odd& o : {Odd{"REG_MULTI_SZ", REG_TYPE_MULTI_SZ, Bytes(u"C:\\a")}, Odd{"REG_DWORD", REG_TYPE_DWORD, {1, 0, 0, 0}},
                       Odd{"odd byte count", REG_TYPE_EXPAND_SZ, {'C', 0, ':'}},
                       Odd{"zero inside", REG_TYPE_EXPAND_SZ, inner}}) {
    reg.Put(HKLM, kMachineEnvironmentKey, kPathValue, o.type, o.data);
    EXPECT_EQ(Add_MachinePathEntry(kDir), PathEdit::Failed) << o.what;
    EXPECT_EQ(Remove_MachinePathEntry(kDir), PathEdit::Failed) << o.what;
    EXPECT_EQ(Path()->data, o.data) << o.what;
  }
  reg.Put(HKLM, kMachineEnvironmentKey, kPathValue, REG_TYPE_EXPAND_SZ, Bytes(u"C:\\a"));
  reg.SetReadOnly(true);
  EXPECT_EQ(Add_MachinePathEntry(kDir), PathEdit::Failed);
}
}  // namespace

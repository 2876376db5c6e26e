#include <gtest/gtest.h>

#include "devices/ledger.h"
#include "devices/privacy.h"
#include "fakes/memory_registry.h"
#include "platform/environment.h"

namespace {

// Forwards to an in-memory registry, logs which root every write goes to and can refuse one root.
class LoggingRegistry final : public RegistryBackend {
 public:
  long OpenKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) override {
    return Track(root, mem.OpenKey(root, subKey, access, key), key);
  }
  long CreateKey(RegRoot root, const u16& subKey, uint32_t access, RegHandle* key) override {
    if (root == refused) return kErrorAccessDenied;
    return Track(root, mem.CreateKey(root, subKey, access, key), key);
  }
  long QueryValue(RegHandle key, const u16& name, uint32_t* type, uint8_t* data, uint32_t* size) override {
    return mem.QueryValue(key, name, type, data, size);
  }
  long SetValue(RegHandle key, const u16& name, uint32_t type, const uint8_t* data, uint32_t size) override {
    if (roots_[key] == refused) return kErrorAccessDenied;
    writes.push_back(roots_[key] == RegRoot::CurrentUser ? "HKCU" : "HKLM");
    return mem.SetValue(key, name, type, data, size);
  }
  long DeleteValue(RegHandle key, const u16& name) override {
    writes.push_back(std::string("delete ") + (roots_[key] == RegRoot::CurrentUser ? "HKCU" : "HKLM"));
    return mem.DeleteValue(key, name);
  }
  long CloseKey(RegHandle key) override { return mem.CloseKey(key); }

  MemoryRegistry mem;
  std::vector<std::string> writes;
  std::optional<RegRoot> refused;

 private:
  long Track(RegRoot root, long result, RegHandle* key) {
    if (result == kErrorSuccess) roots_[*key] = root;
    return result;
  }
  std::map<RegHandle, RegRoot> roots_;
};

class PrivacyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved8_ = Win8_or_later;
    saved10_ = Win10_or_later;
    SetRegistryBackend(&reg, true);
  }
  void TearDown() override {
    EXPECT_EQ(reg.mem.OpenHandles(), 0);
    SetRegistryBackend(nullptr, false);
    Win8_or_later = saved8_;
    Win10_or_later = saved10_;
  }
  u16 Consent(RegRoot root, const u16& key) {
    const auto* v = reg.mem.Get(root, key, u"Value");
    if (!v) return u"<none>";
    EXPECT_EQ(v->type, REG_TYPE_SZ);
    u16 text;
    for (size_t i = 0; i + 1 < v->data.size(); i += 2) text += char16_t(v->data[i] | (v->data[i + 1] << 8));
    while (!text.empty() && text.back() == 0) text.pop_back();
    return text;
  }
  LoggingRegistry reg;

 private:
  bool saved8_ = false, saved10_ = false;
};

struct ConsentCase {
  const char* what;
  bool win8;
  bool camera;
  bool block;
  const char16_t* expected;  // in both roots
};

class PrivacyConsent : public PrivacyTest, public ::testing::WithParamInterface<ConsentCase> {};

TEST_P(PrivacyConsent, WritesBothRootsInOrderFromWindows8On) {
  const auto& c = GetParam();
  Win8_or_later = c.win8;
  const u16& key = c.camera ? kConsentKeyWebcam : kConsentKeyMicrophone;
  const u16& other = c.camera ? kConsentKeyMicrophone : kConsentKeyWebcam;
  if (c.camera)
    Privacy_SetCameraConsent(c.block);
  else
    Privacy_SetMicrophoneConsent(c.block);
  EXPECT_EQ(ToUtf8(Consent(RegRoot::CurrentUser, key)), ToUtf8(c.expected));
  EXPECT_EQ(ToUtf8(Consent(RegRoot::LocalMachine, key)), ToUtf8(c.expected));
  EXPECT_FALSE(reg.mem.KeyExists(RegRoot::CurrentUser, other));
  EXPECT_FALSE(reg.mem.KeyExists(RegRoot::LocalMachine, other));
  // A "Deny" is followed by its record in the ledger (HKLM).
  if (c.win8 && c.block)
    EXPECT_EQ(reg.writes, (std::vector<std::string>{"HKCU", "HKLM", "HKLM", "HKLM"}));
  else if (c.win8)
    EXPECT_EQ(reg.writes, (std::vector<std::string>{"HKCU", "HKLM"}));
  else
    EXPECT_TRUE(reg.writes.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, PrivacyConsent,
    ::testing::Values(ConsentCase{"camera blocked", true, true, true, u"Deny"},
                      ConsentCase{"camera allowed", true, true, false, u"Allow"},
                      ConsentCase{"microphone blocked", true, false, true, u"Deny"},
                      ConsentCase{"microphone allowed", true, false, false, u"Allow"},
                      ConsentCase{"before Windows 8", false, true, true, u"<none>"},
                      ConsentCase{"before Windows 8, microphone", false, false, false, u"<none>"}));

TEST_F(PrivacyTest, MachineIsWrittenEvenWhenTheUserRootFails) {
  Win8_or_later = true;
  reg.refused = RegRoot::CurrentUser;
  Privacy_SetMicrophoneConsent(true);
  EXPECT_EQ(Consent(RegRoot::CurrentUser, kConsentKeyMicrophone), u"<none>");
  EXPECT_EQ(Consent(RegRoot::LocalMachine, kConsentKeyMicrophone), u"Deny");
}

TEST_F(PrivacyTest, UnblockingOverwritesAndNeverDeletes) {
  Win8_or_later = true;
  reg.mem.PutString(RegRoot::CurrentUser, kConsentKeyWebcam, u"Value", u"Deny");
  Privacy_SetCameraConsent(false);
  EXPECT_EQ(Consent(RegRoot::CurrentUser, kConsentKeyWebcam), u"Allow");
  EXPECT_EQ(Consent(RegRoot::LocalMachine, kConsentKeyWebcam), u"Allow");
}

// Only a "Deny" that Veilcap wrote over another value is recorded, per kind and root; an unblock
// forgets the records, and restoring sets exactly the recorded values back to "Allow".
TEST_F(PrivacyTest, DeniedConsentIsRecordedAndRestoredPerKindAndRoot) {
  Win8_or_later = true;
  reg.mem.PutString(RegRoot::CurrentUser, kConsentKeyWebcam, u"Value", u"Deny");  // the user's own
  Privacy_SetCameraConsent(true);
  reg.refused = RegRoot::CurrentUser;  // a write that fails is not recorded
  Privacy_SetMicrophoneConsent(true);
  reg.refused.reset();
  const std::vector<std::pair<LedgerKind, RegRoot>> all = {{LedgerKind::Cam, RegRoot::CurrentUser},
                                                           {LedgerKind::Cam, RegRoot::LocalMachine},
                                                           {LedgerKind::Mic, RegRoot::CurrentUser},
                                                           {LedgerKind::Mic, RegRoot::LocalMachine}};
  auto recorded = [&] {
    std::string r;
    for (const auto& [kind, root] : all) r += Ledger_ConsentDenied(kind, root) ? '1' : '0';
    return r;
  };
  EXPECT_EQ(recorded(), "0101");
  Privacy_SetMicrophoneConsent(true);
  EXPECT_EQ(recorded(), "0111");
  Privacy_SetMicrophoneConsent(false);
  EXPECT_EQ(recorded(), "0100");
  Privacy_SetMicrophoneConsent(true);
  reg.mem.PutString(RegRoot::CurrentUser, kConsentKeyMicrophone, u"Value", u"Allow");  // changed by the user since
  EXPECT_TRUE(Privacy_RestoreDeniedConsent());
  EXPECT_EQ(recorded(), "0000");
  EXPECT_EQ(Consent(RegRoot::CurrentUser, kConsentKeyWebcam), u"Deny") << "not Veilcap's: left alone";
  EXPECT_EQ(Consent(RegRoot::LocalMachine, kConsentKeyWebcam), u"Allow");
  EXPECT_EQ(Consent(RegRoot::CurrentUser, kConsentKeyMicrophone), u"Allow");
  EXPECT_EQ(Consent(RegRoot::LocalMachine, kConsentKeyMicrophone), u"Allow");

  // A restore that cannot write keeps the record for the next one.
  Privacy_SetCameraConsent(true);
  reg.refused = RegRoot::LocalMachine;
  EXPECT_FALSE(Privacy_RestoreDeniedConsent());
  reg.refused.reset();
  EXPECT_TRUE(Ledger_ConsentDenied(LedgerKind::Cam, RegRoot::LocalMachine));
}

TEST_F(PrivacyTest, CameraNoticeIsAWindows10Setting) {
  struct {
    bool win10;
    bool on;
    std::vector<std::string> writes;
    bool readBack;
  } cases[] = {{true, true, {"HKLM"}, true}, {true, false, {"delete HKLM"}, false}, {false, true, {}, false}};
  for (const auto& c : cases) {
    Win10_or_later = c.win10;
    reg.writes.clear();
    CameraNotice_Set(c.on);
    EXPECT_EQ(reg.writes, c.writes) << c.win10 << c.on;
    EXPECT_EQ(CameraNotice_IsOn(), c.readBack) << c.win10 << c.on;
    if (c.win10 && c.on) {
      const auto* v = reg.mem.Get(RegRoot::LocalMachine, kCameraNoticeKey, kCameraNoticeValue);
      ASSERT_NE(v, nullptr);
      EXPECT_EQ(v->type, REG_TYPE_DWORD);
      EXPECT_EQ(v->data, (std::vector<uint8_t>{1, 0, 0, 0}));
    }
  }
  // Before Windows 10 the value is not even read.
  reg.mem.PutDword(RegRoot::LocalMachine, kCameraNoticeKey, kCameraNoticeValue, 1);
  Win10_or_later = false;
  EXPECT_FALSE(CameraNotice_IsOn());
  Win10_or_later = true;
  EXPECT_TRUE(CameraNotice_IsOn());
}

}  // namespace

// The registry watch against the real registry: a use written below a watched consent store reaches
// the callback on this thread within a second, nothing arrives while nothing changes, and a key that
// does not exist yet is picked up once it appears; the policy watch wakes on a value written under
// the policy key and on the key's removal, and not on writes elsewhere.
#include <gtest/gtest.h>

#include <string>

#include "guard/policies.h"
#include "guard/win32/registry_watch.h"

namespace {
const std::wstring kScratch = L"Software\\Vostrel\\VeilcapWatchTest" + std::to_wstring(GetCurrentProcessId());

// Pumps this thread's messages until count reaches want or ms have passed; the final count.
int PumpUntil(const int& count, int want, DWORD ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  while (count < want && GetTickCount64() < end) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
  }
  return count;
}

void SetQword(const std::wstring& key, const wchar_t* name, ULONGLONG v) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr,
                            &k, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(k, name, 0, REG_QWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
  RegCloseKey(k);
}

class ConsentWatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HKEY k = nullptr;
    RegCreateKeyExW(HKEY_CURRENT_USER, (kScratch + L"\\webcam").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                    nullptr, &k, nullptr);
    RegCloseKey(k);
  }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kScratch.c_str()); }
};

TEST_F(ConsentWatchTest, ChangesBelowEitherKeyCallBackOnThisThreadAndIdleStaysQuiet) {
  int calls = 0;
  DWORD callThread = 0;
  RegistryWatch watch({{HKEY_CURRENT_USER, kScratch + L"\\webcam"}, {HKEY_CURRENT_USER, kScratch + L"\\microphone"}},
                          [&] {
                            ++calls;
                            callThread = GetCurrentThreadId();
                          });
  ASSERT_TRUE(watch.Active());
  EXPECT_EQ(PumpUntil(calls, 1, 500), 0) << "a call without any change";

  // A program starts using the webcam: a new subkey with its start and stop times.
  const std::wstring zoom = kScratch + L"\\webcam\\NonPackaged\\C:#Program Files#Zoom#bin#Zoom.exe";
  SetQword(zoom, L"LastUsedTimeStart", 133000000000000000ULL);
  SetQword(zoom, L"LastUsedTimeStop", 0);
  EXPECT_GE(PumpUntil(calls, 1, 1000), 1) << "no call within a second of the change";
  EXPECT_EQ(callThread, GetCurrentThreadId());

  // The microphone key did not exist: it is watched through its parent and found once made.
  const int before = PumpUntil(calls, 1000, 300);
  SetQword(kScratch + L"\\microphone\\Microsoft.SkypeApp_kzf8qxf38zg5c", L"LastUsedTimeStart", 5);
  EXPECT_GT(PumpUntil(calls, before + 1, 1000), before);
  const int afterCreate = PumpUntil(calls, 1000, 300);
  SetQword(kScratch + L"\\microphone\\Microsoft.SkypeApp_kzf8qxf38zg5c", L"LastUsedTimeStop", 9);
  EXPECT_GT(PumpUntil(calls, afterCreate + 1, 1000), afterCreate);

  // A burst of writes while none is handled yet comes as few calls, not one per write.
  const int beforeBurst = PumpUntil(calls, 1000, 300);
  for (int i = 0; i < 20; ++i) SetQword(zoom, L"LastUsedTimeStop", ULONGLONG(i));
  const int afterBurst = PumpUntil(calls, 1000, 500);
  EXPECT_GE(afterBurst, beforeBurst + 1);
  EXPECT_LE(afterBurst, beforeBurst + 3);
}

void SetDword(HKEY root, const std::wstring& key, const wchar_t* name, DWORD v) {
  HKEY k = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &k, nullptr),
            ERROR_SUCCESS);
  RegSetValueExW(k, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof(v));
  RegCloseKey(k);
}

TEST(PolicyWatchTest, WakesOnAValueUnderThePolicyKeyAndNotOtherwise) {
  const u16 policy = kPolicyKey, parent = kPolicyParentKey;
  const std::wstring policyKey(policy.begin(), policy.end()), parentKey(parent.begin(), parent.end());
  const std::wstring elsewhere = L"SOFTWARE\\VeilcapPolicyWatchOther" + std::to_wstring(GetCurrentProcessId());
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, policyKey.c_str(), KEY_WOW64_64KEY, 0);
  int calls = 0;
  RegistryWatch watch(RegistryWatch::PolicyKeys(), [&] { ++calls; });
  ASSERT_TRUE(watch.Active());
  EXPECT_EQ(PumpUntil(calls, 1, 500), 0) << "a call without any change";
  SetDword(HKEY_LOCAL_MACHINE, elsewhere, L"BlockWebcams", 1);
  SetDword(HKEY_CURRENT_USER, policyKey, L"BlockWebcams", 1);
  EXPECT_EQ(PumpUntil(calls, 1, 500), 0) << "a write outside the machine's policy key";

  SetDword(HKEY_LOCAL_MACHINE, policyKey, L"BlockWebcams", 1);
  EXPECT_GE(PumpUntil(calls, 1, 1000), 1) << "the key made with its value";
  const int made = PumpUntil(calls, 1000, 300);
  SetDword(HKEY_LOCAL_MACHINE, policyKey, L"BlockWebcams", 0);
  EXPECT_GT(PumpUntil(calls, made + 1, 1000), made) << "a value changed in the key";
  const int changed = PumpUntil(calls, 1000, 300);
  // Group Policy removes the key as a whole when the policies are taken away.
  ASSERT_EQ(RegDeleteKeyExW(HKEY_LOCAL_MACHINE, policyKey.c_str(), KEY_WOW64_64KEY, 0), ERROR_SUCCESS);
  EXPECT_GT(PumpUntil(calls, changed + 1, 1000), changed) << "the key removed";
  const int removed = PumpUntil(calls, 1000, 300);
  SetDword(HKEY_LOCAL_MACHINE, policyKey, L"KeepBlocked", 1);
  EXPECT_GT(PumpUntil(calls, removed + 1, 1000), removed) << "the key made again";

  RegDeleteTreeW(HKEY_LOCAL_MACHINE, parentKey.c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, elsewhere.c_str());
  RegDeleteTreeW(HKEY_CURRENT_USER, L"SOFTWARE\\Policies\\Vostrel");
}
}  // namespace

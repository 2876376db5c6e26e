#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/cp1252.h"
#include "fakes/memory_registry.h"
#include "lang/messages.h"
#include "ui/devices_window.h"

namespace {

// A proportional test font: "i" and "." are narrow, everything else 7 pixels wide.
int Measure(u16v s) {
  int w = 0;
  for (char16_t c : s) w += c == u'i' ? 3 : c == u'.' ? 2 : 7;
  return w;
}

TEST(ShortenText, CutsToTheWidestPrefixThatLeavesRoomForTheEllipsis) {
  const struct {
    const char16_t* text;
    int width;
    const char16_t* expected;
  } cases[] = {
      {u"Integrated Camera", 200, u"Integrated Camera"},  // fits: kept
      {u"Integrated Camera", 6 + 28 + 1, u"Inte..."},      // "Inte" 28 + "..." 6
      {u"Integrated Camera", 6 + 28, u"Inte..."},          // exactly fits
      {u"Integrated Camera", 6 + 27, u"Int..."},
      {u"Integrated Camera", 7, u"..."},                  // only the ellipsis fits
      {u"Integrated Camera", 6, u""},                      // the ellipsis alone does not fit
      {u"Integrated Camera", 0, u""},
      {u"Integrated Camera", -5, u""},
      {u"", 100, u""},
      {u"iiii", 12, u"iiii"},  // fits exactly, though not with an ellipsis
      {u"iiiii", 12, u"ii..."},
      {u"Cam\U0001F4F7ra", 7 * 4 + 6, u"Cam..."},  // the pair is not split
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.text) + " in " + std::to_string(c.width));
    EXPECT_EQ(ShortenText(c.text, c.width, Measure), c.expected);
  }
}

TTreeData_Device Device(const char16_t* cls, const char16_t* name, const char16_t* id, bool connected,
                        uint32_t problem, bool watch = false, bool reboot = false) {
  TTreeData_Device d;
  d.SetClassGUID(cls);
  d.SetFriendlyName(name);
  d.SetInstanceID(id);
  d.connected = d.found_in_DirectShow = connected;
  d.ProblemCode = problem;
  d.Watch = watch;
  d.RebootRequired = reboot;
  return d;
}

TEST(DeviceStatusText, FollowsConnectionAndProblemCode) {
  ScopedCp1252 cp;
  Init_Messages();
  const struct {
    bool connected;
    uint32_t problem;
    const char* expected;
  } cases[] = {
      {true, 0, "angeschlossen"},
      {true, 28, "Gerät meldet Problemcode 28"},
      {true, 10, "Gerät meldet Problemcode 10"},
      {false, 0, "nicht angeschlossen"},
      {false, 28, "nicht angeschlossen"},
      {true, 22, "deaktiviert"},
      {false, 22, "deaktiviert"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.connected) + "/" + std::to_string(c.problem));
    EXPECT_EQ(ToUtf8(DeviceStatusText(Device(kClassCamera, u"X", u"ID", c.connected, c.problem))), c.expected);
  }
  // A translated text is used as it is.
  MESSAGE_DEVICES_STATUS_PROBLEM = u"Device reports problem";
  EXPECT_EQ(ToUtf8(DeviceStatusText(Device(kClassCamera, u"X", u"ID", true, 43))), "Device reports problem 43");
  Init_Messages();
}

class DevicesWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Init_Messages();
    SetRegistryBackend(&reg, false);
    v.Devices = {Device(kClassCamera, u"Integrated Camera", u"USB\\VID_1&PID_2\\CAM", true, 0, true, true),
                 Device(kClassImage, u"Flatbed Scanner", u"USB\\VID_3&PID_4\\SCAN", false, 0, false),
                 Device(kClassAudioEndpoint, u"Microphone", u"SWD\\MMDEVAPI\\{0.0.1.00000000}.{abc}", true, 22, true)};
    for (size_t i = 0; i < v.Devices.size(); ++i) v.Devices[i].Index_In_Array = int32_t(i);
    v.Count_Cams_and_Mics();
    form.Veilcap = &v;
    form.RepaintStatus = [this] { ++repaints; };
    form.OnNodesChanged = [this] { ++rebuilds; };
  }
  void TearDown() override { SetRegistryBackend(nullptr, false); }
  ScopedCp1252 cp;
  MemoryRegistry reg;
  TVeilcap v{DeviceSources{}};
  TForm_VCP_Devices form;
  int repaints = 0, rebuilds = 0;
};

TEST_F(DevicesWindowTest, FillCopiesTheListAndSetsChecksWithoutWritingTheStore) {
  form.Fill(v);
  ASSERT_EQ(form.Nodes.size(), 3u);
  EXPECT_EQ(rebuilds, 1);
  EXPECT_EQ(repaints, 0);
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, kDeviceStoreKey));
  const bool checks[] = {true, false, true};
  for (size_t i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const auto& n = form.Nodes[i];
    EXPECT_EQ(n.Checked, checks[i]);
    EXPECT_EQ(n.Data.FriendlyName(), v.Devices[i].FriendlyName());
    EXPECT_EQ(n.Data.InstanceID(), v.Devices[i].InstanceID());
    EXPECT_EQ(n.Data.ClassGUID(), v.Devices[i].ClassGUID());
    EXPECT_EQ(n.Data.connected, v.Devices[i].connected);
    EXPECT_EQ(n.Data.ProblemCode, v.Devices[i].ProblemCode);
    EXPECT_EQ(n.Data.Index_In_Array, int32_t(i));
    EXPECT_FALSE(n.Data.Watch);  // the check box holds the choice
    EXPECT_FALSE(n.Data.RebootRequired);
  }
  // A refill follows the current flags.
  v.Devices[1].Watch = true;
  v.Devices.pop_back();
  form.Fill(v);
  ASSERT_EQ(form.Nodes.size(), 2u);
  EXPECT_TRUE(form.Nodes[1].Checked);
}

TEST_F(DevicesWindowTest, UncheckingTheOnlyWatchedWebcamStoresZeroAndRecountsAtOnce) {
  form.Fill(v);
  ASSERT_EQ(v.current_cams, 1);
  form.SetChecked(0, false);
  const auto* stored = reg.Get(RegRoot::LocalMachine, kDeviceStoreKey, u"USB\\VID_1&PID_2\\CAM");
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->type, REG_TYPE_DWORD);
  EXPECT_EQ(stored->data, (std::vector<uint8_t>{0, 0, 0, 0}));
  EXPECT_FALSE(v.Devices[0].Watch);
  EXPECT_EQ(v.current_cams, 0);
  EXPECT_EQ(v.reboot_required_cams, 0);
  EXPECT_EQ(v.First_Cam_Name, u"");
  EXPECT_EQ(repaints, 1);

  // Checking the scanner watches it and stores 1.
  form.SetChecked(1, true);
  EXPECT_EQ(reg.Get(RegRoot::LocalMachine, kDeviceStoreKey, u"USB\\VID_3&PID_4\\SCAN")->data,
            (std::vector<uint8_t>{1, 0, 0, 0}));
  EXPECT_EQ(v.current_cams, 1);
  EXPECT_EQ(v.active_cams, 1);
  EXPECT_EQ(v.First_Cam_Name, u"Flatbed Scanner");
  EXPECT_EQ(repaints, 2);
}

TEST_F(DevicesWindowTest, ACheckWithoutARowOrWithAFailedWriteStillBehaves) {
  form.Fill(v);
  form.SetChecked(7, false);  // no such row
  EXPECT_EQ(repaints, 0);
  EXPECT_FALSE(reg.KeyExists(RegRoot::LocalMachine, kDeviceStoreKey));

  // The registry refuses the write: the flag in memory follows the box anyway.
  reg.SetReadOnly(true);
  form.SetChecked(2, false);
  EXPECT_FALSE(v.Devices[2].Watch);
  EXPECT_EQ(v.current_mics, 0);
  EXPECT_EQ(repaints, 1);

  // A row of an older fill whose record has gone from the list changes nothing in the list.
  reg.SetReadOnly(false);
  v.Devices.resize(1);
  form.SetChecked(2, true);
  EXPECT_EQ(v.Devices.size(), 1u);
  EXPECT_EQ(repaints, 2);
}

TEST_F(DevicesWindowTest, APolicyOnAKindFixesTheBoxesOfThatKindOnly) {
  form.Fill(v);
  bool micsFixed = true;
  form.KindFixed = [&](bool mic) { return mic && micsFixed; };
  EXPECT_FALSE(form.CheckFixed(0));
  EXPECT_TRUE(form.CheckFixed(2));
  EXPECT_FALSE(form.SetChecked(2, false));
  EXPECT_TRUE(form.Nodes[2].Checked);
  EXPECT_TRUE(v.Devices[2].Watch);
  EXPECT_EQ(repaints, 0);
  EXPECT_FALSE(reg.KeyExists(RegRoot::CurrentUser, kDeviceStoreKey)) << "nothing stored";
  EXPECT_TRUE(form.SetChecked(0, false)) << "webcams are not covered";
  micsFixed = false;  // the policy is taken away
  EXPECT_TRUE(form.SetChecked(2, false));
  EXPECT_FALSE(v.Devices[2].Watch);
}

TEST_F(DevicesWindowTest, CellTextsAreCutToTheirColumns) {
  form.Fill(v);
  EXPECT_EQ(form.CellText(0, 0, 400, Measure), u"Integrated Camera");
  // Column 0 keeps 20 pixels for the icon: 54 - 20 = 34 leaves "Inte..." (28 + 6).
  EXPECT_EQ(form.CellText(0, 0, 54, Measure), u"Inte...");
  EXPECT_EQ(ToUtf8(form.CellText(0, 1, 160, Measure)), "angeschlossen");
  EXPECT_EQ(ToUtf8(form.CellText(1, 1, 160, Measure)), "nicht angeschlossen");
  EXPECT_EQ(ToUtf8(form.CellText(2, 1, 160, Measure)), "deaktiviert");
  EXPECT_EQ(form.CellText(2, 1, 5, Measure), u"");  // narrower than "..."
  EXPECT_EQ(form.CellText(9, 0, 400, Measure), u"");
}

}  // namespace

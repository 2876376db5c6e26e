// Shared set-up for the device list tests: fake sources, an in-memory registry, Windows-1252 as
// the ANSI code page and a recording debug sink.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

#include "devices/veilcap.h"
#include "fakes/cp1252.h"
#include "fakes/fake_device_sources.h"
#include "fakes/memory_registry.h"
#include "fakes/recording_sink.h"

// A debug memo: keeps its lines without being the program's debug sink.
struct DebugSinkLines final : DebugSink {
  void Line(u16v line) override { lines.push_back(ToUtf8(line)); }
  std::vector<std::string> lines;
};

class DevicesFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    SetRegistryBackend(&reg, false);
    present.log = capture.log = com.log = &log;
  }
  void TearDown() override { SetRegistryBackend(nullptr, false); }

  void Store(const u16& instanceId, uint32_t v) { reg.PutDword(RegRoot::LocalMachine, kDeviceStoreKey, instanceId, v); }
  FakePnpDevice& Add(u16v cls, u16v name, u16v id) {
    present.devices.push_back(FakePnpDevice::Make(cls, name, id));
    return present.devices.back();
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> r;
    for (const auto& d : v.Devices) r.push_back(ToUtf8(d.FriendlyName()));
    return r;
  }
  std::vector<std::string> Lines() const { return sink.Utf8(); }

  ScopedCp1252 cp;
  MemoryRegistry reg;
  RecordingSink sink;
  FakePresentDevices present;
  FakeCaptureSource capture;
  FakeComApartment com;
  std::vector<std::string> log;
  TVeilcap v{DeviceSources{&present, &capture, &com}};
};

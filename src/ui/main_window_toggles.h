// The main window's side of the kind-level commands: its picture buttons' state numbers, status
// lines, option check marks, refresh and message boxes, handed to ToggleCommands.
#pragma once
#include "ui/main_window.h"
#include "guard/toggle_commands.h"

class MainWindowToggles final : public ToggleHost {
 public:
  explicit MainWindowToggles(TForm_Veilcap& form);

  // After a block, a program that still uses the kind (Windows keeps its open stream alive) is
  // named in one warning, which then stands in for the restart warning.
  void WebCamClick();
  void MicClick();
  void Click(DeviceKind kind);
  // Switches the kind's disabled devices on, whatever the picture shows.
  void Unblock(DeviceKind kind);
  bool Running() const { return commands_.Running(); }
  // Blocking or unblocking a kind whatever its picture shows (the session lock and unlock).
  void Block(bool mic);
  void Unblock(bool mic);

  int32_t WebCamState() override;
  int32_t MicState() override;
  void Switching(bool mic) override;
  void ProcessMessages() override;
  void SleepMs(uint32_t ms) override;
  uint32_t NowMs() override;
  void Refresh() override;
  bool PrivacyCamChecked() override;
  bool PrivacyMicChecked() override;
  void ReportRestartNeeded() override;
  void ReportWarning(const u16& text) override;
  void ReportError(const u16& text) override;
  void KindCommanded(bool mic, bool block) override;

 private:
  TForm_Veilcap& form_;
  VeilcapSwitches switches_;
  bool blocking_ = false;        // a block click runs
  bool rebootDeferred_ = false;  // the restart warning it asked for
  ToggleCommands commands_;
};

#include "ui/main_window_toggles.h"

#include "lang/messages.h"

MainWindowToggles::MainWindowToggles(TForm_Veilcap& form)
    : form_(form), switches_(*form.Veilcap), commands_(*form.Veilcap, *this, switches_) {}

int32_t MainWindowToggles::WebCamState() { return form_.PellamMouseImage3State_WebCam->HelpContext; }
int32_t MainWindowToggles::MicState() { return form_.PellamMouseImage3State_Mic->HelpContext; }

// Both pictures take no click until the closing refresh repaints them; the kind's status line
// shows the wait text meanwhile.
void MainWindowToggles::Switching(bool mic) {
  form_.PellamMouseImage3State_WebCam->SetEnabled(false);
  form_.PellamMouseImage3State_Mic->SetEnabled(false);
  (mic ? form_.Label_Status_Mic : form_.Label_Status_Cam)->SetCaption(MESSAGE_STATUS_PLEASEWAIT);
}
void MainWindowToggles::ProcessMessages() { form_.Host.ProcessMessages(); }
void MainWindowToggles::SleepMs(uint32_t ms) { form_.Host.Sleep(ms); }
uint32_t MainWindowToggles::NowMs() { return form_.Host.NowMs(); }
void MainWindowToggles::Refresh() { form_.Button_Refresh->Click(); }
bool MainWindowToggles::PrivacyCamChecked() { return form_.Tray_Option_Privacy_Cam->Checked; }
bool MainWindowToggles::PrivacyMicChecked() { return form_.Tray_Option_Privacy_Mic->Checked; }
void MainWindowToggles::ReportRestartNeeded() {
  if (blocking_)
    rebootDeferred_ = true;
  else
    form_.CommandBox(false, MESSAGE_STATUS_NEED_RESTART);
}

void MainWindowToggles::Block(bool mic) {
  commands_.Block(mic ? ToggleCommands::Side::Mic : ToggleCommands::Side::Cam);
  form_.Session_RunPending();
}

void MainWindowToggles::Unblock(bool mic) {
  commands_.Unblock(mic ? ToggleCommands::Side::Mic : ToggleCommands::Side::Cam);
  form_.Session_RunPending();
}

void MainWindowToggles::WebCamClick() { Click(DeviceKind::Webcam); }
void MainWindowToggles::MicClick() { Click(DeviceKind::Microphone); }

void MainWindowToggles::Unblock(DeviceKind kind) {
  commands_.Unblock(kind == DeviceKind::Webcam ? ToggleCommands::Side::Cam : ToggleCommands::Side::Mic);
}

void MainWindowToggles::Click(DeviceKind kind) {
  const bool cam = kind == DeviceKind::Webcam;
  if (commands_.Running()) return;
  blocking_ = (cam ? WebCamState() : MicState()) == kStateOn;
  rebootDeferred_ = false;
  try {
    cam ? commands_.ToggleCam() : commands_.ToggleMic();
  } catch (...) {
    blocking_ = false;
    throw;
  }
  const bool blocked = blocking_, reboot = rebootDeferred_;
  blocking_ = rebootDeferred_ = false;
  form_.Session_RunPending();
  if (!blocked) return;
  const u16 names = Join_UseNames(Read_DeviceUses(kind));
  if (!names.empty())
    form_.CommandBox(false, ReplaceAll(cam ? MESSAGE_STILL_IN_USE_CAM : MESSAGE_STILL_IN_USE_MIC, u"%1", names));
  else if (reboot)
    form_.CommandBox(false, MESSAGE_STATUS_NEED_RESTART);
}
void MainWindowToggles::ReportWarning(const u16& text) { form_.CommandBox(false, text); }
void MainWindowToggles::ReportError(const u16& text) { form_.CommandBox(true, text); }
void MainWindowToggles::KindCommanded(bool mic, bool) { form_.Keep_Blocked_Forget(mic); }

MainWindowToggles& TForm_Veilcap::Toggles() {
  if (!toggles_) toggles_ = std::make_unique<MainWindowToggles>(*this);
  return *toggles_;
}

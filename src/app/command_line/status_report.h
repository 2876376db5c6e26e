// What the command line prints about devices: one line (or JSON object) per device and one summary
// per kind, and the exit code of a status run. The device lines use fixed English words (CAM, MIC,
// on, off, restart pending) so that scripts can read them in every language; the summaries use
// the status texts of the program's current language.
#pragma once
#include <vector>

#include "core/text.h"
#include "devices/device.h"
#include "guard/policies.h"
#include "platform/admin_args.h"

struct ReportRow {
  bool mic = false;
  u16 state;  // "on", "off", "restart pending" (watched devices), "absent" (not found)
  u16 name;
  u16 instanceId;
  bool works = false;
  bool restartPending = false;  // switched off, but Windows keeps it working until a restart
};

// Every watched device of the kinds, in list order.
std::vector<ReportRow> WatchedRows(const std::vector<TTreeData_Device>& devices, DeviceKinds kinds);
// One row per instance id, in the given order; an id missing from the list gives an "absent" row.
std::vector<ReportRow> RowsOfIds(const std::vector<TTreeData_Device>& devices, const std::vector<u16>& ids);

// 3 without a watched device of the kinds, 1 while one of them works (and waits for no restart),
// 4 when every one is off or waiting for a restart and at least one waits, else 0.
int StatusExitCode(const std::vector<ReportRow>& watched);

// One line per row: "CAM<TAB>on<TAB>name<TAB>id" ("-" for the kind of an absent row).
u16 DeviceLines(const std::vector<ReportRow>& rows);
// The device lines, then one "CAM: <status text>" line per kind. Control
// characters in names and ids are shown as "?", so a device name cannot steer the console.
u16 ReportText(const std::vector<ReportRow>& rows, DeviceKinds kinds);
// {"exitCode":n,"devices":[{"kind","state","name","instanceId"}...],
//  "summary":[{"kind","watched","working","text"}...]}
// With the policies in force as a last member "policies" ({} when none is set).
u16 ReportJson(const std::vector<ReportRow>& rows, DeviceKinds kinds, int exitCode, const Policies& policies = {});
// A JSON string literal with its quotes: quote, backslash, control characters and lone
// surrogates escaped; everything else as it is.
u16 JsonString(u16v text);

#include "app/command_line/status_report.h"
#include "core/plain_text.h"

#include "lang/messages.h"

namespace {
constexpr char16_t kHex[] = u"0123456789abcdef";

u16 StateOf(const TTreeData_Device& d) {
  if (d.RebootRequired) return u"restart pending";
  return d.ProblemCode == 0 ? u"on" : u"off";
}

ReportRow RowOf(const TTreeData_Device& d) {
  return {IsMicrophone(d), StateOf(d), d.FriendlyName(), d.InstanceID(), d.ProblemCode == 0, d.RebootRequired};
}

bool Includes(DeviceKinds kinds, bool mic) { return kinds == DeviceKinds::All || (kinds == DeviceKinds::Mic) == mic; }

std::vector<bool> KindsListed(DeviceKinds kinds) {
  if (kinds == DeviceKinds::All) return {false, true};
  return {kinds == DeviceKinds::Mic};
}

const char16_t* KindWord(bool mic) { return mic ? u"MIC" : u"CAM"; }

// A name on an administrator's console: no escape sequence, no control, no mark that reorders the
// line, and a tab (the column separator) only between the columns.
u16 Printable(u16v text) { return PlainText(text); }

struct KindSummary {
  int32_t watched = 0, working = 0;
  u16 text;
};

KindSummary Summarise(const std::vector<ReportRow>& rows, bool mic) {
  KindSummary s;
  for (const auto& r : rows) {
    if (r.mic != mic || r.state == u"absent") continue;
    ++s.watched;
    if (r.works) ++s.working;
  }
  if (s.watched == 0)
    s.text = mic ? MESSAGE_STATUS_MIC_NOTFOUND : MESSAGE_STATUS_CAM_NOTFOUND;
  else
    s.text = Fill_CountTemplate(mic ? MESSAGE_STATUS_MIC_MULTIPLE : MESSAGE_STATUS_CAM_MULTIPLE, s.working, s.watched);
  return s;
}
}  // namespace

std::vector<ReportRow> WatchedRows(const std::vector<TTreeData_Device>& devices, DeviceKinds kinds) {
  std::vector<ReportRow> rows;
  for (const auto& d : devices)
    if (d.Watch && Includes(kinds, IsMicrophone(d))) rows.push_back(RowOf(d));
  return rows;
}

std::vector<ReportRow> RowsOfIds(const std::vector<TTreeData_Device>& devices, const std::vector<u16>& ids) {
  std::vector<ReportRow> rows;
  for (const auto& id : ids) {
    const TTreeData_Device* found = nullptr;
    for (const auto& d : devices)
      if (AsciiUpper(d.InstanceID()) == AsciiUpper(id)) found = &d;
    if (found)
      rows.push_back(RowOf(*found));
    else
      rows.push_back({false, u"absent", u"", id, false});
  }
  return rows;
}

int StatusExitCode(const std::vector<ReportRow>& watched) {
  if (watched.empty()) return kExitNoDevice;
  bool waits = false;
  for (const auto& r : watched) {
    if (r.restartPending)
      waits = true;
    else if (r.works)
      return kExitSomeOn;
  }
  return waits ? kExitRestartPending : kExitAllOff;
}

u16 DeviceLines(const std::vector<ReportRow>& rows) {
  u16 out;
  for (const auto& r : rows) {
    const u16 kind = r.state == u"absent" ? u16(u"-") : u16(KindWord(r.mic));
    out += kind + u"\t" + r.state + u"\t" + Printable(r.name) + u"\t" + Printable(r.instanceId) + u"\r\n";
  }
  return out;
}

u16 ReportText(const std::vector<ReportRow>& rows, DeviceKinds kinds) {
  u16 out = DeviceLines(rows);
  for (bool mic : KindsListed(kinds)) out += u16(KindWord(mic)) + u": " + Printable(Summarise(rows, mic).text) + u"\r\n";
  return out;
}

u16 JsonString(u16v text) {
  u16 out = u"\"";
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    const bool high = c >= 0xD800 && c <= 0xDBFF, low = c >= 0xDC00 && c <= 0xDFFF;
    const bool paired = high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
    if (c == u'"' || c == u'\\') {
      out += u'\\';
      out += c;
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (c < 0x20 || (high && !paired) || low) {
      out += u"\\u";
      for (int shift = 12; shift >= 0; shift -= 4) out += kHex[(c >> shift) & 0xF];
    } else if (paired) {
      out += c;
      out += text[++i];
    } else {
      out += c;
    }
  }
  return out + u"\"";
}

u16 ReportJson(const std::vector<ReportRow>& rows, DeviceKinds kinds, int exitCode, const Policies& policies) {
  u16 out = u"{\"exitCode\":" + ToDec(exitCode) + u",\"devices\":[";
  for (size_t i = 0; i < rows.size(); ++i) {
    const auto& r = rows[i];
    if (i > 0) out += u",";
    out += u"{\"kind\":" + JsonString(KindWord(r.mic)) + u",\"state\":" + JsonString(r.state) +
           u",\"name\":" + JsonString(r.name) + u",\"instanceId\":" + JsonString(r.instanceId) + u"}";
  }
  out += u"],\"summary\":[";
  bool first = true;
  for (bool mic : KindsListed(kinds)) {
    const KindSummary s = Summarise(rows, mic);
    if (!first) out += u",";
    first = false;
    out += u"{\"kind\":" + JsonString(KindWord(mic)) + u",\"watched\":" + ToDec(s.watched) + u",\"working\":" +
           ToDec(s.working) + u",\"text\":" + JsonString(s.text) + u"}";
  }
  return out + u"],\"policies\":" + PolicyJson(policies) + u"}\r\n";
}

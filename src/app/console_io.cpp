#include "app/console_io.h"

#include <sddl.h>

#include <algorithm>
#include <vector>

#include "core/win32/windows_seams.h"
#include "platform/admin_args.h"

namespace {
bool WriteAll(HANDLE out, const char* data, size_t size) {
  while (size > 0) {
    DWORD written = 0;
    if (!WriteFile(out, data, DWORD(size), &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool IsConsole(HANDLE h) {
  DWORD mode = 0;
  return GetConsoleMode(h, &mode) != 0;
}

bool Usable(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }

// Opens the companion's pipe for writing. The companion runs unelevated, so the elevated program
// lets it identify but never impersonate it, and writes only into a pipe.
HANDLE OpenRelayPipe(const u16& name) {
  if (!IsRelayPipeName(name)) return INVALID_HANDLE_VALUE;
  HANDLE h = CreateFileW(W(name), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION, nullptr);
  if (h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_PIPE) {
    CloseHandle(h);
    return INVALID_HANDLE_VALUE;
  }
  return h;
}

// "D:P(A;;GA;;;<user>)(A;;GA;;;BA)" for the user of the process token.
u16 OwnerAndAdministratorsSddl() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size ? size : 1);
  u16 sddl;
  if (size && GetTokenInformation(token, TokenUser, buffer.data(), size, &size)) {
    LPWSTR sid = nullptr;
    if (ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &sid)) {
      sddl = u"D:P(A;;GA;;;" + FromW(sid) + u")(A;;GA;;;BA)";
      LocalFree(sid);
    }
  }
  CloseHandle(token);
  return sddl;
}
}  // namespace

bool WriteText(HANDLE out, const u16& text) {
  if (!Usable(out)) return false;
  if (IsConsole(out)) {
    size_t done = 0;
    while (done < text.size()) {
      DWORD written = 0;
      const DWORD chunk = DWORD(std::min<size_t>(text.size() - done, 8192));
      if (!WriteConsoleW(out, W(text) + done, chunk, &written, nullptr) || written == 0) return false;
      done += written;
    }
    return true;
  }
  const std::string bytes = ToUtf8(text);
  return WriteAll(out, bytes.data(), bytes.size());
}

void WriteProgramOutput(const u16& text, const u16& relayPipe) {
  if (!relayPipe.empty()) {
    HANDLE pipe = OpenRelayPipe(relayPipe);
    if (pipe != INVALID_HANDLE_VALUE) {
      const std::string bytes = ToUtf8(text);
      WriteAll(pipe, bytes.data(), bytes.size());
      CloseHandle(pipe);
      return;
    }
  }
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const DWORD type = Usable(out) ? GetFileType(out) : FILE_TYPE_UNKNOWN;
  if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR) {
    WriteText(out, text);
    return;
  }
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console != INVALID_HANDLE_VALUE) {
    // The prompt of the caller is already shown: start on a line of our own.
    WriteText(console, u"\r\n" + text);
    CloseHandle(console);
  }
  FreeConsole();
}

RelayPipe::RelayPipe() {
  const u16 sddl = OwnerAndAdministratorsSddl();
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (sddl.empty() || !ConvertStringSecurityDescriptorToSecurityDescriptorW(W(sddl), SDDL_REVISION_1, &sd, nullptr))
    return;
  SECURITY_ATTRIBUTES sa{sizeof sa, sd, FALSE};
  LARGE_INTEGER counter{};
  QueryPerformanceCounter(&counter);
  // A name someone else already took is never shared: the first instance is ours or none is.
  for (int attempt = 0; attempt < 8 && pipe_ == INVALID_HANDLE_VALUE; ++attempt) {
    name_ = RelayPipeName(GetCurrentProcessId(), uint64_t(counter.QuadPart) + uint64_t(attempt) * 7919);
    pipe_ = CreateNamedPipeW(W(name_), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                             PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
                             65536, 0, &sa);
  }
  LocalFree(sd);
  if (pipe_ != INVALID_HANDLE_VALUE) event_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (!event_ && pipe_ != INVALID_HANDLE_VALUE) {
    CloseHandle(pipe_);
    pipe_ = INVALID_HANDLE_VALUE;
  }
}

RelayPipe::~RelayPipe() {
  if (pipe_ != INVALID_HANDLE_VALUE) CloseHandle(pipe_);
  if (event_) CloseHandle(event_);
}

std::string RelayPipe::Collect(HANDLE process) {
  std::string bytes;
  if (!Ready()) return bytes;
  OVERLAPPED ov{};
  ov.hEvent = event_;
  bool connected = ConnectNamedPipe(pipe_, &ov) != 0;
  if (!connected) {
    const DWORD error = GetLastError();
    if (error == ERROR_PIPE_CONNECTED) {
      connected = true;
    } else if (error == ERROR_IO_PENDING) {
      HANDLE waits[2] = {event_, process};
      DWORD n = 0;
      if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) == WAIT_OBJECT_0) {
        connected = GetOverlappedResult(pipe_, &ov, &n, FALSE) != 0;
      } else {
        // The program ended without writing: give up the pending connection.
        CancelIo(pipe_);
        GetOverlappedResult(pipe_, &ov, &n, TRUE);
      }
    }
  }
  if (!connected) return bytes;
  char buffer[4096];
  for (;;) {
    ResetEvent(event_);
    DWORD n = 0;
    if (!ReadFile(pipe_, buffer, sizeof buffer, &n, &ov)) {
      if (GetLastError() != ERROR_IO_PENDING || !GetOverlappedResult(pipe_, &ov, &n, TRUE)) break;
    }
    if (n == 0) break;
    bytes.append(buffer, n);
  }
  return bytes;
}

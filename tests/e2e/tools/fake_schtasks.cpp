// fake_schtasks.exe: stands in for SCHTASKS.EXE in a Wine test prefix (copied as
// C:\windows\system32\schtasks.exe, run with the DLL override schtasks.exe=n), because Wine's own
// has no /QUERY. Tasks are kept as files C:\fake_tasks\<name>.xml, byte for byte as given.
//   /CREATE /TN name /XML file [/F]  stores the file (exit 0; 1 when it cannot be read or holds
//                                no "<Task", or when the task exists and /F is missing)
//   /DELETE /TN name /F          removes it (exit 0; 1 when absent)
//   /QUERY /TN name /XML         prints the definition in the ANSI code page (exit 1 and an error
//                                text on standard error when absent)
//   /VEILCAPFAKEPROBE            exit code 4243, so tests can tell the fake is in place
#include <windows.h>

#include <string>
#include <vector>

namespace {
const std::wstring kStore = L"C:\\fake_tasks";

std::wstring Upper(std::wstring s) {
  for (auto& c : s) c = wchar_t(towupper(c));
  return s;
}

std::wstring TaskFile(const std::wstring& name) {
  std::wstring safe;
  for (wchar_t c : name) safe += (wcschr(L"\\/:*?\"<>|", c) ? L'_' : c);
  return kStore + L"\\" + safe + L".xml";
}

bool ReadAll(const std::wstring& path, std::string* bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes->append(buffer, got);
  CloseHandle(h);
  return true;
}

void Write(DWORD which, const std::string& bytes) {
  DWORD written = 0;
  WriteFile(GetStdHandle(which), bytes.data(), DWORD(bytes.size()), &written, nullptr);
}

// The stored definition as text in the ANSI code page, whatever its byte-order mark.
std::string AsAnsi(const std::string& b) {
  std::wstring text;
  if (b.size() >= 2 && uint8_t(b[0]) == 0xFF && uint8_t(b[1]) == 0xFE) {
    text.assign(reinterpret_cast<const wchar_t*>(b.data() + 2), (b.size() - 2) / 2);
  } else if (b.size() >= 3 && uint8_t(b[0]) == 0xEF && uint8_t(b[1]) == 0xBB && uint8_t(b[2]) == 0xBF) {
    int n = MultiByteToWideChar(CP_UTF8, 0, b.data() + 3, int(b.size() - 3), nullptr, 0);
    text.resize(size_t(n));
    MultiByteToWideChar(CP_UTF8, 0, b.data() + 3, int(b.size() - 3), text.data(), n);
  } else {
    return b;
  }
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring action, name, xml;
  bool force = false;
  for (int i = 1; i < argc; ++i) {
    std::wstring a = Upper(argv[i]);
    if (a == L"/VEILCAPFAKEPROBE") return 4243;
    if (a == L"/CREATE" || a == L"/DELETE" || a == L"/QUERY") {
      action = a;
    } else if (a == L"/TN" && i + 1 < argc) {
      name = argv[++i];
    } else if (a == L"/XML" && action == L"/CREATE" && i + 1 < argc) {
      xml = argv[++i];
    } else if (a == L"/F") {
      force = true;
    }
  }
  if (action.empty() || name.empty()) {
    Write(STD_ERROR_HANDLE, "ERROR: Invalid syntax.\r\n");
    return 1;
  }
  const std::wstring file = TaskFile(name);
  if (action == L"/CREATE") {
    std::string bytes;
    if (xml.empty() || !ReadAll(xml, &bytes)) {
      Write(STD_ERROR_HANDLE, "ERROR: The system cannot find the file specified.\r\n");
      return 1;
    }
    if (AsAnsi(bytes).find("<Task") == std::string::npos) {
      Write(STD_ERROR_HANDLE, "ERROR: The task XML is malformed.\r\n");
      return 1;
    }
    if (!force && GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
      Write(STD_ERROR_HANDLE, "ERROR: Cannot create a file when that file already exists.\r\n");
      return 1;
    }
    CreateDirectoryW(kStore.c_str(), nullptr);
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return 1;
    DWORD written = 0;
    WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(h);
    Write(STD_OUTPUT_HANDLE, "SUCCESS: The scheduled task has successfully been created.\r\n");
    return 0;
  }
  if (action == L"/DELETE") {
    if (!DeleteFileW(file.c_str())) {
      Write(STD_ERROR_HANDLE, "ERROR: The system cannot find the file specified.\r\n");
      return 1;
    }
    return 0;
  }
  std::string bytes;
  if (!ReadAll(file, &bytes)) {
    Write(STD_ERROR_HANDLE, "ERROR: The system cannot find the file specified.\r\n");
    return 1;
  }
  Write(STD_OUTPUT_HANDLE, AsAnsi(bytes));
  return 0;
}

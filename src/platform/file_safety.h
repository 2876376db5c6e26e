// Whether the program file could be replaced by someone who is not an administrator: the file,
// its folder and the folders above it are judged from their owner and their access control
// entries. The Windows calls sit behind FileSecuritySource; the judgement is portable.
#pragma once
#include <cstdint>
#include <optional>
#include <vector>

#include "core/text.h"

// Access rights as the file system grants them.
inline constexpr uint32_t kRightWriteData = 0x2;       // FILE_WRITE_DATA / FILE_ADD_FILE
inline constexpr uint32_t kRightAppendData = 0x4;      // FILE_APPEND_DATA / FILE_ADD_SUBDIRECTORY
inline constexpr uint32_t kRightDeleteChild = 0x40;    // FILE_DELETE_CHILD
inline constexpr uint32_t kRightDelete = 0x10000;      // DELETE
inline constexpr uint32_t kRightWriteDac = 0x40000;    // WRITE_DAC
inline constexpr uint32_t kRightWriteOwner = 0x80000;  // WRITE_OWNER
inline constexpr uint32_t kRightGenericAll = 0x10000000;
inline constexpr uint32_t kRightGenericWrite = 0x40000000;
inline constexpr uint8_t kAceInheritOnly = 0x08;       // INHERIT_ONLY_ACE: not for the object itself

// One access control entry: allowed or denied rights for a SID (as text, "S-1-5-32-545").
struct AccessEntry {
  bool allow = true;
  u16 sid;
  uint32_t mask = 0;
  uint8_t flags = 0;
};

// What the security descriptor of a file or folder says.
struct SecurityFacts {
  u16 owner;
  bool hasDacl = true;  // false: a NULL DACL, which lets everyone do everything
  std::vector<AccessEntry> entries;
};

// GetNamedSecurityInfoW for owner and DACL; nullopt when it cannot be read.
class FileSecuritySource {
 public:
  virtual ~FileSecuritySource() = default;
  virtual std::optional<SecurityFacts> Read(const u16& path) = 0;
  // Where the path really leads, links and junctions followed (on Windows the final path of an
  // open handle), as "C:\..." or "\\server\share\..."; nullopt when it cannot be opened. The
  // default: the path as given.
  virtual std::optional<u16> FinalPath(const u16& path) { return path; }
  // Whether the drive of a final path is a network drive (a mapped share).
  virtual bool OnNetworkDrive(const u16& finalPath) {
    (void)finalPath;
    return false;
  }
};
// Installs the source (not owned). Without one nothing counts as safe.
void SetFileSecuritySource(FileSecuritySource* source);

// How a path stands to the program: the program file itself, the folder holding it, or a folder
// further up (which can only swap the whole folder below it).
enum class PathRole { Program, Folder, Ancestor };

// Whether someone other than SYSTEM, the Administrators group or TrustedInstaller can change the
// object in a way that matters for its role: as owner (an owner may always rewrite the DACL), or
// through an allowing entry that applies to the object itself. Denying entries are not credited.
bool ChangeableByNonAdministrators(const SecurityFacts& facts, PathRole role);

// "C:\A\B\Veilcap.exe" -> the folder "C:\A\B", then "C:\A", then "C:\"; for
// "\\server\share\x\Veilcap.exe" up to "\\server\share\". Empty for a path without a folder.
std::vector<u16> FoldersAbove(const u16& programPath);

// True only when the program file, its folder and every folder above could all be read and none
// of them can be changed by non-administrators. Judged where the path really leads (a link or a
// junction is followed), and never for a program on the network (a UNC path or a mapped drive):
// whoever runs the server decides what it serves.
bool ProgramChangeableOnlyByAdministrators(const u16& programPath);

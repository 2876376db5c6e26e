#include "platform/file_safety.h"

namespace {
FileSecuritySource* g_source = nullptr;

const char16_t* const kTrustedSids[] = {
    u"S-1-5-18",      // SYSTEM
    u"S-1-5-32-544",  // Administrators
    u"S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464",  // TrustedInstaller
};

bool Trusted(const u16& sid) {
  for (const char16_t* t : kTrustedSids)
    if (AsciiUpper(sid) == t) return true;
  return false;
}

// The rights that let the holder put other code where the program is started from.
uint32_t HarmfulRights(PathRole role) {
  const uint32_t always = kRightWriteDac | kRightWriteOwner | kRightGenericAll;
  switch (role) {
    case PathRole::Program:
      return always | kRightWriteData | kRightAppendData | kRightDelete | kRightGenericWrite;
    case PathRole::Folder:
      // Adding files lets a library or a translation be planted beside the program.
      return always | kRightWriteData | kRightAppendData | kRightDeleteChild | kRightDelete | kRightGenericWrite;
    case PathRole::Ancestor:
      // Creating entries here is harmless (the root of a drive allows it to everyone); renaming
      // or removing the folders below is not.
      return always | kRightDeleteChild | kRightDelete;
  }
  return always;
}
}  // namespace

void SetFileSecuritySource(FileSecuritySource* source) { g_source = source; }

bool ChangeableByNonAdministrators(const SecurityFacts& facts, PathRole role) {
  if (!Trusted(facts.owner)) return true;
  if (!facts.hasDacl) return true;
  const uint32_t harmful = HarmfulRights(role);
  for (const AccessEntry& e : facts.entries) {
    if (!e.allow || (e.flags & kAceInheritOnly) || Trusted(e.sid)) continue;
    if (e.mask & harmful) return true;
  }
  return false;
}

std::vector<u16> FoldersAbove(const u16& programPath) {
  std::vector<u16> folders;
  // The first folder that may not be cut off: "C:\" or "\\server\share\".
  size_t rootEnd = 0;
  if (StartsWith(programPath, u"\\\\")) {
    size_t server = programPath.find(u'\\', 2);
    size_t share = server == u16::npos ? u16::npos : programPath.find(u'\\', server + 1);
    if (share == u16::npos) return folders;
    rootEnd = share + 1;
  } else if (programPath.size() >= 3 && programPath[1] == u':' && programPath[2] == u'\\') {
    rootEnd = 3;
  } else {
    return folders;
  }
  size_t end = programPath.rfind(u'\\');
  while (end != u16::npos && end + 1 > rootEnd) {
    folders.push_back(programPath.substr(0, end));
    if (end == 0) break;
    end = programPath.rfind(u'\\', end - 1);
  }
  folders.push_back(programPath.substr(0, rootEnd));
  return folders;
}

bool ProgramChangeableOnlyByAdministrators(const u16& givenPath) {
  if (!g_source) return false;
  const std::optional<u16> finalPath = g_source->FinalPath(givenPath);
  if (!finalPath || StartsWith(*finalPath, u"\\\\") || g_source->OnNetworkDrive(*finalPath)) return false;
  const u16& programPath = *finalPath;
  const std::vector<u16> folders = FoldersAbove(programPath);
  if (folders.empty()) return false;
  auto safe = [](const u16& path, PathRole role) {
    const auto facts = g_source->Read(path);
    return facts && !ChangeableByNonAdministrators(*facts, role);
  };
  if (!safe(programPath, PathRole::Program)) return false;
  for (size_t i = 0; i < folders.size(); ++i)
    if (!safe(folders[i], i == 0 ? PathRole::Folder : PathRole::Ancestor)) return false;
  return true;
}

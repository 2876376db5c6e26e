// Writes the policy templates from the program's table of policies and the shipped translation
// files: assets/policies/Veilcap.admx and assets/policies/<culture>/Veilcap.adml per language.
// Built by the native preset; run from anywhere:
//   build/native/make_policy_templates <source folder>
// The unit tests fail while the committed templates differ from what this writes.
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "guard/policy_templates.h"

namespace fs = std::filesystem;

namespace {
std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}
}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_policy_templates <source folder>\n";
    return 2;
  }
  const fs::path root = argv[1];
  const fs::path translations = root / "assets" / "translation";
  const fs::path out = root / "assets" / "policies";
  const PolicyTexts english = Policy_TextsOf(ReadBytes(translations / "en-us.tlang3"));
  if (english.empty()) {
    std::cerr << "no English policy texts in " << translations << "\n";
    return 1;
  }
  Write(out / "Veilcap.admx", Policy_Admx());
  int languages = 0;
  for (const auto& e : fs::directory_iterator(translations)) {
    if (e.path().extension() != ".tlang3") continue;
    const u16 culture = Policy_Culture(FromUtf8(e.path().stem().string()));
    Write(out / ToUtf8(culture) / "Veilcap.adml", Policy_Adml(Policy_TextsOf(ReadBytes(e.path())), english));
    ++languages;
  }
  std::cout << "wrote Veilcap.admx and " << languages << " Veilcap.adml files to " << out << "\n";
  return 0;
}

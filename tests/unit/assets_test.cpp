// Checks the files that ship beside the program: translation files and index.txt
// (names, format, keys), skin pictures, flags, the icons and the
// about background built into the executable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/text.h"
#include "core/textfile.h"
#include "guard/policies.h"
#include "guard/policy_templates.h"
#include "lang/languages.h"

#ifndef VEILCAP_SOURCE_DIR
#error "VEILCAP_SOURCE_DIR must name the source tree (cmake/native.cmake)"
#endif

namespace {

namespace fs = std::filesystem;

const fs::path kAssets = fs::path(VEILCAP_SOURCE_DIR) / "assets";

std::vector<uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 |
         uint32_t(b.at(at + 3)) << 24;
}
uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
  return uint16_t(b.at(at) | b.at(at + 1) << 8);
}
uint32_t Be32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b.at(at)) << 24 | uint32_t(b.at(at + 1)) << 16 | uint32_t(b.at(at + 2)) << 8 |
         uint32_t(b.at(at + 3));
}

// The language codes shipped, each checked by hand against the language table (the scan tries
// code, then language, then language-language): de-de -> de 0x0407, en-us 0x0409,
// fr-fr -> fr 0x040C, es-es -> es 0x040A, it-it -> it 0x0410, nl-nl 0x0413, pl-pl -> pl 0x0415,
// pt-br 0x0416, cs-cz -> cs 0x0405, sv-se -> sv 0x041D, tr-tr -> tr 0x041F, ru-ru -> ru 0x0419,
// uk-ua -> uk 0x0422, ja-jp -> ja 0x0411, zh-cn 0x0804. All non-zero.
const std::set<std::string> kVerifiedCodes = {"de-de", "en-us", "fr-fr", "es-es", "it-it",
                                              "nl-nl", "pl-pl", "pt-br", "cs-cz", "sv-se",
                                              "tr-tr", "ru-ru", "uk-ua", "ja-jp", "zh-cn"};

// The translatable components of both windows and the width recorded in index.txt.
const std::vector<std::pair<std::string, int>> kWindowKeys = {
    {"Form_Veilcap.Label_RebootNeed_Cam", 168},
    {"Form_Veilcap.Label_RebootNeed_Mic", 168},
    {"Form_Veilcap.Tray_Show", 0},
    {"Form_Veilcap.Tray_ShowDevices", 0},
    {"Form_Veilcap.Tray_RefreshDevices", 0},
    {"Form_Veilcap.Tray_DeviceManager", 0},
    {"Form_Veilcap.Tray_Options", 0},
    {"Form_Veilcap.Tray_NoPhysicalCameraLED", 0},
    {"Form_Veilcap.Tray_Privacy_webcam", 0},
    {"Form_Veilcap.Tray_Privacy_Mic", 0},
    {"Form_Veilcap.Tray_Option_Privacy_Cam", 0},
    {"Form_Veilcap.Tray_Option_Privacy_Mic", 0},
    {"Form_Veilcap.Tray_Option_ShowNotices", 0},
    {"Form_Veilcap.Tray_Option_KeepBlocked", 0},
    {"Form_Veilcap.Tray_Option_Hotkeys", 0},
    {"Form_Veilcap.Tray_Option_BlockWhileLocked", 0},
    {"Form_Veilcap.Tray_PolicyManaged", 0},
    {"Form_Veilcap.Tray_Flag_StartWithWindows", 0},
    {"Form_Veilcap.Tray_Lang", 0},
    {"Form_Veilcap.Tray_Quit", 0},
    {"Form_Veilcap.MenuItem_help_Help", 0},
    {"Form_Veilcap.MenuItem_help_About", 0},
    {"Form_VCP_Devices.Form_VCP_Devices", 0},
    {"Form_VCP_Devices.VirtualDrawTree_Devices", 0},
};

// The message table.
const std::vector<std::string> kMessageKeys = {
    "MESSAGE_TRANSLATOR_NAME",          "MESSAGE_TRANSLATOR_EMAIL",
    "MESSAGE_DEVICES_STATUS_ACTIVE",    "MESSAGE_DEVICES_STATUS_NOT_CONNECTED",
    "MESSAGE_DEVICES_STATUS_PROBLEM",   "MESSAGE_DEVICES_STATUS_DEACTIVED",
    "MESSAGE_STATUS_CAM_NOTFOUND",      "MESSAGE_STATUS_MIC_NOTFOUND",
    "MESSAGE_STATUS_PLEASEWAIT",        "MESSAGE_STATUS_CAM_MULTIPLE",
    "MESSAGE_STATUS_MIC_MULTIPLE",      "MESSAGE_STATUS_NEED_RESTART",
    "MESSAGE_STATUS_MIC_DEACTIVATE_FAILED",
    "MESSAGE_ACCESS_CAM_ON",            "MESSAGE_ACCESS_CAM_OFF",
    "MESSAGE_ACCESS_CAM_NONE",          "MESSAGE_ACCESS_MIC_ON",
    "MESSAGE_ACCESS_MIC_OFF",           "MESSAGE_ACCESS_MIC_NONE",
    "MESSAGE_ACCESS_MESSAGES",          "MESSAGE_ACCESS_FEEDBACK",
    "MESSAGE_ACCESS_MINIMIZE",          "MESSAGE_ACCESS_CLOSE",
    "MESSAGE_ACCESS_PRESS",             "MESSAGE_STATUS_INUSE",
    "MESSAGE_TRAY_CAM_INUSE",           "MESSAGE_TRAY_MIC_INUSE",
    "MESSAGE_NOTICE_CAM_STARTED",       "MESSAGE_NOTICE_MIC_STARTED",
    "MESSAGE_NOTICE_CAM_ARRIVED",       "MESSAGE_NOTICE_MIC_ARRIVED",
    "MESSAGE_NOTICE_CAM_ON",            "MESSAGE_NOTICE_CAM_OFF",
    "MESSAGE_NOTICE_MIC_ON",            "MESSAGE_NOTICE_MIC_OFF",
    "MESSAGE_STILL_IN_USE_CAM",         "MESSAGE_STILL_IN_USE_MIC",
    "MESSAGE_NOTICE_KEPT_BLOCKED",      "MESSAGE_NOTICE_KEEP_FAILED",
    "MESSAGE_NOTICE_HOTKEY_TAKEN",      "MESSAGE_NOTICE_CAMS_BLOCKED",
    "MESSAGE_NOTICE_CAMS_ON",           "MESSAGE_NOTICE_MICS_BLOCKED",
    "MESSAGE_NOTICE_MICS_ON",
    "MESSAGE_CLI_HELP",                 "MESSAGE_CLI_BAD_USAGE",
    "MESSAGE_CLI_STILL_ON",             "MESSAGE_CLI_STILL_OFF",
    "MESSAGE_CLI_BUSY",
    "MESSAGE_TASK_CREATE_FAILED",
    "MESSAGE_TASK_REFUSED_FOLDER",
    "MESSAGE_CONFIRM_UNBLOCK_CAM",      "MESSAGE_CONFIRM_UNBLOCK_MIC",
    "MESSAGE_CONFIRM_UNBLOCK_BUTTON",   "MESSAGE_SWITCHING_BUSY",
    "MESSAGE_POLICY_REFUSED",
    "MESSAGE_OPEN_PAGE_YOURSELF",
    "MESSAGE_CLI_NOT_FOUND",
};

// A translation file in its format, read through the program's own text helpers: the lines as
// key -> text (first of equal keys wins, keys compared without regard to case).
struct KeyFile {
  std::vector<uint8_t> bytes;
  DecodedText decoded;
  std::vector<u16> lines;
  std::map<std::string, u16> texts;  // upper-cased key -> text
};

KeyFile ReadKeyFile(const fs::path& path) {
  KeyFile f;
  f.bytes = ReadBytes(path);
  f.decoded = DecodeText(f.bytes);
  f.lines = SplitLines(f.decoded.text);
  for (const u16& line : f.lines) {
    auto kv = SplitFirst(line, u"=");
    if (!kv) continue;
    f.texts.emplace(ToUtf8(AsciiUpper(kv->first)), kv->second);
  }
  return f;
}

std::string Upper(const std::string& s) { return ToUtf8(AsciiUpper(FromUtf8(s))); }

// Format rules shared by translation files and index.txt.
void ExpectUtf16LeWithCrLf(const KeyFile& f, const std::string& name) {
  ASSERT_GE(f.bytes.size(), 2u) << name;
  EXPECT_EQ(f.bytes[0], 0xFF) << name;
  EXPECT_EQ(f.bytes[1], 0xFE) << name;
  EXPECT_EQ(f.decoded.encoding, TextEncoding::Utf16LE) << name;
  EXPECT_EQ(f.bytes.size() % 2, 0u) << name;
  const u16& t = f.decoded.text;
  ASSERT_GE(t.size(), 2u) << name;
  EXPECT_EQ(t.substr(t.size() - 2), u"\r\n") << name << ": the last line ends with CR LF";
  for (size_t i = 0; i < t.size(); ++i) {
    if (t[i] == u'\r') {
      ASSERT_TRUE(i + 1 < t.size() && t[i + 1] == u'\n') << name << ": lone CR at " << i;
    } else if (t[i] == u'\n') {
      ASSERT_TRUE(i > 0 && t[i - 1] == u'\r') << name << ": lone LF at " << i;
    }
  }
  for (const u16& line : f.lines) {
    EXPECT_FALSE(line.empty()) << name << ": empty line";
    EXPECT_TRUE(Contains(line, u"=")) << name << ": line without '=': " << ToUtf8(line);
  }
}

std::vector<fs::path> TranslationFiles() {
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(kAssets / "translation")) {
    if (e.is_regular_file() && e.path().extension() == ".tlang3") files.push_back(e.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

TEST(AssetsTranslation, IndexFileListsEveryWindowKey) {
  const KeyFile index = ReadKeyFile(kAssets / "translation" / "index.txt");
  ExpectUtf16LeWithCrLf(index, "index.txt");
  EXPECT_EQ(index.lines.size(), kWindowKeys.size());
  for (const auto& [key, width] : kWindowKeys) {
    auto it = index.texts.find(Upper(key));
    ASSERT_NE(it, index.texts.end()) << key;
    EXPECT_EQ(ToUtf8(it->second), "TEXT," + std::to_string(width) + ",01.00.30") << key;
  }
  for (const u16& line : index.lines) {
    EXPECT_FALSE(StartsWith(AsciiUpper(line), u"MESSAGES.")) << "the export writes window keys only";
  }
}

TEST(AssetsTranslation, ShipsGermanEnglishAndAtLeastTenMore) {
  std::set<std::string> codes;
  for (const auto& p : TranslationFiles()) codes.insert(p.stem().string());
  EXPECT_TRUE(codes.count("de-de"));
  EXPECT_TRUE(codes.count("en-us"));
  EXPECT_GE(codes.size(), 12u);
}

TEST(AssetsTranslation, EveryFileNameResolvesToAnLcid) {
  for (const auto& p : TranslationFiles()) {
    const std::string base = p.filename().string().substr(0, p.filename().string().find('.'));
    EXPECT_EQ(base, ToUtf8(AsciiLower(FromUtf8(base)))) << "file names are lower case";
    EXPECT_TRUE(kVerifiedCodes.count(base)) << p.filename() << " is not a code verified against the language table";
  }
}

// The same codes through the program's language table and the translation-file scan rule (
// language-country, then language, then language-language).
TEST(AssetsTranslation, EveryCodeResolvesThroughTheLanguageTable) {
  const std::map<std::string, uint16_t> expected = {
      {"de-de", 0x0407}, {"en-us", 0x0409}, {"fr-fr", 0x040C}, {"es-es", 0x040A},
      {"it-it", 0x0410}, {"nl-nl", 0x0413}, {"pl-pl", 0x0415}, {"pt-br", 0x0416},
      {"cs-cz", 0x0405}, {"sv-se", 0x041D}, {"tr-tr", 0x041F}, {"ru-ru", 0x0419},
      {"uk-ua", 0x0422}, {"ja-jp", 0x0411}, {"zh-cn", 0x0804}};
  for (const auto& p : TranslationFiles()) {
    const u16 code = FromUtf8(p.stem().string());
    const auto split = SplitFirst(code, u"-");
    ASSERT_TRUE(split.has_value()) << p.filename();
    const auto& [lang, country] = *split;
    uint16_t lcid = LanguageCode_To_LCID(lang + u"-" + country);
    if (lcid == 0) lcid = LanguageCode_To_LCID(lang);
    if (lcid == 0) lcid = LanguageCode_To_LCID(lang + u"-" + lang);
    EXPECT_NE(lcid, 0) << p.filename();
    auto it = expected.find(p.stem().string());
    if (it != expected.end()) {
      EXPECT_EQ(lcid, it->second) << p.filename();
    }
  }
}

TEST(AssetsTranslation, EveryFileParsesAndHoldsEveryKey) {
  const KeyFile index = ReadKeyFile(kAssets / "translation" / "index.txt");
  const KeyFile german = ReadKeyFile(kAssets / "translation" / "de-de.tlang3");
  const auto files = TranslationFiles();
  ASSERT_FALSE(files.empty());
  for (const auto& p : files) {
    const std::string name = p.filename().string();
    SCOPED_TRACE(name);
    const KeyFile f = ReadKeyFile(p);
    ExpectUtf16LeWithCrLf(f, name);

    std::vector<std::string> keys;
    for (const auto& [key, text] : index.texts) keys.push_back(key);
    for (const auto& m : kMessageKeys) keys.push_back(Upper("MESSAGES." + m));
    // The texts of the policy templates, as the program's table of policies names them.
    for (const u16& k : Policy_TextKeys()) keys.push_back(Upper("POLICIES." + ToUtf8(k)));
    EXPECT_EQ(f.lines.size(), keys.size()) << "one line per key, nothing else";
    for (const std::string& key : keys) {
      auto it = f.texts.find(key);
      ASSERT_NE(it, f.texts.end()) << "missing " << key;
      EXPECT_FALSE(Trim(it->second).empty()) << "empty text for " << key;
      const u16& de = german.texts.at(key);
      for (u16v ph : {u16v(u"%1"), u16v(u"%2")}) {
        if (Contains(de, ph)) {
          EXPECT_TRUE(Contains(it->second, ph)) << key << " lacks " << ToUtf8(ph);
        }
      }
    }
    // The tree header holds two column texts.
    const u16& tree = f.texts.at(Upper("Form_VCP_Devices.VirtualDrawTree_Devices"));
    auto parts = SplitFirst(ReplaceAllNoCase(tree, u"%CRLF", u"\r\n"), u"\r\n");
    ASSERT_TRUE(parts.has_value()) << "two parts";
    EXPECT_FALSE(parts->first.empty());
    EXPECT_FALSE(parts->second.empty());
    EXPECT_FALSE(Contains(parts->second, u"\r\n"));
  }
}

TEST(AssetsTranslation, GermanFileUsesTheBuiltInTexts) {
  const KeyFile de = ReadKeyFile(kAssets / "translation" / "de-de.tlang3");
  auto text = [&](const char* key) { return ToUtf8(de.texts.at(Upper(key))); };
  EXPECT_EQ(text("Form_Veilcap.Tray_Show"), "Anzeigen");
  EXPECT_EQ(text("Form_Veilcap.Tray_Lang"), "Sprache");
  EXPECT_EQ(text("Form_Veilcap.Label_RebootNeed_Cam"), "Neustart nötig");
  EXPECT_EQ(text("Form_VCP_Devices.Form_VCP_Devices"), "Entdeckte Geräte");
  EXPECT_EQ(text("Form_VCP_Devices.VirtualDrawTree_Devices"), "Gerät%CRLFStatus");
  EXPECT_EQ(text("MESSAGES.MESSAGE_STATUS_CAM_MULTIPLE"), "%1/%2 Webcams bereit");
  EXPECT_EQ(text("MESSAGES.MESSAGE_STATUS_PLEASEWAIT"), "Bitte warten...");
  EXPECT_EQ(text("MESSAGES.MESSAGE_TRANSLATOR_NAME"), "Vostrel Software");
  EXPECT_EQ(text("MESSAGES.MESSAGE_TRANSLATOR_EMAIL"), "translations@vostrel-software.example");
  const std::string failed = text("MESSAGES.MESSAGE_STATUS_MIC_DEACTIVATE_FAILED");
  EXPECT_NE(failed.find("separat"), std::string::npos);
  EXPECT_EQ(failed.find("seperat"), std::string::npos);
}

TEST(AssetsTranslation, GeneratedFilesMatchTheirSource) {
  // tools/make-translations.py writes every .tlang3 from translation/source/<code>.txt; a source
  // edited without running it would ship stale texts.
  for (const auto& p : TranslationFiles()) {
    SCOPED_TRACE(p.filename().string());
    const fs::path source = kAssets / "translation" / "source" / (p.stem().string() + ".txt");
    ASSERT_TRUE(fs::exists(source));
    const auto bytes = ReadBytes(source);
    std::vector<u16> expected;
    for (const u16& line : SplitLines(FromUtf8(std::string(bytes.begin(), bytes.end())))) {
      const u16 t = Trim(line);
      if (t.empty() || StartsWith(t, u"#")) continue;
      expected.push_back(line);
    }
    std::sort(expected.begin(), expected.end());
    std::vector<u16> shipped = ReadKeyFile(p).lines;
    std::sort(shipped.begin(), shipped.end());
    EXPECT_EQ(shipped, expected) << "run tools/make-translations.py";
  }
}

// ---- policy templates --------------------------------------------------------------------------

const fs::path kPolicies = kAssets / "policies";

std::string ReadText(const fs::path& path) {
  const auto b = ReadBytes(path);
  return std::string(b.begin(), b.end());
}

// The value of attribute name="..." in an element's text, or empty.
std::string Attribute(const std::string& element, const std::string& name) {
  const std::string open = " " + name + "=\"";
  const size_t at = element.find(open);
  if (at == std::string::npos) return {};
  const size_t from = at + open.size();
  return element.substr(from, element.find('"', from) - from);
}

// Every "<tag ...>" start of an element in the text.
std::vector<std::string> Elements(const std::string& xml, const std::string& tag) {
  std::vector<std::string> out;
  for (size_t at = xml.find("<" + tag + " "); at != std::string::npos; at = xml.find("<" + tag + " ", at + 1))
    out.push_back(xml.substr(at, xml.find('>', at) - at));
  return out;
}

TEST(AssetsPolicies, CommittedTemplatesAreWhatTheProgramsTableGives) {
  // assets/policies is written by make_policy_templates from the table the program reads; a
  // policy added, renamed or re-explained without running it ships templates that disagree.
  EXPECT_EQ(ReadText(kPolicies / "Veilcap.admx"), Policy_Admx()) << "run build/native/make_policy_templates .";
  const PolicyTexts english = Policy_TextsOf(ReadBytes(kAssets / "translation" / "en-us.tlang3"));
  std::set<std::string> cultures;
  for (const auto& p : TranslationFiles()) {
    const std::string culture = ToUtf8(Policy_Culture(FromUtf8(p.stem().string())));
    SCOPED_TRACE(culture);
    cultures.insert(culture);
    EXPECT_EQ(ReadText(kPolicies / culture / "Veilcap.adml"), Policy_Adml(Policy_TextsOf(ReadBytes(p)), english))
        << "run build/native/make_policy_templates .";
  }
  std::set<std::string> folders;
  for (const auto& e : fs::directory_iterator(kPolicies))
    if (e.is_directory()) folders.insert(e.path().filename().string());
  EXPECT_EQ(folders, cultures) << "one culture folder per shipped language, no other";
  EXPECT_TRUE(cultures.count("en-US") && cultures.count("de-DE"));
}

TEST(AssetsPolicies, EveryPolicyNamesTheProgramsKeyAndValueAndEveryTextResolves) {
  const std::string admx = ReadText(kPolicies / "Veilcap.admx");
  std::vector<std::string> valueNames;
  for (const std::string& policy : Elements(admx, "policy")) {
    EXPECT_EQ(Attribute(policy, "key"), ToUtf8(kPolicyKey));
    EXPECT_EQ(Attribute(policy, "class"), "Machine");
    EXPECT_EQ(Attribute(policy, "name"), Attribute(policy, "valueName"));
    valueNames.push_back(Attribute(policy, "valueName"));
  }
  std::vector<std::string> table;
  for (const PolicyDef& def : PolicyTable()) table.push_back(ToUtf8(def.valueName));
  EXPECT_EQ(valueNames, table);

  // Every $(string.x) and $(presentation.x) of the ADMX has its entry, with a text, in every ADML.
  std::set<std::pair<std::string, std::string>> refs;
  for (const char* kind : {"string", "presentation"}) {
    const std::string open = std::string("$(") + kind + ".";
    for (size_t at = admx.find(open); at != std::string::npos; at = admx.find(open, at + 1))
      refs.insert({kind, admx.substr(at + open.size(), admx.find(')', at) - at - open.size())});
  }
  EXPECT_EQ(refs.size(), 2 * kPolicyCount + 2) << "name and explanation per policy, category, supported-on";
  for (const auto& e : fs::directory_iterator(kPolicies)) {
    if (!e.is_directory()) continue;
    SCOPED_TRACE(e.path().filename().string());
    const std::string adml = ReadText(e.path() / "Veilcap.adml");
    for (const auto& [kind, id] : refs) {
      const std::string open = "<" + kind + " id=\"" + id + "\">";
      const size_t at = adml.find(open);
      ASSERT_NE(at, std::string::npos) << kind << " " << id;
      EXPECT_NE(adml[at + open.size()], '<') << "empty " << kind << " " << id;
    }
  }
}

// ---- pictures --------------------------------------------------------------------------------

struct Bmp {
  int32_t width = 0, height = 0;
  uint16_t bits = 0;
  uint32_t compression = 0, offset = 0;
  std::vector<uint8_t> bytes;
  // Colour at (x, y), y counted from the top; bottom-up 24-bit rows padded to four bytes.
  uint32_t Rgb(int x, int y) const {
    const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
    const size_t at = offset + size_t(height - 1 - y) * stride + size_t(x) * 3;
    return uint32_t(bytes.at(at + 2)) << 16 | uint32_t(bytes.at(at + 1)) << 8 | bytes.at(at);
  }
};

Bmp ReadBmp(const fs::path& path) {
  Bmp b;
  b.bytes = ReadBytes(path);
  if (b.bytes.size() < 54 || b.bytes[0] != 'B' || b.bytes[1] != 'M') return b;
  b.offset = Le32(b.bytes, 10);
  b.width = int32_t(Le32(b.bytes, 18));
  b.height = int32_t(Le32(b.bytes, 22));
  b.bits = Le16(b.bytes, 28);
  b.compression = Le32(b.bytes, 30);
  return b;
}

void ExpectBmp24(const fs::path& path, int width, int height) {
  SCOPED_TRACE(path.filename().string());
  ASSERT_TRUE(fs::exists(path));
  const Bmp b = ReadBmp(path);
  EXPECT_EQ(b.width, width);
  EXPECT_EQ(b.height, height) << "bottom-up rows";
  EXPECT_EQ(b.bits, 24);
  EXPECT_EQ(b.compression, 0u);
  const size_t stride = (size_t(width) * 3 + 3) / 4 * 4;
  EXPECT_GE(b.bytes.size(), b.offset + stride * size_t(height));
}

void ExpectPngRgba(const fs::path& path, uint32_t size) {
  SCOPED_TRACE(path.filename().string());
  ASSERT_TRUE(fs::exists(path));
  const auto b = ReadBytes(path);
  ASSERT_GE(b.size(), 33u);
  const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  EXPECT_TRUE(std::equal(sig, sig + 8, b.begin()));
  EXPECT_EQ(std::string(b.begin() + 12, b.begin() + 16), "IHDR");
  EXPECT_EQ(Be32(b, 16), size);
  EXPECT_EQ(Be32(b, 20), size);
  EXPECT_EQ(b[24], 8) << "bit depth";
  EXPECT_EQ(b[25], 6) << "colour type 6: RGBA";
}

int Channel(uint32_t rgb, int shift) { return int(rgb >> shift & 0xFF); }

TEST(AssetsPictures, StatusPicturesHaveTheirSizeAndACalmTextBand) {
  for (const char* name : {"cam-on", "cam-off", "cam-disabled", "mic-on", "mic-off", "mic-disabled"}) {
    const fs::path path = kAssets / "skins" / (std::string(name) + ".bmp");
    ExpectBmp24(path, 200, 205);
    const Bmp b = ReadBmp(path);
    if (b.width != 200 || b.height != 205 || b.bits != 24) continue;
    SCOPED_TRACE(name);
    // Drawn transparent: the bottom-left pixel's colour is the window's background.
    EXPECT_EQ(b.Rgb(0, 204), 0xFBFBFBu);
    // Status text (picture rows 107-143, x 4-196) and restart note (rows 12-32, x 8-196) are
    // drawn over the picture in black: both bands stay light.
    auto darkest = [&](int y0, int y1, int x0, int x1) {
      int m = 255;
      for (int y = y0; y <= y1; ++y)
        for (int x = x0; x < x1; ++x)
          for (int s : {0, 8, 16}) m = std::min(m, Channel(b.Rgb(x, y), s));
      return m;
    };
    EXPECT_GE(darkest(107, 143, 4, 196), 220);
    EXPECT_GE(darkest(12, 32, 8, 196), 220);
  }
}

TEST(AssetsPictures, BannerAndAboutBackground) {
  ExpectBmp24(kAssets / "skins" / "logo.bmp", 500, 64);
  ExpectBmp24(kAssets / "about.bmp", 417, 372);
  ExpectBmp24(kAssets / "wizard.bmp", 164, 314);  // the setup's welcome and finish pages (NSIS at 96 DPI)
  const Bmp about = ReadBmp(kAssets / "about.bmp");
  if (about.width != 417 || about.bits != 24) return;
  // Gradient from (10, 105, 193) at the left to (0, 180, 255) at the right over the top 78 rows.
  auto near = [](uint32_t rgb, int r, int g, int b) {
    return std::abs(Channel(rgb, 16) - r) <= 4 && std::abs(Channel(rgb, 8) - g) <= 4 &&
           std::abs(Channel(rgb, 0) - b) <= 4;
  };
  EXPECT_TRUE(near(about.Rgb(0, 77), 10, 105, 193));
  EXPECT_TRUE(near(about.Rgb(416, 0), 0, 180, 255));
  EXPECT_EQ(about.Rgb(200, 78), 0xFFFFFFu) << "white below the banner";
  EXPECT_EQ(about.Rgb(416, 371), 0xFFFFFFu);
  // The version label's spot (x 301-409, y 60-76) is plain gradient: no white drawing there.
  for (int y = 60; y <= 76; ++y)
    for (int x = 301; x <= 409; ++x) ASSERT_LT(Channel(about.Rgb(x, y), 16), 40) << x << "," << y;
}

TEST(AssetsPictures, TitleBarButtonsAndRestartMarkerArePngWithAlpha) {
  for (const char* name :
       {"but_close", "but_close_hover", "but_minimize", "but_minimize_hover", "but_help_normal",
        "but_help_hover", "but_settings_normal", "but_settings_hover", "but_internet_normal",
        "but_internet_hover", "but_feedback_normal", "but_feedback_hover"}) {
    ExpectPngRgba(kAssets / "skins" / (std::string(name) + ".png"), 32);
  }
  ExpectPngRgba(kAssets / "skins" / "icon_reboot.png", 16);
}

TEST(AssetsPictures, IconsHoldFiveSizesWithAlpha) {
  for (const char* name : {"veilcap", "tray_normal", "tray_on", "tray_off", "tray_nodevice"}) {
    const fs::path path = kAssets / "icons" / (std::string(name) + ".ico");
    SCOPED_TRACE(name);
    ASSERT_TRUE(fs::exists(path));
    const auto b = ReadBytes(path);
    ASSERT_GE(b.size(), 6u);
    EXPECT_EQ(Le16(b, 0), 0);
    EXPECT_EQ(Le16(b, 2), 1) << "icon";
    const uint16_t count = Le16(b, 4);
    ASSERT_EQ(count, 5);
    std::set<int> sizes;
    for (int i = 0; i < count; ++i) {
      const size_t e = 6 + 16 * size_t(i);
      const int w = b.at(e) ? b.at(e) : 256, h = b.at(e + 1) ? b.at(e + 1) : 256;
      EXPECT_EQ(w, h);
      EXPECT_EQ(Le16(b, e + 6), 32) << "32-bit with alpha";
      const uint32_t bytes = Le32(b, e + 8), offset = Le32(b, e + 12);
      ASSERT_LE(size_t(offset) + bytes, b.size());
      // Image data: a DIB header of this size (32 bpp) or a PNG.
      if (Le32(b, offset) == 40) {
        EXPECT_EQ(int(Le32(b, offset + 4)), w);
        EXPECT_EQ(int(Le32(b, offset + 8)), 2 * h) << "image and mask";
        EXPECT_EQ(Le16(b, offset + 14), 32);
      }
      sizes.insert(w);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 20, 24, 32, 48}));
  }
}

TEST(AssetsPictures, EveryLanguageHasA16PixelFlagFoundByRuleOne) {
  for (const auto& p : TranslationFiles()) {
    const fs::path flag = kAssets / "Flags" / (p.stem().string() + ".bmp");
    ExpectBmp24(flag, 16, 16);
    const Bmp b = ReadBmp(flag);
    if (b.width != 16 || b.height != 16 || b.bits != 24) continue;
    // Pure white is transparent: only the margin rows above and below the flag use it.
    EXPECT_EQ(b.Rgb(0, 0), 0xFFFFFFu) << flag.filename();
    for (int y = 2; y <= 13; ++y)
      for (int x = 0; x < 16; ++x) EXPECT_NE(b.Rgb(x, y), 0xFFFFFFu) << flag.filename() << " " << x << "," << y;
  }
}

TEST(AssetsResources, ResourceScriptNamesTheIds) {
  const auto bytes = ReadBytes(kAssets / "resources.rc");
  const std::string rc(bytes.begin(), bytes.end());
  for (const char* line : {"1   ICON   \"assets/icons/veilcap.ico\"", "101 ICON   \"assets/icons/tray_normal.ico\"",
                           "102 ICON   \"assets/icons/tray_on.ico\"", "103 ICON   \"assets/icons/tray_off.ico\"",
                           "104 ICON   \"assets/icons/tray_nodevice.ico\"", "201 BITMAP \"assets/about.bmp\""}) {
    EXPECT_NE(rc.find(line), std::string::npos) << line;
  }
}

}  // namespace

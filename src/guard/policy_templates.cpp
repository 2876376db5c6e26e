#include "guard/policy_templates.h"

#include "core/textfile.h"
#include "guard/policies.h"

namespace {
constexpr char16_t kSupported[] = u"SUPPORTED_Windows10";
constexpr char16_t kSection[] = u"POLICIES.";
constexpr char kNamespace[] =
    "xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" "
    "revision=\"1.0\" schemaVersion=\"1.0\" xmlns=\"http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions\"";

// Text as XML character data or attribute value.
std::string Xml(u16v text) {
  std::string out;
  for (char c : ToUtf8(text)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\r': break;  // lines end in CR LF in the file; the text keeps only the LF
      case '\n': out += "\r\n"; break;
      default: out += c;
    }
  }
  return out;
}

std::string Name(const PolicyDef& def) { return ToUtf8(def.valueName); }
}  // namespace

std::vector<u16> Policy_TextKeys() {
  std::vector<u16> keys;
  for (const PolicyDef& def : PolicyTable()) {
    keys.push_back(def.valueName);
    keys.push_back(u16(def.valueName) + u"_Explain");
  }
  keys.push_back(kSupported);
  return keys;
}

PolicyTexts Policy_TextsOf(const std::vector<uint8_t>& translationFile) {
  PolicyTexts texts;
  for (const u16& line : SplitLines(DecodeText(translationFile).text)) {
    const auto kv = SplitFirst(line, u"=");
    if (!kv || kv->first.size() <= std::size(kSection) - 1 ||
        !EqualsNoCase(u16v(kv->first).substr(0, std::size(kSection) - 1), kSection))
      continue;
    const u16 key = kv->first.substr(std::size(kSection) - 1);
    if (!texts.count(key)) texts[key] = ReplaceAllNoCase(kv->second, u"%CRLF", u"\n");
  }
  return texts;
}

u16 Policy_Culture(u16v code) {
  const auto parts = SplitFirst(code, u"-");
  if (!parts) return AsciiLower(code);
  return AsciiLower(parts->first) + u"-" + AsciiUpper(parts->second);
}

std::string Policy_Admx() {
  const std::string key = Xml(kPolicyKey);
  std::string x = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
  x += std::string("<policyDefinitions ") + kNamespace + ">\r\n";
  x += "  <policyNamespaces>\r\n    <target prefix=\"veilcap\" namespace=\"Vostrel.Policies.Veilcap\" />\r\n"
       "  </policyNamespaces>\r\n";
  x += "  <resources minRequiredRevision=\"1.0\" />\r\n";
  x += "  <supportedOn>\r\n    <definitions>\r\n      <definition name=\"" + ToUtf8(kSupported) +
       "\" displayName=\"$(string." + ToUtf8(kSupported) + ")\" />\r\n    </definitions>\r\n  </supportedOn>\r\n";
  x += "  <categories>\r\n    <category name=\"Veilcap\" displayName=\"$(string.Veilcap)\" />\r\n  </categories>\r\n";
  x += "  <policies>\r\n";
  for (const PolicyDef& def : PolicyTable()) {
    const std::string n = Name(def);
    x += "    <policy name=\"" + n + "\" class=\"Machine\" displayName=\"$(string." + n + ")\" explainText=\"$(string." +
         n + "_Explain)\" key=\"" + key + "\" valueName=\"" + n + "\">\r\n";
    x += "      <parentCategory ref=\"Veilcap\" />\r\n";
    x += "      <supportedOn ref=\"" + ToUtf8(kSupported) + "\" />\r\n";
    x += "      <enabledValue>\r\n        <decimal value=\"1\" />\r\n      </enabledValue>\r\n";
    // Disabled writes 0: it turns an option off; for a blocking policy it is the same as not set.
    x += "      <disabledValue>\r\n        <decimal value=\"0\" />\r\n      </disabledValue>\r\n";
    x += "    </policy>\r\n";
  }
  x += "  </policies>\r\n</policyDefinitions>\r\n";
  return x;
}

std::string Policy_Adml(const PolicyTexts& texts, const PolicyTexts& english) {
  const auto text = [&](const u16& key) {
    auto it = texts.find(key);
    if (it != texts.end() && !Trim(it->second).empty()) return it->second;
    it = english.find(key);
    return it != english.end() ? it->second : key;
  };
  std::string x = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n";
  x += std::string("<policyDefinitionResources ") + kNamespace + ">\r\n";
  x += "  <displayName>Vostrel Veilcap</displayName>\r\n";
  x += "  <description>Vostrel Veilcap</description>\r\n";
  x += "  <resources>\r\n    <stringTable>\r\n";
  x += "      <string id=\"Veilcap\">Vostrel Veilcap</string>\r\n";
  for (const u16& key : Policy_TextKeys())
    x += "      <string id=\"" + ToUtf8(key) + "\">" + Xml(text(key)) + "</string>\r\n";
  x += "    </stringTable>\r\n  </resources>\r\n</policyDefinitionResources>\r\n";
  return x;
}

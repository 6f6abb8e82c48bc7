#include "qe/core/lite_variant_xml.h"

#include <fmt/format.h>

#include <charconv>
#include <cstring>
#include <string>
#include <type_traits>

#include "qe/core/status.h"

namespace qe {
namespace {

using lv::Entry;
using lv::Level;

constexpr const char* kVersion = "1";
// Element names by type code (index 0 unused).
constexpr const char* kElement[] = {"",       "Bool",   "Int32", "UInt32",
                                    "Double", "String", "Bytes", "Level"};

std::string Hex(const std::vector<uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (uint8_t b : bytes) {
    out += kDigits[b >> 4];
    out += kDigits[b & 15];
  }
  return out;
}

void WriteLevel(const Level& level, pugi::xml_node parent) {
  for (const Entry& e : level.entries) {
    pugi::xml_node node = parent.append_child(kElement[lv::TypeOf(e.value)]);
    if (!e.name.empty()) node.append_attribute("name").set_value(WideToUtf8(e.name).c_str());
    std::visit(
        [&node](const auto& v) {
          using T = std::decay_t<decltype(v)>;
          if constexpr (std::is_same_v<T, Level>) {
            WriteLevel(v, node);
          } else if constexpr (std::is_same_v<T, std::wstring>) {
            if (!v.empty()) node.text().set(WideToUtf8(v).c_str());
          } else if constexpr (std::is_same_v<T, std::vector<uint8_t>>) {
            if (!v.empty()) node.text().set(Hex(v).c_str());
          } else if constexpr (std::is_same_v<T, bool>) {
            node.text().set(v ? "true" : "false");
          } else {
            // Shortest text that reads back to the same value (doubles too).
            node.text().set(fmt::format("{}", v).c_str());
          }
        },
        e.value);
  }
}

std::string_view Trimmed(const char* text) {
  std::string_view s(text);
  const char* blanks = " \t\r\n";
  size_t first = s.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

template <typename T>
bool ParseNumber(std::string_view s, T& out) {
  if (!s.empty() && s.front() == '+') s.remove_prefix(1);
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

bool ParseHex(std::string_view s, std::vector<uint8_t>& out) {
  if (s.size() % 2 != 0) return false;
  for (size_t i = 0; i < s.size(); i += 2) {
    uint8_t b;
    auto [end, ec] = std::from_chars(s.data() + i, s.data() + i + 2, b, 16);
    if (ec != std::errc() || end != s.data() + i + 2) return false;
    out.push_back(b);
  }
  return true;
}

bool ReadValue(lv::Type type, const pugi::xml_node& node, lv::Value& value) {
  std::string_view text = Trimmed(node.child_value());
  switch (type) {
    case lv::kBool:
      if (text != "true" && text != "1" && text != "false" && text != "0") return false;
      value.emplace<bool>(text == "true" || text == "1");
      return true;
    case lv::kInt32:
      return ParseNumber(text, value.emplace<int32_t>());
    case lv::kUInt32:
      return ParseNumber(text, value.emplace<uint32_t>());
    case lv::kDouble:
      return ParseNumber(text, value.emplace<double>());
    case lv::kString:
      // Texts are taken exactly, blanks and line ends included.
      value.emplace<std::wstring>(Utf8ToWide(node.child_value()));
      return true;
    case lv::kBytes:
      return ParseHex(text, value.emplace<std::vector<uint8_t>>());
    default:
      return false;
  }
}

bool ReadLevel(const pugi::xml_node& parent, Level& level, int depth) {
  for (pugi::xml_node node : parent.children()) {
    if (node.type() != pugi::node_element) continue;
    int type = 0;
    for (int t = lv::kBool; t <= lv::kLevel; ++t) {
      if (std::strcmp(node.name(), kElement[t]) == 0) type = t;
    }
    if (type == 0) return false;
    Entry& e = level.entries.emplace_back();
    e.name = Utf8ToWide(node.attribute("name").value());
    if (type == lv::kLevel) {
      if (depth >= lv::kMaxDepth || !ReadLevel(node, e.value.emplace<Level>(), depth + 1)) {
        return false;
      }
    } else if (!ReadValue(static_cast<lv::Type>(type), node, e.value)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int LiteVariantToXml(const CQeLiteVariantR& document, pugi::xml_node element) {
  const Level* root = document.Document();
  if (!root) return eQeUnusableFile;
  element.remove_attribute("version");
  element.append_attribute("version").set_value(kVersion);
  WriteLevel(*root, element);
  return eQeOk;
}

int LiteVariantFromXml(const pugi::xml_node& element, CQeLiteVariantR& document) {
  Level root;
  pugi::xml_attribute version = element.attribute("version");
  bool ok =
      (!version || std::strcmp(version.value(), kVersion) == 0) && ReadLevel(element, root, 0);
  document.SetDocument(ok ? std::move(root) : Level{});
  return ok ? eQeOk : eQeUnusableFile;
}

unsigned int LiteVariantXmlParseOptions() {
  return (pugi::parse_default | pugi::parse_ws_pcdata_single) & ~pugi::parse_eol;
}

}  // namespace qe

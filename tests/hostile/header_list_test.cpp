// The table of cases against the public headers: every declaration there
// with a text parameter has a case (or a reason why it is not called), and
// every case names a declaration that exists. A new function that takes a
// text therefore fails here until it gets its hostile case.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "hostile/hostile_support.h"

namespace qe::hostile {
namespace {

namespace fs = std::filesystem;

// Comments, string literals and preprocessor lines removed.
std::string StripNoise(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "//") == 0) {
      while (i < text.size() && text[i] != '\n') ++i;
      out += '\n';
    } else if (text.compare(i, 2, "/*") == 0) {
      i = text.find("*/", i + 2);
      if (i == std::string::npos) break;
      ++i;
    } else if (text[i] == '"' || text[i] == '\'') {
      const char quote = text[i];
      out += quote;
      for (++i; i < text.size() && text[i] != quote; ++i) {
        if (text[i] == '\\') ++i;
      }
      out += quote;
    } else if (text[i] == '#' && (out.empty() || out.back() == '\n')) {
      while (i < text.size() && text[i] != '\n') ++i;
      out += '\n';
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Collapse(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (std::isspace(static_cast<unsigned char>(ch))) {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += ch;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  while (!out.empty() && out.front() == ' ') out.erase(0, 1);
  return out;
}

// Parameters with their default values left out, ", " between them.
std::string Parameters(const std::string& inside) {
  std::vector<std::string> parts;
  int depth = 0;
  std::string part;
  for (char ch : inside) {
    if (ch == '(' || ch == '<' || ch == '{') ++depth;
    if (ch == ')' || ch == '>' || ch == '}') --depth;
    if (ch == ',' && depth == 0) {
      parts.push_back(part);
      part.clear();
    } else {
      part += ch;
    }
  }
  parts.push_back(part);
  std::string out;
  for (std::string& p : parts) {
    const size_t equals = p.find(" = ");
    if (equals != std::string::npos) p.erase(equals);
    p = Collapse(p);
    if (p.empty()) continue;
    out += (out.empty() ? "" : ", ") + p;
  }
  return out;
}

struct SDeclaration {
  std::string key;  // "Scope::Name(parameters)"
  std::string params;
  std::string scope;
  std::string name;
};

// A declaration from the text between two statements, if it declares a
// function.
bool ParseHead(std::string head, const std::string& scope, SDeclaration& out) {
  static const std::regex kAccess("(public|protected|private) ?:(?!:)");
  std::smatch match;
  while (std::regex_search(head, match, kAccess)) head = match.suffix();
  head = Collapse(head);
  if (head.rfind("template", 0) == 0) {
    const size_t close = head.find('>');
    if (close == std::string::npos) return false;
    head = Collapse(head.substr(close + 1));
  }
  for (const char* skip : {"using ", "typedef ", "friend ", "return ", "static_assert"}) {
    if (head.rfind(skip, 0) == 0) return false;
  }
  const size_t open = head.find('(');
  if (open == std::string::npos || open == 0) return false;
  size_t close = open;
  int depth = 0;
  for (; close < head.size(); ++close) {
    if (head[close] == '(') ++depth;
    if (head[close] == ')' && --depth == 0) break;
  }
  if (close >= head.size()) return false;
  size_t end = open;
  while (end > 0 && head[end - 1] == ' ') --end;
  size_t begin = end;
  while (begin > 0 && (std::isalnum(static_cast<unsigned char>(head[begin - 1])) ||
                       head[begin - 1] == '_' || head[begin - 1] == '~')) {
    --begin;
  }
  out.name = head.substr(begin, end - begin);
  if (out.name.empty() || std::isdigit(static_cast<unsigned char>(out.name[0]))) return false;
  // An initialiser such as "int x = Make(3)" is not a declaration.
  if (head.substr(0, begin).find('=') != std::string::npos) return false;
  out.scope = scope;
  out.params = Parameters(head.substr(open + 1, close - open - 1));
  out.key = (scope.empty() ? "" : scope + "::") + out.name + "(" + out.params + ")";
  return true;
}

std::vector<SDeclaration> Declarations(const fs::path& header) {
  std::ifstream in(header);
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string text = StripNoise(buffer.str());
  static const std::regex kClass(R"((?:^|[^\w])(class|struct) ([A-Za-z_]\w*)[^;]*$)");
  std::vector<SDeclaration> out;
  std::vector<std::string> scopes;  // "" for a namespace, the class name, or "{" for a body
  std::string head;
  for (size_t i = 0; i < text.size(); ++i) {
    const char ch = text[i];
    const bool inBody = !scopes.empty() && scopes.back() == "{";
    if (ch == '{') {
      const std::string h = Collapse(head);
      std::smatch match;
      if (inBody) {
        scopes.push_back("{");
      } else if (h.rfind("namespace", 0) == 0 || h.rfind("extern", 0) == 0) {
        scopes.push_back("");
      } else if (h.find("enum") == std::string::npos && h.find('(') == std::string::npos &&
                 std::regex_search(h, match, kClass)) {
        scopes.push_back(match[2]);
      } else {
        SDeclaration d;
        std::string scope;
        for (const std::string& s : scopes) {
          if (!s.empty()) scope = s;
        }
        if (ParseHead(h, scope, d)) out.push_back(d);
        scopes.push_back("{");
      }
      head.clear();
    } else if (ch == '}') {
      if (!scopes.empty()) scopes.pop_back();
      head.clear();
    } else if (ch == ';') {
      if (!inBody) {
        SDeclaration d;
        std::string scope;
        for (const std::string& s : scopes) {
          if (!s.empty()) scope = s;
        }
        if (ParseHead(head, scope, d)) out.push_back(d);
      }
      head.clear();
    } else if (!inBody) {
      head += ch;
    }
  }
  return out;
}

bool TakesText(const SDeclaration& d) {
  static const std::regex kText(
      R"((^|, )(const CQeStringW&|const wchar_t\*|const std::vector<CQeStringW>&|CQeStringW \w+(, |$)))");
  return std::regex_search(d.params, kText);
}

// Constructors of plain records only copy texts into fields; what stores a
// record is a function with a case of its own.
bool IsRecordConstructor(const SDeclaration& d) {
  return d.name == d.scope && (d.scope.rfind("SQeProjectDbRow_", 0) == 0 ||
                               d.scope == "SQeProjectDbJobTaskState" || d.scope == "_property");
}

struct SHeaders {
  std::set<std::string> all, texts;
  int files = 0;
};

const SHeaders& ScanHeaders() {
  static const SHeaders headers = [] {
    SHeaders h;
    const fs::path include = fs::path(QE_SOURCE_DIR) / "include" / "qe";
    for (const char* folder : {"projectdb/records", "projectdb", "labware", "thumbdb"}) {
      for (const auto& entry : fs::directory_iterator(include / folder)) {
        if (entry.path().extension() != ".h") continue;
        ++h.files;
        for (const SDeclaration& d : Declarations(entry.path())) {
          h.all.insert(d.key);
          if (TakesText(d) && !IsRecordConstructor(d)) h.texts.insert(d.key);
        }
      }
    }
    return h;
  }();
  return headers;
}

TEST(HostileList, ReadsTheHeaders) {
  const SHeaders& headers = ScanHeaders();
  EXPECT_GE(headers.files, 45);
  // Spot checks that the reader sees free functions, members, overloads and
  // constructors.
  for (const char* key :
       {"QeProjectDb_Proj_Insert(uint32_t handle, const CQeStringW& name, const CQeStringW& desc, "
        "const CQeStringW& folderName, int64_t* outKey)",
        "IQeElementHolder::SetModelName(const CQeStringW& name)",
        "QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& name)",
        "SQeProjectDbSearchParser::SQeProjectDbSearchParser(const CQeStringW& wszText)",
        "CQeProjectThumbDb::Clear(const wchar_t* jobrunUuid)"}) {
    EXPECT_TRUE(headers.texts.count(key)) << key;
  }
  EXPECT_GT(headers.texts.size(), 150u);
  std::printf("hostile figures: %zu declarations in %d headers take a text\n", headers.texts.size(),
              headers.files);
}

TEST(HostileList, EveryFunctionTakingATextHasACase) {
  std::set<std::string> listed;
  for (const SCase& c : Cases()) listed.insert(c.signature);
  for (const std::string& key : ScanHeaders().texts) {
    EXPECT_TRUE(listed.count(key)) << "no hostile case for " << key;
  }
}

TEST(HostileList, EveryCaseNamesADeclaration) {
  std::set<std::string> seen;
  for (const SCase& c : Cases()) {
    EXPECT_TRUE(ScanHeaders().all.count(c.signature)) << "not declared: " << c.signature;
    EXPECT_TRUE(seen.insert(c.signature).second) << "listed twice: " << c.signature;
    EXPECT_TRUE(c.run || c.excluded) << c.signature;
    if (c.run) {
      EXPECT_GE(c.slots, 1) << c.signature;
    }
  }
}

}  // namespace
}  // namespace qe::hostile

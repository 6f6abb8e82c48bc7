// The table of cases against the public headers: every declaration there
// with a text parameter has a case (or a reason why it is not called), and
// every case names one declaration that exists. A new function that takes a
// text therefore fails here until it gets its hostile case.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "hostile/hostile_support.h"

namespace qe::hostile {
namespace {

namespace fs = std::filesystem;

// Comments, string literals and preprocessor lines removed.
std::string StripNoise(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text.compare(i, 2, "//") == 0 || (text[i] == '#' && (out.empty() || out.back() == '\n'))) {
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
    } else {
      out += text[i];
    }
  }
  return out;
}

std::string Collapse(const std::string& text) {
  std::string out;
  for (char ch : text) {
    if (!std::isspace(static_cast<unsigned char>(ch))) {
      out += ch;
    } else if (!out.empty() && out.back() != ' ') {
      out += ' ';
    }
  }
  if (!out.empty() && out.back() == ' ') out.pop_back();
  return out;
}

struct SDeclaration {
  std::string name;    // "Scope::Name"
  std::string key;     // name and "(parameters)", defaults left out, ", " between them
  std::string short_;  // name and "(parameter names)"
  int texts = 0;       // parameters that take a text
};

// Fills key, short_ and texts from the text between the parentheses.
void ReadParameters(const std::string& inside, SDeclaration& d) {
  static const std::regex kText(
      R"(^(const CQeStringW&|const wchar_t\*|const std::vector<CQeStringW>&|CQeStringW \w+$))");
  std::vector<std::string> parts(1);
  int depth = 0;
  for (char ch : inside) {
    if (ch == '(' || ch == '<' || ch == '{') ++depth;
    if (ch == ')' || ch == '>' || ch == '}') --depth;
    if (ch == ',' && depth == 0) {
      parts.emplace_back();
    } else {
      parts.back() += ch;
    }
  }
  static const std::regex kName(R"((\w+)$)");
  std::string params, names;
  for (std::string& p : parts) {
    if (const size_t equals = p.find(" = "); equals != std::string::npos) p.erase(equals);
    p = Collapse(p);
    if (p.empty()) continue;
    std::smatch name;
    std::regex_search(p, name, kName);
    params += (params.empty() ? "" : ", ") + p;
    names += (names.empty() ? "" : ", ") + name.str(1);
    d.texts += std::regex_search(p, kText);
  }
  d.key = d.name + "(" + params + ")";
  d.short_ = d.name + "(" + names + ")";
}

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
  for (int depth = 0; close < head.size(); ++close) {
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
  const std::string name = head.substr(begin, end - begin);
  if (name.empty() || std::isdigit(static_cast<unsigned char>(name[0]))) return false;
  // An initialiser such as "int x = Make(3)" is not a declaration.
  if (head.substr(0, begin).find('=') != std::string::npos) return false;
  // Constructors of plain records only copy texts into fields; what stores a
  // record is a function with a case of its own.
  const bool record =
      name == scope && (scope.rfind("SQeProjectDbRow_", 0) == 0 ||
                        scope == "SQeProjectDbJobTaskState" || scope == "_property");
  out.name = (scope.empty() ? "" : scope + "::") + name;
  ReadParameters(head.substr(open + 1, close - open - 1), out);
  if (record) out.texts = 0;
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
  auto parse = [&] {
    std::string scope;
    for (const std::string& s : scopes) {
      if (!s.empty() && s != "{") scope = s;
    }
    SDeclaration d;
    if (ParseHead(head, scope, d)) out.push_back(d);
  };
  for (const char ch : text) {
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
        parse();
        scopes.push_back("{");
      }
      head.clear();
    } else if (ch == '}' || ch == ';') {
      if (ch == '}' && !scopes.empty()) scopes.pop_back();
      if (ch == ';' && !inBody) parse();
      head.clear();
    } else if (!inBody) {
      head += ch;
    }
  }
  return out;
}

struct SHeaders {
  std::map<std::string, SDeclaration> byKey;
  int files = 0, texts = 0;
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
          h.byKey.emplace(d.key, d);
        }
      }
    }
    for (const auto& [key, d] : h.byKey) h.texts += d.texts > 0;
    return h;
  }();
  return headers;
}

// The one declaration a case names: by "Scope::Name" alone when nothing else
// has that name, else by the names of its parameters or by its whole key.
// An overload added later makes a shorter form ambiguous, and the case must
// then say more.
const SDeclaration* Named(const std::string& signature) {
  const SDeclaration* found = nullptr;
  for (const auto& [key, d] : ScanHeaders().byKey) {
    if (signature == d.name || signature == d.short_ || signature == key) {
      if (found) return nullptr;
      found = &d;
    }
  }
  return found;
}

TEST(HostileList, ReadsTheHeaders) {
  const SHeaders& h = ScanHeaders();
  EXPECT_GE(h.files, 45);
  // Spot checks that the reader sees free functions, members, overloads and
  // constructors, and counts their text parameters.
  for (const auto& [key, texts] : std::map<std::string, int>{
           {"QeProjectDb_Proj_Insert(uint32_t handle, const CQeStringW& name, const CQeStringW& "
            "desc, const CQeStringW& folderName, int64_t* outKey)",
            3},
           {"IQeElementHolder::SetModelName(const CQeStringW& name)", 1},
           {"QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& name)", 1},
           {"SQeProjectDbSearchParser::SQeProjectDbSearchParser(const CQeStringW& wszText)", 1},
           {"CQeProjectThumbDb::Clear(const wchar_t* jobrunUuid)", 1}}) {
    ASSERT_TRUE(h.byKey.count(key)) << key;
    EXPECT_EQ(h.byKey.at(key).texts, texts) << key;
  }
  EXPECT_GT(h.texts, 150);
  std::printf("hostile figures: %d declarations in %d headers take a text\n", h.texts, h.files);
}

TEST(HostileList, EveryFunctionTakingATextHasACase) {
  std::set<const SDeclaration*> listed;
  for (const SCase& c : Cases()) listed.insert(Named(c.signature));
  for (const auto& [key, d] : ScanHeaders().byKey) {
    EXPECT_TRUE(d.texts == 0 || listed.count(&d)) << "no hostile case for " << key;
  }
}

TEST(HostileList, EveryCaseNamesOneDeclarationAndGivesEachTextParameterAText) {
  std::set<const SDeclaration*> seen;
  for (const SCase& c : Cases()) {
    const SDeclaration* d = Named(c.signature);
    ASSERT_TRUE(d) << "not declared, or overloaded: " << c.signature;
    EXPECT_TRUE(seen.insert(d).second) << "listed twice: " << c.signature;
    EXPECT_TRUE(c.run || c.excluded) << c.signature;
    if (c.run) {
      EXPECT_GE(c.slots, std::max(d->texts, 1)) << c.signature;
    }
  }
}

}  // namespace
}  // namespace qe::hostile

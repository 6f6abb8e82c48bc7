// projectdb labware list: one line per stored definition.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "labware_tool.h"
#include "qe/projectdb/records/labware_plate.h"

namespace qe::cli::labware {
namespace {

// Kind first, then company, type and model ignoring letter case.
bool Before(const Definition& a, const Definition& b) {
  if (a.kind != b.kind) return a.kind < b.kind;
  if (const int c = a.company.CompareNoCase(b.company); c != 0) return c < 0;
  if (const int c = a.type.CompareNoCase(b.type); c != 0) return c < 0;
  if (const int c = a.model.CompareNoCase(b.model); c != 0) return c < 0;
  return a.key < b.key;
}

std::wstring Wells(const Definition& d) {
  if (d.kind != Definition::kPlate) return L"1";
  return std::to_wstring(static_cast<int64_t>(d.rows) * d.cols);
}

// Prints rows as columns separated by two blanks, each as wide as its
// widest cell (counted in characters), without trailing blanks.
void PrintColumns(const std::vector<std::vector<std::wstring>>& rows) {
  std::vector<size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (size_t i = 0; i < row.size(); ++i) widths[i] = std::max(widths[i], row[i].size());
  }
  for (const auto& row : rows) {
    std::wstring line;
    for (size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) line.resize(line.size() + widths[i] - row[i].size() + 2, L' ');
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    PrintLine(CQeStringW(line));
  }
}

std::string Count(size_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

int RunList(const std::vector<std::string>& allArgs) {
  ParsedArgs parsed;
  if (!ParseArgs("labware", allArgs, {{"--json", false}}, parsed)) return kExitUsage;
  const std::vector<std::string>& args = parsed.positional;
  if (args.size() != 1 || args[0].empty()) {
    PrintError("labware", "list expects one FILE; see projectdb labware --help");
    return kExitUsage;
  }
  Database connection;
  if (!connection.Open("labware", args[0], false)) return kExitFailure;
  std::vector<Definition> definitions;
  if (!ReadAll(connection.handle(), "labware", definitions)) return kExitFailure;
  std::sort(definitions.begin(), definitions.end(), Before);

  std::map<int64_t, CQeStringW> plateUuids;
  for (const Definition& d : definitions) {
    if (d.kind == Definition::kPlate) plateUuids[d.key] = d.uuid;
  }
  if (parsed.Has("--json")) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Definition& d : definitions) {
      const auto next = plateUuids.find(d.replacedBy);
      list.push_back({{"kind", KindName(d.kind)},
                      {"key", d.key},
                      {"uuid", d.uuid.ToUtf8()},
                      {"company", d.company.ToUtf8()},
                      {"type", d.type.ToUtf8()},
                      {"model", d.model.ToUtf8()},
                      {"rows", d.kind == Definition::kPlate ? d.rows : 1},
                      {"columns", d.kind == Definition::kPlate ? d.cols : 1},
                      {"state", StateName(d)},
                      {"replacedBy", next != plateUuids.end() ? next->second.ToUtf8() : ""},
                      {"userMade", d.userImported}});
    }
    nlohmann::ordered_json versions = nlohmann::ordered_json::object();
    for (const wchar_t* name :
         {kQeCatalogueVersionPlate, kQeCatalogueVersionDish, kQeCatalogueVersionSlide}) {
      int64_t version = 0;
      QeProjectDb_Labware_GetCatalogueVersion(connection.handle(), name, version);
      versions[CQeStringW(name).ToUtf8()] = version;
    }
    PrintJson({{"labware", list}, {"catalogueVersions", versions}});
    return kExitOk;
  }
  std::vector<std::vector<std::wstring>> rows{
      {L"kind", L"company", L"type", L"model", L"wells", L"state", L"uuid"}};
  size_t counts[3] = {0, 0, 0};
  for (const Definition& d : definitions) {
    ++counts[d.kind];
    std::wstring state = CQeStringW::FromUtf8(StateName(d)).str();
    if (d.replacedBy != 0) {
      const auto next = plateUuids.find(d.replacedBy);
      state += L" by " + (next != plateUuids.end() ? next->second.str() : L"a missing row");
    }
    if (d.userImported) state += L", user-made";
    rows.push_back({CQeStringW::FromUtf8(KindName(d.kind)).str(), d.company.str(), d.type.str(),
                    d.model.str(), Wells(d), state, d.uuid.str()});
  }
  PrintColumns(rows);

  std::string versions;
  for (const wchar_t* name :
       {kQeCatalogueVersionPlate, kQeCatalogueVersionDish, kQeCatalogueVersionSlide}) {
    int64_t version = 0;
    QeProjectDb_Labware_GetCatalogueVersion(connection.handle(), name, version);
    versions +=
        (versions.empty() ? "" : ", ") + CQeStringW(name).ToUtf8() + " " + std::to_string(version);
  }
  std::printf("%s, %s, %s; catalogue versions: %s\n", Count(counts[0], "plate", "plates").c_str(),
              Count(counts[1], "dish", "dishes").c_str(),
              Count(counts[2], "slide", "slides").c_str(), versions.c_str());
  return kExitOk;
}

}  // namespace qe::cli::labware

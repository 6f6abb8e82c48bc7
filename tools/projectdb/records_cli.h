// Pieces shared by the subcommands that list records (projects, runs): counts
// and a plain text table.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "cli_util.h"
#include "command.h"
#include "qe/core/string.h"
#include "qe/sqlite/connection.h"
#include "qe/sqlite/sql_text.h"

namespace qe::cli {

// "SELECT count(*) FROM <from> WHERE <column>=<key>" on the database's
// connection; 0 when it fails.
inline int64_t CountRows(const Database& database, const wchar_t* from, const wchar_t* column,
                         int64_t key) {
  return QeSqlite_ReadOneInt64(
      database.db(),
      QeSqlite_FormatSql(L"SELECT count(*) FROM %s WHERE %s=%I64d;", from, column, key), nullptr,
      0);
}

// A table printed with columns padded to their widest cell (counted in
// characters) and two blanks between columns; numeric columns are aligned
// right.
class TextTable {
 public:
  TextTable(std::vector<CQeStringW> headings, std::vector<bool> alignRight)
      : headings_(std::move(headings)), right_(std::move(alignRight)) {
    right_.resize(headings_.size(), false);
  }

  void Add(std::vector<CQeStringW> cells) {
    cells.resize(headings_.size());
    rows_.push_back(std::move(cells));
  }

  void Print() const {
    std::vector<size_t> widths;
    for (const CQeStringW& heading : headings_) widths.push_back(heading.str().size());
    for (const auto& row : rows_) {
      for (size_t c = 0; c < row.size(); ++c) widths[c] = std::max(widths[c], row[c].str().size());
    }
    PrintRow(headings_, widths);
    for (const auto& row : rows_) PrintRow(row, widths);
  }

 private:
  void PrintRow(const std::vector<CQeStringW>& cells, const std::vector<size_t>& widths) const {
    std::wstring line;
    for (size_t c = 0; c < cells.size(); ++c) {
      if (c > 0) line += L"  ";
      const std::wstring& text = cells[c].str();
      const std::wstring pad(widths[c] - std::min(widths[c], text.size()), L' ');
      line += right_[c] ? pad + text : text + pad;
    }
    while (!line.empty() && line.back() == L' ') line.pop_back();
    PrintLine(CQeStringW(line));
  }

  std::vector<CQeStringW> headings_;
  std::vector<bool> right_;
  std::vector<std::vector<CQeStringW>> rows_;
};

inline CQeStringW Number(int64_t value) { return CQeStringW(std::to_wstring(value)); }

}  // namespace qe::cli

#include "qe/sqlite/select.h"

#include <sqlite3.h>

#include "qe/sqlite/sql_text.h"
#include "sqlite/columns.h"

namespace {

const wchar_t* KeyColumn(const SQeSqliteTableDef& table) {
  int key = qe::sqlite_detail::FindPrimaryKey(table);
  return key >= 0 ? table.pColumns[key].wszName : L"rowid";
}

bool OutputFits(CQeSqliteOut::EKind kind, int columnType) {
  switch (kind) {
    case CQeSqliteOut::eSkip:
      return true;
    case CQeSqliteOut::eInt32:
    case CQeSqliteOut::eInt64:
      return columnType == eQeSqliteInt32 || columnType == eQeSqliteInt64;
    case CQeSqliteOut::eDouble:
      return columnType == eQeSqliteDouble;
    case CQeSqliteOut::eText:
      return columnType == eQeSqliteText;
    case CQeSqliteOut::eBlob:
      return columnType == eQeSqliteBlob;
  }
  return false;
}

}  // namespace

CQeSqliteSelect::CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table)
    : CQeSqliteBuilder(db, table) {
  Build({}, CQeStringW(), false, 0);
}

CQeSqliteSelect::CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table, int64_t key)
    : CQeSqliteBuilder(db, table) {
  Build({}, CQeStringW(), true, key);
}

CQeSqliteSelect::CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table,
                                 const CQeStringW& where)
    : CQeSqliteBuilder(db, table) {
  Build({}, where, false, 0);
}

CQeSqliteSelect::CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table,
                                 const CQeStringW& column, const CQeStringW& where)
    : CQeSqliteBuilder(db, table) {
  Build({column}, where, false, 0);
}

CQeSqliteSelect::CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table,
                                 const std::vector<CQeStringW>& columns, const CQeStringW& where)
    : CQeSqliteBuilder(db, table) {
  Build(columns, where, false, 0);
}

CQeSqliteSelect::CQeSqliteSelect(sqlite3* db, const SQeSqliteTableDef& table,
                                 const std::vector<CQeStringW>& columns, int64_t key)
    : CQeSqliteBuilder(db, table) {
  Build(columns, CQeStringW(), true, key);
}

void CQeSqliteSelect::Build(const std::vector<CQeStringW>& columns, const CQeStringW& where,
                            bool byKey, int64_t key) {
  ResolveColumns(columns, true);
  auto select = [&] {
    return QeSqlite_FormatSql(L"SELECT %s FROM %s", ColumnList(L", ", L""), table_->wszName);
  };
  if (byKey) {
    PrepareBuilt(L"select by key",
                 [&] { return select() + QeSqlite_FormatSql(L" WHERE %s=?", KeyColumn(*table_)); });
    if (cmd_->Statement()) cmd_->Bind(1, static_cast<long long>(key));
  } else if (where.IsEmpty()) {
    PrepareBuilt(L"select", select);
  } else {
    Prepare(select() + QeSqlite_FormatSql(L" WHERE %s", where));
  }
}

bool CQeSqliteSelect::Row(std::span<const CQeSqliteOut> outputs) {
  if (!cmd_->Statement()) {
    cmd_->Fail(SQLITE_MISUSE, L"no statement");
    return false;
  }
  if (outputs.size() != columns_.size()) {
    cmd_->Fail(
        SQLITE_RANGE,
        QeSqlite_FormatSql(L"%d outputs for %d columns of %s", static_cast<int>(outputs.size()),
                           static_cast<int>(columns_.size()), table_->wszName));
    return false;
  }
  for (size_t i = 0; i < outputs.size(); ++i) {
    const SQeSqliteColDef& column = table_->pColumns[columns_[i]];
    if (!OutputFits(outputs[i].Kind(), column.iType)) {
      cmd_->Fail(SQLITE_MISMATCH,
                 QeSqlite_FormatSql(L"output %d does not fit column %s.%s", static_cast<int>(i),
                                    table_->wszName, column.wszName));
      return false;
    }
  }
  if (!cmd_->Next()) return false;
  for (size_t i = 0; i < outputs.size(); ++i) {
    int col = static_cast<int>(i);
    void* p = outputs[i].Pointer();
    switch (outputs[i].Kind()) {
      case CQeSqliteOut::eSkip:
        break;
      case CQeSqliteOut::eInt32:
        *static_cast<int32_t*>(p) = cmd_->ColumnInt(col);
        break;
      case CQeSqliteOut::eInt64:
        *static_cast<int64_t*>(p) = cmd_->ColumnInt64(col);
        break;
      case CQeSqliteOut::eDouble:
        *static_cast<double*>(p) = cmd_->ColumnDouble(col);
        break;
      case CQeSqliteOut::eText:
        *static_cast<CQeStringW*>(p) = cmd_->ColumnString(col);
        break;
      case CQeSqliteOut::eBlob:
        *static_cast<CQeByteArray*>(p) = cmd_->ColumnBytes(col);
        break;
    }
  }
  return true;
}

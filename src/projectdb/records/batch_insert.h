// The batch insert shared by every *_InsertMany of the record API.
//
// A batch runs in one transaction that the insert object opens when the
// caller has none. When another connection holds the write lock, the batch
// does not fail: the object is destroyed (rolling back what it wrote), the
// thread sleeps 30 ms and the whole batch starts again at its first element,
// without a retry limit. Each element's iKey ends up holding the key of its
// final insert (0 when its row failed).
//
// Inside a caller's transaction the rows before a busy one are part of that
// transaction and cannot be taken back, so there a busy database is reported
// as a failure (status 5) instead of retried.
#pragma once

#include <chrono>
#include <span>
#include <thread>
#include <vector>

#include "qe/sqlite/insert_transacted.h"
#include "qe/sqlite/null_values.h"

namespace qe::projectdb {

inline constexpr std::chrono::milliseconds kBatchBusyPause{30};

// Inserts one row per element of rows. valuesOf(element) returns the
// element's non-key column values in table order (or in the order of
// columns when given) as a container of CQeSqliteValue. conflict is the
// insert's conflict clause ("OR IGNORE", ...; empty for none): a row that
// "OR IGNORE" skips gets key 0. Returns 0, or the first failure's status,
// which includes a failed commit.
template <typename Rows, typename ValuesOf>
int BatchInsert(sqlite3* db, const SQeSqliteTableDef& table, Rows& rows, ValuesOf valuesOf,
                const CQeSqliteNullValueVector* nulls = nullptr,
                const std::vector<CQeStringW>& columns = {},
                const CQeStringW& conflict = CQeStringW()) {
  for (;;) {
    bool busy = false;
    {
      CQeSqliteInsertTransacted insert(db, table, columns, conflict);
      const bool owner = insert.IsTransactionOwner();
      if (owner) insert.IgnoreBusyError();
      for (auto& row : rows) {
        const auto values = valuesOf(row);
        row.iKey = insert.Row(std::span<const CQeSqliteValue>(values.data(), values.size()), nulls);
        if (owner && insert.IsBusy()) {
          busy = true;
          break;
        }
      }
      if (!busy) {
        const int status = insert.Result();
        const int ended = insert.End();
        return status != 0 ? status : ended;
      }
    }
    std::this_thread::sleep_for(kBatchBusyPause);
  }
}

}  // namespace qe::projectdb

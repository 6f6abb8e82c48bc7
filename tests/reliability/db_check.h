// Looking at a project database file after a crash or a fault, with the raw
// SQLite API (opened read-write, so that SQLite recovers a hot journal or a
// write-ahead log the way the next user of the file would).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "support/projectdb/schema_dump.h"

namespace qe::reliability {

// "ok" for a sound file; otherwise what PRAGMA integrity_check and PRAGMA
// foreign_key_check report (one problem per line), or why the file could
// not be opened.
std::string CheckFile(const std::string& path);

struct SStep;
// Rows of a step's table per batch (see acquisition.h), only batches that
// have rows.
std::map<int64_t, int64_t> RowsPerBatch(qe::test::CRawDb& db, const SStep& step);

// Rows of one table (with a condition).
long long CountRows(const std::string& path, const std::string& table,
                    const std::string& where = "1");

}  // namespace qe::reliability

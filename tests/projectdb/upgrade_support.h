// Pieces shared by the upgrade tests: fixture files in a folder of their
// own, and a connection the exported steps can run on.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "projectdb/upgrade/condition_list.h"
#include "qe/core/string.h"
#include "qe/sqlite/connection.h"
#include "support/projectdb/old_version_db.h"
#include "support/projectdb/schema_dump.h"
#include "support/temp_dir.h"

namespace qe::test {

inline CQeStringW Wide(const std::string& path) { return CQeStringW::FromUtf8(path); }

// A connection the exported steps can run on, closed the way the helper
// layer requires (the steps use its statement cache).
class CStepDb {
 public:
  explicit CStepDb(const std::string& path) {
    int code = 0;
    QeSqlite_OpenEncrypted(Wide(path), &db_, eQeSqliteOpenReadWrite, 0, nullptr, &code);
  }
  ~CStepDb() { QeSqlite_Close(db_); }
  CStepDb(const CStepDb&) = delete;
  CStepDb& operator=(const CStepDb&) = delete;
  sqlite3* Get() const { return db_; }

 private:
  sqlite3* db_ = nullptr;
};

// One item of a condition list.
inline upgrade::SConditionItem ConditionItem(uint16_t kind, const std::wstring& text = L"",
                                             double number = 0, uint32_t op = 0,
                                             std::vector<uint8_t> payload = {}) {
  upgrade::SConditionItem item;
  item.iKind = kind;
  item.wszText = text;
  item.dNumber = number;
  item.iOperator = op;
  item.payload = std::move(payload);
  return item;
}

class UpgradeFixture : public ::testing::Test {
 protected:
  // A new fixture file of that version (see old_version_db.h).
  std::string Build(int64_t version) {
    const std::string path =
        dir_.File("v" + std::to_string(version) + "-" + std::to_string(++files_) + ".db");
    EXPECT_EQ(BuildProjectDbAtVersion(Wide(path).str(), version), 0);
    return path;
  }
  // Runs one exported step on the file and returns its status.
  int Step(const std::string& path, int (*step)(sqlite3*)) {
    CStepDb db(path);
    return step(db.Get());
  }

  TempDir dir_{FixtureFolderBase()};
  int files_ = 0;
};

}  // namespace qe::test

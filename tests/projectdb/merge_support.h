// Shared pieces of the merge tests: a source and a target database in
// folders of their own (names with an apostrophe and non-ASCII letters), a
// source in which every table of the schema holds rows and whose runs have
// image files on disk, and ways to look at the results from outside: rows
// with their foreign keys replaced by the rows they point at, a dump of a
// whole file, and the foreign-key checks.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "qe/core/string.h"
#include "qe/projectdb/merge.h"
#include "support/projectdb/schema_dump.h"
#include "support/temp_dir.h"

namespace qe::test {

// A path as the library takes it (file names are UTF-8 on this system).
inline CQeStringW PathW(const std::filesystem::path& path) {
  return CQeStringW::FromUtf8(path.string());
}

// No problems: what ConsistencyProblems gives for a consistent file.
inline const std::vector<std::string> kNone;

// What Populate made.
struct SMergeSource {
  int files = 0;  // image files written on disk
};

class MergeTest : public ::testing::Test {
 protected:
  void SetUp() override;

  std::filesystem::path SourceDir() const { return dir_.path() / "quelle l'été"; }
  std::filesystem::path TargetDir() const { return dir_.path() / "ziel"; }
  std::filesystem::path SourceFile() const { return SourceDir() / "source.db"; }
  std::filesystem::path TargetFile() const { return TargetDir() / "target.db"; }
  std::filesystem::path TargetProjects() const { return TargetDir() / "Projects"; }

  // A new project database at path.
  static void CreateDb(const std::filesystem::path& path);
  // Fills every table of the (new) database at path and writes the image
  // files of its runs; each call adds a new set of rows.
  static SMergeSource Populate(const std::filesystem::path& path);

  int Merge(SQeProjectDbMergeReport* report = nullptr) const;

  // Every row of every table, ordered by key, and the schema objects.
  static std::string Dump(const std::filesystem::path& path);
  // Rows of one table, each written with its non-key values and, for each
  // foreign key, the row it points at written the same way: equal for two
  // files whatever keys the rows got. Sorted.
  static std::vector<std::string> Canonical(CRawDb& db, const std::wstring& table);
  // Failures of foreign keys and integrity, and working tables left behind
  // (empty when the file is consistent).
  static std::vector<std::string> ConsistencyProblems(const std::filesystem::path& path);
  // Names of the files under folder, relative to it, sorted.
  static std::vector<std::string> FilesUnder(const std::filesystem::path& folder);
  static long long Count(const std::filesystem::path& path, const std::string& table,
                         const std::string& where = "1");

  TempDir dir_;
};

}  // namespace qe::test

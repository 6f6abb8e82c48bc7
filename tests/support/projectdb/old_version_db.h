// Project database files of any schema version the upgrade knows (10 to 48,
// 60 to 77), with representative rows in every table of that version.
//
// Every table gets kFixtureRows rows with keys 1..kFixtureRows, and row k
// refers to row k of every table it references, so every reference
// resolves (a reference to the row's own table points at row 1, and row 1
// has none). Texts carry an apostrophe, a percent sign and letters outside
// ASCII. A few columns hold what the upgrade steps look at: paths before
// version 24, plate (1) and well (2) run loops, numeric job property texts,
// the system tags and property set. The Fixture* functions give the values
// written, so tests can check what survives an upgrade.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

struct sqlite3;

namespace qe::test {

inline constexpr int kFixtureRows = 3;

// Where tests that upgrade many files make their folders: /dev/shm when it
// is a writable folder (an upgrade commits once per step, and syncs on a
// disk cost more than the upgrade itself), else the system's temporary
// folder.
std::filesystem::path FixtureFolderBase();

// Creates the file at path (it must not exist) with the layout of version
// (QeProjectDb_SchemaHistory_Tables) in UTF-16le, the `vesion` row "main"
// with that version ("plate" 6 from version 29 on), the two options from
// version 26 on, the database uuid from version 74 on, and kFixtureRows rows
// in every other table. Returns 0, -9 for a version the history does not
// know, or the SQLite status of the first failure.
int BuildProjectDbAtVersion(const std::wstring& path, int64_t version);

// Builds version 10 at path and runs the exported upgrade steps one by one
// up to version (no index check, no compaction). Returns 0 or the status of
// the step that failed.
int BuildProjectDbByUpgrading(const std::wstring& path, int64_t version);

// The text written into a column of row k that has no special value.
std::wstring FixtureText(const wchar_t* table, const wchar_t* column, int k);
// The uuid written into a uuid column of row k of table.
std::wstring FixtureUuid(const wchar_t* table, int k);
// The time written into every d...Time column of row k.
double FixtureTime(int k);
// Folder and file names of row k (project, job run, image file), as they
// read from version 24 on.
std::wstring FixtureProjectFolder(int k);
std::wstring FixtureRunFolder(int k);
std::wstring FixtureFileName(int k);

}  // namespace qe::test

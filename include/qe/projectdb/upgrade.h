// Upgrading a project database file of an older schema version to the
// current one (77).
//
// Conventions:
//  - Statuses: 0 success; -4 an empty path; -9 a stored version without an
//    upgrade path (below 10, 49 to 59, 77 and above, or no "main" row in
//    `vesion`); any other nonzero value is the SQLite primary result code of
//    the operation that failed (see below).
//  - The upgrade runs on the caller's thread with a SQLite connection of its
//    own, takes no connection handle and needs the file to itself: no other
//    connection may have it open (VACUUM needs exclusive use).
//  - The stored version is the `iVersion` of the `vesion` row "main". Each
//    step runs one SQL script inside one transaction that ends by writing
//    the step's target version, so a file always records the last step
//    that completed and an upgrade started again resumes from there.
//  - A step that rebuilds or creates a table uses the layout of the table at
//    the step's target version (qe/projectdb/schema_history.h), never the
//    current schema; the layouts and what each step changes are listed in
//    docs/schema-history.md.
//  - Every step switches foreign keys off and turns legacy_alter_table on
//    for its connection and leaves them so: a table moved aside with
//    ALTER TABLE ... RENAME must not drag the references of other tables
//    with it (SQLite would otherwise rewrite them to name "<table>_old").
//  - Diagnostic lines (qe/core/diag.h) trace the run: "Upgrading version %I64d
//    to...", one "version %I64d (OK)" or "version %I64d (FAILED)" per step,
//    "Checking Indexes..." and "Optimizing database file...".
#pragma once

#include <cstdint>

#include "qe/core/string.h"

struct sqlite3;

// The progress display of the host. The upgrade calls SetPos with the
// percentage done (40 once the version is read, 90 after the steps, 100
// at the end) on the caller's thread, and never with a null dialog.
// Implementations should not throw; an exception is caught and ignored.
class CQeProgressDialog {
 public:
  virtual ~CQeProgressDialog() = default;
  virtual void SetPos(int32_t percent) = 0;
};

// Brings the file at path to schema version 77:
//  1. opens it read-write (a missing file is not created);
//  2. reads the stored version, traces "Upgrading version %I64d to...",
//     reports 40;
//  3. refuses a version without an upgrade path (-9, the file untouched);
//  4. runs the steps from the stored version up to 76 to 77 in order,
//     tracing each; the first step that fails ends the chain (its
//     transaction is rolled back, earlier steps stay committed);
//  5. reports 90 and re-creates the missing indexes of every current table;
//  6. compacts the file ("VACUUM;");
//  7. closes it, reports 100 and returns the result of step 4.
// Returns 0 when every step succeeded; the failing step's status; -4 for an
// empty path (nothing opened); -9 as above; and, with nothing changed and no
// progress reported, the status of opening or reading a file that cannot be
// used: 14 for a missing file or a folder, 26 for a file that is not a
// database, 11 for a damaged one (any page that PRAGMA quick_check finds
// damaged), 5 when it is locked.
// The index check and the compaction never change the result. The built-in
// labware definitions are not refreshed here (see the labware records).
int QeProjectDb_Db_Upgrade(const CQeStringW& path, CQeProgressDialog* pProgress);

// The class name of the host's capture task (the task that records the data
// an analysis later works on). Step 68 to 69 fills an analysis run's
// missing `iCapturedDataKeyRef` with a task of this class.
inline constexpr const wchar_t* kQeProjectDbCaptureTaskClassName = L"Capture";

// ---- The steps ----
// Each runs on an open database (the upgrade's connection, or the caller's)
// and returns 0, or the status of the first statement of its script that
// failed; then its transaction is left open, uncommitted, for the caller
// to roll back or to discard by closing the connection. A step does not
// check the stored version, except 15 to 16, which returns 0 at once when
// it already is 16. A null db gives 21.
// Steps 28 to 29, 36 to 37, 48 to 60 and 74 to 75 do their table work
// (creates, rebuilds, drops, version rows); the rows they convert one by one
// (well-plate definitions and plate links, per-analysis property names,
// analyses as tasks, packed program properties) are not carried over yet.
int QeProjectDb_Db_Upgrade_From_010_To_011(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_011_To_012(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_012_To_013(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_013_To_014(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_014_To_015(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_015_To_016(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_016_To_017(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_017_To_018(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_018_To_019(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_019_To_020(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_020_To_021(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_021_To_022(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_022_To_023(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_023_To_024(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_024_To_025(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_025_To_026(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_026_To_027(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_027_To_028(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_028_To_029(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_029_To_030(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_030_To_031(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_031_To_032(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_032_To_033(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_033_To_034(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_034_To_035(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_035_To_036(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_036_To_037(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_037_To_038(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_038_To_039(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_039_To_040(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_040_To_041(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_041_To_042(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_042_To_043(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_043_To_044(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_044_To_045(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_045_To_046(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_046_To_047(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_047_To_048(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_048_To_060(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_060_To_061(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_061_To_062(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_062_To_063(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_063_To_064(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_064_To_065(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_065_To_066(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_066_To_067(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_067_To_068(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_068_To_069(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_069_To_070(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_070_To_071(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_071_To_072(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_072_To_073(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_073_To_074(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_074_To_075(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_075_To_076(sqlite3* db);
int QeProjectDb_Db_Upgrade_From_076_To_077(sqlite3* db);

// One step of the chain.
struct SQeProjectDbUpgradeStep {
  int64_t iFromVersion;
  int64_t iToVersion;
  int (*pfnUpgrade)(sqlite3* db);
};

// The 56 steps in the order the upgrade runs them.
inline constexpr uint32_t kQeProjectDbUpgradeStepCount = 56;
extern const SQeProjectDbUpgradeStep g_QeProjectDbUpgradeSteps[kQeProjectDbUpgradeStepCount];

// Position in g_QeProjectDbUpgradeSteps of the step that starts at
// fromVersion, or -1 when no step does (below 10, 49 to 59, 77 and above).
int QeProjectDb_Db_FindUpgradeStep(int64_t fromVersion);

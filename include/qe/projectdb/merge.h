// Merging one project database, with its project folders, run folders and
// run files, into another.
//
// Conventions:
//  - Statuses: 0 success; -1 an empty path, or a file whose schema version
//    is above 77 (newer than this library); -9 the target cannot be opened,
//    is not a project database, is the source itself, the SQL functions
//    cannot be registered, or the two files are not both at schema version
//    77 (an older file must be upgraded first, see upgrade.h); any other
//    nonzero value is the SQLite primary result code of the step that
//    failed (14 a source that cannot be opened, 19 a constraint, ...).
//  - The merge opens its own connection to the target (foreign keys off,
//    recursive triggers on), attaches the source as "src" and copies every
//    table in one transaction, each table after the tables its foreign keys
//    refer to. Every copied row gets a new key and its foreign keys point at
//    the new keys of their parents; a foreign key whose parent was not
//    copied becomes NULL. The version table `vesion` and the file's
//    identity `dbinfo` are never copied.
//  - A source row is not copied when the target already holds a row with
//    the same values in the table's UNIQUE columns (compared with IS, so
//    NULL matches NULL; foreign keys compared after translation), or with
//    the same non-NULL value in a column with a unique index of its own (a
//    user name, a labware uuid); the source row then stands for that target
//    row. Tables without unique columns are copied in full every time.
//  - Folders: a copied project gets a project folder under the target's
//    "Projects" folder, a copied run its run folder, and a copied `file` row
//    its file, copied from the source's project root folder (named by the
//    source file's name, see QeProjectDb_Db_ProjectFolderName). A copied
//    project or run whose folder name is already used in the target (on
//    disk or by a row) gets the first free variant "name (2)", "name (3)",
//    ... and its row stores that variant. A file that exists in the target
//    already is kept; a missing source file does not stop the merge and is
//    reported. Reused rows create no folders and copy no files.
//  - A failing merge rolls back everything it wrote to the target database
//    and leaves it as it was; folders and files it created on disk stay.
//  - Runs on the caller's thread and takes no locks. Neither file may be
//    written by anybody else during the merge. Diagnostics go through
//    DiagOutputExW: "Merging <source>", "   into <target>", "Merging table
//    '<name>'" per table, each missing source file, and the failure.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "qe/core/string.h"
#include "qe/projectdb/sql_functions.h"
#include "qe/sqlite/graph.h"

struct sqlite3;

// What the merge did with one table.
struct SQeProjectDbMergeTableReport {
  CQeStringW wszTable;
  bool bSkipped = false;    // `vesion` and `dbinfo`: never copied
  int64_t iSourceRows = 0;  // rows in the source
  int64_t iCopiedRows = 0;  // rows added to the target
  int64_t iReusedRows = 0;  // source rows that found their row in the target
};

// What a merge did, filled while it runs (also when it fails: then the
// counts of the tables show how far it came, and the database part of it
// was rolled back).
struct SQeProjectDbMergeReport {
  std::vector<SQeProjectDbMergeTableReport> tables;  // in the order visited
  int64_t iFoldersCreated = 0;  // project and run folders that did not exist before
  int64_t iFolderFailures = 0;  // folders that could not be created
  int64_t iFilesCopied = 0;
  int64_t iFilesPresent = 0;             // target file existed already and was kept
  int64_t iFilesMissing = 0;             // source file not found
  int64_t iFileFailures = 0;             // copies that failed otherwise
  std::vector<CQeStringW> missingFiles;  // full source paths
  // Project and run folders given a free variant: (stored name in the
  // source, stored name in the target); runs as "<project>\\<run>".
  std::vector<std::pair<CQeStringW, CQeStringW>> renamedFolders;
  CQeStringW wszFailedTable;   // the table whose copy failed, if one did
  CQeStringW wszMessage;       // why the merge failed (empty on success)
  int64_t iSourceVersion = 0;  // schema versions read (0 when not read)
  int64_t iTargetVersion = 0;
};

// Told about each table of a merge, on the merging thread. index counts
// from 0 up to count - 1 over every table of the schema.
class IQeProjectDbMergeProgress {
 public:
  virtual void OnMergeTableStart(const CQeStringW& table, int index, int count) = 0;
  virtual void OnMergeTableDone(const SQeProjectDbMergeTableReport& table, int index,
                                int count) = 0;

 protected:
  ~IQeProjectDbMergeProgress() = default;
};

// Merges the project database at source into the one at target (both
// files exist, see the conventions above). Returns 0 or a status above.
int QeProjectDb_Db_MergeDb(const CQeStringW& target, const CQeStringW& source);

// The same, telling progress (may be null) about each table and filling
// report (may be null; cleared first).
int QeProjectDb_Db_MergeDbEx(const CQeStringW& target, const CQeStringW& source,
                             IQeProjectDbMergeProgress* progress, SQeProjectDbMergeReport* report);

// Kept for hosts that call it: does nothing and returns 0.
int CQeProjectDbMergeWalker_NewMerge(sqlite3* target, sqlite3* source);

// The merge itself: a walker over the foreign-key graph of the schema that
// copies each table it visits. It is the user data of the merge's SQL
// functions: its merge files (target and source paths) name the folders,
// and it observes every folder and copy they make.
//
// Use: Open, then CQeSqliteDbGraph::Walk over the current table list (which
// calls Visit once per table), then Finish, which commits (or, after a
// failed visit, only cleans up) and closes the target. A walker is used
// once, by one thread. Destroying it without Finish rolls back.
class CQeProjectDbMergeWalker : public SQeSqliteDbGraphWalker,
                                public SQeProjectDbMergeFiles,
                                public IQeProjectDbMergeFilesObserver {
 public:
  // progress and report may be null; both must outlive the walker.
  explicit CQeProjectDbMergeWalker(IQeProjectDbMergeProgress* progress = nullptr,
                                   SQeProjectDbMergeReport* report = nullptr);
  ~CQeProjectDbMergeWalker();
  CQeProjectDbMergeWalker(const CQeProjectDbMergeWalker&) = delete;
  CQeProjectDbMergeWalker& operator=(const CQeProjectDbMergeWalker&) = delete;

  // Checks both files, opens the target, registers the SQL functions,
  // attaches the source as "src" and begins the transaction. Returns 0 or
  // a status of the conventions; on failure nothing was changed and the
  // target is closed again.
  int Open(const CQeStringW& target, const CQeStringW& source);

  // Copies one table (see the conventions). Returns 0, or the status of its
  // script, after which the whole transaction is rolled back and every
  // later visit does nothing but return that status.
  int Visit(const SQeSqliteTableDef& table) override;

  // Drops the working tables, commits, detaches the source, compacts the
  // target (VACUUM; its failure is not reported) and closes it. After a
  // failed visit only detaches and closes. Returns 0, the commit script's
  // status, or the error of the failed visit (or open).
  int Finish();

  // Ends the merge with status (nonzero) when the walk itself failed: rolls
  // back like a failed visit. Does nothing after a failure.
  void Abort(int status, const CQeStringW& message);

  int Error() const { return error_; }
  sqlite3* TargetDb() const { return db_.get(); }
  const CQeStringW& SourceSchema() const { return sourceSchema_; }
  const std::vector<CQeStringW>& MapTables() const { return mapTables_; }

  // IQeProjectDbMergeFilesObserver.
  void OnMergeFolder(const CQeStringW& path, bool created, int result) override;
  void OnMergeCopy(const CQeStringW& source, const CQeStringW& target, int result) override;

  // Used by the merge's folder-name functions: the stored folder name a
  // copied project (or run of the project stored as projectFolder) gets in
  // the target: name itself when free, else its first free variant. Empty
  // result with a nonzero status when no free variant was found.
  int FreeProjectFolder(const CQeStringW& name, CQeStringW& out);
  int FreeJobrunFolder(const CQeStringW& projectFolder, const CQeStringW& name, CQeStringW& out);

 private:
  struct SCloseDb {
    void operator()(sqlite3* db) const;
  };
  int Fail(int status, const CQeStringW& message);
  int CheckFiles(const CQeStringW& target, const CQeStringW& source);
  int VisitTable(const SQeSqliteTableDef& table, SQeProjectDbMergeTableReport& row);
  int64_t ReadCount(const CQeStringW& sql);
  bool FolderInUse(const CQeStringW& sql, const CQeStringW& projectFolder, const CQeStringW& name,
                   const CQeStringW& path);

  std::unique_ptr<sqlite3, SCloseDb> db_;  // the target connection
  CQeStringW sourceSchema_;                // "src" once attached
  std::vector<CQeStringW> mapTables_;      // map tables created so far
  int error_ = 0;
  bool attached_ = false;
  bool finished_ = false;
  int visited_ = 0;
  IQeProjectDbMergeProgress* progress_;
  SQeProjectDbMergeReport* report_;
  SQeProjectDbMergeReport ownReport_;  // used when the caller gives none
};

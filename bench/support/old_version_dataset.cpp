// A version-10 project database of a given size: the test fixture's file
// of that version (a few rows in every table) with many acquired frames
// added, each with two tags, two property values, three loop indices and,
// for every tenth frame, an image file named by its old absolute path.
#include <string>

#include "support/bench_util.h"
#include "support/datasets.h"
#include "support/projectdb/old_version_db.h"

namespace qe::bench {
namespace {

constexpr int kChunkFrames = 20000;

// Adds frames first .. first + count - 1 (by number, not key) and their rows.
void AddFrames(const RawDb& db, int64_t first, int count) {
  const std::string from = std::to_string(first);
  const std::string n = "WITH RECURSIVE n(x) AS (SELECT " + from +
                        " UNION ALL SELECT x + 1 FROM n WHERE x + 1 < " +
                        std::to_string(first + count) + ") ";
  db.Exec("BEGIN;");
  db.Exec(n +
          "INSERT INTO file (iJobrunKeyRef, wszFileName, iWidth, iHeight, iPlanes, iComponents, "
          "iBitsPerComponent, iFrameCount) SELECT 1 + x % 3, "
          "printf('C:\\Data\\Projects\\Proj %d\\Run %d\\Image %06d.tif', 1 + x % 3, 1 + x % 3, x), "
          "1024, 1024, 1, 1, 16, 10 FROM n WHERE x % 10 = 0;");
  // iFrameIndex is the frame's number, so the new frame keys follow from it.
  db.Exec(n +
          "INSERT INTO frame (iJobrunKeyRef, iJobtaskKeyRef, iFrameIndex, dCTime, iFileKeyRef, "
          "iFileFrameIndex) SELECT 1 + x % 3, 1 + x % 3, 1000 + x, 2460000.25 + x / 86400.0, "
          "1 + x % 3, x % 10 FROM n;");
  const std::string frames =
      "SELECT iKey AS k, iJobrunKeyRef AS r, iFrameIndex AS i FROM frame "
      "WHERE iFrameIndex >= " +
      std::to_string(1000 + first) + " ORDER BY iKey";
  db.Exec("INSERT INTO frametag (iFrameKeyRef, iTagdefKeyRef) SELECT k, 1 + (k + t) % 3 FROM (" +
          frames + "), (SELECT 0 AS t UNION ALL SELECT 1);");
  db.Exec(
      "INSERT INTO frameprop (iFrameKeyRef, iAssayrunKeyRef, iPropdefKeyRef, dValue) "
      "SELECT k, 1 + k % 3, 1 + (k + p) % 3, (k * 7919 % 1000) / 10.0 FROM (" +
      frames + "), (SELECT 0 AS p UNION ALL SELECT 1);");
  db.Exec(
      "INSERT INTO loopindex (iJobrunKeyRef, iFrameIndex, iRunloopKeyRef, iLoopIndex, "
      "iLoopinfoKeyRef) SELECT r, i, l, i % 96, 1 + (i + l) % 3 FROM (" +
      frames + "), (SELECT 1 AS l UNION ALL SELECT 2 UNION ALL SELECT 3);");
  db.Exec("COMMIT;");
}

void Build(const std::filesystem::path& path, int64_t targetBytes) {
  Check(qe::test::BuildProjectDbAtVersion(path.wstring(), 10), "building a version-10 file");
  RawDb db(path);
  db.Exec("PRAGMA foreign_keys=0; PRAGMA synchronous=off;");
  int64_t frames = 0;
  while (db.Int("PRAGMA page_count;") * db.Int("PRAGMA page_size;") < targetBytes) {
    AddFrames(db, frames, kChunkFrames);
    frames += kChunkFrames;
  }
  // The upgrade opens the file itself; leave nothing in the WAL.
  db.Exec("PRAGMA wal_checkpoint(TRUNCATE);");
}

}  // namespace

std::filesystem::path Version10Db(int64_t targetBytes) {
  const std::string name = "version10-v" + std::to_string(kGeneratorVersion) + "-" +
                           std::to_string(targetBytes / 1000000) + "MB";
  const auto folder =
      CachedFolder(name, [&](const std::filesystem::path& f) { Build(f / "v10.db", targetBytes); });
  return folder / "v10.db";
}

}  // namespace qe::bench

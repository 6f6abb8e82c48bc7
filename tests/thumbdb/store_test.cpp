// The thumbnail file: creation, version check, store, clear and backup, on
// real files; two processes storing into one file at once, into runs of
// their own and into the same frames of one run.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "qe/core/date_time.h"
#include "qe/picture/image_format.h"
#include "qe/sqlite/connection.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "qe/thumbdb/thumb_reader.h"
#include "support/temp_dir.h"
#include "thumbdb/thumb_fixtures.h"

extern char** environ;

namespace {

using qe::test::CPeek;
using qe::test::TempDir;

// Closes a connection of the thumbnail file when it goes away.
class CConnection {
 public:
  explicit CConnection(const std::wstring& path)
      : db_(CQeProjectThumbReader::DbConnect(path.c_str())) {}
  ~CConnection() { CQeProjectThumbDb::DbCloseConnection(db_); }
  sqlite3* get() const { return db_; }

 private:
  sqlite3* db_;
};

CQeByteArray Bytes(const std::string& text) {
  return CQeByteArray(text.data(), static_cast<int>(text.size()));
}

double Now() { return CQeDateTime::UNow().GetJDN(); }

TEST(ThumbFile, CreatedUtf16WithFourTablesAndVersionSeven) {
  TempDir dir;
  {
    CConnection db(dir.FileW("thumbs.db"));
    ASSERT_NE(db.get(), nullptr);
  }
  CPeek peek(dir.File("thumbs.db"));
  EXPECT_EQ(peek.Text("PRAGMA encoding;"), "UTF-16le");
  EXPECT_EQ(peek.Text("PRAGMA journal_mode;"), "wal");
  EXPECT_EQ(peek.Int("SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                     "('vesion','jobrunuuid','frame','thumbnail');"),
            4);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM vesion;"), 1);
  EXPECT_EQ(peek.Int("SELECT iVersion FROM vesion WHERE wszName='main';"), 7);
  // Uniqueness is enforced: a second frame row for the same run and index aborts.
  ASSERT_EQ(peek.Exec("INSERT INTO jobrunuuid (wszJobrunUuid) VALUES ('u');"), SQLITE_OK);
  ASSERT_EQ(peek.Exec("INSERT INTO frame (iJobrunuuidKeyRef, iFrameIndex) VALUES (1, 3);"),
            SQLITE_OK);
  EXPECT_EQ(peek.Exec("INSERT INTO frame (iJobrunuuidKeyRef, iFrameIndex) VALUES (1, 3);"),
            SQLITE_CONSTRAINT);
}

TEST(ThumbFile, WrongVersionIsDeletedAndCreatedAgain) {
  TempDir dir;
  const std::string path = dir.File("thumbs.db");
  { CConnection db(dir.FileW("thumbs.db")); }
  {
    CPeek peek(path);
    ASSERT_EQ(peek.Exec("UPDATE vesion SET iVersion=6; CREATE TABLE stale (x);"), SQLITE_OK);
  }
  CConnection db(dir.FileW("thumbs.db"));
  ASSERT_NE(db.get(), nullptr);
  CPeek peek(path);
  EXPECT_EQ(peek.Int("SELECT iVersion FROM vesion WHERE wszName='main';"), 7);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM sqlite_master WHERE name='stale';"), 0);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM sqlite_master WHERE type='table';"), 4);
}

TEST(ThumbFile, UnreadableFileIsReplaced) {
  TempDir dir;
  qe::test::WriteBytes(dir.File("thumbs.db"), std::vector<uint8_t>(5000, 'x'));
  CConnection db(dir.FileW("thumbs.db"));
  ASSERT_NE(db.get(), nullptr);
  CPeek peek(dir.File("thumbs.db"));
  EXPECT_EQ(peek.Int("SELECT iVersion FROM vesion;"), 7);
}

TEST(ThumbFile, FolderThatDoesNotExistGivesNoConnection) {
  TempDir dir;
  CConnection db(dir.FileW("missing/thumbs.db"));
  EXPECT_EQ(db.get(), nullptr);
  CQeImageFormatManager manager;
  CQeProjectThumbDb thumbs(dir.FileW("missing/thumbs.db").c_str(), &manager, 8);
  EXPECT_EQ(thumbs.Clear(L"run"), -9);
  EXPECT_EQ(thumbs.BackupTo(nullptr), -9);
}

TEST(ThumbStore, SecondStoreReplacesThePictureAndKeepsOneRow) {
  TempDir dir;
  CConnection db(dir.FileW("thumbs.db"));
  const double t1 = Now() - 0.25;
  EXPECT_EQ(CQeProjectThumb::StoreThumbDataToDb(db.get(), L"run", 4, 1, 128, 0, t1, Bytes("one")),
            0);
  EXPECT_EQ(
      CQeProjectThumb::StoreThumbDataToDb(db.get(), L"run", 4, 1, 128, 0, t1 + 0.1, Bytes("two")),
      0);
  CPeek peek(dir.File("thumbs.db"));
  EXPECT_EQ(peek.Int("SELECT count(*) FROM jobrunuuid;"), 1);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 1);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 1);
  EXPECT_EQ(peek.Blob("SELECT pData FROM thumbnail;"), "two");
  // Same load result: the frame row keeps its first time.
  EXPECT_DOUBLE_EQ(peek.Double("SELECT dCTime FROM frame;"), t1);
}

TEST(ThumbStore, FailureIsStoredWithoutPictureAndUpdatedLater) {
  TempDir dir;
  CConnection db(dir.FileW("thumbs.db"));
  CQeProjectThumb::StoreThumbDataToDb(db.get(), L"run", 2, 0, 128, -9, 100.0, CQeByteArray());
  CPeek peek(dir.File("thumbs.db"));
  EXPECT_EQ(peek.Int("SELECT iLoadResult FROM frame WHERE iFrameIndex=2;"), -9);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 0);
  CQeProjectThumb::StoreThumbDataToDb(db.get(), L"run", 2, 0, 128, -10, 200.0, CQeByteArray());
  EXPECT_EQ(peek.Int("SELECT iLoadResult FROM frame WHERE iFrameIndex=2;"), -10);
  EXPECT_EQ(peek.Int("SELECT CAST(dCTime AS INTEGER) FROM frame WHERE iFrameIndex=2;"), 200);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 1);
}

TEST(ThumbStore, HostileUuidTextsAreStoredAndClearedExactly) {
  TempDir dir;
  CQeImageFormatManager manager;
  CQeProjectThumbDb thumbs(dir.FileW("thumbs.db").c_str(), &manager, 8);
  const wchar_t* hostile = L"o'neil \"%s\" 100% Zellkern-\u00fc\u00df";
  {
    sqlite3* db = thumbs.DbOpenConnection();
    CQeProjectThumb::StoreThumbDataToDb(db, hostile, 1, 0, 128, 0, Now(), Bytes("a"));
    CQeProjectThumb::StoreThumbDataToDb(db, L"other", 1, 0, 128, 0, Now(), Bytes("b"));
    CQeProjectThumbDb::DbCloseConnection(db);
  }
  CPeek peek(dir.File("thumbs.db"));
  EXPECT_EQ(peek.Text("SELECT wszJobrunUuid FROM jobrunuuid WHERE iKey=1;"),
            "o'neil \"%s\" 100% Zellkern-\xc3\xbc\xc3\x9f");
  EXPECT_EQ(thumbs.Clear(hostile), 0);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM jobrunuuid;"), 1);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 1);
}

TEST(ThumbStore, ClearRunAndClearFramesCascade) {
  TempDir dir;
  CQeImageFormatManager manager;
  CQeProjectThumbDb thumbs(dir.FileW("thumbs.db").c_str(), &manager, 8);
  sqlite3* db = thumbs.DbOpenConnection();
  for (int frame = 0; frame < 5; ++frame) {
    CQeProjectThumb::StoreThumbDataToDb(db, L"a", frame, 0, 128, 0, Now(), Bytes("p"));
    CQeProjectThumb::StoreThumbDataToDb(db, L"b", frame, 0, 128, 0, Now(), Bytes("p"));
  }
  CQeProjectThumbDb::DbCloseConnection(db);
  CPeek peek(dir.File("thumbs.db"));

  EXPECT_EQ(thumbs.Clear(L"a", {}), 0);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 10);

  EXPECT_EQ(thumbs.Clear(L"a", {1, 3, 99}), 0);
  EXPECT_EQ(peek.Text("SELECT group_concat(iFrameIndex) FROM (SELECT iFrameIndex FROM frame, "
                      "jobrunuuid WHERE iJobrunuuidKeyRef=jobrunuuid.iKey AND "
                      "wszJobrunUuid='a' ORDER BY 1);"),
            "0,2,4");
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 8);

  EXPECT_EQ(thumbs.Clear(L"b"), 0);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 3);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 3);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM jobrunuuid WHERE wszJobrunUuid='b';"), 0);
}

TEST(ThumbStore, BackupCopiesEverything) {
  TempDir dir;
  CQeImageFormatManager manager;
  CQeProjectThumbDb thumbs(dir.FileW("thumbs.db").c_str(), &manager, 8);
  sqlite3* db = thumbs.DbOpenConnection();
  for (int frame = 0; frame < 40; ++frame) {
    CQeProjectThumb::StoreThumbDataToDb(db, L"run", frame, 0, 128, 0, Now(),
                                        CQeByteArray(std::string(3000, 'j').data(), 3000));
  }
  CQeProjectThumbDb::DbCloseConnection(db);
  sqlite3* target = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("copy.db").c_str(), &target), SQLITE_OK);
  EXPECT_EQ(thumbs.BackupTo(target), 0);
  sqlite3_close(target);
  CPeek copy(dir.File("copy.db"));
  EXPECT_EQ(copy.Int("SELECT count(*) FROM thumbnail;"), 40);
  EXPECT_EQ(copy.Int("SELECT iVersion FROM vesion;"), 7);
}

// The picture a child of the two-process tests stores for a frame: the run's
// uuid and the frame index, and the size when one was given.
std::string ChildPicture(const std::string& uuid, int frame, const char* size) {
  return uuid + "#" + std::to_string(frame) + (size ? std::string("@") + size : "");
}

// Child side of the two-process tests: runs only when the parent set the
// variables, storing frames 0 .. 59 of one run (at size 128 unless
// QE_THUMBDB_CHILD_SIZE names another).
TEST(ThumbStoreChild, StoresFrames) {
  const char* path = std::getenv("QE_THUMBDB_CHILD_FILE");
  const char* uuid = std::getenv("QE_THUMBDB_CHILD_UUID");
  const char* size = std::getenv("QE_THUMBDB_CHILD_SIZE");
  if (!path || !uuid) GTEST_SKIP() << "runs as a child of the two-process tests";
  const std::wstring file = CQeStringW::FromUtf8(path).str();
  const CQeStringW run = CQeStringW::FromUtf8(uuid);
  CConnection db(file);
  ASSERT_NE(db.get(), nullptr);
  for (int frame = 0; frame < 60; ++frame) {
    CQeProjectThumb::StoreThumbDataToDb(db.get(), run, frame, frame, size ? std::atoi(size) : 128,
                                        0, Now(), Bytes(ChildPicture(uuid, frame, size)));
  }
}

pid_t SpawnChild(const std::string& file, const std::string& uuid, const char* size = nullptr) {
  const std::string fileVar = "QE_THUMBDB_CHILD_FILE=" + file;
  const std::string uuidVar = "QE_THUMBDB_CHILD_UUID=" + uuid;
  const std::string sizeVar = std::string("QE_THUMBDB_CHILD_SIZE=") + (size ? size : "");
  std::vector<char*> env;
  for (char** e = environ; *e; ++e) env.push_back(*e);
  env.push_back(const_cast<char*>(fileVar.c_str()));
  env.push_back(const_cast<char*>(uuidVar.c_str()));
  if (size) env.push_back(const_cast<char*>(sizeVar.c_str()));
  env.push_back(nullptr);
  std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=ThumbStoreChild.StoresFrames";
  char* argv[] = {self.data(), filter.data(), nullptr};
  pid_t pid = -1;
  if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, env.data()) != 0) return -1;
  return pid;
}

TEST(ThumbStore, TwoProcessesStoreIntoOneFileAndLoseNothing) {
  TempDir dir;
  // Neither process finds the file: both race to create it, then to store.
  const pid_t first = SpawnChild(dir.File("thumbs.db"), "first");
  const pid_t second = SpawnChild(dir.File("thumbs.db"), "second");
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  for (pid_t pid : {first, second}) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  CPeek peek(dir.File("thumbs.db"));
  EXPECT_EQ(peek.Int("SELECT count(*) FROM vesion;"), 1);
  for (const char* uuid : {"first", "second"}) {
    const std::string run =
        std::string("(SELECT iKey FROM jobrunuuid WHERE wszJobrunUuid='") + uuid + "')";
    EXPECT_EQ(peek.Int("SELECT count(*) FROM frame WHERE iJobrunuuidKeyRef=" + run), 60) << uuid;
    for (int frame = 0; frame < 60; ++frame) {
      EXPECT_EQ(peek.Blob("SELECT pData FROM thumbnail, frame WHERE iFrameKeyRef=frame.iKey AND "
                          "iFrameIndex=" +
                          std::to_string(frame) + " AND iJobrunuuidKeyRef=" + run),
                ChildPicture(uuid, frame, nullptr));
    }
  }
}

// Both processes store every frame of the same run, one at size 128 and
// one at 512, so they race to insert the same run row and the same frame
// rows (the loser's transaction meets a busy database, rolls back and
// starts again). Each run ends with one run row, one row per frame and
// both pictures of every frame.
TEST(ThumbStore, TwoProcessesStoringTheSameFramesKeepOneRowEachAndBothSizes) {
  TempDir dir;
  const std::string file = dir.File("thumbs.db");
  {
    CConnection created(CQeStringW::FromUtf8(file).str());
    ASSERT_NE(created.get(), nullptr);
  }
  constexpr int kRounds = 3;
  for (int round = 0; round < kRounds; ++round) {
    const std::string uuid = "shared" + std::to_string(round);
    const pid_t small = SpawnChild(file, uuid, "128");
    const pid_t large = SpawnChild(file, uuid, "512");
    ASSERT_GT(small, 0);
    ASSERT_GT(large, 0);
    for (pid_t pid : {small, large}) {
      int status = 0;
      ASSERT_EQ(waitpid(pid, &status, 0), pid);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
  }
  CPeek peek(file);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM jobrunuuid;"), kRounds);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), kRounds * 60);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), kRounds * 120);
  for (int round = 0; round < kRounds; ++round) {
    const std::string uuid = "shared" + std::to_string(round);
    const std::string run = "(SELECT iKey FROM jobrunuuid WHERE wszJobrunUuid='" + uuid + "')";
    for (int frame = 0; frame < 60; ++frame) {
      for (const char* size : {"128", "512"}) {
        EXPECT_EQ(peek.Blob("SELECT pData FROM thumbnail, frame WHERE iFrameKeyRef=frame.iKey AND "
                            "iSize=" +
                            std::string(size) + " AND iFrameIndex=" + std::to_string(frame) +
                            " AND iJobrunuuidKeyRef=" + run),
                  ChildPicture(uuid, frame, size));
      }
    }
  }
}

}  // namespace

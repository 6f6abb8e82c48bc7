// The thumbnail file: creation, version check, store, clear and backup, on
// real files; two processes storing into one file at once.
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "qe/core/date_time.h"
#include "thumbdb/thumb_fixtures.h"

extern char** environ;

namespace {

using qe::test::CPeek;
using qe::test::TempDir;

// A connection of the thumbnail file, closed when it goes away.
std::unique_ptr<sqlite3, void (*)(sqlite3*)> Connect(const std::wstring& path) {
  return {CQeProjectThumbReader::DbConnect(path.c_str()), &CQeProjectThumbDb::DbCloseConnection};
}

CQeByteArray Bytes(const std::string& text) {
  return CQeByteArray(text.data(), static_cast<int>(text.size()));
}

double Now() { return CQeDateTime::UNow().GetJDN(); }

void Store(sqlite3* db, const wchar_t* uuid, int frame, int result, double time,
           const std::string& picture) {
  EXPECT_EQ(
      CQeProjectThumb::StoreThumbDataToDb(db, uuid, frame, 0, 128, result, time, Bytes(picture)),
      0);
}

TEST(ThumbFile, CreatedAsVersionSevenInUtf16AndRebuiltWhenTheVersionIsWrong) {
  TempDir dir;
  const std::string path = dir.File("thumbs.db");
  ASSERT_NE(Connect(dir.FileW("thumbs.db")).get(), nullptr);
  EXPECT_EQ(CPeek(path).Text("PRAGMA encoding;"), "UTF-16le");
  ASSERT_EQ(CPeek(path).Exec("UPDATE vesion SET iVersion=6; CREATE TABLE stale (x);"), SQLITE_OK);
  ASSERT_NE(Connect(dir.FileW("thumbs.db")).get(), nullptr);
  CPeek peek(path);
  EXPECT_EQ(peek.Int("SELECT iVersion FROM vesion WHERE wszName='main';"), 7);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM sqlite_master WHERE type='table' AND name IN "
                     "('vesion','jobrunuuid','frame','thumbnail');"),
            4);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM sqlite_master WHERE name='stale';"), 0);
}

TEST(ThumbStore, StoresReplaceAndClearAndBackupKeepTheRowsRight) {
  TempDir dir;
  CQeImageFormatManager manager;
  CQeProjectThumbDb thumbs(dir.FileW("thumbs.db").c_str(), &manager, 8);
  sqlite3* db = thumbs.DbOpenConnection();
  for (const char* picture : {"old", "new"}) {
    for (const wchar_t* uuid : {L"a", L"b"}) {
      for (int frame = 0; frame < 5; ++frame) Store(db, uuid, frame, 0, Now(), picture);
    }
  }
  Store(db, L"a", 7, -10, Now(), "");  // a failure has no picture
  CQeProjectThumbDb::DbCloseConnection(db);
  CPeek peek(dir.File("thumbs.db"));
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 11);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail WHERE pData=x'6e6577';"), 10);
  EXPECT_EQ(thumbs.Clear(L"a", {}), 0);
  EXPECT_EQ(thumbs.Clear(L"a", {1, 3, 99}), 0);
  EXPECT_EQ(peek.Text("SELECT group_concat(iFrameIndex) FROM (SELECT iFrameIndex FROM frame, "
                      "jobrunuuid WHERE iJobrunuuidKeyRef=jobrunuuid.iKey AND "
                      "wszJobrunUuid='a' ORDER BY 1);"),
            "0,2,4,7");
  EXPECT_EQ(thumbs.Clear(L"b"), 0);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 3);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM jobrunuuid;"), 1);
  sqlite3* target = nullptr;
  ASSERT_EQ(sqlite3_open(dir.File("copy.db").c_str(), &target), SQLITE_OK);
  EXPECT_EQ(thumbs.BackupTo(target), 0);
  sqlite3_close(target);
  EXPECT_EQ(CPeek(dir.File("copy.db")).Int("SELECT count(*) FROM thumbnail;"), 3);
}

// The picture a child stores for a frame: uuid, frame index and size.
std::string ChildPicture(const std::string& uuid, int frame, int size) {
  return uuid + "#" + std::to_string(frame) + "@" + std::to_string(size);
}

// Child side of the two-process tests: runs only when the parent set the
// variables, storing frames 0 .. 59 of one run at one size.
TEST(ThumbStoreChild, StoresFrames) {
  const char* path = std::getenv("QE_THUMBDB_CHILD_FILE");
  const char* uuid = std::getenv("QE_THUMBDB_CHILD_UUID");
  const char* size = std::getenv("QE_THUMBDB_CHILD_SIZE");
  if (!path || !uuid || !size) GTEST_SKIP() << "runs as a child of the two-process tests";
  auto db = Connect(CQeStringW::FromUtf8(path).str());
  ASSERT_NE(db.get(), nullptr);
  for (int frame = 0; frame < 60; ++frame) {
    CQeProjectThumb::StoreThumbDataToDb(db.get(), CQeStringW::FromUtf8(uuid), frame, frame,
                                        std::atoi(size), 0, Now(),
                                        Bytes(ChildPicture(uuid, frame, std::atoi(size))));
  }
}

// Two children storing at once, each all frames of `uuid` at its size;
// expects both to succeed and every picture to be there.
void StoreFromTwoProcesses(const std::string& file, const std::string uuids[2],
                           const int sizes[2]) {
  pid_t pids[2] = {-1, -1};
  for (int child = 0; child < 2; ++child) {
    const std::string vars[] = {"QE_THUMBDB_CHILD_FILE=" + file,
                                "QE_THUMBDB_CHILD_UUID=" + uuids[child],
                                "QE_THUMBDB_CHILD_SIZE=" + std::to_string(sizes[child])};
    std::vector<char*> env;
    for (char** e = environ; *e; ++e) env.push_back(*e);
    for (const std::string& var : vars) env.push_back(const_cast<char*>(var.c_str()));
    env.push_back(nullptr);
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    std::string filter = "--gtest_filter=ThumbStoreChild.StoresFrames";
    char* argv[] = {self.data(), filter.data(), nullptr};
    ASSERT_EQ(posix_spawn(&pids[child], self.c_str(), nullptr, nullptr, argv, env.data()), 0);
  }
  for (pid_t pid : pids) {
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  CPeek peek(file);
  for (int child = 0; child < 2; ++child) {
    const std::string run =
        "(SELECT iKey FROM jobrunuuid WHERE wszJobrunUuid='" + uuids[child] + "')";
    for (int frame = 0; frame < 60; ++frame) {
      EXPECT_EQ(
          peek.Blob("SELECT pData FROM thumbnail, frame WHERE iFrameKeyRef=frame.iKey AND iSize=" +
                    std::to_string(sizes[child]) + " AND iFrameIndex=" + std::to_string(frame) +
                    " AND iJobrunuuidKeyRef=" + run),
          ChildPicture(uuids[child], frame, sizes[child]));
    }
  }
}

// First two processes storing frames of runs of their own into a file
// neither has made yet: both race to create it. Then, three times over, two
// processes storing the same frames of one run at two sizes race to insert
// the same run and frame rows: the loser's transaction meets a busy
// database, rolls back and starts again.
TEST(ThumbStore, TwoProcessesStoringIntoOneFileAtOnceLoseNothing) {
  TempDir dir;
  const std::string file = dir.File("thumbs.db");
  const std::string own[2] = {"first", "second"};
  const int same[2] = {128, 128};
  StoreFromTwoProcesses(file, own, same);
  constexpr int kRounds = 3;
  const int sizes[2] = {128, 512};
  for (int round = 0; round < kRounds; ++round) {
    const std::string uuids[2] = {"shared" + std::to_string(round),
                                  "shared" + std::to_string(round)};
    StoreFromTwoProcesses(file, uuids, sizes);
  }
  CPeek peek(file);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM vesion;"), 1);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM jobrunuuid;"), 2 + kRounds);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), (2 + kRounds) * 60);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 2 * 60 + kRounds * 120);
}

}  // namespace

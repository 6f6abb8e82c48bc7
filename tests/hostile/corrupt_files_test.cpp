// Damaged files given to every function that opens one: each answers with
// a status (or no connection), never crashes, and leaves the file's bytes
// as they were unless it reported success. A project database, an older
// one for the upgrade and a thumbnail database are each damaged one way
// per test.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "hostile/hostile_support.h"
#include "qe/picture/image_format.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/upgrade.h"
#include "qe/sqlite/connection.h"
#include "qe/thumbdb/thumbdb.h"
#include "support/projectdb/old_version_db.h"

namespace qe::hostile {
namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

const char* const kDamages[] = {"empty",
                                "cut inside the header",
                                "header only",
                                "first half",
                                "last byte cut off",
                                "zeros of the same size",
                                "random bytes of the same size",
                                "random bytes behind a good header",
                                "impossible page size",
                                "damaged schema page",
                                "damaged middle page",
                                "damaged last page",
                                "a text file"};

// The good file's bytes damaged the way kDamages[kind] says.
Bytes Damage(Bytes b, size_t kind) {
  const size_t page = b.size() < 100 ? 4096 : (size_t(uint8_t(b[16])) << 8 | uint8_t(b[17]));
  const size_t middle = b.size() / page / 2 * page, last = b.size() - page;
  std::mt19937 random(static_cast<unsigned>(kind));
  auto scramble = [&](size_t from, size_t to) {
    for (size_t i = from; i < std::min(to, b.size()); ++i) b[i] = static_cast<char>(random());
  };
  switch (kind) {
    case 0:
      return {};
    case 1:
      return b.substr(0, 50);
    case 2:
      return b.substr(0, 100);
    case 3:
      return b.substr(0, b.size() / 2);
    case 4:
      return b.substr(0, b.size() - 1);
    case 5:
      return Bytes(b.size(), '\0');
    case 6:
      scramble(0, b.size());
      return b;
    case 7:
      scramble(100, b.size());
      return b;
    case 8:
      b[16] = 3, b[17] = 0;
      return b;  // 768: not a power of two
    case 9:
      scramble(100, page);
      return b;
    case 10:
      scramble(middle, middle + page);
      return b;
    case 11:
      scramble(last, b.size());
      return b;
    default:
      return "project notes, not a database\n";
  }
}

// A project database with runs, closed (so the WAL is folded into the file).
void MakeProjectDb(const CQeStringW& path) {
  ASSERT_EQ(QeProjectDb_Db_Create(path), 0);
  const uint32_t h = QeProjectDb_Db_Connect(path);
  int64_t project = 0, jobdef = 0, program = 0, file = 0;
  ASSERT_EQ(QeProjectDb_Proj_Insert(h, L"Project", L"d", L"Project", &project), 0);
  ASSERT_EQ(QeProjectDb_Jobdef_Insert(h, project, 1, 0, L"Job", L"d", 0, &jobdef), 0);
  ASSERT_EQ(QeProjectDb_Jobprogram_Insert(h, jobdef, L"p", &program), 0);
  const CQeStringW folder = QeProjectDb_Proj_MakeAbsPath(h, L"Project");
  for (int run = 0; run < 20; ++run) {
    SQeProjectDbRow_jobrun row;
    ASSERT_EQ(QeProjectDb_Jobrun_Insert(h, project, folder, jobdef, program, 0, L"Run",
                                        CQeStringW(std::wstring(2000, L'n')), &row, nullptr),
              0);
    ASSERT_EQ(QeProjectDb_File_Insert(h, row.iKey, L"image.tif", 8, 8, 1, 1, 8, 1, &file), 0);
  }
  QeProjectDb_Db_Disconnect(h);
}

void MakeThumbDb(const CQeStringW& path) {
  sqlite3* db = CQeProjectThumbReader::DbConnect(path);
  ASSERT_NE(db, nullptr);
  for (int frame = 0; frame < 50; ++frame) {
    CQeProjectThumb::StoreThumbDataToDb(db, L"run", frame, 0, 128, 0, 1.0,
                                        CQeByteArray(std::string(3000, 'j').data(), 3000));
  }
  QeSqlite_Close(db);
}

// Reads and (when write) writes on a connection to a damaged file.
void UseConnection(uint32_t h, bool write) {
  std::vector<SQeProjectDbRow_project> projects;
  std::vector<SQeProjectDbRow_jobrun> runs;
  QeProjectDb_Proj_GetAll(h, projects);
  QeProjectDb_Jobrun_GetAll(h, runs);
  CQeStringW unique;
  QeProjectDb_Proj_IsNameUnique(h, L"Project", unique);
  if (!write) return;
  int64_t key = 0;
  QeProjectDb_Tagdef_Insert(h, L"set", L"tag", L"d", &key);
  QeProjectDb_Jobrun_UpdateNotes(h, 2, L"notes");
}

class CorruptFiles : public ::testing::TestWithParam<size_t> {
 protected:
  CQeStringW Path(const std::string& name) const { return CQeStringW::FromUtf8(dir_.File(name)); }

  // Runs call on a damaged copy of good; the copy's bytes must stay unless
  // call says it succeeded.
  void Check(const char* good, const char* name,
             const std::function<bool(const CQeStringW&)>& call) {
    SCOPED_TRACE(name);
    const std::string path = dir_.File(std::string(name) + ".db");
    Ctx::Forget(Path(std::string(name) + ".db"));
    std::ifstream in(dir_.File(good), std::ios::binary);
    std::ofstream(path, std::ios::binary) << Damage(
        {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}, GetParam());
    const std::string before = FileDigest(path);
    ++Figures().corruptFiles;
    ++Figures().corruptCalls;
    if (!call(CQeStringW::FromUtf8(path))) {
      EXPECT_EQ(FileDigest(path), before) << name << " changed a file it refused";
    }
  }

  qe::test::TempDir dir_{qe::test::FixtureFolderBase()};
};

TEST_P(CorruptFiles, GiveAStatusAndKeepTheirBytes) {
  SCOPED_TRACE(kDamages[GetParam()]);
  MakeProjectDb(Path("good.db"));
  ASSERT_EQ(qe::test::BuildProjectDbAtVersion(Path("old.db").str(), 60), 0);
  MakeThumbDb(Path("thumbs-good.db"));
  Check("good.db", "connect", [](const CQeStringW& path) {
    const uint32_t h = QeProjectDb_Db_Connect(path);
    if (h != 0) UseConnection(h, true);
    QeProjectDb_Db_Disconnect(h);
    return h != 0;
  });
  Check("good.db", "connect for reading", [](const CQeStringW& path) {
    const uint32_t h = QeProjectDb_Db_ConnectForRead(path);
    if (h != 0) UseConnection(h, false);
    QeProjectDb_Db_Disconnect(h);
    return false;  // reading never changes the file
  });
  Check("good.db", "file information", [](const CQeStringW& path) {
    SQeProjectDbFileInfo info;
    const int status = QeProjectDb_Db_GetInfo(path, &info);
    EXPECT_TRUE(status == 0 || status == -1 || status == -10 || status > 0) << status;
    return false;
  });
  Check("good.db", "upgrade of a current file", [](const CQeStringW& path) {
    EXPECT_NE(QeProjectDb_Db_Upgrade(path, nullptr), 0);  // nothing to do, or unreadable
    return false;
  });
  // The upgrade checks the file first, so a damaged older file is refused
  // untouched rather than left partly upgraded.
  Check("old.db", "upgrade of a version 60 file", [](const CQeStringW& path) {
    const int status = QeProjectDb_Db_Upgrade(path, nullptr);
    SQeProjectDbFileInfo info;
    if (status == 0) {
      EXPECT_TRUE(QeProjectDb_Db_GetInfo(path, &info) == 0 && info.iVersion == 77);
    }
    return status == 0;
  });
  fs::copy_file(dir_.File("good.db"), dir_.File("other.db"));
  const std::string otherBefore = FileDigest(dir_.File("other.db"));
  Check("good.db", "merge target", [&](const CQeStringW& path) {
    const int status = QeProjectDb_Db_MergeDb(path, Path("other.db"));
    EXPECT_EQ(FileDigest(dir_.File("other.db")), otherBefore) << "the merge changed its source";
    return status == 0;
  });
  Check("good.db", "merge source", [&](const CQeStringW& path) {
    if (QeProjectDb_Db_MergeDb(Path("other.db"), path) != 0) {
      EXPECT_EQ(FileDigest(dir_.File("other.db")), otherBefore)
          << "a failed merge changed its target";
    }
    return false;  // the source is only read
  });
  // A file that is not a usable thumbnail database is made again (it is a
  // cache of the frames' files): that counts as success.
  Check("thumbs-good.db", "thumbnail connect", [](const CQeStringW& path) {
    sqlite3* db = CQeProjectThumbReader::DbConnect(path);
    if (db) {
      EXPECT_EQ(ReadTexts(db, "SELECT wszName FROM vesion").size(), 1u);
    }
    QeSqlite_Close(db);
    return db != nullptr;
  });
  Check("thumbs-good.db", "thumbnail database", [](const CQeStringW& path) {
    CQeImageFormatManager manager;
    CQeProjectThumbDb thumbs(path, &manager, 4);
    const int cleared = thumbs.Clear(L"run");
    EXPECT_TRUE(cleared == 0 || cleared == -9 || cleared > 0) << cleared;
    return true;
  });
}

INSTANTIATE_TEST_SUITE_P(Damages, CorruptFiles, ::testing::Range<size_t>(0, std::size(kDamages)),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                           std::string name = kDamages[info.param];
                           for (char& ch : name) {
                             if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                           }
                           return name;
                         });

}  // namespace
}  // namespace qe::hostile

// Damaged files given to every function that opens one: each answers with
// a status (or no connection), never crashes, and leaves the file's bytes
// as they were unless it reported success. A project database, an older
// one for the upgrade and a thumbnail database are each truncated,
// zero-filled, overwritten with random bytes, given a damaged page or
// header, or replaced by a file that is no database at all.
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
using Bytes = std::vector<uint8_t>;

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

size_t PageSize(const Bytes& db) {
  if (db.size() < 100) return 4096;
  const size_t size = (static_cast<size_t>(db[16]) << 8) | db[17];
  return size == 1 ? 65536 : size;
}

void Randomize(Bytes& bytes, size_t from, size_t to, unsigned seed) {
  std::mt19937 random(seed);
  for (size_t i = from; i < std::min(to, bytes.size()); ++i) {
    bytes[i] = static_cast<uint8_t>(random());
  }
}

// One way of damaging a good file.
struct SDamage {
  const char* label;
  std::function<Bytes(const Bytes&)> make;
};

std::vector<SDamage> Damages() {
  auto cut = [](size_t keep) {
    return
        [keep](const Bytes& b) { return Bytes(b.begin(), b.begin() + std::min(keep, b.size())); };
  };
  auto randomFrom = [](size_t from, size_t to, unsigned seed) {
    return [=](const Bytes& b) {
      Bytes out = b;
      Randomize(out, from, to, seed);
      return out;
    };
  };
  auto page = [](size_t index) {  // page index from 0; SIZE_MAX for the last
    return [index](const Bytes& b) {
      Bytes out = b;
      const size_t size = PageSize(b), pages = b.size() / size;
      const size_t at = (index == SIZE_MAX ? pages - 1 : std::min(index, pages - 1)) * size;
      Randomize(out, at == 0 ? 100 : at, at + size, static_cast<unsigned>(index + 7));
      return out;
    };
  };
  auto text = [](std::string bytes) {
    return [bytes](const Bytes&) { return Bytes(bytes.begin(), bytes.end()); };
  };
  return {
      {"empty file", cut(0)},
      {"cut inside the header", cut(50)},
      {"header only", cut(100)},
      {"first page only", [](const Bytes& b) { return Bytes(b.begin(), b.begin() + PageSize(b)); }},
      {"first half", [](const Bytes& b) { return Bytes(b.begin(), b.begin() + b.size() / 2); }},
      {"last page cut off", [](const Bytes& b) { return Bytes(b.begin(), b.end() - PageSize(b)); }},
      {"last byte cut off", [](const Bytes& b) { return Bytes(b.begin(), b.end() - 1); }},
      {"zeros of the same size", [](const Bytes& b) { return Bytes(b.size(), 0); }},
      {"one page of zeros", [](const Bytes& b) { return Bytes(PageSize(b), 0); }},
      {"random bytes of the same size", randomFrom(0, SIZE_MAX, 1)},
      {"random bytes behind a good header", randomFrom(100, SIZE_MAX, 2)},
      {"damaged header fields", randomFrom(16, 100, 3)},
      {"impossible page size",  // 768: not a power of two
       [](const Bytes& b) {
         Bytes out = b;
         out[16] = 0x03;
         out[17] = 0x00;
         return out;
       }},
      {"damaged schema page", page(0)},
      {"damaged second page", page(1)},
      {"damaged middle page",
       [page](const Bytes& b) { return page(b.size() / PageSize(b) / 2)(b); }},
      {"damaged last page", page(SIZE_MAX)},
      {"a text file", text("project notes, not a database\n")},
      {"the database magic and nothing else", text(std::string("SQLite format 3\0", 16))},
  };
}

// A project database with a run and its labware, written through the
// library, closed (so the WAL is folded into the file).
void MakeProjectDb(const CQeStringW& path) {
  ASSERT_EQ(QeProjectDb_Db_Create(path), 0);
  const uint32_t h = QeProjectDb_Db_Connect(path);
  ASSERT_NE(h, 0u);
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

class CorruptFiles : public ::testing::TestWithParam<size_t> {
 protected:
  void SetUp() override {
    good_ = Folder() / "good.db";
    MakeProjectDb(W(good_));
    oldGood_ = Folder() / "old.db";
    ASSERT_EQ(qe::test::BuildProjectDbAtVersion(oldGood_.wstring(), 60), 0);
    thumbGood_ = Folder() / "thumbs-good.db";
    MakeThumbDb(W(thumbGood_));
    damage_ = Damages()[GetParam()];
  }

  fs::path Folder() const { return dir_.path(); }
  static CQeStringW W(const fs::path& path) { return CQeStringW::FromUtf8(path.string()); }

  // A damaged copy of the good file at a new path.
  fs::path Damaged(const fs::path& good, const std::string& name) {
    const fs::path path = Folder() / (name + ".db");
    Ctx::Forget(W(path));
    WriteAll(path.string(), damage_.make(ReadAll(good.string())));
    ++Figures().corruptFiles;
    return path;
  }

  // Runs the call on a damaged copy; the copy's bytes must stay unless the
  // call says it succeeded.
  void Check(const fs::path& good, const std::string& name,
             const std::function<bool(const CQeStringW&)>& call) {
    SCOPED_TRACE(name);
    const fs::path path = Damaged(good, name);
    const std::string before = FileDigest(path.string());
    const bool succeeded = call(W(path));
    ++Figures().corruptCalls;
    if (!succeeded) {
      EXPECT_EQ(FileDigest(path.string()), before) << name << " changed a file it refused";
    }
  }

  // Record calls on a connection to a damaged file: a status each, no
  // crash. A read-only connection also must not write.
  static void UseConnection(uint32_t h, bool write) {
    std::vector<SQeProjectDbRow_project> projects;
    std::vector<SQeProjectDbRow_jobrun> runs;
    std::vector<SQeProjectDbRow_tagdef> tags;
    QeProjectDb_Proj_GetAll(h, projects);
    QeProjectDb_Jobrun_GetAll(h, runs);
    QeProjectDb_Tagdef_GetAll(h, tags);
    SQeProjectDbRow_jobrun run;
    QeProjectDb_Jobrun_GetOne(h, 3, run);
    CQeStringW unique;
    QeProjectDb_Proj_IsNameUnique(h, L"Project", unique);
    if (!write) return;
    int64_t key = 0;
    QeProjectDb_Tagdef_Insert(h, L"set", L"tag", L"d", &key);
    QeProjectDb_Jobrun_UpdateNotes(h, 2, L"notes");
    QeProjectDb_Jobrun_RemoveRunningFlag(h);
  }

  qe::test::TempDir dir_{qe::test::FixtureFolderBase()};
  fs::path good_, oldGood_, thumbGood_;
  SDamage damage_;
};

TEST_P(CorruptFiles, GiveAStatusAndKeepTheirBytes) {
  SCOPED_TRACE(damage_.label);
  Check(good_, "connect", [](const CQeStringW& path) {
    const uint32_t h = QeProjectDb_Db_Connect(path);
    if (h == 0) return false;
    UseConnection(h, true);
    QeProjectDb_Db_Disconnect(h);
    return true;
  });
  Check(good_, "connect for reading", [](const CQeStringW& path) {
    const uint32_t h = QeProjectDb_Db_ConnectForRead(path);
    if (h != 0) UseConnection(h, false);
    QeProjectDb_Db_Disconnect(h);
    return false;  // reading never changes the file
  });
  Check(good_, "file information", [](const CQeStringW& path) {
    SQeProjectDbFileInfo info;
    const int status = QeProjectDb_Db_GetInfo(path, &info);
    EXPECT_TRUE(status == 0 || status == -1 || status == -10 || status > 0) << status;
    return false;  // never changes the file
  });
  Check(good_, "upgrade of a current file", [](const CQeStringW& path) {
    const int status = QeProjectDb_Db_Upgrade(path, nullptr);
    EXPECT_NE(status, 0);  // a current file has no upgrade, a damaged one cannot be read
    return status == 0;
  });
  Check(oldGood_, "upgrade of a version 60 file", [](const CQeStringW& path) {
    const int status = QeProjectDb_Db_Upgrade(path, nullptr);
    if (status == 0) {
      SQeProjectDbFileInfo info;
      EXPECT_EQ(QeProjectDb_Db_GetInfo(path, &info), 0);
      EXPECT_EQ(info.iVersion, 77);
    }
    return status == 0;
  });
  const fs::path source = Folder() / "source.db";
  fs::copy_file(good_, source, fs::copy_options::overwrite_existing);
  const std::string sourceBefore = FileDigest(source.string());
  Check(good_, "merge target", [&](const CQeStringW& path) {
    const int status = QeProjectDb_Db_MergeDb(path, W(source));
    EXPECT_EQ(FileDigest(source.string()), sourceBefore) << "the merge changed its source";
    return status == 0;
  });
  const fs::path target = Folder() / "target.db";
  fs::copy_file(good_, target, fs::copy_options::overwrite_existing);
  const std::string targetBefore = FileDigest(target.string());
  Check(good_, "merge source", [&](const CQeStringW& path) {
    const int status = QeProjectDb_Db_MergeDb(W(target), path);
    if (status != 0) {
      EXPECT_EQ(FileDigest(target.string()), targetBefore) << "a failed merge changed its target";
    }
    return false;  // the source is only read
  });
  Check(thumbGood_, "thumbnail connect", [](const CQeStringW& path) {
    sqlite3* db = CQeProjectThumbReader::DbConnect(path);
    if (!db) return false;
    // A file that is not a usable thumbnail database is made again: the
    // cache is rebuilt from the frames' files.
    EXPECT_EQ(ReadTexts(db, "SELECT wszName FROM vesion").size(), 1u);
    QeSqlite_Close(db);
    return true;
  });
  Check(thumbGood_, "thumbnail database", [](const CQeStringW& path) {
    CQeImageFormatManager manager;
    CQeProjectThumbDb thumbs(path, &manager, 4);
    const int cleared = thumbs.Clear(L"run");
    EXPECT_TRUE(cleared == 0 || cleared == -9 || cleared > 0) << cleared;
    return true;  // opening makes the file again when it is not usable
  });
}

std::string DamageName(const ::testing::TestParamInfo<size_t>& info) {
  std::string name;
  for (char ch : std::string(Damages()[info.param].label)) {
    name += std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Damages, CorruptFiles, ::testing::Range<size_t>(0, Damages().size()),
                         DamageName);

}  // namespace
}  // namespace qe::hostile

#include "projectdb/merge_support.h"

#include <algorithm>
#include <fstream>
#include <functional>

#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/connection.h"

namespace qe::test {
namespace {

#define QE_OK(call) EXPECT_EQ((call), 0) << #call

std::string Utf8(const std::wstring& text) { return CQeStringW(text).ToUtf8(); }

// Plain SQL on a connection of the library; the key of the row inserted.
int64_t Sql(uint32_t h, const std::string& sql) {
  sqlite3* db = CQeProjectDbConnectionManager::GetConnection(h);
  EXPECT_EQ(QeSqlite_Execute(db, CQeStringW::FromUtf8(sql), nullptr, false), 0) << sql;
  return QeSqlite_ReadOneInt64(db, L"SELECT last_insert_rowid();", nullptr);
}

int64_t SqlInt(uint32_t h, const std::string& sql) {
  return QeSqlite_ReadOneInt64(CQeProjectDbConnectionManager::GetConnection(h),
                               CQeStringW::FromUtf8(sql), nullptr, -1);
}

// A run of the job definition with image files in its folder, two frames each.
int64_t AddRun(uint32_t h, int64_t project, int64_t jobdef, int64_t program,
               const std::vector<std::wstring>& files, SMergeSource& out) {
  SQeProjectDbRow_project p;
  QE_OK(QeProjectDb_Proj_GetOne(h, project, p));
  SQeProjectDbRow_jobrun run;
  CQeStringW folder;
  QE_OK(QeProjectDb_Jobrun_Insert(h, project, QeProjectDb_Proj_MakeAbsPath(h, p.wszFolderName),
                                  jobdef, program, 0, L"Run l'été", L"", &run, &folder));
  int frameIndex = 0;
  for (const std::wstring& name : files) {
    int64_t file = 0;
    QE_OK(QeProjectDb_File_Insert(h, run.iKey, name, 64, 48, 1, 1, 16, 2, &file));
    std::ofstream(std::filesystem::path(folder.ToUtf8()) / Utf8(name), std::ios::binary)
        << "pixels of " << Utf8(name) << " " << run.wszUuid.ToUtf8();
    ++out.files;
    for (int i = 0; i < 2; ++i) {
      QE_OK(QeProjectDb_Frame_Insert(h, run.iKey, 0, frameIndex++, 2460000.5, file, i, nullptr));
    }
  }
  return run.iKey;
}

}  // namespace

void MergeTest::SetUp() {
  std::filesystem::create_directories(SourceDir());
  std::filesystem::create_directories(TargetDir());
}

void MergeTest::CreateDb(const std::filesystem::path& path) {
  std::filesystem::create_directories(path.parent_path());
  ASSERT_EQ(QeProjectDb_Db_Create(PathW(path)), 0);
}

int MergeTest::Merge(SQeProjectDbMergeReport* report) const {
  return QeProjectDb_Db_MergeDbEx(PathW(TargetFile()), PathW(SourceFile()), nullptr, report);
}

SMergeSource MergeTest::Populate(const std::filesystem::path& path) {
  SMergeSource out;
  int64_t project = 0, rootTask = 0, earlyChildTask = 0, lateParentTask = 0, run = 0;
  const uint32_t h = QeProjectDb_Db_Connect(PathW(path));
  EXPECT_NE(h, 0u);
  static int serial = 0;
  const std::string n = std::to_string(++serial);
  const CQeStringW w = CQeStringW::FromUtf8(n);

  // Projects, job definitions, programs and the task tree; "Early" has the
  // later task "Late" as its parent.
  QE_OK(QeProjectDb_Proj_Insert(h, L"Zellkultur O'Neil ünï", L"it's 100%", L"Zellkultur O'Neil ünï",
                                &project));
  int64_t second = 0, jobdef = 0, jobdef2 = 0, program = 0, program2 = 0, child = 0;
  QE_OK(QeProjectDb_Proj_Insert(h, L"Second", L"", L"Second", &second));
  QE_OK(QeProjectDb_Jobdef_Insert(h, project, 1, 0, L"Scan 'A' ü", L"", 0, &jobdef));
  QE_OK(QeProjectDb_Jobdef_Insert(h, second, 1, 0, L"Scan B", L"", 0, &jobdef2));
  QE_OK(QeProjectDb_Jobprogram_Insert(h, jobdef, L"program", &program));
  QE_OK(QeProjectDb_Jobprogram_Insert(h, jobdef2, L"program 2", &program2));
  const SQeProjectDbJobTaskState state(1, 0, L"Task", CQeByteArray(), CQeByteArray());
  QE_OK(QeProjectDb_Jobtask_Insert(h, program, 0, 0, 0, L"Root", state, nullptr, &rootTask));
  QE_OK(QeProjectDb_Jobtask_Insert(h, program, rootTask, 0, 1, L"Child", state, nullptr, &child));
  QE_OK(QeProjectDb_Jobtask_Insert(h, program, 0, 0, 2, L"Early", state, nullptr, &earlyChildTask));
  QE_OK(QeProjectDb_Jobtask_Insert(h, program, rootTask, 0, 3, L"Late", state, nullptr,
                                   &lateParentTask));
  Sql(h, fmt::format("UPDATE jobtask SET iJobtaskKeyRef={} WHERE iKey={}", lateParentTask,
                     earlyChildTask));
  std::vector<SQeProjectDbRow_jobpropenumvalue> values = {{0, 0, L"low"}, {0, 0, L"high 'x'"}};
  QE_OK(QeProjectDb_Jobpropdef_InsertOrUpdate(h, program, L"speed", 1.0, 2, 1, values, 0, nullptr,
                                              nullptr));
  QE_OK(QeProjectDb_Jobclasslaststate_InsertOrUpdate(h, L"Class.Unique", state, nullptr));
  QE_OK(QeProjectDb_Assayrecipe_Insert(h, L"Recipe " + w, L"", L"mod", 1, 2, 3, "abc", nullptr));
  QE_OK(QeProjectDb_Deposit_Insert(h, jobdef, 1, 2, L"dep" + w, 2, "xy", nullptr));
  QE_OK(QeProjectDb_Toolbarjobdef_Insert(h, jobdef));
  QE_OK(QeProjectDb_TaskListjobdef_Insert(h, jobdef));

  // Tags: a user tag and the two system tags (NULL tag set).
  int64_t tag = 0;
  QE_OK(QeProjectDb_Tagdef_Insert(h, L"Set", L"Green's", L"", &tag));
  const int64_t projTag = SqlInt(h, "SELECT iKey FROM tagdef WHERE wszName='$$$proj$$$'");
  const int64_t frameTag = SqlInt(h, "SELECT iKey FROM tagdef WHERE wszName='$$$frame$$$'");
  QE_OK(QeProjectDb_Projtag_Insert(h, project, tag, nullptr));
  QE_OK(QeProjectDb_Projtag_Insert(h, second, projTag, nullptr));
  QE_OK(QeProjectDb_Jobdeftag_Insert(h, jobdef, tag, nullptr));

  // Runs under both folder formats, with image files and frames.
  run = AddRun(h, project, jobdef, program, {L"img 'a' ü.tif", L"img2.tif"}, out);
  QE_OK(QeProjectDb_Db_SetOptInt32(h, L"folderformat", 0));
  AddRun(h, project, jobdef, program, {L"other.tif"}, out);
  QE_OK(QeProjectDb_Db_SetOptInt32(h, L"folderformat", 1));
  AddRun(h, second, jobdef2, program2, {L"second.tif"}, out);
  int64_t loop = 0;
  QE_OK(QeProjectDb_Runloop_Insert(h, run, rootTask, 0, 0, 1, &loop));
  QE_OK(QeProjectDb_Loopindex_Insert(h, run, 0, loop, 0, nullptr));
  QE_OK(QeProjectDb_Frametag_Insert(h, run, tag, 0, nullptr));
  QE_OK(QeProjectDb_Frametag_Insert(h, run, frameTag, 1, nullptr));
  std::vector<SQeProjectDbRow_tagcolor> colors = {{0, run, tag, 0xff00}};
  QE_OK(QeProjectDb_Tagcolor_InsertMany(h, colors));

  // Properties and analysis results.
  int64_t propdef = 0, assay = 0, layer = 0;
  QE_OK(QeProjectDb_Propdef_Insert(h, L"Intensity", L"Mean", L"AU", L"", &propdef));
  QE_OK(QeProjectDb_Assayrun_Insert(h, run, rootTask, child, L"assay" + w, L"Assay", 1, &assay));
  QE_OK(QeProjectDb_Frameprop_Insert(h, run, assay, propdef, 0, 1.5, nullptr));
  SQeProjectDbRow_jobrunpropstat stat;
  stat.iJobrunKeyRef = run;
  stat.iPropdefKeyRef = propdef;
  stat.iCount = 1;
  QE_OK(QeProjectDb_Jobrunpropstat_InsertOrReplace(h, stat, nullptr));
  QE_OK(QeProjectDb_Binlayer_Insert(h, run, assay, L"layer" + w, L"Nuclei", L"comp", L"tag", 3,
                                    &layer));
  std::vector<SQeProjectDbRow_binframe> binframes = {{0, run, layer, 0, 1}};
  QE_OK(QeProjectDb_Binframe_InsertMany(h, binframes));
  const int64_t trace =
      Sql(h, fmt::format("INSERT INTO trace (iJobrunKeyRef, iTraceId) VALUES ({}, 7)", run));
  std::vector<SQeProjectDbRow_binobj> objects = {{0, binframes[0].iKey, trace, 1, 0, 0, 4, 4, 16}};
  QE_OK(QeProjectDb_Binobj_InsertMany(h, objects));
  std::vector<SQeProjectDbRow_binobjprop> objectProps = {
      {0, objects[0].iKey, propdef, run, 0, 2.5}};
  QE_OK(QeProjectDb_Binobjprop_InsertMany(h, objectProps));

  // Labware: a plate geometry under two product names (the second replaced
  // by the first), a dish, a slide, and what the run used of them.
  Sql(h, fmt::format(
             "INSERT INTO wellplateconfiguration (wszUuid, iRowCount, iColCount, iRowNaming, "
             "iColNaming, pData) VALUES ('wpc{0}', 8, 12, 0, 1, x'01');"
             "INSERT INTO wellplatename (wszUuid, iWellplateconfigKeyRef, wszCompany, wszType, "
             "wszModel, iUserImported, iRemoved) VALUES ('wpn{0}', last_insert_rowid(), 'Acme', "
             "'96', 'M''1', 1, 0);"
             "INSERT INTO wellplatename (wszUuid, iWellplateconfigKeyRef, wszCompany, wszType, "
             "wszModel, iUserImported, iRemoved, iWellplatenameKeyRef) SELECT 'wpn{0}b', "
             "iWellplateconfigKeyRef, 'Acme', '96', 'M2', 1, 1, iKey FROM wellplatename WHERE "
             "wszUuid='wpn{0}';"
             "INSERT INTO dishconfiguration (wszUuid, stickerL, stickerT, stickerR, stickerB) "
             "VALUES ('dc{0}', 1, 2, 3, 4);"
             "INSERT INTO dishname (wszUuid, iDishKeyRef, wszModel, iUserImported, iRemoved) "
             "VALUES ('dn{0}', last_insert_rowid(), 'Dish', 1, 0);"
             "INSERT INTO slidedef (wszUuid, stickerL, wszModel, iUserImported, iRemoved) VALUES "
             "('sd{0}', 1, 'Slide', 1, 0);"
             "INSERT INTO plateinfo (iJobrunKeyRef, iWellplatenameKeyRef, wszName) SELECT {1}, "
             "iKey, 'Plate 1' FROM wellplatename WHERE wszUuid='wpn{0}';"
             "INSERT INTO frameplateinfo (iJobrunKeyRef, iPlateinfoKeyRef, iFrameIndex) VALUES "
             "({1}, last_insert_rowid(), 0);"
             "INSERT INTO wellinfo (iJobrunKeyRef, iWellIndex, wszName) VALUES ({1}, 5, 'A6');"
             "INSERT INTO framewellinfo (iJobrunKeyRef, iWellinfoKeyRef, iFrameIndex) VALUES "
             "({1}, last_insert_rowid(), 0);"
             "INSERT INTO slideinfo (iJobrunKeyRef, wszName) VALUES ({1}, 'Slide 1');"
             "INSERT INTO frameslideinfo (iJobrunKeyRef, iSlideinfoKeyRef, iFrameIndex) VALUES "
             "({1}, last_insert_rowid(), 1);",
             n, run));

  // Users, uploads and project groups.
  const CQeStringW user = L"anna" + w;
  QE_OK(QeProjectDb_Jobuser_Insert(h, L"user" + w, user, L"pw"));
  SQeProjectDbRow_jobuser userRow;
  QE_OK(QeProjectDb_Jobuser_GetOne(h, user, L"pw", userRow));
  QE_OK(QeProjectDb_toupload_SaveRequest(h, L"jobrun", L"run" + w, L"https://cloud/x", userRow));
  QE_OK(QeProjectDb_Cloudgroupusers_Insert(h, user, L"proj" + w, userRow.iKey));
  QeProjectDb_Db_Disconnect(h);
  return out;
}

std::string MergeTest::Dump(const std::filesystem::path& path) {
  CRawDb db(path.string(), SQLITE_OPEN_READONLY);
  std::string text;
  for (const auto& object : db.Rows("SELECT type, name, sql FROM sqlite_master ORDER BY name")) {
    text += object[0] + " " + object[1] + ": " + object[2] + "\n";
    if (object[0] != "table") continue;
    for (const auto& row : db.Rows("SELECT * FROM \"" + object[1] + "\" ORDER BY rowid")) {
      for (const std::string& value : row) text += value + "|";
      text += "\n";
    }
  }
  return text;
}

std::vector<std::string> MergeTest::Canonical(CRawDb& db, const std::wstring& table) {
  std::map<std::pair<std::wstring, std::string>, std::string> memo;
  std::function<std::string(const SQeSqliteTableDef&, const std::string&)> row =
      [&](const SQeSqliteTableDef& def, const std::string& key) -> std::string {
    auto found = memo.find({def.wszName, key});
    if (found != memo.end()) return found->second;
    std::string sql = "SELECT ";
    for (uint32_t i = 0; i < def.nColumns; ++i) {
      sql += std::string(i ? ", " : "") + "quote(" + Utf8(def.pColumns[i].wszName) + ")";
    }
    sql += " FROM " + Utf8(def.wszName) + " WHERE iKey=" + key;
    const auto rows = db.Rows(sql);
    std::string text = Utf8(def.wszName) + "(";
    if (rows.empty()) text += "dangling " + key;
    for (uint32_t i = 1; !rows.empty() && i < def.nColumns; ++i) {
      const SQeSqliteColDef& col = def.pColumns[i];
      const std::string& value = rows[0][i];
      text += i > 1 ? ", " : "";
      if (col.iKeyKind == eQeSqliteKeyForeign && value != "NULL") {
        text += row(*QeProjectDb_Schema_FindTable(col.pForeignKey->wszTable), value);
      } else {
        text += value;
      }
    }
    text += ")";
    memo[{def.wszName, key}] = text;
    return text;
  };
  const SQeSqliteTableDef* def = QeProjectDb_Schema_FindTable(table.c_str());
  std::vector<std::string> rows;
  for (const auto& key : db.Rows("SELECT iKey FROM " + Utf8(table)))
    rows.push_back(row(*def, key[0]));
  std::sort(rows.begin(), rows.end());
  return rows;
}

std::vector<std::string> MergeTest::ConsistencyProblems(const std::filesystem::path& path) {
  CRawDb db(path.string(), SQLITE_OPEN_READONLY);
  std::vector<std::string> problems;
  if (db.Text("PRAGMA integrity_check") != "ok") problems.push_back("integrity_check failed");
  for (const auto& row : db.Rows("PRAGMA foreign_key_check")) {
    problems.push_back("foreign_key_check: " + row[0] + " row " + row[1]);
  }
  if (db.Int("SELECT count(*) FROM sqlite_master WHERE name LIKE '%\\_map' ESCAPE '\\' OR name "
             "LIKE '%\\_old' ESCAPE '\\' OR name LIKE 'trg\\_%' ESCAPE '\\'")) {
    problems.push_back("working tables left behind");
  }
  return problems;
}

std::vector<std::string> MergeTest::FilesUnder(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    names.push_back(std::filesystem::relative(it->path(), folder).string() +
                    (it->is_directory() ? "/" : ""));
  }
  std::sort(names.begin(), names.end());
  return names;
}

long long MergeTest::Count(const std::filesystem::path& path, const std::string& table,
                           const std::string& where) {
  CRawDb db(path.string(), SQLITE_OPEN_READONLY);
  return db.Int("SELECT count(*) FROM " + table + " WHERE " + where);
}

}  // namespace qe::test

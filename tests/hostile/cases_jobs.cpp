// Cases: projects, job definitions, programs, tasks, runs and what hangs
// off them (files, analyses, recipes, deposits, property and tag
// definitions, users). A call that stores texts must read them back as
// given; a lookup by a text no row holds finds nothing.
#include <gtest/gtest.h>

#include <algorithm>

#include "hostile/hostile_support.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/records.h"

namespace qe::hostile {
namespace {

bool StartsWith(const CQeStringW& text, const CQeStringW& start) {
  return text.Left(start.GetLength()) == start;
}

// The binary layer with that key, from its run's layers.
SQeProjectDbRow_binlayer Layer(Ctx& c, int64_t key) {
  std::vector<SQeProjectDbRow_binlayer> rows;
  EXPECT_EQ(QeProjectDb_Binlayer_GetMany(c.h, c.f.runKey, rows), 0);
  for (const SQeProjectDbRow_binlayer& row : rows) {
    if (row.iKey == key) return row;
  }
  ADD_FAILURE() << "no layer " << key;
  return {};
}

void PropdefInsert(Ctx& c, bool getOrInsert) {
  int64_t key = 0;
  c.Ok(getOrInsert ? QeProjectDb_Propdef_GetOrInsert(c.h, c.t[0], c.t[1], c.t[2], c.t[3], &key)
                   : QeProjectDb_Propdef_Insert(c.h, c.t[0], c.t[1], c.t[2], c.t[3], &key),
       {"propdef"});
  SQeProjectDbRow_propdef row;
  ASSERT_EQ(QeProjectDb_Propdef_GetOne(c.h, c.t[0], key, row), 0);
  c.RoundTrips({row.wszPropsetName, row.wszName, row.wszUnit, row.wszDesc});
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(c.h, c.t[0], c.t[1], c.t[2]), key);
}

// The last value of a column, for rows no exported call reads back.
CQeStringW Last(Ctx& c, const std::string& column, const std::string& table) {
  const std::vector<CQeStringW> texts =
      ReadTexts(c.Db(), "SELECT " + column + " FROM " + table + " ORDER BY iKey DESC LIMIT 1");
  EXPECT_EQ(texts.size(), 1u);
  return texts.empty() ? CQeStringW() : texts[0];
}

const int kRegistered = [] {
  // ---- Projects ----
  Case("QeProjectDb_Proj_CheckFolderPath", 1, [](Ctx& c) {
    CQeStringW out;
    const int status = QeProjectDb_Proj_CheckFolderPath(c.PathIn(0), out);
    c.Status(status, {0, -9});
    if (status == 0) {
      EXPECT_EQ(out.GetLastChar(), L'/');
    }
  });
  Case("QeProjectDb_Proj_MakeAbsPath", 1, [](Ctx& c) {
    const CQeStringW path = QeProjectDb_Proj_MakeAbsPath(c.h, c.T(0));
    EXPECT_TRUE(StartsWith(path, QeProjectDb_Db_ProjectRootFolder(c.h)));
    EXPECT_EQ(path.GetLastChar(), L'/');
  });
  // A folder name with nothing left to make a folder of (separators and
  // blanks at the ends), or too long for the file system, gives -9.
  Case("QeProjectDb_Proj_Insert", 3, [](Ctx& c) {
    int64_t key = -1;
    const int status = QeProjectDb_Proj_Insert(c.h, c.t[0], c.t[1], c.t[2], &key);
    c.Status(status, {0, -9});
    c.MayAdd({"project"});
    if (status != 0) return;
    const auto row = ByKey(c, QeProjectDb_Proj_GetOne, key);
    c.RoundTrips({row.wszName, row.wszDesc});
  });
  Case("QeProjectDb_Proj_Update", 2, [](Ctx& c) {
    c.Ok(QeProjectDb_Proj_Update(c.h, c.f.projKey, c.t[0], c.t[1]));
    c.MayChange("project", c.f.projKey);
    const auto row = ByKey(c, QeProjectDb_Proj_GetOne, c.f.projKey);
    c.RoundTrips({row.wszName, row.wszDesc});
  });
  Case("QeProjectDb_Proj_IsNameUnique", 1, [](Ctx& c) {
    const CQeStringW name = c.T(0);
    CQeStringW unique;
    EXPECT_TRUE(QeProjectDb_Proj_IsNameUnique(c.h, name, unique));
    EXPECT_TRUE(unique == name);
    EXPECT_FALSE(QeProjectDb_Proj_IsNameUnique(c.h, L"Project", unique));
  });
  // ---- Job definitions (the connection's triggers stamp the project) ----
  Case("QeProjectDb_Jobdef_Insert", 2, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Jobdef_Insert(c.h, c.f.projKey, 1, 2, c.t[0], c.t[1], 3, &key), {"jobdef"});
    c.MayChange("project", c.f.projKey);
    const auto row = ByKey(c, QeProjectDb_Jobdef_GetOne, key);
    c.RoundTrips({row.wszName, row.wszDesc});
  });
  Case("QeProjectDb_Jobdef_Import", 3, [](Ctx& c) {
    SQeProjectDbRow_jobdef row(0, c.f.projKey, 1, 0, 0, 0, c.t[0], c.t[1], c.t[2], 0);
    c.Ok(QeProjectDb_Jobdef_Import(c.h, row), {"jobdef"});
    c.MayChange("project", c.f.projKey);
    const auto back = ByKey(c, QeProjectDb_Jobdef_GetOne, row.iKey);
    c.RoundTrips({back.wszUuid, back.wszName, back.wszDesc});
  });
  Case("QeProjectDb_Jobdef_Update", 2, [](Ctx& c) {
    c.Ok(QeProjectDb_Jobdef_Update(c.h, c.f.jobdefKey, 1, 2, c.t[0], c.t[1], 3));
    c.MayChange("jobdef", c.f.jobdefKey);
    c.MayChange("project", c.f.projKey);
    const auto row = ByKey(c, QeProjectDb_Jobdef_GetOne, c.f.jobdefKey);
    c.RoundTrips({row.wszName, row.wszDesc});
  });
  Case("QeProjectDb_Jobdef_IsNameUnique", 1, [](Ctx& c) {
    const CQeStringW name = c.T(0);
    CQeStringW unique;
    EXPECT_TRUE(QeProjectDb_Jobdef_IsNameUnique(c.h, name, unique));
    EXPECT_TRUE(unique == name);
  });
  // ---- Programs ----
  Case("QeProjectDb_Jobprogram_Insert(h, jobdefKey, summary, outKey)", 1, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Jobprogram_Insert(c.h, c.f.jobdefKey, c.T(0), &key), {"jobprogram"});
    c.RoundTrip(ByKey(c, QeProjectDb_Jobprogram_GetOne, key).wszSummary, c.Hostile(), "summary");
  });
  Case("QeProjectDb_Jobprogram_Insert(h, jobdefKey, summary, properties, outKey)", 1, [](Ctx& c) {
    const CQeByteArray blob("\x01\x02", 2);
    int64_t key = 0;
    c.Ok(QeProjectDb_Jobprogram_Insert(c.h, c.f.jobdefKey, c.T(0), &blob, &key), {"jobprogram"});
    c.RoundTrip(ByKey(c, QeProjectDb_Jobprogram_GetOne, key).wszSummary, c.Hostile(), "summary");
  });
  Case("QeProjectDb_Jobprogram_InsertOrUpdateProperties", 2, [](Ctx& c) {
    const CQeStringW name = c.T(0), value = c.T(1);
    const int status =
        QeProjectDb_Jobprogram_InsertOrUpdateProperties(c.h, c.f.programKey, {{name, value}});
    CQeStringW back = L"untouched";
    const int read = QeProjectDb_Jobprogram_GetProperty(c.h, c.f.programKey, name, back);
    if (WideToUtf8(name.str()).size() > 65535) {
      c.Status(status, {-9});  // a name the document cannot hold; nothing written
      c.Status(read, {-13});
    } else if (name.IsEmpty()) {
      c.Ok(status);
      c.Status(read, {-13});  // pairs with an empty name are ignored
    } else {
      c.Ok(status);
      c.MayChange("jobprogram", c.f.programKey);
      c.Ok(read);
      c.RoundTrip(back, value, "property value");
    }
    CQeStringW kept;
    EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(c.h, c.f.programKey, L"speed", kept), 0);
    if (!(name == L"speed")) {
      EXPECT_TRUE(kept == L"fast");
    }
  });
  Case("QeProjectDb_Jobprogram_GetProperty", 1, [](Ctx& c) {
    CQeStringW value = L"untouched";
    c.Status(QeProjectDb_Jobprogram_GetProperty(c.h, c.f.programKey, c.T(0), value), {-13});
    EXPECT_TRUE(value == L"untouched");
  });
  // ---- Job property definitions ----
  Case("QeProjectDb_Jobpropdef_InsertOrUpdate", 2, [](Ctx& c) {
    std::vector<SQeProjectDbRow_jobpropenumvalue> values = {{0, 0, c.t[1]}};
    int64_t key = 0;
    c.Ok(QeProjectDb_Jobpropdef_InsertOrUpdate(c.h, c.f.programKey, c.t[0], 2.5, 1, 1, values, 0,
                                               nullptr, &key),
         {"jobpropdef", "jobpropenumvalue"});
    SQeProjectDbRow_jobpropdef row;
    c.Ok(QeProjectDb_Jobpropdef_GetOne(c.h, c.f.programKey, c.t[0], row));
    EXPECT_EQ(row.iKey, key);
    ASSERT_EQ(row.vEnumValues.size(), 1u);
    c.RoundTrips({row.wszPropkey, row.vEnumValues[0].wszPropenumvalue});
  });
  Case("QeProjectDb_Jobpropdef_SetAll", 2, [](Ctx& c) {
    std::vector<SQeProjectDbRow_jobpropdef> rows = {
        {0, c.f.programKey, c.t[0], 1.0, 1, 1, 0, CQeByteArray(), {{0, 0, c.t[1]}}}};
    c.Ok(QeProjectDb_Jobpropdef_SetAll(c.h, c.f.programKey, rows));
    c.MayChange("jobpropdef");  // the program's definitions are replaced
    c.MayChange("jobpropenumvalue");
    std::vector<SQeProjectDbRow_jobpropdef> back;
    ASSERT_EQ(QeProjectDb_Jobpropdef_GetAll(c.h, c.f.programKey, back), 0);
    ASSERT_EQ(back.size(), 1u);
    ASSERT_EQ(back[0].vEnumValues.size(), 1u);
    c.RoundTrips({back[0].wszPropkey, back[0].vEnumValues[0].wszPropenumvalue});
  });
  Case("QeProjectDb_Jobpropenumvalue_SetAll", 2, [](Ctx& c) {
    std::vector<SQeProjectDbRow_jobpropenumvalue> values = {{0, 0, c.t[0]}, {0, 0, c.t[1]}};
    c.Ok(QeProjectDb_Jobpropenumvalue_SetAll(c.h, c.f.jobpropdefKey, values));
    c.MayChange("jobpropenumvalue");
    std::vector<SQeProjectDbRow_jobpropenumvalue> back;
    ASSERT_EQ(QeProjectDb_Jobpropenumvalue_GetAll(c.h, c.f.jobpropdefKey, back), 0);
    ASSERT_EQ(back.size(), 2u);
    c.RoundTrips({back[0].wszPropenumvalue, back[1].wszPropenumvalue});
  });
  Case("QeProjectDb_Jobpropdef_GetOne(h, programKey, propkey, row)", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_jobpropdef>(c, {-13}, [&](auto& row) {
      return QeProjectDb_Jobpropdef_GetOne(c.h, c.f.programKey, c.T(0), row);
    });
  });
  Case("QeProjectDb_Jobpropdef_Delete(h, programKey, propkey)", 1,
       [](Ctx& c) { c.Ok(QeProjectDb_Jobpropdef_Delete(c.h, c.f.programKey, c.T(0))); });
  // ---- Tasks ----
  Case("QeProjectDb_Jobtask_Insert", 3, [](Ctx& c) {
    SQeProjectDbJobTaskState state(1, 2, c.t[1], CQeByteArray("x", 1), CQeByteArray());
    state.wszNotes = state.wszNotesDetailed = c.t[2];
    int64_t key = 0;
    c.Ok(QeProjectDb_Jobtask_Insert(c.h, c.f.programKey, c.f.taskKey, 0, 1, c.t[0], state, nullptr,
                                    &key),
         {"jobtask"});
    const auto row = ByKey(c, QeProjectDb_Jobtask_GetOne, key);
    c.RoundTrips({row.wszClassName, row.wszName, row.wszNotes});
    std::list<SQeProjectDbRow_jobtask> found;
    c.Ok(QeProjectDb_Jobtask_GetAllWithClass(c.h, c.f.programKey, c.t[0], found));
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found.front().iKey, key);
  });
  Case("QeProjectDb_Jobtask_Update", 2, [](Ctx& c) {
    SQeProjectDbJobTaskState state;
    state.wszNotes = c.t[1];
    c.Ok(QeProjectDb_Jobtask_Update(c.h, c.f.taskKey, 4, 5, c.t[0], state));
    c.MayChange("jobtask", c.f.taskKey);
    const auto row = ByKey(c, QeProjectDb_Jobtask_GetOne, c.f.taskKey);
    c.RoundTrips({row.wszClassName, row.wszNotes});
  });
  Case("QeProjectDb_Jobtask_GetAllWithClass", 1, [](Ctx& c) {
    std::list<SQeProjectDbRow_jobtask> rows;
    c.Ok(QeProjectDb_Jobtask_GetAllWithClass(c.h, c.f.programKey, c.T(0), rows));
    EXPECT_TRUE(rows.empty());
  });
  Case("QeProjectDb_Jobclasslaststate_InsertOrUpdate", 2, [](Ctx& c) {
    const CQeStringW className = c.T(0), taskName = c.T(1);
    SQeProjectDbJobTaskState state(7, 8, taskName, CQeByteArray("s", 1), CQeByteArray());
    c.Ok(QeProjectDb_Jobclasslaststate_InsertOrUpdate(c.h, className, state, nullptr),
         {"jobclasslaststate"});
    SQeProjectDbJobTaskState back;
    c.Ok(QeProjectDb_Jobclasslaststate_GetOne(c.h, className, back));
    EXPECT_EQ(back.iVersion, 7);
    c.RoundTrip(back.wszName, taskName, "task name");
  });
  Case("QeProjectDb_Jobclasslaststate_GetOne", 1, [](Ctx& c) {
    SQeProjectDbJobTaskState state;
    c.Ok(QeProjectDb_Jobclasslaststate_GetOne(c.h, c.T(0), state));
    EXPECT_EQ(state.iVersion, 0);
  });
  // ---- Runs ----
  Case("QeProjectDb_Jobrun_Insert", 3, [](Ctx& c) {
    // in: a hostile one lies in the case's own folder.
    const CQeStringW folder = c.IsHostile(2) ? c.PathIn(2) : c.f.projectFolder;
    SQeProjectDbRow_jobrun run;
    const int status = QeProjectDb_Jobrun_Insert(c.h, c.f.projKey, folder, c.f.jobdefKey,
                                                 c.f.programKey, 1, c.t[0], c.t[1], &run, nullptr);
    c.Status(status, {0, -9});
    c.MayAdd({"jobrun"});
    c.MayChange("jobdef", c.f.jobdefKey);
    c.MayChange("project", c.f.projKey);
    if (status != 0) return;
    const auto row = ByKey(c, QeProjectDb_Jobrun_GetOne, run.iKey);
    c.RoundTrips({row.wszName, row.wszDesc});
  });
  Case("QeProjectDb_Jobrun_MakeAbsPath", 2, [](Ctx& c) {
    const CQeStringW path = QeProjectDb_Jobrun_MakeAbsPath(c.h, c.T(0), c.T(1));
    EXPECT_TRUE(StartsWith(path, QeProjectDb_Db_ProjectRootFolder(c.h)));
  });
  Case("QeProjectDb_Jobrun_Rename", 1, [](Ctx& c) {
    c.Ok(QeProjectDb_Jobrun_Rename(c.h, c.f.runKey, c.T(0)));
    c.MayChange("jobrun", c.f.runKey);
    c.RoundTrip(ByKey(c, QeProjectDb_Jobrun_GetOne, c.f.runKey).wszName, c.Hostile(), "name");
  });
  Case("QeProjectDb_Jobrun_UpdateNotes", 1, [](Ctx& c) {
    c.Ok(QeProjectDb_Jobrun_UpdateNotes(c.h, c.f.runKey, c.T(0)));
    c.MayChange("jobrun", c.f.runKey);
    c.RoundTrip(ByKey(c, QeProjectDb_Jobrun_GetOne, c.f.runKey).wszDesc, c.Hostile(), "notes");
  });
  Case("QeProjectDb_Jobrun_UpdateFinish", 1, [](Ctx& c) {
    c.Ok(QeProjectDb_Jobrun_UpdateFinish(c.h, c.f.runKey, 2, 3.5, c.T(0)));
    c.MayChange("jobrun", c.f.runKey);
    const auto row = ByKey(c, QeProjectDb_Jobrun_GetOne, c.f.runKey);
    c.RoundTrip(row.wszFinishMessage, c.Hostile(), "finish message");
    EXPECT_EQ(row.iFinishFlags, 2);
  });
  Case("QeProjectDb_File_Insert", 1, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_File_Insert(c.h, c.f.runKey, c.T(0), 1, 2, 3, 4, 5, 6, &key), {"file"});
    c.RoundTrip(ByKey(c, QeProjectDb_File_GetOne, key).wszFileName, c.Hostile(), "file name");
  });
  // ---- Analyses ----
  Case("QeProjectDb_Assayrun_Insert", 2, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Assayrun_Insert(c.h, c.f.runKey, c.f.taskKey, c.f.taskKey, c.t[0], c.t[1], 2.0,
                                     &key),
         {"assayrun"});
    const auto row = ByKey(c, QeProjectDb_Assayrun_GetOne, key);
    c.RoundTrips({row.wszUuid, row.wszName});
  });
  Case("QeProjectDb_Binlayer_Insert", 4, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Binlayer_Insert(c.h, c.f.runKey, c.f.assayrunKey, c.t[0], c.t[1], c.t[2],
                                     c.t[3], 5, &key),
         {"binlayer"});
    const auto row = Layer(c, key);
    c.RoundTrips({row.wszUuid, row.wszName, row.wszCompName, row.wszFileTag});
  });
  Case("QeProjectDb_Binlayer_InsertMany", 2, [](Ctx& c) {
    std::vector<SQeProjectDbRow_binlayer> rows = {
        {0, c.f.runKey, c.f.assayrunKey, c.t[0], c.t[1], L"c", L"t", 1}};
    c.Ok(QeProjectDb_Binlayer_InsertMany(c.h, rows), {"binlayer"});
    const auto row = Layer(c, rows[0].iKey);
    c.RoundTrips({row.wszUuid, row.wszName});
  });
  Case("QeProjectDb_Assayrecipe_Insert", 3, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Assayrecipe_Insert(c.h, c.t[0], c.t[1], c.t[2], 1.0, 2.0, 2, "ab", &key),
         {"assayrecipe"});
    const auto row = ByKey(c, QeProjectDb_Assayrecipe_GetOne, key);
    c.RoundTrips({row.wszUniqueName, row.wszDesc, row.wszModule});
    EXPECT_EQ(QeProjectDb_Assayrecipe_Find(c.h, c.t[0]), key);
  });
  Case("QeProjectDb_Assayrecipe_Update", 3, [](Ctx& c) {
    c.Ok(QeProjectDb_Assayrecipe_Update(c.h, c.f.recipeKey, c.t[0], c.t[1], c.t[2], 3.0,
                                        CQeByteArray("z", 1)));
    c.MayChange("assayrecipe", c.f.recipeKey);
    const auto row = ByKey(c, QeProjectDb_Assayrecipe_GetOne, c.f.recipeKey);
    c.RoundTrips({row.wszUniqueName, row.wszDesc, row.wszModule});
  });
  Case("QeProjectDb_Assayrecipe_Find", 1,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Assayrecipe_Find(c.h, c.T(0)), 0); });
  Case("QeProjectDb_Deposit_Insert", 1, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Deposit_Insert(c.h, c.f.jobdefKey, 1.0, 2.0, c.T(0), 1, "q", &key),
         {"deposit"});
    std::list<SQeProjectDbRow_deposit> rows;
    ASSERT_EQ(QeProjectDb_Deposit_GetMany(c.h, c.f.jobdefKey, rows), 0);
    const auto row = std::find_if(rows.begin(), rows.end(), [&](auto& r) { return r.iKey == key; });
    ASSERT_NE(row, rows.end());
    c.RoundTrip(row->wszUuid, c.Hostile(), "uuid");
  });
  Case("QeProjectDb_Deposit_Update", 1, [](Ctx& c) {
    c.Ok(QeProjectDb_Deposit_Update(c.h, c.f.depositKey, c.f.jobdefKey, 1.0, 2.0, c.T(0),
                                    CQeByteArray("w", 1)));
    c.MayChange("deposit", c.f.depositKey);
    std::list<SQeProjectDbRow_deposit> rows;
    ASSERT_EQ(QeProjectDb_Deposit_GetMany(c.h, c.f.jobdefKey, rows), 0);
    ASSERT_EQ(rows.size(), 1u);
    c.RoundTrip(rows.front().wszUuid, c.Hostile(), "uuid");
  });
  // ---- Property and tag definitions ----
  Case("QeProjectDb_Propdef_Insert", 4, [](Ctx& c) { PropdefInsert(c, false); });
  Case("QeProjectDb_Propdef_GetOrInsert", 4, [](Ctx& c) { PropdefInsert(c, true); });
  Case("QeProjectDb_Propdef_GetOne(h, set, key, row)", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_propdef>(c, {0}, [&](auto& row) {
      return QeProjectDb_Propdef_GetOne(c.h, c.T(0), c.f.propdefKey, row);
    });
  });
  Case("QeProjectDb_Propdef_GetOne(h, set, name)", 2,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Propdef_GetOne(c.h, c.T(0), c.T(1)), 0); });
  Case("QeProjectDb_Propdef_GetOne(h, set, name, unit)", 3,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Propdef_GetOne(c.h, c.T(0), c.T(1), c.T(2)), 0); });
  Case("QeProjectDb_Propdef_GetMany", 1, [](Ctx& c) {
    std::vector<SQeProjectDbRow_propdef> rows;
    c.Ok(QeProjectDb_Propdef_GetMany(c.h, c.T(0), rows));
    EXPECT_TRUE(rows.empty());
  });
  Case("QeProjectDb_Propdef_Update", 4, [](Ctx& c) {
    c.Ok(QeProjectDb_Propdef_Update(c.h, c.f.propdefKey, c.t[0], c.t[1], c.t[2], c.t[3]));
    c.MayChange("propdef", c.f.propdefKey);
    SQeProjectDbRow_propdef row;
    ASSERT_EQ(QeProjectDb_Propdef_GetOne(c.h, c.t[0], c.f.propdefKey, row), 0);
    c.RoundTrips({row.wszPropsetName, row.wszName, row.wszUnit, row.wszDesc});
  });
  Case("QeProjectDb_Tagdef_Insert", 3, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Tagdef_Insert(c.h, c.t[0], c.t[1], c.t[2], &key), {"tagdef"});
    const auto row = ByKey(c, QeProjectDb_Tagdef_GetOne, key);
    c.RoundTrips({row.wszTagsetName, row.wszName, row.wszDesc});
    if (!c.t[0].IsEmpty()) {
      EXPECT_EQ(QeProjectDb_Tagdef_GetOne(c.h, c.t[0], c.t[1]), key);
    }
  });
  Case("QeProjectDb_Tagdef_Update", 3, [](Ctx& c) {
    c.Ok(QeProjectDb_Tagdef_Update(c.h, c.f.tagdefKey, c.t[0], c.t[1], c.t[2]));
    c.MayChange("tagdef", c.f.tagdefKey);
    const auto row = ByKey(c, QeProjectDb_Tagdef_GetOne, c.f.tagdefKey);
    c.RoundTrips({row.wszTagsetName, row.wszName, row.wszDesc});
  });
  Case("QeProjectDb_Tagdef_GetOne(h, name)", 1,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Tagdef_GetOne(c.h, c.T(0)), 0); });
  Case("QeProjectDb_Tagdef_GetOne(h, set, key, row)", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_tagdef>(c, {0}, [&](auto& row) {
      return QeProjectDb_Tagdef_GetOne(c.h, c.T(0), c.f.tagdefKey, row);
    });
  });
  Case("QeProjectDb_Tagdef_GetOne(h, set, name)", 2,
       [](Ctx& c) { EXPECT_EQ(QeProjectDb_Tagdef_GetOne(c.h, c.T(0), c.T(1)), 0); });
  Case("QeProjectDb_Tagdef_GetMany", 1, [](Ctx& c) {
    std::vector<SQeProjectDbRow_tagdef> rows;
    c.Ok(QeProjectDb_Tagdef_GetMany(c.h, c.T(0), rows));
    EXPECT_TRUE(rows.empty());
  });
  // ---- Users ----
  Case("QeProjectDb_Jobuser_Insert", 3, [](Ctx& c) {
    c.Ok(QeProjectDb_Jobuser_Insert(c.h, c.t[0], c.t[1], c.t[2]), {"jobuser"});
    SQeProjectDbRow_jobuser row;
    c.Ok(QeProjectDb_Jobuser_GetOne(c.h, c.t[1], c.t[2], row));
    c.RoundTrips({row.wszUuid, row.wszUsername, row.wszPassword});
  });
  Case("QeProjectDb_Jobuser_GetOne", 2, [](Ctx& c) {
    Misses<SQeProjectDbRow_jobuser>(
        c, {-13}, [&](auto& row) { return QeProjectDb_Jobuser_GetOne(c.h, c.T(0), c.T(1), row); });
  });
  Case("QeProjectDb_toupload_SaveRequest", 3, [](Ctx& c) {
    c.Ok(QeProjectDb_toupload_SaveRequest(c.h, c.t[0], c.t[1], c.t[2], c.f.user), {"toupload"});
    c.RoundTrip(Last(c, "wszCloudUrl", "toupload"), c.t[2], "address");
  });
  Case("QeProjectDb_Cloudgroupusers_Insert", 2, [](Ctx& c) {
    c.Ok(QeProjectDb_Cloudgroupusers_Insert(c.h, c.t[0], c.t[1], c.f.user.iKey),
         {"project_user_grouping"});
    c.RoundTrip(Last(c, "wszUsername", "project_user_grouping"), c.t[0], "user name");
  });
  return 0;
}();

}  // namespace
}  // namespace qe::hostile

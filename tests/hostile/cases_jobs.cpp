// Cases: projects, job definitions, programs, tasks, runs and what hangs
// off them (files, analyses, recipes, deposits, property and tag
// definitions, users).
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

// A project folder name made of a text: separators and blanks at the ends
// leave nothing to make a folder of, and long names do not fit the file
// system; those give the documented -9.
void ProjectInsert(Ctx& c) {
  const CQeStringW name = c.T(0), desc = c.T(1), folder = c.T(2);
  int64_t key = -1;
  const int status = QeProjectDb_Proj_Insert(c.h, name, desc, folder, &key);
  c.Status(status, {0, -9});
  c.MayAdd("project");
  if (status != 0) return;
  SQeProjectDbRow_project row;
  ASSERT_EQ(QeProjectDb_Proj_GetOne(c.h, key, row), 0);
  c.RoundTrip(row.wszName, name, "name");
  c.RoundTrip(row.wszDesc, desc, "description");
}

void JobdefInsert(Ctx& c) {
  const CQeStringW name = c.T(0), desc = c.T(1);
  int64_t key = 0;
  c.Status(QeProjectDb_Jobdef_Insert(c.h, c.f.projKey, 1, 2, name, desc, 3, &key), {0});
  c.MayAdd("jobdef");
  c.MayChange("project", c.f.projKey);  // the connection's triggers stamp the project
  SQeProjectDbRow_jobdef row;
  ASSERT_EQ(QeProjectDb_Jobdef_GetOne(c.h, key, row), 0);
  c.RoundTrip(row.wszName, name, "name");
  c.RoundTrip(row.wszDesc, desc, "description");
}

void JobrunInsert(Ctx& c) {
  const CQeStringW name = c.T(0), notes = c.T(1);
  // The project folder argument is the absolute folder a run is made in:
  // a hostile one lies in the case's own folder.
  const CQeStringW projectFolder = c.IsHostile(2) ? c.PathIn(2) : c.f.projectFolder;
  SQeProjectDbRow_jobrun run;
  const int status = QeProjectDb_Jobrun_Insert(c.h, c.f.projKey, projectFolder, c.f.jobdefKey,
                                               c.f.programKey, 1, name, notes, &run, nullptr);
  c.Status(status, {0, -9});
  c.MayAdd("jobrun");
  c.MayChange("jobdef", c.f.jobdefKey);
  c.MayChange("project", c.f.projKey);
  if (status != 0) return;
  SQeProjectDbRow_jobrun row;
  ASSERT_EQ(QeProjectDb_Jobrun_GetOne(c.h, run.iKey, row), 0);
  c.RoundTrip(row.wszName, name, "name");
  c.RoundTrip(row.wszDesc, notes, "notes");
}

void JobtaskInsert(Ctx& c) {
  const CQeStringW className = c.T(0), taskName = c.T(1), notes = c.T(2);
  SQeProjectDbJobTaskState state(1, 2, taskName, CQeByteArray("x", 1), CQeByteArray());
  state.wszNotes = notes;
  state.wszNotesDetailed = notes;
  int64_t key = 0;
  c.Status(QeProjectDb_Jobtask_Insert(c.h, c.f.programKey, c.f.taskKey, 0, 1, className, state,
                                      nullptr, &key),
           {0});
  c.MayAdd("jobtask");
  SQeProjectDbRow_jobtask row;
  ASSERT_EQ(QeProjectDb_Jobtask_GetOne(c.h, key, row), 0);
  c.RoundTrip(row.wszClassName, className, "class name");
  c.RoundTrip(row.wszName, taskName, "task name");
  c.RoundTrip(row.wszNotes, notes, "notes");
  std::list<SQeProjectDbRow_jobtask> found;
  c.Status(QeProjectDb_Jobtask_GetAllWithClass(c.h, c.f.programKey, className, found), {0});
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found.front().iKey, key);
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
  const CQeStringW set = c.T(0), name = c.T(1), unit = c.T(2), desc = c.T(3);
  int64_t key = 0;
  const int status = getOrInsert ? QeProjectDb_Propdef_GetOrInsert(c.h, set, name, unit, desc, &key)
                                 : QeProjectDb_Propdef_Insert(c.h, set, name, unit, desc, &key);
  c.Status(status, {0});
  c.MayAdd("propdef");
  SQeProjectDbRow_propdef row;
  ASSERT_EQ(QeProjectDb_Propdef_GetOne(c.h, set, key, row), 0);
  c.RoundTrip(row.wszPropsetName, set, "set");
  c.RoundTrip(row.wszName, name, "name");
  c.RoundTrip(row.wszUnit, unit, "unit");
  c.RoundTrip(row.wszDesc, desc, "description");
  EXPECT_EQ(QeProjectDb_Propdef_GetOne(c.h, set, name, unit), key);
}

const int kRegistered = Register({
    // ---- Projects ----
    {"QeProjectDb_Proj_CheckFolderPath(const CQeStringW& path, CQeStringW& out)", 1,
     [](Ctx& c) {
       const CQeStringW path = c.PathIn(0);
       CQeStringW out;
       const int status = QeProjectDb_Proj_CheckFolderPath(path, out);
       c.Status(status, {0, -9});
       if (status == 0) {
         EXPECT_EQ(out.GetLastChar(), L'/');
       }
     }},
    {"QeProjectDb_Proj_MakeAbsPath(uint32_t handle, const CQeStringW& folderName)", 1,
     [](Ctx& c) {
       const CQeStringW path = QeProjectDb_Proj_MakeAbsPath(c.h, c.T(0));
       EXPECT_TRUE(StartsWith(path, QeProjectDb_Db_ProjectRootFolder(c.h)));
       EXPECT_EQ(path.GetLastChar(), L'/');
     }},
    {"QeProjectDb_Proj_Insert(uint32_t handle, const CQeStringW& name, const CQeStringW& desc, "
     "const CQeStringW& folderName, int64_t* outKey)",
     3, ProjectInsert},
    {"QeProjectDb_Proj_Update(uint32_t handle, int64_t key, const CQeStringW& name, const "
     "CQeStringW& desc)",
     2,
     [](Ctx& c) {
       const CQeStringW name = c.T(0), desc = c.T(1);
       c.Status(QeProjectDb_Proj_Update(c.h, c.f.projKey, name, desc), {0});
       c.MayChange("project", c.f.projKey);
       SQeProjectDbRow_project row;
       ASSERT_EQ(QeProjectDb_Proj_GetOne(c.h, c.f.projKey, row), 0);
       c.RoundTrip(row.wszName, name, "name");
       c.RoundTrip(row.wszDesc, desc, "description");
     }},
    {"QeProjectDb_Proj_IsNameUnique(uint32_t handle, const CQeStringW& name, CQeStringW& "
     "uniqueName)",
     1,
     [](Ctx& c) {
       const CQeStringW name = c.T(0);
       CQeStringW unique;
       EXPECT_TRUE(QeProjectDb_Proj_IsNameUnique(c.h, name, unique));
       EXPECT_TRUE(unique == name);
       EXPECT_FALSE(QeProjectDb_Proj_IsNameUnique(c.h, L"Project", unique));
     }},
    // ---- Job definitions ----
    {"QeProjectDb_Jobdef_Insert(uint32_t handle, int64_t projKey, int32_t defType, int32_t "
     "state, const CQeStringW& name, const CQeStringW& desc, int32_t progress, int64_t* outKey)",
     2, JobdefInsert},
    {"QeProjectDb_Jobdef_Import(uint32_t handle, SQeProjectDbRow_jobdef& row)", 3,
     [](Ctx& c) {
       SQeProjectDbRow_jobdef row(0, c.f.projKey, 1, 0, 0, 0, c.T(0), c.T(1), c.T(2), 0);
       const SQeProjectDbRow_jobdef given = row;
       const int status = QeProjectDb_Jobdef_Import(c.h, row);
       c.Status(status, {0});
       c.MayAdd("jobdef");
       c.MayChange("project", c.f.projKey);
       SQeProjectDbRow_jobdef back;
       ASSERT_EQ(QeProjectDb_Jobdef_GetOne(c.h, row.iKey, back), 0);
       c.RoundTrip(back.wszUuid, given.wszUuid, "uuid");
       c.RoundTrip(back.wszName, given.wszName, "name");
       c.RoundTrip(back.wszDesc, given.wszDesc, "description");
     }},
    {"QeProjectDb_Jobdef_Update(uint32_t handle, int64_t key, int32_t state, int32_t progress, "
     "const CQeStringW& name, const CQeStringW& desc, int32_t defType)",
     2,
     [](Ctx& c) {
       const CQeStringW name = c.T(0), desc = c.T(1);
       c.Status(QeProjectDb_Jobdef_Update(c.h, c.f.jobdefKey, 1, 2, name, desc, 3), {0});
       c.MayChange("jobdef", c.f.jobdefKey);
       c.MayChange("project", c.f.projKey);
       SQeProjectDbRow_jobdef row;
       ASSERT_EQ(QeProjectDb_Jobdef_GetOne(c.h, c.f.jobdefKey, row), 0);
       c.RoundTrip(row.wszName, name, "name");
       c.RoundTrip(row.wszDesc, desc, "description");
     }},
    {"QeProjectDb_Jobdef_IsNameUnique(uint32_t handle, const CQeStringW& name, CQeStringW& "
     "uniqueName)",
     1,
     [](Ctx& c) {
       const CQeStringW name = c.T(0);
       CQeStringW unique;
       EXPECT_TRUE(QeProjectDb_Jobdef_IsNameUnique(c.h, name, unique));
       EXPECT_TRUE(unique == name);
     }},
    // ---- Programs ----
    {"QeProjectDb_Jobprogram_Insert(uint32_t h, int64_t jobdefKey, const CQeStringW& summary, "
     "int64_t* outKey)",
     1,
     [](Ctx& c) {
       const CQeStringW summary = c.T(0);
       int64_t key = 0;
       c.Status(QeProjectDb_Jobprogram_Insert(c.h, c.f.jobdefKey, summary, &key), {0});
       c.MayAdd("jobprogram");
       SQeProjectDbRow_jobprogram row;
       ASSERT_EQ(QeProjectDb_Jobprogram_GetOne(c.h, key, row), 0);
       c.RoundTrip(row.wszSummary, summary, "summary");
     }},
    {"QeProjectDb_Jobprogram_Insert(uint32_t h, int64_t jobdefKey, const CQeStringW& summary, "
     "const CQeByteArray* properties, int64_t* outKey)",
     1,
     [](Ctx& c) {
       const CQeStringW summary = c.T(0);
       const CQeByteArray blob("\x01\x02", 2);
       int64_t key = 0;
       c.Status(QeProjectDb_Jobprogram_Insert(c.h, c.f.jobdefKey, summary, &blob, &key), {0});
       c.MayAdd("jobprogram");
       SQeProjectDbRow_jobprogram row;
       ASSERT_EQ(QeProjectDb_Jobprogram_GetOne(c.h, key, row), 0);
       c.RoundTrip(row.wszSummary, summary, "summary");
     }},
    {"QeProjectDb_Jobprogram_InsertOrUpdateProperties(uint32_t h, int64_t key, const "
     "std::vector<SQeProjectDbRow_jobprogram::_property>& properties)",
     2,
     [](Ctx& c) {
       const CQeStringW name = c.T(0), value = c.T(1);
       const int status =
           QeProjectDb_Jobprogram_InsertOrUpdateProperties(c.h, c.f.programKey, {{name, value}});
       CQeStringW back = L"untouched";
       const int read = QeProjectDb_Jobprogram_GetProperty(c.h, c.f.programKey, name, back);
       if (WideToUtf8(name.str()).size() > 65535) {
         c.Status(status, {-9});  // a name the document cannot hold; nothing written
         c.Status(read, {-13});
       } else if (name.IsEmpty()) {
         c.Status(status, {0});
         c.Status(read, {-13});  // pairs with an empty name are ignored
       } else {
         c.Status(status, {0});
         c.MayChange("jobprogram", c.f.programKey);
         c.Status(read, {0});
         c.RoundTrip(back, value, "property value");
       }
       CQeStringW kept;
       EXPECT_EQ(QeProjectDb_Jobprogram_GetProperty(c.h, c.f.programKey, L"speed", kept), 0);
       if (!(name == L"speed")) {
         EXPECT_TRUE(kept == L"fast");
       }
     }},
    {"QeProjectDb_Jobprogram_GetProperty(uint32_t h, int64_t key, const CQeStringW& name, "
     "CQeStringW& value)",
     1,
     [](Ctx& c) {
       CQeStringW value = L"untouched";
       c.Status(QeProjectDb_Jobprogram_GetProperty(c.h, c.f.programKey, c.T(0), value), {-13});
       EXPECT_TRUE(value == L"untouched");
     }},
    // ---- Job property definitions ----
    {"QeProjectDb_Jobpropdef_InsertOrUpdate(uint32_t h, int64_t programKey, const CQeStringW& "
     "propkey, double value, int type, int visibility, "
     "std::vector<SQeProjectDbRow_jobpropenumvalue>& enumValues, int flags, const CQeByteArray* "
     "dependencyExpression, int64_t* outKey)",
     2,
     [](Ctx& c) {
       const CQeStringW propkey = c.T(0), value = c.T(1);
       std::vector<SQeProjectDbRow_jobpropenumvalue> values = {{0, 0, value}};
       int64_t key = 0;
       c.Status(QeProjectDb_Jobpropdef_InsertOrUpdate(c.h, c.f.programKey, propkey, 2.5, 1, 1,
                                                      values, 0, nullptr, &key),
                {0});
       c.MayAdd("jobpropdef");
       c.MayAdd("jobpropenumvalue");
       SQeProjectDbRow_jobpropdef row;
       c.Status(QeProjectDb_Jobpropdef_GetOne(c.h, c.f.programKey, propkey, row), {0});
       EXPECT_EQ(row.iKey, key);
       c.RoundTrip(row.wszPropkey, propkey, "property key");
       ASSERT_EQ(row.vEnumValues.size(), 1u);
       c.RoundTrip(row.vEnumValues[0].wszPropenumvalue, value, "enumeration value");
     }},
    {"QeProjectDb_Jobpropdef_SetAll(uint32_t h, int64_t programKey, "
     "std::vector<SQeProjectDbRow_jobpropdef>& rows)",
     2,
     [](Ctx& c) {
       const CQeStringW propkey = c.T(0), value = c.T(1);
       std::vector<SQeProjectDbRow_jobpropdef> rows = {
           {0, c.f.programKey, propkey, 1.0, 1, 1, 0, CQeByteArray(), {{0, 0, value}}}};
       c.Status(QeProjectDb_Jobpropdef_SetAll(c.h, c.f.programKey, rows), {0});
       c.MayChange("jobpropdef");  // the program's definitions are replaced
       c.MayChange("jobpropenumvalue");
       std::vector<SQeProjectDbRow_jobpropdef> back;
       ASSERT_EQ(QeProjectDb_Jobpropdef_GetAll(c.h, c.f.programKey, back), 0);
       ASSERT_EQ(back.size(), 1u);
       c.RoundTrip(back[0].wszPropkey, propkey, "property key");
       ASSERT_EQ(back[0].vEnumValues.size(), 1u);
       c.RoundTrip(back[0].vEnumValues[0].wszPropenumvalue, value, "enumeration value");
     }},
    {"QeProjectDb_Jobpropenumvalue_SetAll(uint32_t h, int64_t jobpropdefKey, "
     "std::vector<SQeProjectDbRow_jobpropenumvalue>& values)",
     2,
     [](Ctx& c) {
       const CQeStringW a = c.T(0), b = c.T(1);
       std::vector<SQeProjectDbRow_jobpropenumvalue> values = {{0, 0, a}, {0, 0, b}};
       c.Status(QeProjectDb_Jobpropenumvalue_SetAll(c.h, c.f.jobpropdefKey, values), {0});
       c.MayChange("jobpropenumvalue");
       std::vector<SQeProjectDbRow_jobpropenumvalue> back;
       ASSERT_EQ(QeProjectDb_Jobpropenumvalue_GetAll(c.h, c.f.jobpropdefKey, back), 0);
       ASSERT_EQ(back.size(), 2u);
       c.RoundTrip(back[0].wszPropenumvalue, a, "first value");
       c.RoundTrip(back[1].wszPropenumvalue, b, "second value");
     }},
    {"QeProjectDb_Jobpropdef_GetOne(uint32_t h, int64_t programKey, const CQeStringW& propkey, "
     "SQeProjectDbRow_jobpropdef& row)",
     1,
     [](Ctx& c) {
       SQeProjectDbRow_jobpropdef row;
       c.Status(QeProjectDb_Jobpropdef_GetOne(c.h, c.f.programKey, c.T(0), row), {-13});
       EXPECT_EQ(row.iKey, 0);
     }},
    {"QeProjectDb_Jobpropdef_Delete(uint32_t h, int64_t programKey, const CQeStringW& propkey)", 1,
     [](Ctx& c) { c.Status(QeProjectDb_Jobpropdef_Delete(c.h, c.f.programKey, c.T(0)), {0}); }},
    // ---- Tasks ----
    {"QeProjectDb_Jobtask_Insert(uint32_t h, int64_t programKey, int64_t parentKey, int64_t "
     "blockNumber, int64_t order, const CQeStringW& className, const SQeProjectDbJobTaskState& "
     "state, const CQeByteArray* dependencyExpression, int64_t* outKey)",
     3, JobtaskInsert},
    {"QeProjectDb_Jobtask_Update(uint32_t h, int64_t key, int64_t blockNumber, int64_t order, "
     "const CQeStringW& className, const SQeProjectDbJobTaskState& state)",
     2,
     [](Ctx& c) {
       const CQeStringW className = c.T(0), notes = c.T(1);
       SQeProjectDbJobTaskState state;
       state.wszNotes = notes;
       c.Status(QeProjectDb_Jobtask_Update(c.h, c.f.taskKey, 4, 5, className, state), {0});
       c.MayChange("jobtask", c.f.taskKey);
       SQeProjectDbRow_jobtask row;
       ASSERT_EQ(QeProjectDb_Jobtask_GetOne(c.h, c.f.taskKey, row), 0);
       c.RoundTrip(row.wszClassName, className, "class name");
       c.RoundTrip(row.wszNotes, notes, "notes");
     }},
    {"QeProjectDb_Jobtask_GetAllWithClass(uint32_t h, int64_t programKey, const CQeStringW& "
     "className, std::list<SQeProjectDbRow_jobtask>& rows)",
     1,
     [](Ctx& c) {
       std::list<SQeProjectDbRow_jobtask> rows;
       c.Status(QeProjectDb_Jobtask_GetAllWithClass(c.h, c.f.programKey, c.T(0), rows), {0});
       EXPECT_TRUE(rows.empty());
     }},
    {"QeProjectDb_Jobclasslaststate_InsertOrUpdate(uint32_t h, const CQeStringW& uniqueName, "
     "const SQeProjectDbJobTaskState& state, int64_t* outKey)",
     2,
     [](Ctx& c) {
       const CQeStringW className = c.T(0), taskName = c.T(1);
       SQeProjectDbJobTaskState state(7, 8, taskName, CQeByteArray("s", 1), CQeByteArray());
       c.Status(QeProjectDb_Jobclasslaststate_InsertOrUpdate(c.h, className, state, nullptr), {0});
       c.MayAdd("jobclasslaststate");
       SQeProjectDbJobTaskState back;
       c.Status(QeProjectDb_Jobclasslaststate_GetOne(c.h, className, back), {0});
       EXPECT_EQ(back.iVersion, 7);
       c.RoundTrip(back.wszName, taskName, "task name");
     }},
    {"QeProjectDb_Jobclasslaststate_GetOne(uint32_t h, const CQeStringW& uniqueName, "
     "SQeProjectDbJobTaskState& state)",
     1,
     [](Ctx& c) {
       SQeProjectDbJobTaskState state;
       c.Status(QeProjectDb_Jobclasslaststate_GetOne(c.h, c.T(0), state), {0});
       EXPECT_EQ(state.iVersion, 0);
     }},
    // ---- Runs ----
    {"QeProjectDb_Jobrun_Insert(uint32_t handle, int64_t projKey, const CQeStringW& "
     "projectFolder, int64_t jobdefKey, int64_t jobprogramKey, int64_t finishFlags, const "
     "CQeStringW& name, const CQeStringW& notes, SQeProjectDbRow_jobrun* outRow, CQeStringW* "
     "outFolder)",
     3, JobrunInsert},
    {"QeProjectDb_Jobrun_MakeAbsPath(uint32_t handle, const CQeStringW& projectFolderName, const "
     "CQeStringW& runFolderName)",
     2,
     [](Ctx& c) {
       const CQeStringW path = QeProjectDb_Jobrun_MakeAbsPath(c.h, c.T(0), c.T(1));
       EXPECT_TRUE(StartsWith(path, QeProjectDb_Db_ProjectRootFolder(c.h)));
     }},
    {"QeProjectDb_Jobrun_Rename(uint32_t handle, int64_t key, const CQeStringW& name)", 1,
     [](Ctx& c) {
       const CQeStringW name = c.T(0);
       c.Status(QeProjectDb_Jobrun_Rename(c.h, c.f.runKey, name), {0});
       c.MayChange("jobrun", c.f.runKey);
       SQeProjectDbRow_jobrun row;
       ASSERT_EQ(QeProjectDb_Jobrun_GetOne(c.h, c.f.runKey, row), 0);
       c.RoundTrip(row.wszName, name, "name");
     }},
    {"QeProjectDb_Jobrun_UpdateNotes(uint32_t handle, int64_t key, const CQeStringW& notes)", 1,
     [](Ctx& c) {
       const CQeStringW notes = c.T(0);
       c.Status(QeProjectDb_Jobrun_UpdateNotes(c.h, c.f.runKey, notes), {0});
       c.MayChange("jobrun", c.f.runKey);
       SQeProjectDbRow_jobrun row;
       ASSERT_EQ(QeProjectDb_Jobrun_GetOne(c.h, c.f.runKey, row), 0);
       c.RoundTrip(row.wszDesc, notes, "notes");
     }},
    {"QeProjectDb_Jobrun_UpdateFinish(uint32_t handle, int64_t key, int64_t finishFlags, double "
     "finishTime, const CQeStringW& message)",
     1,
     [](Ctx& c) {
       const CQeStringW message = c.T(0);
       c.Status(QeProjectDb_Jobrun_UpdateFinish(c.h, c.f.runKey, 2, 3.5, message), {0});
       c.MayChange("jobrun", c.f.runKey);
       SQeProjectDbRow_jobrun row;
       ASSERT_EQ(QeProjectDb_Jobrun_GetOne(c.h, c.f.runKey, row), 0);
       c.RoundTrip(row.wszFinishMessage, message, "finish message");
       EXPECT_EQ(row.iFinishFlags, 2);
     }},
    {"QeProjectDb_File_Insert(uint32_t handle, int64_t jobrunKey, const CQeStringW& fileName, "
     "int32_t width, int32_t height, int32_t planes, int32_t components, int32_t "
     "bitsPerComponent, int32_t frameCount, int64_t* outKey)",
     1,
     [](Ctx& c) {
       const CQeStringW name = c.T(0);
       int64_t key = 0;
       c.Status(QeProjectDb_File_Insert(c.h, c.f.runKey, name, 1, 2, 3, 4, 5, 6, &key), {0});
       c.MayAdd("file");
       SQeProjectDbRow_file row;
       ASSERT_EQ(QeProjectDb_File_GetOne(c.h, key, row), 0);
       c.RoundTrip(row.wszFileName, name, "file name");
     }},
    // ---- Analyses ----
    {"QeProjectDb_Assayrun_Insert(uint32_t h, int64_t jobrunKey, int64_t jobtaskKey, int64_t "
     "capturedDataKey, const CQeStringW& uuid, const CQeStringW& name, double ctime, int64_t* "
     "outKey)",
     2,
     [](Ctx& c) {
       const CQeStringW uuid = c.T(0), name = c.T(1);
       int64_t key = 0;
       c.Status(QeProjectDb_Assayrun_Insert(c.h, c.f.runKey, c.f.taskKey, c.f.taskKey, uuid, name,
                                            2.0, &key),
                {0});
       c.MayAdd("assayrun");
       SQeProjectDbRow_assayrun row;
       ASSERT_EQ(QeProjectDb_Assayrun_GetOne(c.h, key, row), 0);
       c.RoundTrip(row.wszUuid, uuid, "uuid");
       c.RoundTrip(row.wszName, name, "name");
     }},
    {"QeProjectDb_Binlayer_Insert(uint32_t h, int64_t jobrunKey, int64_t assayrunKey, const "
     "CQeStringW& uuid, const CQeStringW& name, const CQeStringW& compName, const CQeStringW& "
     "fileTag, int color, int64_t* outKey)",
     4,
     [](Ctx& c) {
       const CQeStringW uuid = c.T(0), name = c.T(1), comp = c.T(2), tag = c.T(3);
       int64_t key = 0;
       c.Status(QeProjectDb_Binlayer_Insert(c.h, c.f.runKey, c.f.assayrunKey, uuid, name, comp, tag,
                                            5, &key),
                {0});
       c.MayAdd("binlayer");
       const SQeProjectDbRow_binlayer row = Layer(c, key);
       c.RoundTrip(row.wszUuid, uuid, "uuid");
       c.RoundTrip(row.wszName, name, "name");
       c.RoundTrip(row.wszCompName, comp, "component name");
       c.RoundTrip(row.wszFileTag, tag, "file tag");
     }},
    {"QeProjectDb_Binlayer_InsertMany(uint32_t h, std::vector<SQeProjectDbRow_binlayer>& rows)", 2,
     [](Ctx& c) {
       std::vector<SQeProjectDbRow_binlayer> rows = {
           {0, c.f.runKey, c.f.assayrunKey, c.T(0), c.T(1), L"c", L"t", 1}};
       const CQeStringW uuid = rows[0].wszUuid, name = rows[0].wszName;
       c.Status(QeProjectDb_Binlayer_InsertMany(c.h, rows), {0});
       c.MayAdd("binlayer");
       const SQeProjectDbRow_binlayer row = Layer(c, rows[0].iKey);
       c.RoundTrip(row.wszUuid, uuid, "uuid");
       c.RoundTrip(row.wszName, name, "name");
     }},
    {"QeProjectDb_Assayrecipe_Insert(uint32_t h, const CQeStringW& uniqueName, const "
     "CQeStringW& desc, const CQeStringW& module, double ctime, double mtime, int dataSize, "
     "const void* data, int64_t* outKey)",
     3,
     [](Ctx& c) {
       const CQeStringW name = c.T(0), desc = c.T(1), module = c.T(2);
       int64_t key = 0;
       c.Status(QeProjectDb_Assayrecipe_Insert(c.h, name, desc, module, 1.0, 2.0, 2, "ab", &key),
                {0});
       c.MayAdd("assayrecipe");
       SQeProjectDbRow_assayrecipe row;
       ASSERT_EQ(QeProjectDb_Assayrecipe_GetOne(c.h, key, row), 0);
       c.RoundTrip(row.wszUniqueName, name, "name");
       c.RoundTrip(row.wszDesc, desc, "description");
       c.RoundTrip(row.wszModule, module, "module");
       EXPECT_EQ(QeProjectDb_Assayrecipe_Find(c.h, name), key);
     }},
    {"QeProjectDb_Assayrecipe_Update(uint32_t h, int64_t key, const CQeStringW& uniqueName, "
     "const CQeStringW& desc, const CQeStringW& module, double mtime, const CQeByteArray& data)",
     3,
     [](Ctx& c) {
       const CQeStringW name = c.T(0), desc = c.T(1), module = c.T(2);
       c.Status(QeProjectDb_Assayrecipe_Update(c.h, c.f.recipeKey, name, desc, module, 3.0,
                                               CQeByteArray("z", 1)),
                {0});
       c.MayChange("assayrecipe", c.f.recipeKey);
       SQeProjectDbRow_assayrecipe row;
       ASSERT_EQ(QeProjectDb_Assayrecipe_GetOne(c.h, c.f.recipeKey, row), 0);
       c.RoundTrip(row.wszUniqueName, name, "name");
       c.RoundTrip(row.wszDesc, desc, "description");
       c.RoundTrip(row.wszModule, module, "module");
     }},
    {"QeProjectDb_Assayrecipe_Find(uint32_t h, const CQeStringW& uniqueName)", 1,
     [](Ctx& c) { EXPECT_EQ(QeProjectDb_Assayrecipe_Find(c.h, c.T(0)), 0); }},
    {"QeProjectDb_Deposit_Insert(uint32_t h, int64_t jobdefKey, double ctime, double mtime, "
     "const CQeStringW& uuid, int dataSize, const void* data, int64_t* outKey)",
     1,
     [](Ctx& c) {
       const CQeStringW uuid = c.T(0);
       int64_t key = 0;
       c.Status(QeProjectDb_Deposit_Insert(c.h, c.f.jobdefKey, 1.0, 2.0, uuid, 1, "q", &key), {0});
       c.MayAdd("deposit");
       std::list<SQeProjectDbRow_deposit> rows;
       ASSERT_EQ(QeProjectDb_Deposit_GetMany(c.h, c.f.jobdefKey, rows), 0);
       const auto row =
           std::find_if(rows.begin(), rows.end(), [&](const auto& r) { return r.iKey == key; });
       ASSERT_NE(row, rows.end());
       c.RoundTrip(row->wszUuid, uuid, "uuid");
     }},
    {"QeProjectDb_Deposit_Update(uint32_t h, int64_t key, int64_t jobdefKey, double ctime, "
     "double mtime, const CQeStringW& uuid, const CQeByteArray& data)",
     1,
     [](Ctx& c) {
       const CQeStringW uuid = c.T(0);
       c.Status(QeProjectDb_Deposit_Update(c.h, c.f.depositKey, c.f.jobdefKey, 1.0, 2.0, uuid,
                                           CQeByteArray("w", 1)),
                {0});
       c.MayChange("deposit", c.f.depositKey);
       std::list<SQeProjectDbRow_deposit> rows;
       ASSERT_EQ(QeProjectDb_Deposit_GetMany(c.h, c.f.jobdefKey, rows), 0);
       ASSERT_EQ(rows.size(), 1u);
       c.RoundTrip(rows.front().wszUuid, uuid, "uuid");
     }},
    // ---- Property definitions ----
    {"QeProjectDb_Propdef_Insert(uint32_t h, const CQeStringW& set, const CQeStringW& name, const "
     "CQeStringW& unit, const CQeStringW& desc, int64_t* outKey)",
     4, [](Ctx& c) { PropdefInsert(c, false); }},
    {"QeProjectDb_Propdef_GetOrInsert(uint32_t h, const CQeStringW& set, const CQeStringW& name, "
     "const CQeStringW& unit, const CQeStringW& desc, int64_t* outKey)",
     4, [](Ctx& c) { PropdefInsert(c, true); }},
    {"QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, int64_t key, "
     "SQeProjectDbRow_propdef& row)",
     1,
     [](Ctx& c) {
       SQeProjectDbRow_propdef row;
       c.Status(QeProjectDb_Propdef_GetOne(c.h, c.T(0), c.f.propdefKey, row), {0});
       EXPECT_EQ(row.iKey, 0);
     }},
    {"QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name)", 2,
     [](Ctx& c) { EXPECT_EQ(QeProjectDb_Propdef_GetOne(c.h, c.T(0), c.T(1)), 0); }},
    {"QeProjectDb_Propdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name, const "
     "CQeStringW& unit)",
     3, [](Ctx& c) { EXPECT_EQ(QeProjectDb_Propdef_GetOne(c.h, c.T(0), c.T(1), c.T(2)), 0); }},
    {"QeProjectDb_Propdef_GetMany(uint32_t h, const CQeStringW& set, "
     "std::vector<SQeProjectDbRow_propdef>& rows)",
     1,
     [](Ctx& c) {
       std::vector<SQeProjectDbRow_propdef> rows;
       c.Status(QeProjectDb_Propdef_GetMany(c.h, c.T(0), rows), {0});
       EXPECT_TRUE(rows.empty());
     }},
    {"QeProjectDb_Propdef_Update(uint32_t h, int64_t key, const CQeStringW& set, const "
     "CQeStringW& name, const CQeStringW& unit, const CQeStringW& desc)",
     4,
     [](Ctx& c) {
       const CQeStringW set = c.T(0), name = c.T(1), unit = c.T(2), desc = c.T(3);
       c.Status(QeProjectDb_Propdef_Update(c.h, c.f.propdefKey, set, name, unit, desc), {0});
       c.MayChange("propdef", c.f.propdefKey);
       SQeProjectDbRow_propdef row;
       ASSERT_EQ(QeProjectDb_Propdef_GetOne(c.h, set, c.f.propdefKey, row), 0);
       c.RoundTrip(row.wszPropsetName, set, "set");
       c.RoundTrip(row.wszName, name, "name");
       c.RoundTrip(row.wszUnit, unit, "unit");
       c.RoundTrip(row.wszDesc, desc, "description");
     }},
    // ---- Tag definitions ----
    {"QeProjectDb_Tagdef_Insert(uint32_t h, const CQeStringW& set, const CQeStringW& name, const "
     "CQeStringW& desc, int64_t* outKey)",
     3,
     [](Ctx& c) {
       const CQeStringW set = c.T(0), name = c.T(1), desc = c.T(2);
       int64_t key = 0;
       c.Status(QeProjectDb_Tagdef_Insert(c.h, set, name, desc, &key), {0});
       c.MayAdd("tagdef");
       SQeProjectDbRow_tagdef row;
       ASSERT_EQ(QeProjectDb_Tagdef_GetOne(c.h, key, row), 0);
       c.RoundTrip(row.wszTagsetName, set, "set");
       c.RoundTrip(row.wszName, name, "name");
       c.RoundTrip(row.wszDesc, desc, "description");
       if (!set.IsEmpty()) {
         EXPECT_EQ(QeProjectDb_Tagdef_GetOne(c.h, set, name), key);
       }
     }},
    {"QeProjectDb_Tagdef_Update(uint32_t h, int64_t key, const CQeStringW& set, const "
     "CQeStringW& name, const CQeStringW& desc)",
     3,
     [](Ctx& c) {
       const CQeStringW set = c.T(0), name = c.T(1), desc = c.T(2);
       c.Status(QeProjectDb_Tagdef_Update(c.h, c.f.tagdefKey, set, name, desc), {0});
       c.MayChange("tagdef", c.f.tagdefKey);
       SQeProjectDbRow_tagdef row;
       ASSERT_EQ(QeProjectDb_Tagdef_GetOne(c.h, c.f.tagdefKey, row), 0);
       c.RoundTrip(row.wszTagsetName, set, "set");
       c.RoundTrip(row.wszName, name, "name");
       c.RoundTrip(row.wszDesc, desc, "description");
     }},
    {"QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& name)", 1,
     [](Ctx& c) { EXPECT_EQ(QeProjectDb_Tagdef_GetOne(c.h, c.T(0)), 0); }},
    {"QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& set, int64_t key, "
     "SQeProjectDbRow_tagdef& row)",
     1,
     [](Ctx& c) {
       SQeProjectDbRow_tagdef row;
       c.Status(QeProjectDb_Tagdef_GetOne(c.h, c.T(0), c.f.tagdefKey, row), {0});
       EXPECT_EQ(row.iKey, 0);
     }},
    {"QeProjectDb_Tagdef_GetOne(uint32_t h, const CQeStringW& set, const CQeStringW& name)", 2,
     [](Ctx& c) { EXPECT_EQ(QeProjectDb_Tagdef_GetOne(c.h, c.T(0), c.T(1)), 0); }},
    {"QeProjectDb_Tagdef_GetMany(uint32_t h, const CQeStringW& set, "
     "std::vector<SQeProjectDbRow_tagdef>& rows)",
     1,
     [](Ctx& c) {
       std::vector<SQeProjectDbRow_tagdef> rows;
       c.Status(QeProjectDb_Tagdef_GetMany(c.h, c.T(0), rows), {0});
       EXPECT_TRUE(rows.empty());
     }},
    // ---- Users ----
    {"QeProjectDb_Jobuser_Insert(uint32_t h, const CQeStringW& uuid, const CQeStringW& username, "
     "const CQeStringW& password)",
     3,
     [](Ctx& c) {
       const CQeStringW uuid = c.T(0), name = c.T(1), password = c.T(2);
       c.Status(QeProjectDb_Jobuser_Insert(c.h, uuid, name, password), {0});
       c.MayAdd("jobuser");
       SQeProjectDbRow_jobuser row;
       c.Status(QeProjectDb_Jobuser_GetOne(c.h, name, password, row), {0});
       c.RoundTrip(row.wszUuid, uuid, "uuid");
       c.RoundTrip(row.wszUsername, name, "user name");
       c.RoundTrip(row.wszPassword, password, "password");
     }},
    {"QeProjectDb_Jobuser_GetOne(uint32_t h, const CQeStringW& username, const CQeStringW& "
     "password, SQeProjectDbRow_jobuser& row)",
     2,
     [](Ctx& c) {
       SQeProjectDbRow_jobuser row;
       c.Status(QeProjectDb_Jobuser_GetOne(c.h, c.T(0), c.T(1), row), {-13});
       EXPECT_EQ(row.iKey, 0);
     }},
    {"QeProjectDb_toupload_SaveRequest(uint32_t h, const CQeStringW& tableName, const "
     "CQeStringW& rowUuid, const CQeStringW& cloudUrl, const SQeProjectDbRow_jobuser& user)",
     3,
     [](Ctx& c) {
       const CQeStringW table = c.T(0), uuid = c.T(1), url = c.T(2);
       c.Status(QeProjectDb_toupload_SaveRequest(c.h, table, uuid, url, c.f.user), {0});
       c.MayAdd("toupload");
       const std::vector<CQeStringW> urls =
           ReadTexts(c.Db(), "SELECT wszCloudUrl FROM toupload ORDER BY iKey DESC LIMIT 1");
       ASSERT_EQ(urls.size(), 1u);
       c.RoundTrip(urls[0], url, "address");
     }},
    {"QeProjectDb_Cloudgroupusers_Insert(uint32_t h, const CQeStringW& username, const "
     "CQeStringW& projectUuid, int64_t userKey)",
     2,
     [](Ctx& c) {
       const CQeStringW user = c.T(0), project = c.T(1);
       c.Status(QeProjectDb_Cloudgroupusers_Insert(c.h, user, project, c.f.user.iKey), {0});
       c.MayAdd("project_user_grouping");
       const std::vector<CQeStringW> users = ReadTexts(
           c.Db(), "SELECT wszUsername FROM project_user_grouping ORDER BY iKey DESC LIMIT 1");
       ASSERT_EQ(users.size(), 1u);
       c.RoundTrip(users[0], user, "user name");
     }},
});

}  // namespace
}  // namespace qe::hostile

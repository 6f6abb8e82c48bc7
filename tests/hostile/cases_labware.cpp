// Cases: the labware records of a project database (plates, dishes,
// slides, the labware a run used, user plate files). A lookup by a hostile
// uuid, model or company first stores a row carrying that text, then must
// find exactly that row and change nothing else.
#include <gtest/gtest.h>

#include "hostile/hostile_support.h"
#include "qe/core/lite_variant.h"
#include "qe/labware/single_element_holder.h"
#include "qe/labware/wellplate.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/records/labware_catalogue.h"

namespace qe::hostile {
namespace {

CQeStringW NextConfigUuid() {
  static int n = 0;
  return CQeStringW(L"config " + std::to_wstring(++n));
}

// A custom plate (configuration and name row) with that uuid and model;
// returns the name row's key.
int64_t AddPlate(Ctx& c, const CQeStringW& uuid, const CQeStringW& model) {
  std::list<SQeProjectDbRow_wellplateconfiguration> configs{
      {0, NextConfigUuid(), 2, 3, 1, 0, CQeByteArray("g", 1)}};
  EXPECT_EQ(QeProjectDb_Wellplateconfig_InsertMany(c.h, configs), 0);
  std::list<SQeProjectDbRow_wellplatename> names{
      {0, uuid, configs.front().iKey, kQeCustomWellplatesCompany, L"Type", model, 1, 0, 0}};
  EXPECT_EQ(QeProjectDb_Wellplatename_InsertMany(c.h, names), 0);
  c.MayAdd({"wellplateconfiguration", "wellplatename"});
  return names.front().iKey;
}

int64_t AddDish(Ctx& c, const CQeStringW& uuid, const CQeStringW& model) {
  std::list<SQeProjectDbRow_dishconfiguration> configs{
      {0, NextConfigUuid(), CQeRectBase<double>(), CQeByteArray("e", 1), CQeByteArray("s", 1)}};
  EXPECT_EQ(QeProjectDb_Dishconfig_InsertMany(c.h, configs), 0);
  std::list<SQeProjectDbRow_dishname> names{
      {0, uuid, configs.front().iKey, kQeCustomDishesCompany, L"Type", model, 1, 0}};
  EXPECT_EQ(QeProjectDb_Dishname_InsertMany(c.h, names), 0);
  c.MayAdd({"dishconfiguration", "dishname"});
  return names.front().iKey;
}

int64_t AddSlide(Ctx& c, const CQeStringW& uuid, const CQeStringW& company) {
  std::list<SQeProjectDbRow_slidedef> slides{{0, uuid, company, L"Type", L"Model", 0, 0, 1, 1, 1,
                                              CQeByteArray("e", 1), CQeByteArray("s", 1), 0}};
  EXPECT_EQ(QeProjectDb_Slidedef_InsertMany(c.h, slides), 0);
  c.MayAdd({"slidedef"});
  return slides.front().iKey;
}

CQeWellplate Plate(const CQeStringW& uuid, const CQeStringW& type, const CQeStringW& model) {
  return CQeWellplate(uuid, kQeCustomWellplatesCompany, type, model, eQeNamingModeRowColumn,
                      eQeNamingLetters, eQeNamingNumbers, 3, 2, 9000, 9000, 40000, 30000, 5000,
                      5000, CQeLayoutElement(SQeShape(3000.0)));
}

// The stored name of a well record (read by key; no reader is exported).
CQeStringW WellName(Ctx& c, int64_t key) {
  const std::vector<CQeStringW> names = ReadTexts(
      c.Db(), "SELECT ifnull(wszName, '') FROM wellinfo WHERE iKey=" + std::to_string(key));
  EXPECT_EQ(names.size(), 1u);
  return names.empty() ? CQeStringW() : names[0];
}

// Marks (or restores) the row stored with the hostile uuid, and only it.
// add stores a row and returns the key its definition is read by.
template <typename Row, typename Add, typename Call>
void Mark(Ctx& c, Add add, int (*get)(uint32_t, int64_t, Row&),
          int (*remove)(uint32_t, const CQeStringW&), Call call, int removed) {
  const int64_t key = add(c, c.t[0], c.t[1]);
  if (removed == 0) {
    ASSERT_EQ(remove(c.h, c.t[0]), 0);
  }
  c.Ok(call(c.h, c.t[0]));
  EXPECT_EQ(ByKey(c, get, key).iRemoved, removed);
}

void PlateMark(Ctx& c, int (*call)(uint32_t, const CQeStringW&), int removed) {
  Mark(c, AddPlate, QeProjectDb_Wellplatedef_GetOne, QeProjectDb_Wellplatename_RemoveCustom, call,
       removed);
}

void DishMark(Ctx& c, int (*call)(uint32_t, const CQeStringW&), int removed) {
  Mark(c, AddDish, QeProjectDb_Dishdef_GetOne, QeProjectDb_Dishname_RemoveCustom, call, removed);
}

// A lookup by the text a stored row carries finds that row.
template <typename Row, typename Get>
void Finds(Ctx& c, int64_t key, Get get) {
  Row row;
  bool found = false;
  c.Ok(get(row, found));
  EXPECT_TRUE(found);
  EXPECT_EQ(row.iKey, key);
}

// Stores a custom plate whose type and model are texts of the call, writes
// the user plates to a file whose name is a text of the call and imports
// that file again: the imported copy carries the same names.
// The present plates whose model reads back as model's.
std::vector<SQeProjectDbRow_wellplatedef> PlatesOfModel(Ctx& c, const CQeStringW& model) {
  std::list<SQeProjectDbRow_wellplatedef> plates;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetAll(c.h, plates), 0);
  std::vector<SQeProjectDbRow_wellplatedef> out;
  for (const auto& plate : plates) {
    if (plate.iRemoved == 0 && (plate.wszModel == model || plate.wszModel == Stored(model))) {
      out.push_back(plate);
    }
  }
  return out;
}

void ExportImport(Ctx& c, bool importWithResults) {
  const CQeStringW path = c.PathIn(0), type = c.T(1), model = c.T(2);
  // The user plates of earlier calls go first, so that each file holds this
  // call's plate only (the fixture's geometry is not a plate: skipped).
  c.MayChange("wellplateconfiguration");
  c.MayChange("wellplatename");
  std::vector<int64_t> earlier;
  std::list<SQeProjectDbRow_wellplatedef> plates;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetAll(c.h, plates), 0);
  for (const auto& plate : plates) {
    SQeProjectDbRow_wellplatename name;
    ASSERT_EQ(QeProjectDb_Wellplatename_GetOne(c.h, plate.wszUuid, name), 0);
    if (plate.iKey != c.f.plateNameKey) earlier.push_back(name.iWellplateconfigKeyRef);
  }
  ASSERT_EQ(QeProjectDb_Wellplateconfig_Delete(c.h, earlier), 0);
  c.Ok(QeProjectDb_Wellplate_SaveAsCustomToDb(c.h, Plate(c.T(3), type, model)));
  int exported = -1, skipped = -1;
  const int status =
      QeProjectDb_Wellplatedef_ExportUserPlateDefs(c.h, path, true, &exported, &skipped);
  c.Status(status, {0, -9});  // -9: a file name the file system refuses
  if (status != 0) return;
  EXPECT_EQ(exported, 1);
  EXPECT_EQ(skipped, 1);
  if (importWithResults) {
    int imported = -1;
    c.Ok(QeProjectDb_Wellplatedef_ImportUserPlateDefs(c.h, path, &imported, &skipped));
    EXPECT_EQ(imported, 1);
  } else {
    QeProjectDb_Wellplatedef_InsertOrReplaceUserPlateDefs(c.h, path);
  }
  Ctx::Forget(path);  // a later call may use the same name
  const std::vector<SQeProjectDbRow_wellplatedef> copies = PlatesOfModel(c, model);
  ASSERT_EQ(copies.size(), 2u);  // the plate stored and its imported copy
  c.RoundTrip(copies[1].wszType, type, "type of the imported plate");
  c.RoundTrip(copies[1].wszModel, model, "model of the imported plate");
}

const int kRegistered = [] {
  // ---- User plate files ----
  Case("QeProjectDb_Wellplatedef_ExportUserPlateDefs", 3, [](Ctx& c) { ExportImport(c, true); });
  Case("QeProjectDb_Wellplatedef_ImportUserPlateDefs", 1, [](Ctx& c) {
    int imported = -1, skipped = -1;
    // No file of that name: the empty text names the folder itself.
    c.Status(QeProjectDb_Wellplatedef_ImportUserPlateDefs(c.h, c.PathIn(0), &imported, &skipped),
             {-13, -10});
  });
  Case("QeProjectDb_Wellplatedef_InsertOrReplaceUserPlateDefs", 3,
       [](Ctx& c) { ExportImport(c, false); });
  // ---- Plates ----
  Case("QeProjectDb_Wellplate_SaveAsCustomToDb", 3, [](Ctx& c) {
    c.Ok(QeProjectDb_Wellplate_SaveAsCustomToDb(c.h, Plate(c.t[0], c.t[1], c.t[2])),
         {"wellplateconfiguration", "wellplatename"});
    SQeProjectDbRow_wellplatedef row;
    bool found = false;
    ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(c.h, c.t[0], row, found), 0);
    ASSERT_TRUE(found);
    CQeWellplate loaded;
    CQeLiteVariantR reader(row.pData);
    ASSERT_EQ(loaded.LoadFromLiteVariant(reader), 0);
    c.RoundTrips({row.wszUuid, row.wszType, row.wszModel});
    c.RoundTrip(loaded.GetModelName(), c.t[2], "model in the stored geometry");
  });
  Case("QeProjectDb_Wellplatename_InsertMany", 2, [](Ctx& c) {
    const int64_t key = AddPlate(c, c.t[0], c.t[1]);
    SQeProjectDbRow_wellplatename row;
    ASSERT_EQ(QeProjectDb_Wellplatename_GetOne(c.h, c.t[0], row), 0);
    EXPECT_EQ(row.iKey, key);
    c.RoundTrips({row.wszUuid, row.wszModel});
  });
  Case("QeProjectDb_Wellplatedef_GetOne(h, uuid, row, found)", 1, [](Ctx& c) {
    Finds<SQeProjectDbRow_wellplatedef>(c, AddPlate(c, c.t[0], L"m"), [&](auto& row, bool& found) {
      return QeProjectDb_Wellplatedef_GetOne(c.h, c.t[0], row, found);
    });
  });
  Case("QeProjectDb_Wellplatedef_GetLatest(h, uuid, row, found)", 1, [](Ctx& c) {
    Finds<SQeProjectDbRow_wellplatedef>(c, AddPlate(c, c.t[0], L"m"), [&](auto& row, bool& found) {
      return QeProjectDb_Wellplatedef_GetLatest(c.h, c.t[0], row, found);
    });
  });
  Case("QeProjectDb_Wellplatedef_FindCustom", 1, [](Ctx& c) {
    Finds<SQeProjectDbRow_wellplatedef>(
        c, AddPlate(c, c.T(1), c.t[0]), [&](auto& row, bool& found) {
          return QeProjectDb_Wellplatedef_FindCustom(c.h, c.t[0], row, found);
        });
  });
  Case("QeProjectDb_Wellplatedef_GetOne(h, uuid, row)", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_wellplatedef>(
        c, {0}, [&](auto& row) { return QeProjectDb_Wellplatedef_GetOne(c.h, c.t[0], row); });
  });
  Case("QeProjectDb_Wellplatedef_GetLatest(h, uuid, row)", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_wellplatedef>(
        c, {0}, [&](auto& row) { return QeProjectDb_Wellplatedef_GetLatest(c.h, c.t[0], row); });
  });
  Case("QeProjectDb_Wellplatename_GetOne", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_wellplatename>(
        c, {0}, [&](auto& row) { return QeProjectDb_Wellplatename_GetOne(c.h, c.t[0], row); });
  });
  Case("QeProjectDb_Wellplateconfig_GetOne(h, uuid, row)", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_wellplateconfiguration>(
        c, {0}, [&](auto& row) { return QeProjectDb_Wellplateconfig_GetOne(c.h, c.t[0], row); });
  });
  Case("QeProjectDb_Wellplatename_RemoveCustom", 2,
       [](Ctx& c) { PlateMark(c, QeProjectDb_Wellplatename_RemoveCustom, 1); });
  Case("QeProjectDb_Wellplatename_UnremoveCustom", 2,
       [](Ctx& c) { PlateMark(c, QeProjectDb_Wellplatename_UnremoveCustom, 0); });
  Case("QeProjectDb_Wellplatename_ReplaceCustom", 2, [](Ctx& c) {
    Mark(
        c, AddPlate, QeProjectDb_Wellplatedef_GetOne, QeProjectDb_Wellplatename_RemoveCustom,
        [&](uint32_t h, const CQeStringW& uuid) {
          return QeProjectDb_Wellplatename_ReplaceCustom(h, uuid, c.f.plateNameKey);
        },
        1);
  });
  Case("QeProjectDb_Labware_GetCatalogueVersion", 1, [](Ctx& c) {
    int64_t version = -1;
    c.Ok(QeProjectDb_Labware_GetCatalogueVersion(c.h, c.t[0], version));
    EXPECT_EQ(version, 0);
  });
  // ---- Dishes ----
  Case("QeProjectDb_Dish_SaveAsCustomToDb", 3, [](Ctx& c) {
    const CQeRectBase<double> sticker(0, 0, 10, 10);
    CQeSingleElementHolder dish(c.t[0], kQeCustomDishesCompany, c.t[1], c.t[2],
                                CQeLayoutElement(SQeShape(5000.0)), &sticker);
    c.Ok(QeProjectDb_Dish_SaveAsCustomToDb(c.h, dish), {"dishconfiguration", "dishname"});
    SQeProjectDbRow_dishdef row;
    bool found = false;
    ASSERT_EQ(QeProjectDb_Dishdef_GetOne(c.h, c.t[0], row, found), 0);
    ASSERT_TRUE(found);
    c.RoundTrips({row.wszUuid, row.wszType, row.wszModel});
  });
  Case("QeProjectDb_Dishname_InsertMany", 2, [](Ctx& c) {
    const auto row = ByKey(c, QeProjectDb_Dishdef_GetOne, AddDish(c, c.t[0], c.t[1]));
    c.RoundTrips({row.wszUuid, row.wszModel});
  });
  Case("QeProjectDb_Dishdef_GetOne(h, uuid, row, found)", 1, [](Ctx& c) {
    Finds<SQeProjectDbRow_dishdef>(c, AddDish(c, c.t[0], L"m"), [&](auto& row, bool& found) {
      return QeProjectDb_Dishdef_GetOne(c.h, c.t[0], row, found);
    });
  });
  Case("QeProjectDb_Dishdef_FindCustom", 1, [](Ctx& c) {
    Finds<SQeProjectDbRow_dishdef>(c, AddDish(c, c.T(1), c.t[0]), [&](auto& row, bool& found) {
      return QeProjectDb_Dishdef_FindCustom(c.h, c.t[0], row, found);
    });
  });
  Case("QeProjectDb_Dishdef_GetOne(h, uuid, row)", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_dishdef>(
        c, {0}, [&](auto& row) { return QeProjectDb_Dishdef_GetOne(c.h, c.t[0], row); });
  });
  Case("QeProjectDb_Dishconfig_GetOne", 1, [](Ctx& c) {
    Misses<SQeProjectDbRow_dishconfiguration>(
        c, {0}, [&](auto& row) { return QeProjectDb_Dishconfig_GetOne(c.h, c.t[0], row); });
  });
  Case("QeProjectDb_Dishname_RemoveCustom", 2,
       [](Ctx& c) { DishMark(c, QeProjectDb_Dishname_RemoveCustom, 1); });
  Case("QeProjectDb_Dishname_UnremoveCustom", 2,
       [](Ctx& c) { DishMark(c, QeProjectDb_Dishname_UnremoveCustom, 0); });
  // ---- Slides ----
  Case("QeProjectDb_Slidedef_InsertMany", 2, [](Ctx& c) {
    const auto row = ByKey(c, QeProjectDb_Slidedef_GetOne, AddSlide(c, c.t[0], c.t[1]));
    c.RoundTrips({row.wszUuid, row.wszCompany});
  });
  Case("QeProjectDb_Slidedef_GetOne(h, uuid, row)", 1, [](Ctx& c) {
    const int64_t key = AddSlide(c, c.t[0], L"c");
    SQeProjectDbRow_slidedef row;
    c.Ok(QeProjectDb_Slidedef_GetOne(c.h, c.t[0], row));
    EXPECT_EQ(row.iKey, key);
  });
  Case("QeProjectDb_Slidedef_GetOneByName", 1, [](Ctx& c) {
    Finds<SQeProjectDbRow_slidedef>(c, AddSlide(c, c.T(1), c.t[0]), [&](auto& row, bool& found) {
      return QeProjectDb_Slidedef_GetOneByName(c.h, c.t[0], row, found, true);
    });
  });
  Case("QeProjectDb_Slidedef_Remove", 2, [](Ctx& c) {
    const int64_t key = AddSlide(c, c.t[0], c.t[1]);
    c.Ok(QeProjectDb_Slidedef_Remove(c.h, c.t[0]));
    EXPECT_EQ(ByKey(c, QeProjectDb_Slidedef_GetOne, key).iRemoved, 1);
  });
  // ---- Labware a run used ----
  Case("QeProjectDb_Plateinfo_Insert", 3, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Plateinfo_Insert(c.h, c.f.runKey, c.f.plateNameKey, c.t[0], c.t[1], c.t[2],
                                      &key),
         {"plateinfo"});
    const auto row = ByKey(c, QeProjectDb_Plateinfo_GetOne, key);
    c.RoundTrips({row.wszName, row.wszBarcode, row.wszDesc});
  });
  Case("QeProjectDb_Plateinfo_InsertMany", 3, [](Ctx& c) {
    std::vector<SQeProjectDbRow_plateinfo> rows = {
        {0, c.f.runKey, c.f.plateNameKey, c.t[0], c.t[1], c.t[2]}};
    c.Ok(QeProjectDb_Plateinfo_InsertMany(c.h, rows), {"plateinfo"});
    const auto row = ByKey(c, QeProjectDb_Plateinfo_GetOne, rows[0].iKey);
    c.RoundTrips({row.wszName, row.wszBarcode, row.wszDesc});
  });
  Case("QeProjectDb_Plateinfo_Exists", 1, [](Ctx& c) {
    EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(c.h, c.t[0]));
    const int64_t key = AddPlate(c, c.t[0], L"m");
    c.Ok(QeProjectDb_Plateinfo_Insert(c.h, c.f.runKey, key, L"p", L"b", L"d", nullptr),
         {"plateinfo"});
    EXPECT_TRUE(QeProjectDb_Plateinfo_Exists(c.h, c.t[0]));
  });
  Case("QeProjectDb_Slideinfo_Insert", 3, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Slideinfo_Insert(c.h, c.f.runKey, c.t[0], c.t[1], c.t[2], &key),
         {"slideinfo"});
    const auto row = ByKey(c, QeProjectDb_Slideinfo_GetOne, key);
    c.RoundTrips({row.wszName, row.wszBarcode, row.wszDesc});
  });
  Case("QeProjectDb_Slideinfo_InsertMany", 2, [](Ctx& c) {
    std::vector<SQeProjectDbRow_slideinfo> rows = {{0, c.f.runKey, c.t[0], c.t[1], L"d"}};
    c.Ok(QeProjectDb_Slideinfo_InsertMany(c.h, rows), {"slideinfo"});
    const auto row = ByKey(c, QeProjectDb_Slideinfo_GetOne, rows[0].iKey);
    c.RoundTrips({row.wszName, row.wszBarcode});
  });
  Case("QeProjectDb_Slideinfo_UpdateBarcode", 1, [](Ctx& c) {
    c.Ok(QeProjectDb_Slideinfo_UpdateBarcode(c.h, c.f.slideinfoKey, c.t[0]));
    c.MayChange("slideinfo", c.f.slideinfoKey);
    c.RoundTrips({ByKey(c, QeProjectDb_Slideinfo_GetOne, c.f.slideinfoKey).wszBarcode});
  });
  Case("QeProjectDb_Wellinfo_Insert", 1, [](Ctx& c) {
    int64_t key = 0;
    c.Ok(QeProjectDb_Wellinfo_Insert(c.h, c.f.runKey, 5, c.t[0], &key), {"wellinfo"});
    c.RoundTrips({WellName(c, key)});
  });
  Case("QeProjectDb_Wellinfo_InsertMany", 1, [](Ctx& c) {
    std::vector<SQeProjectDbRow_wellinfo> rows = {{0, c.f.runKey, 6, c.t[0]}};
    c.Ok(QeProjectDb_Wellinfo_InsertMany(c.h, rows), {"wellinfo"});
    c.RoundTrips({WellName(c, rows[0].iKey)});
  });
  return 0;
}();

}  // namespace
}  // namespace qe::hostile

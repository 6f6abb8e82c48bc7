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
template <typename Call>
void PlateMark(Ctx& c, Call call, int removed) {
  const CQeStringW uuid = c.T(0);
  const int64_t key = AddPlate(c, uuid, c.T(1));
  if (removed == 0) {
    ASSERT_EQ(QeProjectDb_Wellplatename_RemoveCustom(c.h, uuid), 0);
  }
  c.Ok(call(c.h, uuid));
  SQeProjectDbRow_wellplatedef row;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(c.h, key, row), 0);
  EXPECT_EQ(row.iRemoved, removed);
}

template <typename Call>
void DishMark(Ctx& c, Call call, int removed) {
  const CQeStringW uuid = c.T(0);
  const int64_t key = AddDish(c, uuid, c.T(1));
  if (removed == 0) {
    ASSERT_EQ(QeProjectDb_Dishname_RemoveCustom(c.h, uuid), 0);
  }
  c.Ok(call(c.h, uuid));
  SQeProjectDbRow_dishdef row;
  ASSERT_EQ(QeProjectDb_Dishdef_GetOne(c.h, key, row), 0);
  EXPECT_EQ(row.iRemoved, removed);
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
    const CQeStringW uuid = c.T(0), type = c.T(1), model = c.T(2);
    c.Ok(QeProjectDb_Wellplate_SaveAsCustomToDb(c.h, Plate(uuid, type, model)),
         {"wellplateconfiguration", "wellplatename"});
    SQeProjectDbRow_wellplatedef row;
    bool found = false;
    ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(c.h, uuid, row, found), 0);
    ASSERT_TRUE(found);
    c.RoundTrip(row.wszType, type, "type");
    c.RoundTrip(row.wszModel, model, "model");
    CQeWellplate loaded;
    CQeLiteVariantR reader(row.pData);
    ASSERT_EQ(loaded.LoadFromLiteVariant(reader), 0);
    c.RoundTrip(loaded.GetModelName(), model, "model in the stored geometry");
  });
  Case("QeProjectDb_Wellplatename_InsertMany", 2, [](Ctx& c) {
    const CQeStringW uuid = c.T(0), model = c.T(1);
    const int64_t key = AddPlate(c, uuid, model);
    SQeProjectDbRow_wellplatename row;
    ASSERT_EQ(QeProjectDb_Wellplatename_GetOne(c.h, uuid, row), 0);
    EXPECT_EQ(row.iKey, key);
    c.RoundTrip(row.wszUuid, uuid, "uuid");
    c.RoundTrip(row.wszModel, model, "model");
  });
  Case(
      "QeProjectDb_Wellplatedef_GetOne(uint32_t h, const CQeStringW& uuid, "
      "SQeProjectDbRow_wellplatedef& row, bool& found)",
      1, [](Ctx& c) {
        const CQeStringW uuid = c.T(0);
        const int64_t key = AddPlate(c, uuid, L"m");
        SQeProjectDbRow_wellplatedef row;
        bool found = false;
        c.Ok(QeProjectDb_Wellplatedef_GetOne(c.h, uuid, row, found));
        EXPECT_TRUE(found);
        EXPECT_EQ(row.iKey, key);
      });
  Case(
      "QeProjectDb_Wellplatedef_GetOne(uint32_t h, const CQeStringW& uuid, "
      "SQeProjectDbRow_wellplatedef& row)",
      1, [](Ctx& c) {
        SQeProjectDbRow_wellplatedef row;
        c.Ok(QeProjectDb_Wellplatedef_GetOne(c.h, c.T(0), row));
        EXPECT_EQ(row.iKey, 0);
      });
  Case(
      "QeProjectDb_Wellplatedef_GetLatest(uint32_t h, const CQeStringW& uuid, "
      "SQeProjectDbRow_wellplatedef& row, bool& found)",
      1, [](Ctx& c) {
        const CQeStringW uuid = c.T(0);
        const int64_t key = AddPlate(c, uuid, L"m");
        SQeProjectDbRow_wellplatedef row;
        bool found = false;
        c.Ok(QeProjectDb_Wellplatedef_GetLatest(c.h, uuid, row, found));
        EXPECT_TRUE(found);
        EXPECT_EQ(row.iKey, key);
      });
  Case(
      "QeProjectDb_Wellplatedef_GetLatest(uint32_t h, const CQeStringW& uuid, "
      "SQeProjectDbRow_wellplatedef& row)",
      1, [](Ctx& c) {
        SQeProjectDbRow_wellplatedef row;
        c.Ok(QeProjectDb_Wellplatedef_GetLatest(c.h, c.T(0), row));
        EXPECT_EQ(row.iKey, 0);
      });
  Case("QeProjectDb_Wellplatedef_FindCustom", 1, [](Ctx& c) {
    const CQeStringW model = c.T(0);
    const int64_t key = AddPlate(c, c.T(1), model);
    SQeProjectDbRow_wellplatedef row;
    bool found = false;
    c.Ok(QeProjectDb_Wellplatedef_FindCustom(c.h, model, row, found));
    EXPECT_TRUE(found);
    EXPECT_EQ(row.iKey, key);
  });
  Case("QeProjectDb_Wellplatename_GetOne", 1, [](Ctx& c) {
    SQeProjectDbRow_wellplatename row;
    c.Ok(QeProjectDb_Wellplatename_GetOne(c.h, c.T(0), row));
    EXPECT_EQ(row.iKey, 0);
  });
  Case(
      "QeProjectDb_Wellplateconfig_GetOne(uint32_t h, const CQeStringW& uuid, "
      "SQeProjectDbRow_wellplateconfiguration& row)",
      1, [](Ctx& c) {
        SQeProjectDbRow_wellplateconfiguration row;
        c.Ok(QeProjectDb_Wellplateconfig_GetOne(c.h, c.T(0), row));
        EXPECT_EQ(row.iKey, 0);
      });
  Case("QeProjectDb_Wellplatename_RemoveCustom", 2,
       [](Ctx& c) { PlateMark(c, QeProjectDb_Wellplatename_RemoveCustom, 1); });
  Case("QeProjectDb_Wellplatename_UnremoveCustom", 2,
       [](Ctx& c) { PlateMark(c, QeProjectDb_Wellplatename_UnremoveCustom, 0); });
  Case("QeProjectDb_Wellplatename_ReplaceCustom", 2, [](Ctx& c) {
    PlateMark(
        c,
        [&](uint32_t h, const CQeStringW& uuid) {
          return QeProjectDb_Wellplatename_ReplaceCustom(h, uuid, c.f.plateNameKey);
        },
        1);
  });
  Case("QeProjectDb_Labware_GetCatalogueVersion", 1, [](Ctx& c) {
    int64_t version = -1;
    c.Ok(QeProjectDb_Labware_GetCatalogueVersion(c.h, c.T(0), version));
    EXPECT_EQ(version, 0);
  });
  // ---- Dishes ----
  Case("QeProjectDb_Dish_SaveAsCustomToDb", 3, [](Ctx& c) {
    const CQeStringW uuid = c.T(0), type = c.T(1), model = c.T(2);
    const CQeRectBase<double> sticker(0, 0, 10, 10);
    CQeSingleElementHolder dish(uuid, kQeCustomDishesCompany, type, model,
                                CQeLayoutElement(SQeShape(5000.0)), &sticker);
    c.Ok(QeProjectDb_Dish_SaveAsCustomToDb(c.h, dish), {"dishconfiguration", "dishname"});
    SQeProjectDbRow_dishdef row;
    bool found = false;
    ASSERT_EQ(QeProjectDb_Dishdef_GetOne(c.h, uuid, row, found), 0);
    ASSERT_TRUE(found);
    c.RoundTrip(row.wszType, type, "type");
    c.RoundTrip(row.wszModel, model, "model");
  });
  Case("QeProjectDb_Dishname_InsertMany", 2, [](Ctx& c) {
    const CQeStringW uuid = c.T(0), model = c.T(1);
    const int64_t key = AddDish(c, uuid, model);
    SQeProjectDbRow_dishdef row;
    ASSERT_EQ(QeProjectDb_Dishdef_GetOne(c.h, key, row), 0);
    c.RoundTrip(row.wszUuid, uuid, "uuid");
    c.RoundTrip(row.wszModel, model, "model");
  });
  Case(
      "QeProjectDb_Dishdef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_dishdef& "
      "row, bool& found)",
      1, [](Ctx& c) {
        const CQeStringW uuid = c.T(0);
        const int64_t key = AddDish(c, uuid, L"m");
        SQeProjectDbRow_dishdef row;
        bool found = false;
        c.Ok(QeProjectDb_Dishdef_GetOne(c.h, uuid, row, found));
        EXPECT_TRUE(found);
        EXPECT_EQ(row.iKey, key);
      });
  Case(
      "QeProjectDb_Dishdef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_dishdef& "
      "row)",
      1, [](Ctx& c) {
        SQeProjectDbRow_dishdef row;
        c.Ok(QeProjectDb_Dishdef_GetOne(c.h, c.T(0), row));
        EXPECT_EQ(row.iKey, 0);
      });
  Case("QeProjectDb_Dishdef_FindCustom", 1, [](Ctx& c) {
    const CQeStringW model = c.T(0);
    const int64_t key = AddDish(c, c.T(1), model);
    SQeProjectDbRow_dishdef row;
    bool found = false;
    c.Ok(QeProjectDb_Dishdef_FindCustom(c.h, model, row, found));
    EXPECT_TRUE(found);
    EXPECT_EQ(row.iKey, key);
  });
  Case("QeProjectDb_Dishconfig_GetOne", 1, [](Ctx& c) {
    SQeProjectDbRow_dishconfiguration row;
    c.Ok(QeProjectDb_Dishconfig_GetOne(c.h, c.T(0), row));
    EXPECT_EQ(row.iKey, 0);
  });
  Case("QeProjectDb_Dishname_RemoveCustom", 2,
       [](Ctx& c) { DishMark(c, QeProjectDb_Dishname_RemoveCustom, 1); });
  Case("QeProjectDb_Dishname_UnremoveCustom", 2,
       [](Ctx& c) { DishMark(c, QeProjectDb_Dishname_UnremoveCustom, 0); });
  // ---- Slides ----
  Case("QeProjectDb_Slidedef_InsertMany", 2, [](Ctx& c) {
    const CQeStringW uuid = c.T(0), company = c.T(1);
    const int64_t key = AddSlide(c, uuid, company);
    SQeProjectDbRow_slidedef row;
    ASSERT_EQ(QeProjectDb_Slidedef_GetOne(c.h, key, row), 0);
    c.RoundTrip(row.wszUuid, uuid, "uuid");
    c.RoundTrip(row.wszCompany, company, "company");
  });
  Case(
      "QeProjectDb_Slidedef_GetOne(uint32_t h, const CQeStringW& uuid, SQeProjectDbRow_slidedef& "
      "row)",
      1, [](Ctx& c) {
        const CQeStringW uuid = c.T(0);
        const int64_t key = AddSlide(c, uuid, L"c");
        SQeProjectDbRow_slidedef row;
        c.Ok(QeProjectDb_Slidedef_GetOne(c.h, uuid, row));
        EXPECT_EQ(row.iKey, key);
      });
  Case("QeProjectDb_Slidedef_GetOneByName", 1, [](Ctx& c) {
    const CQeStringW company = c.T(0);
    const int64_t key = AddSlide(c, c.T(1), company);
    SQeProjectDbRow_slidedef row;
    bool found = false;
    c.Ok(QeProjectDb_Slidedef_GetOneByName(c.h, company, row, found, true));
    EXPECT_TRUE(found);
    EXPECT_EQ(row.iKey, key);
  });
  Case("QeProjectDb_Slidedef_Remove", 2, [](Ctx& c) {
    const CQeStringW uuid = c.T(0);
    const int64_t key = AddSlide(c, uuid, c.T(1));
    c.Ok(QeProjectDb_Slidedef_Remove(c.h, uuid));
    SQeProjectDbRow_slidedef row;
    ASSERT_EQ(QeProjectDb_Slidedef_GetOne(c.h, key, row), 0);
    EXPECT_EQ(row.iRemoved, 1);
  });
  // ---- Labware a run used ----
  Case("QeProjectDb_Plateinfo_Insert", 3, [](Ctx& c) {
    const CQeStringW name = c.T(0), barcode = c.T(1), desc = c.T(2);
    int64_t key = 0;
    c.Ok(QeProjectDb_Plateinfo_Insert(c.h, c.f.runKey, c.f.plateNameKey, name, barcode, desc, &key),
         {"plateinfo"});
    SQeProjectDbRow_plateinfo row;
    ASSERT_EQ(QeProjectDb_Plateinfo_GetOne(c.h, key, row), 0);
    c.RoundTrip(row.wszName, name, "name");
    c.RoundTrip(row.wszBarcode, barcode, "barcode");
    c.RoundTrip(row.wszDesc, desc, "description");
  });
  Case("QeProjectDb_Plateinfo_InsertMany", 3, [](Ctx& c) {
    std::vector<SQeProjectDbRow_plateinfo> rows = {
        {0, c.f.runKey, c.f.plateNameKey, c.T(0), c.T(1), c.T(2)}};
    const SQeProjectDbRow_plateinfo given = rows[0];
    c.Ok(QeProjectDb_Plateinfo_InsertMany(c.h, rows), {"plateinfo"});
    SQeProjectDbRow_plateinfo row;
    ASSERT_EQ(QeProjectDb_Plateinfo_GetOne(c.h, rows[0].iKey, row), 0);
    c.RoundTrip(row.wszName, given.wszName, "name");
    c.RoundTrip(row.wszBarcode, given.wszBarcode, "barcode");
    c.RoundTrip(row.wszDesc, given.wszDesc, "description");
  });
  Case("QeProjectDb_Plateinfo_Exists", 1, [](Ctx& c) {
    const CQeStringW uuid = c.T(0);
    EXPECT_FALSE(QeProjectDb_Plateinfo_Exists(c.h, uuid));
    const int64_t key = AddPlate(c, uuid, L"m");
    ASSERT_EQ(QeProjectDb_Plateinfo_Insert(c.h, c.f.runKey, key, L"p", L"b", L"d", nullptr), 0);
    c.MayAdd({"plateinfo"});
    EXPECT_TRUE(QeProjectDb_Plateinfo_Exists(c.h, uuid));
  });
  Case("QeProjectDb_Slideinfo_Insert", 3, [](Ctx& c) {
    const CQeStringW name = c.T(0), barcode = c.T(1), desc = c.T(2);
    int64_t key = 0;
    c.Ok(QeProjectDb_Slideinfo_Insert(c.h, c.f.runKey, name, barcode, desc, &key), {"slideinfo"});
    SQeProjectDbRow_slideinfo row;
    ASSERT_EQ(QeProjectDb_Slideinfo_GetOne(c.h, key, row), 0);
    c.RoundTrip(row.wszName, name, "name");
    c.RoundTrip(row.wszBarcode, barcode, "barcode");
    c.RoundTrip(row.wszDesc, desc, "description");
  });
  Case("QeProjectDb_Slideinfo_InsertMany", 2, [](Ctx& c) {
    std::vector<SQeProjectDbRow_slideinfo> rows = {{0, c.f.runKey, c.T(0), c.T(1), L"d"}};
    const SQeProjectDbRow_slideinfo given = rows[0];
    c.Ok(QeProjectDb_Slideinfo_InsertMany(c.h, rows), {"slideinfo"});
    SQeProjectDbRow_slideinfo row;
    ASSERT_EQ(QeProjectDb_Slideinfo_GetOne(c.h, rows[0].iKey, row), 0);
    c.RoundTrip(row.wszName, given.wszName, "name");
    c.RoundTrip(row.wszBarcode, given.wszBarcode, "barcode");
  });
  Case("QeProjectDb_Slideinfo_UpdateBarcode", 1, [](Ctx& c) {
    const CQeStringW barcode = c.T(0);
    c.Ok(QeProjectDb_Slideinfo_UpdateBarcode(c.h, c.f.slideinfoKey, barcode));
    c.MayChange("slideinfo", c.f.slideinfoKey);
    SQeProjectDbRow_slideinfo row;
    ASSERT_EQ(QeProjectDb_Slideinfo_GetOne(c.h, c.f.slideinfoKey, row), 0);
    c.RoundTrip(row.wszBarcode, barcode, "barcode");
  });
  Case("QeProjectDb_Wellinfo_Insert", 1, [](Ctx& c) {
    const CQeStringW name = c.T(0);
    int64_t key = 0;
    c.Ok(QeProjectDb_Wellinfo_Insert(c.h, c.f.runKey, 5, name, &key), {"wellinfo"});
    c.RoundTrip(WellName(c, key), name, "name");
  });
  Case("QeProjectDb_Wellinfo_InsertMany", 1, [](Ctx& c) {
    const CQeStringW name = c.T(0);
    std::vector<SQeProjectDbRow_wellinfo> rows = {{0, c.f.runKey, 6, name}};
    c.Ok(QeProjectDb_Wellinfo_InsertMany(c.h, rows), {"wellinfo"});
    c.RoundTrip(WellName(c, rows[0].iKey), name, "name");
  });
  return 0;
}();

}  // namespace
}  // namespace qe::hostile

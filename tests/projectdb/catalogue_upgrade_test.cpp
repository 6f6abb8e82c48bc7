// Bringing the built-in catalogue into project databases: what a refresh
// writes, version bounds, diagnostics and failures that leave nothing
// behind.
#include <list>
#include <map>
#include <string>

#include "projectdb/records_labware_support.h"
#include "qe/core/lite_variant.h"
#include "qe/core/status.h"
#include "qe/projectdb/records/labware_catalogue.h"
#include "qe/projectdb/records/labware_dish.h"

namespace qe::test {
namespace {

using Catalogue = CQeInsertObjectDatabase;

constexpr auto Plates = &QeProjectDb_Wellplatedef_JobsUpgradeSystemPlateDefs;
constexpr auto Dishes = &QeProjectDb_Wellplatedef_JobsUpgradeSystemDishDefs;
constexpr auto Slides = &QeProjectDb_Wellplatedef_JobsUpgradeSystemSlideDefs;

class CatalogueUpgrade : public CatalogueDbTest {
 protected:
  void RefreshAll() {
    ASSERT_EQ(Plates(h_, 6), eQeOk);
    ASSERT_EQ(Dishes(h_, 2), eQeOk);
    ASSERT_EQ(Slides(h_, 2), eQeOk);
  }
};

template <typename T>
T Load(const CQeByteArray& bytes) {
  T object;
  CQeLiteVariantR reader(bytes);
  EXPECT_EQ(object.LoadFromLiteVariant(reader), eQeOk);
  return object;
}

// The entries of a list by the uuid each gives.
template <typename List, typename UuidOf>
auto ByUuid(const List& list, UuidOf uuidOf) {
  std::map<std::wstring, const typename List::value_type*> entries;
  for (const auto& entry : list) entries[uuidOf(entry).str()] = &entry;
  return entries;
}

std::wstring Names(const auto& row) {
  return (row.wszCompany + L"/" + row.wszType + L"/" + row.wszModel).str();
}

// A stored dish or slide row holds the geometry of the holder.
void ExpectHolder(const auto& row, const CQeSingleElementHolder& holder) {
  EXPECT_EQ(CQeRectBase<double>(row.stickerL, row.stickerT, row.stickerR, row.stickerB),
            holder.GetStickerRect());
  EXPECT_TRUE(
      Load<CQeLayoutElement>(row.layoutelement).EqualElement(holder.GetLayoutElement(), false));
  SQeShape outline;
  holder.GetShape(outline);
  EXPECT_EQ(Load<SQeShape>(row.surroundarea), outline);
}

// The stored rows hold the catalogue entry by entry: names (blanks kept),
// links to the geometries, and geometries equal to the catalogue's.
TEST_F(CatalogueUpgrade, NewDatabaseRefreshedHoldsExactlyTheCatalogue) {
  {
    DiagLines diag;
    RefreshAll();
    EXPECT_EQ(diag.Joined(),
              "Updating Wellplate definitions... | Upgrade (phase 1) OK | Upgrade (phase 2) OK | "
              "Updating Dish definitions... | Upgrade (phase 1) OK | Upgrade (phase 2) OK | "
              "Updating Slide definitions... | Upgrade OK");
  }
  EXPECT_EQ(State(), "52 422 27 111 5: 6 2 2");

  const auto plateGeometries =
      ByUuid(Catalogue::m_vectWellplateConfigs, [](auto& c) { return c.wellplate.GetUuid(); });
  std::list<SQeProjectDbRow_wellplatedef> plates;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetAll(h_, plates), eQeOk);
  auto storedPlates = ByUuid(plates, [](auto& row) { return row.wszUuid; });
  for (const auto& name : Catalogue::m_vectWellplateNames) {
    SCOPED_TRACE(name.wszModel.ToUtf8());
    const SQeProjectDbRow_wellplatedef* row = storedPlates[name.wszUuid.str()];
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(Names(*row), Names(name));
    const CQeWellplate geometry = Load<CQeWellplate>(row->pData);
    EXPECT_EQ(geometry.GetUuid(), name.wszConfigUuid);
    EXPECT_TRUE(geometry.EqualWellplate(plateGeometries.at(name.wszConfigUuid.str())->wellplate));
    EXPECT_EQ(static_cast<uint32_t>(row->iRowCount * row->iColCount), geometry.GetElementCount());
  }
  const auto dishGeometries =
      ByUuid(Catalogue::m_vectDishConfigs, [](auto& c) { return c.holder.GetUuid(); });
  std::list<SQeProjectDbRow_dishdef> dishes;
  ASSERT_EQ(QeProjectDb_Dishdef_GetAll(h_, dishes), eQeOk);
  auto storedDishes = ByUuid(dishes, [](auto& row) { return row.wszUuid; });
  for (const auto& name : Catalogue::m_vectDishNames) {
    SCOPED_TRACE(name.wszModel.ToUtf8());
    const SQeProjectDbRow_dishdef* row = storedDishes[name.wszUuid.str()];
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(Names(*row), Names(name));
    ExpectHolder(*row, dishGeometries.at(name.wszConfigUuid.str())->holder);
  }
  // Refreshing again writes nothing and says nothing.
  DiagLines diag;
  RefreshAll();
  EXPECT_EQ(diag.Joined(), "");
  EXPECT_EQ(State(), "52 422 27 111 5: 6 2 2");
}

TEST_F(CatalogueUpgrade, FromFourToSixAddsOnlyTheNewerEntries) {
  ASSERT_EQ(Plates(h_, 4), eQeOk);
  EXPECT_EQ(State(), "50 415 0 0 0: 4 0 0");
  ASSERT_EQ(Plates(h_, 6), eQeOk);
  EXPECT_EQ(State(), "52 422 0 0 0: 6 0 0");
  // The rows of version 4 kept their keys; the new ones came after them.
  EXPECT_EQ(Count(L"wellplatename WHERE iKey>415 AND (wszModel='353219' OR wszCompany='IBIDI')"),
            7);
  EXPECT_EQ(Int(L"SELECT iKey FROM wellplatename WHERE wszModel='3368'"), 1);
}

TEST_F(CatalogueUpgrade, VersionBounds) {
  EXPECT_EQ(Plates(h_, 7), eQeFailed);
  EXPECT_EQ(Dishes(h_, 3), eQeFailed);
  EXPECT_EQ(State(), "0 0 0 0 0: 0 0 0");
  RefreshAll();
  EXPECT_EQ(Plates(h_, 5), eQeFailed);
  EXPECT_EQ(State(), "52 422 27 111 5: 6 2 2");
}

TEST_F(CatalogueUpgrade, FailedPhaseOneWritesNoNamesAndKeepsTheVersion) {
  ASSERT_EQ(Plates(h_, 3), eQeOk);
  // A geometry stored under a catalogue uuid makes the catalogue's insert fail.
  ASSERT_EQ(Exec(L"INSERT INTO wellplateconfiguration(wszUuid,iRowCount,iColCount,iRowNaming,"
                 L"iColNaming) VALUES('89399cb293be4e2e90ba805bff7a9326',1,1,0,0);"),
            0);
  {
    DiagLines diag;
    EXPECT_EQ(Plates(h_, 6), eQeFailed);
    EXPECT_EQ(diag.Joined(), "Updating Wellplate definitions... | Upgrade (phase 1) FAILED");
  }
  EXPECT_EQ(State(), "1 0 0 0 0: 3 0 0");
}

}  // namespace
}  // namespace qe::test

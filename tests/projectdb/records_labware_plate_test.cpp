// Plate records: the joined view, custom removal and replacement, the
// replacement walk and the catalogue replacement transaction. Hostile texts
// in every labware record function are the hostile suite's.
#include <list>
#include <utility>
#include <vector>

#include "projectdb/records_labware_support.h"
#include "qe/projectdb/records/labware_plate.h"

namespace qe::test {
namespace {

using PlateTest = LabwareDbTest;
const CQeStringW kCustom = kQeCustomWellplatesCompany;

TEST_F(PlateTest, ViewJoinsNameAndConfiguration) {
  const int64_t key = InsertPlate(L"p1", L"Corning", L"3368");
  SQeProjectDbRow_wellplatedef plate;
  bool found = false;
  ASSERT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"p1", plate, found), 0);
  ASSERT_TRUE(found);
  EXPECT_EQ(std::vector<int64_t>({plate.iKey, plate.iRowCount, plate.iColCount, plate.iRowNaming,
                                  plate.iWellplatenameKeyRef}),
            std::vector<int64_t>({key, 8, 12, 1, 0}));
  EXPECT_EQ(plate.wszCompany + L"/" + plate.wszModel, L"Corning/3368");
  EXPECT_EQ(plate.pData, CQeByteArray("geometry", 8));
  // The replacing key 0 is stored as NULL, which the foreign key allows.
  EXPECT_EQ(Text(L"SELECT typeof(iWellplatenameKeyRef) FROM wellplatename"), "null");
  SQeProjectDbRow_wellplatedef byKey;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, key, byKey), 0);
  EXPECT_EQ(byKey.wszUuid, L"p1");
  InsertPlate(L"p2", L"Greiner", L"655101", 16, 24);
  std::list<SQeProjectDbRow_wellplatedef> all(1);
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetAll(h_, all), 0);
  EXPECT_EQ(all.size(), 3u);                                 // appended after the caller's element
  EXPECT_NE(QeProjectDb_Wellplatedef_GetAll(9999, all), 0);  // an unknown handle
}

TEST_F(PlateTest, OnlyCustomPlatesAreRemovedRestoredOrReplaced) {
  InsertPlate(L"builtin", L"Corning", L"3368");
  const int64_t custom = InsertPlate(L"custom", kCustom, L"Mine");
  EXPECT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"builtin"), 0);
  EXPECT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"builtin", custom), 0);
  EXPECT_EQ(Text(L"SELECT iRemoved||typeof(iWellplatenameKeyRef) FROM wellplatename WHERE "
                 L"wszUuid='builtin'"),
            "0null");
  EXPECT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"custom"), 0);
  SQeProjectDbRow_wellplatedef plate;
  bool found = true;
  EXPECT_EQ(QeProjectDb_Wellplatedef_FindCustom(h_, L"Mine", plate, found), 0);
  EXPECT_FALSE(found);  // a removed plate is not offered
  EXPECT_EQ(QeProjectDb_Wellplatename_UnremoveCustom(h_, L"custom"), 0);
  EXPECT_EQ(QeProjectDb_Wellplatedef_FindCustom(h_, L"Mine", plate, found), 0);
  EXPECT_TRUE(found);
}

TEST_F(PlateTest, GetLatestFollowsAChainOfThree) {
  SQeProjectDbRow_wellplatedef plate;
  plate.wszModel = L"kept";
  bool found = true;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, L"a", plate, found), 0);
  EXPECT_FALSE(found);
  EXPECT_EQ(plate.wszModel, L"kept");  // nothing read, nothing written

  InsertPlate(L"a", kCustom, L"M");
  const int64_t b = InsertPlate(L"b", kCustom, L"M");
  const int64_t c = InsertPlate(L"c", kCustom, L"M");
  ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"a", b), 0);
  ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"b", c), 0);
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, L"a", plate, found), 0);
  EXPECT_TRUE(found);
  EXPECT_EQ(plate.wszUuid + L"/" + plate.wszModel, L"c/M");
  EXPECT_EQ(plate.iRemoved, 0);
  SQeProjectDbRow_wellplatedef same;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, L"c", same), 0);
  EXPECT_EQ(same.wszUuid, L"c");
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"a", same), 0);
  EXPECT_EQ(std::vector<int64_t>({same.iRemoved, same.iWellplatenameKeyRef}),
            std::vector<int64_t>({1, b}));
}

// A loop, a plate that names itself and a successor without a row (as a file
// written without foreign keys may hold) all end the walk.
TEST_F(PlateTest, GetLatestEndsOnALoopOrAnUnreadableSuccessor) {
  const int64_t a = InsertPlate(L"a", kCustom, L"M");
  const int64_t b = InsertPlate(L"b", kCustom, L"M");
  const int64_t c = InsertPlate(L"c", kCustom, L"M");
  InsertPlate(L"d", kCustom, L"M");
  ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"a", b), 0);
  ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"b", a), 0);
  ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"c", c), 0);
  ASSERT_EQ(Exec(L"PRAGMA foreign_keys=0;"), 0);
  ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"d", 999), 0);
  ASSERT_EQ(Exec(L"PRAGMA foreign_keys=1;"), 0);
  for (const auto& [start, end] : {std::pair{L"a", L"b"}, {L"c", L"c"}, {L"d", L"d"}}) {
    SQeProjectDbRow_wellplatedef plate;
    bool found = false;
    EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, start, plate, found), 0);
    EXPECT_TRUE(found);
    EXPECT_EQ(plate.wszUuid, end);
  }
}

TEST_F(PlateTest, DeleteStopsAtTheFirstFailure) {
  const int64_t a = InsertPlate(L"a", L"X", L"1");
  const int64_t b = InsertPlate(L"b", L"X", L"2");
  const int64_t c = InsertPlate(L"c", L"X", L"3");
  EXPECT_EQ(QeProjectDb_Wellplatename_Delete(h_, {}), 0);
  ASSERT_EQ(Exec(L"CREATE TEMP TRIGGER keep_b BEFORE DELETE ON wellplatename WHEN old.wszUuid='b' "
                 L"BEGIN SELECT RAISE(ABORT, 'kept'); END;"),
            0);
  EXPECT_EQ(QeProjectDb_Wellplatename_Delete(h_, {a, b, c}), 19);
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM wellplatename"), "b,c");
  EXPECT_EQ(QeProjectDb_Wellplatename_Delete(h_, {12345, c}), 0);  // a missing key is no failure
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM wellplatename"), "b");
  // Deleting a configuration takes its name rows with it.
  ASSERT_EQ(Exec(L"DROP TRIGGER keep_b;"), 0);
  const int64_t config = Int(L"SELECT iWellplateconfigKeyRef FROM wellplatename");
  EXPECT_EQ(QeProjectDb_Wellplateconfig_Delete(h_, {config}), 0);
  EXPECT_EQ(Int(L"SELECT COUNT(*) FROM wellplatename WHERE iKey=" + std::to_wstring(b)), 0);
}

TEST_F(PlateTest, UpgradeReplacesRowsAndStoresTheVersion) {
  InsertPlate(L"old", L"Corning", L"1");
  const int64_t config = Int(L"SELECT iWellplateconfigKeyRef FROM wellplatename");
  std::list<SQeProjectDbRow_wellplateconfiguration> configs{
      {0, L"c4", 16, 24, 1, 0, CQeByteArray("384", 3)}};
  EXPECT_EQ(QeProjectDb_Wellplateconfig_Upgrade(h_, configs, {config}, 4), 0);
  std::list<SQeProjectDbRow_wellplatename> names{
      {0, L"n4", configs.front().iKey, L"Greiner", L"T", L"781", 0, 0, 0}};
  EXPECT_EQ(QeProjectDb_Wellplatename_Upgrade(h_, names, {}, 5), 0);
  // The old configuration went, and its name row with it.
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM wellplatename"), "n4");
  EXPECT_EQ(Text(L"SELECT group_concat(wszName||iVersion) FROM vesion"), "main77,plate5");
  std::list<SQeProjectDbRow_wellplatename> none;
  EXPECT_EQ(QeProjectDb_Wellplatename_Upgrade(h_, none, {}, 5), 0);  // the same version again
  EXPECT_EQ(Text(L"SELECT group_concat(wszName||iVersion) FROM vesion"), "main77,plate5");
  EXPECT_EQ(QeProjectDb_Wellplatename_Upgrade(9999, none, {}, 1), -9);  // an unknown handle
}

TEST_F(PlateTest, UpgradeWhoseInsertFailsRollsEverythingBack) {
  std::list<SQeProjectDbRow_wellplateconfiguration> first{{0, L"c1", 8, 12, 1, 0, CQeByteArray()}};
  ASSERT_EQ(QeProjectDb_Wellplateconfig_Upgrade(h_, first, {}, 4), 0);
  const int64_t kept = InsertPlate(L"kept", L"Corning", L"1");
  // The second new row names a configuration that does not exist, so the
  // insert fails after the delete and the first insert went through.
  std::list<SQeProjectDbRow_wellplatename> names{
      {0, L"fresh", first.front().iKey, L"X", L"T", L"2", 0, 0, 0},
      {0, L"broken", 99999, L"X", L"T", L"3", 0, 0, 0}};
  EXPECT_EQ(QeProjectDb_Wellplatename_Upgrade(h_, names, {kept}, 6), -9);
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM wellplatename"), "kept");
  EXPECT_EQ(Int(L"SELECT iVersion FROM vesion WHERE wszName='plate'"), 4);
  // Inside a caller's transaction a replacement that would succeed refuses.
  names.pop_back();
  ASSERT_EQ(QeProjectDb_Db_TransactionBegin(h_), 0);
  EXPECT_EQ(QeProjectDb_Wellplatename_Upgrade(h_, names, {kept}, 6), -9);
  EXPECT_EQ(QeProjectDb_Db_TransactionCommit(h_), 0);
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM wellplatename"), "kept");
}

}  // namespace
}  // namespace qe::test

// Plate records: custom removal and replacement, the replacement walk and
// the catalogue replacement transaction. Hostile texts in every labware
// record function are the hostile suite's.
#include <list>
#include <map>
#include <string>
#include <utility>

#include "projectdb/records_labware_support.h"
#include "qe/projectdb/records/labware_plate.h"

namespace qe::test {
namespace {

using PlateTest = LabwareDbTest;
const CQeStringW kCustom = kQeCustomWellplatesCompany;

TEST_F(PlateTest, OnlyCustomPlatesAreRemovedOrReplaced) {
  InsertPlate(L"builtin", L"Corning", L"3368");
  const int64_t custom = InsertPlate(L"custom", kCustom, L"Mine");
  EXPECT_EQ(QeProjectDb_Wellplatename_RemoveCustom(h_, L"builtin"), 0);
  EXPECT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"builtin", custom), 0);
  // The replacing key 0 is stored as NULL, which the foreign key allows.
  EXPECT_EQ(Text(L"SELECT group_concat(iRemoved||typeof(iWellplatenameKeyRef)) FROM wellplatename"),
            "0null,0null");
}

// The walk follows a chain of three to its end; a loop, a plate that names
// itself and a successor without a row (as a file written without foreign
// keys may hold) all end it.
TEST_F(PlateTest, GetLatestFollowsAChainAndEndsOnALoopOrAnUnreadableSuccessor) {
  SQeProjectDbRow_wellplatedef plate;
  bool found = true;
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, L"a", plate, found), 0);
  EXPECT_FALSE(found);
  std::map<std::wstring, int64_t> keys;
  for (const wchar_t* uuid : {L"a", L"b", L"c", L"x", L"y", L"self", L"lost"}) {
    keys[uuid] = InsertPlate(uuid, kCustom, L"M");
  }
  for (const auto& [uuid, by] :
       {std::pair{L"a", L"b"}, {L"b", L"c"}, {L"x", L"y"}, {L"y", L"x"}, {L"self", L"self"}}) {
    ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, uuid, keys[by]), 0);
  }
  ASSERT_EQ(Exec(L"PRAGMA foreign_keys=0;"), 0);
  ASSERT_EQ(QeProjectDb_Wellplatename_ReplaceCustom(h_, L"lost", 999), 0);
  ASSERT_EQ(Exec(L"PRAGMA foreign_keys=1;"), 0);
  for (const auto& [start, end] :
       {std::pair{L"a", L"c"}, {L"x", L"y"}, {L"self", L"self"}, {L"lost", L"lost"}}) {
    EXPECT_EQ(QeProjectDb_Wellplatedef_GetLatest(h_, start, plate, found), 0);
    EXPECT_TRUE(found);
    EXPECT_EQ(plate.wszUuid, end) << CQeStringW(start).ToUtf8();
  }
  EXPECT_EQ(QeProjectDb_Wellplatedef_GetOne(h_, L"a", plate), 0);
  EXPECT_EQ(std::make_pair(plate.iRemoved, plate.iWellplatenameKeyRef),
            std::make_pair(1, keys[L"b"]));
}

TEST_F(PlateTest, UpgradeReplacesRowsOrRollsEverythingBack) {
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
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 4);
  // Inside a caller's transaction a replacement that would succeed refuses.
  names.pop_back();
  ASSERT_EQ(QeProjectDb_Db_TransactionBegin(h_), 0);
  EXPECT_EQ(QeProjectDb_Wellplatename_Upgrade(h_, names, {kept}, 6), -9);
  EXPECT_EQ(QeProjectDb_Db_TransactionCommit(h_), 0);
  EXPECT_EQ(QeProjectDb_Wellplatename_Upgrade(h_, names, {kept}, 6), 0);
  EXPECT_EQ(Text(L"SELECT group_concat(wszUuid) FROM wellplatename"), "fresh");
  EXPECT_EQ(Version(kQeCatalogueVersionPlate), 6);
}

}  // namespace
}  // namespace qe::test

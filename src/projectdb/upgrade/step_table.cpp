// The exported upgrade steps and their chain, in the order the upgrade
// runs them.
#include "projectdb/upgrade/steps.h"
#include "qe/core/status.h"
#include "qe/projectdb/upgrade.h"

using namespace qe::upgrade;

namespace {
// No exception leaves the library: a step that throws (out of memory while
// building its script) fails like a step whose script failed; its
// transaction, if begun, stays open for the caller to discard.
int Guarded(sqlite3* db, int (*step)(sqlite3*)) {
  try {
    return step(db);
  } catch (...) {
    return eQeFailed;
  }
}
}  // namespace

int QeProjectDb_Db_Upgrade_From_010_To_011(sqlite3* db) { return Guarded(db, From010To011); }
int QeProjectDb_Db_Upgrade_From_011_To_012(sqlite3* db) { return Guarded(db, From011To012); }
int QeProjectDb_Db_Upgrade_From_012_To_013(sqlite3* db) { return Guarded(db, From012To013); }
int QeProjectDb_Db_Upgrade_From_013_To_014(sqlite3* db) { return Guarded(db, From013To014); }
int QeProjectDb_Db_Upgrade_From_014_To_015(sqlite3* db) { return Guarded(db, From014To015); }
int QeProjectDb_Db_Upgrade_From_015_To_016(sqlite3* db) { return Guarded(db, From015To016); }
int QeProjectDb_Db_Upgrade_From_016_To_017(sqlite3* db) { return Guarded(db, From016To017); }
int QeProjectDb_Db_Upgrade_From_017_To_018(sqlite3* db) { return Guarded(db, From017To018); }
int QeProjectDb_Db_Upgrade_From_018_To_019(sqlite3* db) { return Guarded(db, From018To019); }
int QeProjectDb_Db_Upgrade_From_019_To_020(sqlite3* db) { return Guarded(db, From019To020); }
int QeProjectDb_Db_Upgrade_From_020_To_021(sqlite3* db) { return Guarded(db, From020To021); }
int QeProjectDb_Db_Upgrade_From_021_To_022(sqlite3* db) { return Guarded(db, From021To022); }
int QeProjectDb_Db_Upgrade_From_022_To_023(sqlite3* db) { return Guarded(db, From022To023); }
int QeProjectDb_Db_Upgrade_From_023_To_024(sqlite3* db) { return Guarded(db, From023To024); }
int QeProjectDb_Db_Upgrade_From_024_To_025(sqlite3* db) { return Guarded(db, From024To025); }
int QeProjectDb_Db_Upgrade_From_025_To_026(sqlite3* db) { return Guarded(db, From025To026); }
int QeProjectDb_Db_Upgrade_From_026_To_027(sqlite3* db) { return Guarded(db, From026To027); }
int QeProjectDb_Db_Upgrade_From_027_To_028(sqlite3* db) { return Guarded(db, From027To028); }
int QeProjectDb_Db_Upgrade_From_028_To_029(sqlite3* db) { return Guarded(db, From028To029); }
int QeProjectDb_Db_Upgrade_From_029_To_030(sqlite3* db) { return Guarded(db, From029To030); }
int QeProjectDb_Db_Upgrade_From_030_To_031(sqlite3* db) { return Guarded(db, From030To031); }
int QeProjectDb_Db_Upgrade_From_031_To_032(sqlite3* db) { return Guarded(db, From031To032); }
int QeProjectDb_Db_Upgrade_From_032_To_033(sqlite3* db) { return Guarded(db, From032To033); }
int QeProjectDb_Db_Upgrade_From_033_To_034(sqlite3* db) { return Guarded(db, From033To034); }
int QeProjectDb_Db_Upgrade_From_034_To_035(sqlite3* db) { return Guarded(db, From034To035); }
int QeProjectDb_Db_Upgrade_From_035_To_036(sqlite3* db) { return Guarded(db, From035To036); }
int QeProjectDb_Db_Upgrade_From_036_To_037(sqlite3* db) { return Guarded(db, From036To037); }
int QeProjectDb_Db_Upgrade_From_037_To_038(sqlite3* db) { return Guarded(db, From037To038); }
int QeProjectDb_Db_Upgrade_From_038_To_039(sqlite3* db) { return Guarded(db, From038To039); }
int QeProjectDb_Db_Upgrade_From_039_To_040(sqlite3* db) { return Guarded(db, From039To040); }
int QeProjectDb_Db_Upgrade_From_040_To_041(sqlite3* db) { return Guarded(db, From040To041); }
int QeProjectDb_Db_Upgrade_From_041_To_042(sqlite3* db) { return Guarded(db, From041To042); }
int QeProjectDb_Db_Upgrade_From_042_To_043(sqlite3* db) { return Guarded(db, From042To043); }
int QeProjectDb_Db_Upgrade_From_043_To_044(sqlite3* db) { return Guarded(db, From043To044); }
int QeProjectDb_Db_Upgrade_From_044_To_045(sqlite3* db) { return Guarded(db, From044To045); }
int QeProjectDb_Db_Upgrade_From_045_To_046(sqlite3* db) { return Guarded(db, From045To046); }
int QeProjectDb_Db_Upgrade_From_046_To_047(sqlite3* db) { return Guarded(db, From046To047); }
int QeProjectDb_Db_Upgrade_From_047_To_048(sqlite3* db) { return Guarded(db, From047To048); }
int QeProjectDb_Db_Upgrade_From_048_To_060(sqlite3* db) { return Guarded(db, From048To060); }
int QeProjectDb_Db_Upgrade_From_060_To_061(sqlite3* db) { return Guarded(db, From060To061); }
int QeProjectDb_Db_Upgrade_From_061_To_062(sqlite3* db) { return Guarded(db, From061To062); }
int QeProjectDb_Db_Upgrade_From_062_To_063(sqlite3* db) { return Guarded(db, From062To063); }
int QeProjectDb_Db_Upgrade_From_063_To_064(sqlite3* db) { return Guarded(db, From063To064); }
int QeProjectDb_Db_Upgrade_From_064_To_065(sqlite3* db) { return Guarded(db, From064To065); }
int QeProjectDb_Db_Upgrade_From_065_To_066(sqlite3* db) { return Guarded(db, From065To066); }
int QeProjectDb_Db_Upgrade_From_066_To_067(sqlite3* db) { return Guarded(db, From066To067); }
int QeProjectDb_Db_Upgrade_From_067_To_068(sqlite3* db) { return Guarded(db, From067To068); }
int QeProjectDb_Db_Upgrade_From_068_To_069(sqlite3* db) { return Guarded(db, From068To069); }
int QeProjectDb_Db_Upgrade_From_069_To_070(sqlite3* db) { return Guarded(db, From069To070); }
int QeProjectDb_Db_Upgrade_From_070_To_071(sqlite3* db) { return Guarded(db, From070To071); }
int QeProjectDb_Db_Upgrade_From_071_To_072(sqlite3* db) { return Guarded(db, From071To072); }
int QeProjectDb_Db_Upgrade_From_072_To_073(sqlite3* db) { return Guarded(db, From072To073); }
int QeProjectDb_Db_Upgrade_From_073_To_074(sqlite3* db) { return Guarded(db, From073To074); }
int QeProjectDb_Db_Upgrade_From_074_To_075(sqlite3* db) { return Guarded(db, From074To075); }
int QeProjectDb_Db_Upgrade_From_075_To_076(sqlite3* db) { return Guarded(db, From075To076); }
int QeProjectDb_Db_Upgrade_From_076_To_077(sqlite3* db) { return Guarded(db, From076To077); }

constinit const SQeProjectDbUpgradeStep g_QeProjectDbUpgradeSteps[kQeProjectDbUpgradeStepCount] = {
    {10, 11, &QeProjectDb_Db_Upgrade_From_010_To_011},
    {11, 12, &QeProjectDb_Db_Upgrade_From_011_To_012},
    {12, 13, &QeProjectDb_Db_Upgrade_From_012_To_013},
    {13, 14, &QeProjectDb_Db_Upgrade_From_013_To_014},
    {14, 15, &QeProjectDb_Db_Upgrade_From_014_To_015},
    {15, 16, &QeProjectDb_Db_Upgrade_From_015_To_016},
    {16, 17, &QeProjectDb_Db_Upgrade_From_016_To_017},
    {17, 18, &QeProjectDb_Db_Upgrade_From_017_To_018},
    {18, 19, &QeProjectDb_Db_Upgrade_From_018_To_019},
    {19, 20, &QeProjectDb_Db_Upgrade_From_019_To_020},
    {20, 21, &QeProjectDb_Db_Upgrade_From_020_To_021},
    {21, 22, &QeProjectDb_Db_Upgrade_From_021_To_022},
    {22, 23, &QeProjectDb_Db_Upgrade_From_022_To_023},
    {23, 24, &QeProjectDb_Db_Upgrade_From_023_To_024},
    {24, 25, &QeProjectDb_Db_Upgrade_From_024_To_025},
    {25, 26, &QeProjectDb_Db_Upgrade_From_025_To_026},
    {26, 27, &QeProjectDb_Db_Upgrade_From_026_To_027},
    {27, 28, &QeProjectDb_Db_Upgrade_From_027_To_028},
    {28, 29, &QeProjectDb_Db_Upgrade_From_028_To_029},
    {29, 30, &QeProjectDb_Db_Upgrade_From_029_To_030},
    {30, 31, &QeProjectDb_Db_Upgrade_From_030_To_031},
    {31, 32, &QeProjectDb_Db_Upgrade_From_031_To_032},
    {32, 33, &QeProjectDb_Db_Upgrade_From_032_To_033},
    {33, 34, &QeProjectDb_Db_Upgrade_From_033_To_034},
    {34, 35, &QeProjectDb_Db_Upgrade_From_034_To_035},
    {35, 36, &QeProjectDb_Db_Upgrade_From_035_To_036},
    {36, 37, &QeProjectDb_Db_Upgrade_From_036_To_037},
    {37, 38, &QeProjectDb_Db_Upgrade_From_037_To_038},
    {38, 39, &QeProjectDb_Db_Upgrade_From_038_To_039},
    {39, 40, &QeProjectDb_Db_Upgrade_From_039_To_040},
    {40, 41, &QeProjectDb_Db_Upgrade_From_040_To_041},
    {41, 42, &QeProjectDb_Db_Upgrade_From_041_To_042},
    {42, 43, &QeProjectDb_Db_Upgrade_From_042_To_043},
    {43, 44, &QeProjectDb_Db_Upgrade_From_043_To_044},
    {44, 45, &QeProjectDb_Db_Upgrade_From_044_To_045},
    {45, 46, &QeProjectDb_Db_Upgrade_From_045_To_046},
    {46, 47, &QeProjectDb_Db_Upgrade_From_046_To_047},
    {47, 48, &QeProjectDb_Db_Upgrade_From_047_To_048},
    {48, 60, &QeProjectDb_Db_Upgrade_From_048_To_060},
    {60, 61, &QeProjectDb_Db_Upgrade_From_060_To_061},
    {61, 62, &QeProjectDb_Db_Upgrade_From_061_To_062},
    {62, 63, &QeProjectDb_Db_Upgrade_From_062_To_063},
    {63, 64, &QeProjectDb_Db_Upgrade_From_063_To_064},
    {64, 65, &QeProjectDb_Db_Upgrade_From_064_To_065},
    {65, 66, &QeProjectDb_Db_Upgrade_From_065_To_066},
    {66, 67, &QeProjectDb_Db_Upgrade_From_066_To_067},
    {67, 68, &QeProjectDb_Db_Upgrade_From_067_To_068},
    {68, 69, &QeProjectDb_Db_Upgrade_From_068_To_069},
    {69, 70, &QeProjectDb_Db_Upgrade_From_069_To_070},
    {70, 71, &QeProjectDb_Db_Upgrade_From_070_To_071},
    {71, 72, &QeProjectDb_Db_Upgrade_From_071_To_072},
    {72, 73, &QeProjectDb_Db_Upgrade_From_072_To_073},
    {73, 74, &QeProjectDb_Db_Upgrade_From_073_To_074},
    {74, 75, &QeProjectDb_Db_Upgrade_From_074_To_075},
    {75, 76, &QeProjectDb_Db_Upgrade_From_075_To_076},
    {76, 77, &QeProjectDb_Db_Upgrade_From_076_To_077},
};

int QeProjectDb_Db_FindUpgradeStep(int64_t fromVersion) {
  for (uint32_t i = 0; i < kQeProjectDbUpgradeStepCount; ++i) {
    if (g_QeProjectDbUpgradeSteps[i].iFromVersion == fromVersion) return static_cast<int>(i);
  }
  return -1;
}

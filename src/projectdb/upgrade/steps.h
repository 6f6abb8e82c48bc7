// The upgrade steps, one function each (exported through step_table.cpp,
// which keeps exceptions inside the library).
#pragma once

struct sqlite3;

namespace qe::upgrade {

int From010To011(sqlite3* db);
int From011To012(sqlite3* db);
int From012To013(sqlite3* db);
int From013To014(sqlite3* db);
int From014To015(sqlite3* db);
int From015To016(sqlite3* db);
int From016To017(sqlite3* db);
int From017To018(sqlite3* db);
int From018To019(sqlite3* db);
int From019To020(sqlite3* db);
int From020To021(sqlite3* db);
int From021To022(sqlite3* db);
int From022To023(sqlite3* db);
int From023To024(sqlite3* db);
int From024To025(sqlite3* db);
int From025To026(sqlite3* db);
int From026To027(sqlite3* db);
int From027To028(sqlite3* db);
int From028To029(sqlite3* db);
int From029To030(sqlite3* db);
int From030To031(sqlite3* db);
int From031To032(sqlite3* db);
int From032To033(sqlite3* db);
int From033To034(sqlite3* db);
int From034To035(sqlite3* db);
int From035To036(sqlite3* db);
int From036To037(sqlite3* db);
int From037To038(sqlite3* db);
int From038To039(sqlite3* db);
int From039To040(sqlite3* db);
int From040To041(sqlite3* db);
int From041To042(sqlite3* db);
int From042To043(sqlite3* db);
int From043To044(sqlite3* db);
int From044To045(sqlite3* db);
int From045To046(sqlite3* db);
int From046To047(sqlite3* db);
int From047To048(sqlite3* db);
int From048To060(sqlite3* db);
int From060To061(sqlite3* db);
int From061To062(sqlite3* db);
int From062To063(sqlite3* db);
int From063To064(sqlite3* db);
int From064To065(sqlite3* db);
int From065To066(sqlite3* db);
int From066To067(sqlite3* db);
int From067To068(sqlite3* db);
int From068To069(sqlite3* db);
int From069To070(sqlite3* db);
int From070To071(sqlite3* db);
int From071To072(sqlite3* db);
int From072To073(sqlite3* db);
int From073To074(sqlite3* db);
int From074To075(sqlite3* db);
int From075To076(sqlite3* db);
int From076To077(sqlite3* db);

}  // namespace qe::upgrade

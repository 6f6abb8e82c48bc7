// Registration of the SQL functions on a connection, in the order in which
// every connection receives them.
#include "projectdb/sqlfunc/sqlfunc_internal.h"
#include "qe/projectdb/sql_functions.h"

namespace qe::sqlfunc {
namespace {

using Scalar = void (*)(sqlite3_context*, int, sqlite3_value**);
using Final = void (*)(sqlite3_context*);

// Text encodings of the registration: any, or UTF-16 for the functions that
// read their arguments as text.
constexpr int kAny = SQLITE_ANY;
constexpr int kUtf16 = SQLITE_UTF16;

struct SFunction {
  const char* name;
  int args;
  int encoding;
  Scalar scalar;  // null for an aggregate
  Scalar step;
  Final final;
  bool read_only;  // also on read-only connections
};

constexpr SFunction kConnectionFunctions[] = {
    {"uuid", 0, kAny, Uuid, nullptr, nullptr, true},
    {"jdnnow", 0, kAny, JdnNow, nullptr, nullptr, true},
    {"bitwiseor", 1, kAny, nullptr, BitwiseOrStep, BitwiseOrFinal, true},
    {"stdev", 1, kAny, nullptr, WelfordStep, StdevFinal, true},
    {"variance", 1, kAny, nullptr, WelfordStep, VarianceFinal, true},
    {"count_str", 1, kAny, nullptr, CountStrStep, CountStrFinal, true},
    {"bitwiseand", 2, kAny, BitwiseAnd, nullptr, nullptr, false},
    {"bitsetmasked", 3, kAny, BitsetMasked, nullptr, nullptr, false},
    {"mode", 1, kAny, nullptr, OrderStatStep, ModeFinal, true},
    {"median", 1, kAny, nullptr, OrderStatStep, MedianFinal, true},
    {"lower_quartile", 1, kAny, nullptr, OrderStatStep, LowerQuartileFinal, true},
    {"upper_quartile", 1, kAny, nullptr, OrderStatStep, UpperQuartileFinal, true},
    {"setfirstchar", 2, kUtf16, SetFirstChar, nullptr, nullptr, false},
};

// Failures are ignored: a missing function only fails the SQL that calls it.
void Register(sqlite3* db, const SFunction& f, void* user_data = nullptr) {
  sqlite3_create_function_v2(db, f.name, f.args, f.encoding, user_data, f.scalar, f.step, f.final,
                             nullptr);
}

void RegisterConnectionFunctions(sqlite3* db, bool read_only) {
  if (!db) return;
  for (const SFunction& f : kConnectionFunctions) {
    if (f.read_only || !read_only) Register(db, f);
  }
}

}  // namespace
}  // namespace qe::sqlfunc

void QeProjectDb_SqlFunc_RegisterReadWrite(sqlite3* db) {
  qe::sqlfunc::RegisterConnectionFunctions(db, false);
}

void QeProjectDb_SqlFunc_RegisterReadOnly(sqlite3* db) {
  qe::sqlfunc::RegisterConnectionFunctions(db, true);
}

void QeProjectDb_SqlFunc_RegisterMerge(sqlite3* db, const SQeProjectDbMergeFiles* pFiles) {
  using namespace qe::sqlfunc;
  if (!db) return;
  // SQLite takes the user data as a non-const pointer but the functions only
  // read it.
  void* user_data = const_cast<SQeProjectDbMergeFiles*>(pFiles);
  Register(db, {"createprojectfolder", 1, kUtf16, CreateProjectFolder, nullptr, nullptr, false},
           user_data);
  Register(db, {"createjobrunfolder", 2, kUtf16, CreateJobrunFolder, nullptr, nullptr, false},
           user_data);
  Register(db, {"copyfile", 3, kUtf16, CopyFile, nullptr, nullptr, false}, user_data);
  Register(db, {"copyfile", 5, kUtf16, CopyFile, nullptr, nullptr, false}, user_data);
}

void QeProjectDb_SqlFunc_RegisterPathLastPart(sqlite3* db) {
  using namespace qe::sqlfunc;
  if (!db) return;
  Register(db, {"pathlastpart", 1, kUtf16, PathLastPart, nullptr, nullptr, false});
}

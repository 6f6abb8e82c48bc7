// The exported merge: the walker driven over the foreign-key graph of the
// current schema.
#include "qe/core/diag.h"
#include "qe/core/status.h"
#include "qe/projectdb/merge.h"
#include "qe/projectdb/schema.h"
#include "qe/sqlite/graph.h"

int QeProjectDb_Db_MergeDb(const CQeStringW& target, const CQeStringW& source) {
  return QeProjectDb_Db_MergeDbEx(target, source, nullptr, nullptr);
}

int QeProjectDb_Db_MergeDbEx(const CQeStringW& target, const CQeStringW& source,
                             IQeProjectDbMergeProgress* progress, SQeProjectDbMergeReport* report) {
  try {
    if (report) *report = SQeProjectDbMergeReport();
    DiagOutputExW(L"Merging %s", source);
    DiagOutputExW(L"   into %s", target);
    CQeProjectDbMergeWalker walker(progress, report);
    const int opened = walker.Open(target, source);
    if (opened != 0) return opened;

    CQeRefCountPtr<CQeSqliteDbGraph> graph = CQeSqliteDbGraph::Create();
    int result = graph->Build(g_QeProjectDbTables, static_cast<int>(kQeProjectDbTableCount));
    if (result == 0) {
      graph->SetColorToAllItems(0);
      result = graph->Walk(walker, 1);
    }
    // A walk that stopped without a failed visit (a graph that cannot be
    // built or walked) must not commit a partial merge.
    if (result != 0 && walker.Error() == 0) {
      walker.Abort(result, L"the tables cannot be ordered by their foreign keys");
    }
    return walker.Finish();
  } catch (...) {
    return eQeFailed;
  }
}

int CQeProjectDbMergeWalker_NewMerge(sqlite3* /*target*/, sqlite3* /*source*/) { return 0; }

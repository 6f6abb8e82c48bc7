// The graph of foreign-key dependencies between tables, walked so that
// every table comes after the tables it refers to.
//
// Conventions:
//  - Build takes table definitions (they must outlive the graph); an edge
//    goes from a table to each table its foreign-key columns name (names
//    compared without regard to ASCII letter case). A table that refers to
//    itself needs nothing before it.
//  - Every table has a colour (an int). Walk(walker, colour) visits, in
//    list order, every table whose colour differs from colour, each after
//    the not yet visited tables it refers to, and gives each visited table
//    that colour; so SetColorToAllItems(0) then Walk(walker, 1) visits every
//    table exactly once.
//  - A graph is used by one thread at a time.
#pragma once

#include <cstdint>
#include <vector>

#include "qe/core/refcount.h"
#include "qe/core/string.h"
#include "qe/sqlite/table_def.h"

// The visitor of a walk. Visit returns 0 to go on; any other value ends the
// walk, and Walk returns it.
struct SQeSqliteDbGraphWalker {
  virtual int Visit(const SQeSqliteTableDef& table) = 0;

 protected:
  ~SQeSqliteDbGraphWalker() = default;
};

class CQeSqliteDbGraph : public IQeRefCount, public CQeRefCounted {
 public:
  QE_IMPLEMENT_REFCOUNT

  static CQeRefCountPtr<CQeSqliteDbGraph> Create();

  // Replaces the graph by the count definitions at tables. Returns 0, or 1
  // (SQLITE_ERROR) when a foreign key names a table that is not in the
  // list (that reference is left out; UnknownTable() names it), or 21
  // (misuse) for a null list with a positive count.
  int Build(const SQeSqliteTableDef* const* tables, int count);
  // The same over an array of definitions.
  int Build(const SQeSqliteTableDef* tables, int count);

  void SetColorToAllItems(int color);
  // Visits the tables as described above. Returns 0 when every table was
  // visited, the first nonzero result of a visit, or 1 (SQLITE_ERROR) when
  // tables refer to each other in a cycle (other than a table referring to
  // itself): the tables of the cycle are not visited and CycleTable() names
  // one of them.
  int Walk(SQeSqliteDbGraphWalker& walker, int color);

  int Count() const { return static_cast<int>(nodes_.size()); }
  const CQeStringW& UnknownTable() const { return unknownTable_; }
  const CQeStringW& CycleTable() const { return cycleTable_; }

 private:
  CQeSqliteDbGraph() = default;
  ~CQeSqliteDbGraph() override = default;

  struct Node {
    const SQeSqliteTableDef* table = nullptr;
    std::vector<int> referenced;  // positions of the tables it refers to
    int color = 0;
    bool onPath = false;  // being visited: its referenced tables are in progress
  };
  int Visit(int node, SQeSqliteDbGraphWalker& walker, int color);

  std::vector<Node> nodes_;
  CQeStringW unknownTable_;
  CQeStringW cycleTable_;
};

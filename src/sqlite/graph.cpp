#include "qe/sqlite/graph.h"

#include <sqlite3.h>

#include "sqlite/columns.h"

CQeRefCountPtr<CQeSqliteDbGraph> CQeSqliteDbGraph::Create() {
  return CQeRefCountPtr<CQeSqliteDbGraph>::Adopt(new CQeSqliteDbGraph());
}

int CQeSqliteDbGraph::Build(const SQeSqliteTableDef* tables, int count) {
  std::vector<const SQeSqliteTableDef*> pointers;
  for (int i = 0; tables && i < count; ++i) pointers.push_back(&tables[i]);
  if (!tables && count > 0) return SQLITE_MISUSE;
  return Build(pointers.data(), static_cast<int>(pointers.size()));
}

int CQeSqliteDbGraph::Build(const SQeSqliteTableDef* const* tables, int count) {
  nodes_.clear();
  unknownTable_.Empty();
  cycleTable_.Empty();
  if (!tables && count > 0) return SQLITE_MISUSE;
  for (int i = 0; i < count; ++i) {
    if (!tables[i]) return SQLITE_MISUSE;
    Node node;
    node.table = tables[i];
    nodes_.push_back(node);
  }
  int status = 0;
  for (Node& node : nodes_) {
    const SQeSqliteTableDef& table = *node.table;
    for (uint32_t c = 0; c < table.nColumns; ++c) {
      const SQeSqliteColDef& column = table.pColumns[c];
      if (column.iKeyKind != eQeSqliteKeyForeign || !column.pForeignKey) continue;
      const wchar_t* target = column.pForeignKey->wszTable;
      int found = -1;
      for (size_t t = 0; t < nodes_.size(); ++t) {
        if (qe::sqlite_detail::SameSqlName(nodes_[t].table->wszName, target)) {
          found = static_cast<int>(t);
          break;
        }
      }
      if (found < 0) {
        if (status == 0) {
          status = SQLITE_ERROR;
          unknownTable_ = target ? target : L"";
        }
        continue;
      }
      if (&nodes_[static_cast<size_t>(found)] != &node) node.referenced.push_back(found);
    }
  }
  return status;
}

void CQeSqliteDbGraph::SetColorToAllItems(int color) {
  for (Node& node : nodes_) node.color = color;
}

int CQeSqliteDbGraph::Walk(SQeSqliteDbGraphWalker& walker, int color) {
  cycleTable_.Empty();
  for (Node& node : nodes_) node.onPath = false;
  for (size_t i = 0; i < nodes_.size(); ++i) {
    int result = Visit(static_cast<int>(i), walker, color);
    if (result != 0) return result;
  }
  return 0;
}

int CQeSqliteDbGraph::Visit(int index, SQeSqliteDbGraphWalker& walker, int color) {
  Node& node = nodes_[static_cast<size_t>(index)];
  if (node.color == color) return 0;
  if (node.onPath) {
    cycleTable_ = node.table->wszName;
    return SQLITE_ERROR;
  }
  node.onPath = true;
  for (int referenced : node.referenced) {
    int result = Visit(referenced, walker, color);
    if (result != 0) {
      node.onPath = false;
      return result;
    }
  }
  node.onPath = false;
  node.color = color;
  return walker.Visit(*node.table);
}

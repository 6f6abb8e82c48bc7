// The columns of a job run record, shared by the job run sources.
#pragma once

#include <array>

#include "qe/projectdb/records/jobrun.h"
#include "qe/sqlite/value.h"

namespace qe::projectdb {

inline std::array<CQeSqliteOut, 13> JobrunOutputs(SQeProjectDbRow_jobrun& row) {
  return {&row.iKey,
          &row.iProjKeyRef,
          &row.iJobdefKeyRef,
          &row.iJobprogramKeyRef,
          &row.iFinishFlags,
          &row.dCTime,
          &row.dMTime,
          &row.dFTime,
          &row.wszUuid,
          &row.wszName,
          &row.wszDesc,
          &row.wszFolderName,
          &row.wszFinishMessage};
}

inline std::array<CQeSqliteValue, 12> JobrunValues(const SQeProjectDbRow_jobrun& row) {
  return {row.iProjKeyRef,  row.iJobdefKeyRef, row.iJobprogramKeyRef,
          row.iFinishFlags, row.dCTime,        row.dMTime,
          row.dFTime,       row.wszUuid,       row.wszName,
          row.wszDesc,      row.wszFolderName, row.wszFinishMessage};
}

}  // namespace qe::projectdb

#include "reliability/acquisition.h"

#include <chrono>
#include <thread>

#include "qe/core/date_time.h"
#include "qe/projectdb/connection.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/sqlite/cmd.h"

namespace qe::reliability {
namespace {

// How often the host's frame transaction is tried before the writer gives up
// (a minute of 30 ms pauses): far more than any contention the tests create.
constexpr int kMaxFrameAttempts = 2000;
constexpr auto kBusyPause = std::chrono::milliseconds(30);
constexpr int kBusy = 5;

CQeStringW W(const std::string& text) { return CQeStringW::FromUtf8(text); }

int32_t FrameIndex(int64_t batch, int frame) {
  return static_cast<int32_t>(batch * kFramesPerBatch + frame);
}

std::vector<int64_t> Keys(uint32_t handle, const wchar_t* sql) {
  std::vector<int64_t> keys;
  CQeSqliteCmd select(CQeProjectDbConnectionManager::GetConnection(handle), sql);
  while (select.Next()) keys.push_back(select.ColumnInt64(0));
  return keys;
}

}  // namespace

int RowsPerStep(char step) {
  switch (step) {
    case 'F':
      return kFramesPerBatch;
    case 'L':
      return kFramesPerBatch * kLoops;
    case 'T':
      return kFramesPerBatch * kTags;
    case 'P':
      return kFramesPerBatch * kProps;
    default:
      return 0;
  }
}

const char* TableOfStep(char step) {
  switch (step) {
    case 'F':
      return "frame";
    case 'L':
      return "loopindex";
    case 'T':
      return "frametag";
    case 'P':
      return "frameprop";
    default:
      return "";
  }
}

double PropValue(int64_t batch, int frame, int prop) {
  return static_cast<double>(batch) * 100.0 + frame * 10 + prop + 0.5;
}

int CreateAcquisitionDb(const std::string& path) {
  if (int status = QeProjectDb_Db_Create(W(path)); status != 0) return status;
  const uint32_t h = QeProjectDb_Db_Connect(W(path));
  if (h == 0) return -10;
  int64_t project = 0, jobdef = 0, program = 0, key = 0;
  int status = QeProjectDb_Proj_Insert(h, L"Reliability", L"", L"reliability", &project);
  if (status == 0) {
    status = QeProjectDb_Jobdef_Insert(h, project, 0, 0, L"Acquisition", L"", 0, &jobdef);
  }
  if (status == 0) status = QeProjectDb_Jobprogram_Insert(h, jobdef, L"program", &program);
  SQeProjectDbRow_jobrun run;
  if (status == 0) {
    SQeProjectDbRow_project row;
    status = QeProjectDb_Proj_GetOne(h, project, row);
    if (status == 0) {
      status =
          QeProjectDb_Jobrun_Insert(h, project, QeProjectDb_Proj_MakeAbsPath(h, row.wszFolderName),
                                    jobdef, program, 1, L"run", L"", &run, nullptr);
    }
  }
  for (int loop = 0; status == 0 && loop < kLoops; ++loop) {
    status = QeProjectDb_Runloop_Insert(h, run.iKey, 0, loop, loop, 1, &key);
  }
  for (int tag = 0; status == 0 && tag < kTags; ++tag) {
    status =
        QeProjectDb_Tagdef_Insert(h, L"reliability", W("tag " + std::to_string(tag)), L"", &key);
  }
  for (int prop = 0; status == 0 && prop < kProps; ++prop) {
    status = QeProjectDb_Propdef_Insert(h, L"reliability", W("prop " + std::to_string(prop)), L"um",
                                        L"", &key);
  }
  QeProjectDb_Db_Disconnect(h);
  return status;
}

int ReadAcquisitionRun(uint32_t handle, SAcquisitionRun& run) {
  const std::vector<int64_t> runs = Keys(handle, L"SELECT iKey FROM jobrun ORDER BY iKey;");
  if (runs.empty()) return -13;
  run.run = runs.front();
  run.loops = Keys(handle, L"SELECT iKey FROM runloop ORDER BY iOrder;");
  run.tags =
      Keys(handle, L"SELECT iKey FROM tagdef WHERE wszTagsetName='reliability' ORDER BY iKey;");
  run.props =
      Keys(handle, L"SELECT iKey FROM propdef WHERE wszPropsetName='reliability' ORDER BY iKey;");
  const bool complete =
      run.loops.size() == kLoops && run.tags.size() == kTags && run.props.size() == kProps;
  return complete ? 0 : -13;
}

CAcquisitionWriter::CAcquisitionWriter(uint32_t handle, SAcquisitionRun run, bool verifyKeys)
    : handle_(handle), run_(std::move(run)), verifyKeys_(verifyKeys) {}

int CAcquisitionWriter::WriteBatch(int64_t batch, const std::function<void(char step)>& committed,
                                   const std::string& steps) {
  for (char step : steps) {
    int status = 0;
    switch (step) {
      case 'F':
        status = WriteFrames(batch);
        break;
      case 'L':
        status = WriteLoops(batch);
        break;
      case 'T':
        status = WriteTags(batch);
        break;
      default:
        status = WriteProps(batch);
        break;
    }
    if (status != 0) return status;
    committed(step);
  }
  return 0;
}

int CAcquisitionWriter::WriteFrames(int64_t batch) {
  const double now = CQeDateTime::UNow().GetJDN();
  for (int attempt = 0; attempt < kMaxFrameAttempts; ++attempt) {
    if (int begun = QeProjectDb_Db_TransactionBegin(handle_); begun != 0) return begun;
    int status = 0;
    for (int frame = 0; status == 0 && frame < kFramesPerBatch; ++frame) {
      int64_t key = 0;
      status = QeProjectDb_Frame_Insert(handle_, run_.run, 0, FrameIndex(batch, frame), now, 0,
                                        frame, &key);
    }
    // A commit that fails leaves the transaction open; its status (-9) says
    // nothing more, and in WAL mode only a busy database makes it fail here.
    if (status == 0 && QeProjectDb_Db_TransactionCommit(handle_) == 0) return 0;
    QeProjectDb_Db_TransactionRollback(handle_);
    if (status != 0 && status != kBusy) return status;
    ++frameRetries_;
    std::this_thread::sleep_for(kBusyPause);
  }
  return kBusy;
}

int CAcquisitionWriter::WriteLoops(int64_t batch) {
  std::vector<SQeProjectDbRow_loopindex> rows;
  for (int frame = 0; frame < kFramesPerBatch; ++frame) {
    for (int64_t loop : run_.loops) {
      rows.emplace_back(0, run_.run, FrameIndex(batch, frame), loop, static_cast<int32_t>(batch));
    }
  }
  const int status = QeProjectDb_Loopindex_InsertMany(handle_, rows);
  if (status == 0 && verifyKeys_) {
    std::vector<SRowIdentity> keys;
    for (const auto& row : rows) keys.push_back({row.iKey, row.iFrameIndex, row.iRunloopKeyRef});
    CheckKeys("loopindex", "iRunloopKeyRef", keys);
  }
  return status;
}

int CAcquisitionWriter::WriteTags(int64_t batch) {
  std::vector<SQeProjectDbRow_frametag> rows;
  for (int frame = 0; frame < kFramesPerBatch; ++frame) {
    for (int64_t tag : run_.tags) rows.emplace_back(0, run_.run, tag, FrameIndex(batch, frame));
  }
  const int status = QeProjectDb_Frametag_InsertMany(handle_, rows);
  if (status == 0 && verifyKeys_) {
    std::vector<SRowIdentity> keys;
    for (const auto& row : rows) keys.push_back({row.iKey, row.iFrameIndex, row.iTagdefKeyRef});
    CheckKeys("frametag", "iTagdefKeyRef", keys);
  }
  return status;
}

int CAcquisitionWriter::WriteProps(int64_t batch) {
  std::vector<SQeProjectDbRow_frameprop> rows;
  for (int frame = 0; frame < kFramesPerBatch; ++frame) {
    for (int prop = 0; prop < kProps; ++prop) {
      rows.emplace_back(0, run_.run, 0, run_.props[prop], FrameIndex(batch, frame),
                        PropValue(batch, frame, prop));
    }
  }
  const int status = QeProjectDb_Frameprop_InsertMany(handle_, rows);
  if (status == 0 && verifyKeys_) {
    std::vector<SRowIdentity> keys;
    for (const auto& row : rows) keys.push_back({row.iKey, row.iFrameIndex, row.iPropdefKeyRef});
    CheckKeys("frameprop", "iPropdefKeyRef", keys);
  }
  return status;
}

void CAcquisitionWriter::CheckKeys(const char* table, const char* refColumn,
                                   const std::vector<SRowIdentity>& rows) {
  const CQeStringW sql =
      W(std::string("SELECT iFrameIndex, ") + refColumn + " FROM " + table + " WHERE iKey=?;");
  for (const SRowIdentity& row : rows) {
    CQeSqliteCmd select(CQeProjectDbConnectionManager::GetConnection(handle_), sql);
    select.Bind(1, static_cast<long long>(row.key));
    const bool found = row.key != 0 && select.Next();
    if (!found || select.ColumnInt(0) != row.frame || select.ColumnInt64(1) != row.ref) {
      ++keyMismatches_;
    }
  }
}

}  // namespace qe::reliability

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

const SStep* FindStep(char name) {
  for (const SStep& step : kSteps) {
    if (step.name == name) return &step;
  }
  return nullptr;
}

int CreateAcquisitionDb(const std::string& path) {
  if (int status = QeProjectDb_Db_Create(W(path)); status != 0) return status;
  const uint32_t h = QeProjectDb_Db_Connect(W(path));
  if (h == 0) return -10;
  int64_t project = 0, jobdef = 0, program = 0, key = 0;
  SQeProjectDbRow_project row;
  SQeProjectDbRow_jobrun run;
  int status = QeProjectDb_Proj_Insert(h, L"Reliability", L"", L"reliability", &project);
  if (status == 0) {
    status = QeProjectDb_Jobdef_Insert(h, project, 0, 0, L"Acquisition", L"", 0, &jobdef);
  }
  if (status == 0) status = QeProjectDb_Jobprogram_Insert(h, jobdef, L"program", &program);
  if (status == 0) status = QeProjectDb_Proj_GetOne(h, project, row);
  if (status == 0) {
    status =
        QeProjectDb_Jobrun_Insert(h, project, QeProjectDb_Proj_MakeAbsPath(h, row.wszFolderName),
                                  jobdef, program, 1, L"run", L"", &run, nullptr);
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
    std::vector<SQeProjectDbRow_loopindex> loops;
    std::vector<SQeProjectDbRow_frametag> tags;
    std::vector<SQeProjectDbRow_frameprop> props;
    for (int frame = 0; frame < kFramesPerBatch; ++frame) {
      const int32_t index = FrameIndex(batch, frame);
      for (int64_t loop : run_.loops) {
        loops.emplace_back(0, run_.run, index, loop, static_cast<int32_t>(batch));
      }
      for (int64_t tag : run_.tags) tags.emplace_back(0, run_.run, tag, index);
      for (int prop = 0; prop < kProps; ++prop) {
        props.emplace_back(0, run_.run, 0, run_.props[prop], index,
                           static_cast<double>(batch) * 100.0 + frame * 10 + prop + 0.5);
      }
    }
    int status = 0;
    if (step == 'F') {
      status = WriteFrames(batch);
    } else if (step == 'L') {
      status = Insert(loops, QeProjectDb_Loopindex_InsertMany, "loopindex", "iRunloopKeyRef",
                      &SQeProjectDbRow_loopindex::iRunloopKeyRef);
    } else if (step == 'T') {
      status = Insert(tags, QeProjectDb_Frametag_InsertMany, "frametag", "iTagdefKeyRef",
                      &SQeProjectDbRow_frametag::iTagdefKeyRef);
    } else {
      status = Insert(props, QeProjectDb_Frameprop_InsertMany, "frameprop", "iPropdefKeyRef",
                      &SQeProjectDbRow_frameprop::iPropdefKeyRef);
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
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
  }
  return kBusy;
}

template <typename Row>
int CAcquisitionWriter::Insert(std::vector<Row>& rows, int (*insert)(uint32_t, std::vector<Row>&),
                               const char* table, const char* refColumn, int64_t Row::*ref) {
  const int status = insert(handle_, rows);
  if (status != 0 || !verifyKeys_) return status;
  const CQeStringW sql =
      W(std::string("SELECT iFrameIndex, ") + refColumn + " FROM " + table + " WHERE iKey=?;");
  for (const Row& row : rows) {
    CQeSqliteCmd select(CQeProjectDbConnectionManager::GetConnection(handle_), sql);
    select.Bind(1, static_cast<long long>(row.iKey));
    const bool found = row.iKey != 0 && select.Next();
    if (!found || select.ColumnInt(0) != row.iFrameIndex || select.ColumnInt64(1) != row.*ref) {
      ++keyMismatches_;
    }
  }
  return status;
}

}  // namespace qe::reliability

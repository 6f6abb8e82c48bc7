// The acquisition the reliability tests write, in a child process
// (programs/writer_main.cpp) or on threads of the test itself.
//
// One database holds one run with kLoops run loops, kTags tag definitions
// and kProps property definitions. Batch g covers the frame indexes
// g * kFramesPerBatch ... g * kFramesPerBatch + kFramesPerBatch - 1, so every
// row tells its batch by its frame index. A batch is four steps, each
// committed on its own and in this order: 'F' the frames, inserted one by
// one inside the host's transaction; then with the batch inserts 'L' their
// loop indexes, 'T' their frame tags and 'P' their frame properties (without
// an assay run, so no unique constraint would stop a second copy). Writers
// that share a file use batch numbers of their own (writer w starts at
// w * kBatchSpan).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qe::reliability {

inline constexpr int kFramesPerBatch = 4, kLoops = 3, kTags = 2, kProps = 5;
inline constexpr int64_t kBatchSpan = 100000;
// First frame index of the rows the writer's fault insert writes; no batch
// reaches it.
inline constexpr int32_t kFaultFirstFrame = 1000000000;

struct SStep {
  char name;
  const char* table;
  int rows;  // rows one batch writes
};
inline constexpr SStep kSteps[] = {{'F', "frame", kFramesPerBatch},
                                   {'L', "loopindex", kFramesPerBatch* kLoops},
                                   {'T', "frametag", kFramesPerBatch* kTags},
                                   {'P', "frameprop", kFramesPerBatch* kProps}};
// The step of that name, or nullptr.
const SStep* FindStep(char name);

// The run and definitions a writer needs, read back from the database.
struct SAcquisitionRun {
  int64_t run = 0;
  std::vector<int64_t> loops, tags, props;
};

// Creates a new database at path (a UTF-8 path whose folder exists) with one
// project, job definition, program and run and the loops and definitions
// above. Returns 0 or the first failing status.
int CreateAcquisitionDb(const std::string& path);
// Reads the run of such a database through a connection handle; 0 or -13.
int ReadAcquisitionRun(uint32_t handle, SAcquisitionRun& run);

// Writes batches through one connection handle. Used by one thread.
class CAcquisitionWriter {
 public:
  CAcquisitionWriter(uint32_t handle, SAcquisitionRun run, bool verifyKeys);

  // Writes the named steps of batch g and calls committed(step) after each
  // step's commit returned. A busy database in the host's own frame
  // transaction is rolled back and tried again after 30 ms (the batch
  // inserts do that themselves). Returns 0 or the first failing status (the
  // later steps are then not written).
  int WriteBatch(int64_t batch, const std::function<void(char step)>& committed,
                 const std::string& steps = "FLTP");

  // Frame transactions tried again because the database was busy.
  int64_t FrameRetries() const { return frameRetries_; }
  // Rows whose key written back by a batch insert did not name that row.
  int64_t KeyMismatches() const { return keyMismatches_; }

 private:
  int WriteFrames(int64_t batch);
  // Inserts rows with insert; with verifyKeys, counts the keys written back
  // that do not name a row of table with the row's frame index and its one
  // reference (ref, column refColumn) that tells it from the others of the
  // frame.
  template <typename Row>
  int Insert(std::vector<Row>& rows, int (*insert)(uint32_t, std::vector<Row>&), const char* table,
             const char* refColumn, int64_t Row::*ref);

  uint32_t handle_;
  SAcquisitionRun run_;
  bool verifyKeys_;
  int64_t frameRetries_ = 0;
  int64_t keyMismatches_ = 0;
};

}  // namespace qe::reliability

// The acquisition that the reliability tests write, in a child process
// (programs/writer_main.cpp) or on threads of the test itself.
//
// One database holds one run with kLoops run loops, kTags tag definitions
// and kProps property definitions. An acquisition writes batches; batch g
// covers the frame indexes g * kFramesPerBatch ... g * kFramesPerBatch +
// kFramesPerBatch - 1, so every row tells its batch by its frame index.
// A batch is four steps, each committed on its own and in this order:
//   'F' the frames, inserted one by one inside the host's transaction;
//   'L' their loop indexes     (QeProjectDb_Loopindex_InsertMany);
//   'T' their frame tags       (QeProjectDb_Frametag_InsertMany);
//   'P' their frame properties (QeProjectDb_Frameprop_InsertMany, without an
//       assay run, so no unique constraint would stop a second copy).
// Writers that share a file use batch numbers of their own (writer w starts
// at w * kBatchSpan).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace qe::reliability {

inline constexpr int kFramesPerBatch = 4;
inline constexpr int kLoops = 3;
inline constexpr int kTags = 2;
inline constexpr int kProps = 5;
inline constexpr int64_t kBatchSpan = 100000;
inline constexpr char kSteps[] = {'F', 'L', 'T', 'P'};

// Rows one step of a batch writes into its table.
int RowsPerStep(char step);
// The table a step writes.
const char* TableOfStep(char step);
// The value batch g stores for frame i and property p.
double PropValue(int64_t batch, int frame, int prop);

// The run and definitions a writer needs, read back from the database.
struct SAcquisitionRun {
  int64_t run = 0;
  std::vector<int64_t> loops;
  std::vector<int64_t> tags;
  std::vector<int64_t> props;
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

  // Writes the steps of batch g (all four unless named) and calls
  // committed(step) after each step's commit returned. A busy database in
  // the host's own frame transaction is rolled back and tried again after
  // 30 ms (the batch inserts do that themselves). Returns 0 or the first
  // failing status (the later steps are then not written).
  int WriteBatch(int64_t batch, const std::function<void(char step)>& committed,
                 const std::string& steps = "FLTP");

  // Frame transactions tried again because the database was busy.
  int64_t FrameRetries() const { return frameRetries_; }
  // Rows whose key written back by a batch insert did not name that row.
  int64_t KeyMismatches() const { return keyMismatches_; }

 private:
  int WriteFrames(int64_t batch);
  int WriteLoops(int64_t batch);
  int WriteTags(int64_t batch);
  int WriteProps(int64_t batch);
  // A row as a batch insert left it: the key written back, and what the
  // row with that key must hold (its frame index and its one reference
  // that tells it from the other rows of the frame).
  struct SRowIdentity {
    int64_t key;
    int32_t frame;
    int64_t ref;
  };
  // Counts keys that do not name the row they were written back for.
  void CheckKeys(const char* table, const char* refColumn, const std::vector<SRowIdentity>& rows);

  uint32_t handle_;
  SAcquisitionRun run_;
  bool verifyKeys_;
  int64_t frameRetries_ = 0;
  int64_t keyMismatches_ = 0;
};

}  // namespace qe::reliability

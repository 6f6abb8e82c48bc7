// Shared pieces of the thumbnail database tests: acquisition files written
// with libtiff and the picture library, a callback that records deliveries,
// hand-shakes that hold readers at known points, and direct looks into the
// thumbnail file.
#pragma once

#include <sqlite3.h>

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "qe/core/refcount.h"
#include "qe/picture/image_format.h"
#include "qe/queue/queue.h"
#include "qe/thumbdb/project_thumb.h"

namespace qe::test {

// One TIFF page: samples values (8 or 16 bits) interleaved, row by row.
struct STiffPage {
  uint32_t width = 0;
  uint32_t height = 0;
  uint16_t samples = 1;  // 1 gray, 3 RGB
  uint16_t bits = 8;
  std::vector<uint16_t> values;
};

bool WriteTiff(const std::string& path, const std::vector<STiffPage>& pages);
// A gray page whose value grows from left (low) to right (high).
STiffPage GrayRamp(uint32_t width, uint32_t height, uint16_t bits, uint16_t low, uint16_t high);
// An RGB page, left half red, right half blue.
STiffPage RedBlue(uint32_t width, uint32_t height);
STiffPage Flat(uint32_t width, uint32_t height, uint16_t value);
// An 8-bit gray TIFF whose directory precedes its pixels, so that cutting
// it leaves a readable header over missing pixel data.
std::vector<uint8_t> GrayTiffDirectoryFirst(uint16_t width, uint16_t height);
// A JPEG file of an RGB gradient, written through the picture library.
bool WriteJpeg(const std::wstring& path, unsigned int width, unsigned int height);
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// Component c of pixel (x, y).
inline uint8_t At(const SQePicBuf& picture, unsigned int x, unsigned int y, unsigned int c) {
  return picture.pData[y * picture.uiBytesPerLine + x * picture.uiComponents + c];
}

// Records every delivery; waits are hand-shakes with a generous guard so a
// broken pipeline fails the test instead of hanging it.
class CRecordingCallback : public IQeProjectThumbReadyCallback {
 public:
  struct SDelivery {
    CQeRefCountPtr<CQeProjectThumb> request;
    bool flag;
    bool preview;
  };

  void ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) override;
  void PreviewReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) override;

  // Waits until at least count deliveries arrived and returns all of them.
  std::vector<SDelivery> WaitFor(size_t count);
  std::vector<SDelivery> Deliveries();
  // The delivery of requestId (the first one); null request when none.
  SDelivery Find(int64_t requestId);
  // Waits until requestId was delivered and returns that delivery.
  SDelivery WaitForId(int64_t requestId);

 private:
  void Add(CQeRefCountPtr<CQeProjectThumb> request, bool flag, bool preview);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<SDelivery> deliveries_;  // guarded by mutex_
};

// A named pipe used as a frame's file: a reader that opens it blocks until
// the test opens the other end, which tells the test that a reader is
// processing that request; then the reader finds no regular file and fails
// the load (-9, flag true).
class CFifoGate {
 public:
  explicit CFifoGate(std::string path);
  ~CFifoGate();
  const std::string& Path() const { return path_; }
  std::wstring PathW() const;
  // Returns once a reader has opened the pipe, letting it go on.
  void AwaitReader();

 private:
  std::string path_;
};

// Holds the write lock of the thumbnail file on a connection of its own
// ("BEGIN IMMEDIATE") until Release, so that readers that reach their store
// keep retrying with their request still in process.
class CWriteLock {
 public:
  explicit CWriteLock(const std::string& path);
  ~CWriteLock();
  bool Held() const { return held_; }
  void Release();

 private:
  sqlite3* db_ = nullptr;
  bool held_ = false;
};

// A plain SQLite connection to a file, for looking at what was stored.
class CPeek {
 public:
  explicit CPeek(const std::string& path);
  ~CPeek();
  sqlite3* Db() const { return db_; }
  // The first column of the first row; -1 (-1.0, empty) when there is none.
  int64_t Int(const std::string& sql);
  double Double(const std::string& sql);
  std::string Text(const std::string& sql);
  // The bytes of a blob (the file stores texts as UTF-16, so a blob is not
  // cast to text in SQL).
  std::string Blob(const std::string& sql);
  int Exec(const std::string& sql);

 private:
  sqlite3* db_ = nullptr;
};

// The registered reading queue of the pipeline (null when there is none).
CQeRefCountPtr<CQeProcessingQueue> ReadingQueue();

}  // namespace qe::test

// Shared pieces of the thumbnail database tests: a callback that records
// deliveries, hand-shakes that hold readers at known points, direct looks
// into the thumbnail file, and a fixture with a thumbnail database in a
// temporary folder. Acquisition files come from picture/test_images.h.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "picture/test_images.h"
#include "qe/core/refcount.h"
#include "qe/picture/image_format.h"
#include "qe/queue/queue.h"
#include "qe/thumbdb/project_thumb.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "qe/thumbdb/thumb_reader.h"
#include "support/temp_dir.h"

namespace qe::test {

// Records every delivery; waits have a generous guard so that a broken
// pipeline fails the test instead of hanging it. Thread-safe (mutex_).
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
  // The delivery of requestId, waiting for it when `wait`; a null request when none.
  SDelivery Find(int64_t requestId, bool wait = false);

 private:
  void Add(CQeRefCountPtr<CQeProjectThumb> request, bool flag, bool preview);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<SDelivery> deliveries_;
};

// Expects a delivered request with this result, callback flag and picture
// size (0 x 0: no pixels); a picture has three components.
inline void ExpectDelivered(const CRecordingCallback::SDelivery& delivery, int result, bool flag,
                            unsigned int width = 0, unsigned int height = 0) {
  ASSERT_TRUE(delivery.request) << "not delivered";
  EXPECT_EQ(delivery.request->Result(), result);
  EXPECT_EQ(delivery.flag, flag);
  const SQePicBuf& picture = delivery.request->PicBuf();
  const bool pixels = CQePicBufAPI::HasPixels(picture);
  EXPECT_EQ(pixels ? picture.uiWidth : 0, width);
  EXPECT_EQ(pixels ? picture.uiHeight : 0, height);
  EXPECT_EQ(pixels ? picture.uiComponents : 3, 3u);
}

// A named pipe used as a frame's file: a reader that opens it blocks until
// the test opens the other end, which tells the test that a reader is
// processing that request; then the reader finds no regular file and fails
// the load (-9, flag true).
class CFifoGate {
 public:
  explicit CFifoGate(std::string path);
  ~CFifoGate();
  std::wstring PathW() const { return std::wstring(path_.begin(), path_.end()); }
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
  // The first column of the first row; -1 (empty) when there is none.
  int64_t Int(const std::string& sql);
  std::string Text(const std::string& sql);
  // The bytes of a blob (texts are stored as UTF-16, so a blob is not cast to text in SQL).
  std::string Blob(const std::string& sql);
  int Exec(const std::string& sql) {
    return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
  }

 private:
  sqlite3* db_ = nullptr;
};

// The registered reading queue of the pipeline (null when there is none).
CQeRefCountPtr<CQeProcessingQueue> ReadingQueue();

// A thumbnail database "thumbs.db" in a temporary folder with two recording
// callbacks, and the means to hold both readers inside a request.
class ThumbPipelineTest : public ::testing::Test {
 protected:
  ThumbPipelineTest() { Open(8); }
  void TearDown() override {
    if (lock_) lock_->Release();
    thumbs_.reset();
    EXPECT_EQ(CQeProjectThumbReader::s_lConnectionsOpen.load(), 0);
  }

  // A new CQeProjectThumbDb over the fixture's file (the old one goes first).
  void Open(int capacity) {
    thumbs_.reset();
    thumbs_ = std::make_unique<CQeProjectThumbDb>(DbPathW().c_str(), &manager_, capacity);
  }
  std::string DbPath() const { return dir_.File("thumbs.db"); }
  std::wstring DbPathW() const { return dir_.FileW("thumbs.db"); }

  // Writes a TIFF into the folder and returns its wide path.
  std::wstring Tiff(const std::string& name, const std::vector<STestTiffPage>& pages) {
    EXPECT_TRUE(WriteTiff(dir_.File(name), pages));
    return dir_.FileW(name);
  }

  // Posts a thumbnail (or preview) request and waits for its delivery.
  CRecordingCallback::SDelivery Thumb(const wchar_t* uuid, int frame, const std::wstring& file,
                                      int seq, int64_t id, bool preview = false) {
    EXPECT_EQ(preview ? thumbs_->PostPreviewRequest(uuid, frame, file.c_str(), seq, &callback_, id)
                      : thumbs_->PostThumbRequest(uuid, frame, file.c_str(), seq, &callback_, id),
              0);
    return callback_.Find(id, true);
  }
  int Post(int frame, const std::wstring& file, int64_t id, CRecordingCallback* callback) {
    return thumbs_->PostThumbRequest(L"run", frame, file.c_str(), 0, callback, id);
  }

  // Holds both readers inside a request each (ids 1001 and 1002, frames 0
  // and 1 of run "pin"): the thumbnail file is write-locked first, then each
  // reader is seen opening its pipe; afterwards each keeps retrying its
  // store until ReleaseReaders. Two requests stay in the reading queue.
  void PinBothReaders(CRecordingCallback* first, CRecordingCallback* second) {
    lock_ = std::make_unique<CWriteLock>(DbPath());
    ASSERT_TRUE(lock_->Held());
    for (const char* name : {"gate-a.tif", "gate-b.tif"}) {
      gates_.push_back(std::make_unique<CFifoGate>(dir_.File(name)));
    }
    ASSERT_EQ(thumbs_->PostThumbRequest(L"pin", 0, gates_[0]->PathW().c_str(), 0, first, 1001), 0);
    ASSERT_EQ(thumbs_->PostThumbRequest(L"pin", 1, gates_[1]->PathW().c_str(), 0, second, 1002), 0);
    for (const auto& gate : gates_) gate->AwaitReader();
  }
  void ReleaseReaders() { lock_->Release(); }

  TempDir dir_;
  CQeImageFormatManager manager_;
  CRecordingCallback callback_;
  CRecordingCallback other_;
  std::unique_ptr<CWriteLock> lock_;
  std::vector<std::unique_ptr<CFifoGate>> gates_;
  std::unique_ptr<CQeProjectThumbDb> thumbs_;
};

}  // namespace qe::test

// A thumbnail database in a temporary folder with a recording callback, and
// the means to hold both readers inside a request.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "qe/picture/image_format.h"
#include "qe/thumbdb/project_thumb_db.h"
#include "qe/thumbdb/thumb_reader.h"
#include "support/temp_dir.h"
#include "thumbdb/thumb_fixtures.h"

namespace qe::test {

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
  std::wstring Tiff(const std::string& name, const std::vector<STiffPage>& pages) {
    EXPECT_TRUE(WriteTiff(dir_.File(name), pages));
    return dir_.FileW(name);
  }

  // Posts a thumbnail request and waits for its delivery.
  CRecordingCallback::SDelivery Thumb(const wchar_t* uuid, int frame, const std::wstring& file,
                                      int seq, int64_t id) {
    EXPECT_EQ(thumbs_->PostThumbRequest(uuid, frame, file.c_str(), seq, &callback_, id), 0);
    return callback_.WaitForId(id);
  }
  CRecordingCallback::SDelivery Preview(const wchar_t* uuid, int frame, const std::wstring& file,
                                        int seq, int64_t id) {
    EXPECT_EQ(thumbs_->PostPreviewRequest(uuid, frame, file.c_str(), seq, &callback_, id), 0);
    return callback_.WaitForId(id);
  }

  // Holds both readers inside a request each (ids 1001 and 1002, frames 0
  // and 1 of run "pin"): the thumbnail file is write-locked first, then
  // each reader is seen opening its pipe; afterwards each keeps retrying its
  // store until ReleaseReaders. Two requests stay in the reading queue.
  void PinBothReaders(CRecordingCallback* first, CRecordingCallback* second) {
    lock_ = std::make_unique<CWriteLock>(DbPath());
    ASSERT_TRUE(lock_->Held());
    gates_.push_back(std::make_unique<CFifoGate>(dir_.File("gate-a.tif")));
    gates_.push_back(std::make_unique<CFifoGate>(dir_.File("gate-b.tif")));
    ASSERT_EQ(thumbs_->PostThumbRequest(L"pin", 0, gates_[0]->PathW().c_str(), 0, first, 1001), 0);
    ASSERT_EQ(thumbs_->PostThumbRequest(L"pin", 1, gates_[1]->PathW().c_str(), 0, second, 1002), 0);
    gates_[0]->AwaitReader();
    gates_[1]->AwaitReader();
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

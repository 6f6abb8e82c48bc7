// Posting, duplicates, a full queue, cancelling and dismantling, with both
// readers held inside a request each so that the queue's content is known.
#include <thread>

#include "qe/queue/queue_master.h"
#include "thumbdb/thumb_fixtures.h"

namespace qe::test {
namespace {

TEST_F(ThumbPipelineTest, DuplicatePostsAreQueuedOnce) {
  EXPECT_EQ(Post(0, L"x.tif", 1, nullptr), -4);
  EXPECT_EQ(ReadingQueue(), nullptr) << "a refused post builds nothing";
  const std::wstring file = Tiff("frame.tif", {Flat(64, 64, 90)});
  PinBothReaders(&callback_, &callback_);
  auto queue = ReadingQueue();
  ASSERT_TRUE(queue);
  ASSERT_EQ(queue->Size(), 2u);
  EXPECT_EQ(CQeProjectThumbReader::s_lConnectionsOpen.load(), 2) << "one connection per reader";
  EXPECT_EQ(Post(5, file, 7, &callback_), 0);
  EXPECT_EQ(Post(5, file, 7, &callback_), 0);
  // Type and file name are not part of the comparison.
  EXPECT_EQ(thumbs_->PostPreviewRequest(L"run", 5, L"other.tif", 0, &callback_, 7), 0);
  EXPECT_EQ(queue->Size(), 3u);
  // Another request id, callback or run is another request.
  EXPECT_EQ(Post(5, file, 8, &callback_), 0);
  EXPECT_EQ(Post(5, file, 7, &other_), 0);
  EXPECT_EQ(thumbs_->PostThumbRequest(L"Run", 5, file.c_str(), 0, &callback_, 7), 0);
  EXPECT_EQ(queue->Size(), 6u);

  ReleaseReaders();
  other_.WaitFor(1);
  thumbs_->WaitUntilEmpty();
  EXPECT_EQ(callback_.WaitFor(5).size(), 5u);
  EXPECT_EQ(other_.WaitFor(0).size(), 1u);
}

TEST_F(ThumbPipelineTest, CancelRemovesQueuedRequestsAndSilencesTheOneInProcess) {
  const std::wstring file = Tiff("frame.tif", {Flat(64, 64, 90)});
  PinBothReaders(&callback_, &other_);
  for (int id = 1; id <= 3; ++id) ASSERT_EQ(Post(id, file, id, &callback_), 0);
  ASSERT_EQ(Post(4, file, 4, &other_), 0);
  auto queue = ReadingQueue();
  ASSERT_EQ(queue->Size(), 6u);
  thumbs_->CancelRequests(&callback_);
  EXPECT_EQ(queue->Size(), 3u) << "the request in process stays until its reader is done";

  ReleaseReaders();
  other_.WaitFor(2);
  thumbs_->WaitUntilEmpty();
  EXPECT_TRUE(callback_.WaitFor(0).empty());
  EXPECT_TRUE(other_.Find(1002).request);
  EXPECT_TRUE(other_.Find(4).request);
  // The silenced request was still finished and stored (its pipe is no picture).
  const std::string frames =
      "FROM frame, jobrunuuid WHERE iJobrunuuidKeyRef=jobrunuuid.iKey AND wszJobrunUuid=";
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT iLoadResult " + frames + "'pin' AND iFrameIndex=0;"), -9);
  EXPECT_EQ(peek.Int("SELECT count(*) " + frames + "'run';"), 1);
}

TEST_F(ThumbPipelineTest, DestructorStopsAndJoinsReadersAndDropsQueuedRequests) {
  const std::wstring file = Tiff("frame.tif", {Flat(64, 64, 90)});
  PinBothReaders(&callback_, &callback_);
  ASSERT_EQ(Post(1, file, 1, &callback_), 0);
  ASSERT_EQ(Post(2, file, 2, &callback_), 0);
  auto queue = ReadingQueue();
  const auto before = queue->Counters().spaceFreedSignals;
  std::thread destroyer([this] { thumbs_.reset(); });
  // Stopping broadcasts the queue's conditions; nothing else frees space
  // while both readers are held.
  while (queue->Counters().spaceFreedSignals == before) std::this_thread::yield();
  ReleaseReaders();
  destroyer.join();

  // The two requests in process were finished and delivered; the queued ones were not.
  const auto deliveries = callback_.WaitFor(0);
  EXPECT_EQ(deliveries.size(), 2u);
  EXPECT_TRUE(callback_.Find(1001).request);
  EXPECT_TRUE(callback_.Find(1002).request);
  EXPECT_EQ(CQeProjectThumbReader::s_lConnectionsOpen.load(), 0);
  auto* master = CQeProcessingQMaster::GetSharedObject();
  EXPECT_FALSE(master->QueueGet(CQeProjectThumbDb::kReadingQueueName));
  EXPECT_FALSE(master->QueueGet(CQeProjectThumbDb::kCallbackQueueName));
  EXPECT_EQ(master->QueueCountThreads(queue.Get()), 0u);
  // The next post builds the pipeline again.
  Open(8);
  EXPECT_EQ(Thumb(L"run", 1, file, 0, 3).request->Result(), 0);
}

}  // namespace
}  // namespace qe::test

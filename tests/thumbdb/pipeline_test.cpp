// Requests through the real pipeline: reader threads, the thumbnail file and
// acquisition files written by the tests.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "qe/core/date_time.h"
#include "thumbdb/thumb_fixtures.h"

namespace qe::test {
namespace {

double Now() { return CQeDateTime::UNow().GetJDN(); }

// Largest difference between two pictures of the same size, or whether any
// pixel's three components differ (b null).
int MaxDifference(const SQePicBuf& a, const SQePicBuf* b) {
  int worst = 0;
  for (unsigned int i = 0; i < a.uiWidth * a.uiHeight * 3; ++i) {
    const unsigned int x = i / 3 % a.uiWidth, y = i / 3 / a.uiWidth, c = i % 3;
    worst = std::max(worst, std::abs(At(a, x, y, c) - (b ? At(*b, x, y, c) : At(a, x, y, 0))));
  }
  return worst;
}

TEST_F(ThumbPipelineTest, FirstAnswerFromTheFileSecondFromTheDatabase) {
  const std::wstring file = Tiff("ramp.tif", {GrayRamp(300, 200, 8, 0, 255)});
  auto first = Thumb(L"run", 7, file, 0, 1);
  ExpectDelivered(first, 0, false, 128, 85);
  EXPECT_FALSE(first.preview);

  // The file is gone: only the database can answer now.
  std::filesystem::remove(dir_.File("ramp.tif"));
  auto second = Thumb(L"run", 7, file, 0, 2);
  ExpectDelivered(second, 0, false, 128, 85);
  ASSERT_FALSE(HasFailure());
  // JPEG at quality 0.8.
  EXPECT_LE(MaxDifference(first.request->PicBuf(), &second.request->PicBuf()), 16);
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail WHERE iSize=128;"), 1);
  EXPECT_EQ(peek.Int("SELECT iLoadResult FROM frame WHERE iFrameIndex=7;"), 0);
}

TEST_F(ThumbPipelineTest, PreviewIsReadFromTheFileAndNeverStored) {
  const std::wstring file = Tiff("large.tif", {GrayRamp(1024, 600, 8, 10, 240)});
  auto preview = Thumb(L"run", 1, file, 0, 1, true);
  ExpectDelivered(preview, 0, false, 512, 300);
  EXPECT_TRUE(preview.preview);
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 0);
  // A stored thumbnail does not answer a preview: without the file it fails.
  Thumb(L"run", 1, file, 0, 2);
  std::filesystem::remove(dir_.File("large.tif"));
  ExpectDelivered(Thumb(L"run", 1, file, 0, 3, true), -9, true);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 1);
}

TEST_F(ThumbPipelineTest, StoredFailureIsAnsweredWithoutOpeningTheFileAgain) {
  const std::wstring file = dir_.FileW("later.tif");
  ExpectDelivered(Thumb(L"run", 3, file, 0, 1), -9, true);  // the file is not there
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT iLoadResult FROM frame WHERE iFrameIndex=3;"), -9);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 0);
  // The file appears, but the stored failure stays the answer: not opened.
  Tiff("later.tif", {Flat(64, 64, 100)});
  ExpectDelivered(Thumb(L"run", 3, file, 0, 2), -9, false);
  // Clearing the frame lets the next request read the file.
  EXPECT_EQ(thumbs_->Clear(L"run", {3}), 0);
  auto fresh = Thumb(L"run", 3, file, 0, 3);
  ExpectDelivered(fresh, 0, false, 64, 64);
  EXPECT_EQ(At(fresh.request->PicBuf(), 10, 10, 0), 100);
}

TEST_F(ThumbPipelineTest, UndecodableStoredPictureIsReloadedOnlyWhenOlderThanADay) {
  const std::wstring file = Tiff("frame.tif", {Flat(64, 64, 200)});
  sqlite3* db = thumbs_->DbOpenConnection();
  const CQeByteArray junk("not a jpeg", 10);
  CQeProjectThumb::StoreThumbDataToDb(db, L"run", 1, 0, 128, 0, Now() - 0.5, junk);
  CQeProjectThumb::StoreThumbDataToDb(db, L"run", 2, 0, 128, 0, Now() - 2.0, junk);
  CQeProjectThumbDb::DbCloseConnection(db);
  ExpectDelivered(Thumb(L"run", 1, file, 0, 1), -9, false);
  auto old = Thumb(L"run", 2, file, 0, 2);
  ExpectDelivered(old, 0, false, 64, 64);
  EXPECT_NEAR(At(old.request->PicBuf(), 5, 5, 1), 200, 3);
  const std::string picture =
      "FROM thumbnail, frame WHERE iFrameKeyRef=frame.iKey AND iFrameIndex=";
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Text("SELECT hex(pData) " + picture + "1;"), "6E6F742061206A706567");
  EXPECT_EQ(peek.Text("SELECT hex(substr(pData, 1, 2)) " + picture + "2;"), "FFD8");
}

TEST_F(ThumbPipelineTest, GraySixteenBitAndColourFramesLookLikeTheirSource) {
  // Gray: three equal components, from the file and then from the database.
  const std::wstring gray = Tiff("gray.tif", {GrayRamp(200, 100, 8, 0, 255)});
  for (int64_t id : {1, 2}) {
    const SQePicBuf& picture = Thumb(L"run", 0, gray, 0, id).request->PicBuf();
    ASSERT_TRUE(CQePicBufAPI::HasPixels(picture));
    EXPECT_EQ(MaxDifference(picture, nullptr), 0) << "request " << id;
    EXPECT_GT(At(picture, picture.uiWidth - 1, 10, 0), 235);
  }
  // 16 bits of a narrow range: stretched to a visible ramp.
  auto deep = Thumb(L"run", 1, Tiff("deep.tif", {GrayRamp(256, 256, 16, 1000, 1300)}), 0, 3);
  ExpectDelivered(deep, 0, false, 128, 128);
  EXPECT_LT(At(deep.request->PicBuf(), 0, 64, 0), 30);
  EXPECT_GT(At(deep.request->PicBuf(), 127, 64, 0), 220);
  // RGB: left half red, right half blue.
  auto colour = Thumb(L"run", 2, Tiff("rgb.tif", {RedBlue(200, 200)}), 0, 4);
  ExpectDelivered(colour, 0, false, 128, 128);
  const SQePicBuf& rgb = colour.request->PicBuf();
  EXPECT_TRUE(At(rgb, 10, 64, 0) > 180 && At(rgb, 10, 64, 2) < 60);
  EXPECT_TRUE(At(rgb, 117, 64, 0) < 60 && At(rgb, 117, 64, 2) > 180);
}

TEST_F(ThumbPipelineTest, DamagedFilesGiveTheirStatusAndKeepIt) {
  const std::string cut = dir_.File("cut.tif");
  ASSERT_TRUE(WriteTiff(cut, {GrayRamp(120, 120, 8, 0, 255)}));
  std::vector<uint8_t> bytes = ReadBytes(cut);
  bytes.resize(bytes.size() / 2);  // the directory at the end is lost
  WriteBytes(cut, bytes);
  ExpectDelivered(Thumb(L"run", 0, dir_.FileW("cut.tif"), 0, 1), -9, false);  // there, unreadable

  std::vector<uint8_t> pixels(100 * 100);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> directoryFirst = HandMadeGrayTiff(100, 100, pixels);
  directoryFirst.resize(directoryFirst.size() - 3000);  // pixels missing
  WriteBytes(dir_.File("short.tif"), directoryFirst);
  ExpectDelivered(Thumb(L"run", 1, dir_.FileW("short.tif"), 0, 2), -10, false);

  EXPECT_EQ(CPeek(DbPath()).Text("SELECT group_concat(iLoadResult) FROM (SELECT iLoadResult "
                                 "FROM frame ORDER BY iFrameIndex);"),
            "-9,-10");
}

// Many requests over two readers and two callbacks, the queue (8) full now
// and then: pages by index, the second round from the database.
TEST_F(ThumbPipelineTest, EveryRequestOfManyIsDeliveredOnce) {
  const std::wstring pages = Tiff("pages.tif", {Flat(80, 80, 20), Flat(80, 80, 120)});
  for (int id = 0; id < 48; ++id) {
    const int frame = id % 24;
    auto post = [&] {
      return thumbs_->PostThumbRequest(L"many", frame, pages.c_str(), frame % 2,
                                       frame % 2 ? &other_ : &callback_, id);
    };
    int status = post();
    for (; status == -9; status = post()) thumbs_->WaitUntilEmpty();  // wait for room
    ASSERT_EQ(status, 0);
    if (id == 23) thumbs_->WaitUntilEmpty();
  }
  thumbs_->WaitUntilEmpty();
  std::set<int64_t> ids;
  for (auto* callback : {&callback_, &other_}) {
    const auto deliveries = callback->WaitFor(24);
    EXPECT_EQ(deliveries.size(), 24u);
    for (const auto& delivery : deliveries) {
      EXPECT_EQ(delivery.request->Result(), 0);
      const int page = delivery.request->FrameIndex() % 2;
      EXPECT_NEAR(At(delivery.request->PicBuf(), 40, 40, 0), 20 + 100 * page, 3);
      ids.insert(delivery.request->RequestId());
    }
  }
  EXPECT_EQ(ids.size(), 48u);
  ExpectDelivered(Thumb(L"many", 99, pages, 2, 1000), -13, false);  // no third page
}

TEST_F(ThumbPipelineTest, ReaderWithoutConnectionDeliversAnEmptyRequest) {
  thumbs_ = std::make_unique<CQeProjectThumbDb>(dir_.FileW("no/such/t.db").c_str(), &manager_, 8);
  ExpectDelivered(Thumb(L"run", 0, Tiff("frame.tif", {Flat(64, 64, 100)}), 0, 1), 0, false);
}

}  // namespace
}  // namespace qe::test

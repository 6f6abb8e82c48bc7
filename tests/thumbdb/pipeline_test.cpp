// Requests through the real pipeline: reader threads, the thumbnail file and
// acquisition files written by the tests.
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>

#include "qe/core/date_time.h"
#include "thumbdb/pipeline_fixture.h"

namespace qe::test {
namespace {

double Now() { return CQeDateTime::UNow().GetJDN(); }

// Largest difference between two pictures of the same size.
int MaxDifference(const SQePicBuf& a, const SQePicBuf& b) {
  int worst = 0;
  for (unsigned int y = 0; y < a.uiHeight; ++y) {
    for (unsigned int x = 0; x < a.uiWidth; ++x) {
      for (unsigned int c = 0; c < 3; ++c) {
        worst = std::max(worst, std::abs(At(a, x, y, c) - At(b, x, y, c)));
      }
    }
  }
  return worst;
}

TEST_F(ThumbPipelineTest, FirstAnswerFromTheFileSecondFromTheDatabase) {
  const std::wstring file = Tiff("ramp.tif", {GrayRamp(300, 200, 8, 0, 255)});
  auto first = Thumb(L"run", 7, file, 0, 1);
  ASSERT_TRUE(first.request);
  EXPECT_EQ(first.request->Result(), 0);
  EXPECT_FALSE(first.flag);
  EXPECT_FALSE(first.preview);
  const SQePicBuf& picture = first.request->PicBuf();
  ASSERT_TRUE(CQePicBufAPI::HasPixels(picture));
  EXPECT_EQ(picture.uiWidth, 128u);
  EXPECT_EQ(picture.uiHeight, 85u);
  EXPECT_EQ(picture.uiComponents, 3u);

  // The file is gone: only the database can answer now.
  std::filesystem::remove(dir_.File("ramp.tif"));
  auto second = Thumb(L"run", 7, file, 0, 2);
  ASSERT_TRUE(second.request);
  EXPECT_EQ(second.request->Result(), 0);
  EXPECT_FALSE(second.flag);
  ASSERT_EQ(second.request->PicBuf().uiWidth, 128u);
  ASSERT_EQ(second.request->PicBuf().uiHeight, 85u);
  EXPECT_LE(MaxDifference(picture, second.request->PicBuf()), 16);  // JPEG at quality 0.8
  EXPECT_DOUBLE_EQ(second.request->CTime(), first.request->CTime());

  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail WHERE iSize=128;"), 1);
  EXPECT_EQ(peek.Int("SELECT iLoadResult FROM frame WHERE iFrameIndex=7;"), 0);
}

TEST_F(ThumbPipelineTest, PreviewIsReadFromTheFileAndNeverStored) {
  const std::wstring file = Tiff("large.tif", {GrayRamp(1024, 600, 8, 10, 240)});
  auto preview = Preview(L"run", 1, file, 0, 1);
  ASSERT_TRUE(preview.request);
  EXPECT_TRUE(preview.preview);
  EXPECT_EQ(preview.request->Result(), 0);
  EXPECT_EQ(preview.request->PicBuf().uiWidth, 512u);
  EXPECT_EQ(preview.request->PicBuf().uiHeight, 300u);
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 0);

  // A stored thumbnail does not answer a preview: without the file it fails.
  Thumb(L"run", 1, file, 0, 2);
  std::filesystem::remove(dir_.File("large.tif"));
  auto again = Preview(L"run", 1, file, 0, 3);
  EXPECT_EQ(again.request->Result(), -9);
  EXPECT_TRUE(again.flag);
  EXPECT_FALSE(CQePicBufAPI::HasPixels(again.request->PicBuf()));
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 1);
}

TEST_F(ThumbPipelineTest, StoredFailureIsAnsweredWithoutOpeningTheFileAgain) {
  const std::wstring file = dir_.FileW("later.tif");
  auto missing = Thumb(L"run", 3, file, 0, 1);
  EXPECT_EQ(missing.request->Result(), -9);
  EXPECT_TRUE(missing.flag);  // the file is not there
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT iLoadResult FROM frame WHERE iFrameIndex=3;"), -9);
  EXPECT_EQ(peek.Int("SELECT count(*) FROM thumbnail;"), 0);

  // The file appears, but the stored failure stays the answer: not opened.
  Tiff("later.tif", {Flat(64, 64, 100)});
  auto cached = Thumb(L"run", 3, file, 0, 2);
  EXPECT_EQ(cached.request->Result(), -9);
  EXPECT_FALSE(cached.flag);

  // Clearing the frame lets the next request read the file.
  EXPECT_EQ(thumbs_->Clear(L"run", {3}), 0);
  auto fresh = Thumb(L"run", 3, file, 0, 3);
  EXPECT_EQ(fresh.request->Result(), 0);
  EXPECT_EQ(At(fresh.request->PicBuf(), 10, 10, 0), 100);
}

TEST_F(ThumbPipelineTest, UndecodableStoredPictureIsReloadedOnlyWhenOlderThanADay) {
  const std::wstring file = Tiff("frame.tif", {Flat(64, 64, 200)});
  {
    sqlite3* db = thumbs_->DbOpenConnection();
    const CQeByteArray junk("not a jpeg", 10);
    CQeProjectThumb::StoreThumbDataToDb(db, L"run", 1, 0, 128, 0, Now() - 0.5, junk);
    CQeProjectThumb::StoreThumbDataToDb(db, L"run", 2, 0, 128, 0, Now() - 2.0, junk);
    CQeProjectThumbDb::DbCloseConnection(db);
  }
  auto recent = Thumb(L"run", 1, file, 0, 1);
  EXPECT_EQ(recent.request->Result(), -9);
  EXPECT_FALSE(CQePicBufAPI::HasPixels(recent.request->PicBuf()));

  auto old = Thumb(L"run", 2, file, 0, 2);
  EXPECT_EQ(old.request->Result(), 0);
  ASSERT_TRUE(CQePicBufAPI::HasPixels(old.request->PicBuf()));
  EXPECT_NEAR(At(old.request->PicBuf(), 5, 5, 1), 200, 3);

  CPeek peek(DbPath());
  EXPECT_EQ(peek.Blob("SELECT pData FROM thumbnail, frame WHERE "
                      "iFrameKeyRef=frame.iKey AND iFrameIndex=1;"),
            "not a jpeg");
  EXPECT_EQ(peek.Text("SELECT hex(substr(pData, 1, 2)) FROM thumbnail, frame WHERE "
                      "iFrameKeyRef=frame.iKey AND iFrameIndex=2;"),
            "FFD8");
}

TEST_F(ThumbPipelineTest, GrayFrameGivesThreeEqualComponents) {
  const std::wstring file = Tiff("gray.tif", {GrayRamp(200, 100, 8, 0, 255)});
  for (int64_t id : {1, 2}) {  // from the file, then from the database
    auto delivery = Thumb(L"run", 0, file, 0, id);
    const SQePicBuf& picture = delivery.request->PicBuf();
    ASSERT_TRUE(CQePicBufAPI::HasPixels(picture));
    int unequal = 0;
    for (unsigned int y = 0; y < picture.uiHeight; ++y) {
      for (unsigned int x = 0; x < picture.uiWidth; ++x) {
        if (At(picture, x, y, 0) != At(picture, x, y, 1) ||
            At(picture, x, y, 1) != At(picture, x, y, 2)) {
          ++unequal;
        }
      }
    }
    EXPECT_EQ(unequal, 0) << "request " << id;
    EXPECT_LT(At(picture, 0, 10, 0), 20);
    EXPECT_GT(At(picture, picture.uiWidth - 1, 10, 0), 235);
  }
}

TEST_F(ThumbPipelineTest, SixteenBitFrameWithNarrowRangeIsVisible) {
  const std::wstring file = Tiff("deep.tif", {GrayRamp(256, 256, 16, 1000, 1300)});
  auto delivery = Thumb(L"run", 0, file, 0, 1);
  ASSERT_EQ(delivery.request->Result(), 0);
  const SQePicBuf& picture = delivery.request->PicBuf();
  EXPECT_LT(At(picture, 0, 64, 0), 30);
  EXPECT_GT(At(picture, 127, 64, 0), 220);
  EXPECT_NEAR(At(picture, 64, 64, 0), 128, 20);
}

TEST_F(ThumbPipelineTest, ColourFramesAndPagesOfAMultiPageFile) {
  const std::wstring rgb = Tiff("rgb.tif", {RedBlue(200, 200)});
  auto colour = Thumb(L"run", 0, rgb, 0, 1);
  ASSERT_EQ(colour.request->Result(), 0);
  const SQePicBuf& picture = colour.request->PicBuf();
  EXPECT_GT(At(picture, 10, 64, 0), 180);
  EXPECT_LT(At(picture, 10, 64, 2), 60);
  EXPECT_LT(At(picture, 117, 64, 0), 60);
  EXPECT_GT(At(picture, 117, 64, 2), 180);

  const std::wstring pages =
      Tiff("pages.tif", {Flat(90, 60, 30), Flat(90, 60, 130), Flat(90, 60, 230)});
  for (int seq = 0; seq < 3; ++seq) {
    auto page = Thumb(L"run", 10 + seq, pages, seq, 10 + seq);
    ASSERT_EQ(page.request->Result(), 0);
    EXPECT_EQ(page.request->PicBuf().uiWidth, 90u);  // never enlarged
    EXPECT_EQ(At(page.request->PicBuf(), 45, 30, 0), 30 + 100 * seq);
  }
  auto beyond = Thumb(L"run", 13, pages, 3, 13);
  EXPECT_EQ(beyond.request->Result(), -13);
  EXPECT_FALSE(beyond.flag);
}

TEST_F(ThumbPipelineTest, DamagedFilesGiveTheirStatusAndKeepIt) {
  const std::string cut = dir_.File("cut.tif");
  ASSERT_TRUE(WriteTiff(cut, {GrayRamp(120, 120, 8, 0, 255)}));
  std::vector<uint8_t> bytes = ReadBytes(cut);
  bytes.resize(bytes.size() / 2);  // the directory at the end is lost
  WriteBytes(cut, bytes);
  auto headless = Thumb(L"run", 0, dir_.FileW("cut.tif"), 0, 1);
  EXPECT_EQ(headless.request->Result(), -9);
  EXPECT_FALSE(headless.flag);  // there, but not a readable TIFF

  std::vector<uint8_t> directoryFirst = GrayTiffDirectoryFirst(100, 100);
  directoryFirst.resize(directoryFirst.size() - 3000);  // pixels missing
  WriteBytes(dir_.File("short.tif"), directoryFirst);
  auto truncated = Thumb(L"run", 1, dir_.FileW("short.tif"), 0, 2);
  EXPECT_EQ(truncated.request->Result(), -10);
  EXPECT_FALSE(CQePicBufAPI::HasPixels(truncated.request->PicBuf()));

  WriteBytes(dir_.File("junk.tif"), std::vector<uint8_t>(4000, 0x5a));
  auto junk = Thumb(L"run", 2, dir_.FileW("junk.tif"), 0, 3);
  EXPECT_EQ(junk.request->Result(), -9);

  CPeek peek(DbPath());
  EXPECT_EQ(peek.Text("SELECT group_concat(iLoadResult) FROM (SELECT iLoadResult FROM frame "
                      "ORDER BY iFrameIndex);"),
            "-9,-10,-9");
  auto again = Thumb(L"run", 1, dir_.FileW("short.tif"), 0, 4);
  EXPECT_EQ(again.request->Result(), -10);
}

TEST_F(ThumbPipelineTest, JpegAcquisitionAndTextsThatNeedCare) {
  const std::wstring file = qe::Utf8ToWide(dir_.File("Zellkern \xc3\xbc'%s.jpg"));
  ASSERT_TRUE(WriteJpeg(file, 640, 480));
  const wchar_t* uuid = L"o'neil \u00e9 100%";
  auto first = Thumb(uuid, 5, file, 0, 1);
  ASSERT_EQ(first.request->Result(), 0);
  EXPECT_EQ(first.request->PicBuf().uiWidth, 128u);
  EXPECT_EQ(first.request->PicBuf().uiHeight, 96u);
  EXPECT_EQ(first.request->JobrunUuid(), uuid);
  std::filesystem::remove(dir_.File("Zellkern \xc3\xbc'%s.jpg"));
  auto second = Thumb(uuid, 5, file, 0, 2);
  EXPECT_EQ(second.request->Result(), 0);
  EXPECT_EQ(thumbs_->Clear(uuid), 0);
  CPeek peek(DbPath());
  EXPECT_EQ(peek.Int("SELECT count(*) FROM frame;"), 0);
}

TEST_F(ThumbPipelineTest, EveryRequestOfManyIsDeliveredOnce) {
  std::vector<std::wstring> files;
  for (int i = 0; i < 6; ++i) {
    files.push_back(Tiff("f" + std::to_string(i) + ".tif",
                         {Flat(80, 80, uint16_t(20 * i)), Flat(80, 80, uint16_t(20 * i + 5))}));
  }
  int posted = 0;
  for (int round = 0; round < 2; ++round) {  // the second round comes from the database
    for (int frame = 0; frame < 12; ++frame) {
      CRecordingCallback* target = frame % 2 ? &other_ : &callback_;
      const int64_t id = round * 100 + frame;
      int status = thumbs_->PostThumbRequest(L"many", frame, files[frame / 2].c_str(), frame % 2,
                                             target, id);
      // The queue holds 8: wait for room rather than lose a request.
      while (status == -9) {
        thumbs_->WaitUntilEmpty();
        status = thumbs_->PostThumbRequest(L"many", frame, files[frame / 2].c_str(), frame % 2,
                                           target, id);
      }
      ASSERT_EQ(status, 0);
      ++posted;
    }
    thumbs_->WaitUntilEmpty();
  }
  auto mine = callback_.WaitFor(12);
  auto theirs = other_.WaitFor(12);
  EXPECT_EQ(mine.size(), 12u);
  EXPECT_EQ(theirs.size(), 12u);
  std::set<int64_t> ids;
  for (const auto* list : {&mine, &theirs}) {
    for (const auto& delivery : *list) {
      EXPECT_EQ(delivery.request->Result(), 0);
      const int frame = delivery.request->FrameIndex();
      EXPECT_NEAR(At(delivery.request->PicBuf(), 40, 40, 0), 20 * (frame / 2) + 5 * (frame % 2), 3);
      ids.insert(delivery.request->RequestId());
    }
  }
  EXPECT_EQ(static_cast<int>(ids.size()), posted);
}

TEST_F(ThumbPipelineTest, ReaderWithoutConnectionDeliversAnEmptyRequest) {
  thumbs_.reset();
  thumbs_ =
      std::make_unique<CQeProjectThumbDb>(dir_.FileW("no/such/folder/t.db").c_str(), &manager_, 8);
  const std::wstring file = Tiff("frame.tif", {Flat(64, 64, 100)});
  auto delivery = Thumb(L"run", 0, file, 0, 1);
  ASSERT_TRUE(delivery.request);
  EXPECT_EQ(delivery.request->Result(), 0);
  EXPECT_FALSE(CQePicBufAPI::HasPixels(delivery.request->PicBuf()));
}

}  // namespace
}  // namespace qe::test

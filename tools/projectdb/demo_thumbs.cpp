// `projectdb demo`: thumbnails of every frame through the thumbnail
// database and its reader threads, and a contact sheet laid out like the
// plate.
#include <cstdio>
#include <map>
#include <mutex>

#include "demo.h"
#include "progress.h"
#include "qe/picture/drawing_surface.h"
#include "qe/picture/image_format.h"
#include "qe/thumbdb/project_thumb_db.h"

namespace qe::cli::demo {
namespace {

constexpr int kQueueCapacity = 256;
constexpr int kCell = 136;   // a 128-pixel thumbnail and a margin of 4 on each side
constexpr int kLeft = 36;    // room for the row letters
constexpr int kTop = 64;     // title and column numbers
constexpr int kBottom = 40;  // the legend
constexpr SQeColor kBackground{40, 40, 40};
constexpr SQeColor kLabel{230, 230, 230};
constexpr SQeColor kPositive{60, 220, 90};
constexpr SQeColor kControl{240, 180, 40};

// Counts the answers and keeps those the sheet shows. Called on reader
// threads; mutex_ guards the members below it.
class Collector : public IQeProjectThumbReadyCallback {
 public:
  explicit Collector(Progress& progress) : progress_(progress) {}

  void ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool) override {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (request->Result() != 0) ++failed_;
      if (onSheet_.contains(request->FrameIndex())) sheet_[request->FrameIndex()] = request;
    }
    progress_.Step();
  }
  void PreviewReady(CQeRefCountPtr<CQeProjectThumb>, bool) override {}

  // Before any post: the frames whose pictures are kept, by frame index.
  void KeepForSheet(int frameIndex) { onSheet_[frameIndex] = true; }
  int Failed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return failed_;
  }
  CQeRefCountPtr<CQeProjectThumb> Picture(int frameIndex) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = sheet_.find(frameIndex);
    return found == sheet_.end() ? CQeRefCountPtr<CQeProjectThumb>() : found->second;
  }

 private:
  Progress& progress_;
  std::map<int, bool> onSheet_;  // written before the first post, then only read
  std::mutex mutex_;
  int failed_ = 0;                                        // guarded by mutex_
  std::map<int, CQeRefCountPtr<CQeProjectThumb>> sheet_;  // guarded by mutex_
};

void Outline(CQeDrawingSurface& sheet, const SQeRect& r, SQeColor color, int width) {
  sheet.SetPenColor(color);
  for (int i = 0; i < width; ++i) {
    sheet.MoveTo(r.left + i, r.top + i);
    sheet.LineTo(r.right - 1 - i, r.top + i);
    sheet.LineTo(r.right - 1 - i, r.bottom - 1 - i);
    sheet.LineTo(r.left + i, r.bottom - 1 - i);
    sheet.LineTo(r.left + i, r.top + i);
  }
}

int WriteSheet(Collector& collector, const std::map<int, int>& frameOfWell,
               const std::vector<bool>& positive, const std::string& path) {
  CQeDrawingSurface sheet(kLeft + kCols * kCell + 8, kTop + kRows * kCell + kBottom, kBackground);
  sheet.SetTextColor(kLabel);
  sheet.SetTextScale(2);
  sheet.DrawText(L"Demo screen, plate DEMO-0001: DAPI, field 1 of each well",
                 SQeRect{kLeft, 8, sheet.Width(), 32}, eQeDtLeft);
  for (int col = 0; col < kCols; ++col) {
    sheet.DrawText(std::to_wstring(col + 1).c_str(),
                   SQeRect{kLeft + col * kCell, 36, kLeft + (col + 1) * kCell, kTop},
                   eQeDtCenter | eQeDtVCenter);
  }
  for (int row = 0; row < kRows; ++row) {
    const wchar_t letter[2] = {static_cast<wchar_t>(L'A' + row), 0};
    sheet.DrawText(letter, SQeRect{0, kTop + row * kCell, kLeft, kTop + (row + 1) * kCell},
                   eQeDtCenter | eQeDtVCenter);
    for (int col = 0; col < kCols; ++col) {
      const SQeRect cell{kLeft + col * kCell, kTop + row * kCell, kLeft + (col + 1) * kCell,
                         kTop + (row + 1) * kCell};
      const auto frame = frameOfWell.find(row * kCols + col);
      const CQeRefCountPtr<CQeProjectThumb> picture = frame == frameOfWell.end()
                                                          ? CQeRefCountPtr<CQeProjectThumb>()
                                                          : collector.Picture(frame->second);
      sheet.FillRect(SQeRect{cell.left + 6, cell.top + 6, cell.right - 6, cell.bottom - 6},
                     CQeDrawingSurface::kBlack);
      if (picture) {
        picture->DrawIntoDC(sheet.Handle(), cell.left + 6, cell.top + 6, kCell - 12, kCell - 12,
                            nullptr, nullptr, nullptr, nullptr);
      }
      const Well well = DescribeWell(row, col);
      if (positive[row * kCols + col]) Outline(sheet, cell, kPositive, 3);
      if (well.negativeControl || well.positiveControl) {
        Outline(sheet, SQeRect{cell.left + 3, cell.top + 3, cell.right - 3, cell.bottom - 3},
                kControl, 2);
      }
    }
  }
  sheet.SetTextScale(1);
  const int legend = kTop + kRows * kCell + 14;
  sheet.SetTextColor(kPositive);
  sheet.DrawText(L"Green frame: labelled positive",
                 SQeRect{kLeft, legend, kLeft + 400, legend + 12}, eQeDtLeft);
  sheet.SetTextColor(kControl);
  sheet.DrawText(L"Yellow frame: control (column 1 untreated, column 12 saturating dose)",
                 SQeRect{kLeft + 260, legend, sheet.Width(), legend + 12}, eQeDtLeft);
  return sheet.SavePng(CQeStringW::FromUtf8(path));
}

}  // namespace

bool MakeThumbnails(Made& made, const std::string& thumbDb, const std::string& sheetPath) {
  CQeImageFormatManager manager;
  Progress progress("thumbnails", static_cast<int64_t>(made.frames.size()));
  Collector collector(progress);
  std::map<int, int> frameOfWell;  // the sheet's frame of each well
  for (const FrameRecord& frame : made.frames) {
    if (frame.field == 0 && frame.channel == 0) {
      frameOfWell[frame.wellIndex] = frame.frameIndex;
      collector.KeepForSheet(frame.frameIndex);
    }
  }
  {
    CQeProjectThumbDb thumbs(CQeStringW::FromUtf8(thumbDb), &manager, kQueueCapacity);
    for (const FrameRecord& frame : made.frames) {
      const int row = frame.wellIndex / kCols, col = frame.wellIndex % kCols;
      const CQeStringW file = CQeStringW::FromUtf8(made.runFolder + WellName(row, col) + ".tif");
      const int page = frame.field * kChannels + frame.channel;
      int posted = 0;
      // A full reading queue refuses at once: let the readers catch up.
      while ((posted = thumbs.PostThumbRequest(made.runUuid, frame.frameIndex, file, page,
                                               &collector, frame.frameIndex)) == -9) {
        thumbs.WaitUntilEmpty();
      }
      if (!Check(posted, "asking for the thumbnail of frame " + std::to_string(frame.frameIndex))) {
        return false;
      }
    }
    thumbs.WaitUntilEmpty();
  }
  progress.Finish();
  const int failed = collector.Failed();
  Detail("thumbnails", std::to_string(made.frames.size() - failed) + " of " +
                           std::to_string(made.frames.size()) + " frames, stored as JPEG in " +
                           thumbDb);
  if (failed != 0) {
    std::fprintf(stderr, "projectdb demo: %d thumbnails failed\n", failed);
    return false;
  }
  if (!Check(WriteSheet(collector, frameOfWell, made.positiveWells, sheetPath),
             "writing " + sheetPath))
    return false;
  Detail("contact sheet", sheetPath + " (field 1, DAPI, of every well, laid out like the plate)");
  return true;
}

}  // namespace qe::cli::demo

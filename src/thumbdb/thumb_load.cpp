// Loading a stored picture, and the JPEG form in which pictures are stored.
#include "qe/core/date_time.h"
#include "qe/core/status.h"
#include "qe/sqlite/cmd.h"
#include "qe/sqlite/sql_text.h"
#include "qe/thumbdb/project_thumb.h"
#include "thumbdb/thumb_names.h"

namespace {

using namespace qe::thumbdb;

constexpr double kJpegQuality = 0.8;
// A stored picture that cannot be decoded is read again from its file only
// when it is older than this many days, so that a file that keeps failing
// is not decoded over and over.
constexpr double kReloadAfterDays = 1.0;

CQeStringW LoadSql() {
  const SQeSqliteTableDef& run = g_QeThumbDbTable_jobrunuuid;
  const SQeSqliteTableDef& frame = g_QeThumbDbTable_frame;
  const SQeSqliteTableDef& thumb = g_QeThumbDbTable_thumbnail;
  const wchar_t* f = TableName(frame);
  const wchar_t* t = TableName(thumb);
  const wchar_t* r = TableName(run);
  return QeSqlite_FormatSql(
      L"SELECT %s.%s, %s.%s, %s.%s, %s.%s  FROM %s, %s LEFT JOIN %s ON %s.%s=%s.%s  WHERE "
      L"%s.%s=%s.%s  AND %s.%s=? AND %s.%s=?;",
      f, ColumnName(frame, kFrameCTime), f, ColumnName(frame, kFrameLoadResult), t,
      ColumnName(thumb, kThumbnailSize), t, ColumnName(thumb, kThumbnailData), r, f, t, t,
      ColumnName(thumb, kThumbnailFrameRef), f, ColumnName(frame, kFrameKey), f,
      ColumnName(frame, kFrameJobrunuuidRef), r, ColumnName(run, kJobrunuuidKey), r,
      ColumnName(run, kJobrunuuidUuid), f, ColumnName(frame, kFrameIndex));
}

}  // namespace

int CQeProjectThumb::DbLoadThumbnail(sqlite3* db, bool* reload) {
  unsigned int size = 0;
  ThumbnailSize(&size, nullptr);
  CQeSqliteCmd select(db, LoadSql());
  select.Bind(1, jobrunUuid_);
  select.Bind(2, frameIndex_);
  const double now = CQeDateTime::UNow().GetJDN();
  bool anyRow = false;
  int lastLoadResult = 0;
  CQeByteArray bytes;
  while (select.Next()) {
    anyRow = true;
    cTime_ = select.ColumnDouble(0);
    lastLoadResult = select.ColumnInt(1);
    if (lastLoadResult == 0 && select.ColumnInt(2) == static_cast<int>(size)) {
      bytes = select.ColumnBytes(3);
      break;
    }
  }
  if (!anyRow) {
    *reload = true;
    return eQeNotFound;
  }
  if (bytes.IsEmpty()) {
    // A stored load failure stays the answer until the run is cleared.
    *reload = false;
    return lastLoadResult;
  }
  const int status = JpegDecodeThumbnail(bytes);
  *reload = status != eQeOk && now - cTime_ > kReloadAfterDays;
  return status;
}

int CQeProjectThumb::JpegEncodeThumbnail(IQeImageFormatManager* formatManager,
                                         const SQePicBuf& picture, CQeByteArray& bytes) {
  if (!CQePicBufAPI::HasPixels(picture)) return eQeMissingArgument;
  if (!formatManager) return eQeFailed;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  if (formatManager->GetHandlerForFormatName(L"JPG", handler) != eQeOk || !handler) {
    return eQeFailed;
  }
  CQeRefCountPtr<IQeOutputImageFile> output;
  if (handler->CreateOutputBytes(&bytes, output) != eQeOk || !output) return eQeFailed;
  if (output->SetImageInfo(picture.uiWidth, picture.uiHeight, picture.uiBitsPerComponent,
                           picture.uiComponents, kJpegQuality) != eQeOk ||
      output->WritePixels(picture) != eQeOk || output->Finish() != eQeOk) {
    return eQeFailed;
  }
  return eQeOk;
}

int CQeProjectThumb::JpegDecodeThumbnail(CQeByteArray& bytes) {
  auto decode = [&]() -> int {
    IQeImageFormatManager* formatManager = FormatManager();
    if (!formatManager) return eQeFailed;
    CQeRefCountPtr<IQeImageFormatHandler> handler;
    if (formatManager->GetHandlerForFormatName(L"JPG", handler) != eQeOk || !handler) {
      return eQeFailed;
    }
    CQeRefCountPtr<IQeInputImageFile> input;
    if (handler->OpenInputBytes(bytes, input) != eQeOk || !input) return eQeFailed;
    SQeImageInfo info{};
    if (input->GetImageInfo(0, info) != eQeOk || info.uiBitsPerComponent != 8 ||
        info.uiComponents != 3) {
      return eQeFailed;
    }
    if (CQePicBufAPI::Reinit(picture_, info.uiWidth, info.uiHeight, 8, 3) != eQeOk ||
        input->ReadFrame(0, picture_) != eQeOk) {
      return eQeFailed;
    }
    return eQeOk;
  };
  const int status = decode();
  if (status != eQeOk) CQePicBufAPI::Free(picture_);
  return status;
}

// The work of a request on a reader: answer from the database, or load the
// frame from its file and store what came of it.
#include "qe/core/date_time.h"
#include "qe/core/status.h"
#include "qe/thumbdb/project_thumb.h"
#include "qe/thumbdb/thumb_reader.h"

void CQeProjectThumb::Process(IQeParallelProcessingQueueThread* thread) {
  auto* reader =
      thread ? static_cast<CQeProjectThumbReader*>(thread->GetInterface(L"CQeProjectThumbReader"))
             : nullptr;
  if (!reader || !reader->Connection()) return;
  sqlite3* db = reader->Connection();
  if (type_ == eThumbnail) {
    bool reload = false;
    result_ = DbLoadThumbnail(db, &reload);
    if (reload) {
      result_ = FileLoadThumbnail();
      DbSaveThumbnail(db);
    }
  } else {
    result_ = FileLoadThumbnail();
  }
}

int CQeProjectThumb::FileLoadThumbnail() {
  if (fileName_.IsEmpty()) return eQeMissingArgument;
  IQeImageFormatManager* formatManager = FormatManager();
  if (!formatManager) return eQeFailed;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  if (formatManager->GetHandlerForFileName(fileName_, handler) != eQeOk || !handler) {
    return eQeFailed;
  }
  CQeRefCountPtr<IQeInputImageFile> file;
  const int opened = handler->OpenInputFile(fileName_, file);
  if (opened == eQeOk && file) {
    handler = nullptr;
    return FileLoadThumbnail(file.Get());
  }
  // The flag tells the host that the file is not there (or not reachable),
  // as opposed to a file that is there but cannot be read as a picture.
  callbackFlag_ = opened == eQeNoPathOrTooNew && handler->Query(eQeQueryLastOpenUnreadable) == 0;
  return eQeFailed;
}

int CQeProjectThumb::FileLoadThumbnail(IQeInputImageFile* file) {
  if (!file) return eQeMissingArgument;
  unsigned int width = 0;
  unsigned int height = 0;
  ThumbnailSize(&width, &height);
  unsigned int fitWidth = 0;
  unsigned int fitHeight = 0;
  if (int status = file->GetFitSize(fileSeqIndex_, width, height, &fitWidth, &fitHeight);
      status != eQeOk) {
    return status;
  }
  if (int status = CQePicBufAPI::Reinit(picture_, fitWidth, fitHeight, 8, 3); status != eQeOk) {
    return status;
  }
  const int status = file->ReadFrame(fileSeqIndex_, picture_);
  if (status != eQeOk) {
    // No half-read picture: a failed load draws as "N/A".
    CQePicBufAPI::Free(picture_);
    return status;
  }
  SQeImageInfo info{};
  if (file->GetImageInfo(fileSeqIndex_, info) == eQeOk && info.uiComponents == 1) {
    CQePicBufOwner gray;
    if (CQePicBufAPI::Reinit(gray.Get(), fitWidth, fitHeight, 8, 1) == eQeOk &&
        CQePicBufAPI::ColorToGray(gray.Get(), picture_) == eQeOk) {
      CQePicMemAPI::ExpandComponent(picture_, gray.Get(), 0);
    }
  }
  return status;
}

int CQeProjectThumb::DbSaveThumbnail(sqlite3* db) {
  CQeByteArray bytes;
  if (result_ == eQeOk && JpegEncodeThumbnail(FormatManager(), picture_, bytes) != eQeOk) {
    return eQeFailed;
  }
  cTime_ = CQeDateTime::UNow().GetJDN();
  unsigned int size = 0;
  ThumbnailSize(&size, nullptr);
  StoreThumbDataToDb(db, jobrunUuid_, frameIndex_, fileSeqIndex_, static_cast<int>(size), result_,
                     cTime_, bytes);
  return eQeOk;
}

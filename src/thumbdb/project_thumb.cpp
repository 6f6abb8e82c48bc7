// A thumbnail request: creation, identity and delivery to its callback.
#include "qe/thumbdb/project_thumb.h"

#include <cwchar>
#include <exception>
#include <new>

#include "qe/core/diag.h"
#include "qe/thumbdb/project_thumb_db.h"

CQeProjectThumb::CQeProjectThumb(EQeType type, const wchar_t* jobrunUuid, int frameIndex,
                                 const wchar_t* fileName, int fileSeqIndex,
                                 CQeProjectThumbDb* owner, IQeProjectThumbReadyCallback* callback,
                                 int64_t requestId)
    : type_(type),
      requestId_(requestId),
      jobrunUuid_(jobrunUuid),
      frameIndex_(frameIndex),
      fileName_(fileName),
      fileSeqIndex_(fileSeqIndex),
      owner_(owner),
      callback_(callback) {
  CQePicBufAPI::Init(picture_);
}

CQeProjectThumb::~CQeProjectThumb() { CQePicBufAPI::Free(picture_); }

CQeRefCountPtr<CQeProjectThumb> CQeProjectThumb::Create(EQeType type, const wchar_t* jobrunUuid,
                                                        int frameIndex, const wchar_t* fileName,
                                                        int fileSeqIndex, CQeProjectThumbDb* owner,
                                                        IQeProjectThumbReadyCallback* callback,
                                                        int64_t requestId) {
  try {
    return CQeRefCountPtr<CQeProjectThumb>::Adopt(new CQeProjectThumb(
        type, jobrunUuid, frameIndex, fileName, fileSeqIndex, owner, callback, requestId));
  } catch (const std::exception&) {
    return nullptr;
  }
}

void* CQeProjectThumb::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeProjectThumb") == 0) {
    return static_cast<CQeProjectThumb*>(this);
  }
  return CQeProcessingQItem::GetInterface(name);
}

void CQeProjectThumb::ThumbnailSize(unsigned int* width, unsigned int* height) const {
  const unsigned int size = type_ == eThumbnail ? THUMBNAIL_SIZE : PREVIEW_SIZE;
  if (width) *width = size;
  if (height) *height = size;
}

void CQeProjectThumb::InvokeReadyCallback() {
  IQeProjectThumbReadyCallback* callback = callback_.load();
  if (!callback) return;
  // This runs on a reader thread inside the reading queue's locked step; an
  // exception from the host must neither end the reader nor leave the queue.
  try {
    CQeRefCountPtr<CQeProjectThumb> self(this);
    if (type_ == eThumbnail) {
      callback->ThumbnailReady(self, callbackFlag_);
    } else {
      callback->PreviewReady(self, callbackFlag_);
    }
  } catch (...) {
    QE_DIAG(L"Thumbnail callback of frame %d failed", frameIndex_);
  }
}

IQeImageFormatManager* CQeProjectThumb::FormatManager() const {
  return owner_ ? owner_->FormatManagerGet() : nullptr;
}

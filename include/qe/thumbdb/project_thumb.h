// Thumbnail requests: one frame of a job run whose picture the host wants,
// answered later through a callback.
//
// Conventions:
//  - A request is a counted item of the processing queues (qe/queue/). Only
//    CQeProjectThumbDb creates requests (posting, CreateThumbnailFromFile);
//    the host receives them in its IQeProjectThumbReadyCallback and may keep
//    its own reference as long as it likes.
//  - A thumbnail request (128 pixels) is answered from the thumbnail database
//    when a usable picture is stored there, otherwise from the frame's file,
//    and the new picture is stored. A preview request (512 pixels) is always
//    read from the file and never stored.
//  - Result(): 0 when the picture was loaded (or, on a reader without a
//    database connection, when nothing was tried); otherwise the status of
//    the failed load: -4 no file name, -9 the file could not be opened or a
//    stored picture could not be decoded, -10 the file's data is damaged,
//    -13 no such frame in the file; a failure stored earlier comes back as
//    it was stored, without opening the file again.
//  - The callback flag is true when the frame's file is missing or cannot be
//    opened at all (the open failed and the format handler did not find the
//    file unreadable as its format); false in every other case, including
//    failures answered from the database.
//  - Threads: a request is shared by the posting thread, the reader that
//    processes it, the reading queue (which may cancel it) and the host. The
//    reader alone writes the result, flag, time and picture, inside Process
//    while the request is in state 1 (eQItemProcessing); the reading queue's
//    mutex, taken to deliver the request, orders those writes before the
//    callback. The callback pointer is atomic: CQeProjectThumbQueue clears it
//    under the reading queue's mutex while a reader may be processing, and
//    delivery reads it under that same mutex. Everything else is fixed at
//    creation.
#pragma once

#include <atomic>
#include <cstdint>

#include "qe/core/byte_array.h"
#include "qe/core/refcount.h"
#include "qe/core/string.h"
#include "qe/picture/image_file.h"
#include "qe/picture/image_format.h"
#include "qe/picture/pic_buf.h"
#include "qe/queue/queue_item.h"

struct sqlite3;
class CQeProjectThumb;
class CQeProjectThumbDb;
class CQeProjectThumbQueue;

// Implemented by the host. Both calls run on a reader thread while the
// reading queue's mutex is held (see CQeProjectThumbQueue): an
// implementation must return soon and must not post, cancel or wait on the
// thumbnail database. `request` is the callback's own reference.
class IQeProjectThumbReadyCallback {
 public:
  virtual void PreviewReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) = 0;
  virtual void ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) = 0;

 protected:
  ~IQeProjectThumbReadyCallback() = default;
};

class CQeProjectThumb : public CQeProcessingQItem {
 public:
  enum EQeType { eThumbnail = 0, ePreview = 1 };

  // Nominal picture sizes in pixels: the picture fits this square.
  static const unsigned int THUMBNAIL_SIZE = 128;
  static const unsigned int PREVIEW_SIZE = 512;

  // Answers "CQeProjectThumb", then "CQeProcessingQItem".
  void* GetInterface(const wchar_t* name) override;

  // The work of a reader (CQeProjectThumbReader): a thumbnail is loaded from
  // the reader's database connection, or from the file when the database
  // has no usable answer (and then stored); a preview is loaded from the
  // file. On any other thread, or a reader without a connection, nothing is
  // done: the request keeps result 0 and an empty picture.
  void Process(IQeParallelProcessingQueueThread* thread) override;

  EQeType Type() const { return type_; }
  int64_t RequestId() const { return requestId_; }
  const CQeStringW& JobrunUuid() const { return jobrunUuid_; }
  int FrameIndex() const { return frameIndex_; }
  const CQeStringW& FileName() const { return fileName_; }
  int FileSeqIndex() const { return fileSeqIndex_; }
  // The status of the last load (see the conventions above).
  int Result() const { return result_; }
  bool CallbackFlag() const { return callbackFlag_; }
  // JDN time: of the stored row when answered from the database, of the
  // store when loaded from the file; 0 otherwise.
  double CTime() const { return cTime_; }
  // The picture: 8 bits, 3 components (R, G, B), at most the nominal size
  // and the frame's aspect ratio; no pixels when loading failed. Owned by
  // the request.
  const SQePicBuf& PicBuf() const { return picture_; }
  IQeProjectThumbReadyCallback* Callback() const { return callback_.load(); }

  // Writes the nominal size (128 for thumbnails, 512 for previews) into
  // each pointer that is not null.
  void ThumbnailSize(unsigned int* width, unsigned int* height) const;

  // Calls the callback's ThumbnailReady or PreviewReady with a new
  // reference to this request and the callback flag; nothing without a
  // callback. Called by the callback queue on delivery.
  void InvokeReadyCallback();

  // Draws the picture into the drawing surface whose handle is dc
  // (qe/picture/drawing_surface.h), fitted into the rectangle x, y, width,
  // height with its aspect ratio kept and centred. Without a picture
  // (Result() not 0, or no pixels, as from a reader without a database
  // connection) it draws a cross through a rectangle narrower or lower than
  // 31 pixels, else the text "N/A" centred. The rectangle drawn into
  // goes to the out pointers that are not null. Returns 0, or -11 when the
  // surface cannot draw the picture (an unknown handle).
  int DrawIntoDC(unsigned int dc, int x, int y, int width, int height, int* outX, int* outY,
                 int* outWidth, int* outHeight) const;

  // Encodes an 8-bit picture as JPEG (quality 0.8) into bytes (replaced).
  // Returns 0; -4 for a picture without pixels; -9 without a format manager
  // or when encoding fails.
  static int JpegEncodeThumbnail(IQeImageFormatManager* formatManager, const SQePicBuf& picture,
                                 CQeByteArray& bytes);
  // Decodes JPEG bytes (8 bits, 3 components) into this request's picture.
  // Returns 0, or -9 (the picture is then freed): no format manager, bytes
  // that are not such a JPEG.
  int JpegDecodeThumbnail(CQeByteArray& bytes);

  // Records the result of one load of a frame's picture in the thumbnail
  // database on db: the run's uuid row and the frame row are created when
  // missing; the frame row's load result (and time) is updated when it
  // differs; data, when not empty, becomes (or replaces) the frame's picture
  // of the given nominal size. Runs in one transaction and starts again
  // after 100 ms when the database is busy or locked. Any other failure
  // rolls back and is not reported: always returns 0.
  static int StoreThumbDataToDb(sqlite3* db, const wchar_t* jobrunUuid, int frameIndex,
                                int fileSeqIndex, int size, int loadResult, double cTime,
                                const CQeByteArray& data);

 protected:
  // Frees the picture.
  ~CQeProjectThumb() override;

 private:
  friend class CQeProjectThumbDb;
  friend class CQeProjectThumbQueue;

  CQeProjectThumb(EQeType type, const wchar_t* jobrunUuid, int frameIndex, const wchar_t* fileName,
                  int fileSeqIndex, CQeProjectThumbDb* owner,
                  IQeProjectThumbReadyCallback* callback, int64_t requestId);
  static CQeRefCountPtr<CQeProjectThumb> Create(EQeType type, const wchar_t* jobrunUuid,
                                                int frameIndex, const wchar_t* fileName,
                                                int fileSeqIndex, CQeProjectThumbDb* owner,
                                                IQeProjectThumbReadyCallback* callback,
                                                int64_t requestId);

  // Cleared by CQeProjectThumbQueue::RemoveCallbacks.
  void ClearCallback() { callback_.store(nullptr); }
  IQeImageFormatManager* FormatManager() const;

  // Looks up the frame's stored picture of the nominal size; see the
  // thumbnail store in docs/thumbdb.md. Returns 0 (picture decoded), -13
  // (no row; *reload true), the stored load failure (*reload false), or -9
  // (stored bytes not decodable; *reload true when older than a day).
  int DbLoadThumbnail(sqlite3* db, bool* reload);
  // Stores the result (and, after a successful load, the picture as JPEG).
  // Returns 0, or -9 when the picture could not be encoded (nothing stored).
  int DbSaveThumbnail(sqlite3* db);
  // Opens the file by name through the owner's format manager and loads the
  // frame. Returns -4 (no file name), -9 (no manager, no handler, the open
  // failed: sets the callback flag when the file is missing) or the status
  // of FileLoadThumbnail(file).
  int FileLoadThumbnail();
  // Reads frame fileSeqIndex of an open file, fitted into the nominal size,
  // into the picture as 3 components (gray frames as three equal ones).
  // Returns the fit-size or read status.
  int FileLoadThumbnail(IQeInputImageFile* file);

  const EQeType type_;
  const int64_t requestId_;
  int result_ = 0;
  bool callbackFlag_ = false;
  const CQeStringW jobrunUuid_;
  const int frameIndex_;
  const CQeStringW fileName_;
  const int fileSeqIndex_;
  double cTime_ = 0.0;
  SQePicBuf picture_;
  CQeProjectThumbDb* const owner_;  // not counted; outlives the request's processing
  std::atomic<IQeProjectThumbReadyCallback*> callback_;  // not counted; may be null
};

// Image format handlers and the format manager that finds them.
//
// Conventions:
//  - Three formats: "TIF" (libtiff: multi-page, 8 or 16 bits, gray or RGB,
//    strips or tiles, any compression libtiff decodes; other layouts of up to
//    8 bits through libtiff's RGBA reader), "PNG" (libpng) and "JPG"
//    (TurboJPEG).
//  - A handler is reference counted and handed out in a CQeRefCountPtr; every
//    lookup makes a new handler, so a handler (and what Query reports about
//    its last open) belongs to the one caller that asked for it.
//  - File names are wide texts, converted to UTF-8 for the file system.
//  - Status codes as in image_file.h, plus -1 (eQeNoPathOrTooNew) for an
//    OpenInputFile that failed; Query(eQeQueryLastOpenUnreadable) then says why.
#pragma once

#include "qe/core/byte_array.h"
#include "qe/core/refcount.h"
#include "qe/picture/image_file.h"

// Items of IQeImageFormatHandler::Query.
enum EQeImageHandlerQuery : int {
  // 1 when the last OpenInputFile of this handler failed although the file
  // exists and the operating system opened it: its content is not readable as
  // this format (wrong format, truncated or corrupt header). 0 otherwise: the
  // last open succeeded, none was made, or the file is missing or cannot be
  // opened at all (no permission, a folder, an unreachable drive).
  eQeQueryLastOpenUnreadable = 24,
};

class IQeImageFormatHandler : public IQeRefCount {
 public:
  // "TIF", "PNG" or "JPG"; valid as long as the handler.
  virtual const wchar_t* FormatName() const = 0;
  // Opens a file for reading and checks its header. Returns 0 with file set;
  // -4 for an empty name; -1 when it cannot be opened (see Query).
  virtual int OpenInputFile(const wchar_t* fileName, CQeRefCountPtr<IQeInputImageFile>& file) = 0;
  // Answers one EQeImageHandlerQuery item; -2 for items it does not know.
  virtual int Query(int item) = 0;
  // Reads a picture held in memory; the input keeps its own copy of the
  // bytes. Returns 0; -4 for an empty array; -10 when the bytes are not this
  // format; -2 for TIFF.
  virtual int OpenInputBytes(const CQeByteArray& bytes,
                             CQeRefCountPtr<IQeInputImageFile>& input) = 0;
  // An output whose Finish replaces the content of *bytes. The array is not
  // owned and must outlive the output. Returns 0; -4 for a null array; -2 for TIFF.
  virtual int CreateOutputBytes(CQeByteArray* bytes,
                                CQeRefCountPtr<IQeOutputImageFile>& output) = 0;
  // An output whose Finish writes (replaces) the file. Returns 0; -4 for an
  // empty name; -2 for TIFF.
  virtual int CreateOutputFile(const wchar_t* fileName,
                               CQeRefCountPtr<IQeOutputImageFile>& output) = 0;

 protected:
  ~IQeImageFormatHandler() = default;
};

class IQeImageFormatManager {
 public:
  virtual ~IQeImageFormatManager() = default;
  // The handler for a file, chosen by the extension (case-insensitive:
  // .tif .tiff, .png, .jpg .jpeg .jpe); when the extension is none of these,
  // by the first bytes of the file if it exists. Returns 0; -4 for an empty
  // name; -13 when no format fits.
  virtual int GetHandlerForFileName(const wchar_t* fileName,
                                    CQeRefCountPtr<IQeImageFormatHandler>& handler) = 0;
  // The handler for a format name, case-insensitive: "JPG" (or "JPEG"),
  // "TIF" (or "TIFF"), "PNG". Returns 0; -4 for an empty name; -13 for others.
  virtual int GetHandlerForFormatName(const wchar_t* formatName,
                                      CQeRefCountPtr<IQeImageFormatHandler>& handler) = 0;
};

// The format manager of this library. It has no state: threads may share one.
class CQeImageFormatManager : public IQeImageFormatManager {
 public:
  int GetHandlerForFileName(const wchar_t* fileName,
                            CQeRefCountPtr<IQeImageFormatHandler>& handler) override;
  int GetHandlerForFormatName(const wchar_t* formatName,
                              CQeRefCountPtr<IQeImageFormatHandler>& handler) override;
};

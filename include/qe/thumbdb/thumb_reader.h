// The reader worker of the thumbnail pipeline and the connection procedure
// of the thumbnail database.
//
// Conventions:
//  - Readers are made by CQeProjectThumbDb (the reader factory) when the
//    queue master starts a worker for the reading queue: at most two live
//    at a time, each with an idle timeout of 30 s. A reader takes any queued
//    request, processes it and moves it into the callback queue (the loop of
//    CQeQThreadOutOfOrderProcessingAndTransporting).
//  - Each reader opens its own connection to the thumbnail file when its
//    loop begins and closes it when the loop ends; the connection is used on
//    the reader's thread only. s_lConnectionsOpen counts the open ones.
#pragma once

#include <atomic>

#include "qe/core/string.h"
#include "qe/queue/queue_workers.h"

struct sqlite3;

class CQeProjectThumbReader : public CQeQThreadOutOfOrderProcessingAndTransporting {
 public:
  // Reader connections open right now, all readers of the process.
  static std::atomic<long> s_lConnectionsOpen;

  // A reader of `source` (the reading queue) delivering into `destination`
  // (the callback queue) for the thumbnail file at path.
  static CQeRefCountPtr<CQeProjectThumbReader> Create(const CQeStringW& path,
                                                      IQeParallelProcessingQueue* source,
                                                      IQeParallelProcessingQueue* destination,
                                                      int timeout);

  // Answers "CQeProjectThumbReader", then the names of its bases.
  void* GetInterface(const wchar_t* name) override;

  // The reader's connection: null before its loop begins, after it ends, or
  // when the file could not be opened (requests are then delivered with
  // result 0 and no picture). Use it on the reader's own thread only.
  sqlite3* Connection() const { return connection_; }
  const CQeStringW& DbPath() const { return path_; }

  // Opens the thumbnail file at path ready for use, or returns null:
  //  - an existing file is opened read-write (retrying every 10 ms while it
  //    is busy or locked) and its version read (retrying while busy);
  //  - a missing file is created; a file whose version is not 7 or cannot
  //    be read is deleted (with its WAL files) and created again, with
  //    PRAGMA encoding = "UTF-16le", page size 4096, the four tables and the
  //    version row in one transaction. A file that has no table yet (another
  //    connection is just creating it) is not deleted, and a creation that
  //    meets a table made meanwhile by another connection starts over;
  //  - the connection gets a busy timeout of 60000 ms, recursive triggers,
  //    foreign keys, WAL journal mode and synchronous NORMAL.
  // Writes the diagnostics lines "Loading Jobs Thumbnail database...",
  // "  at '<path>'" and "OK" or "FAILED". Close the connection with
  // QeSqlite_Close (CQeProjectThumbDb::DbCloseConnection).
  static sqlite3* DbConnect(const wchar_t* path);

 protected:
  CQeProjectThumbReader(const CQeStringW& path, IQeParallelProcessingQueue* source,
                        IQeParallelProcessingQueue* destination, int timeout);
  ~CQeProjectThumbReader() override;

  // Count, then open the connection (on the reader's thread).
  void RunBegin() override;
  // Close the connection, then count down.
  void RunEnd() override;

 private:
  sqlite3* connection_ = nullptr;  // used on the reader's thread only
  const CQeStringW path_;
};

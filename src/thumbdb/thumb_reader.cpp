// The reader worker: a processing-and-transporting worker with a database
// connection of its own.
#include "qe/thumbdb/thumb_reader.h"

#include <cwchar>
#include <exception>

#include "qe/sqlite/connection.h"

std::atomic<long> CQeProjectThumbReader::s_lConnectionsOpen{0};

CQeRefCountPtr<CQeProjectThumbReader> CQeProjectThumbReader::Create(
    const CQeStringW& path, IQeParallelProcessingQueue* source,
    IQeParallelProcessingQueue* destination, int timeout) {
  if (!source) return nullptr;
  try {
    return CQeRefCountPtr<CQeProjectThumbReader>::Adopt(
        new CQeProjectThumbReader(path, source, destination, timeout));
  } catch (const std::exception&) {
    return nullptr;
  }
}

CQeProjectThumbReader::CQeProjectThumbReader(const CQeStringW& path,
                                             IQeParallelProcessingQueue* source,
                                             IQeParallelProcessingQueue* destination, int timeout)
    : CQeQThreadOutOfOrderProcessingAndTransporting(source, destination, timeout), path_(path) {}

CQeProjectThumbReader::~CQeProjectThumbReader() {
  // Only a reader whose loop never ended still has a connection here.
  QeSqlite_Close(connection_);
}

void* CQeProjectThumbReader::GetInterface(const wchar_t* name) {
  if (name && std::wcscmp(name, L"CQeProjectThumbReader") == 0) {
    return static_cast<CQeProjectThumbReader*>(this);
  }
  return CQeQThreadOutOfOrderProcessingAndTransporting::GetInterface(name);
}

void CQeProjectThumbReader::RunBegin() {
  s_lConnectionsOpen.fetch_add(1);
  connection_ = DbConnect(path_);
}

void CQeProjectThumbReader::RunEnd() {
  QeSqlite_Close(connection_);
  connection_ = nullptr;
  s_lConnectionsOpen.fetch_sub(1);
}

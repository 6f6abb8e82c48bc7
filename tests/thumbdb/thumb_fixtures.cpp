#include "thumbdb/thumb_fixtures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

#include "qe/picture/pic_buf.h"
#include "qe/queue/queue_master.h"
#include "qe/thumbdb/project_thumb_db.h"

namespace qe::test {
namespace {

constexpr auto kGuard = std::chrono::seconds(120);

void Put16(std::vector<uint8_t>& out, uint16_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace

bool WriteTiff(const std::string& path, const std::vector<STiffPage>& pages) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (!tif) return false;
  bool ok = true;
  for (const STiffPage& page : pages) {
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, page.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, page.height);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, page.samples);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, page.bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC,
                 page.samples == 3 ? PHOTOMETRIC_RGB : PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, 8);
    const size_t rowSamples = size_t{page.width} * page.samples;
    std::vector<uint8_t> row(rowSamples * page.bits / 8);
    for (uint32_t y = 0; y < page.height && ok; ++y) {
      for (size_t i = 0; i < rowSamples; ++i) {
        const uint16_t value = page.values[y * rowSamples + i];
        if (page.bits == 16) {
          std::memcpy(&row[i * 2], &value, 2);
        } else {
          row[i] = static_cast<uint8_t>(value);
        }
      }
      ok = TIFFWriteScanline(tif, row.data(), y, 0) >= 0;
    }
    ok = ok && TIFFWriteDirectory(tif) != 0;
  }
  TIFFClose(tif);
  return ok;
}

STiffPage GrayRamp(uint32_t width, uint32_t height, uint16_t bits, uint16_t low, uint16_t high) {
  STiffPage page{width, height, 1, bits, {}};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      page.values.push_back(static_cast<uint16_t>(low + (high - low) * x / (width - 1)));
    }
  }
  return page;
}

STiffPage RedBlue(uint32_t width, uint32_t height) {
  STiffPage page{width, height, 3, 8, {}};
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const bool left = x < width / 2;
      page.values.insert(page.values.end(),
                         {uint16_t(left ? 220 : 10), 10, uint16_t(left ? 10 : 220)});
    }
  }
  return page;
}

STiffPage Flat(uint32_t width, uint32_t height, uint16_t value) {
  return STiffPage{width, height, 1, 8, std::vector<uint16_t>(size_t{width} * height, value)};
}

std::vector<uint8_t> GrayTiffDirectoryFirst(uint16_t width, uint16_t height) {
  const uint32_t entries = 9;
  const uint32_t dataOffset = 8 + 2 + entries * 12 + 4;
  const uint32_t pixels = uint32_t{width} * height;
  struct SEntry {
    uint16_t tag, type;
    uint32_t value;
  };
  const SEntry table[] = {{256, 3, width}, {257, 3, height}, {258, 3, 8},
                          {259, 3, 1},     {262, 3, 1},      {273, 4, dataOffset},
                          {277, 3, 1},     {278, 3, height}, {279, 4, pixels}};
  std::vector<uint8_t> out = {'I', 'I', 42, 0};
  Put32(out, 8);
  Put16(out, entries);
  for (const SEntry& entry : table) {
    Put16(out, entry.tag);
    Put16(out, entry.type);
    Put32(out, 1);
    if (entry.type == 3) {
      Put16(out, static_cast<uint16_t>(entry.value));
      Put16(out, 0);
    } else {
      Put32(out, entry.value);
    }
  }
  Put32(out, 0);
  for (uint32_t i = 0; i < pixels; ++i) out.push_back(static_cast<uint8_t>(i * 7));
  return out;
}

bool WriteJpeg(const std::wstring& path, unsigned int width, unsigned int height) {
  CQeImageFormatManager manager;
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  if (manager.GetHandlerForFormatName(L"JPG", handler) != 0) return false;
  CQePicBufOwner picture;
  if (CQePicBufAPI::Reinit(picture.Get(), width, height, 8, 3) != 0) return false;
  for (unsigned int y = 0; y < height; ++y) {
    for (unsigned int x = 0; x < width; ++x) {
      uint8_t* pixel = picture->pData + y * picture->uiBytesPerLine + x * 3;
      pixel[0] = static_cast<uint8_t>(255 * x / width);
      pixel[1] = static_cast<uint8_t>(255 * y / height);
      pixel[2] = 90;
    }
  }
  CQeRefCountPtr<IQeOutputImageFile> output;
  return handler->CreateOutputFile(path.c_str(), output) == 0 &&
         output->SetImageInfo(width, height, 8, 3, 0.9) == 0 &&
         output->WritePixels(picture.Get()) == 0 && output->Finish() == 0;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void CRecordingCallback::ThumbnailReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) {
  Add(std::move(request), flag, false);
}

void CRecordingCallback::PreviewReady(CQeRefCountPtr<CQeProjectThumb> request, bool flag) {
  Add(std::move(request), flag, true);
}

void CRecordingCallback::Add(CQeRefCountPtr<CQeProjectThumb> request, bool flag, bool preview) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    deliveries_.push_back({std::move(request), flag, preview});
  }
  changed_.notify_all();
}

std::vector<CRecordingCallback::SDelivery> CRecordingCallback::WaitFor(size_t count) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait_for(lock, kGuard, [&] { return deliveries_.size() >= count; });
  return deliveries_;
}

std::vector<CRecordingCallback::SDelivery> CRecordingCallback::Deliveries() {
  std::lock_guard<std::mutex> lock(mutex_);
  return deliveries_;
}

CRecordingCallback::SDelivery CRecordingCallback::Find(int64_t requestId) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const SDelivery& delivery : deliveries_) {
    if (delivery.request->RequestId() == requestId) return delivery;
  }
  return {nullptr, false, false};
}

CRecordingCallback::SDelivery CRecordingCallback::WaitForId(int64_t requestId) {
  std::unique_lock<std::mutex> lock(mutex_);
  SDelivery found{nullptr, false, false};
  changed_.wait_for(lock, kGuard, [&] {
    for (const SDelivery& delivery : deliveries_) {
      if (delivery.request->RequestId() == requestId) {
        found = delivery;
        return true;
      }
    }
    return false;
  });
  return found;
}

CFifoGate::CFifoGate(std::string path) : path_(std::move(path)) { ::mkfifo(path_.c_str(), 0600); }

CFifoGate::~CFifoGate() { ::unlink(path_.c_str()); }

std::wstring CFifoGate::PathW() const { return std::wstring(path_.begin(), path_.end()); }

void CFifoGate::AwaitReader() {
  const auto deadline = std::chrono::steady_clock::now() + kGuard;
  while (std::chrono::steady_clock::now() < deadline) {
    // Without a reader on the other end a non-blocking open fails with ENXIO.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd >= 0) {
      ::close(fd);
      return;
    }
    if (errno != ENXIO) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
}

CWriteLock::CWriteLock(const std::string& path) {
  if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) return;
  held_ = sqlite3_exec(db_, "BEGIN IMMEDIATE;", nullptr, nullptr, nullptr) == SQLITE_OK;
}

CWriteLock::~CWriteLock() {
  Release();
  sqlite3_close_v2(db_);
}

void CWriteLock::Release() {
  if (!held_) return;
  held_ = false;
  sqlite3_exec(db_, "ROLLBACK;", nullptr, nullptr, nullptr);
}

CPeek::CPeek(const std::string& path) {
  sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
  sqlite3_busy_timeout(db_, 60000);
}

CPeek::~CPeek() { sqlite3_close_v2(db_); }

int64_t CPeek::Int(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  int64_t value = -1;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    value = sqlite3_column_int64(stmt, 0);
  }
  sqlite3_finalize(stmt);
  return value;
}

double CPeek::Double(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  double value = -1.0;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    value = sqlite3_column_double(stmt, 0);
  }
  sqlite3_finalize(stmt);
  return value;
}

std::string CPeek::Text(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  std::string value;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW && sqlite3_column_text(stmt, 0)) {
    value = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
  }
  sqlite3_finalize(stmt);
  return value;
}

std::string CPeek::Blob(const std::string& sql) {
  sqlite3_stmt* stmt = nullptr;
  std::string value;
  if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &stmt, nullptr) == SQLITE_OK &&
      sqlite3_step(stmt) == SQLITE_ROW) {
    const void* data = sqlite3_column_blob(stmt, 0);
    if (data) value.assign(static_cast<const char*>(data), size_t(sqlite3_column_bytes(stmt, 0)));
  }
  sqlite3_finalize(stmt);
  return value;
}

int CPeek::Exec(const std::string& sql) {
  return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr);
}

CQeRefCountPtr<CQeProcessingQueue> ReadingQueue() {
  CQeRefCountPtr<IQeParallelProcessingQueue> queue =
      CQeProcessingQMaster::GetSharedObject()->QueueGet(CQeProjectThumbDb::kReadingQueueName);
  if (!queue) return nullptr;
  return CQeRefCountPtr<CQeProcessingQueue>(
      static_cast<CQeProcessingQueue*>(queue->GetInterface(L"CQeProcessingQueue")));
}

}  // namespace qe::test

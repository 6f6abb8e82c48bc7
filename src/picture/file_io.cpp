#include "picture/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "qe/core/status.h"
#include "qe/core/string.h"

namespace qe::picture {
namespace {

constexpr off_t kMaxWholeFile = off_t{1} << 30;

// Closes a POSIX file descriptor on every path out.
class CQeFd {
 public:
  explicit CQeFd(int fd) : fd_(fd) {}
  ~CQeFd() {
    if (fd_ >= 0) ::close(fd_);
  }
  CQeFd(const CQeFd&) = delete;
  CQeFd& operator=(const CQeFd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string NativePath(const wchar_t* fileName) {
  return fileName ? qe::WideToUtf8(fileName) : std::string();
}

bool IsReadableFile(const std::string& path) {
  CQeFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  return fd.get() >= 0 && ::fstat(fd.get(), &st) == 0 && S_ISREG(st.st_mode);
}

int ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes) {
  CQeFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
    return eQeNoPathOrTooNew;
  }
  if (st.st_size > kMaxWholeFile) return eQeFailed;
  bytes.resize(static_cast<size_t>(st.st_size));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::read(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) return eQeFailed;
    if (n == 0) break;  // the file shrank while being read
    done += static_cast<size_t>(n);
  }
  bytes.resize(done);
  return eQeOk;
}

int WriteWholeFile(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return eQeFailed;
  const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
  const bool closed = std::fclose(file) == 0;
  return written && closed ? eQeOk : eQeFailed;
}

}  // namespace qe::picture

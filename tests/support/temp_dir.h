// A real folder under the system temporary folder, removed with everything
// in it when the object goes away.
#pragma once

#include <filesystem>
#include <string>

namespace qe::test {

class TempDir {
 public:
  TempDir();
  // A folder under base, an existing writable folder (for example a memory
  // file system, for tests that commit many small transactions).
  explicit TempDir(const std::filesystem::path& base);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // Path of a child, as UTF-8 and as a wide string.
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  std::wstring FileW(const std::string& name) const { return (path_ / name).wstring(); }

 private:
  std::filesystem::path path_;
};

}  // namespace qe::test

// Helpers shared by the fuzz targets: a failed check that libFuzzer reports
// as a crash, a temporary folder for the process, and the lite-variant
// document of arbitrary bytes.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "qe/core/lite_variant.h"
#include "qe/core/lite_variant_tree.h"

// A broken property of the code under test: printed, then abort() so that
// libFuzzer saves the input.
#define QE_FUZZ_CHECK(condition)                                                         \
  do {                                                                                   \
    if (!(condition)) {                                                                  \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      std::abort();                                                                      \
    }                                                                                    \
  } while (0)

namespace qe::fuzz {

// A folder of its own for this process, removed when the process exits.
class ProcessFolder {
 public:
  ProcessFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qe-fuzz-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~ProcessFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  ProcessFolder(const ProcessFolder&) = delete;
  ProcessFolder& operator=(const ProcessFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

inline const std::string& TempFolder() {
  static const ProcessFolder folder;
  return folder.path();
}

inline void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// The bytes as a document whose checksum is not checked, so that inputs
// reach the structure checks and the code that reads the tree: a reader at
// the top of a well-formed document, or false when the bytes do not decode.
inline bool DocumentOf(const uint8_t* data, size_t size, CQeLiteVariantR& reader) {
  qe::lv::Level level;
  if (qe::lv::Decode(data, size, level, false) != 0) return false;
  reader.SetDocument(std::move(level));
  return true;
}

}  // namespace qe::fuzz

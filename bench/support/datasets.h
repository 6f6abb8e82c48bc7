// Project databases the benchmarks work on.
//
// Large datasets are built once and kept in the dataset cache
// (bench_util.h), in a folder named after the generator version and the
// size, so that later runs reuse them; a dataset is built under a temporary
// name and renamed when complete, so an interrupted build is never reused.
// Benchmarks that write copy a cached file into their scratch folder first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qe::bench {

// Bump when a generator changes what it writes: older cached datasets are
// then built again (under the new name).
inline constexpr int kGeneratorVersion = 1;

// Labels, keywords, quantities and analysis names of every acquisition
// database: "Label 00" .. "Label 39" (set "Screen"), "Keyword 0" ..
// "Keyword 9" (no set), "Quantity 00" .. "Quantity 19" (set "Nuclei"),
// "Analysis 00" .. "Analysis 24".
inline constexpr int kLabels = 40;
inline constexpr int kKeywords = 10;
inline constexpr int kQuantities = 20;
inline constexpr int kAnalyses = 25;

// The keys of the rows a small acquisition database starts with: one
// project, job definition, program, acquisition task, running run with
// three loops, one file, one assay run, one binary layer and binary frame,
// and the labels and quantities above.
struct SAcquisitionKeys {
  int64_t project = 0;
  int64_t jobdef = 0;
  int64_t program = 0;
  int64_t task = 0;
  int64_t run = 0;
  int64_t runloop = 0;
  int64_t file = 0;
  int64_t assayrun = 0;
  int64_t binlayer = 0;
  int64_t binframe = 0;
  int64_t firstLabel = 0;     // keys of the labels are contiguous
  int64_t firstQuantity = 0;  // and so are those of the quantities
};

// Creates a new project database at path (it must not exist) with the rows
// of SAcquisitionKeys, written through the record API.
SAcquisitionKeys CreateAcquisitionDb(const std::filesystem::path& path);

// Shape of a generated screen: jobdefs job definitions (each with one
// keyword), runs runs spread over them (each with a plate, an assay run
// and framesPerRun frames); every frame carries one label and one quantity
// value and, with loops, its index in the run's one loop. Every run has 4
// of the 40 labels and 2 of the 20 quantities.
struct SScreenShape {
  int jobdefs = 100;
  int runs = 2000;
  int framesPerRun = 500;
  bool loops = false;
};

// The cached screen database of that shape (read it, or copy it before
// writing; its project root folder lies beside it).
std::filesystem::path ScreenDb(const SScreenShape& shape);

// The cached version-10 project database of at least targetBytes (see
// old_version_dataset.cpp).
std::filesystem::path Version10Db(int64_t targetBytes);

// The cached single-page 16-bit gray TIFF files, count of them, each
// size x size pixels.
std::vector<std::filesystem::path> TiffFrames(int count, int size);

// Builds a dataset folder under the cache when it is missing: build(folder)
// fills a temporary folder, which is then renamed to name. Returns the
// folder.
std::filesystem::path CachedFolder(const std::string& name,
                                   const std::function<void(const std::filesystem::path&)>& build);

}  // namespace qe::bench

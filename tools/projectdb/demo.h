// Pieces of `projectdb demo`: the synthetic screen (which wells get which
// treatment), the images of one field, their analysis, and the steps that
// record it all through the library.
//
// The screen: a 96-well plate, columns 1 and 12 controls (untreated and a
// saturating dose), columns 2 to 11 a dose series; rows A to D receive the
// compound QE-101, rows E to H the weaker QE-202. Each well is imaged in 4
// fields and 2 channels (DAPI: nuclei; GFP: a reporter in the cytoplasm that
// rises with the dose). High doses kill cells, so fewer nuclei remain; the
// outer wells lose a little to evaporation. Everything is drawn from a
// fixed seed, so two demos give the same images and numbers.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "cli_util.h"
#include "qe/core/string.h"
#include "qe/projectdb/records/labware_plate.h"

namespace qe::cli::demo {

inline constexpr int kRows = 8;
inline constexpr int kCols = 12;
inline constexpr int kFields = 4;
inline constexpr int kChannels = 2;  // 0 DAPI, 1 GFP
inline constexpr double kPixelSizeUm = 0.65;
inline constexpr const char* kChannelNames[kChannels] = {"DAPI", "GFP"};

// What a well received and how its cells answer.
struct Well {
  int row = 0;  // 0-based, A = 0
  int col = 0;  // 0-based, column 1 = 0
  const char* compound = "";
  double dose = 0.0;        // 0 (none) to 1 (saturating)
  double response = 0.0;    // reporter response, 0 to 1
  double survival = 1.0;    // share of cells left
  double edgeFactor = 1.0;  // below 1 for the outer wells
  bool negativeControl = false;
  bool positiveControl = false;
};

Well DescribeWell(int row, int col);
// "A1" ... "H12".
std::string WellName(int row, int col);

// One nucleus found by the analysis: bounding box (right and bottom
// exclusive), pixel count, mean DAPI intensity, and the mean GFP intensity
// above the background in a ring around it (its cytoplasm).
struct Object {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int pixels = 0;
  double meanIntensity = 0.0;
  double cytoplasmGfp = 0.0;
};

// A cell whose cytoplasm is this much brighter than the background in GFP
// counts as responding.
inline constexpr double kPositiveCellGfp = 400.0;

// The two channel images of one field (16-bit, rows top down) and what the
// analysis measured on them.
struct Field {
  int size = 0;  // width and height in pixels
  std::vector<uint16_t> pixels[kChannels];
  std::vector<Object> nuclei;  // found on the DAPI image
  double meanIntensity[kChannels] = {0.0, 0.0};
  double meanNucleusArea = 0.0;  // square micrometres; 0 without nuclei
  double gfpPerCell = 0.0;       // mean of the nuclei's cytoplasmGfp; 0 without nuclei
  double positiveCells = 0.0;    // per cent of nuclei above kPositiveCellGfp
};

// Draws the field of a well and analyses it: nuclei found by a threshold
// above the background and 4-connected labelling.
Field MakeField(const Well& well, int field, int size);

// Writes 16-bit grey pages into one TIFF file (deflate, one page per image;
// each page named by its description). Returns an empty text on success,
// else what failed.
std::string WriteTiff(const std::string& path, int size,
                      const std::vector<const std::vector<uint16_t>*>& pages,
                      const std::vector<std::string>& descriptions);

// ---- Recording ----

// What one frame showed, kept for the analysis step.
struct FrameRecord {
  int frameIndex = 0;
  int wellIndex = 0;  // row-major
  int field = 0;
  int channel = 0;
  double meanIntensity = 0.0;
  double meanNucleusArea = 0.0;  // DAPI frames
  std::vector<Object> nuclei;    // DAPI frames
  bool hasCells = false;         // GFP frames: whether the field had nuclei
  double gfpPerCell = 0.0;       // GFP frames
  double positiveCells = 0.0;    // GFP frames, per cent
};

// What the demo has made so far; each step adds to it.
struct Made {
  std::string folder;    // absolute
  std::string database;  // absolute path of the project database
  int imageSize = 256;
  Database connection;  // open from CreateDatabase until the recording ends
  int64_t project = 0;
  int64_t jobdef = 0;
  int64_t program = 0;
  int64_t wellLoopTask = 0;
  int64_t fieldLoopTask = 0;
  int64_t channelLoopTask = 0;
  int64_t acquisitionTask[kChannels] = {0, 0};
  int64_t analysisTask = 0;
  int64_t run = 0;
  CQeStringW runUuid;
  std::string runFolder;            // absolute, ends in '/'
  int64_t runloops[3] = {0, 0, 0};  // wells, fields, channels
  int64_t plateinfo = 0;
  int64_t wellinfo[kRows * kCols] = {};  // by row-major well index
  SQeProjectDbRow_wellplatedef plate;
  std::map<std::string, int64_t> tags;      // by name
  std::map<std::string, int64_t> propdefs;  // by name
  int64_t assayrun = 0;
  std::vector<bool> positiveWells;  // by row-major index, set by the analysis
  int files = 0;
  int64_t objects = 0;
  std::vector<FrameRecord> frames;
};

// The steps; each prints what it did and returns false after printing why
// it failed.
bool CreateDatabase(Made& made);
bool CreateProjectAndJob(Made& made);
bool StartRun(Made& made);
bool Acquire(Made& made);
bool Analyse(Made& made);
bool FinishRun(Made& made);
// Thumbnails of every frame into thumbDb and a contact sheet of the plate.
bool MakeThumbnails(Made& made, const std::string& thumbDb, const std::string& sheet);

// Output of the steps: "  label   value".
void Detail(const std::string& label, const std::string& value);
// A failed call: prints "projectdb demo: <what> failed (status N)" when
// status is not 0 and returns whether it was 0.
bool Check(int status, const std::string& what);

}  // namespace qe::cli::demo

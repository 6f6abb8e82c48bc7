// `projectdb demo`: the acquisition (image files, frames, loop indices,
// labware links, labels) and its analysis (assay run, binary layer,
// objects, measured properties, run statistics).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "demo.h"
#include "progress.h"
#include "qe/projectdb/db.h"
#include "qe/projectdb/records.h"
#include "qe/projectdb/sys.h"

namespace qe::cli::demo {
namespace {

// Ends a transaction the host opened for one well: commits when ok,
// otherwise (or when the object goes away uncommitted) rolls back.
class WellTransaction {
 public:
  explicit WellTransaction(uint32_t handle) : handle_(handle) {
    begun_ = QeProjectDb_Db_TransactionBegin(handle) == 0;
  }
  ~WellTransaction() {
    if (begun_) QeProjectDb_Db_TransactionRollback(handle_);
  }
  WellTransaction(const WellTransaction&) = delete;
  WellTransaction& operator=(const WellTransaction&) = delete;
  bool Begun() const { return begun_; }
  int Commit() {
    begun_ = false;
    return QeProjectDb_Db_TransactionCommit(handle_);
  }

 private:
  uint32_t handle_;
  bool begun_ = false;
};

// The wells in the order the stage visits them: row A left to right, row B
// right to left, and so on.
std::vector<std::pair<int, int>> SerpentineOrder() {
  std::vector<std::pair<int, int>> order;
  for (int row = 0; row < kRows; ++row) {
    for (int i = 0; i < kCols; ++i) order.emplace_back(row, row % 2 == 0 ? i : kCols - 1 - i);
  }
  return order;
}

// One well: its TIFF file (field by field, DAPI then GFP) and every row of
// its frames, in one transaction.
bool AcquireWell(Made& made, const Well& well, int visit) {
  const uint32_t h = made.connection.handle();
  const std::string fileName = WellName(well.row, well.col) + ".tif";
  std::vector<Field> fields;
  std::vector<const std::vector<uint16_t>*> pages;
  std::vector<std::string> descriptions;
  for (int field = 0; field < kFields; ++field)
    fields.push_back(MakeField(well, field, made.imageSize));
  for (int field = 0; field < kFields; ++field) {
    for (int channel = 0; channel < kChannels; ++channel) {
      pages.push_back(&fields[field].pixels[channel]);
      descriptions.push_back("well " + WellName(well.row, well.col) + ", field " +
                             std::to_string(field + 1) + ", " + kChannelNames[channel]);
    }
  }
  const std::string written =
      WriteTiff(made.runFolder + fileName, made.imageSize, pages, descriptions);
  if (!written.empty()) {
    std::fprintf(stderr, "projectdb demo: %s\n", written.c_str());
    return false;
  }

  WellTransaction transaction(h);
  if (!Check(transaction.Begun() ? 0 : -9, "beginning a transaction")) return false;
  int64_t fileKey = 0;
  if (!Check(QeProjectDb_File_Insert(h, made.run, CQeStringW::FromUtf8(fileName), made.imageSize,
                                     made.imageSize, 1, 1, 16, kFields * kChannels, &fileKey),
             "recording the file " + fileName)) {
    return false;
  }
  const int wellIndex = well.row * kCols + well.col;
  const bool control = well.negativeControl || well.positiveControl;
  std::vector<SQeProjectDbRow_loopindex> loops;
  std::vector<SQeProjectDbRow_frameplateinfo> plates;
  std::vector<SQeProjectDbRow_framewellinfo> wells;
  std::vector<SQeProjectDbRow_frametag> tags;
  for (int field = 0; field < kFields; ++field) {
    for (int channel = 0; channel < kChannels; ++channel) {
      const int page = field * kChannels + channel;
      const int frame = visit * kFields * kChannels + page;
      if (!Check(QeProjectDb_Frame_Insert(h, made.run, made.acquisitionTask[channel], frame,
                                          QeProjectDb_Sys_JdnNow(), fileKey, page, nullptr),
                 "recording frame " + std::to_string(frame))) {
        return false;
      }
      loops.emplace_back(0, made.run, frame, made.runloops[0], visit);
      loops.emplace_back(0, made.run, frame, made.runloops[1], field);
      loops.emplace_back(0, made.run, frame, made.runloops[2], channel);
      plates.emplace_back(0, made.run, made.plateinfo, frame);
      wells.emplace_back(0, made.run, made.wellinfo[wellIndex], frame);
      if (control) tags.emplace_back(0, made.run, made.tags["control"], frame);

      FrameRecord record;
      record.frameIndex = frame;
      record.wellIndex = wellIndex;
      record.field = field;
      record.channel = channel;
      record.meanIntensity = fields[field].meanIntensity[channel];
      if (channel == 0) {
        record.nuclei = fields[field].nuclei;
        record.meanNucleusArea = fields[field].meanNucleusArea;
      } else {
        record.hasCells = !fields[field].nuclei.empty();
        record.gfpPerCell = fields[field].gfpPerCell;
        record.positiveCells = fields[field].positiveCells;
      }
      made.frames.push_back(std::move(record));
    }
  }
  if (!Check(QeProjectDb_Loopindex_InsertMany(h, loops), "recording the loop indices") ||
      !Check(QeProjectDb_Frameplateinfo_InsertMany(h, plates), "linking frames to the plate") ||
      !Check(QeProjectDb_Framewellinfo_InsertMany(h, wells), "linking frames to their wells") ||
      (!tags.empty() && !Check(QeProjectDb_Frametag_InsertMany(h, tags), "labelling frames")) ||
      !Check(transaction.Commit(), "committing well " + WellName(well.row, well.col))) {
    return false;
  }
  ++made.files;
  return true;
}

// Statistics of a list of values as a run keeps them.
SQeProjectDbRow_jobrunpropstat Statistics(int64_t run, int64_t propdef,
                                          const std::vector<double>& values) {
  SQeProjectDbRow_jobrunpropstat stat;
  stat.iJobrunKeyRef = run;
  stat.iPropdefKeyRef = propdef;
  stat.iCount = static_cast<int64_t>(values.size());
  stat.iDistinctCount = static_cast<int64_t>(std::set<double>(values.begin(), values.end()).size());
  if (!values.empty()) {
    stat.dStatMin = *std::min_element(values.begin(), values.end());
    stat.dStatMax = *std::max_element(values.begin(), values.end());
  }
  for (const double value : values) {
    stat.dStatSum += value;
    stat.dStatSqSum += value * value;
  }
  return stat;
}

std::string Round(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

}  // namespace

bool Acquire(Made& made) {
  const std::vector<std::pair<int, int>> order = SerpentineOrder();
  {
    Progress progress("acquiring wells", static_cast<int64_t>(order.size()));
    for (size_t visit = 0; visit < order.size(); ++visit) {
      if (!AcquireWell(made, DescribeWell(order[visit].first, order[visit].second),
                       static_cast<int>(visit))) {
        return false;
      }
      progress.Step();
    }
  }
  Detail("image files", std::to_string(made.files) + " multi-page TIFF files (one per well, " +
                            std::to_string(kFields * kChannels) + " pages of " +
                            std::to_string(made.imageSize) + " x " +
                            std::to_string(made.imageSize) + " pixels, 16 bits)");
  Detail("frames", std::to_string(made.frames.size()) +
                       " (96 wells x 4 fields x 2 channels), each with its loop indices,"
                       " plate and well");
  Detail("labels", "control on the 16 wells of columns 1 and 12");
  return true;
}

bool Analyse(Made& made) {
  const uint32_t h = made.connection.handle();
  const CQeStringW uuid = QeProjectDb_Sys_UuidAsText();
  if (!Check(QeProjectDb_Assayrun_Insert(h, made.run, made.analysisTask, made.acquisitionTask[0],
                                         uuid, L"Nuclei segmentation", QeProjectDb_Sys_JdnNow(),
                                         &made.assayrun),
             "recording the analysis")) {
    return false;
  }
  struct Definition {
    const char* key;
    const wchar_t* set;
    const wchar_t* name;
    const wchar_t* unit;
    const wchar_t* desc;
  };
  const Definition definitions[] = {
      {"count", L"Nuclei", L"Nuclei count", L"", L"nuclei found in the DAPI image of a field"},
      {"area", L"Nuclei", L"Mean nucleus area", L"\u00b5m\u00b2", L"mean area of those nuclei"},
      {"dapi", L"Intensity", L"DAPI mean intensity", L"counts", L"mean of the DAPI image"},
      {"gfp", L"Intensity", L"GFP mean intensity", L"counts", L"mean of the GFP image"},
      {"gfpPerCell", L"Cells", L"GFP per cell", L"counts",
       L"mean GFP above background in the cytoplasm of a cell"},
      {"positive", L"Cells", L"Positive cells", L"%",
       L"share of cells whose cytoplasm is brighter than 400 counts in GFP"},
      {"objectArea", L"Nucleus", L"Area", L"\u00b5m\u00b2", L"area of one nucleus"},
      {"objectIntensity", L"Nucleus", L"Mean intensity", L"counts", L"DAPI mean of one nucleus"},
      {"objectGfp", L"Nucleus", L"Cytoplasm GFP", L"counts",
       L"GFP above background around one nucleus"},
  };
  for (const Definition& d : definitions) {
    if (!Check(QeProjectDb_Propdef_GetOrInsert(h, d.set, d.name, d.unit, d.desc,
                                               &made.propdefs[d.key]),
               "defining the property '" + CQeStringW(d.name).ToUtf8() + "'")) {
      return false;
    }
  }
  int64_t layer = 0;
  if (!Check(QeProjectDb_Binlayer_Insert(h, made.run, made.assayrun, QeProjectDb_Sys_UuidAsText(),
                                         L"Nuclei", L"DAPI", L"nuclei", 0xFF0000, &layer),
             "recording the binary layer")) {
    return false;
  }

  std::vector<SQeProjectDbRow_frameprop> values;
  std::vector<SQeProjectDbRow_binframe> binframes;
  std::vector<SQeProjectDbRow_binobj> objects;
  std::map<std::string, std::vector<double>> byProperty;
  std::vector<double> positiveSum(kRows * kCols, 0.0);
  std::vector<int> positiveFields(kRows * kCols, 0);
  auto add = [&](const char* key, int frame, double value) {
    values.emplace_back(0, made.run, made.assayrun, made.propdefs[key], frame, value);
    byProperty[key].push_back(value);
  };
  for (const FrameRecord& frame : made.frames) {
    if (frame.channel == 1) {
      add("gfp", frame.frameIndex, frame.meanIntensity);
      if (frame.hasCells) {
        add("gfpPerCell", frame.frameIndex, frame.gfpPerCell);
        add("positive", frame.frameIndex, frame.positiveCells);
        positiveSum[frame.wellIndex] += frame.positiveCells;
        ++positiveFields[frame.wellIndex];
      }
      continue;
    }
    add("count", frame.frameIndex, static_cast<double>(frame.nuclei.size()));
    add("dapi", frame.frameIndex, frame.meanIntensity);
    if (!frame.nuclei.empty()) add("area", frame.frameIndex, frame.meanNucleusArea);
    binframes.emplace_back(0, made.run, layer, frame.frameIndex,
                           static_cast<int>(frame.nuclei.size()));
  }
  if (!Check(QeProjectDb_Frameprop_InsertMany(h, values), "storing the measured properties") ||
      !Check(QeProjectDb_Binframe_InsertMany(h, binframes), "storing the binary frames")) {
    return false;
  }
  // Objects name their binary frame by key, so they follow the frames.
  size_t next = 0;
  std::vector<const Object*> measured;
  std::vector<int> frameOfObject;
  for (const FrameRecord& frame : made.frames) {
    if (frame.channel != 0) continue;
    const int64_t binframe = binframes[next++].iKey;
    int id = 0;
    for (const Object& nucleus : frame.nuclei) {
      objects.emplace_back(0, binframe, 0, ++id, nucleus.left, nucleus.top, nucleus.right,
                           nucleus.bottom, nucleus.pixels);
      measured.push_back(&nucleus);
      frameOfObject.push_back(frame.frameIndex);
    }
  }
  if (!Check(QeProjectDb_Binobj_InsertMany(h, objects), "storing the nuclei")) return false;
  std::vector<SQeProjectDbRow_binobjprop> objectValues;
  for (size_t i = 0; i < objects.size(); ++i) {
    const double area = measured[i]->pixels * kPixelSizeUm * kPixelSizeUm;
    objectValues.emplace_back(0, objects[i].iKey, made.propdefs["objectArea"], made.run,
                              frameOfObject[i], area);
    objectValues.emplace_back(0, objects[i].iKey, made.propdefs["objectIntensity"], made.run,
                              frameOfObject[i], measured[i]->meanIntensity);
    objectValues.emplace_back(0, objects[i].iKey, made.propdefs["objectGfp"], made.run,
                              frameOfObject[i], measured[i]->cytoplasmGfp);
    byProperty["objectArea"].push_back(area);
    byProperty["objectIntensity"].push_back(measured[i]->meanIntensity);
    byProperty["objectGfp"].push_back(measured[i]->cytoplasmGfp);
  }
  if (!Check(QeProjectDb_Binobjprop_InsertMany(h, objectValues),
             "storing the nuclei's properties")) {
    return false;
  }
  made.objects = static_cast<int64_t>(objects.size());
  for (const auto& [key, list] : byProperty) {
    SQeProjectDbRow_jobrunpropstat stat = Statistics(made.run, made.propdefs[key], list);
    if (!Check(QeProjectDb_Jobrunpropstat_InsertOrReplace(h, stat, nullptr),
               "storing the run's statistics")) {
      return false;
    }
  }

  // A well responds when at least half of its cells do; all its frames get
  // the label, as a host labels frames after an analysis.
  made.positiveWells.assign(kRows * kCols, false);
  std::vector<SQeProjectDbRow_frametag> labels;
  for (const FrameRecord& frame : made.frames) {
    const int well = frame.wellIndex;
    if (positiveFields[well] > 0 && positiveSum[well] / positiveFields[well] >= 50.0) {
      made.positiveWells[well] = true;
      labels.emplace_back(0, made.run, made.tags["positive"], frame.frameIndex);
    }
  }
  if (!labels.empty() && !Check(QeProjectDb_Frametag_InsertMany(h, labels), "labelling frames")) {
    return false;
  }
  const auto positiveCount = std::count(made.positiveWells.begin(), made.positiveWells.end(), true);

  Detail("assay run", "\"Nuclei segmentation\" (key " + std::to_string(made.assayrun) + ")");
  Detail("binary layer", "\"Nuclei\": " + std::to_string(binframes.size()) + " frames, " +
                             std::to_string(made.objects) +
                             " objects with area, DAPI and cytoplasm GFP");
  const std::vector<double>& counts = byProperty["count"];
  double sum = 0.0;
  for (const double count : counts) sum += count;
  Detail("properties", std::to_string(values.size()) +
                           " values: Nuclei count, Mean nucleus area, DAPI and GFP mean intensity,"
                           " GFP per cell, Positive cells");
  Detail("statistics", "per property over the run, e.g. Nuclei count " +
                           Round(*std::min_element(counts.begin(), counts.end()), 0) + " to " +
                           Round(*std::max_element(counts.begin(), counts.end()), 0) + ", mean " +
                           Round(sum / counts.size(), 1) + " per field");
  Detail("labels", "positive on " + std::to_string(positiveCount) +
                       " wells (at least half of their cells respond)");
  return true;
}

}  // namespace qe::cli::demo

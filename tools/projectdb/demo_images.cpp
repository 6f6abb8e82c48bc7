// The synthetic screen of `projectdb demo`: well treatments, field images
// with nuclei and a cytoplasmic reporter, their analysis, and TIFF writing.
#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

#include "demo.h"

namespace qe::cli::demo {
namespace {

constexpr double kNucleiPerField = 55.0;  // in a 256 x 256 field of healthy cells
constexpr int kReferenceSize = 256;
constexpr double kCameraOffset = 100.0;
constexpr int kMinObjectPixels = 15;

double Sigmoid(double x, double mid, double width) {
  return 1.0 / (1.0 + std::exp(-(x - mid) / width));
}

// A small, fast generator for pixel noise: one per field, so fields do not
// depend on the order they are drawn in.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
  double Uniform() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<double>(state_ >> 11) * (1.0 / 9007199254740992.0);
  }
  // Close to a standard normal value (sum of four uniform values).
  double Normal() {
    return (Uniform() + Uniform() + Uniform() + Uniform() - 2.0) * std::numbers::sqrt3;
  }

 private:
  uint64_t state_;
};

struct Cell {
  double x, y;    // centre, pixels
  double rx, ry;  // nucleus radii, pixels
  double angle;
  double dapi;  // nucleus peak above background
  double gfp;   // cytoplasm peak above background
};

std::vector<Cell> PlaceCells(const Well& well, int size, std::mt19937& random) {
  const double area = static_cast<double>(size) * size / (kReferenceSize * kReferenceSize);
  const double mean = kNucleiPerField * well.survival * well.edgeFactor * area;
  std::poisson_distribution<int> count(std::max(mean, 0.1));
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::lognormal_distribution<double> spread(0.0, 0.4);
  const int wanted = count(random);
  std::vector<Cell> cells;
  for (int attempt = 0; attempt < wanted * 60 && static_cast<int>(cells.size()) < wanted;
       ++attempt) {
    Cell cell;
    // One cell in twenty is dividing: smaller and brighter.
    const bool mitotic = unit(random) < 0.05;
    cell.rx = (6.5 + 2.5 * unit(random)) * (mitotic ? 0.65 : 1.0);
    cell.ry = cell.rx * (0.72 + 0.28 * unit(random));
    cell.angle = std::numbers::pi * unit(random);
    cell.x = cell.rx + unit(random) * (size - 2 * cell.rx);
    cell.y = cell.rx + unit(random) * (size - 2 * cell.rx);
    const bool free = std::none_of(cells.begin(), cells.end(), [&](const Cell& other) {
      return std::hypot(other.x - cell.x, other.y - cell.y) < 0.9 * (other.rx + cell.rx);
    });
    if (!free) continue;
    cell.dapi = 2000.0 * (0.8 + 0.4 * unit(random)) * well.edgeFactor * (mitotic ? 1.8 : 1.0);
    // Cells answer unevenly: a log-normal spread around the well's response.
    cell.gfp = (120.0 + 1500.0 * well.response) * spread(random);
    cells.push_back(cell);
  }
  return cells;
}

// Adds the cell's nucleus (channel 0) or cytoplasm (channel 1) to signal.
void DrawCell(const Cell& cell, int channel, int size, Noise& texture,
              std::vector<double>& signal) {
  const double reach = channel == 0 ? 1.0 : 2.1;  // cytoplasm reaches beyond the nucleus
  const double extent = cell.rx * reach + 1;
  const double c = std::cos(cell.angle), s = std::sin(cell.angle);
  const int x0 = std::max(0, static_cast<int>(cell.x - extent));
  const int x1 = std::min(size - 1, static_cast<int>(cell.x + extent));
  const int y0 = std::max(0, static_cast<int>(cell.y - extent));
  const int y1 = std::min(size - 1, static_cast<int>(cell.y + extent));
  for (int y = y0; y <= y1; ++y) {
    for (int x = x0; x <= x1; ++x) {
      const double dx = x - cell.x, dy = y - cell.y;
      const double u = (dx * c + dy * s) / cell.rx, v = (-dx * s + dy * c) / cell.ry;
      const double q = u * u + v * v;  // 1 on the nucleus' border
      double value = 0.0;
      if (channel == 0) {
        if (q >= 1.0) continue;
        // Chromatin texture: a little grain inside the nucleus.
        value = cell.dapi * std::sqrt(1.0 - q) * (0.88 + 0.12 * texture.Uniform());
      } else {
        const double outer = q / (reach * reach);
        if (outer >= 1.0) continue;
        // The reporter stays out of the nucleus.
        value = cell.gfp * std::sqrt(1.0 - outer) * (q < 1.0 ? 0.3 : 1.0);
      }
      signal[static_cast<size_t>(y) * size + x] += value;
    }
  }
}

// Background with uneven illumination, camera offset and shot noise.
std::vector<uint16_t> Expose(const std::vector<double>& signal, int size, double background,
                             Noise& noise) {
  std::vector<uint16_t> pixels(signal.size());
  const double centre = (size - 1) / 2.0;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const double r2 = ((x - centre) * (x - centre) + (y - centre) * (y - centre)) /
                        (2.0 * centre * centre + 1.0);
      const double light = 1.0 - 0.25 * r2;
      const double expected = (background + signal[static_cast<size_t>(y) * size + x]) * light;
      const double value =
          kCameraOffset + expected + noise.Normal() * (6.0 + std::sqrt(std::max(expected, 0.0)));
      pixels[static_cast<size_t>(y) * size + x] =
          static_cast<uint16_t>(std::clamp(value, 0.0, 65535.0));
    }
  }
  return pixels;
}

// A low percentile of the image: the background between the cells.
double Background(const std::vector<uint16_t>& pixels, size_t perMille) {
  std::vector<uint16_t> sorted(pixels);
  const size_t rank = sorted.size() * perMille / 1000;
  std::nth_element(sorted.begin(), sorted.begin() + rank, sorted.end());
  return sorted[rank];
}

// Objects brighter than the background by a fixed margin, 4-connected.
std::vector<Object> FindNuclei(const std::vector<uint16_t>& pixels, int size) {
  const double threshold = Background(pixels, 300) + 350.0;

  std::vector<uint8_t> seen(pixels.size(), 0);
  std::vector<int> stack;
  std::vector<Object> objects;
  for (size_t start = 0; start < pixels.size(); ++start) {
    if (seen[start] || pixels[start] < threshold) continue;
    Object object{size, size, 0, 0, 0, 0.0};
    double sum = 0.0;
    stack.assign(1, static_cast<int>(start));
    seen[start] = 1;
    while (!stack.empty()) {
      const int at = stack.back();
      stack.pop_back();
      const int x = at % size, y = at / size;
      object.left = std::min(object.left, x);
      object.top = std::min(object.top, y);
      object.right = std::max(object.right, x + 1);
      object.bottom = std::max(object.bottom, y + 1);
      ++object.pixels;
      sum += pixels[at];
      const int next[4][2] = {{x - 1, y}, {x + 1, y}, {x, y - 1}, {x, y + 1}};
      for (const auto& n : next) {
        if (n[0] < 0 || n[1] < 0 || n[0] >= size || n[1] >= size) continue;
        const int index = n[1] * size + n[0];
        if (!seen[index] && pixels[index] >= threshold) {
          seen[index] = 1;
          stack.push_back(index);
        }
      }
    }
    if (object.pixels < kMinObjectPixels) continue;
    object.meanIntensity = sum / object.pixels;
    objects.push_back(object);
  }
  return objects;
}

// The GFP of each nucleus' cytoplasm: the mean in a ring from 1.2 to 1.9
// nucleus radii around its centre, above the image's background.
void MeasureCytoplasm(const std::vector<uint16_t>& gfp, int size, std::vector<Object>& nuclei) {
  const double background = Background(gfp, 20);
  for (Object& nucleus : nuclei) {
    const double cx = (nucleus.left + nucleus.right) / 2.0,
                 cy = (nucleus.top + nucleus.bottom) / 2.0;
    const double radius = std::sqrt(nucleus.pixels / std::numbers::pi);
    const double inner = 1.2 * radius, outer = 1.9 * radius;
    double sum = 0.0;
    int count = 0;
    for (int y = std::max(0, static_cast<int>(cy - outer));
         y <= std::min(size - 1, static_cast<int>(cy + outer)); ++y) {
      for (int x = std::max(0, static_cast<int>(cx - outer));
           x <= std::min(size - 1, static_cast<int>(cx + outer)); ++x) {
        const double d = std::hypot(x + 0.5 - cx, y + 0.5 - cy);
        if (d < inner || d > outer) continue;
        sum += gfp[static_cast<size_t>(y) * size + x];
        ++count;
      }
    }
    nucleus.cytoplasmGfp = count > 0 ? std::max(sum / count - background, 0.0) : 0.0;
  }
}

double Mean(const std::vector<uint16_t>& pixels) {
  double sum = 0.0;
  for (const uint16_t value : pixels) sum += value;
  return pixels.empty() ? 0.0 : sum / static_cast<double>(pixels.size());
}

}  // namespace

Well DescribeWell(int row, int col) {
  Well well;
  well.row = row;
  well.col = col;
  well.negativeControl = col == 0;
  well.positiveControl = col == kCols - 1;
  const bool first = row < kRows / 2;
  well.compound = well.negativeControl   ? "DMSO"
                  : well.positiveControl ? "QE-101"
                  : first                ? "QE-101"
                                         : "QE-202";
  well.dose = static_cast<double>(col) / (kCols - 1);
  // Doses are half-log steps, so a Hill slope of 1 spans about four columns.
  const double potency = well.positiveControl || first ? 0.4 : 0.65;
  well.response = well.negativeControl ? 0.0 : Sigmoid(well.dose, potency, 0.1);
  well.survival = 1.0 - 0.6 * Sigmoid(well.dose, potency + 0.25, 0.1);
  const bool outer = row == 0 || row == kRows - 1 || col == 0 || col == kCols - 1;
  well.edgeFactor = outer ? 0.85 : 1.0;
  return well;
}

std::string WellName(int row, int col) {
  return std::string(1, static_cast<char>('A' + row)) + std::to_string(col + 1);
}

Field MakeField(const Well& well, int field, int size) {
  const uint32_t seed =
      static_cast<uint32_t>(((well.row * kCols + well.col) * kFields + field) * 7919 + 17);
  std::mt19937 random(seed);
  const std::vector<Cell> cells = PlaceCells(well, size, random);
  Field out;
  out.size = size;
  const double background[kChannels] = {180.0, 140.0};
  for (int channel = 0; channel < kChannels; ++channel) {
    Noise noise(seed * 2 + channel);
    std::vector<double> signal(static_cast<size_t>(size) * size, 0.0);
    for (const Cell& cell : cells) DrawCell(cell, channel, size, noise, signal);
    out.pixels[channel] = Expose(signal, size, background[channel], noise);
    out.meanIntensity[channel] = Mean(out.pixels[channel]);
  }
  out.nuclei = FindNuclei(out.pixels[0], size);
  MeasureCytoplasm(out.pixels[1], size, out.nuclei);
  double area = 0.0, gfp = 0.0;
  int positive = 0;
  for (const Object& nucleus : out.nuclei) {
    area += nucleus.pixels;
    gfp += nucleus.cytoplasmGfp;
    positive += nucleus.cytoplasmGfp > kPositiveCellGfp;
  }
  if (!out.nuclei.empty()) {
    const double n = static_cast<double>(out.nuclei.size());
    out.meanNucleusArea = area / n * kPixelSizeUm * kPixelSizeUm;
    out.gfpPerCell = gfp / n;
    out.positiveCells = 100.0 * positive / n;
  }
  return out;
}

std::string WriteTiff(const std::string& path, int size,
                      const std::vector<const std::vector<uint16_t>*>& pages,
                      const std::vector<std::string>& descriptions) {
  TIFF* tiff = TIFFOpen(path.c_str(), "w");
  if (!tiff) return "cannot create '" + path + "'";
  const float resolution = static_cast<float>(1e4 / kPixelSizeUm);  // pixels per centimetre
  std::string failure;
  for (size_t page = 0; page < pages.size() && failure.empty(); ++page) {
    TIFFSetField(tiff, TIFFTAG_SUBFILETYPE, FILETYPE_PAGE);
    TIFFSetField(tiff, TIFFTAG_PAGENUMBER, static_cast<uint16_t>(page),
                 static_cast<uint16_t>(pages.size()));
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(size));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(size));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 16);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 1);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_MINISBLACK);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, COMPRESSION_ADOBE_DEFLATE);
    TIFFSetField(tiff, TIFFTAG_PREDICTOR, PREDICTOR_HORIZONTAL);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, static_cast<uint32_t>(std::max(1, 8192 / size)));
    TIFFSetField(tiff, TIFFTAG_RESOLUTIONUNIT, RESUNIT_CENTIMETER);
    TIFFSetField(tiff, TIFFTAG_XRESOLUTION, resolution);
    TIFFSetField(tiff, TIFFTAG_YRESOLUTION, resolution);
    if (page < descriptions.size()) {
      TIFFSetField(tiff, TIFFTAG_IMAGEDESCRIPTION, descriptions[page].c_str());
    }
    std::vector<uint16_t> row(static_cast<size_t>(size));
    for (int y = 0; y < size && failure.empty(); ++y) {
      std::copy_n(pages[page]->begin() + static_cast<ptrdiff_t>(y) * size, size, row.begin());
      if (TIFFWriteScanline(tiff, row.data(), static_cast<uint32_t>(y), 0) < 0) {
        failure = "cannot write '" + path + "'";
      }
    }
    if (failure.empty() && !TIFFWriteDirectory(tiff)) failure = "cannot write '" + path + "'";
  }
  TIFFClose(tiff);
  return failure;
}

}  // namespace qe::cli::demo

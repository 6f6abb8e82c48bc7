#include "picture/raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace qe::picture {
namespace {

// The source pixels that cover one target pixel along an axis, with the
// fraction of the target pixel each covers (the weights sum to 1).
struct SQeSpan {
  unsigned int first;
  std::vector<double> weights;
};

std::vector<SQeSpan> Spans(unsigned int sourceLength, unsigned int targetLength) {
  std::vector<SQeSpan> spans(targetLength);
  const double scale = static_cast<double>(sourceLength) / targetLength;
  for (unsigned int t = 0; t < targetLength; ++t) {
    const double begin = t * scale;
    const double end = std::min<double>((t + 1) * scale, sourceLength);
    auto first = static_cast<unsigned int>(begin);
    SQeSpan& span = spans[t];
    span.first = first;
    for (unsigned int s = first; s < sourceLength && s < end; ++s) {
      const double covered = std::min<double>(s + 1, end) - std::max<double>(s, begin);
      span.weights.push_back(covered / scale);
    }
  }
  return spans;
}

uint8_t Round8(double value) {
  return static_cast<uint8_t>(std::clamp(std::floor(value + 0.5), 0.0, 255.0));
}

void StorePixel(const double* in, unsigned int inComponents, uint8_t* out,
                unsigned int outComponents) {
  if (inComponents == outComponents) {
    for (unsigned int c = 0; c < outComponents; ++c) out[c] = Round8(in[c]);
  } else if (inComponents == 1) {
    out[0] = out[1] = out[2] = Round8(in[0]);
  } else {
    out[0] = Luma(Round8(in[0]), Round8(in[1]), Round8(in[2]));
  }
}

bool CopyRows(const SQePixelView& source, const SQeMutablePixelView& target) {
  if (source.width != target.width || source.height != target.height ||
      source.components != target.components) {
    return false;
  }
  for (unsigned int y = 0; y < source.height; ++y) {
    std::memcpy(target.data + y * target.rowStep, source.data + y * source.rowStep,
                static_cast<size_t>(source.width) * source.components);
  }
  return true;
}

}  // namespace

SQePixelView ViewOf(const SQeRaster8& raster) {
  return {raster.data.data(), raster.width, raster.height, raster.components,
          static_cast<std::ptrdiff_t>(raster.width) * raster.components};
}

SQeMutablePixelView ViewOf(SQePicBuf& picture) {
  return {picture.pData, picture.uiWidth, picture.uiHeight, picture.uiComponents,
          static_cast<std::ptrdiff_t>(picture.uiBytesPerLine)};
}

void ResampleArea(const SQePixelView& source, const SQeMutablePixelView& target) {
  if (CopyRows(source, target)) return;
  const unsigned int nc = source.components;
  const std::vector<SQeSpan> columns = Spans(source.width, target.width);
  const std::vector<SQeSpan> rows = Spans(source.height, target.height);

  // Horizontal pass over every source row, then a vertical pass per target row.
  std::vector<double> across(static_cast<size_t>(target.width) * source.height * nc, 0.0);
  for (unsigned int y = 0; y < source.height; ++y) {
    const uint8_t* in = source.data + y * source.rowStep;
    double* out = &across[static_cast<size_t>(y) * target.width * nc];
    for (unsigned int x = 0; x < target.width; ++x) {
      const SQeSpan& span = columns[x];
      for (size_t k = 0; k < span.weights.size(); ++k) {
        const uint8_t* pixel = in + static_cast<size_t>(span.first + k) * nc;
        for (unsigned int c = 0; c < nc; ++c) out[x * nc + c] += span.weights[k] * pixel[c];
      }
    }
  }
  std::vector<double> line(static_cast<size_t>(target.width) * nc);
  for (unsigned int y = 0; y < target.height; ++y) {
    std::fill(line.begin(), line.end(), 0.0);
    const SQeSpan& span = rows[y];
    for (size_t k = 0; k < span.weights.size(); ++k) {
      const double* in = &across[static_cast<size_t>(span.first + k) * target.width * nc];
      for (size_t i = 0; i < line.size(); ++i) line[i] += span.weights[k] * in[i];
    }
    uint8_t* out = target.data + y * target.rowStep;
    for (unsigned int x = 0; x < target.width; ++x) {
      StorePixel(&line[static_cast<size_t>(x) * nc], nc, out + x * target.components,
                 target.components);
    }
  }
}

void FitInto(unsigned int width, unsigned int height, unsigned int maxWidth, unsigned int maxHeight,
             unsigned int* fitWidth, unsigned int* fitHeight) {
  unsigned long long w = width;
  unsigned long long h = height;
  if (w > maxWidth || h > maxHeight) {
    if (w * maxHeight >= h * maxWidth) {
      h = (h * maxWidth + w / 2) / w;
      w = maxWidth;
    } else {
      w = (w * maxHeight + h / 2) / h;
      h = maxHeight;
    }
  }
  *fitWidth = static_cast<unsigned int>(std::max<unsigned long long>(w, 1));
  *fitHeight = static_cast<unsigned int>(std::max<unsigned long long>(h, 1));
}

void Stretch16To8(const std::vector<uint16_t>& samples, uint8_t* out) {
  if (samples.empty()) return;
  const auto [low, high] = std::minmax_element(samples.begin(), samples.end());
  const uint32_t min = *low;
  const uint32_t range = *high - min;
  for (size_t i = 0; i < samples.size(); ++i) {
    out[i] = range == 0 ? static_cast<uint8_t>(samples[i] >> 8)
                        : static_cast<uint8_t>(((samples[i] - min) * 510u + range) / (2 * range));
  }
}

}  // namespace qe::picture

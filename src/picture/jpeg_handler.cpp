// JPEG through TurboJPEG.
#include <turbojpeg.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "picture/file_io.h"
#include "picture/handler_base.h"
#include "picture/input_file_base.h"
#include "qe/core/status.h"

namespace qe::picture {
namespace {

// Destroys a TurboJPEG handle on every path out.
class CQeTjHandle {
 public:
  explicit CQeTjHandle(tjhandle handle) : handle_(handle) {}
  ~CQeTjHandle() {
    if (handle_) tjDestroy(handle_);
  }
  CQeTjHandle(const CQeTjHandle&) = delete;
  CQeTjHandle& operator=(const CQeTjHandle&) = delete;
  tjhandle get() const { return handle_; }

 private:
  tjhandle handle_;
};

// The smallest DCT scaling that still gives at least the wanted size, so a
// large JPEG is not decoded at full size for a thumbnail.
tjscalingfactor ChooseScale(int width, int height, unsigned int wantWidth,
                            unsigned int wantHeight) {
  tjscalingfactor best{1, 1};
  int count = 0;
  const tjscalingfactor* factors = tjGetScalingFactors(&count);
  const long long needW = std::min<long long>(wantWidth, width);
  const long long needH = std::min<long long>(wantHeight, height);
  long long bestArea = static_cast<long long>(width) * height;
  for (int i = 0; factors && i < count; ++i) {
    const tjscalingfactor f = factors[i];
    if (f.num > f.denom) continue;
    const long long w = TJSCALED(width, f);
    const long long h = TJSCALED(height, f);
    if (w >= needW && h >= needH && w * h < bestArea) {
      best = f;
      bestArea = w * h;
    }
  }
  return best;
}

class CQeJpegInput final : public CQeInputImageFileBase {
 public:
  // Takes the bytes and checks the header: 0 or -10.
  static int Open(std::vector<uint8_t> bytes, CQeRefCountPtr<IQeInputImageFile>& input) {
    CQeTjHandle tj(tjInitDecompress());
    if (!tj.get()) return eQeFailed;
    int width = 0, height = 0, subsampling = 0, colorspace = 0;
    if (bytes.empty() ||
        tjDecompressHeader3(tj.get(), bytes.data(), bytes.size(), &width, &height, &subsampling,
                            &colorspace) != 0 ||
        width <= 0 || height <= 0 || colorspace == TJCS_CMYK || colorspace == TJCS_YCCK) {
      return eQeUnusableFile;
    }
    return MakeCounted<CQeJpegInput>(input, std::move(bytes), width, height,
                                     colorspace == TJCS_GRAY);
  }

  CQeJpegInput(std::vector<uint8_t> bytes, int width, int height, bool gray)
      : bytes_(std::move(bytes)), width_(width), height_(height), gray_(gray) {}

 protected:
  int FrameInfo(int frameIndex, SQeImageInfo& info) override {
    if (frameIndex != 0) return eQeNotFound;
    info = {static_cast<unsigned int>(width_), static_cast<unsigned int>(height_), 1,
            gray_ ? 1u : 3u, 8};
    return eQeOk;
  }

  int DecodeFrame(int, unsigned int wantWidth, unsigned int wantHeight,
                  SQeRaster8& raster) override {
    CQeTjHandle tj(tjInitDecompress());
    if (!tj.get()) return eQeFailed;
    const tjscalingfactor scale = ChooseScale(width_, height_, wantWidth, wantHeight);
    raster.width = static_cast<unsigned int>(TJSCALED(width_, scale));
    raster.height = static_cast<unsigned int>(TJSCALED(height_, scale));
    raster.components = gray_ ? 1 : 3;
    raster.data.assign(static_cast<size_t>(raster.width) * raster.height * raster.components, 0);
    // A damaged or truncated stream fails at its first warning: decoding
    // the rest would only fill a picture that is not used (a few hundred
    // bytes declaring 65000 x 65000 pixels took seconds).
    if (tjDecompress2(tj.get(), bytes_.data(), bytes_.size(), raster.data.data(),
                      static_cast<int>(raster.width), 0, static_cast<int>(raster.height),
                      gray_ ? TJPF_GRAY : TJPF_RGB, TJFLAG_STOPONWARNING) != 0) {
      return eQeUnusableFile;
    }
    return eQeOk;
  }

 private:
  std::vector<uint8_t> bytes_;
  int width_;
  int height_;
  bool gray_;
};

class CQeJpegOutput final : public CQeOutputImageFileBase {
 public:
  using CQeOutputImageFileBase::CQeOutputImageFileBase;

 protected:
  int Encode(const SQePicBuf& picture, double quality, std::vector<uint8_t>& encoded) override {
    CQeTjHandle tj(tjInitCompress());
    if (!tj.get()) return eQeFailed;
    const bool gray = picture.uiComponents == 1;
    const int percent = std::clamp(static_cast<int>(std::lround(quality * 100.0)), 1, 100);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const int status = tjCompress2(tj.get(), picture.pData, static_cast<int>(picture.uiWidth),
                                   static_cast<int>(picture.uiBytesPerLine),
                                   static_cast<int>(picture.uiHeight), gray ? TJPF_GRAY : TJPF_RGB,
                                   &out, &outSize, gray ? TJSAMP_GRAY : TJSAMP_420, percent, 0);
    if (status == 0 && out) encoded.assign(out, out + outSize);
    tjFree(out);
    return status == 0 ? eQeOk : eQeFailed;
  }
};

class CQeJpegHandler final : public CQeInMemoryFormatHandler<CQeJpegInput, CQeJpegOutput> {
 public:
  const wchar_t* FormatName() const override { return L"JPG"; }
};

}  // namespace

CQeRefCountPtr<IQeImageFormatHandler> NewJpegHandler() {
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  MakeCounted<CQeJpegHandler>(handler);
  return handler;
}

}  // namespace qe::picture

// PNG through libpng's simplified interface, which reports errors by return
// value (no longjmp through this code).
#include <png.h>

#include <cstring>

#include "picture/file_io.h"
#include "picture/handler_base.h"
#include "picture/input_file_base.h"
#include "picture/png_codec.h"

namespace qe::picture {
namespace {

// Frees libpng's state of an image on every path out.
class CQePngImage {
 public:
  CQePngImage() {
    std::memset(&image_, 0, sizeof(image_));
    image_.version = PNG_IMAGE_VERSION;
  }
  ~CQePngImage() { png_image_free(&image_); }
  CQePngImage(const CQePngImage&) = delete;
  CQePngImage& operator=(const CQePngImage&) = delete;
  png_image* get() { return &image_; }
  png_image* operator->() { return &image_; }

 private:
  png_image image_;
};

class CQePngInput final : public CQeInputImageFileBase {
 public:
  // Takes the bytes and checks the header: 0 or -10.
  static int Open(std::vector<uint8_t> bytes, CQeRefCountPtr<IQeInputImageFile>& input) {
    CQePngImage image;
    if (bytes.empty() ||
        !png_image_begin_read_from_memory(image.get(), bytes.data(), bytes.size())) {
      return eQeUnusableFile;
    }
    const png_uint_32 format = image->format;
    return MakeCounted<CQePngInput>(input, std::move(bytes), image->width, image->height,
                                    (format & PNG_FORMAT_FLAG_COLOR) == 0,
                                    (format & PNG_FORMAT_FLAG_LINEAR) != 0);
  }

  CQePngInput(std::vector<uint8_t> bytes, unsigned int width, unsigned int height, bool gray,
              bool sixteen)
      : bytes_(std::move(bytes)), width_(width), height_(height), gray_(gray), sixteen_(sixteen) {}

 protected:
  int FrameInfo(int frameIndex, SQeImageInfo& info) override {
    if (frameIndex != 0) return eQeNotFound;
    info = {width_, height_, 1, gray_ ? 1u : 3u, sixteen_ ? 16u : 8u};
    return eQeOk;
  }

  int DecodeFrame(int, unsigned int, unsigned int, SQeRaster8& raster) override {
    CQePngImage image;
    if (!png_image_begin_read_from_memory(image.get(), bytes_.data(), bytes_.size())) {
      return eQeUnusableFile;
    }
    raster.width = width_;
    raster.height = height_;
    raster.components = gray_ ? 1 : 3;
    const size_t samples = static_cast<size_t>(width_) * height_ * raster.components;
    raster.data.assign(samples, 0);
    // Alpha is composed onto the zeroed buffer, that is onto black.
    if (!sixteen_) {
      image->format = gray_ ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
      return png_image_finish_read(image.get(), nullptr, raster.data.data(), 0, nullptr)
                 ? eQeOk
                 : eQeUnusableFile;
    }
    image->format = gray_ ? PNG_FORMAT_LINEAR_Y : PNG_FORMAT_LINEAR_RGB;
    std::vector<uint16_t> wide(samples, 0);
    if (!png_image_finish_read(image.get(), nullptr, wide.data(), 0, nullptr)) {
      return eQeUnusableFile;
    }
    Stretch16To8(wide, raster.data.data());
    return eQeOk;
  }

 private:
  std::vector<uint8_t> bytes_;
  unsigned int width_;
  unsigned int height_;
  bool gray_;
  bool sixteen_;
};

class CQePngOutput final : public CQeOutputImageFileBase {
 public:
  using CQeOutputImageFileBase::CQeOutputImageFileBase;

 protected:
  int Encode(const SQePicBuf& picture, double, std::vector<uint8_t>& encoded) override {
    return EncodePng(picture.pData, picture.uiWidth, picture.uiHeight, picture.uiComponents,
                     picture.uiBytesPerLine, encoded);
  }
};

class CQePngHandler final : public CQeInMemoryFormatHandler<CQePngInput, CQePngOutput> {
 public:
  const wchar_t* FormatName() const override { return L"PNG"; }
};

}  // namespace

int EncodePng(const uint8_t* pixels, unsigned int width, unsigned int height,
              unsigned int components, size_t rowStep, std::vector<uint8_t>& encoded) {
  CQePngImage image;
  image->width = width;
  image->height = height;
  image->format = components == 1 ? PNG_FORMAT_GRAY : PNG_FORMAT_RGB;
  const auto stride = static_cast<png_int_32>(rowStep);
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(*image.get(), size, 0, pixels, stride, nullptr)) {
    return eQeFailed;
  }
  encoded.resize(size);
  if (!png_image_write_to_memory(image.get(), encoded.data(), &size, 0, pixels, stride, nullptr)) {
    return eQeFailed;
  }
  encoded.resize(size);
  return eQeOk;
}

CQeRefCountPtr<IQeImageFormatHandler> NewPngHandler() {
  CQeRefCountPtr<IQeImageFormatHandler> handler;
  MakeCounted<CQePngHandler>(handler);
  return handler;
}

}  // namespace qe::picture

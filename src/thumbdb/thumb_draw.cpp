// Drawing a request's picture into a drawing surface, as into a device context.
#include <cstdint>
#include <cstdlib>

#include "qe/core/status.h"
#include "qe/core/translation.h"
#include "qe/picture/drawing_surface.h"
#include "qe/thumbdb/project_thumb.h"

namespace {

// Below this width or height "N/A" does not fit: a cross is drawn instead.
constexpr int kMinTextSize = 31;
constexpr unsigned int kTextFormat = eQeDtCenter | eQeDtVCenter | eQeDtSingleLine;  // 37

void Report(int x, int y, int width, int height, int* outX, int* outY, int* outWidth,
            int* outHeight) {
  if (outX) *outX = x;
  if (outY) *outY = y;
  if (outWidth) *outWidth = width;
  if (outHeight) *outHeight = height;
}

void DrawNoPicture(unsigned int dc, int x, int y, int width, int height) {
  if (width < kMinTextSize || height < kMinTextSize) {
    QeDc_MoveToEx(dc, x, y, nullptr);
    QeDc_LineTo(dc, x + width, y + height);
    QeDc_MoveToEx(dc, x + width, y, nullptr);
    QeDc_LineTo(dc, x, y + height);
    return;
  }
  const SQeRect rect{x, y, x + width, y + height};
  const CQeStringW text = QE_GetTranslation(L"N/A", "cqeprojectthumbdb");
  QeDc_DrawTextW(dc, text, -1, &rect, kTextFormat);
}

}  // namespace

int CQeProjectThumb::DrawIntoDC(unsigned int dc, int x, int y, int width, int height, int* outX,
                                int* outY, int* outWidth, int* outHeight) const {
  if (result_ != eQeOk || !CQePicBufAPI::HasPixels(picture_)) {
    DrawNoPicture(dc, x, y, width, height);
    Report(x, y, width, height, outX, outY, outWidth, outHeight);
    return eQeOk;
  }
  const int64_t pw = picture_.uiWidth;
  const int64_t ph = picture_.uiHeight;
  // Fit with integer arithmetic; a difference of one pixel is not worth a
  // border, so the rectangle is only narrowed when it differs by more.
  if (ph * width >= pw * height) {
    const int fitted = static_cast<int>(pw * height / ph);
    if (std::abs(fitted - width) > 1) {
      x += (width - fitted) / 2;
      width = fitted;
    }
  } else {
    const int fitted = static_cast<int>(ph * width / pw);
    if (std::abs(fitted - height) > 1) {
      y += (height - fitted) / 2;
      height = fitted;
    }
  }
  Report(x, y, width, height, outX, outY, outWidth, outHeight);
  SQeBitmapInfoHeader header{};
  header.biSize = sizeof(SQeBitmapInfoHeader);
  header.biWidth = static_cast<int32_t>(pw);
  header.biHeight = -static_cast<int32_t>(ph);  // rows run top down
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = eQeBiRgb;
  header.biSizeImage = picture_.uiByteSize;
  const int lines =
      QeDc_StretchDIBits(dc, x, y, width, height, 0, 0, static_cast<int>(pw), static_cast<int>(ph),
                         picture_.pData, &header, eQeDibRgbColors, eQeSrcCopy);
  return lines == 0 ? eQeDrawingFailed : eQeOk;
}

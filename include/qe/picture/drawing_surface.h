// A drawing surface that stands in for a Windows device context, and the
// device-context calls the library draws with.
//
// Conventions:
//  - A CQeDrawingSurface is an RGB raster (8 bits per component, rows top
//    down, 3 bytes per pixel in the order R, G, B, no row padding). x grows
//    to the right, y downwards; (0, 0) is the top-left pixel.
//  - Each surface has a handle, an unsigned 32-bit number that is never 0,
//    valid from construction until destruction. The QeDc_* calls take that
//    handle where the Windows calls take a device context; an unknown handle
//    makes them fail. The surface must outlive every call made on its handle.
//  - A device-independent bitmap (DIB) here is an SQeBitmapInfoHeader plus
//    rows of pixels: 24 bits per pixel in the order R, G, B (the order of
//    SQePicBuf), each row padded to a multiple of 4 bytes; a negative
//    biHeight means rows run top down, a positive one bottom up.
//  - Drawing clips to the surface. Nothing is anti-aliased except the
//    stretch-blit, which scales by area averaging.
//  - Status codes of the methods: 0 success, -4 (eQeMissingArgument) a
//    missing or invalid argument, -11 (eQeDrawingFailed) the drawing could
//    not be done (a bitmap this surface cannot draw). The QeDc_* calls return
//    what their Windows counterparts return instead (0 or false on failure).
//  - Threads: one surface is drawn on by one thread at a time. The handle
//    table is shared by all threads and guarded by its own mutex, a leaf lock
//    held only to add, find or remove a handle.
#pragma once

#include <cstdint>
#include <vector>

struct SQeColor {
  uint8_t r;
  uint8_t g;
  uint8_t b;
  bool operator==(const SQeColor& other) const = default;
};

struct SQePoint {
  int x;
  int y;
};

// right and bottom are exclusive, as in Windows rectangles.
struct SQeRect {
  int left;
  int top;
  int right;
  int bottom;
};

// The fields of a Windows BITMAPINFOHEADER, same names, order and sizes.
struct SQeBitmapInfoHeader {
  uint32_t biSize;  // at least 40
  int32_t biWidth;
  int32_t biHeight;        // negative: top-down rows
  uint16_t biPlanes;       // 1
  uint16_t biBitCount;     // 24
  uint32_t biCompression;  // eQeBiRgb
  uint32_t biSizeImage;    // bytes of pixels; 0 means "rows x row step"
  int32_t biXPelsPerMeter;
  int32_t biYPelsPerMeter;
  uint32_t biClrUsed;
  uint32_t biClrImportant;
};
static_assert(sizeof(SQeBitmapInfoHeader) == 40);

enum EQeDibConstant : uint32_t {
  eQeBiRgb = 0,             // BI_RGB: uncompressed pixels
  eQeDibRgbColors = 0,      // DIB_RGB_COLORS
  eQeSrcCopy = 0x00CC0020,  // SRCCOPY
};

// DrawTextW format flags; the only layout drawn is one line (single line is
// implied), centred or left/top aligned.
enum EQeDrawTextFormat : unsigned int {
  eQeDtLeft = 0,
  eQeDtCenter = 1,
  eQeDtVCenter = 4,
  eQeDtSingleLine = 32,
};

class CQeDrawingSurface {
 public:
  static constexpr SQeColor kWhite{255, 255, 255};
  static constexpr SQeColor kBlack{0, 0, 0};
  // Glyph cell of the built-in font at text scale 1, in pixels.
  static constexpr int kGlyphWidth = 6;
  static constexpr int kGlyphHeight = 8;

  // A surface of width x height pixels (negative sizes count as 0) filled
  // with background; pen and text colour black, text scale 1.
  CQeDrawingSurface(int width, int height, SQeColor background = kWhite);
  ~CQeDrawingSurface();
  CQeDrawingSurface(const CQeDrawingSurface&) = delete;
  CQeDrawingSurface& operator=(const CQeDrawingSurface&) = delete;

  unsigned int Handle() const { return handle_; }
  // The surface with that handle, or null. The pointer is not owned.
  static CQeDrawingSurface* FromHandle(unsigned int dc);

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Pixel rows, Width() * 3 bytes each; owned by the surface.
  const uint8_t* Pixels() const { return pixels_.data(); }
  // Black outside the surface.
  SQeColor GetPixel(int x, int y) const;
  void SetPixel(int x, int y, SQeColor color);
  void Fill(SQeColor color);
  void FillRect(const SQeRect& rect, SQeColor color);
  // Fills the polygon through points (closed from the last point back to the
  // first) by the even-odd rule: a pixel is filled when its centre lies
  // inside. Fewer than 3 points fill nothing. A circle is a polygon of many
  // points.
  void FillPolygon(const std::vector<SQePoint>& points, SQeColor color);

  void SetPenColor(SQeColor color) { pen_ = color; }
  void SetTextColor(SQeColor color) { text_ = color; }
  // Each glyph pixel becomes scale x scale surface pixels (1 to 16).
  void SetTextScale(int scale);
  int TextScale() const { return scale_; }

  // Scales the source rectangle of a 24-bit DIB into the destination
  // rectangle by area averaging. Sizes must be positive and the source
  // rectangle inside the bitmap. bits is not owned and only read during the
  // call. Returns 0, -4 (null bits, a bad rectangle, biSizeImage smaller than
  // the rows need), -11 (a bitmap other than 1 plane, 24 bits, BI_RGB).
  int StretchBlit(int xDest, int yDest, int destWidth, int destHeight, int xSrc, int ySrc,
                  int srcWidth, int srcHeight, const void* bits, const SQeBitmapInfoHeader& info);
  // Sets the current position, returning the previous one.
  SQePoint MoveTo(int x, int y);
  // Draws a one-pixel line in the pen colour from the current position up
  // to, but not including, (x, y), which becomes the current position.
  void LineTo(int x, int y);
  // Draws text on one line in the text colour with the built-in font
  // (digits, letters without accents, common punctuation; lower case is
  // drawn as upper case; other characters as a hollow box), clipped to rect:
  // centred horizontally with eQeDtCenter, vertically with eQeDtVCenter,
  // otherwise at the left or top. Returns the height of the text line.
  int DrawText(const wchar_t* text, const SQeRect& rect, unsigned int format);
  // Writes the surface as an 8-bit RGB PNG file. Returns 0, -4 (empty
  // name), -9 (the file could not be written).
  int SavePng(const wchar_t* fileName) const;

 private:
  unsigned int handle_;
  int width_;
  int height_;
  std::vector<uint8_t> pixels_;
  SQeColor pen_ = kBlack;
  SQeColor text_ = kBlack;
  int scale_ = 1;
  SQePoint position_{0, 0};
};

// The Windows device-context calls over a surface handle, with their return
// conventions.
//
// StretchDIBits: CQeDrawingSurface::StretchBlit; usage must be
// eQeDibRgbColors and rop eQeSrcCopy. Returns the number of scan lines
// copied (srcHeight), 0 on any failure.
int QeDc_StretchDIBits(unsigned int dc, int xDest, int yDest, int destWidth, int destHeight,
                       int xSrc, int ySrc, int srcWidth, int srcHeight, const void* bits,
                       const SQeBitmapInfoHeader* info, unsigned int usage, unsigned int rop);
// MoveToEx: sets the current position; the previous one goes to previous
// when it is not null. False for an unknown handle.
bool QeDc_MoveToEx(unsigned int dc, int x, int y, SQePoint* previous);
// LineTo: CQeDrawingSurface::LineTo. False for an unknown handle.
bool QeDc_LineTo(unsigned int dc, int x, int y);
// DrawTextW: CQeDrawingSurface::DrawText over the first length characters
// (all up to the terminating null when length is -1). Returns the height of
// the text, 0 for an unknown handle or a null text or rectangle.
int QeDc_DrawTextW(unsigned int dc, const wchar_t* text, int length, const SQeRect* rect,
                   unsigned int format);

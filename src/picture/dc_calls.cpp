// Surface handles and the device-context calls made over them.
#include <cwchar>
#include <mutex>
#include <string>
#include <unordered_map>

#include "picture/dc_handles.h"
#include "qe/core/status.h"
#include "qe/picture/drawing_surface.h"

namespace qe::picture {
namespace {

// Shared by every thread: g_surfaces and g_nextHandle are guarded by
// g_surfacesMutex, a leaf lock.
std::mutex g_surfacesMutex;
std::unordered_map<unsigned int, CQeDrawingSurface*> g_surfaces;
unsigned int g_nextHandle = 1;

}  // namespace

unsigned int RegisterSurface(CQeDrawingSurface* surface) {
  std::lock_guard<std::mutex> lock(g_surfacesMutex);
  while (g_nextHandle == 0 || g_surfaces.count(g_nextHandle) != 0) ++g_nextHandle;
  const unsigned int handle = g_nextHandle++;
  g_surfaces.emplace(handle, surface);
  return handle;
}

void UnregisterSurface(unsigned int handle) {
  std::lock_guard<std::mutex> lock(g_surfacesMutex);
  g_surfaces.erase(handle);
}

CQeDrawingSurface* FindSurface(unsigned int handle) {
  std::lock_guard<std::mutex> lock(g_surfacesMutex);
  auto found = g_surfaces.find(handle);
  return found == g_surfaces.end() ? nullptr : found->second;
}

}  // namespace qe::picture

int QeDc_StretchDIBits(unsigned int dc, int xDest, int yDest, int destWidth, int destHeight,
                       int xSrc, int ySrc, int srcWidth, int srcHeight, const void* bits,
                       const SQeBitmapInfoHeader* info, unsigned int usage, unsigned int rop) {
  CQeDrawingSurface* surface = qe::picture::FindSurface(dc);
  if (!surface || !info || usage != eQeDibRgbColors || rop != eQeSrcCopy) return 0;
  const int status = surface->StretchBlit(xDest, yDest, destWidth, destHeight, xSrc, ySrc, srcWidth,
                                          srcHeight, bits, *info);
  return status == eQeOk ? srcHeight : 0;
}

bool QeDc_MoveToEx(unsigned int dc, int x, int y, SQePoint* previous) {
  CQeDrawingSurface* surface = qe::picture::FindSurface(dc);
  if (!surface) return false;
  const SQePoint old = surface->MoveTo(x, y);
  if (previous) *previous = old;
  return true;
}

bool QeDc_LineTo(unsigned int dc, int x, int y) {
  CQeDrawingSurface* surface = qe::picture::FindSurface(dc);
  if (!surface) return false;
  surface->LineTo(x, y);
  return true;
}

int QeDc_DrawTextW(unsigned int dc, const wchar_t* text, int length, const SQeRect* rect,
                   unsigned int format) {
  CQeDrawingSurface* surface = qe::picture::FindSurface(dc);
  if (!surface || !text || !rect) return 0;
  try {
    const std::wstring line = length < 0
                                  ? std::wstring(text)
                                  : std::wstring(text, wcsnlen(text, static_cast<size_t>(length)));
    return surface->DrawText(line.c_str(), *rect, format);
  } catch (const std::exception&) {
    return 0;
  }
}

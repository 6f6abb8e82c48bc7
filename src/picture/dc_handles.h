// The table of drawing-surface handles (internal).
#pragma once

class CQeDrawingSurface;

namespace qe::picture {

// A new handle (never 0, never one in use) for surface.
unsigned int RegisterSurface(CQeDrawingSurface* surface);
void UnregisterSurface(unsigned int handle);
CQeDrawingSurface* FindSurface(unsigned int handle);

}  // namespace qe::picture

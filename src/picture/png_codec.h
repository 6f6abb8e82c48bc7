// PNG encoding shared by the PNG output and the drawing surface (internal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace qe::picture {

// Encodes 8-bit gray (components 1) or RGB (components 3) rows that start
// rowStep bytes apart. 0 or -9.
int EncodePng(const uint8_t* pixels, unsigned int width, unsigned int height,
              unsigned int components, size_t rowStep, std::vector<uint8_t>& encoded);

}  // namespace qe::picture

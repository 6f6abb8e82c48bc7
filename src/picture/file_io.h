// Whole-file reads and writes for the decoders and encoders (internal).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qe::picture {

// The file name as the file system wants it (UTF-8).
std::string NativePath(const wchar_t* fileName);

// Whether the path names a regular file this process can open for reading.
bool IsReadableFile(const std::string& path);

// Reads a whole file. 0; -1 when it is not a readable regular file; -9 when
// reading fails or the file is larger than 1 GiB.
int ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

// Replaces the file with size bytes. 0 or -9.
int WriteWholeFile(const std::string& path, const uint8_t* data, size_t size);

}  // namespace qe::picture

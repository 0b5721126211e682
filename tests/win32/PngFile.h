#pragma once
// A minimal PNG writer for screenshots kept by the tests: 8-bit RGB, rows
// unfiltered, the image data in stored (uncompressed) deflate blocks.

#include <cstdint>
#include <string>
#include <vector>

// Rgb holds Width * Height pixels, top row first, three bytes each. False when
// the file cannot be written or the sizes do not match.
bool WritePngFile(const std::string& Path, int Width, int Height, const std::vector<uint8_t>& Rgb);

// A PNG encoder for the GUI tests' screenshots: 8-bit RGB, no compression
// (zlib stored blocks), enough for any viewer and free of outside libraries.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace gui {

// rgb holds height rows of width pixels, three bytes each, top row first.
std::vector<std::uint8_t> EncodePng(int width, int height, std::span<const std::uint8_t> rgb);

std::uint32_t Crc32(std::span<const std::uint8_t> data);
std::uint32_t Adler32(std::span<const std::uint8_t> data);

}  // namespace gui

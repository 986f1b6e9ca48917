#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "platform/image.h"
#include "codecs/load_result.h"

namespace morvel {

// Windows bitmaps: uncompressed 1, 4, 8, 16, 24 and 32 bits, RLE4 and RLE8, bottom-up and
// top-down. Returns NotThisFormat unless the bytes start with "BM".
LoadResult DecodeBmp(std::span<const std::uint8_t> bytes, Image& out);

// 24 bits, uncompressed: 14-byte file header, 40-byte info header, no colour table, rows
// bottom-up, each padded to a multiple of four bytes.
std::vector<std::uint8_t> EncodeBmp(const Image& image);

// The same bytes handed to put a few hundred kilobytes at a time, so that they never need to be
// held whole. False when the picture is empty or too large for the format, or put failed.
bool EncodeBmpPieces(const Image& image,
                     const std::function<bool(std::span<const std::uint8_t>)>& put);

}  // namespace morvel

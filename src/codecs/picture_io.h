#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/grey_image.h"
#include "platform/image.h"
#include "codecs/load_result.h"

namespace morvel {

// The formats the program writes.
enum class PictureFormat { Bmp, Png, Jpeg };

// Reads a picture by its content: "BM" makes it a bitmap; anything else is offered to PNG,
// JPEG, TGA and TIFF in this order, and the first reader that takes it decodes it.
LoadResult DecodePicture(std::span<const std::uint8_t> bytes, Image& out);

// The same for a file; CannotOpen when it cannot be read or is no regular file.
LoadResult LoadPictureFile(const std::string& path, Image& out);

// A mask picture's grey: the blue of the picture LoadPictureFile reads, for the common PNG
// files without holding that picture.
LoadResult LoadMaskPictureFile(const std::string& path, GreyImage& out);

// The same, but a JPEG is decoded reduced, as small as possible while at least
// minWidth x minHeight (pictures of other formats come at full size): for thumbnails.
LoadResult DecodePictureReduced(std::span<const std::uint8_t> bytes, Image& out, int minWidth,
                                int minHeight);
LoadResult LoadPictureFileReduced(const std::string& path, Image& out, int minWidth, int minHeight);

// Encodes with the program's settings for each format.
bool EncodePicture(const Image& image, PictureFormat format, std::vector<std::uint8_t>& out);

// Encodes and writes the file, replacing it. False when anything fails.
bool SavePictureFile(const Image& image, const std::string& path, PictureFormat format);

// A mask's file: its grey as red = green = blue in a PNG, the bytes a 24-bit picture of the same
// pixels gives. False when anything fails (also the memory of the expanded picture).
bool EncodeMaskPng(const GreyImage& mask, std::vector<std::uint8_t>& out);
bool SaveMaskFile(const GreyImage& mask, const std::string& path);

}  // namespace morvel

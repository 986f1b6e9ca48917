#include "codecs/picture_io.h"

#include <algorithm>

#include "codecs/bmp_codec.h"
#include "platform/files.h"
#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "codecs/png_fast_reader.h"
#include "codecs/tga_codec.h"
#include "codecs/tiff_codec.h"

namespace morvel {

namespace {

// minWidth 0: full size.
LoadResult decodeByContent(std::span<const std::uint8_t> bytes, Image& out, int minWidth,
                           int minHeight) {
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return DecodeBmp(bytes, out);

    // TGA has no signature and comes before TIFF; PNG and JPEG have strong signatures, so
    // their readers go first and no TGA header test can steal their files.
    using Decoder = LoadResult (*)(std::span<const std::uint8_t>, Image&);
    static constexpr Decoder kDecoders[] = {
        DecodePng,
        nullptr,  // JPEG, possibly reduced
        DecodeTga,
        DecodeTiff,
    };
    for (Decoder decode : kDecoders) {
        const LoadResult result = decode ? decode(bytes, out)
                                  : minWidth > 0
                                      ? DecodeJpegReduced(bytes, out, minWidth, minHeight)
                                      : DecodeJpeg(bytes, out);
        if (result != LoadResult::NotThisFormat) return result;
    }
    return LoadResult::NotThisFormat;
}

}  // namespace

LoadResult DecodePicture(std::span<const std::uint8_t> bytes, Image& out) {
    return decodeByContent(bytes, out, 0, 0);
}

LoadResult DecodePictureReduced(std::span<const std::uint8_t> bytes, Image& out, int minWidth,
                                int minHeight) {
    return decodeByContent(bytes, out, minWidth, minHeight);
}

LoadResult LoadPictureFileReduced(const std::string& path, Image& out, int minWidth,
                                  int minHeight) {
    const std::optional<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
    if (!bytes) return LoadResult::CannotOpen;
    return DecodePictureReduced(*bytes, out, minWidth, minHeight);
}

LoadResult LoadPictureFile(const std::string& path, Image& out) {
    const std::optional<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
    if (!bytes) return LoadResult::CannotOpen;
    return DecodePicture(*bytes, out);
}

LoadResult LoadMaskPictureFile(const std::string& path, GreyImage& out) {
    const std::optional<std::vector<std::uint8_t>> bytes = ReadFileBytes(path);
    if (!bytes) return LoadResult::CannotOpen;
    // Files the fast reader does not take go the whole way, with the picture's own result.
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    if (bytes->size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, bytes->begin()) &&
        DecodePngFastBlue(*bytes, out) == FastPngResult::Decoded)
        return LoadResult::Ok;
    Image picture;
    const LoadResult result = DecodePicture(*bytes, picture);
    if (result != LoadResult::Ok) return result;
    if (picture.empty()) return LoadResult::Damaged;
    std::optional<GreyImage> grey = GreyFromBlue(picture);
    if (!grey) return LoadResult::OutOfMemory;
    out = std::move(*grey);
    return LoadResult::Ok;
}

bool EncodePicture(const Image& image, PictureFormat format, std::vector<std::uint8_t>& out) {
    switch (format) {
        case PictureFormat::Bmp:
            if (image.empty()) return false;
            try {
                out = EncodeBmp(image);
            } catch (...) {  // the encoder's buffer could not be had
                return false;
            }
            return !out.empty();
        case PictureFormat::Png:
            return EncodePng(image, out);
        case PictureFormat::Jpeg:
            return EncodeJpeg(image, out);
    }
    return false;
}

bool SavePictureFile(const Image& image, const std::string& path, PictureFormat format) {
    // A bitmap is as large as the picture: written piece by piece instead of whole.
    if (format == PictureFormat::Bmp) {
        if (image.empty()) return false;
        return WriteFileProduced(path, [&](const FilePut& put) {
            try {
                return EncodeBmpPieces(image, put);
            } catch (...) {  // a piece's buffer could not be had
                return false;
            }
        });
    }
    std::vector<std::uint8_t> bytes;
    if (!EncodePicture(image, format, bytes)) return false;
    return WriteFileBytes(path, bytes);
}

bool EncodeMaskPng(const GreyImage& mask, std::vector<std::uint8_t>& out) {
    // The expanded picture lives only while it is encoded.
    const auto picture = ExpandGrey(mask);
    return picture && EncodePicture(*picture, PictureFormat::Png, out);
}

bool SaveMaskFile(const GreyImage& mask, const std::string& path) {
    std::vector<std::uint8_t> bytes;
    if (!EncodeMaskPng(mask, bytes)) return false;
    return WriteFileBytes(path, bytes);
}

}  // namespace morvel

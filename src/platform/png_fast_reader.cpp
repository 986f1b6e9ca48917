#include "platform/png_fast_reader.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "platform/png_chunks.h"
#include "platform/png_unfilter.h"

namespace morvel {

namespace {

// libpng refuses any other chunk above this size (its chunk limit set by the PNG reader).
constexpr std::size_t kMaxChunkBytes = std::size_t{16} << 20;
// Above this the whole inflated picture is not held at once; libpng streams its rows.
constexpr std::size_t kMaxInflatedBytes = std::size_t{512} << 20;

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int channels = 0;
};

bool readHeader(const PngChunk& chunk, Header& header) {
    if (chunk.type != PngChunkType("IHDR") || chunk.data.size() != 13 || !chunk.crcMatches())
        return false;
    const std::uint8_t* d = chunk.data.data();
    header.width = ReadBigEndian32(d);
    header.height = ReadBigEndian32(d + 4);
    header.bitDepth = d[8];
    header.colourType = d[9];
    if (d[10] != 0 || d[11] != 0 || d[12] != 0) return false;  // interlaced ones go to libpng
    const int depth = header.bitDepth;
    switch (header.colourType) {
        case 0:
            header.channels = 1;
            return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
        case 3:
            header.channels = 1;
            return depth == 1 || depth == 2 || depth == 4 || depth == 8;
        case 2:
            header.channels = 3;
            return depth == 8 || depth == 16;
        case 4:
            header.channels = 2;
            return depth == 8 || depth == 16;
        case 6:
            header.channels = 4;
            return depth == 8 || depth == 16;
        default:
            return false;
    }
}

// The zlib stream's two header bytes, as zlib checks them. A window smaller than 32 KiB is
// taken only when the whole picture fits in it: zlib refuses distances beyond the declared
// window, which libdeflate does not check.
bool zlibHeaderUsable(const std::uint8_t* p, std::size_t inflatedBytes) {
    const unsigned method = p[0] & 0x0F;
    const unsigned windowBits = (p[0] >> 4) + 8;
    if (method != 8 || windowBits > 15 || (p[0] * 256u + p[1]) % 31 != 0 || (p[1] & 0x20) != 0)
        return false;
    return windowBits == 15 || inflatedBytes <= (std::size_t{1} << windowBits);
}

struct DecompressorDeleter {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

// Reads unpacked samples of one row as 8-bit values: the high byte of 16-bit samples, samples
// under a byte scaled to 0..255 (grey) or kept as palette indices.
void toRgb(const Header& h, const std::uint8_t* in, std::uint8_t* out,
           const std::array<std::uint8_t, 768>& palette) {
    const std::uint32_t w = h.width;
    const int depth = h.bitDepth;
    if (depth < 8) {
        const int perByte = 8 / depth;
        const unsigned mask = (1u << depth) - 1;
        const unsigned scale = h.colourType == 3 ? 1 : 255 / mask;
        for (std::uint32_t x = 0; x < w; ++x) {
            const int shift = 8 - depth * (1 + static_cast<int>(x % perByte));
            const unsigned v = (in[x / perByte] >> shift) & mask;
            if (h.colourType == 3) {
                std::memcpy(out + 3 * x, &palette[3 * v], 3);
            } else {
                out[3 * x] = out[3 * x + 1] = out[3 * x + 2] = static_cast<std::uint8_t>(v * scale);
            }
        }
        return;
    }
    const int sampleBytes = depth / 8;
    const int pixelBytes = h.channels * sampleBytes;
    if (h.colourType == 2 && depth == 8) {
        std::memcpy(out, in, std::size_t{w} * 3);
        return;
    }
    for (std::uint32_t x = 0; x < w; ++x, in += pixelBytes, out += 3) {
        if (h.colourType == 3) {
            std::memcpy(out, &palette[3 * in[0]], 3);
        } else if (h.channels >= 3) {
            out[0] = in[0];
            out[1] = in[sampleBytes];
            out[2] = in[2 * sampleBytes];
        } else {
            out[0] = out[1] = out[2] = in[0];
        }
    }
}

}  // namespace

FastPngResult DecodePngFast(std::span<const std::uint8_t> bytes, Image& out) {
    constexpr auto kLeft = FastPngResult::LeftToLibpng;
    PngChunkWalker walker(bytes);
    PngChunk chunk;
    Header h;
    if (!walker.next(chunk) || !readHeader(chunk, h)) return kLeft;
    if (h.width == 0 || h.height == 0 || !Image::acceptableSize(h.width, h.height)) return kLeft;

    const std::size_t rowBytes = (std::size_t{h.width} * h.channels * h.bitDepth + 7) / 8;
    const std::size_t inflatedBytes = (rowBytes + 1) * h.height;
    if (inflatedBytes > kMaxInflatedBytes) return kLeft;

    // Chunks up to the image data: libpng reads them all; only those it never fails on are
    // passed over here.
    std::array<std::uint8_t, 768> palette{};  // libpng's table is zero beyond the file's entries
    bool havePalette = false;
    while (true) {
        if (!walker.next(chunk) || !chunk.validType()) return kLeft;
        if (chunk.type == PngChunkType("IDAT")) break;
        if (chunk.ancillary()) {
            if (chunk.data.size() > kMaxChunkBytes) return kLeft;
            continue;
        }
        if (chunk.type != PngChunkType("PLTE") || havePalette || !chunk.crcMatches()) return kLeft;
        const std::size_t size = chunk.data.size();
        if (size == 0 || size > 768 || size % 3 != 0) return kLeft;
        havePalette = true;
        std::memcpy(palette.data(), chunk.data.data(), size);
    }
    if (h.colourType == 3 && !havePalette) return kLeft;

    // The image data, from consecutive IDAT chunks.
    std::vector<std::uint8_t> compressed;
    std::vector<std::uint8_t> inflated;
    try {
        std::size_t total = 0;
        PngChunkWalker counter = walker;
        PngChunk more = chunk;
        do {
            if (more.data.size() > kMaxChunkBytes || !more.crcMatches()) return kLeft;
            total += more.data.size();
        } while (counter.next(more) && more.type == PngChunkType("IDAT"));
        // Deflate packs at most 258 bytes into two bits: refused before the picture's memory is
        // taken when the data cannot possibly hold it.
        if (counter.truncated() || total < inflatedBytes / 1032) return kLeft;
        compressed.reserve(total);
        do {
            compressed.insert(compressed.end(), chunk.data.begin(), chunk.data.end());
        } while (walker.next(chunk) && chunk.type == PngChunkType("IDAT"));
        inflated.resize(inflatedBytes + 1);  // the unfilter reads a byte past the last row
    } catch (const std::bad_alloc&) {
        return kLeft;
    }
    if (compressed.size() < 2 || !zlibHeaderUsable(compressed.data(), inflatedBytes)) return kLeft;

    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor) return kLeft;
    std::size_t usedIn = 0;
    std::size_t producedOut = 0;
    // The stream must end with exactly the picture's bytes and be followed by its four-byte
    // check value, which libpng needs to see but does not verify (nor is it verified here).
    if (libdeflate_deflate_decompress_ex(decompressor.get(), compressed.data() + 2,
                                         compressed.size() - 2, inflated.data(), inflatedBytes,
                                         &usedIn, &producedOut) != LIBDEFLATE_SUCCESS ||
        producedOut != inflatedBytes || compressed.size() - 2 - usedIn < 4) {
        return kLeft;
    }

    std::optional<Image> image =
        Image::create(static_cast<int>(h.width), static_cast<int>(h.height));
    if (!image) return kLeft;
    const int bytesPerPixel = std::max(1, h.channels * h.bitDepth / 8);
    std::vector<std::uint8_t> zeroRow;
    try {
        zeroRow.assign(rowBytes + 1, 0);
    } catch (const std::bad_alloc&) {
        return kLeft;
    }
    const std::uint8_t* previous = zeroRow.data();
    for (std::uint32_t y = 0; y < h.height; ++y) {
        std::uint8_t* row = inflated.data() + std::size_t{y} * (rowBytes + 1);
        if (!UnfilterPngRow(row[0], row + 1, previous, rowBytes, bytesPerPixel)) return kLeft;
        toRgb(h, row + 1, image->row(static_cast<int>(y)), palette);
        previous = row + 1;
    }
    out = std::move(*image);
    return FastPngResult::Decoded;
}

}  // namespace morvel

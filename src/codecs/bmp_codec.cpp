#include "codecs/bmp_codec.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <functional>
#include <limits>
#include <new>
#include <optional>
#include <span>
#include <utility>

#include "codecs/little_endian.h"

namespace morvel {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kCoreHeaderBytes = 12;  // the old OS/2 header: 16-bit sizes, no compression
constexpr std::size_t kInfoHeaderBytes = 40;
constexpr std::size_t kWrittenHeaderBytes = kFileHeaderBytes + kInfoHeaderBytes;

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kAlphaBitFields = 6;

// Red, green, blue for each palette index. Indices past the file's colour table read as black
// rather than failing the file: a few wrong pixels are better than a frame that does not load,
// and a full table keeps the pixel loops free of checks.
using Palette = std::array<std::array<std::uint8_t, 3>, 256>;

// Everything the pixel loops need, taken from the headers and checked against the file size.
struct BmpLayout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    int bitCount = 0;
    std::uint32_t compression = kRgb;
    std::size_t pixelOffset = 0;
    std::array<std::uint32_t, 3> masks{};  // red, green, blue fields of 16- and 32-bit pixels
    Palette palette{};
};

// One colour field of a 16- or 32-bit pixel, scaled to 0..255 so that a full field gives 255.
class Channel {
public:
    explicit Channel(std::uint32_t mask) : m_mask(mask) {
        if (mask == 0) return;  // an absent field reads as 0
        m_shift = std::countr_zero(mask);
        int bits = std::bit_width(mask >> m_shift);
        if (bits > 8) {
            m_drop = bits - 8;
            bits = 8;
        }
        // Repeat the field's bits downwards (5 bits abcde give abcdeabc), as other readers do.
        for (unsigned v = 0; v < (1u << bits); ++v) {
            unsigned scaled = 0;
            for (int s = 8 - bits; s > -bits; s -= bits) scaled |= s >= 0 ? v << s : v >> -s;
            m_scale[v] = static_cast<std::uint8_t>(scaled);
        }
    }

    std::uint8_t operator()(std::uint32_t pixel) const {
        return m_scale[((pixel & m_mask) >> m_shift) >> m_drop];
    }

private:
    std::uint32_t m_mask;
    int m_shift = 0;
    int m_drop = 0;
    std::array<std::uint8_t, 256> m_scale{};
};

bool isKnownHeaderSize(std::uint32_t size) {
    return size == kCoreHeaderBytes || size == 40 || size == 52 || size == 56 || size == 108 ||
           size == 124;
}

// Bytes of one stored row, padded to a multiple of four.
std::uint64_t paddedRowBytes(std::uint64_t width, int bitCount) {
    return (width * static_cast<std::uint64_t>(bitCount) + 31) / 32 * 4;
}

LoadResult checkDepth(const BmpLayout& layout, bool core) {
    const int bits = layout.bitCount;
    switch (layout.compression) {
        case kRgb:
            if (bits == 1 || bits == 4 || bits == 8 || bits == 24) return LoadResult::Ok;
            if (!core && (bits == 16 || bits == 32)) return LoadResult::Ok;
            return LoadResult::Unsupported;
        case kRle8:
            return bits == 8 ? LoadResult::Ok : LoadResult::Damaged;
        case kRle4:
            return bits == 4 ? LoadResult::Ok : LoadResult::Damaged;
        case kBitFields:
        case kAlphaBitFields:
            return bits == 16 || bits == 32 ? LoadResult::Ok : LoadResult::Unsupported;
        default:  // embedded JPEG or PNG, CMYK variants
            return LoadResult::Unsupported;
    }
}

// Reads and checks the headers, the bit masks and the colour table, and makes sure that the file
// holds enough pixel data for the announced size, so that nothing is allocated for a picture that
// cannot be there.
LoadResult parseHeaders(std::span<const std::uint8_t> bytes, BmpLayout& layout) {
    const std::uint8_t* data = bytes.data();
    const std::size_t size = bytes.size();
    if (size < 2 || data[0] != 'B' || data[1] != 'M') return LoadResult::NotThisFormat;
    if (size < kFileHeaderBytes + 4) return LoadResult::Damaged;

    const std::uint32_t headerSize = readLe32(data + kFileHeaderBytes);
    if (!isKnownHeaderSize(headerSize)) return LoadResult::Unsupported;
    if (size < kFileHeaderBytes + headerSize) return LoadResult::Damaged;
    const std::uint8_t* info = data + kFileHeaderBytes;
    const bool core = headerSize == kCoreHeaderBytes;

    std::int64_t width = 0;
    std::int64_t height = 0;
    std::uint32_t colorsUsed = 0;
    if (core) {
        width = readLe16(info + 4);
        height = readLe16(info + 6);
        layout.bitCount = readLe16(info + 10);
    } else {
        width = static_cast<std::int32_t>(readLe32(info + 4));
        height = static_cast<std::int32_t>(readLe32(info + 8));
        layout.bitCount = readLe16(info + 14);
        layout.compression = readLe32(info + 16);
        colorsUsed = readLe32(info + 32);
    }
    // A negative height marks rows stored top to bottom; a negative width means nothing.
    if (width <= 0 || height == 0) return LoadResult::Damaged;
    if (height < 0) {
        layout.topDown = true;
        height = -height;
    }
    if (!Image::acceptableSize(width, height)) return LoadResult::TooLarge;
    layout.width = static_cast<int>(width);
    layout.height = static_cast<int>(height);

    if (const LoadResult depth = checkDepth(layout, core); depth != LoadResult::Ok) return depth;
    const bool rle = layout.compression == kRle8 || layout.compression == kRle4;
    // Run-length data is always stored bottom-up; a top-down one contradicts itself.
    if (rle && layout.topDown) return LoadResult::Damaged;

    // Bit masks: inside headers of 52 bytes and more, else three (or four) words behind it.
    std::size_t tableOffset = kFileHeaderBytes + headerSize;
    if (layout.compression == kBitFields || layout.compression == kAlphaBitFields) {
        const std::uint8_t* masks = info + kInfoHeaderBytes;
        if (headerSize == kInfoHeaderBytes) {
            tableOffset += layout.compression == kAlphaBitFields ? 16 : 12;
            if (tableOffset > size) return LoadResult::Damaged;
        }
        layout.masks = {readLe32(masks), readLe32(masks + 4), readLe32(masks + 8)};
    } else if (layout.bitCount == 16) {
        layout.masks = {0x7C00, 0x03E0, 0x001F};
    } else if (layout.bitCount == 32) {
        layout.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    }

    if (layout.bitCount <= 8) {
        const std::uint32_t fullTable = 1u << layout.bitCount;
        const std::uint32_t entries =
            colorsUsed == 0 || colorsUsed > fullTable ? fullTable : colorsUsed;
        const std::size_t entryBytes = core ? 3 : 4;
        if (entries * entryBytes > size - tableOffset) return LoadResult::Damaged;
        for (std::uint32_t i = 0; i < entries; ++i) {
            const std::uint8_t* entry = data + tableOffset + i * entryBytes;
            layout.palette[i] = {entry[2], entry[1], entry[0]};
        }
    }

    layout.pixelOffset = readLe32(data + 10);
    if (layout.pixelOffset < tableOffset || layout.pixelOffset > size) return LoadResult::Damaged;
    const std::uint64_t available = size - layout.pixelOffset;
    const auto w = static_cast<std::uint64_t>(layout.width);
    const auto h = static_cast<std::uint64_t>(layout.height);
    if (rle) {
        // Plain runs code at most 255 pixels in two bytes. Files that skip most of a large
        // picture with delta escapes fail here rather than make us allocate the whole picture.
        if (available < h * 2 * ((w + 254) / 255)) return LoadResult::Damaged;
    } else {
        // The last row may come without its padding.
        const std::uint64_t lastRow = (w * static_cast<std::uint64_t>(layout.bitCount) + 7) / 8;
        if (available < (h - 1) * paddedRowBytes(w, layout.bitCount) + lastRow)
            return LoadResult::Damaged;
    }
    return LoadResult::Ok;
}

void decodePaletteRow(const std::uint8_t* src, const BmpLayout& layout, std::uint8_t* dst) {
    const int bits = layout.bitCount;
    for (int x = 0; x < layout.width; ++x, dst += 3) {
        int index = 0;
        if (bits == 8) {
            index = src[x];
        } else if (bits == 4) {
            index = (x & 1) ? src[x >> 1] & 0x0F : src[x >> 1] >> 4;
        } else {
            index = (src[x >> 3] >> (7 - (x & 7))) & 1;
        }
        const auto& colour = layout.palette[index];
        dst[0] = colour[0];
        dst[1] = colour[1];
        dst[2] = colour[2];
    }
}

void decodeBgrRow(const std::uint8_t* src, int width, int step, std::uint8_t* dst) {
    for (int x = 0; x < width; ++x, src += step, dst += 3) {
        dst[0] = src[2];
        dst[1] = src[1];
        dst[2] = src[0];
    }
}

LoadResult decodeUncompressed(std::span<const std::uint8_t> bytes, const BmpLayout& layout,
                              Image& image) {
    const std::size_t rowBytes = paddedRowBytes(layout.width, layout.bitCount);
    const std::uint8_t* pixels = bytes.data() + layout.pixelOffset;
    const Channel red(layout.masks[0]);
    const Channel green(layout.masks[1]);
    const Channel blue(layout.masks[2]);
    const bool plainBgr32 = layout.bitCount == 32 &&
                            layout.masks == std::array<std::uint32_t, 3>{0xFF0000, 0xFF00, 0xFF};

    for (int y = 0; y < layout.height; ++y) {
        const std::uint8_t* src = pixels + static_cast<std::size_t>(y) * rowBytes;
        std::uint8_t* dst = image.row(layout.topDown ? y : layout.height - 1 - y);
        if (layout.bitCount <= 8) {
            decodePaletteRow(src, layout, dst);
        } else if (layout.bitCount == 24) {
            decodeBgrRow(src, layout.width, 3, dst);
        } else if (plainBgr32) {
            decodeBgrRow(src, layout.width, 4, dst);
        } else {
            const int step = layout.bitCount / 8;
            for (int x = 0; x < layout.width; ++x, src += step, dst += 3) {
                const std::uint32_t pixel = step == 2 ? readLe16(src) : readLe32(src);
                dst[0] = red(pixel);
                dst[1] = green(pixel);
                dst[2] = blue(pixel);
            }
        }
    }
    return LoadResult::Ok;
}

// RLE8 and RLE4. Pixels that the data skips (delta escapes, early ends of lines or of the
// bitmap) stay black. Runs that go past the right edge are cut there: ImageMagick, for one,
// codes the padding bytes of every row as pixels. Once every row is coded the rest of the data
// is ignored. Data that ends before the picture is complete is Damaged.
LoadResult decodeRle(std::span<const std::uint8_t> bytes, const BmpLayout& layout, Image& image) {
    const std::uint8_t* data = bytes.data();
    const std::size_t size = bytes.size();
    const bool nibbles = layout.compression == kRle4;
    const int width = layout.width;
    const int height = layout.height;
    std::size_t pos = layout.pixelOffset;
    int x = 0;  // never past width, so runs cannot write outside the row
    int y = 0;  // counted from the bottom row
    std::uint8_t* dst = image.row(height - 1);

    // Paints `count` pixels whose palette indices come from indexAt(i), as far as the row goes.
    auto paint = [&](int count, auto indexAt) {
        for (int i = 0; i < count && x < width; ++i, ++x) {
            const auto& colour = layout.palette[indexAt(i)];
            std::uint8_t* p = dst + x * 3;
            p[0] = colour[0];
            p[1] = colour[1];
            p[2] = colour[2];
        }
    };

    while (y < height) {
        if (size - pos < 2) return LoadResult::Damaged;
        const int count = data[pos];
        const int value = data[pos + 1];
        pos += 2;
        if (count > 0) {  // one value (RLE8) or two alternating nibbles (RLE4), repeated
            const int high = nibbles ? value >> 4 : value;
            const int low = nibbles ? value & 0x0F : value;
            paint(count, [&](int i) { return (i & 1) ? low : high; });
            continue;
        }
        switch (value) {
            case 0:  // end of line
                x = 0;
                ++y;
                break;
            case 1:  // end of bitmap
                return LoadResult::Ok;
            case 2:  // delta: move right and up
                if (size - pos < 2) return LoadResult::Damaged;
                x = std::min(width, x + data[pos]);
                y += data[pos + 1];
                pos += 2;
                break;
            default: {  // absolute run of `value` pixels, padded to a whole 16-bit word
                const std::size_t used = nibbles ? (value + 1) / 2 : value;
                const std::size_t padded = (used + 1) & ~std::size_t{1};
                if (size - pos < padded) return LoadResult::Damaged;
                const std::uint8_t* run = data + pos;
                if (nibbles) {
                    paint(value,
                          [&](int i) { return (i & 1) ? run[i >> 1] & 0x0F : run[i >> 1] >> 4; });
                } else {
                    paint(value, [&](int i) { return run[i]; });
                }
                pos += padded;
                break;
            }
        }
        if (y < height) dst = image.row(height - 1 - y);
    }
    return LoadResult::Ok;
}

}  // namespace

LoadResult DecodeBmp(std::span<const std::uint8_t> bytes, Image& out) {
    BmpLayout layout;
    if (const LoadResult parsed = parseHeaders(bytes, layout); parsed != LoadResult::Ok)
        return parsed;
    std::optional<Image> image = Image::create(layout.width, layout.height);
    if (!image) return LoadResult::OutOfMemory;
    const bool rle = layout.compression == kRle8 || layout.compression == kRle4;
    const LoadResult result =
        rle ? decodeRle(bytes, layout, *image) : decodeUncompressed(bytes, layout, *image);
    if (result == LoadResult::Ok) out = std::move(*image);
    return result;
}

bool EncodeBmpPieces(const Image& image,
                     const std::function<bool(std::span<const std::uint8_t>)>& put) {
    if (image.empty()) return false;
    const int width = image.width();
    const int height = image.height();
    // 3 * width rounded up to a multiple of four, the same as the picture's own stride.
    const std::size_t rowBytes = Image::strideFor(width);
    const std::uint64_t pixelBytes =
        static_cast<std::uint64_t>(rowBytes) * static_cast<std::uint64_t>(height);
    const std::uint64_t fileBytes = kWrittenHeaderBytes + pixelBytes;
    if (fileBytes > std::numeric_limits<std::uint32_t>::max()) return false;

    std::uint8_t header[kWrittenHeaderBytes] = {};
    header[0] = 'B';
    header[1] = 'M';
    writeLe32(header + 2, static_cast<std::uint32_t>(fileBytes));
    writeLe32(header + 10, kWrittenHeaderBytes);  // pixels follow the headers directly
    std::uint8_t* info = header + kFileHeaderBytes;
    writeLe32(info, kInfoHeaderBytes);
    writeLe32(info + 4, static_cast<std::uint32_t>(width));
    writeLe32(info + 8, static_cast<std::uint32_t>(height));  // positive: bottom-up
    writeLe16(info + 12, 1);                                  // planes
    writeLe16(info + 14, 24);                                 // bits per pixel
    writeLe32(info + 16, kRgb);
    writeLe32(info + 20, static_cast<std::uint32_t>(pixelBytes));
    // Resolution (info + 24, + 28), colours used and important colours stay 0: the pictures
    // carry no physical size, and there is no colour table.
    if (!put(header)) return false;

    // Rows bottom-up, blue first, a batch at a time: small enough to stay in the cache on its
    // way to the file.
    const std::size_t rowsPerPiece = std::max<std::size_t>(1, (std::size_t{256} << 10) / rowBytes);
    std::vector<std::uint8_t> piece;
    try {
        piece.assign(rowsPerPiece * rowBytes, 0);  // the row padding stays 0
    } catch (const std::bad_alloc&) {
        return false;
    }
    int y = height - 1;
    while (y >= 0) {
        std::uint8_t* dst = piece.data();
        std::size_t rows = 0;
        for (; rows < rowsPerPiece && y >= 0; ++rows, --y, dst += rowBytes) {
            const std::uint8_t* src = image.row(y);
            for (int x = 0; x < width; ++x) {
                dst[x * 3] = src[x * 3 + 2];
                dst[x * 3 + 1] = src[x * 3 + 1];
                dst[x * 3 + 2] = src[x * 3];
            }
        }
        if (!put(std::span<const std::uint8_t>(piece.data(), rows * rowBytes))) return false;
    }
    return true;
}

std::vector<std::uint8_t> EncodeBmp(const Image& image) {
    std::vector<std::uint8_t> out;
    if (!image.empty()) {
        out.reserve(kWrittenHeaderBytes +
                    Image::strideFor(image.width()) * static_cast<std::size_t>(image.height()));
    }
    const bool encoded = EncodeBmpPieces(image, [&](std::span<const std::uint8_t> piece) {
        out.insert(out.end(), piece.begin(), piece.end());
        return true;
    });
    if (!encoded) return {};
    return out;
}

}  // namespace morvel

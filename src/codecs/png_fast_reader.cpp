#include "codecs/png_fast_reader.h"

#include <libdeflate.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "codecs/png_chunks.h"
#include "codecs/png_unfilter.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// A buffer that grows without clearing its bytes; one kept by a thread saves the page faults of
// fresh memory on every picture.
class ScratchBuffer {
public:
    std::uint8_t* take(std::size_t bytes) {
        if (bytes > m_capacity) {
            m_data.reset();
            m_capacity = 0;
            m_data.reset(new (std::nothrow) std::uint8_t[bytes]);
            if (!m_data) return nullptr;
            m_capacity = bytes;
        }
        return m_data.get();
    }
    void release() {
        m_data.reset();
        m_capacity = 0;
    }
    std::size_t capacity() const { return m_capacity; }

private:
    std::unique_ptr<std::uint8_t[]> m_data;
    std::size_t m_capacity = 0;
};

// The image data of a file this reader takes, inflated: one filter byte before each row.
struct InflatedPng {
    Header header;
    std::array<std::uint8_t, 768> palette{};  // libpng's table is zero beyond the file's entries
    std::size_t rowBytes = 0;
    std::uint8_t* rows = nullptr;
};

// Checks the file and inflates its image data into inflated; false for anything left to libpng.
bool inflatePng(std::span<const std::uint8_t> bytes, ScratchBuffer& compressed,
                ScratchBuffer& inflated, InflatedPng& png) {
    PngChunkWalker walker(bytes);
    PngChunk chunk;
    Header& h = png.header;
    if (!walker.next(chunk) || !readHeader(chunk, h)) return false;
    if (h.width == 0 || h.height == 0 || !Image::acceptableSize(h.width, h.height)) return false;

    const std::size_t rowBytes = (std::size_t{h.width} * h.channels * h.bitDepth + 7) / 8;
    const std::size_t inflatedBytes = (rowBytes + 1) * h.height;
    if (inflatedBytes > kMaxInflatedBytes) return false;
    png.rowBytes = rowBytes;

    // Chunks up to the image data: libpng reads them all; only those it never fails on are
    // passed over here.
    bool havePalette = false;
    while (true) {
        if (!walker.next(chunk) || !chunk.validType()) return false;
        if (chunk.type == PngChunkType("IDAT")) break;
        if (chunk.ancillary()) {
            if (chunk.data.size() > kMaxChunkBytes) return false;
            continue;
        }
        if (chunk.type != PngChunkType("PLTE") || havePalette || !chunk.crcMatches()) return false;
        const std::size_t size = chunk.data.size();
        if (size == 0 || size > 768 || size % 3 != 0) return false;
        havePalette = true;
        std::memcpy(png.palette.data(), chunk.data.data(), size);
    }
    if (h.colourType == 3 && !havePalette) return false;

    // The image data, from consecutive IDAT chunks.
    std::size_t total = 0;
    PngChunkWalker counter = walker;
    PngChunk more = chunk;
    do {
        if (more.data.size() > kMaxChunkBytes || !more.crcMatches()) return false;
        total += more.data.size();
    } while (counter.next(more) && more.type == PngChunkType("IDAT"));
    // Deflate packs at most 258 bytes into two bits: refused before the picture's memory is
    // taken when the data cannot possibly hold it.
    if (counter.truncated() || total < inflatedBytes / 1032 || total < 2) return false;
    std::uint8_t* packed = compressed.take(total);
    png.rows = inflated.take(inflatedBytes + 1);  // the unfilter reads a byte past the last row
    if (!packed || !png.rows) return false;
    png.rows[inflatedBytes] = 0;
    std::size_t gathered = 0;
    do {
        std::memcpy(packed + gathered, chunk.data.data(), chunk.data.size());
        gathered += chunk.data.size();
    } while (walker.next(chunk) && chunk.type == PngChunkType("IDAT"));
    if (!zlibHeaderUsable(packed, inflatedBytes)) return false;

    std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    if (!decompressor) return false;
    std::size_t usedIn = 0;
    std::size_t producedOut = 0;
    // The stream must end with exactly the picture's bytes and be followed by its four-byte
    // check value, which libpng needs to see but does not verify (nor is it verified here).
    return libdeflate_deflate_decompress_ex(decompressor.get(), packed + 2, total - 2, png.rows,
                                            inflatedBytes, &usedIn,
                                            &producedOut) == LIBDEFLATE_SUCCESS &&
           producedOut == inflatedBytes && total - 2 - usedIn >= 4;
}

// Undoes the row filters top to bottom and hands each row's samples to useRow(y, samples).
// False on a bad filter type.
template <typename UseRow>
bool forEachUnfilteredRow(const InflatedPng& png, UseRow useRow) {
    const Header& h = png.header;
    const int bytesPerPixel = std::max(1, h.channels * h.bitDepth / 8);
    std::vector<std::uint8_t> zeroRow(png.rowBytes + 1, 0);
    const std::uint8_t* previous = zeroRow.data();
    for (std::uint32_t y = 0; y < h.height; ++y) {
        std::uint8_t* row = png.rows + std::size_t{y} * (png.rowBytes + 1);
        std::uint8_t* next = row + png.rowBytes + 1;
        if (y + 1 < h.height && UnfilterPngRowPair(row[0], row + 1, next[0], next + 1, previous,
                                                   png.rowBytes, bytesPerPixel)) {
            useRow(static_cast<int>(y), row + 1);
            useRow(static_cast<int>(++y), next + 1);
            previous = next + 1;
            continue;
        }
        if (!UnfilterPngRow(row[0], row + 1, previous, png.rowBytes, bytesPerPixel)) return false;
        useRow(static_cast<int>(y), row + 1);
        previous = row + 1;
    }
    return true;
}

// The same, each row as 8-bit red, green and blue, converted when the file holds another kind.
template <typename UseRow>
bool forEachRgbRow(const InflatedPng& png, UseRow useRow) {
    std::vector<std::uint8_t> rgbRow(std::size_t{png.header.width} * 3);
    const bool direct = png.header.colourType == 2 && png.header.bitDepth == 8;
    return forEachUnfilteredRow(png, [&](int y, const std::uint8_t* samples) {
        if (direct) {
            useRow(y, samples);
            return;
        }
        toRgb(png.header, samples, rgbRow.data(), png.palette);
        useRow(y, rgbRow.data());
    });
}

// Sums of each byte column over the rows of one band of blocks; 16 bits hold 256 rows of 255.
using ColumnSums = std::vector<std::uint16_t>;
constexpr int kMaxReduction = 256;

// Adds a row to the column sums.
void addToColumnSums(const std::uint8_t* rgb, ColumnSums& sums) {
    std::uint16_t* sum = sums.data();
    const std::size_t n = sums.size();
    std::size_t i = 0;
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= n; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(rgb + i));
        auto* low = reinterpret_cast<__m128i*>(sum + i);
        auto* high = reinterpret_cast<__m128i*>(sum + i + 8);
        _mm_storeu_si128(low, _mm_add_epi16(_mm_loadu_si128(low), _mm_unpacklo_epi8(bytes, zero)));
        _mm_storeu_si128(high,
                         _mm_add_epi16(_mm_loadu_si128(high), _mm_unpackhi_epi8(bytes, zero)));
    }
#endif
    for (; i < n; ++i) sum[i] = static_cast<std::uint16_t>(sum[i] + rgb[i]);
}

// Rounded means of block totals by multiplying with a reciprocal instead of dividing: exact,
// as total + count / 2 stays below 2^24 and count is at most 2^16, so the error, under
// 2^24 / 2^40, is less than 1 / count.
class RoundedMean {
public:
    explicit RoundedMean(std::uint32_t count)
        : m_half(count / 2), m_reciprocal(((std::uint64_t{1} << 40) + count - 1) / count) {}
    std::uint8_t operator()(std::uint32_t total) const {
        return static_cast<std::uint8_t>(((total + m_half) * m_reciprocal) >> 40);
    }

private:
    std::uint64_t m_half;
    std::uint64_t m_reciprocal;
};

// One output row: the rounded means of the blocks of the band's column sums over rows rows.
void writeBlockMeans(const ColumnSums& sums, int width, int factor, int rows, std::uint8_t* out) {
    const int blocks = (width + factor - 1) / factor;
    const RoundedMean whole(static_cast<std::uint32_t>(rows * factor));
    const RoundedMean partial(static_cast<std::uint32_t>(rows * (width - (blocks - 1) * factor)));
    const std::uint16_t* column = sums.data();
    for (int x = 0; x < blocks; ++x, out += 3) {
        const int columns = std::min(factor, width - x * factor);
        std::uint32_t total[3] = {0, 0, 0};
        for (int k = 0; k < columns; ++k, column += 3) {
            total[0] += column[0];
            total[1] += column[1];
            total[2] += column[2];
        }
        const RoundedMean& mean = columns == factor ? whole : partial;
        for (int c = 0; c < 3; ++c) out[c] = mean(total[c]);
    }
}

// Files up to this size of inflated data keep their buffers for the thread's next picture. Larger
// ones let them go: several threads each keeping a camera-sized mask's data would hold hundreds
// of megabytes while idle, for page faults that cost little beside decoding such a file.
constexpr std::size_t kKeptScratchBytes = std::size_t{16} << 20;

// Reads that keep far less than they inflate (reduced pictures, masks' grey) take turns with
// larger files: the threads that read ahead and fill the playback cache would otherwise each
// hold a camera-sized picture's worth of inflated data at once. Full reads, whose picture is as
// large, do not wait.
class LargeInflateTurn {
public:
    explicit LargeInflateTurn(std::span<const std::uint8_t> bytes) {
        if (inflatedSizeOf(bytes) > kKeptScratchBytes) m_lock = std::unique_lock(mutex());
    }

private:
    static std::mutex& mutex() {
        static std::mutex kMutex;
        return kMutex;
    }
    // What the file's header announces, before any of its data is looked at.
    static std::size_t inflatedSizeOf(std::span<const std::uint8_t> bytes) {
        PngChunkWalker walker(bytes);
        PngChunk chunk;
        Header header;
        if (!walker.next(chunk) || !readHeader(chunk, header)) return 0;
        const std::size_t rowBytes =
            (std::size_t{header.width} * header.channels * header.bitDepth + 7) / 8;
        return (rowBytes + 1) * header.height;
    }
    std::unique_lock<std::mutex> m_lock;
};

}  // namespace

FastPngResult DecodePngFast(std::span<const std::uint8_t> bytes, Image& out) {
    constexpr auto kLeft = FastPngResult::LeftToLibpng;
    ScratchBuffer compressed;
    ScratchBuffer inflated;
    InflatedPng png;
    if (!inflatePng(bytes, compressed, inflated, png)) return kLeft;
    std::optional<Image> image =
        Image::create(static_cast<int>(png.header.width), static_cast<int>(png.header.height));
    if (!image) return kLeft;
    try {
        const bool unfiltered = forEachUnfilteredRow(png, [&](int y, const std::uint8_t* samples) {
            toRgb(png.header, samples, image->row(y), png.palette);
        });
        if (!unfiltered) return kLeft;
    } catch (const std::bad_alloc&) {
        return kLeft;
    }
    out = std::move(*image);
    return FastPngResult::Decoded;
}

FastPngResult DecodePngFastReduced(std::span<const std::uint8_t> bytes, int factor, Image& out) {
    constexpr auto kLeft = FastPngResult::LeftToLibpng;
    if (factor <= 1) return DecodePngFast(bytes, out);
    if (factor > kMaxReduction) return kLeft;
    const LargeInflateTurn turn(bytes);  // until Trim below has let the large buffers go
    thread_local ScratchBuffer compressed;
    thread_local ScratchBuffer inflated;
    struct Trim {
        ~Trim() {
            if (inflated.capacity() > kKeptScratchBytes) inflated.release();
            if (compressed.capacity() > kKeptScratchBytes) compressed.release();
        }
    } trim;
    InflatedPng png;
    if (!inflatePng(bytes, compressed, inflated, png)) return kLeft;
    const int width = static_cast<int>(png.header.width);
    const int height = static_cast<int>(png.header.height);
    std::optional<Image> image =
        Image::create((width + factor - 1) / factor, (height + factor - 1) / factor);
    if (!image) return kLeft;
    try {
        ColumnSums sums(std::size_t{png.header.width} * 3, 0);
        const bool unfiltered = forEachRgbRow(png, [&](int y, const std::uint8_t* rgb) {
            addToColumnSums(rgb, sums);
            if ((y + 1) % factor != 0 && y + 1 != height) return;
            writeBlockMeans(sums, width, factor, y % factor + 1, image->row(y / factor));
            std::fill(sums.begin(), sums.end(), std::uint16_t{0});
        });
        if (!unfiltered) return kLeft;
    } catch (const std::bad_alloc&) {
        return kLeft;
    }
    out = std::move(*image);
    return FastPngResult::Decoded;
}

FastPngResult DecodePngFastBlue(std::span<const std::uint8_t> bytes, GreyImage& out) {
    constexpr auto kLeft = FastPngResult::LeftToLibpng;
    const LargeInflateTurn turn(bytes);  // until the buffers below are freed
    ScratchBuffer compressed;
    ScratchBuffer inflated;
    InflatedPng png;
    if (!inflatePng(bytes, compressed, inflated, png)) return kLeft;
    const int width = static_cast<int>(png.header.width);
    std::optional<GreyImage> grey = GreyImage::create(width, static_cast<int>(png.header.height));
    if (!grey) return kLeft;
    try {
        const bool unfiltered = forEachRgbRow(png, [&](int y, const std::uint8_t* rgb) {
            std::uint8_t* blue = grey->row(y);
            for (int x = 0; x < width; ++x) blue[x] = rgb[3 * x + 2];
        });
        if (!unfiltered) return kLeft;
    } catch (const std::bad_alloc&) {
        return kLeft;
    }
    out = std::move(*grey);
    return FastPngResult::Decoded;
}

}  // namespace morvel

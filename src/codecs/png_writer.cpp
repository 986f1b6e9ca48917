#include "codecs/png_writer.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

namespace morvel {

namespace {

// Pictures up to this many pixels (icons, thumbnails) are deflated harder: it costs nothing
// there. Larger ones take the level that keeps a frame's encoding well under its composition.
constexpr long long kSmallPicturePixels = 1 << 20;
constexpr int kSmallPictureLevel = 9;
constexpr int kLevel = 6;
// IDAT chunks of this size: readers never need one huge chunk in memory.
constexpr std::size_t kIdatBytes = std::size_t{256} << 10;

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    const std::uint8_t bytes[4] = {std::uint8_t(value >> 24), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 8), std::uint8_t(value)};
    out.insert(out.end(), bytes, bytes + 4);
}

void putChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::uint8_t* data,
              std::size_t size) {
    put32(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size > 0) out.insert(out.end(), data, data + size);
    put32(out, libdeflate_crc32(0, out.data() + typeAt, size + 4));
}

// Branch-free, so that the loop below is vectorised like the others.
inline std::uint8_t paeth(int a, int b, int c) {
    const int pa = std::abs(b - c);
    const int pb = std::abs(a - c);
    const int pc = std::abs(a + b - 2 * c);
    const int ab = pa <= pb ? a : b;
    const int best = pa <= pb ? pa : pb;
    return static_cast<std::uint8_t>(best <= pc ? ab : c);
}

inline unsigned magnitude(std::uint8_t v) {
    return static_cast<unsigned>(std::abs(static_cast<int>(static_cast<std::int8_t>(v))));
}

// Writes the row with filter type into out (rowBytes bytes) and gives the sum of the bytes
// taken as signed values. previous is the row above (zeros for the first).
unsigned filterRow(int type, const std::uint8_t* row, const std::uint8_t* previous, int rowBytes,
                   std::uint8_t* out) {
    constexpr int bpp = 3;
    const int head = std::min(bpp, rowBytes);
    unsigned sum = 0;
    switch (type) {
        case 0:
            for (int i = 0; i < rowBytes; ++i) sum += magnitude(out[i] = row[i]);
            break;
        case 1:
            for (int i = 0; i < head; ++i) sum += magnitude(out[i] = row[i]);
            for (int i = bpp; i < rowBytes; ++i)
                sum += magnitude(out[i] = static_cast<std::uint8_t>(row[i] - row[i - bpp]));
            break;
        case 2:
            for (int i = 0; i < rowBytes; ++i)
                sum += magnitude(out[i] = static_cast<std::uint8_t>(row[i] - previous[i]));
            break;
        case 3:
            for (int i = 0; i < head; ++i)
                sum += magnitude(out[i] = static_cast<std::uint8_t>(row[i] - (previous[i] >> 1)));
            for (int i = bpp; i < rowBytes; ++i)
                sum += magnitude(out[i] = static_cast<std::uint8_t>(
                                     row[i] - ((row[i - bpp] + previous[i]) >> 1)));
            break;
        default:
            for (int i = 0; i < head; ++i)
                sum += magnitude(out[i] = static_cast<std::uint8_t>(row[i] - previous[i]));
            for (int i = bpp; i < rowBytes; ++i)
                sum += magnitude(out[i] = static_cast<std::uint8_t>(
                                     row[i] - paeth(row[i - bpp], previous[i], previous[i - bpp])));
            break;
    }
    return sum;
}

struct CompressorDeleter {
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

}  // namespace

bool WritePng(const Image& image, const std::vector<PngText>& texts, std::vector<std::uint8_t>& out) {
    if (image.empty()) return false;
    const int width = image.width();
    const int height = image.height();
    const int rowBytes = width * 3;
    const std::size_t filteredBytes = (static_cast<std::size_t>(rowBytes) + 1) * height;
    const long long pixels = static_cast<long long>(width) * height;
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(pixels <= kSmallPicturePixels ? kSmallPictureLevel : kLevel));
    if (!compressor) return false;
    try {
        // Left uninitialised: every byte is written, and zeroing 70 MB costs as much as a filter.
        auto filtered = std::make_unique_for_overwrite<std::uint8_t[]>(filteredBytes);
        std::vector<std::uint8_t> zeros(static_cast<std::size_t>(rowBytes), 0);
        std::vector<std::uint8_t> trial(static_cast<std::size_t>(rowBytes));
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row = image.row(y);
            const std::uint8_t* previous = y > 0 ? image.row(y - 1) : zeros.data();
            std::uint8_t* target = filtered.get() + static_cast<std::size_t>(y) * (rowBytes + 1);
            unsigned best = filterRow(0, row, previous, rowBytes, target + 1);
            target[0] = 0;
            for (int type = 1; type <= 4; ++type) {
                const unsigned sum = filterRow(type, row, previous, rowBytes, trial.data());
                if (sum >= best) continue;
                best = sum;
                target[0] = static_cast<std::uint8_t>(type);
                std::memcpy(target + 1, trial.data(), trial.size());
            }
        }
        const std::size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredBytes);
        auto deflated = std::make_unique_for_overwrite<std::uint8_t[]>(bound);
        const std::size_t deflatedBytes = libdeflate_zlib_compress(
            compressor.get(), filtered.get(), filteredBytes, deflated.get(), bound);
        if (deflatedBytes == 0) return false;
        filtered.reset();

        std::vector<std::uint8_t> file;
        file.reserve(deflatedBytes + 1024);
        static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
        file.insert(file.end(), kSignature, kSignature + 8);
        std::uint8_t header[13] = {};
        for (int i = 0; i < 4; ++i) {
            header[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(width) >> (24 - 8 * i));
            header[4 + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(height) >> (24 - 8 * i));
        }
        header[8] = 8;  // bits per channel
        header[9] = 2;  // RGB
        putChunk(file, "IHDR", header, sizeof header);
        for (const PngText& text : texts) {
            std::vector<std::uint8_t> data(text.key.begin(), text.key.end());
            data.push_back(0);
            data.insert(data.end(), text.value.begin(), text.value.end());
            putChunk(file, "tEXt", data.data(), data.size());
        }
        for (std::size_t at = 0; at < deflatedBytes; at += kIdatBytes)
            putChunk(file, "IDAT", deflated.get() + at, std::min(kIdatBytes, deflatedBytes - at));
        putChunk(file, "IEND", nullptr, 0);
        out = std::move(file);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace morvel

#include "codecs/tga_codec.h"

#include <cstddef>
#include <optional>
#include <utility>

#include "codecs/little_endian.h"

namespace morvel {
namespace {

constexpr std::size_t kHeaderBytes = 18;
constexpr int kUncompressedTrueColour = 2;
constexpr int kRunLengthTrueColour = 10;
constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kTopOrigin = 0x20;
constexpr std::uint8_t kInterleaving = 0xC0;  // obsolete; never set in true-colour files we read

struct TgaLayout {
    int width = 0;
    int height = 0;
    int pixelBytes = 0;  // 2, 3 or 4
    bool runLength = false;
    std::uint8_t descriptor = 0;
    std::size_t dataOffset = 0;
};

bool isTrueColourDepth(int bits) {
    return bits == 15 || bits == 16 || bits == 24 || bits == 32;
}

// TGA has no signature, so the header itself must look like a true-colour picture of a depth we
// read; anything else is left to the next reader.
LoadResult parseHeader(std::span<const std::uint8_t> bytes, TgaLayout& layout) {
    const std::uint8_t* header = bytes.data();
    if (bytes.size() < kHeaderBytes) return LoadResult::NotThisFormat;
    const int idLength = header[0];
    const int mapType = header[1];
    const int imageType = header[2];
    const std::size_t mapLength = readLe16(header + 5);
    const int mapEntryBits = header[7];
    const int width = readLe16(header + 12);
    const int height = readLe16(header + 14);
    const int depth = header[16];
    layout.descriptor = header[17];

    if (imageType != kUncompressedTrueColour && imageType != kRunLengthTrueColour)
        return LoadResult::NotThisFormat;
    if (mapType > 1 || (mapType == 1 && mapLength > 0 && !isTrueColourDepth(mapEntryBits)))
        return LoadResult::NotThisFormat;
    if (!isTrueColourDepth(depth) || width == 0 || height == 0) return LoadResult::NotThisFormat;
    if (layout.descriptor & kInterleaving) return LoadResult::NotThisFormat;

    if (!Image::acceptableSize(width, height)) return LoadResult::TooLarge;
    layout.width = width;
    layout.height = height;
    layout.pixelBytes = (depth + 7) / 8;
    layout.runLength = imageType == kRunLengthTrueColour;

    // The identification field and a colour map (unused by true-colour pixels) come first.
    const std::size_t mapBytes = mapType == 1 ? mapLength * ((mapEntryBits + 7) / 8) : 0;
    layout.dataOffset = kHeaderBytes + idLength + mapBytes;
    if (layout.dataOffset > bytes.size()) return LoadResult::Damaged;

    // Enough data for the announced size, checked before anything is allocated. A run-length
    // packet codes at most 128 pixels.
    const std::uint64_t available = bytes.size() - layout.dataOffset;
    const std::uint64_t pixels =
        static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
    const std::uint64_t needed = layout.runLength
                                     ? (pixels + 127) / 128 * (1 + layout.pixelBytes)
                                     : pixels * static_cast<std::uint64_t>(layout.pixelBytes);
    if (available < needed) return LoadResult::Damaged;
    return LoadResult::Ok;
}

// Places pixels in the order the file stores them: rows from the bottom unless the descriptor
// marks a top origin, pixels from the left unless it marks a right-to-left order.
class PixelWriter {
public:
    PixelWriter(Image& image, const TgaLayout& layout)
        : m_image(image),
          m_width(layout.width),
          m_height(layout.height),
          m_pixelBytes(layout.pixelBytes),
          m_topOrigin(layout.descriptor & kTopOrigin),
          m_rightToLeft(layout.descriptor & kRightToLeft) {
        startRow();
    }

    std::int64_t remaining() const {
        return static_cast<std::int64_t>(m_height - m_row) * m_width - m_column;
    }

    // Converts one stored pixel; the caller makes sure that remaining() > 0.
    void put(const std::uint8_t* src) {
        std::uint8_t* dst = m_dst + (m_rightToLeft ? m_width - 1 - m_column : m_column) * 3;
        if (m_pixelBytes == 2) {
            // 5-5-5 with the top bit unused; each field shifted up to eight bits.
            const unsigned v = readLe16(src);
            dst[0] = static_cast<std::uint8_t>(((v >> 10) & 0x1F) << 3);
            dst[1] = static_cast<std::uint8_t>(((v >> 5) & 0x1F) << 3);
            dst[2] = static_cast<std::uint8_t>((v & 0x1F) << 3);
        } else {  // blue, green, red, and for 32 bits an attribute byte that is dropped
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        if (++m_column == m_width) {
            m_column = 0;
            ++m_row;
            startRow();
        }
    }

private:
    void startRow() {
        if (m_row < m_height) m_dst = m_image.row(m_topOrigin ? m_row : m_height - 1 - m_row);
    }

    Image& m_image;
    int m_width;
    int m_height;
    int m_pixelBytes;
    bool m_topOrigin;
    bool m_rightToLeft;
    int m_row = 0;
    int m_column = 0;
    std::uint8_t* m_dst = nullptr;
};

LoadResult decodePixels(std::span<const std::uint8_t> bytes, const TgaLayout& layout,
                        Image& image) {
    PixelWriter writer(image, layout);
    const std::uint8_t* data = bytes.data();
    const std::size_t size = bytes.size();
    const std::size_t step = static_cast<std::size_t>(layout.pixelBytes);
    std::size_t pos = layout.dataOffset;

    if (!layout.runLength) {  // the size check made sure that every pixel is there
        for (std::int64_t i = writer.remaining(); i > 0; --i, pos += step) writer.put(data + pos);
        return LoadResult::Ok;
    }
    // Packets: a header byte whose top bit marks a run of one repeated pixel and whose low seven
    // bits hold the count less one, followed by the pixel or the count's raw pixels. Packets may
    // go on into the next row; a packet past the picture or past the data is Damaged.
    while (writer.remaining() > 0) {
        if (pos >= size) return LoadResult::Damaged;
        const std::uint8_t packet = data[pos++];
        const int count = (packet & 0x7F) + 1;
        if (count > writer.remaining()) return LoadResult::Damaged;
        const bool repeated = packet & 0x80;
        const std::size_t packetBytes = repeated ? step : step * static_cast<std::size_t>(count);
        if (size - pos < packetBytes) return LoadResult::Damaged;
        for (int i = 0; i < count; ++i) writer.put(data + pos + (repeated ? 0 : i * step));
        pos += packetBytes;
    }
    return LoadResult::Ok;
}

}  // namespace

LoadResult DecodeTga(std::span<const std::uint8_t> bytes, Image& out) {
    TgaLayout layout;
    if (const LoadResult parsed = parseHeader(bytes, layout); parsed != LoadResult::Ok)
        return parsed;
    std::optional<Image> image = Image::create(layout.width, layout.height);
    if (!image) return LoadResult::OutOfMemory;
    const LoadResult result = decodePixels(bytes, layout, *image);
    if (result == LoadResult::Ok) out = std::move(*image);
    return result;
}

}  // namespace morvel

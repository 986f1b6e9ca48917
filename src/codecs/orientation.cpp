#include "codecs/orientation.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <utility>

namespace morvel {

namespace {

// Reads the TIFF structure inside an Exif block: byte order, then the first directory.
class ExifBlock {
public:
    explicit ExifBlock(std::span<const std::uint8_t> tiff) : m_tiff(tiff) {}

    int orientation() const {
        if (m_tiff.size() < 8) return kUpright;
        const bool intel = m_tiff[0] == 'I' && m_tiff[1] == 'I';
        const bool motorola = m_tiff[0] == 'M' && m_tiff[1] == 'M';
        if ((!intel && !motorola) || read16(2, intel) != 42) return kUpright;
        const std::uint64_t directory = read32(4, intel);
        if (directory + 2 > m_tiff.size()) return kUpright;
        const unsigned entries = read16(directory, intel);
        for (unsigned i = 0; i < entries; ++i) {
            const std::uint64_t entry = directory + 2 + std::uint64_t{i} * 12;
            if (entry + 12 > m_tiff.size()) return kUpright;
            if (read16(entry, intel) != 0x0112) continue;
            // One SHORT, stored in the first two bytes of the value field.
            if (read16(entry + 2, intel) != 3 || read32(entry + 4, intel) != 1) return kUpright;
            const unsigned value = read16(entry + 8, intel);
            return value >= 1 && value <= 8 ? static_cast<int>(value) : kUpright;
        }
        return kUpright;
    }

private:
    unsigned read16(std::uint64_t at, bool intel) const {
        const std::uint8_t* p = m_tiff.data() + at;
        return intel ? p[0] | (p[1] << 8) : (p[0] << 8) | p[1];
    }
    std::uint32_t read32(std::uint64_t at, bool intel) const {
        const std::uint32_t a = read16(at, intel);
        const std::uint32_t b = read16(at + 2, intel);
        return intel ? a | (b << 16) : (a << 16) | b;
    }

    std::span<const std::uint8_t> m_tiff;
};

// Where the upright picture's pixel (x, y) comes from in the stored one of width w, height h.
std::pair<int, int> sourceOf(int orientation, int x, int y, int w, int h) {
    switch (orientation) {
        case 2:
            return {w - 1 - x, y};
        case 3:
            return {w - 1 - x, h - 1 - y};
        case 4:
            return {x, h - 1 - y};
        case 5:
            return {y, x};
        case 6:
            return {y, h - 1 - x};
        case 7:
            return {w - 1 - y, h - 1 - x};
        case 8:
            return {w - 1 - y, x};
        default:
            return {x, y};
    }
}

}  // namespace

int JpegExifOrientation(std::span<const std::uint8_t> jpeg) {
    if (jpeg.size() < 4 || jpeg[0] != 0xFF || jpeg[1] != 0xD8) return kUpright;
    std::size_t at = 2;
    // Markers up to the first scan; the Exif block is an APP1 segment among them.
    while (at + 4 <= jpeg.size()) {
        if (jpeg[at] != 0xFF) return kUpright;
        const std::uint8_t marker = jpeg[at + 1];
        if (marker == 0xFF) {  // fill byte
            ++at;
            continue;
        }
        if (marker == 0xDA || marker == 0xD9) return kUpright;
        const std::size_t length = (std::size_t{jpeg[at + 2]} << 8) | jpeg[at + 3];
        if (length < 2 || at + 2 + length > jpeg.size()) return kUpright;
        const std::uint8_t* data = jpeg.data() + at + 4;
        if (marker == 0xE1 && length >= 8 && std::memcmp(data, "Exif\0\0", 6) == 0) {
            return ExifBlock({data + 6, length - 8}).orientation();
        }
        at += 2 + length;
    }
    return kUpright;
}

bool TurnUpright(Image& picture, int orientation) {
    if (orientation < 2 || orientation > 8 || picture.empty()) return true;
    const int w = picture.width();
    const int h = picture.height();
    std::optional<Image> upright =
        SwapsSides(orientation) ? Image::create(h, w) : Image::create(w, h);
    if (!upright) return false;
    // In tiles, so that the columns read by the quarter turns stay in the cache.
    constexpr int kTile = 32;
    const int uw = upright->width();
    const int uh = upright->height();
    for (int ty = 0; ty < uh; ty += kTile) {
        for (int tx = 0; tx < uw; tx += kTile) {
            for (int y = ty; y < std::min(ty + kTile, uh); ++y) {
                std::uint8_t* out = upright->row(y) + tx * 3;
                for (int x = tx; x < std::min(tx + kTile, uw); ++x, out += 3) {
                    const auto [sx, sy] = sourceOf(orientation, x, y, w, h);
                    std::memcpy(out, picture.row(sy) + sx * 3, 3);
                }
            }
        }
    }
    upright->setStoredOrientation(picture.storedOrientation(), picture.asStored());
    picture = std::move(*upright);
    return true;
}

bool TurnToForm(Image& picture, bool asStored) {
    const int stored = picture.storedOrientation();
    if (stored == kUpright || picture.asStored() == asStored) return true;
    // The quarter turns undo each other; every other orientation undoes itself.
    const int back = stored == 6 ? 8 : stored == 8 ? 6 : stored;
    if (!TurnUpright(picture, asStored ? back : stored)) return false;
    picture.setStoredOrientation(stored, asStored);
    return true;
}

}  // namespace morvel

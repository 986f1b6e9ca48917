#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace morvel {

// A 24-bit picture: three bytes per pixel in the order red, green, blue, rows top to bottom.
// Each row is padded to a multiple of four bytes, so the buffer can be shown by the window
// system without a copy. A default-constructed Image is empty (0 x 0).
class Image {
public:
    // Largest picture accepted anywhere in the program: a side of at most kMaxSide pixels and
    // at most kMaxPixels pixels in all (about 800 MB of pixels). Readers refuse larger sizes
    // before they allocate anything.
    static constexpr int kMaxSide = 65535;
    static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 28;

    Image() = default;
    ~Image();
    Image(const Image&) = default;
    Image(Image&& other) noexcept;  // leaves other empty
    Image& operator=(const Image&) = default;
    Image& operator=(Image&& other) noexcept;

    // A black picture of width x height, or nothing when the size is not acceptable or the
    // memory cannot be had.
    static std::optional<Image> create(int width, int height);

    // True when width x height is a size that create() may accept.
    static bool acceptableSize(std::int64_t width, std::int64_t height);
    static std::size_t strideFor(int width) {
        return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
    }

    int width() const { return m_width; }
    int height() const { return m_height; }
    std::size_t stride() const { return m_stride; }
    bool empty() const { return m_width == 0 || m_height == 0; }

    std::uint8_t* row(int y) { return m_pixels.data() + static_cast<std::size_t>(y) * m_stride; }
    const std::uint8_t* row(int y) const {
        return m_pixels.data() + static_cast<std::size_t>(y) * m_stride;
    }
    std::uint8_t* data() { return m_pixels.data(); }
    const std::uint8_t* data() const { return m_pixels.data(); }
    std::size_t byteCount() const { return m_pixels.size(); }

    // Pixel access for tests and slow paths; hot loops work on row() directly.
    void setPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b);
    std::uint8_t red(int x, int y) const { return row(y)[x * 3]; }
    std::uint8_t green(int x, int y) const { return row(y)[x * 3 + 1]; }
    std::uint8_t blue(int x, int y) const { return row(y)[x * 3 + 2]; }

    // Fills the whole picture with one colour.
    void fill(std::uint8_t r, std::uint8_t g, std::uint8_t b);

    // True when both pictures have the same size and the same pixels (padding is ignored).
    bool samePixels(const Image& other) const;

    // The orientation tag (2 to 8) a decoder turned the picture upright from, where pictures were
    // read as stored before orientation was applied; 1 when it was not turned. asStored: the
    // pixels have been turned back to that stored form since.
    int storedOrientation() const { return m_storedOrientation; }
    bool asStored() const { return m_asStored; }
    void setStoredOrientation(int orientation, bool asStored) {
        m_storedOrientation = orientation;
        m_asStored = asStored;
    }

private:
    int m_width = 0;
    int m_height = 0;
    std::size_t m_stride = 0;
    std::vector<std::uint8_t> m_pixels;
    int m_storedOrientation = 1;
    bool m_asStored = false;
};

}  // namespace morvel

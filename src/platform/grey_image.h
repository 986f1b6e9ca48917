#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/image.h"

namespace morvel {

// A grey picture of one byte per pixel, rows top to bottom, each padded to a multiple of four
// bytes: a mask needs a third of the memory of a 24-bit Image. Same size limits as Image; large
// buffers come from and go back to the same pool. A default-constructed GreyImage is empty.
class GreyImage {
public:
    GreyImage() = default;
    ~GreyImage();
    GreyImage(const GreyImage&) = default;
    GreyImage(GreyImage&& other) noexcept;  // leaves other empty
    GreyImage& operator=(const GreyImage&) = default;
    GreyImage& operator=(GreyImage&& other) noexcept;

    // A black picture of width x height, or nothing when the size is not acceptable
    // (Image::acceptableSize) or the memory cannot be had.
    static std::optional<GreyImage> create(int width, int height);
    static std::size_t strideFor(int width) {
        return (static_cast<std::size_t>(width) + 3) & ~std::size_t{3};
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
    std::uint8_t grey(int x, int y) const { return row(y)[x]; }
    void setGrey(int x, int y, std::uint8_t value) { row(y)[x] = value; }
    void fill(std::uint8_t value);

    // True when both pictures have the same size and the same pixels (padding is ignored).
    bool samePixels(const GreyImage& other) const;

private:
    int m_width = 0;
    int m_height = 0;
    std::size_t m_stride = 0;
    std::vector<std::uint8_t> m_pixels;
};

// The grey of a 24-bit picture as masks are read from their files: its blue component. Nothing
// when the memory cannot be had.
std::optional<GreyImage> GreyFromBlue(const Image& picture);

// The grey picture as a 24-bit one with red = green = blue, as mask files hold it. Nothing when
// the memory cannot be had.
std::optional<Image> ExpandGrey(const GreyImage& grey);

// One row of pixels of grey spread to red = green = blue (3 x pixels bytes in out).
void ExpandGreyRow(const std::uint8_t* grey, std::uint8_t* out, int pixels);

}  // namespace morvel

#include "platform/image.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/pixel_buffers.h"

namespace morvel {

bool Image::acceptableSize(std::int64_t width, std::int64_t height) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           width * height <= kMaxPixels;
}

std::optional<Image> Image::create(int width, int height) {
    if (!acceptableSize(width, height)) return std::nullopt;
    Image image;
    image.m_width = width;
    image.m_height = height;
    image.m_stride = strideFor(width);
    try {
        image.m_pixels = TakePixelBuffer(image.m_stride * static_cast<std::size_t>(height));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return image;
}

Image::~Image() {
    ReturnPixelBuffer(std::move(m_pixels));
}

Image::Image(Image&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
      m_stride(std::exchange(other.m_stride, 0)),
      m_pixels(std::move(other.m_pixels)),
      m_storedOrientation(std::exchange(other.m_storedOrientation, 1)),
      m_asStored(std::exchange(other.m_asStored, false)) {
    other.m_pixels.clear();
}

Image& Image::operator=(Image&& other) noexcept {
    if (this == &other) return *this;
    ReturnPixelBuffer(std::move(m_pixels));
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_stride = std::exchange(other.m_stride, 0);
    m_pixels = std::move(other.m_pixels);
    other.m_pixels.clear();
    m_storedOrientation = std::exchange(other.m_storedOrientation, 1);
    m_asStored = std::exchange(other.m_asStored, false);
    return *this;
}

void Image::setPixel(int x, int y, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    std::uint8_t* p = row(y) + x * 3;
    p[0] = r;
    p[1] = g;
    p[2] = b;
}

void Image::fill(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    for (int y = 0; y < m_height; ++y) {
        std::uint8_t* p = row(y);
        for (int x = 0; x < m_width; ++x, p += 3) {
            p[0] = r;
            p[1] = g;
            p[2] = b;
        }
    }
}

bool Image::samePixels(const Image& other) const {
    if (m_width != other.m_width || m_height != other.m_height) return false;
    const std::size_t rowBytes = static_cast<std::size_t>(m_width) * 3;
    for (int y = 0; y < m_height; ++y) {
        if (std::memcmp(row(y), other.row(y), rowBytes) != 0) return false;
    }
    return true;
}

}  // namespace morvel

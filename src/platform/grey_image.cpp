#include "platform/grey_image.h"

#include <cstring>
#include <new>
#include <utility>

#include "platform/pixel_buffers.h"

namespace morvel {

std::optional<GreyImage> GreyImage::create(int width, int height) {
    if (!Image::acceptableSize(width, height)) return std::nullopt;
    GreyImage image;
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

GreyImage::~GreyImage() {
    ReturnPixelBuffer(std::move(m_pixels));
}

GreyImage::GreyImage(GreyImage&& other) noexcept
    : m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)),
      m_stride(std::exchange(other.m_stride, 0)),
      m_pixels(std::move(other.m_pixels)) {
    other.m_pixels.clear();
}

GreyImage& GreyImage::operator=(GreyImage&& other) noexcept {
    if (this == &other) return *this;
    ReturnPixelBuffer(std::move(m_pixels));
    m_width = std::exchange(other.m_width, 0);
    m_height = std::exchange(other.m_height, 0);
    m_stride = std::exchange(other.m_stride, 0);
    m_pixels = std::move(other.m_pixels);
    other.m_pixels.clear();
    return *this;
}

void GreyImage::fill(std::uint8_t value) {
    for (int y = 0; y < m_height; ++y) std::memset(row(y), value, static_cast<std::size_t>(m_width));
}

bool GreyImage::samePixels(const GreyImage& other) const {
    if (m_width != other.m_width || m_height != other.m_height) return false;
    for (int y = 0; y < m_height; ++y) {
        if (std::memcmp(row(y), other.row(y), static_cast<std::size_t>(m_width)) != 0) return false;
    }
    return true;
}

std::optional<GreyImage> GreyFromBlue(const Image& picture) {
    if (picture.empty()) return GreyImage{};
    auto grey = GreyImage::create(picture.width(), picture.height());
    if (!grey) return std::nullopt;
    for (int y = 0; y < picture.height(); ++y) {
        const std::uint8_t* in = picture.row(y) + 2;
        std::uint8_t* out = grey->row(y);
        for (int x = 0; x < picture.width(); ++x) out[x] = in[x * 3];
    }
    return grey;
}

void ExpandGreyRow(const std::uint8_t* grey, std::uint8_t* out, int pixels) {
    for (int x = 0; x < pixels; ++x) {
        out[x * 3] = grey[x];
        out[x * 3 + 1] = grey[x];
        out[x * 3 + 2] = grey[x];
    }
}

std::optional<Image> ExpandGrey(const GreyImage& grey) {
    if (grey.empty()) return Image{};
    auto picture = Image::create(grey.width(), grey.height());
    if (!picture) return std::nullopt;
    for (int y = 0; y < grey.height(); ++y) ExpandGreyRow(grey.row(y), picture->row(y), grey.width());
    return picture;
}

}  // namespace morvel

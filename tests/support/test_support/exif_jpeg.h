#pragma once

// JPEG files tagged with an Exif orientation, as cameras store pictures taken on their side.

#include <cstdint>
#include <vector>

namespace morvel::testing {

// An APP1 Exif segment holding one directory entry: the orientation tag with this value, in
// either byte order.
inline std::vector<std::uint8_t> ExifOrientationSegment(int orientation, bool intel) {
    using Bytes = std::vector<std::uint8_t>;
    auto put16 = [&](Bytes& b, unsigned v) {
        intel ? b.insert(b.end(), {std::uint8_t(v), std::uint8_t(v >> 8)})
              : b.insert(b.end(), {std::uint8_t(v >> 8), std::uint8_t(v)});
    };
    Bytes tiff = {std::uint8_t(intel ? 'I' : 'M'), std::uint8_t(intel ? 'I' : 'M')};
    put16(tiff, 42);
    put16(tiff, intel ? 8 : 0), put16(tiff, intel ? 0 : 8);  // the directory follows
    put16(tiff, 1);                                          // one entry
    put16(tiff, 0x0112), put16(tiff, 3), put16(tiff, intel ? 1 : 0), put16(tiff, intel ? 0 : 1);
    put16(tiff, orientation), put16(tiff, 0);
    put16(tiff, 0), put16(tiff, 0);  // no further directory
    Bytes segment = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    for (std::uint8_t byte : tiff) segment.push_back(byte);
    segment[2] = std::uint8_t((segment.size() - 2) >> 8);
    segment[3] = std::uint8_t(segment.size() - 2);
    return segment;
}

// The JPEG file with the segment put right after its start marker.
inline std::vector<std::uint8_t> WithSegment(std::vector<std::uint8_t> jpeg,
                                             const std::vector<std::uint8_t>& segment) {
    jpeg.insert(jpeg.begin() + 2, segment.begin(), segment.end());
    return jpeg;
}

// The JPEG file tagged with an orientation.
inline std::vector<std::uint8_t> WithExifOrientation(const std::vector<std::uint8_t>& jpeg,
                                                     int orientation, bool intel = true) {
    return WithSegment(jpeg, ExifOrientationSegment(orientation, intel));
}

}  // namespace morvel::testing

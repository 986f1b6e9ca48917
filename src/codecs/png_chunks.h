#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace morvel {

// One chunk of a PNG file: its four-letter type and its data, in place in the file's bytes.
struct PngChunk {
    std::uint32_t type = 0;  // the four letters, big-endian ("IDAT" = 0x49444154)
    std::span<const std::uint8_t> data;
    std::uint32_t storedCrc = 0;

    bool crcMatches() const;
    // Ancillary chunks (lower-case first letter) can be skipped; critical ones cannot.
    bool ancillary() const { return (type & 0x20000000u) != 0; }
    // Letters only, as the format requires of a chunk type.
    bool validType() const;
};

constexpr std::uint32_t PngChunkType(const char (&name)[5]) {
    return (std::uint32_t(std::uint8_t(name[0])) << 24) |
           (std::uint32_t(std::uint8_t(name[1])) << 16) |
           (std::uint32_t(std::uint8_t(name[2])) << 8) | std::uint32_t(std::uint8_t(name[3]));
}

// Walks the chunks of a PNG file after its 8-byte signature. next() gives false at the end of
// the bytes, and also when a chunk runs past them (then truncated() is true).
class PngChunkWalker {
public:
    explicit PngChunkWalker(std::span<const std::uint8_t> file) : m_file(file), m_position(8) {}
    bool next(PngChunk& chunk);
    bool truncated() const { return m_truncated; }

private:
    std::span<const std::uint8_t> m_file;
    std::size_t m_position;
    bool m_truncated = false;
};

std::uint32_t ReadBigEndian32(const std::uint8_t* p);

// Whether the image data (the zlib stream of the IDAT chunks) unpacks to at most limit bytes.
// It unpacks no more than that to find out, so a small file claiming gigabytes costs nothing;
// a stream that is damaged or missing does not fit either.
bool PngImageDataFits(std::span<const std::uint8_t> file, std::size_t limit);

// The value of a tEXt chunk with this keyword before the image data; empty when none.
std::string FindPngText(std::span<const std::uint8_t> file, const std::string& keyword);

}  // namespace morvel

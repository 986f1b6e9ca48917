#include "codecs/png_chunks.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>

namespace morvel {

std::uint32_t ReadBigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           std::uint32_t{p[3]};
}

bool PngChunk::crcMatches() const {
    std::uint8_t name[4] = {std::uint8_t(type >> 24), std::uint8_t(type >> 16),
                            std::uint8_t(type >> 8), std::uint8_t(type)};
    const std::uint32_t crc =
        libdeflate_crc32(libdeflate_crc32(0, name, 4), data.data(), data.size());
    return crc == storedCrc;
}

bool PngChunk::validType() const {
    for (int shift = 24; shift >= 0; shift -= 8) {
        const unsigned c = (type >> shift) & 0xFF;
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    }
    return true;
}

bool PngChunkWalker::next(PngChunk& chunk) {
    const std::size_t left = m_file.size() - std::min(m_position, m_file.size());
    if (left == 0) return false;
    if (left < 12) {
        m_truncated = true;
        return false;
    }
    const std::uint8_t* p = m_file.data() + m_position;
    const std::uint32_t length = ReadBigEndian32(p);
    if (length > left - 12) {
        m_truncated = true;
        return false;
    }
    chunk.type = ReadBigEndian32(p + 4);
    chunk.data = {p + 8, length};
    chunk.storedCrc = ReadBigEndian32(p + 8 + length);
    m_position += std::size_t{length} + 12;
    return true;
}

std::string FindPngText(std::span<const std::uint8_t> file, const std::string& keyword) {
    PngChunkWalker walker(file);
    PngChunk chunk;
    while (walker.next(chunk)) {
        if (chunk.type == PngChunkType("IDAT")) break;
        if (chunk.type != PngChunkType("tEXt")) continue;
        const auto* text = reinterpret_cast<const char*>(chunk.data.data());
        const std::size_t size = chunk.data.size();
        if (size > keyword.size() && std::memcmp(text, keyword.data(), keyword.size()) == 0 &&
            text[keyword.size()] == '\0') {
            return std::string(text + keyword.size() + 1, size - keyword.size() - 1);
        }
    }
    return {};
}

}  // namespace morvel

#include "codecs/png_chunks.h"

#include <libdeflate.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

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

bool PngImageDataFits(std::span<const std::uint8_t> file, std::size_t limit) {
    std::vector<std::uint8_t> packed;
    PngChunkWalker walker(file);
    PngChunk chunk;
    while (walker.next(chunk)) {
        if (chunk.type == PngChunkType("IDAT")) {
            packed.insert(packed.end(), chunk.data.begin(), chunk.data.end());
        } else if (!packed.empty()) {
            break;  // the image data is one run of IDAT chunks
        }
    }
    if (packed.size() < 2) return false;
    const std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (!decompressor) return false;
    std::vector<std::uint8_t> unpacked(std::max<std::size_t>(limit, 1));
    std::size_t used = 0;
    std::size_t produced = 0;
    // After the two bytes of the zlib header; the sum after the stream is left to the decoder.
    return libdeflate_deflate_decompress_ex(decompressor.get(), packed.data() + 2,
                                            packed.size() - 2, unpacked.data(), limit, &used,
                                            &produced) == LIBDEFLATE_SUCCESS;
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

// A shared thumbnail-cache entry on any bytes. Every chunk's checksum is made right first and the
// keys the reader expects are the entry's own, so that mutations reach the PNG reader rather
// than stopping at a checksum or key; what it takes must be a cache-sized picture.
#include <libdeflate.h>

#include <cstdlib>
#include <vector>

#include "codecs/png_chunks.h"
#include "import/thumbnail_cache.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> entry(data, data + size);
    std::size_t at = 8;
    while (at + 12 <= entry.size()) {
        const std::uint32_t length = morvel::ReadBigEndian32(&entry[at]);
        if (length > entry.size() - at - 12) break;
        const std::uint32_t crc = libdeflate_crc32(0, &entry[at + 4], std::size_t{length} + 4);
        for (int i = 0; i < 4; ++i) entry[at + 8 + length + i] = std::uint8_t(crc >> (24 - 8 * i));
        at += std::size_t{length} + 12;
    }
    const std::optional<morvel::Image> picture =
        morvel::ReadThumbnailEntry(entry, morvel::FindPngText(entry, "Thumb::URI"),
                                   morvel::FindPngText(entry, "Thumb::MTime"));
    if (picture && (picture->width() > morvel::ThumbnailCache::kSide ||
                    picture->height() > morvel::ThumbnailCache::kSide || picture->empty()))
        std::abort();
    return 0;
}

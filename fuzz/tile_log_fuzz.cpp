// The session's tile log on any bytes. Each record's checksum is made right first, so that
// mutations reach the record parser rather than ending the log at the first record; every tile
// it takes must lie inside its mask and carry exactly its pixels.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "project/session_journal.h"

namespace {

std::uint32_t le32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> log(data, data + size);
    std::size_t at = 0;
    while (log.size() - at >= 12) {
        const std::size_t payload = le32(&log[at + 4]);
        if (payload > log.size() - at - 12) break;
        std::vector<std::uint8_t> record(log.begin() + at, log.begin() + at + payload + 12);
        morvel::SealTileLogRecord(record);
        std::copy(record.begin(), record.end(), log.begin() + at);
        at += record.size();
    }
    for (const morvel::LoggedTiles& record : morvel::ParseTileLog(log)) {
        for (const morvel::MaskTileChange& tile : record.tiles) {
            const bool inside = tile.left >= 0 && tile.top >= 0 && tile.width > 0 &&
                                tile.height > 0 && tile.width <= record.maskWidth - tile.left &&
                                tile.height <= record.maskHeight - tile.top;
            const std::size_t pixels =
                tile.after.uniform ? 0 : std::size_t(tile.width) * std::size_t(tile.height);
            if (!inside || tile.after.pixels.size() != pixels) std::abort();
        }
    }
    return 0;
}

#include "platform/md5.h"

extern "C" {
#include <libavutil/md5.h>
}

#include <cstdint>

namespace morvel {

std::string Md5Hex(std::string_view text) {
    std::uint8_t sum[16];
    av_md5_sum(sum, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (std::uint8_t byte : sum) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

}  // namespace morvel

// The fast PNG reader against libpng: whatever it reads must be what libpng reads.
#include <cstdlib>
#include <cstring>

#include "platform/png_codec.h"
#include "platform/png_fast_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    morvel::Image fast;
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
        morvel::DecodePng({data, size}, fast);
        return 0;
    }
    if (morvel::DecodePngFast({data, size}, fast) != morvel::FastPngResult::Decoded) return 0;
    morvel::Image reference;
    if (morvel::DecodePngWithLibpng({data, size}, reference) != morvel::LoadResult::Ok ||
        !fast.samePixels(reference)) {
        std::abort();
    }
    return 0;
}

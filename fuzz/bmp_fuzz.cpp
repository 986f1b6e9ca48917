// Our bitmap reader on any bytes; whatever it reads must survive our writer and reader unchanged.
#include <cstdlib>

#include "codecs/bmp_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvel::Image picture;
    if (morvel::DecodeBmp({data, size}, picture) != morvel::LoadResult::Ok) return 0;
    const auto encoded = morvel::EncodeBmp(picture);
    morvel::Image again;
    if (morvel::DecodeBmp(encoded, again) != morvel::LoadResult::Ok || !again.samePixels(picture))
        std::abort();
    return 0;
}

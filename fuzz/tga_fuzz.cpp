// Our Targa reader on any bytes.
#include "codecs/tga_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvel::Image picture;
    morvel::DecodeTga({data, size}, picture);
    return 0;
}

// Reading a picture by its content, through the same entry the program uses for every file.
#include "codecs/picture_io.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    morvel::Image picture;
    morvel::DecodePicture({data, size}, picture);
    return 0;
}

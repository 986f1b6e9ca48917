// The fast PNG reader against libpng: whatever it reads must be what libpng reads, its reduced
// read must be the full picture shrunk, and its grey read the full picture's blue.
#include <cstdlib>
#include <cstring>

#include "codecs/png_codec.h"
#include "codecs/png_fast_reader.h"
#include "codecs/shrink_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    morvel::Image fast;
    if (size < 8 || std::memcmp(data, kSignature, 8) != 0) {
        morvel::DecodePng({data, size}, fast);
        return 0;
    }
    // The reduction factor from the input, so the fuzzer explores it too.
    const int factor = 2 + data[size - 1] % 7;
    morvel::Image reduced;
    const bool reducedRead = morvel::DecodePngFastReduced({data, size}, factor, reduced) ==
                             morvel::FastPngResult::Decoded;
    const bool fullRead =
        morvel::DecodePngFast({data, size}, fast) == morvel::FastPngResult::Decoded;
    // The reduced read needs less memory, so it may succeed where the full one found too little.
    if (!fullRead) return 0;
    if (!reducedRead || !reduced.samePixels(morvel::ShrinkPicture(fast, factor))) std::abort();
    // A mask's grey read straight from the file is the blue of the full picture.
    morvel::GreyImage blue;
    const auto expectedBlue = morvel::GreyFromBlue(fast);
    if (expectedBlue && (morvel::DecodePngFastBlue({data, size}, blue) !=
                             morvel::FastPngResult::Decoded ||
                         !blue.samePixels(*expectedBlue)))
        std::abort();
    morvel::Image reference;
    if (morvel::DecodePngWithLibpng({data, size}, reference) != morvel::LoadResult::Ok ||
        !fast.samePixels(reference)) {
        std::abort();
    }
    return 0;
}

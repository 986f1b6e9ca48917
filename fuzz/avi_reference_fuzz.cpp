// The AVI frame reference parser on any text; a reference made from what it read names the
// same frame of the same video.
#include <cstdlib>
#include <string>

#include "import/avi_frames.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const morvel::AviReference read = morvel::ParseAviReference(text);
    morvel::IsAviReference(text);
    if (read.frame < 0 || read.videoPath.find('$') != std::string::npos) return 0;
    const morvel::AviReference again =
        morvel::ParseAviReference(morvel::MakeAviReference(read.frame, read.videoPath));
    if (again.frame != read.frame || again.videoPath != read.videoPath) std::abort();
    return 0;
}

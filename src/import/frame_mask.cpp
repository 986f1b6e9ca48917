#include "import/frame_mask.h"

#include "codecs/picture_io.h"
#include "codecs/shrink_picture.h"

namespace morvel {

bool ReadFrameMask(const FrameFiles& files, Image& mask, const MaskFileReader& readFile,
                   int factor) {
    if (files.maskInMemory) {
        if (files.maskInMemory->empty()) return false;
        mask = factor > 1 ? ShrinkPicture(*files.maskInMemory, factor) : *files.maskInMemory;
        return !mask.empty();
    }
    if (files.mask.empty()) return false;
    Image picture;
    const bool read = readFile ? readFile(files.mask, picture)
                               : LoadPictureFile(files.mask, picture) == LoadResult::Ok;
    if (!read || picture.empty()) return false;
    mask = std::move(picture);
    return true;
}

}  // namespace morvel

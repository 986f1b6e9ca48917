#include "import/frame_mask.h"

#include "codecs/picture_io.h"
#include "codecs/shrink_picture.h"

namespace morvel {

bool ReadMaskFile(const std::string& file, GreyImage& mask, const PictureFileReader& readPicture) {
    if (!readPicture) {
        GreyImage read;
        if (LoadMaskPictureFile(file, read) != LoadResult::Ok || read.empty()) return false;
        mask = std::move(read);
        return true;
    }
    Image picture;
    if (!readPicture(file, picture) || picture.empty()) return false;
    auto grey = GreyFromBlue(picture);
    if (!grey) return false;
    mask = std::move(*grey);
    return true;
}

MaskFileReader MaskReaderOf(PictureFileReader readPicture) {
    return [readPicture = std::move(readPicture)](const std::string& file, GreyImage& mask) {
        return ReadMaskFile(file, mask, readPicture);
    };
}

bool ReadFrameMask(const FrameFiles& files, GreyImage& mask, const MaskFileReader& readFile,
                   int factor) {
    if (files.maskInMemory) {
        if (files.maskInMemory->empty()) return false;
        if (factor <= 1) {
            mask = *files.maskInMemory;
            return true;
        }
        GreyImage shrunk = ShrinkGrey(*files.maskInMemory, factor);
        if (shrunk.empty()) return false;
        mask = std::move(shrunk);
        return true;
    }
    if (files.mask.empty()) return false;
    GreyImage read;
    if (!(readFile ? readFile(files.mask, read) : ReadMaskFile(files.mask, read)) || read.empty())
        return false;
    mask = std::move(read);
    return true;
}

}  // namespace morvel

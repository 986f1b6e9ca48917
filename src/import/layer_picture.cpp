#include "import/layer_picture.h"

#include <utility>

#include "import/avi_frames.h"
#include "platform/picture_io.h"

namespace morvel {

bool LoadLayerPicture(ProgramState& state, Image& target, const std::string& layerSource) {
    // Decoded into a picture of its own: the target keeps its old picture until this one is
    // complete. A video is opened and closed again for the one frame, so no video stays open
    // while the user works.
    Image picture;
    if (IsAviReference(layerSource)) {
        if (!AccessAviFrames(state, &picture, layerSource, kAviOpenFetchClose)) return false;
    } else if (LoadPictureFile(layerSource, picture) != LoadResult::Ok) {
        return false;
    }
    if (picture.empty()) return false;
    target = std::move(picture);
    return true;
}

}  // namespace morvel

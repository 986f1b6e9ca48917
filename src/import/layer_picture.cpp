#include "import/layer_picture.h"

#include <utility>

#include "import/avi_frames.h"
#include "import/frame_mask.h"
#include "import/video_pool.h"
#include "codecs/picture_io.h"

namespace morvel {

bool LayerPictureReader::readMask(Services& services, const std::string& file, GreyImage& mask) {
    return ReadMaskFile(file, mask, [&](const std::string& source, Image& picture) {
        return read(services, source, picture);
    });
}

bool LoadLayerPicture(LayerPictureReader* reader, Services& services, Image& target,
                      const std::string& layerSource) {
    // Decoded into a picture of its own: the target keeps its old picture until this one is
    // complete. Without a picture reader a video is opened and closed again for the one frame,
    // so no video stays open while the user works.
    Image picture;
    const bool read = reader ? reader->read(services, layerSource, picture)
                             : ReadLayerPictureNow(services, picture, layerSource);
    if (!read || picture.empty()) return false;
    target = std::move(picture);
    return true;
}

bool ReadLayerPictureNow(Services& services, Image& picture, const std::string& layerSource) {
    if (IsAviReference(layerSource)) {
        return AccessAviFrames(services, &picture, layerSource, kAviOpenFetchClose);
    }
    return LoadPictureFile(layerSource, picture) == LoadResult::Ok;
}

ErrorKind LayerLoadError(const std::string& layerSource) {
    if (IsAviReference(layerSource)) return ErrorKind::LoadImage;
    Image picture;
    return LoadPictureFile(layerSource, picture) == LoadResult::TooLarge ? ErrorKind::LargeImage
                                                                         : ErrorKind::LoadImage;
}

LayerRead ReadLayerSource(const std::string& layerSource, VideoPool& pool, Image& picture) {
    LayerRead read;
    Image decoded;
    if (IsAviReference(layerSource)) {
        const AviReference reference = ParseAviReference(layerSource);
        const VideoPool::Result result =
            pool.readNow(reference.videoPath, reference.frame, decoded);
        if (result.opened != VideoReader::OpenResult::Ok) {
            read.videoOpenError = AviOpenErrorNumber(result.opened);
            return read;
        }
        read.ok = result.loaded == LoadResult::Ok;
    } else {
        read.ok = LoadPictureFile(layerSource, decoded) == LoadResult::Ok;
    }
    read.ok = read.ok && !decoded.empty();
    if (read.ok) picture = std::move(decoded);
    return read;
}

void ReportLayerRead(const ErrorReporter& reporter, const LayerRead& read) {
    if (read.videoOpenError >= 0) {
        reporter.report(ErrorKind::UseAviExport, ErrorPlace::ReadVideo, read.videoOpenError);
    }
}

}  // namespace morvel

#include "import/frame_import.h"

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "import/avi_frames.h"
#include "import/layer_picture.h"
#include "import/thumbnail.h"
#include "platform/files.h"

namespace morvel {

namespace {

// The message for a dropped folder; it has never been translated.
constexpr char kFolderMessage[] = "Directorys are not supported at the moment, but it will follow.";

struct Added {
    int position = 0;
    int filled = 0;  // layers that received a picture
};

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string upperExtension(const std::string& path) {
    const std::string name = FilePart(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    std::string extension = name.substr(dot + 1);
    for (char& c : extension) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return extension;
}

enum class PathKind { Missing, Folder, Other };

// Asked of the file system without opening anything, so a FIFO or a device cannot block here.
PathKind kindOfPath(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return PathKind::Missing;
    return S_ISDIR(info.st_mode) ? PathKind::Folder : PathKind::Other;
}

ImportProgress progressFor(Services& services) {
    return ImportProgress(services.shell, services.language.texts,
                          std::chrono::milliseconds(services.progressDelay));
}

Added addImageLayer(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                    int position, const std::string& path, DecodedThumbnail* decoded) {
    position = ClaimFrameSlot(document, layer, position);
    FrameRecord& frame = document.frames.at(position);
    frame.layerSource[layer] = path;
    DecodedThumbnail own;
    if (!decoded) {
        own = DecodeLayerThumbnail(path);
        decoded = &own;
    }
    if (decoded->thumbnail) {
        AttachThumbnailImage(thumbnails, services, frame, layer, std::move(*decoded->thumbnail));
        return {position + 1, 1};
    }
    services.reporter().report(LayerLoadError(path), ErrorPlace::ImportLayer, layer + 1, path);
    frame.layerSource[layer].clear();
    return {position + 1, 0};
}

Added addAviLayers(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                   int position, const std::string& videoPath, ImportProgress& progress) {
    const std::string openReference = "$AVI$*$" + videoPath;
    AviStreamInfo info;
    if (!AccessAviFrames(services, nullptr, openReference, kAviOpen, &info)) return {position, 0};
    const int count = std::clamp(info.frameCount, 0, kMaxVideoFrames);
    const std::string name = FilePart(videoPath);
    int filled = 0;
    {
        // The reader decodes on the worker until the pipeline is gone.
        VideoFramePipeline frames(services.videoReader, videoPath, info.firstFrame, count);
        for (int k = 0; k < count; ++k) {
            if (!progress.step({ImportStep::Unit::VideoFrame, k + 1, count, name})) break;
            position = ClaimFrameSlot(document, layer, position);
            FrameRecord& frame = document.frames.at(position);
            frame.layerSource[layer] = MakeAviReference(info.firstFrame + k, videoPath);
            const std::optional<Image> picture = frames.take();
            if (picture && !picture->empty()) {
                AttachLayerThumbnail(thumbnails, services, frame, layer, *picture);
                ++filled;
            } else {
                services.reporter().report(ErrorKind::LoadImage, ErrorPlace::ImportLayer, layer + 1,
                                           frame.layerSource[layer]);
                frame.layerSource[layer].clear();
            }
            ++position;
        }
    }
    AccessAviFrames(services, nullptr, openReference, kAviClose);
    return {position, filled};
}

}  // namespace

DroppedFileKind KindOfDroppedFile(const std::string& path) {
    const std::string extension = upperExtension(path);
    if (extension == "AVI") return DroppedFileKind::Video;
    for (const char* picture : {"BMP", "JPG", "JPEG", "PNG", "TGA", "TIF", "TIFF"}) {
        if (extension == picture) return DroppedFileKind::Picture;
    }
    return DroppedFileKind::Ignored;
}

std::vector<std::string> SortedDropPaths(const std::string& fileList) {
    std::vector<std::string> paths;
    std::string::size_type start = 0;
    for (;;) {
        const auto end = fileList.find('\n', start);
        paths.push_back(fileList.substr(start, end - start));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    std::stable_sort(paths.begin(), paths.end(), [](const std::string& a, const std::string& b) {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                            [](char x, char y) {
                                                return static_cast<unsigned char>(lowerAscii(x)) <
                                                       static_cast<unsigned char>(lowerAscii(y));
                                            });
    });
    return paths;
}

int ClaimFrameSlot(Document& document, int layer, int position) {
    FrameList& frames = document.frames;
    position = std::max(position, 0);
    if (position < frames.size()) {
        if (!frames.at(position).layerSource[layer].empty()) frames.insertAt(position);
        return position;
    }
    frames.append();
    return frames.size() - 1;
}

int AddImageLayer(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                  int position, const std::string& path, DecodedThumbnail* decoded) {
    return addImageLayer(document, thumbnails, services, layer, position, path, decoded).position;
}

int AddAviLayers(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                 int position, const std::string& videoPath, ImportProgress* progress) {
    if (progress)
        return addAviLayers(document, thumbnails, services, layer, position, videoPath, *progress)
            .position;
    ImportProgress own = progressFor(services);
    return addAviLayers(document, thumbnails, services, layer, position, videoPath, own).position;
}

int ImportFileList(Document& document, FrameThumbnails& thumbnails, Services& services, int layer,
                   const std::string& fileList, int position) {
    layer = layer == 0 ? 0 : 1;
    const std::vector<std::string> paths = SortedDropPaths(fileList);

    // The pictures of the drop are decoded ahead on the worker while this thread puts the ones
    // before them into the frame list.
    std::vector<std::string> pictures;
    for (const std::string& path : paths) {
        if (KindOfDroppedFile(path) == DroppedFileKind::Picture) pictures.push_back(path);
    }
    ThumbnailLoader loader(pictures);
    std::size_t nextPicture = 0;

    ImportProgress progress = progressFor(services);
    const int total = static_cast<int>(paths.size());
    int filled = 0;
    for (int k = 0; k < total; ++k) {
        const std::string& path = paths[static_cast<std::size_t>(k)];
        if (!progress.step({ImportStep::Unit::File, k + 1, total, FilePart(path)})) break;
        const DroppedFileKind kind = KindOfDroppedFile(path);
        const std::size_t pictureIndex = nextPicture;
        if (kind == DroppedFileKind::Picture) ++nextPicture;

        switch (kindOfPath(path)) {
            case PathKind::Missing:
                continue;
            case PathKind::Folder:
                services.shell.showMessage(services.language.texts[Text::ErrorsTitle],
                                           kFolderMessage);
                continue;
            case PathKind::Other:
                break;
        }
        Added added{position, 0};
        if (kind == DroppedFileKind::Picture) {
            DecodedThumbnail decoded = loader.take(pictureIndex);
            added = addImageLayer(document, thumbnails, services, layer, position, path, &decoded);
        } else if (kind == DroppedFileKind::Video) {
            added = addAviLayers(document, thumbnails, services, layer, position, path, progress);
        }
        position = added.position;
        filled += added.filled;
    }
    return filled;
}

}  // namespace morvel

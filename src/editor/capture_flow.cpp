#include "editor/capture_flow.h"

#include <thread>

#include "codecs/picture_io.h"
#include "editor/capture_files.h"
#include "editor/captured_picture_reader.h"
#include "editor/frame_history.h"
#include "editor/frame_selection.h"
#include "import/thumbnail.h"
#include "platform/files.h"
#include "sequence/composition.h"
#include "sequence/scale_picture.h"

namespace morvel {

namespace {

ErrorKind kindOf(CameraFault fault) {
    switch (fault) {
        case CameraFault::CannotOpen: return ErrorKind::CameraOpen;
        case CameraFault::NotACamera: return ErrorKind::NotACamera;
        case CameraFault::UnsupportedFormat: return ErrorKind::CameraFormat;
        case CameraFault::Gone: return ErrorKind::CameraGone;
        case CameraFault::Busy: return ErrorKind::CameraBusy;
        case CameraFault::TimedOut: return ErrorKind::CaptureTimeout;
        case CameraFault::CannotWrite: return ErrorKind::CaptureWrite;
        case CameraFault::None:
        case CameraFault::CaptureFailed: break;
    }
    return ErrorKind::CaptureFailed;
}

// The composite of a frame that shows picture alone, and the canvas of width x height showing
// it in ahead's view; ahead stays without a composite when memory fails.
void ComposeAhead(const Image& picture, int width, int height, ComposedAhead& ahead) {
    if (picture.empty()) return;
    try {
        // The composite is the picture itself: the canvas scales it while it is copied.
        auto canvas = Image::create(width, height);
        if (!canvas) return;
        std::thread scaling([&] { DrawScaledPicture(picture, ahead.view, *canvas); });
        Image composite;
        FramePictures pictures;
        pictures.layer1 = &picture;
        const bool composed = ComposePictures(pictures, 0, 0, composite);
        scaling.join();
        if (!composed) return;
        ahead.composite = std::move(composite);
        ahead.canvas = std::move(*canvas);
    } catch (...) {  // memory or a thread that could not be had: the window composes it itself
    }
}

bool makeFolders(const std::string& captureFolder, const std::string& stem) {
    // The capture folder, and a folder the name template adds below it.
    return MakeFolder(FolderPart(captureFolder.substr(0, captureFolder.size() - 1))) &&
           MakeFolder(captureFolder) && MakeFolder(FolderPart(stem)) && IsFolder(FolderPart(stem));
}

}  // namespace

void ReportCameraFault(Services& services, ErrorPlace where, CameraFault fault,
                       const std::string& detail) {
    services.reporter().report(kindOf(fault), where, static_cast<int>(fault), detail);
}

bool ChooseCamera(View& view, Services& services, const std::string& url) {
    CameraFault fault;
    std::string detail;
    std::unique_ptr<Camera> camera = OpenCamera(url, fault, detail);
    if (!camera) {
        ReportCameraFault(services, ErrorPlace::ChooseCamera, fault, detail.empty() ? url : detail);
        return false;
    }
    Shooting& shooting = view.shooting;
    shooting.camera = std::move(camera);
    shooting.cameraUrl = url;
    shooting.live = false;
    shooting.difference = false;
    shooting.liveNumber = 0;
    shooting.pending = {};
    return true;
}

bool BeginCapture(Document& document, EditSession& session, View& view, Services& services,
                  int layer) {
    Shooting& shooting = view.shooting;
    if (!shooting.camera) {
        services.reporter().report(ErrorKind::NoCamera, ErrorPlace::Capture, 0);
        return false;
    }
    if (shooting.pending.active || shooting.camera->busy()) {
        ReportCameraFault(services, ErrorPlace::Capture, CameraFault::Busy, shooting.cameraUrl);
        return false;
    }
    const std::string& untitled = services.language.texts[Text::ElseStandardprojectname];
    if (shooting.settings.folder.empty() && shooting.picturesFolder.empty())
        shooting.picturesFolder = UserPicturesFolder();
    const std::string folder = CaptureFolder(document, shooting, untitled);
    const int displayed = document.frames.indexOfId(session.cache.displayedId);
    const FrameRecord* frame = displayed >= 0 ? &document.frames.at(displayed) : nullptr;
    // The place the take will have: its own frame's, or the new frame's after it.
    const bool newFrame = layer == 0 ? !frame || !frame->layerSource[0].empty() : !frame;
    const int position = newFrame ? (displayed >= 0 ? displayed + 1 : document.frames.size())
                                  : displayed;
    const std::string stem = CaptureStem(folder, ProjectNameForCaptures(document, untitled),
                                         shooting.settings, position, layer);
    if (!makeFolders(folder, stem) || !CanWriteFile(stem + ".jpg")) {
        ReportCameraFault(services, ErrorPlace::Capture, CameraFault::CannotWrite, stem + ".jpg");
        return false;
    }
    // A take that alone makes its frame's composite (nothing above it, no mask) is composed and
    // scaled for the canvas on the worker too: the window's thread then only shows it.
    const bool alone = newFrame || (frame->maskNumber == 0 &&
                                    (layer == 0 || frame->layerSource[0].empty()));
    std::shared_ptr<ComposedAhead> ahead =
        alone && !view.canvas.empty() ? std::make_shared<ComposedAhead>() : nullptr;
    CaptureFollowUp followUp;
    if (ahead) {
        ahead->view = ViewGeometry::of(view);
        followUp = [ahead, width = view.canvas.width(),
                    height = view.canvas.height()](const Image& decoded) {
            ComposeAhead(decoded, width, height, *ahead);
        };
    }
    if (!shooting.camera->beginCapture(stem, std::move(followUp))) {
        ReportCameraFault(services, ErrorPlace::Capture, CameraFault::Busy, shooting.cameraUrl);
        return false;
    }
    shooting.pending = {true, layer, frame ? frame->id : 0, std::chrono::steady_clock::now(),
                        std::move(ahead)};
    return true;
}

bool FinishCapture(Document& document, EditSession& session, View& view, Services& services) {
    Shooting& shooting = view.shooting;
    if (!shooting.pending.active || !shooting.camera) return false;
    std::optional<CaptureResult> result = shooting.camera->takeCaptureResult();
    if (!result) return false;
    const PendingCapture pending = shooting.pending;
    shooting.pending = {};
    if (result->fault != CameraFault::None) {
        ReportCameraFault(services, ErrorPlace::Capture, result->fault,
                          result->detail.empty() ? shooting.cameraUrl : result->detail);
        return true;
    }
    // A take the program cannot read would be a frame without its picture: it stays a file.
    if (result->decoded.empty() || result->preview.empty()) {
        ReportCameraFault(services, ErrorPlace::Capture, CameraFault::UnsupportedFormat,
                          result->picture);
        return true;
    }
    CapturedPictureReader reader(session.pictureReader, result->picture, std::move(result->decoded),
                                 pending.ahead);
    session.pictureReader = &reader;
    AddCapturedTake(document, session, view, services, pending.layer, pending.frame,
                    result->picture, result->preview);
    session.pictureReader = reader.next();
    // The shot is on disk: a crash from now on must not lose it.
    UpdateSessionJournal(document, session);
    return true;
}

void AddCapturedTake(Document& document, EditSession& session, View& view, Services& services,
                     int layer, FrameId frame, const std::string& path, const Image& picture) {
    Shooting& shooting = view.shooting;
    Image thumbnail = MakeThumbnail(picture);
    AsFrameOperation(document, session, [&] {
        int index = document.frames.indexOfId(frame);
        const bool fill = index >= 0 && (layer == 1 || document.frames.at(index).layerSource[0].empty());
        if (!fill) index = index >= 0 ? index + 1 : document.frames.size();
        FrameRecord& target = fill ? document.frames.at(index) : document.frames.insertAt(index);
        target.layerSource[layer] = path;
        AttachThumbnailImage(view.thumbnails, services, target, layer, thumbnail);
        if (layer == 1) {
            shooting.cleanPlate = path;
            shooting.cleanPlateThumbnail = thumbnail;
        } else if (!fill && shooting.settings.keepCleanPlate && !shooting.cleanPlate.empty()) {
            target.layerSource[1] = shooting.cleanPlate;
            AttachThumbnailImage(view.thumbnails, services, target, 1, shooting.cleanPlateThumbnail);
        }
        RefreshFrameStrip(document, session, view, services, index);
    });
}

}  // namespace morvel

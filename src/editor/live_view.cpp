#include "editor/live_view.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "editor/canvas.h"
#include "editor/capture_flow.h"
#include "editor/frame_selection.h"
#include "editor/zoom.h"
#include "import/thumbnail.h"

namespace morvel {

namespace {

// The displayed frame's layer 1 at the live picture's size, remade only when either changed.
const Image& referenceFor(const Document& document, const EditSession& session, Shooting& shooting,
                          int width, int height) {
    const FrameRecord* frame = DisplayedFrame(document, session);
    const std::string source = frame ? frame->layerSource[0] : std::string();
    const bool loaded = !source.empty() && session.cache.layerSource[0] == source &&
                        !session.cache.layerFailed[0] && !session.images.layer1.empty();
    if (!loaded) {
        shooting.reference = Image();
        shooting.referenceSource.clear();
        return shooting.reference;
    }
    if (shooting.referenceSource != source || shooting.reference.width() != width ||
        shooting.reference.height() != height) {
        shooting.reference = ScalePicture(session.images.layer1, width, height);
        shooting.referenceSource = source;
    }
    return shooting.reference;
}

}  // namespace

void ComposeLiveCanvas(const Image& live, const Image& reference, int onionPercent,
                       bool difference, Image& canvas) {
    const int left = std::max(0, (canvas.width() - live.width()) / 2);
    const int top = std::max(0, (canvas.height() - live.height()) / 2);
    const int width = std::min(live.width(), canvas.width());
    const int height = std::min(live.height(), canvas.height());
    const bool withReference = reference.width() == live.width() &&
                               reference.height() == live.height() &&
                               (difference || onionPercent > 0);
    const int percent = std::clamp(onionPercent, 0, 100);
    for (int y = 0; y < canvas.height(); ++y) {
        std::uint8_t* to = canvas.row(y);
        if (y < top || y >= top + height) {
            std::memset(to, 0, static_cast<std::size_t>(canvas.width()) * 3);
            continue;
        }
        std::memset(to, 0, static_cast<std::size_t>(left) * 3);
        const int rightStart = (left + width) * 3;
        std::memset(to + rightStart, 0, static_cast<std::size_t>(canvas.width() * 3 - rightStart));
        to += left * 3;
        const std::uint8_t* from = live.row(y - top);
        const int bytes = width * 3;
        if (!withReference) {
            std::memcpy(to, from, static_cast<std::size_t>(bytes));
            continue;
        }
        const std::uint8_t* over = reference.row(y - top);
        if (difference) {
            // Four times the difference: a camera moved by a pixel shows its edges brightly.
            for (int i = 0; i < bytes; ++i)
                to[i] = static_cast<std::uint8_t>(std::min(255, 4 * std::abs(from[i] - over[i])));
        } else {
            for (int i = 0; i < bytes; ++i)
                to[i] = static_cast<std::uint8_t>((from[i] * (100 - percent) + over[i] * percent + 50) / 100);
        }
    }
}

bool StartLiveView(Document& document, EditSession& session, View& view, Services& services) {
    Shooting& shooting = view.shooting;
    if (!shooting.camera) {
        services.reporter().report(ErrorKind::NoCamera, ErrorPlace::LiveView, 0);
        return false;
    }
    // Frames fit the canvas as the live picture does, so that the last frames played and the
    // onion skin meet the live picture where it is.
    if (!shooting.live) ZoomFit(document, session, view, services);
    shooting.camera->startLive(view.canvas.width(), view.canvas.height());
    shooting.liveWidth = view.canvas.width();
    shooting.liveHeight = view.canvas.height();
    shooting.live = true;
    shooting.liveNumber = 0;
    return true;
}

void StopLiveView(Document& document, EditSession& session, View& view, Services& services) {
    Shooting& shooting = view.shooting;
    if (shooting.camera) shooting.camera->stopLive();
    shooting.live = false;
    shooting.difference = false;
    InvalidateCanvas(view);
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

bool ShowNewestLive(Document& document, EditSession& session, View& view, Services& services) {
    Shooting& shooting = view.shooting;
    if (!shooting.live || !shooting.camera) return false;
    if (const CameraFault fault = shooting.camera->liveFault(); fault != CameraFault::None) {
        const std::string detail = shooting.camera->liveFaultDetail();
        StopLiveView(document, session, view, services);
        ReportCameraFault(services, ErrorPlace::LiveView, fault, detail.empty() ? shooting.cameraUrl : detail);
        return false;
    }
    if (shooting.liveWidth != view.canvas.width() || shooting.liveHeight != view.canvas.height()) {
        // The window was resized: pictures of the new canvas size from now on.
        StartLiveView(document, session, view, services);
    }
    const std::optional<LiveFrame> frame = shooting.camera->newestLive(shooting.liveNumber);
    if (!frame) return false;
    shooting.liveNumber = frame->number;
    ++shooting.liveShown;
    const Image& live = *frame->picture;
    const bool overlay = view.onionSkin || shooting.difference;
    static const Image none;
    const Image& reference =
        overlay ? referenceFor(document, session, shooting, live.width(), live.height()) : none;
    ComposeLiveCanvas(live, reference, view.onionSkin ? shooting.settings.onionOpacity : 0,
                      shooting.difference, view.canvas);
    InvalidateCanvas(view);
    services.shell.presentCanvas(0, 0, view.canvas.width(), view.canvas.height());
    return true;
}

}  // namespace morvel

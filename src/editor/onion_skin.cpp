#include "editor/onion_skin.h"

#include <algorithm>
#include <string>

#include "editor/canvas_film.h"
#include "editor/playback_cache.h"

namespace morvel {

namespace {

// The previous frame's files and the view, in one string that differs when either does.
std::string sourceOf(const FrameFiles& frame, const FilmView& view) {
    std::string source = frame.layers[0] + '\n' + frame.layers[1] + '\n' + frame.mask + '\n';
    for (const int n : {static_cast<int>(view.geometry.zoom * 65536.0f), view.geometry.offsetX,
                        view.geometry.offsetY, view.canvasWidth, view.canvasHeight,
                        view.carriedWidth, view.carriedHeight})
        source += std::to_string(n) + ' ';
    return source;
}

}  // namespace

bool UpdateOnionSkin(Document& document, EditSession& session, View& view) {
    CanvasCache& cache = view.canvasCache;
    const int previous = session.cache.displayedIndex - 1;
    std::string source;
    FrameFiles frame;
    FilmView filmView;
    const Image& canvas = view.canvas;
    if (view.onionSkin && previous >= 0 && previous < document.frames.size() && !canvas.empty()) {
        frame = FilmOf(document, session).frameFiles(previous);
        filmView = FilmViewOf(session, view);
        source = sourceOf(frame, filmView);
    }
    if (source == cache.onionSource) return false;
    cache.onionSource = source;
    cache.onion = Image();
    if (source.empty()) return true;
    if (session.playbackCache &&
        session.playbackCache->take(previous, frame, filmView, cache.onion))
        return true;
    // A previous frame that cannot be composed (memory) shows no onion skin.
    if (!ComposeFilmFrame(frame, filmView, cache.onion)) cache.onion = Image();
    return true;
}

void BlendOnionSkin(const Image& onion, Image& canvas, int left, int top, int right, int bottom) {
    if (onion.empty() || onion.width() != canvas.width() || onion.height() != canvas.height())
        return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, canvas.width());
    bottom = std::min(bottom, canvas.height());
    if (left >= right) return;
    constexpr int keep = 100 - kOnionSkinPercent;
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* to = canvas.row(y) + left * 3;
        const std::uint8_t* from = onion.row(y) + left * 3;
        const int bytes = (right - left) * 3;
        for (int i = 0; i < bytes; ++i)
            to[i] = static_cast<std::uint8_t>((to[i] * keep + from[i] * kOnionSkinPercent + 50) / 100);
    }
}

}  // namespace morvel

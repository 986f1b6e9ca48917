#include "editor/compose_frame.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>
#include <vector>

#include "codecs/orientation.h"
#include "editor/canvas.h"
#include "editor/canvas_film.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/zoom.h"
#include "import/layer_picture.h"
#include "sequence/blend.h"
#include "sequence/composition.h"
#include "sequence/film.h"

namespace morvel {

namespace {

constexpr int kPresent[2] = {kLayer1Present, kLayer2Present};
constexpr int kChanged[2] = {kLayer1Changed, kLayer2Changed};

// Loads a work image through load(); the picture it held before, still what file `was` holds
// (empty: none), is handed to the picture reader, which may keep it for a neighbour. On failure
// the work image keeps it.
template <typename Picture, typename Load>
bool loadSettingAside(EditSession& session, Picture& work, const std::string& was, Load load) {
    Picture previous = std::move(work);  // leaves work empty
    if (!load()) {
        work = std::move(previous);
        return false;
    }
    if (session.pictureReader && !was.empty() && !previous.empty()) {
        if constexpr (std::is_same_v<Picture, GreyImage>)
            session.pictureReader->setAsideMask(was, std::move(previous));
        else
            session.pictureReader->setAside(was, std::move(previous));
    }
    return true;
}

// Brings the layer's picture into its work image unless the cache says it is there already.
int updateLayer(EditSession& session, Services& services, const FrameRecord& frame, int layer) {
    FrameCache& cache = session.cache;
    const std::string& source = frame.layerSource[layer];
    Image& picture = layer == 0 ? session.images.layer1 : session.images.layer2;
    if (source == cache.layerSource[layer]) {
        // A source that failed to load stays absent: the work image still holds another
        // frame's picture, which must never show in this frame.
        return (!source.empty() && !cache.layerFailed[layer]) ? kPresent[layer] : 0;
    }
    const std::string was = cache.layerFailed[layer] ? std::string() : cache.layerSource[layer];
    cache.layerSource[layer] = source;
    cache.layerFailed[layer] = false;
    if (source.empty()) return kChanged[layer];
    if (loadSettingAside(session, picture, was, [&] {
            return LoadLayerPicture(session.pictureReader, services, picture, source);
        }))
        return kChanged[layer] | kPresent[layer];
    cache.layerFailed[layer] = true;
    services.reporter().report(LayerLoadError(source), ErrorPlace::ComposeFrame, layer + 1, source);
    return kChanged[layer];
}

int updateMask(Document& document, EditSession& session, Services& services,
               const FrameRecord& frame) {
    FrameCache& cache = session.cache;
    const std::int32_t number = frame.maskNumber;
    if (number == cache.maskNumber) return (number != 0 && !cache.maskFailed) ? kMaskPresent : 0;
    // A mask edited since it was stored is not what its file holds.
    const std::string was = cache.maskNumber != 0 && !cache.maskFailed && !cache.maskModified
                                ? document.masks.workingFile(cache.maskNumber)
                                : std::string();
    cache.maskNumber = number;
    cache.maskFailed = false;
    if (number == 0) return kMaskChanged;
    if (loadSettingAside(session, session.images.mask, was,
                         [&] { return LoadMask(document, session, services, number); })) {
        cache.maskModified = false;
        return kMaskChanged | kMaskPresent;
    }
    cache.maskFailed = true;
    services.reporter().report(ErrorKind::LoadMask, ErrorPlace::ComposeFrame, number);
    return kMaskChanged;
}

// The pictures of the work images that take part, as flags tells.
FramePictures takingPart(const EditSession& session, int flags) {
    FramePictures pictures;
    if (flags & kLayer1Present) pictures.layer1 = &session.images.layer1;
    if (flags & kLayer2Present) pictures.layer2 = &session.images.layer2;
    if (flags & kMaskPresent) pictures.mask = &session.images.mask;
    return pictures;
}

Rect wholeImage(const Image& image) {
    return Rect{0, image.width(), 0, image.height()};
}

// Turns the layers' work images into the form the frame is composed in (upright, or stored for a
// film made before pictures were turned); the window says once per project that it keeps such
// frames as they were. A layer that cannot be turned (memory) takes no part.
int bringLayersToForm(EditSession& session, Services& services, int flags) {
    const FramePictures pictures = takingPart(session, flags);
    const bool asStored = ComposedAsStored(pictures);
    if (asStored && !session.storedFormTold) {
        session.storedFormTold = true;
        services.shell.showStatus(StatusPart::Notice,
                                  services.language.texts[Text::ElseStoredorientation]);
    }
    Image* layers[2] = {&session.images.layer1, &session.images.layer2};
    for (int k = 0; k < 2; ++k) {
        if (!(flags & kPresent[k]) || layers[k]->storedOrientation() == 1 ||
            layers[k]->asStored() == asStored)
            continue;
        flags |= kChanged[k];
        if (!TurnToForm(*layers[k], asStored)) flags &= ~kPresent[k];
    }
    return flags;
}

// Tells the canvas which composite pixels of rows [top, bottom) changed: per band of rows, the
// columns between the first and the last changed pixel.
class ChangedPixels {
public:
    explicit ChangedPixels(View& view) : m_view(view) {}
    ~ChangedPixels() { flush(); }

    void row(int y, int left, int right) {
        if (y >= m_bandEnd) {
            flush();
            m_bandEnd = y + kBandRows;
        }
        if (m_left >= m_right) m_top = y;
        m_left = std::min(m_left, left);
        m_right = std::max(m_right, right);
        m_bottom = y + 1;
    }

private:
    static constexpr int kBandRows = 64;

    void flush() {
        if (m_left < m_right)
            CanvasCompositeChanged(m_view, Rect{m_left, m_right, m_top, m_bottom});
        m_left = INT32_MAX;
        m_right = 0;
    }

    View& m_view;
    int m_bandEnd = 0;
    int m_top = 0;
    int m_bottom = 0;
    int m_left = INT32_MAX;
    int m_right = 0;
};

// Blends the dirty rectangle; every source is aligned with the composite at the bottom-left.
// After an edit of the mask (onlyMaskEdited) most of a large dirty rectangle comes out as it
// was; then each row is blended aside and only the pixels that differ count as changed for the
// canvas, so that it scales again only what the edit changed.
void blend(EditSession& session, View& view, bool withLayer2, bool onlyMaskEdited) {
    Image& composite = session.images.composite;
    const Image& layer1 = session.images.layer1;
    const Image& layer2 = session.images.layer2;
    const GreyImage& mask = session.images.mask;
    const Rect& dirty = session.cache.dirty;
    const int left = std::max(0, dirty.left);
    const int right = std::min(composite.width(), dirty.right);
    const int top = std::max(0, dirty.top);
    const int bottom = std::min(composite.height(), dirty.bottom);
    if (left >= right || top >= bottom) return;
    const int height = composite.height();
    const int shift1 = layer1.height() - height;
    const int shift2 = layer2.height() - height;
    const int shiftMask = mask.height() - height;
    const std::size_t offset = static_cast<std::size_t>(left) * 3;
    const int pixels = right - left;
    const std::size_t rowBytes = static_cast<std::size_t>(pixels) * 3;
    std::vector<std::uint8_t> aside(onlyMaskEdited ? rowBytes : 0);
    ChangedPixels changed(view);
    if (!onlyMaskEdited) CanvasCompositeChanged(view, Rect{left, right, top, bottom});
    for (int y = top; y < bottom; ++y) {
        std::uint8_t* row = composite.row(y) + offset;
        std::uint8_t* out = onlyMaskEdited ? aside.data() : row;
        const std::uint8_t* maskRow = mask.row(y + shiftMask) + left;
        if (withLayer2) {
            BlendTwoLayersRow(layer1.row(y + shift1) + offset, layer2.row(y + shift2) + offset,
                              maskRow, out, pixels);
        } else {
            BlendOneLayerRow(layer1.row(y + shift1) + offset, maskRow, out, pixels);
        }
        if (!onlyMaskEdited || std::memcmp(row, out, rowBytes) == 0) continue;
        std::size_t first = 0;
        while (row[first] == out[first]) ++first;
        std::size_t end = rowBytes;
        while (row[end - 1] == out[end - 1]) --end;
        std::memcpy(row + first, out + first, end - first);
        changed.row(y, left + static_cast<int>(first / 3), left + static_cast<int>((end + 2) / 3));
    }
}

// Without layer 1 and a mask the composite shows layer 1 where it exists, else layer 2, else
// black. The composite has the pictures' size already, so composing them makes no new image.
void draw(EditSession& session, View& view, int flags) {
    Image& composite = session.images.composite;
    CanvasCompositeChanged(view, wholeImage(composite));
    ComposePictures(takingPart(session, flags), composite.width(), composite.height(), composite);
}

// Takes what the picture reader made ahead from the pictures just read, when it has it for this
// frame: the canvas that shows the frame, and for pictures that are not large the composite too.
bool takeComposedAhead(Document& document, EditSession& session, const FrameRecord& frame,
                       int loaded, ComposedAhead& ahead) {
    if (!session.pictureReader || !(loaded & (kLayer1Changed | kLayer2Changed | kMaskChanged)))
        return false;
    return session.pictureReader->takeComposed(FilmOf(document, session).frameFiles(frame), ahead);
}

// The canvas made ahead is drawn instead of scaling the composite, once, while the composite
// is the one it shows.
void keepCanvasMadeAhead(EditSession& session, View& view, ComposedAhead& ahead) {
    if (ahead.canvas.empty()) return;
    // Composed in place, the canvas would otherwise be scaled again from the changed composite.
    InvalidateCanvas(view);
    CanvasCache& cache = view.canvasCache;
    cache.aheadCanvas = std::move(ahead.canvas);
    cache.aheadComposite = session.images.composite.data();
    cache.aheadView = ahead.view;
}

}  // namespace

int ComposeFrame(Document& document, EditSession& session, View& view, Services& services,
                 int flags) {
    if (session.cache.awaited) {
        // The canvas shows a stand-in: once composed, the frame is drawn anew.
        session.cache.awaited = false;
        InvalidateCanvas(view);
    }
    FrameRecord* frame = DisplayedFrame(document, session);
    if (!frame) return 0;
    const int loaded = updateLayer(session, services, *frame, 0) |
                       updateLayer(session, services, *frame, 1) |
                       updateMask(document, session, services, *frame);
    flags |= loaded;
    if (!(flags & (kLayer1Changed | kLayer2Changed | kMaskChanged))) return 0;
    flags = bringLayersToForm(session, services, flags);

    Image& composite = session.images.composite;
    bool resizedComposite = false;
    if (flags & (kLayer1Present | kLayer2Present)) {
        int width = composite.width();
        int height = composite.height();
        CompositeSizeOf(takingPart(session, flags), width, height);
        if (width != composite.width() || height != composite.height()) {
            auto resized = Image::create(width, height);
            if (!resized) {
                services.reporter().report(ErrorKind::CreateImage, ErrorPlace::ComposeFrame, 100,
                                           {}, width, height);
                return 0;
            }
            composite = std::move(*resized);
            resizedComposite = true;
            UpdateScrollBars(session, view, services);
            session.cache.dirty = wholeImage(composite);
        }
    }
    // A new picture in a layer changes the whole composite, not only the last dab's rectangle.
    if (flags & (kLayer1Changed | kLayer2Changed)) session.cache.dirty = wholeImage(composite);

    const bool hasLayer1AndMask = (flags & kLayer1Present) && (flags & kMaskPresent);
    ComposedAhead ahead;
    const bool madeAhead = (flags & (kLayer1Present | kLayer2Present)) &&
                           takeComposedAhead(document, session, *frame, loaded, ahead) &&
                           ahead.width == composite.width() && ahead.height == composite.height();
    if (madeAhead && !ahead.composite.empty()) {
        // Made ahead from the same pictures, as the lines below would make it.
        std::swap(composite, ahead.composite);
        CanvasCompositeChanged(view, wholeImage(composite));
    } else if (hasLayer1AndMask) {
        // Only the caller's mask edit changed anything: no other picture came in.
        // The mask's overlay on the canvas shows every change of the mask, also where the
        // composite stays as it was.
        const bool onlyMaskEdited =
            (loaded & (kLayer1Changed | kLayer2Changed | kMaskChanged)) == 0 && !resizedComposite &&
            !view.maskOverlay;
        blend(session, view, (flags & kLayer2Present) != 0, onlyMaskEdited);
    } else {
        draw(session, view, flags);
    }
    if (madeAhead) keepCanvasMadeAhead(session, view, ahead);
    return flags;
}

}  // namespace morvel

#include "editor/carry_mask.h"

#include "editor/canvas.h"
#include "editor/carried_mask.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/mask_edit.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "import/frame_mask.h"
#include "import/layer_picture.h"

namespace morvel {

namespace {

void tell(Services& services, Text text) {
    const LanguageTable& t = services.language.texts;
    services.shell.showMessage(t[Text::RequesterCarrytitle], t[text]);
}

// A layer picture of the frame before, through the window's reader (its neighbours are decoded
// ahead); reported when it cannot be read.
bool loadLayer(EditSession& session, Services& services, const std::string& source, int layer,
               Image& picture) {
    if (LoadLayerPicture(session.pictureReader, services, picture, source)) return true;
    services.reporter().report(LayerLoadError(source), ErrorPlace::CarryMask, layer, source);
    return false;
}

}  // namespace

void SetDisplayedMask(Document& document, EditSession& session, View& view, Services& services,
                      const GreyImage& mask) {
    BeginMaskEdit(document, session);
    if (!DisplayedMaskUsable(document, session) && !CreateMask(document, session, services)) {
        EndMaskEdit(document, session);
        return;
    }
    ReplaceMaskPixels(document, session, mask);
    EndMaskEdit(document, session);
    const Image& composite = session.images.composite;
    session.cache.dirty = Rect{0, composite.width(), 0, composite.height()};
    ComposeFrame(document, session, view, services, kMaskChanged);
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

void CarryMaskToDisplayed(Document& document, EditSession& session, View& view, Services& services,
                          const CarryOptions& options) {
    const FrameRecord* frame = DisplayedFrame(document, session);
    if (!frame) return;
    const int index = document.frames.indexOfId(frame->id);
    if (index <= 0 || document.frames.at(index - 1).maskNumber == 0)
        return tell(services, Text::RequesterCarrynomask);
    const FrameRecord& before = document.frames.at(index - 1);
    if (frame->layerSource[0].empty() || before.layerSource[0].empty())
        return tell(services, Text::RequesterCarrynolayer1);

    // This frame's pictures are the work images; a layer that failed to load is reported.
    const FrameCache& cache = session.cache;
    FramePictures current;
    for (int layer = 0; layer < 2; ++layer) {
        const std::string& source = frame->layerSource[static_cast<std::size_t>(layer)];
        if (source.empty()) continue;
        if (cache.layerSource[static_cast<std::size_t>(layer)] != source ||
            cache.layerFailed[static_cast<std::size_t>(layer)]) {
            services.reporter().report(LayerLoadError(source), ErrorPlace::CarryMask, layer + 1,
                                       source);
            return;
        }
        (layer == 0 ? current.layer1 : current.layer2) =
            layer == 0 ? &session.images.layer1 : &session.images.layer2;
    }
    if (DisplayedMaskUsable(document, session)) current.mask = &session.images.mask;

    Image layer1;
    Image layer2;
    GreyImage mask;
    FramePictures previous;
    if (!loadLayer(session, services, before.layerSource[0], 1, layer1)) return;
    previous.layer1 = &layer1;
    if (!before.layerSource[1].empty()) {
        if (!loadLayer(session, services, before.layerSource[1], 2, layer2)) return;
        previous.layer2 = &layer2;
    }
    // The frame before's mask as it is now: kept in memory when its file could not be written.
    const auto read = [&](const std::string& file, GreyImage& picture) {
        return ReadWorkingMask(session, services, file, picture);
    };
    if (ReadFrameMask(MaskFiles(document, session, before.maskNumber), mask, read)) {
        previous.mask = &mask;
    } else {
        services.reporter().report(ErrorKind::LoadMask, ErrorPlace::CarryMask, before.maskNumber,
                                   document.masks.workingFile(before.maskNumber));
        return;
    }

    GreyImage carried;
    const CarryOutcome outcome = CarryFrameMask(previous, current, options, carried);
    if (outcome == CarryOutcome::NoMemory) {
        services.reporter().report(ErrorKind::CreateImage, ErrorPlace::CarryMask, 0, {},
                                   session.images.composite.width(),
                                   session.images.composite.height());
        return;
    }
    if (outcome != CarryOutcome::Carried) return;
    SetDisplayedMask(document, session, view, services, carried);
}

}  // namespace morvel

#include "editor/masks.h"

#include "codecs/picture_io.h"
#include "editor/frame_selection.h"
#include "import/frame_mask.h"
#include "import/layer_picture.h"

#include <cstdio>

namespace morvel {

FrameFiles MaskFiles(const Document& document, const EditSession& session, std::int32_t n) {
    FrameRecord frame;
    frame.maskNumber = n;
    return FilesOf(document, frame, &session.unstoredMasks);
}

bool ReadWorkingMask(EditSession& session, Services& services, const std::string& file,
                     GreyImage& mask) {
    if (session.pictureReader) return session.pictureReader->readMask(services, file, mask);
    return ReadMaskFile(file, mask);
}

bool LoadMask(Document& document, EditSession& session, Services& services, std::int32_t n) {
    const auto read = [&](const std::string& file, GreyImage& mask) {
        return ReadWorkingMask(session, services, file, mask);
    };
    if (!ReadFrameMask(MaskFiles(document, session, n), session.images.mask, read)) return false;
    const Image& composite = session.images.composite;
    session.cache.dirty = Rect{0, composite.width(), 0, composite.height()};
    return true;
}

bool StoreMask(Document& document, EditSession& session, Services& services, std::int32_t n) {
    const std::string path = document.masks.workingFile(n);
    if (SaveMaskFile(session.images.mask, path)) {
        session.unstoredMasks.erase(n);
        return true;
    }
    // The mask stays in memory, so that showing another frame does not lose it; the user is
    // told once that the working files can no longer be written.
    session.unstoredMasks.insert_or_assign(n, std::make_shared<const GreyImage>(session.images.mask));
    if (!session.record.failureTold) {
        session.record.failureTold = true;
        services.reporter().report(ErrorKind::SessionWrite, ErrorPlace::StoreMask, n,
                                   document.masks.folder());
    }
    return false;
}

void StoreUnstoredMasks(const Document& document, EditSession& session) {
    for (auto it = session.unstoredMasks.begin(); it != session.unstoredMasks.end();) {
        if (SaveMaskFile(*it->second, document.masks.workingFile(it->first)))
            it = session.unstoredMasks.erase(it);
        else
            ++it;
    }
}

void MarkMaskModified(EditSession& session) {
    session.cache.maskModified = true;
    ++session.cache.maskEdits;
}

void StoreDisplayedMask(Document& document, EditSession& session, Services& services) {
    const FrameRecord* displayed = DisplayedFrame(document, session);
    if (displayed && displayed->maskNumber != 0 && session.cache.maskModified) {
        StoreMask(document, session, services, displayed->maskNumber);
    }
}

bool CreateMask(Document& document, EditSession& session, Services& services) {
    FrameRecord* displayed = DisplayedFrame(document, session);
    if (!displayed) return false;
    const int width = session.images.composite.width();
    const int height = session.images.composite.height();
    auto mask = GreyImage::create(width, height);
    if (!mask) {
        services.reporter().report(ErrorKind::CreateImage, ErrorPlace::CreateMask, 0, {}, width,
                                   height);
        return false;
    }
    session.images.mask = std::move(*mask);
    displayed->maskNumber = document.masks.nextNumber++;
    session.cache.maskNumber = displayed->maskNumber;
    session.cache.maskFailed = false;
    session.cache.dirty = Rect{0, width, 0, height};
    MarkMaskModified(session);
    return true;
}

void ClampDirtyRectangle(EditSession& session) {
    Rect& dirty = session.cache.dirty;
    const int width = session.images.composite.width();
    const int height = session.images.composite.height();
    if (dirty.left < 0) dirty.left = 0;
    if (dirty.top < 0) dirty.top = 0;
    if (dirty.right > width) dirty.right = width;
    if (dirty.bottom > height) dirty.bottom = height;
    if (dirty.left > width - 1) dirty.left = width - 1;
    if (dirty.top > height - 1) dirty.top = height - 1;
    if (dirty.right < 0) dirty.right = 0;
    if (dirty.bottom < 0) dirty.bottom = 0;
}

}  // namespace morvel

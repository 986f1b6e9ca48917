#include "editor/carried_mask.h"

#include <algorithm>
#include <cstring>

#include "codecs/picture_io.h"
#include "import/frame_mask.h"

namespace morvel {

CarryOutcome CarryFrameMask(const FramePictures& previousRead, const FramePictures& currentRead,
                            const CarryOptions& options, GreyImage& mask) {
    // Each frame's pictures in the form it is composed in, as the mask sits on them.
    std::array<Image, 2> previousSpare;
    std::array<Image, 2> currentSpare;
    const FramePictures previous = InComposedForm(previousRead, previousSpare);
    const FramePictures current = InComposedForm(currentRead, currentSpare);
    if (!previous.mask) return CarryOutcome::NoPreviousMask;
    if (!previous.layer1 || !current.layer1) return CarryOutcome::NoLayer1;
    int width = 0;
    int height = 0;
    CompositeSizeOf(current, width, height);
    const auto carried =
        CarryMask({previous.layer1, previous.mask, current.layer1, current.layer2, previous.layer2},
                  width, height, options);
    if (!carried) return CarryOutcome::NoMemory;
    if (!current.mask) {
        mask = std::move(*carried);
        return CarryOutcome::Carried;
    }
    // The composite is never larger than the mask: its rows lie at the mask's bottom.
    GreyImage kept = *current.mask;
    if (kept.empty()) return CarryOutcome::NoMemory;
    const int shift = kept.height() - height;
    for (int y = 0; y < height; ++y)
        std::memcpy(kept.row(y + shift), carried->row(y), static_cast<std::size_t>(width));
    mask = std::move(kept);
    return CarryOutcome::Carried;
}

bool ReadCarryPictures(const FrameFiles& files, std::int32_t maskNumber, VideoPool& videos,
                       CarryPicturesRead& out) {
    out.pictures = {};
    Image* layers[2] = {&out.layer1, &out.layer2};
    const Image** targets[2] = {&out.pictures.layer1, &out.pictures.layer2};
    for (int k = 0; k < 2; ++k) {
        if (files.layers[k].empty()) continue;
        out.read = ReadLayerSource(files.layers[k], videos, *layers[k]);
        if (!out.read.ok) {
            out.failedFile = files.layers[k];
            out.failure = LayerLoadError(files.layers[k]);
            out.failedNumber = k + 1;
            return false;
        }
        *targets[k] = layers[k];
    }
    if (maskNumber != 0 && (!files.mask.empty() || files.maskInMemory)) {
        if (!ReadFrameMask(files, out.mask)) {
            out.failedFile = files.mask;
            out.failure = ErrorKind::LoadMask;
            out.failedNumber = maskNumber;
            return false;
        }
        out.pictures.mask = &out.mask;
    }
    return true;
}

CarryOutcome CarryStepMask(const CarryStep& step, VideoPool& videos, const CarryOptions& options,
                           GreyImage& mask, CarryPicturesRead& read) {
    if (step.previousMask == 0) return CarryOutcome::NoPreviousMask;
    if (step.previous.layers[0].empty() || step.current.layers[0].empty())
        return CarryOutcome::NoLayer1;
    CarryPicturesRead& previous = read;
    if (!ReadCarryPictures(step.previous, step.previousMaskPicture ? 0 : step.previousMask, videos,
                           previous))
        return CarryOutcome::Unreadable;
    FramePictures before = previous.pictures;
    if (step.previousMaskPicture) before.mask = step.previousMaskPicture;
    CarryPicturesRead current;
    if (!ReadCarryPictures(step.current, step.currentMask, videos, current)) {
        read.failedFile = current.failedFile;
        read.failure = current.failure;
        read.failedNumber = current.failedNumber;
        read.read = current.read;
        return CarryOutcome::Unreadable;
    }
    return CarryFrameMask(before, current.pictures, options, mask);
}

void ReportCarryRead(const ErrorReporter& reporter, const CarryPicturesRead& read) {
    ReportLayerRead(reporter, read.read);
    reporter.report(read.failure, ErrorPlace::CarryMask, read.failedNumber, read.failedFile);
}

}  // namespace morvel

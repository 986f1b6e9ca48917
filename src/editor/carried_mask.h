#pragma once

#include <cstdint>
#include <string>

#include "i18n/error_reporter.h"
#include "import/layer_picture.h"
#include "motion/carry_mask.h"
#include "platform/image.h"
#include "project/document.h"
#include "sequence/composition.h"

namespace morvel {

class VideoPool;

// A frame's mask carried from the frame before it, the same way for the window's command, its
// run over a range on a worker and morvel-render, so that all give the same masks.

enum class CarryOutcome {
    Carried,
    NoLayer1,        // this frame or the one before has no picture of layer 1
    NoPreviousMask,  // the frame before has no mask (or there is none before)
    Unreadable,      // a picture could not be read
    NoMemory,
};

// The new mask of the frame whose pictures are current, from the frame before (previous): the
// previous mask moved by the motion between the two layer-1 pictures, at this frame's composite
// size. A frame that has a mask (current.mask) keeps its size: the carried mask replaces its
// bottom-left part, which is what the composition shows. Any thread may call it.
CarryOutcome CarryFrameMask(const FramePictures& previous, const FramePictures& current,
                            const CarryOptions& options, GreyImage& mask);

// A frame's pictures read from its files for a carry; failedFile names the one that could not be
// read. The mask is read when maskNumber (the frame's) is not 0; nothing after a failure.
struct CarryPicturesRead {
    Image layer1;
    Image layer2;
    GreyImage mask;
    FramePictures pictures;  // into the members above
    std::string failedFile;
    ErrorKind failure = ErrorKind::LoadImage;
    int failedNumber = 0;  // the layer (1, 2) or the mask number
    LayerRead read;        // of the layer that failed, for a video's own message

    CarryPicturesRead() = default;
    CarryPicturesRead(const CarryPicturesRead&) = delete;
    CarryPicturesRead& operator=(const CarryPicturesRead&) = delete;
};
bool ReadCarryPictures(const FrameFiles& files, std::int32_t maskNumber, VideoPool& videos,
                       CarryPicturesRead& out);

// One frame of a run over a range, as plain data that any thread may read: the files of the frame
// before and of this frame, with their mask numbers (0: none). The frame before's mask may be
// given as a picture (the one carried to it just before) instead of being read again.
struct CarryStep {
    FrameFiles previous;
    std::int32_t previousMask = 0;
    const GreyImage* previousMaskPicture = nullptr;
    FrameFiles current;
    std::int32_t currentMask = 0;
};

// Reads the step's pictures and carries the mask (CarryFrameMask). On Unreadable, read tells
// what could not be read.
CarryOutcome CarryStepMask(const CarryStep& step, VideoPool& videos, const CarryOptions& options,
                           GreyImage& mask, CarryPicturesRead& read);

// Reports what ReadCarryPictures could not read.
void ReportCarryRead(const ErrorReporter& reporter, const CarryPicturesRead& read);

}  // namespace morvel

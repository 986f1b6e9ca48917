#pragma once

#include <optional>

#include "platform/grey_image.h"
#include "platform/image.h"

namespace morvel {

// How a mask follows the motion from one frame to the next.
enum class CarryMode {
    Flow,    // dense optical flow: every part of the mask moves with what lies under it
    Offset,  // one offset for the whole mask, for rigs that only slide
};

struct CarryOptions {
    CarryMode mode = CarryMode::Flow;
    // Keep the carried mask only where this frame's layers differ by more than limitThreshold
    // (in any component), widened by limitWiden pixels; black elsewhere. The rig can only be
    // where the take with it differs from the clean plate.
    bool limit = false;
    int limitThreshold = 24;
    int limitWiden = 4;
    // The motion is found on the pictures scaled down to about this many pixels.
    int workPixels = 1'000'000;
};

// The pictures a carry reads. All are laid out as the composition lays them: aligned at their
// bottom-left corners; a picture larger than the result contributes its bottom-left part, a
// smaller one is stretched to the result's size.
struct CarryPictures {
    const Image* previousLayer1 = nullptr;
    const GreyImage* previousMask = nullptr;
    const Image* layer1 = nullptr;  // this frame's
    const Image* layer2 = nullptr;  // this frame's; only the limit reads it
    // Both layer 2 pictures let the offset be found on what differs from the clean plates,
    // so that a still background does not pin the offset to zero. Optional.
    const Image* previousLayer2 = nullptr;
};

// The previous mask moved by the motion from the previous layer 1 to this one, as a grey mask
// of width x height (this frame's composite size), warped bilinearly so soft edges stay soft.
// Nothing when a picture needed is missing or empty, or the memory cannot be had. Depends on
// nothing but its arguments, so any thread may call it.
std::optional<GreyImage> CarryMask(const CarryPictures& pictures, int width, int height,
                                   const CarryOptions& options);

}  // namespace morvel

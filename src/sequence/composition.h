#pragma once

#include "platform/image.h"

namespace morvel {

// The size of the composite before any frame with a picture has set it.
constexpr int kStartCompositeWidth = 640;
constexpr int kStartCompositeHeight = 480;

// The pictures one frame is composed from; null for a picture that takes no part (no source,
// or it could not be read).
struct FramePictures {
    const Image* layer1 = nullptr;
    const Image* layer2 = nullptr;
    const Image* mask = nullptr;
};

// The size of a frame's composite: the smallest width and height among its pictures when a layer
// takes part, otherwise the size of the composite before it (carried in width and height).
void CompositeSizeOf(const FramePictures& pictures, int& width, int& height);

// Composes a frame from its pictures alone into out, at full size: layer 1 over layer 2 through
// the mask's blue, aligned at the bottom-left, when layer 1 and the mask take part; otherwise the
// top layer aligned at the top-left, or black. A frame without a layer is black at the carried
// size. Depends on nothing but its arguments, so any thread may call it. False when an image of
// the size needed could not be made; out is then unchanged.
bool ComposePictures(const FramePictures& pictures, int carriedWidth, int carriedHeight,
                     Image& out);

}  // namespace morvel

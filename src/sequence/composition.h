#pragma once

#include <array>

#include "platform/grey_image.h"
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
    const GreyImage* mask = nullptr;
};

// Whether a frame is composed from its layer pictures in their stored form, as pictures were read
// before the orientation a camera tagged them with was applied: its mask has the size of the
// composite of the stored pictures and not that of the upright ones (a film made back then).
// Any other frame, and every frame of pictures without such a tag, is composed upright.
bool ComposedAsStored(const FramePictures& pictures);

// The pictures in the form the frame is composed in (ComposedAsStored): a layer picture in the
// other form is turned into a copy in spare. Null for a layer whose copy could not be made.
FramePictures InComposedForm(const FramePictures& pictures, std::array<Image, 2>& spare);

// The size of a frame's composite: the smallest width and height among its pictures when a layer
// takes part, otherwise the size of the composite before it (carried in width and height). The
// pictures must be in the form the frame is composed in (InComposedForm).
void CompositeSizeOf(const FramePictures& pictures, int& width, int& height);

// Composes a frame from its pictures alone into out, at full size: layer 1 over layer 2 through
// the mask's grey, aligned at the bottom-left, when layer 1 and the mask take part; otherwise the
// top layer aligned at the top-left, or black; the layers in the form ComposedAsStored says. A
// frame without a layer is black at the carried size. Depends on nothing but its arguments, so any
// thread may call it. False when an image of the size needed could not be made; out is then
// unchanged.
bool ComposePictures(const FramePictures& pictures, int carriedWidth, int carriedHeight,
                     Image& out);

}  // namespace morvel

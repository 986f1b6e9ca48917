#pragma once

#include "platform/grey_image.h"
#include "platform/image.h"

namespace morvel {

// The picture reduced by factor: each output pixel the rounded mean of a factor x factor block
// (the last blocks of a row or column take what is left). Empty when the memory cannot be had.
Image ShrinkPicture(const Image& picture, int factor);

// The same for a grey picture: each output pixel is what ShrinkPicture gives each component.
GreyImage ShrinkGrey(const GreyImage& picture, int factor);

}  // namespace morvel

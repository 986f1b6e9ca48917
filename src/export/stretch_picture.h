#pragma once

#include "platform/image.h"

namespace morvel {

// The picture stretched smoothly to exactly width x height: each target pixel averages the
// source pixels it covers when shrinking, and blends its nearest source pixels linearly when
// enlarging (each direction on its own). Empty when the target cannot be created.
Image StretchPicture(const Image& picture, int width, int height);

}  // namespace morvel

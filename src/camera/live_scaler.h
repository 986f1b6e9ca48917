#pragma once

namespace morvel {

// The largest size of the proportions width x height that fits fitWidth x fitHeight (the size
// itself when either fit is 0 or it already fits); never below 1 x 1.
struct FitSize {
    int width = 0;
    int height = 0;
};
FitSize FitInside(int width, int height, int fitWidth, int fitHeight);

}  // namespace morvel

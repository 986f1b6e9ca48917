#include "sequence/read_factor.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

TEST(ReadFactor, FramesAreReadAsReducedAsTheZoomAllowsAndLargeOnesWithinTheBudget) {
    const struct {
        int width;
        int height;
        float zoom;
        int factor;
    } cases[] = {
        {640, 480, 2.0f, 1},     {640, 480, 0.5f, 2},     {640, 480, 0.1f, 8},
        {4000, 3000, 1.0f, 1},   // 12 megapixels: 144 MB at full size
        {6000, 4000, 1.0f, 2},   // 24: half size even at 1:1
        {6000, 4000, 0.2f, 4},   // the zoom asks for more already
        {30000, 20000, 1.0f, 8}, // at most 8
    };
    for (const auto& c : cases) {
        const int factor = FilmReadFactor(c.width, c.height, c.zoom);
        EXPECT_EQ(factor, c.factor) << c.width << " x " << c.height << " at " << c.zoom;
        if (factor < 8) EXPECT_LE(FrameWorkingBytes(c.width, c.height, factor), kFilmFrameBudget);
    }
}

}  // namespace
}  // namespace morvel

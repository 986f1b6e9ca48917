#include "motion/carry_mask.h"

#include <gtest/gtest.h>

#include <opencv2/imgproc.hpp>

#include "motion/testing/synthetic_film.h"

namespace morvel {
namespace {

using testing::FilmTexture;
using testing::ImageOf;
using testing::GreyMaskOf;
using testing::MaskValues;

struct Translation {
    CarryMode mode;
    int dx;
    int dy;
};

class CarryTranslation : public ::testing::TestWithParam<Translation> {};

// A picture that slides by whole pixels carries its mask exactly to a pixel: every pixel more
// than one pixel inside the moved mask is marked, none more than one pixel outside it.
TEST_P(CarryTranslation, IsExactToAPixel) {
    const auto [mode, dx, dy] = GetParam();
    const cv::Size size(320, 240);
    const cv::Mat texture = FilmTexture({400, 320}, 6, 3);
    const Image previous = ImageOf(texture(cv::Rect({40, 40}, size)));
    const Image current = ImageOf(texture(cv::Rect({40 - dx, 40 - dy}, size)));
    cv::Mat before(size, CV_8U, cv::Scalar(0));
    cv::ellipse(before, {150, 110}, {50, 30}, 20, 0, 360, 255, -1);
    cv::Mat expected(size, CV_8U, cv::Scalar(0));
    cv::ellipse(expected, {150 + dx, 110 + dy}, {50, 30}, 20, 0, 360, 255, -1);
    const GreyImage previousMask = GreyMaskOf(before);

    CarryOptions options;
    options.mode = mode;
    const auto carried =
        CarryMask({&previous, &previousMask, &current}, size.width, size.height, options);
    ASSERT_TRUE(carried);
    ASSERT_EQ(carried->width(), size.width);
    ASSERT_EQ(carried->height(), size.height);
    const cv::Mat marked = MaskValues(*carried) >= 128;
    cv::Mat inside;
    cv::Mat outside;
    cv::erode(expected, inside, cv::Mat::ones(3, 3, CV_8U));
    cv::dilate(expected, outside, cv::Mat::ones(3, 3, CV_8U));
    EXPECT_EQ(cv::countNonZero(inside & ~marked), 0);
    EXPECT_EQ(cv::countNonZero(marked & ~outside), 0);
}

INSTANTIATE_TEST_SUITE_P(Carry, CarryTranslation,
                         ::testing::Values(Translation{CarryMode::Flow, 0, 0},
                                           Translation{CarryMode::Flow, 7, -3},
                                           Translation{CarryMode::Flow, -12, 9},
                                           Translation{CarryMode::Flow, 24, 16},
                                           Translation{CarryMode::Offset, 7, -3},
                                           Translation{CarryMode::Offset, -20, 13}));

// With the limit, the carried mask stays only where the layers differ, widened a few pixels.
TEST(Carry, LimitKeepsOnlyWhereTheLayersDiffer) {
    const cv::Size size(200, 150);
    const cv::Mat texture = FilmTexture(size, 5, 9);
    cv::Mat plate = texture.clone();
    const cv::Rect differs(60, 40, 50, 30);
    plate(differs).setTo(cv::Scalar(0, 0, 0));
    const Image layer1 = ImageOf(texture);
    const Image layer2 = ImageOf(plate);
    const GreyImage white = GreyMaskOf(cv::Mat(size, CV_8U, cv::Scalar(255)));
    CarryOptions options;
    options.limit = true;
    options.limitThreshold = 10;
    options.limitWiden = 4;
    const auto carried =
        CarryMask({&layer1, &white, &layer1, &layer2}, size.width, size.height, options);
    ASSERT_TRUE(carried);
    struct Probe {
        int x, y, value;
    };
    for (const Probe& p : {Probe{80, 50, 255}, Probe{57, 50, 255}, Probe{113, 55, 255},
                           Probe{53, 50, 0}, Probe{80, 34, 0}, Probe{10, 10, 0}})
        EXPECT_EQ(carried->grey(p.x, p.y), p.value) << p.x << "," << p.y;
}

// A picture missing, or no size: nothing carried.
TEST(Carry, NeedsBothLayerOnesAndTheMask) {
    const Image picture = ImageOf(FilmTexture({64, 48}, 4, 1));
    const GreyImage mask = *GreyFromBlue(picture);
    const Image empty;
    const GreyImage emptyMask;
    struct Case {
        const Image* previous;
        const GreyImage* mask;
        const Image* current;
        int width;
    };
    for (const Case& c :
         {Case{nullptr, &mask, &picture, 64}, Case{&picture, &emptyMask, &picture, 64},
          Case{&picture, &mask, &empty, 64}, Case{&picture, &mask, &picture, 0}})
        EXPECT_FALSE(CarryMask({c.previous, c.mask, c.current}, c.width, 48, {}));
}

// Pictures of different sizes: the motion is found at a common size, the mask comes out at the
// size asked for.
TEST(Carry, DifferentSizesGiveTheResultSize) {
    const Image large = ImageOf(FilmTexture({160, 120}, 4, 1));
    const Image small = ImageOf(FilmTexture({100, 90}, 4, 2));
    const GreyImage smallMask = *GreyFromBlue(small);
    const auto carried = CarryMask({&large, &smallMask, &small}, 100, 90, {});
    ASSERT_TRUE(carried);
    EXPECT_EQ(carried->width(), 100);
    EXPECT_EQ(carried->height(), 90);
}

}  // namespace
}  // namespace morvel

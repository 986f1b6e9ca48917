#include "platform/grey_image.h"

#include <gtest/gtest.h>

#include "platform/pixel_buffers.h"

namespace morvel {
namespace {

// A camera-sized mask takes one byte a pixel (rows rounded to four bytes), not three.
TEST(GreyImage, AMaskTakesOneByteAPixel) {
    struct Case {
        int width, height;
        std::size_t stride;
    } const cases[] = {{6000, 4000, 6000}, {6001, 3, 6004}, {1, 1, 4}, {7, 2, 8}};
    for (const Case& c : cases) {
        auto grey = GreyImage::create(c.width, c.height);
        ASSERT_TRUE(grey) << c.width;
        EXPECT_EQ(grey->stride(), c.stride) << c.width;
        EXPECT_EQ(grey->byteCount(), c.stride * static_cast<std::size_t>(c.height)) << c.width;
        EXPECT_EQ(grey->grey(c.width - 1, c.height - 1), 0);
    }
    EXPECT_FALSE(GreyImage::create(Image::kMaxSide + 1, 1));
    EXPECT_FALSE(GreyImage::create(0, 5));
    // Its buffer goes to the pool as a picture's does.
    const std::size_t pooled = PooledPixelBytes();
    { auto grey = GreyImage::create(4000, 3000); }
    EXPECT_EQ(PooledPixelBytes(), pooled + 4000u * 3000u);
    { auto grey = GreyImage::create(4000, 3000); EXPECT_EQ(PooledPixelBytes(), pooled); }
}

// Masks are read by their blue and written as red = green = blue; padding never counts.
TEST(GreyImage, BlueInGreyOutAsThreeEqualComponents) {
    auto picture = Image::create(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) picture->setPixel(x, y, 1, 2, static_cast<std::uint8_t>(x * 50 + y));
    const auto grey = GreyFromBlue(*picture);
    ASSERT_TRUE(grey);
    const auto expanded = ExpandGrey(*grey);
    ASSERT_TRUE(expanded);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const int v = x * 50 + y;
            EXPECT_EQ(grey->grey(x, y), v);
            EXPECT_EQ(expanded->red(x, y), v);
            EXPECT_EQ(expanded->green(x, y), v);
            EXPECT_EQ(expanded->blue(x, y), v);
        }
    GreyImage copy = *grey;
    copy.row(0)[5] = 99;  // padding
    EXPECT_TRUE(copy.samePixels(*grey));
    copy.setGrey(4, 2, 0);
    EXPECT_FALSE(copy.samePixels(*grey));
    GreyImage moved = std::move(copy);
    EXPECT_TRUE(copy.empty());
    EXPECT_EQ(moved.grey(4, 2), 0);
}

}  // namespace
}  // namespace morvel

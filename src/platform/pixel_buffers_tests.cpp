#include "platform/pixel_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <tuple>

#include "platform/image.h"

namespace morvel {
namespace {

TEST(PixelBuffers, LargeBuffersComeBackZeroedAndThePoolKeepsItsBound) {
    std::vector<std::uint8_t> large = TakePixelBuffer(kPooledBufferBytes);
    std::fill(large.begin(), large.end(), 0xFF);
    const std::uint8_t* pixels = large.data();
    ReturnPixelBuffer(std::move(large));
    EXPECT_EQ(PooledPixelBytes(), kPooledBufferBytes);
    const std::vector<std::uint8_t> again = TakePixelBuffer(kPooledBufferBytes);
    EXPECT_EQ(again.data(), pixels);
    EXPECT_TRUE(std::all_of(again.begin(), again.end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(PooledPixelBytes(), 0u);
    // A picture's buffer goes to the pool with it, and the next picture of its size takes it.
    { auto picture = Image::create(2000, 2000); }
    EXPECT_EQ(PooledPixelBytes(), 2000u * 6000u);
    { auto picture = Image::create(2000, 2000); EXPECT_EQ(PooledPixelBytes(), 0u); }
    TakePixelBuffer(2000u * 6000u);
    // Small buffers go back to the allocator; the pool never holds more than its bound.
    ReturnPixelBuffer(TakePixelBuffer(kPooledBufferBytes - 1));
    EXPECT_EQ(PooledPixelBytes(), 0u);
    for (std::size_t k = 0; k <= kPixelPoolBytes / kPooledBufferBytes; ++k)
        ReturnPixelBuffer(std::vector<std::uint8_t>(kPooledBufferBytes));
    EXPECT_LE(PooledPixelBytes(), kPixelPoolBytes);
    // Of larger buffers it keeps fewer: a few of the size it takes in.
    for (int k = 0; k < 5; ++k) ReturnPixelBuffer(std::vector<std::uint8_t>(2000u * 6000u));
    EXPECT_EQ(PooledPixelBytes(), kPooledBuffersOfOneSize * 2000u * 6000u);
    // Of camera pictures, two at 24 megapixels and one at 45.
    for (const auto& [width, height, kept] : {std::tuple{6000, 4000, 2u}, {8256, 5504, 1u}}) {
        const std::size_t bytes = Image::strideFor(width) * static_cast<std::size_t>(height);
        for (int k = 0; k < 3; ++k) ReturnPixelBuffer(std::vector<std::uint8_t>(bytes));
        EXPECT_EQ(PooledPixelBytes(), kept * bytes) << width;
    }
}

TEST(PixelBuffers, ThreadsTakeAndReturnAtOnce) {
    const auto churn = [] {
        for (int k = 0; k < 50; ++k) {
            std::vector<std::uint8_t> buffer = TakePixelBuffer(kPooledBufferBytes + 4096 * (k % 3));
            buffer[0] = 1;
            ReturnPixelBuffer(std::move(buffer));
        }
    };
    std::thread other(churn);
    churn();
    other.join();
    EXPECT_LE(PooledPixelBytes(), kPixelPoolBytes);
}

}  // namespace
}  // namespace morvel

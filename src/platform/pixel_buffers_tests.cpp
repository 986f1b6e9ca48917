#include "platform/pixel_buffers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <utility>

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
    // Of camera pictures, one at 24 megapixels and none at 45; three of a 24-megapixel mask.
    const std::size_t picture24 = Image::strideFor(6000) * 4000u;
    const std::size_t picture45 = Image::strideFor(8256) * 5504u;
    for (const auto& [bytes, kept] :
         {std::pair{picture24, 1u}, {picture45, 0u}, {std::size_t{6000} * 4000u, 3u}}) {
        for (int k = 0; k < 4; ++k) ReturnPixelBuffer(std::vector<std::uint8_t>(bytes));
        EXPECT_EQ(PooledPixelBytes(), kept * bytes) << bytes;
        for (unsigned k = 0; k < kept; ++k) TakePixelBuffer(bytes);
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

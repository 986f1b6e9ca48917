#include "sequence/blend.h"

#include <gtest/gtest.h>

#include <vector>

namespace morvel {
namespace {

TEST(Blend, RoundingKeepsBothEndsAndIsNotADivisionBy255) {
    EXPECT_EQ(MixComponents(200, 0, 255), 200);
    EXPECT_EQ(MixComponents(100, 0, 255), 99);
    EXPECT_EQ(MixComponents(0, 200, 0), 200);
    EXPECT_EQ(MixComponents(0, 100, 0), 99);
    EXPECT_EQ(MixComponents(200, 100, 128), 150);
    EXPECT_EQ(MixComponents(0, 0, 0), 0);
    EXPECT_EQ(MixComponents(255, 255, 255), 255);
    EXPECT_EQ(MixComponents(255, 0, 127), 126);  // s = 255 * 127 gives v - 1 below 128
    EXPECT_EQ(MixComponents(255, 0, 128), 128);
}

// The vectorised rows must give exactly the formula for every component and mask value, at
// every position of a row (the chunk and vector edges included).
TEST(Blend, RowsMatchTheFormulaForEveryValue) {
    const int pixels = 256 * 3 + 5;  // not a multiple of the chunk or any vector width
    std::vector<std::uint8_t> a(pixels * 3), b(pixels * 3), mask(pixels), out(pixels * 3);
    for (int m = 0; m < 256; ++m) {
        for (int i = 0; i < pixels * 3; ++i) {
            a[i] = static_cast<std::uint8_t>(i * 7 + m);
            b[i] = static_cast<std::uint8_t>(i * 13 + 3 * m);
        }
        for (int x = 0; x < pixels; ++x) mask[x] = static_cast<std::uint8_t>(m + x);
        BlendTwoLayersRow(a.data(), b.data(), mask.data(), out.data(), pixels);
        for (int i = 0; i < pixels * 3; ++i) {
            ASSERT_EQ(out[i], MixComponents(a[i], b[i], mask[i / 3]))
                << "m " << m << " i " << i;
        }
        BlendOneLayerRow(a.data(), mask.data(), out.data(), pixels);
        for (int i = 0; i < pixels * 3; ++i) {
            ASSERT_EQ(out[i], MixComponents(a[i], 0, mask[i / 3]))
                << "m " << m << " i " << i;
        }
    }
}

}  // namespace
}  // namespace morvel

#include "codecs/png_unfilter.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace morvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The format's rules as written: each byte plus the predictor from its left (a), up (b) and
// up-left (c) bytes, with p = a + b - c for Paeth.
void unfilterByTheRules(int filter, std::uint8_t* row, const std::uint8_t* prev, int rowBytes,
                        int bpp) {
    for (int i = 0; i < rowBytes; ++i) {
        const int a = i >= bpp ? row[i - bpp] : 0;
        const int b = prev[i];
        const int c = i >= bpp ? prev[i - bpp] : 0;
        const int pa = std::abs(b - c);
        const int pb = std::abs(a - c);
        const int pc = std::abs(a + b - 2 * c);
        const int predictor[] = {0, a, b, (a + b) / 2, pa <= pb && pa <= pc ? a : pb <= pc ? b : c};
        row[i] = std::uint8_t(row[i] + predictor[filter]);
    }
}

TEST(PngUnfilter, RowsAloneAndInPairsFollowTheRules) {
    std::uint32_t state = 99;
    auto randomByte = [&] {
        state = state * 1103515245 + 12345;
        // Extremes often: ties and wrap-arounds are where vector code goes wrong.
        const std::uint8_t extremes[] = {0, 1, 127, 128, 254, 255};
        return (state >> 28) < 6 ? extremes[state >> 28] : std::uint8_t(state >> 16);
    };
    for (int bpp : {3, 4}) {
        for (int pixels : {1, 2, 3, 7, 40}) {
            const int rowBytes = pixels * bpp;
            for (int first = 0; first < 5; ++first) {
                for (int second = 0; second < 5; ++second) {
                    SCOPED_TRACE(std::to_string(bpp) + " " + std::to_string(pixels) + " " +
                                 std::to_string(first) + std::to_string(second));
                    // previous row, first row, second row, each with the byte after it
                    Bytes rows(3 * (rowBytes + 1));
                    for (std::uint8_t& byte : rows) byte = randomByte();
                    std::uint8_t* prev = rows.data();
                    std::uint8_t* row = prev + rowBytes + 1;
                    std::uint8_t* next = row + rowBytes + 1;
                    Bytes expected = rows;
                    unfilterByTheRules(first, &expected[rowBytes + 1], expected.data(), rowBytes,
                                       bpp);
                    unfilterByTheRules(second, &expected[2 * (rowBytes + 1)],
                                       &expected[rowBytes + 1], rowBytes, bpp);
                    if (!UnfilterPngRowPair(first, row, second, next, prev, rowBytes, bpp)) {
                        ASSERT_TRUE(UnfilterPngRow(first, row, prev, rowBytes, bpp));
                        ASSERT_TRUE(UnfilterPngRow(second, next, row, rowBytes, bpp));
                    }
                    EXPECT_EQ(rows, expected);
                }
            }
        }
    }
}

}  // namespace
}  // namespace morvel

#include "codecs/bmp_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "codecs/little_endian.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::kBlack;
using testing::kBlue;
using testing::kGreen;
using testing::kRed;
using testing::kWhite;
using testing::MakePicture;
using testing::PatternPicture;
using testing::Rgb;
using testing::SamePicture;

// A picture that uses exactly `colours` different colours.
Image paletted(int width, int height, int colours) {
    Image image = *Image::create(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int k = (x * 7 + y * 3) % colours;
            image.setPixel(x, y, static_cast<std::uint8_t>(k * 6),
                           static_cast<std::uint8_t>(255 - k * 5),
                           static_cast<std::uint8_t>((k * 97) & 0xFF));
        }
    return image;
}

// A bitmap file put together field by field, so that tests can make valid and broken files.
struct BmpFile {
    std::uint32_t headerSize = 40;
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    std::vector<std::uint32_t> masks;  // behind a 40-byte header, inside longer ones
    std::vector<Rgb> palette;
    Bytes pixels;
    std::optional<std::uint32_t> pixelOffset;  // default: right behind the colour table

    Bytes bytes() const {
        Bytes out(14 + headerSize, 0);
        out[0] = 'B';
        out[1] = 'M';
        std::uint8_t* info = out.data() + 14;
        writeLe32(info, headerSize);
        if (headerSize == 12) {
            writeLe16(info + 4, static_cast<std::uint16_t>(width));
            writeLe16(info + 6, static_cast<std::uint16_t>(height));
            writeLe16(info + 8, 1);
            writeLe16(info + 10, bitCount);
        } else {
            writeLe32(info + 4, static_cast<std::uint32_t>(width));
            writeLe32(info + 8, static_cast<std::uint32_t>(height));
            writeLe16(info + 12, 1);
            writeLe16(info + 14, bitCount);
            writeLe32(info + 16, compression);
            writeLe32(info + 20, static_cast<std::uint32_t>(pixels.size()));
            writeLe32(info + 32, colorsUsed);
        }
        for (std::size_t i = 0; i < masks.size(); ++i) {
            if (headerSize > 40) {
                writeLe32(out.data() + 14 + 40 + i * 4, masks[i]);
            } else {
                std::uint8_t word[4];
                writeLe32(word, masks[i]);
                out.insert(out.end(), word, word + 4);
            }
        }
        for (const Rgb& c : palette) {
            out.insert(out.end(), {c.b, c.g, c.r});
            if (headerSize != 12) out.push_back(0);
        }
        writeLe32(out.data() + 10, pixelOffset.value_or(static_cast<std::uint32_t>(out.size())));
        out.insert(out.end(), pixels.begin(), pixels.end());
        writeLe32(out.data() + 2, static_cast<std::uint32_t>(out.size()));
        return out;
    }
};

LoadResult decode(const Bytes& bytes, Image& out) {
    return DecodeBmp(bytes, out);
}

// ---------------------------------------------------------------------------------------------
// Writer

TEST(BmpWriter, WritesTheExactBytesOfATwoByTwoPicture) {
    const Image image = MakePicture(2, 2, {kRed, kGreen, kBlue, kWhite});
    const Bytes expected = {
        'B', 'M', 70,  0,   0,   0,          // file size 54 + 2 rows of 8 bytes
        0,   0,   0,   0,                    // reserved
        54,  0,   0,   0,                    // pixel offset
        40,  0,   0,   0,                    // info header size
        2,   0,   0,   0,   2,   0,   0, 0,  // width, height (positive: bottom-up)
        1,   0,   24,  0,                    // planes, bits per pixel
        0,   0,   0,   0,                    // uncompressed
        16,  0,   0,   0,                    // image size
        0,   0,   0,   0,   0,   0,   0, 0,  // resolution
        0,   0,   0,   0,   0,   0,   0, 0,  // colours used, important colours
        255, 0,   0,   255, 255, 255, 0, 0,  // bottom row: blue, white (BGR) and 2 padding bytes
        0,   0,   255, 0,   255, 0,   0, 0,  // top row: red, green
    };
    EXPECT_EQ(EncodeBmp(image), expected);
}

TEST(BmpWriter, WritesTheExactBytesOfAThreeByOnePicture) {
    const Image image = MakePicture(3, 1, {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}});
    const Bytes expected = {
        'B', 'M', 66, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,  //
        40,  0,   0,  0, 3, 0, 0, 0, 1, 0, 0,  0, 1, 0, 24, 0, 0, 0, 0, 0,
        12,  0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0, 0, 0,  //
        3,   2,   1,  6, 5, 4, 9, 8, 7, 0, 0,  0,
    };
    EXPECT_EQ(EncodeBmp(image), expected);
}

TEST(BmpWriter, PadsEveryRowToFourBytesAndFillsTheSizeFields) {
    for (int width = 1; width <= 8; ++width) {
        for (int height = 1; height <= 3; ++height) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            const Bytes bytes = EncodeBmp(PatternPicture(width, height));
            const std::uint32_t rowBytes = 3 * width + width % 4;
            ASSERT_EQ(bytes.size(), 54 + rowBytes * height);
            EXPECT_EQ(readLe32(&bytes[2]), bytes.size());
            EXPECT_EQ(readLe32(&bytes[10]), 54u);
            EXPECT_EQ(readLe32(&bytes[34]), rowBytes * height);
            // Padding bytes are zero.
            for (int row = 0; row < height; ++row)
                for (std::uint32_t i = 3 * width; i < rowBytes; ++i)
                    EXPECT_EQ(bytes[54 + row * rowBytes + i], 0);
        }
    }
}

TEST(BmpWriter, GivesNoBytesForAnEmptyPicture) {
    EXPECT_TRUE(EncodeBmp(Image()).empty());
}

TEST(BmpRoundTrip, ReadsBackWhatItWroteForEveryRowPadding) {
    for (int width = 1; width <= 7; ++width) {
        for (int height : {1, 2, 5}) {
            SCOPED_TRACE(std::to_string(width) + "x" + std::to_string(height));
            const Image original = PatternPicture(width, height);
            Image decoded;
            ASSERT_EQ(DecodeBmp(EncodeBmp(original), decoded), LoadResult::Ok);
            EXPECT_TRUE(SamePicture(decoded, original));
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Reader, hand-made files

TEST(BmpReader, TellsBottomUpFromTopDownRows) {
    BmpFile file;
    file.width = 2;
    file.height = 2;
    file.pixels = {255, 0, 0,   255, 255, 255, 0, 0,   // first stored row: blue, white
                   0,   0, 255, 0,   255, 0,   0, 0};  // second stored row: red, green
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kRed, kGreen, kBlue, kWhite})));

    file.height = -2;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kBlue, kWhite, kRed, kGreen})));
}

TEST(BmpReader, AcceptsALastRowWithoutItsPadding) {
    BmpFile file;
    file.width = 1;
    file.height = 2;
    file.pixels = {0, 0, 255, 0, 0, 255, 0};  // red, its padding, then green without padding
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(1, 2, {kGreen, kRed})));
}

TEST(BmpReader, ReadsOneBitPixelsAcrossByteBorders) {
    BmpFile file;
    file.width = 10;
    file.bitCount = 1;
    file.palette = {kBlue, kWhite};
    file.pixels = {0b10110000, 0b01000000, 0, 0};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(10, 1,
                                               {kWhite, kBlue, kWhite, kWhite, kBlue, kBlue, kBlue,
                                                kBlue, kBlue, kWhite})));
}

TEST(BmpReader, ReadsFourBitPixelsHighNibbleFirst) {
    BmpFile file;
    file.width = 3;
    file.bitCount = 4;
    file.colorsUsed = 4;
    file.palette = {kBlack, kRed, kGreen, kBlue};
    file.pixels = {0x12, 0x30, 0, 0};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(3, 1, {kRed, kGreen, kBlue})));
}

TEST(BmpReader, TakesThePaletteSizeFromColorsUsedAndShowsUnlistedIndicesBlack) {
    BmpFile file;
    file.width = 4;
    file.bitCount = 8;
    file.colorsUsed = 3;
    file.palette = {kRed, kGreen, kBlue};
    file.pixels = {2, 1, 0, 200};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(4, 1, {kBlue, kGreen, kRed, kBlack})));

    // Zero means the full table for the depth: 256 entries for 8 bits.
    file.colorsUsed = 0;
    file.palette.assign(256, kBlack);
    file.palette[200] = kWhite;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_EQ(image.red(3, 0), 255);
    EXPECT_EQ(image.blue(3, 0), 255);
}

TEST(BmpReader, ReadsSixteenBitsAsFiveFiveFiveByDefault) {
    BmpFile file;
    file.width = 4;
    file.bitCount = 16;
    file.pixels = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0x10, 0x42};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    // A full field gives 255; 16 of 31 gives 132.
    EXPECT_TRUE(SamePicture(image, MakePicture(4, 1, {kRed, kGreen, kBlue, {132, 132, 132}})));
}

TEST(BmpReader, ReadsSixteenBitsWithFiveSixFiveMasks) {
    BmpFile file;
    file.width = 4;
    file.bitCount = 16;
    file.compression = 3;
    file.masks = {0xF800, 0x07E0, 0x001F};
    file.pixels = {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0x20, 0x00};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(4, 1, {kRed, kGreen, kBlue, {0, 4, 0}})));

    // The same masks inside a longer header.
    for (std::uint32_t headerSize : {52u, 56u, 108u, 124u}) {
        file.headerSize = headerSize;
        ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok) << headerSize;
        EXPECT_TRUE(SamePicture(image, MakePicture(4, 1, {kRed, kGreen, kBlue, {0, 4, 0}})))
            << headerSize;
    }
}

TEST(BmpReader, DropsTheFourthByteOfThirtyTwoBitPixels) {
    BmpFile file;
    file.width = 2;
    file.bitCount = 32;
    file.pixels = {3, 2, 1, 0x55, 30, 20, 10, 0xAA};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 1, {{1, 2, 3}, {10, 20, 30}})));
}

TEST(BmpReader, ReadsThirtyTwoBitFieldsInAnyOrder) {
    BmpFile file;
    file.width = 2;
    file.bitCount = 32;
    file.compression = 3;
    file.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};  // red in the first byte
    file.pixels = {1, 2, 3, 0xFF, 10, 20, 30, 0xFF};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 1, {{1, 2, 3}, {10, 20, 30}})));

    // Ten-bit fields keep their top eight bits.
    file.masks = {0x3FF00000, 0x000FFC00, 0x000003FF};
    file.pixels = {0xFF, 0x03, 0, 0, 0, 0, 0xF0, 0x3F};
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 1, {kBlue, kRed})));
}

TEST(BmpReader, AcceptsEveryInfoHeaderSize) {
    for (std::uint32_t headerSize : {40u, 52u, 56u, 108u, 124u}) {
        BmpFile file;
        file.headerSize = headerSize;
        file.width = 2;
        file.pixels = {0, 0, 255, 255, 0, 0, 0, 0};
        Image image;
        ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok) << headerSize;
        EXPECT_TRUE(SamePicture(image, MakePicture(2, 1, {kRed, kBlue}))) << headerSize;
    }
}

TEST(BmpReader, ReadsTheOldCoreHeaderWithThreeBytePaletteEntries) {
    BmpFile file;
    file.headerSize = 12;
    file.width = 2;
    file.height = 2;
    file.bitCount = 4;
    file.palette.assign(16, kBlack);
    file.palette[1] = kRed;
    file.palette[15] = kWhite;
    file.pixels = {0x1F, 0, 0, 0, 0xF1, 0, 0, 0};
    Image image;
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kWhite, kRed, kRed, kWhite})));

    file.bitCount = 24;
    file.palette.clear();
    file.pixels = {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0};
    ASSERT_EQ(decode(file.bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kGreen, kWhite, kRed, kBlue})));
}

BmpFile rleFile(std::uint16_t bitCount, int width, int height, Bytes data) {
    BmpFile file;
    file.width = width;
    file.height = height;
    file.bitCount = bitCount;
    file.compression = bitCount == 8 ? 1 : 2;
    file.colorsUsed = 5;
    file.palette = {kBlack, kRed, kGreen, kBlue, kWhite};
    file.pixels = std::move(data);
    return file;
}

// Rows from the bottom: two red by a run, three by an absolute run (padded to a word), end of
// line; one white, a delta two right and one up, two blue, end of bitmap.
const Bytes kRle8Escapes = {0x02, 0x01, 0x00, 0x03, 0x02, 0x03, 0x04, 0x00, 0x00, 0x00,
                            0x01, 0x04, 0x00, 0x02, 0x02, 0x01, 0x02, 0x03, 0x00, 0x01};

TEST(BmpReader, DecodesRle8RunsAndEscapes) {
    Image image;
    ASSERT_EQ(decode(rleFile(8, 5, 3, kRle8Escapes).bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(5, 3,
                                               {kBlack, kBlack, kBlack, kBlue, kBlue,    //
                                                kWhite, kBlack, kBlack, kBlack, kBlack,  //
                                                kRed, kRed, kGreen, kBlue, kWhite})));
}

TEST(BmpReader, DecodesRle4RunsAndEscapes) {
    // Bottom row: a run of alternating nibbles 1 2, an absolute run of three; end of line.
    // Top row: an absolute run of five (three bytes, padded to four), a run of 3 0; end.
    const Bytes data = {0x04, 0x12, 0x00, 0x03, 0x32, 0x10, 0x00, 0x00, 0x00,
                        0x05, 0x12, 0x31, 0x2F, 0x00, 0x02, 0x30, 0x00, 0x01};
    Image image;
    ASSERT_EQ(decode(rleFile(4, 7, 2, data).bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(
        SamePicture(image, MakePicture(7, 2,
                                       {kRed, kGreen, kBlue, kRed, kGreen, kBlue, kBlack,  //
                                        kRed, kGreen, kRed, kGreen, kBlue, kGreen, kRed})));
}

TEST(BmpReader, LeavesPixelsAfterAnEarlyEndOfBitmapBlack) {
    Image image;
    ASSERT_EQ(decode(rleFile(8, 2, 2, {0x02, 0x01, 0x00, 0x01}).bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kBlack, kBlack, kRed, kRed})));
}

TEST(BmpReader, AcceptsRleDataEndingAfterItsLastLineWithoutEndOfBitmap) {
    Image image;
    const Bytes data = {0x01, 0x01, 0x00, 0x00, 0x01, 0x02, 0x00, 0x00};
    ASSERT_EQ(decode(rleFile(8, 1, 2, data).bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(1, 2, {kGreen, kRed})));
}

TEST(BmpReader, CutsRunsAtTheRightEdge) {
    // Bottom row: two red, three green of which one fits, three blue by an absolute run that no
    // longer fits; end of line. Top row: a delta past the edge, a run there; end of line, which
    // completes the picture: the run behind it is ignored.
    const Bytes data = {0x02, 0x01, 0x03, 0x02, 0x00, 0x03, 0x03, 0x03, 0x03, 0x00, 0x00,
                        0x00, 0x00, 0x02, 0x05, 0x00, 0x01, 0x04, 0x00, 0x00, 0x05, 0x01};
    Image image;
    ASSERT_EQ(decode(rleFile(8, 3, 2, data).bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(
        SamePicture(image, MakePicture(3, 2, {kBlack, kBlack, kBlack, kRed, kRed, kGreen})));

    // Six nibbles in a row of five.
    const Bytes nibbles = {0x00, 0x06, 0x12, 0x12, 0x12, 0x00, 0x00, 0x01};
    ASSERT_EQ(decode(rleFile(4, 5, 1, nibbles).bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(5, 1, {kRed, kGreen, kRed, kGreen, kRed})));
}

TEST(BmpReader, StopsAtADeltaAboveThePicture) {
    const Bytes data = {0x02, 0x01, 0x00, 0x02, 0x00, 0x05, 0x01, 0x01};
    Image image;
    ASSERT_EQ(decode(rleFile(8, 2, 2, data).bytes(), image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kBlack, kBlack, kRed, kRed})));
}

// ---------------------------------------------------------------------------------------------
// Reader, files made by ImageMagick, compared with the picture they were made from

class BmpFromImageMagick : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    }

    // Converts `source` with convert and the given options into `target` (which may carry a
    // format prefix such as BMP3:), then returns the file's bytes.
    Bytes convert(const Image& source, const std::vector<std::string>& options,
                  const std::string& target) {
        const std::string input = m_folder.write("source.ppm", testing::EncodePpm(source));
        std::vector<std::string> args = {input};
        args.insert(args.end(), options.begin(), options.end());
        args.push_back(target.find(':') == std::string::npos
                           ? m_folder.file(target)
                           : target.substr(0, target.find(':') + 1) +
                                 m_folder.file(target.substr(target.find(':') + 1)));
        if (!testing::RunConvert(args)) return {};
        return ReadFileBytes(m_folder.file(target.substr(target.find(':') + 1))).value_or(Bytes{});
    }

    // ImageMagick's own reading of a file, for variants that lose precision.
    std::optional<Image> readByImageMagick(const Bytes& bytes) {
        const std::string input = m_folder.write("check.bmp", bytes);
        if (!testing::RunConvert({input, "-depth", "8", m_folder.file("check.ppm")}))
            return std::nullopt;
        const auto ppm = ReadFileBytes(m_folder.file("check.ppm"));
        if (!ppm) return std::nullopt;
        return testing::DecodePpm(*ppm);
    }

    static std::uint16_t bitCountOf(const Bytes& bmp) {
        return bmp.size() >= 30 ? readLe16(&bmp[28]) : 0;
    }
    static std::uint32_t compressionOf(const Bytes& bmp) {
        return bmp.size() >= 34 ? readLe32(&bmp[30]) : 99;
    }

    testing::TempFolder m_folder;
};

TEST_F(BmpFromImageMagick, PaletteFilesOfOneFourAndEightBits) {
    struct Case {
        int colours;
        std::uint16_t bitCount;
    };
    for (const Case& c : {Case{2, 1}, Case{16, 4}, Case{40, 8}}) {
        SCOPED_TRACE(c.colours);
        const Image original = paletted(13, 5, c.colours);
        const Bytes bmp =
            convert(original, {"-type", "Palette", "-compress", "None"}, "BMP3:palette.bmp");
        ASSERT_EQ(bitCountOf(bmp), c.bitCount);
        ASSERT_EQ(compressionOf(bmp), 0u);
        Image image;
        ASSERT_EQ(DecodeBmp(bmp, image), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(image, original));
    }
}

TEST_F(BmpFromImageMagick, Rle8File) {
    const Image original = paletted(37, 9, 40);
    const Bytes bmp = convert(original, {"-type", "Palette", "-compress", "RLE"}, "BMP3:rle.bmp");
    ASSERT_EQ(compressionOf(bmp), 1u);
    Image image;
    ASSERT_EQ(DecodeBmp(bmp, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, original));
}

TEST_F(BmpFromImageMagick, SixteenBitFiles) {
    const Image original = PatternPicture(7, 4);
    for (const std::string subtype : {"RGB565", "RGB555"}) {
        {
            // Only the long header: ImageMagick's BMP3 files of this kind lack their masks.
            SCOPED_TRACE(subtype);
            const Bytes bmp =
                convert(original, {"-define", "bmp:subtype=" + subtype}, "sixteen.bmp");
            ASSERT_EQ(bitCountOf(bmp), 16);
            const std::optional<Image> expected = readByImageMagick(bmp);
            ASSERT_TRUE(expected);
            Image image;
            ASSERT_EQ(DecodeBmp(bmp, image), LoadResult::Ok);
            EXPECT_TRUE(SamePicture(image, *expected));
        }
    }
}

TEST_F(BmpFromImageMagick, ThirtyTwoBitFiles) {
    const Image original = PatternPicture(5, 3);
    const Bytes plain =
        convert(original, {"-alpha", "on", "-define", "bmp3:alpha=true"}, "BMP3:rgb32.bmp");
    const Bytes fields = convert(original, {"-alpha", "on"}, "BMP:fields32.bmp");
    ASSERT_EQ(bitCountOf(plain), 32);
    ASSERT_EQ(compressionOf(plain), 0u);
    ASSERT_EQ(bitCountOf(fields), 32);
    ASSERT_EQ(compressionOf(fields), 3u);
    for (const Bytes* bmp : {&plain, &fields}) {
        Image image;
        ASSERT_EQ(DecodeBmp(*bmp, image), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(image, original));
    }
}

TEST_F(BmpFromImageMagick, TwentyFourBitFilesWithLongAndCoreHeaders) {
    const Image original = PatternPicture(6, 3);
    for (const std::string target : {"BMP:v5.bmp", "BMP2:core.bmp"}) {
        SCOPED_TRACE(target);
        const Bytes bmp = convert(original, {}, target);
        ASSERT_GT(bmp.size(), 18u);
        Image image;
        ASSERT_EQ(DecodeBmp(bmp, image), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(image, original));
    }
}

TEST_F(BmpFromImageMagick, ReadsWhatOurWriterWrites) {
    const Image original = PatternPicture(7, 3);
    const std::optional<Image> read = readByImageMagick(EncodeBmp(original));
    ASSERT_TRUE(read);
    EXPECT_TRUE(SamePicture(*read, original));
}

// ---------------------------------------------------------------------------------------------
// Bad input: each case gives its result, leaves the output alone and does not crash.

class BmpBadInput : public ::testing::Test {
protected:
    LoadResult decodeKeeping(const Bytes& bytes) {
        Image out = *Image::create(1, 1);
        out.setPixel(0, 0, 1, 2, 3);
        const LoadResult result = DecodeBmp(bytes, out);
        if (result != LoadResult::Ok) {
            EXPECT_EQ(out.width(), 1);
            EXPECT_EQ(out.red(0, 0), 1);
        }
        return result;
    }

    static BmpFile valid() {
        BmpFile file;
        file.width = 4;
        file.height = 2;
        file.pixels.assign(24, 0x80);
        return file;
    }
};

TEST_F(BmpBadInput, OtherSignaturesAreNotThisFormat) {
    EXPECT_EQ(decodeKeeping({}), LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping({'B'}), LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping({'M', 'B', 0, 0}), LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping({0x89, 'P', 'N', 'G', 13, 10, 26, 10}), LoadResult::NotThisFormat);
}

TEST_F(BmpBadInput, EveryTruncationIsDamaged) {
    const BmpFile palette = [] {
        BmpFile file;
        file.width = 4;
        file.height = 2;
        file.bitCount = 8;
        file.palette.assign(256, kRed);
        file.pixels.assign(8, 1);
        return file;
    }();
    for (const Bytes& whole :
         {valid().bytes(), palette.bytes(), rleFile(8, 5, 3, kRle8Escapes).bytes()}) {
        ASSERT_EQ(decodeKeeping(whole), LoadResult::Ok);
        for (std::size_t length = 2; length < whole.size(); ++length)
            EXPECT_EQ(decodeKeeping(Bytes(whole.begin(), whole.begin() + length)),
                      LoadResult::Damaged)
                << length << " of " << whole.size();
    }
}

TEST_F(BmpBadInput, ZeroOrNegativeSizesAreDamaged) {
    for (auto [width, height] : {std::pair{0, 2}, {4, 0}, {-4, 2}, {-4, -2}, {INT_MIN, 2}}) {
        BmpFile file = valid();
        file.width = width;
        file.height = height;
        EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Damaged) << width << "x" << height;
    }
}

TEST_F(BmpBadInput, HugeSizesAreTooLargeWithoutOverflow) {
    for (auto [width, height] : {std::pair{100000, 100000},
                                 {65536, 1},
                                 {1, -65536},
                                 {65535, 65535},
                                 {INT_MAX, INT_MAX},
                                 {1, INT_MIN}}) {
        BmpFile file = valid();
        file.width = width;
        file.height = height;
        file.bitCount = 32;
        EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::TooLarge) << width << "x" << height;
    }
}

TEST_F(BmpBadInput, AnnouncedPixelsMissingFromATinyFileAreDamagedBeforeAllocating) {
    // 16000 x 16000 is an acceptable size (768 MB of pixels), but the data is not there.
    BmpFile file = valid();
    file.width = 16000;
    file.height = 16000;
    EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Damaged);
    EXPECT_EQ(decodeKeeping(rleFile(8, 16000, 16000, {0x00, 0x01}).bytes()), LoadResult::Damaged);
    EXPECT_EQ(decodeKeeping(rleFile(4, 16000, 16000, {0x00, 0x02, 0xFF, 0xFF, 0x00, 0x01}).bytes()),
              LoadResult::Damaged);
}

TEST_F(BmpBadInput, PixelOffsetsOutsideTheDataAreDamaged) {
    BmpFile file = valid();
    file.pixelOffset = 1000;
    EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Damaged);
    file.pixelOffset = 0xFFFFFFFF;
    EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Damaged);
    file.pixelOffset = 20;  // inside the info header
    EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Damaged);
    file.pixelOffset = 60;  // leaves too few bytes for the rows
    EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Damaged);
}

TEST_F(BmpBadInput, ColourTablesAndMasksPastTheEndAreDamaged) {
    BmpFile file;
    file.bitCount = 8;
    file.colorsUsed = 200;
    file.palette = {kRed};
    file.pixels = {0, 0, 0, 0};
    EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Damaged);

    BmpFile fields;
    fields.bitCount = 16;
    fields.compression = 3;
    EXPECT_EQ(decodeKeeping(fields.bytes()),
              LoadResult::Damaged);  // the file ends before the masks
    // Masks announced but left out, the pixels starting where they should be: we cannot tell
    // 5-6-5 from 5-5-5 (ImageMagick writes such BMP3 files).
    fields.width = 8;
    fields.height = 2;
    fields.pixels.assign(32, 0xF8);
    EXPECT_EQ(decodeKeeping(fields.bytes()), LoadResult::Damaged);
}

TEST_F(BmpBadInput, UnknownHeadersDepthsAndCompressionsAreUnsupported) {
    for (std::uint32_t headerSize : {16u, 20u, 64u, 200u, 0xFFFFFFF0u}) {
        Bytes bytes = valid().bytes();
        writeLe32(&bytes[14], headerSize);
        EXPECT_EQ(decodeKeeping(bytes), LoadResult::Unsupported) << headerSize;
    }
    for (std::uint16_t bitCount : {0, 2, 7, 48, 64}) {
        BmpFile file = valid();
        file.bitCount = bitCount;
        EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Unsupported) << bitCount;
    }
    for (std::uint32_t compression : {4u, 5u, 11u, 0x12345u}) {
        BmpFile file = valid();
        file.compression = compression;
        EXPECT_EQ(decodeKeeping(file.bytes()), LoadResult::Unsupported) << compression;
    }
    BmpFile fields = valid();
    fields.bitCount = 8;
    fields.compression = 3;
    fields.masks = {0xE0, 0x1C, 0x03};
    EXPECT_EQ(decodeKeeping(fields.bytes()), LoadResult::Unsupported);
    BmpFile core = valid();
    core.headerSize = 12;
    core.bitCount = 16;
    EXPECT_EQ(decodeKeeping(core.bytes()), LoadResult::Unsupported);
}

TEST_F(BmpBadInput, RunLengthHeadersThatContradictThemselvesAreDamaged) {
    BmpFile topDown = rleFile(8, 5, 3, kRle8Escapes);
    topDown.height = -3;
    EXPECT_EQ(decodeKeeping(topDown.bytes()), LoadResult::Damaged);
    BmpFile wrongDepth = rleFile(8, 5, 3, kRle8Escapes);
    wrongDepth.bitCount = 24;
    EXPECT_EQ(decodeKeeping(wrongDepth.bytes()), LoadResult::Damaged);
}

TEST_F(BmpBadInput, RunLengthDataEndingBeforeThePictureIsCompleteIsDamaged) {
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"no end of bitmap", {0x05, 0x01, 0x00, 0x00}},
        {"cut delta", {0x05, 0x01, 0x00, 0x02, 0x01}},
        {"absolute run past the data", {0x00, 0x04, 0x01, 0x01}},
        {"odd last byte", {0x05, 0x01, 0x00, 0x00, 0x05}},
    };
    for (const auto& [name, data] : cases) {
        EXPECT_EQ(decodeKeeping(rleFile(8, 5, 2, data).bytes()), LoadResult::Damaged) << name;
    }
    // An absolute RLE4 run of five pixels takes four bytes, not three.
    EXPECT_EQ(decodeKeeping(rleFile(4, 5, 1, {0x00, 0x05, 0x12, 0x12, 0x12}).bytes()),
              LoadResult::Damaged);
}

}  // namespace
}  // namespace morvel

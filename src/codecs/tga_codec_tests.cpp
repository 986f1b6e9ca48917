#include "codecs/tga_codec.h"

#include <gtest/gtest.h>

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

// A Targa file put together field by field.
struct TgaFile {
    std::uint8_t imageType = 2;
    std::uint16_t width = 1;
    std::uint16_t height = 1;
    std::uint8_t depth = 24;
    std::uint8_t descriptor = 0;
    std::string id;
    std::uint8_t mapType = 0;
    std::uint16_t mapLength = 0;
    std::uint8_t mapEntryBits = 0;
    Bytes data;  // pixels or packets

    Bytes bytes() const {
        Bytes out(18, 0);
        out[0] = static_cast<std::uint8_t>(id.size());
        out[1] = mapType;
        out[2] = imageType;
        writeLe16(&out[5], mapLength);
        out[7] = mapEntryBits;
        writeLe16(&out[12], width);
        writeLe16(&out[14], height);
        out[16] = depth;
        out[17] = descriptor;
        for (char c : id) out.push_back(static_cast<std::uint8_t>(c));
        out.resize(out.size() + static_cast<std::size_t>(mapLength) * ((mapEntryBits + 7) / 8),
                   0xEE);
        for (std::uint8_t b : data) out.push_back(b);
        return out;
    }
};

// Two by two, stored bottom row first: blue, white; then red, green.
TgaFile twoByTwo() {
    TgaFile file;
    file.width = 2;
    file.height = 2;
    file.data = {255, 0, 0, 255, 255, 255, 0, 0, 255, 0, 255, 0};
    return file;
}

LoadResult decode(const TgaFile& file, Image& out) {
    return DecodeTga(file.bytes(), out);
}

// ---------------------------------------------------------------------------------------------
// Hand-made files

TEST(TgaReader, StoresRowsBottomUpUnlessTheTopOriginBitIsSet) {
    TgaFile file = twoByTwo();
    Image image;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kRed, kGreen, kBlue, kWhite})));

    file.descriptor = 0x20;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kBlue, kWhite, kRed, kGreen})));
}

TEST(TgaReader, HonoursTheRightToLeftBit) {
    TgaFile file = twoByTwo();
    file.descriptor = 0x10;
    Image image;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kGreen, kRed, kWhite, kBlue})));

    file.descriptor = 0x30;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kWhite, kBlue, kGreen, kRed})));
}

TEST(TgaReader, DropsTheFourthByteOfThirtyTwoBitPixels) {
    TgaFile file;
    file.width = 2;
    file.depth = 32;
    file.descriptor = 8;  // eight attribute bits
    file.data = {3, 2, 1, 0x00, 30, 20, 10, 0xFF};
    Image image;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 1, {{1, 2, 3}, {10, 20, 30}})));
}

TEST(TgaReader, ShiftsSixteenBitFieldsLeftByThree) {
    TgaFile file;
    file.width = 5;
    file.depth = 16;
    // red, green, blue fields full; the unused top bit set; 16 in every field.
    file.data = {0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0xFF, 0x10, 0x42};
    const Image expected = MakePicture(
        5, 1, {{248, 0, 0}, {0, 248, 0}, {0, 0, 248}, {248, 248, 248}, {128, 128, 128}});
    Image image;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, expected));

    file.depth = 15;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, expected));
}

TEST(TgaReader, SkipsTheIdentificationFieldAndAColourMap) {
    TgaFile file = twoByTwo();
    file.id = "take 12";
    file.mapType = 1;
    file.mapLength = 3;
    file.mapEntryBits = 24;
    Image image;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(2, 2, {kRed, kGreen, kBlue, kWhite})));
}

TEST(TgaReader, DecodesRunAndRawPacketsAcrossRows) {
    TgaFile file;
    file.imageType = 10;
    file.width = 3;
    file.height = 2;
    // A run of four red (the bottom row and one pixel of the top row), then two raw pixels.
    file.data = {0x83, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0};
    Image image;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, MakePicture(3, 2, {kRed, kGreen, kBlue, kRed, kRed, kRed})));

    // The same with 16-bit pixels and a top origin.
    file.depth = 16;
    file.descriptor = 0x20;
    file.data = {0x83, 0x00, 0x7C, 0x01, 0xE0, 0x03, 0x1F, 0x00};
    const Rgb red{248, 0, 0};
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_TRUE(
        SamePicture(image, MakePicture(3, 2, {red, red, red, red, {0, 248, 0}, {0, 0, 248}})));
}

TEST(TgaReader, AcceptsAFullRunOf128Pixels) {
    TgaFile file;
    file.imageType = 10;
    file.width = 128;
    file.data = {0xFF, 0, 0, 255};
    Image image;
    ASSERT_EQ(decode(file, image), LoadResult::Ok);
    EXPECT_EQ(image.red(0, 0), 255);
    EXPECT_EQ(image.red(127, 0), 255);
}

// ---------------------------------------------------------------------------------------------
// Files made by ImageMagick, compared with the picture they were made from

class TgaFromImageMagick : public ::testing::Test {
protected:
    void SetUp() override {
        if (!testing::HaveConvert()) GTEST_SKIP() << "ImageMagick's convert is not installed";
    }

    Bytes convert(const Image& source, std::vector<std::string> options) {
        const std::string input = m_folder.write("source.ppm", testing::EncodePpm(source));
        options.insert(options.begin(), input);
        options.push_back(m_folder.file("out.tga"));
        if (!testing::RunConvert(options)) return {};
        return ReadFileBytes(m_folder.file("out.tga")).value_or(Bytes{});
    }

    std::optional<Image> readByFfmpeg(const Bytes& tga) {
        const std::string input = m_folder.write("check.tga", tga);
        const std::string output = m_folder.file("check.ppm");
        if (!testing::RunTool(
                "ffmpeg", {"-loglevel", "error", "-y", "-i", input, "-pix_fmt", "rgb24", output}))
            return std::nullopt;
        const auto ppm = ReadFileBytes(output);
        if (!ppm) return std::nullopt;
        return testing::DecodePpm(*ppm);
    }

    struct Variant {
        std::vector<std::string> options;
        std::uint8_t type;
        std::uint8_t depth;
    };
    const std::vector<Variant> m_variants = {{{}, 2, 24},
                                             {{"-compress", "RLE"}, 10, 24},
                                             {{"-alpha", "on"}, 2, 32},
                                             {{"-alpha", "on", "-compress", "RLE"}, 10, 32}};
    testing::TempFolder m_folder;
};

TEST_F(TgaFromImageMagick, TopOriginFilesPlainAndRunLength) {
    const Image original = PatternPicture(131, 5);  // wider than one packet
    for (Variant v : m_variants) {
        SCOPED_TRACE(std::to_string(v.type) + " " + std::to_string(v.depth));
        v.options.insert(v.options.end(), {"-orient", "TopLeft"});
        const Bytes tga = convert(original, v.options);
        ASSERT_GE(tga.size(), 18u);
        ASSERT_EQ(tga[2], v.type);
        ASSERT_EQ(tga[16], v.depth);
        ASSERT_EQ(tga[17] & 0x20, 0x20);
        Image image;
        ASSERT_EQ(DecodeTga(tga, image), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(image, original));
    }
}

TEST_F(TgaFromImageMagick, BottomOriginFilesReadAsFfmpegReadsThem) {
    // ImageMagick stores these rows in its own order whatever the header says, so the reference
    // is an independent reader.
    if (!testing::HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    const Image original = PatternPicture(131, 5);
    for (const Variant& v : m_variants) {
        SCOPED_TRACE(std::to_string(v.type) + " " + std::to_string(v.depth));
        const Bytes tga = convert(original, v.options);
        ASSERT_GE(tga.size(), 18u);
        ASSERT_EQ(tga[2], v.type);
        ASSERT_EQ(tga[17] & 0x30, 0);
        const std::optional<Image> expected = readByFfmpeg(tga);
        ASSERT_TRUE(expected);
        Image image;
        ASSERT_EQ(DecodeTga(tga, image), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(image, *expected));
    }
}

TEST_F(TgaFromImageMagick, RunLengthPictureWithLongRuns) {
    Image original = *Image::create(300, 4);
    original.fill(10, 20, 30);
    original.setPixel(150, 2, 200, 100, 0);
    const Bytes tga = convert(original, {"-compress", "RLE", "-orient", "TopLeft"});
    ASSERT_GE(tga.size(), 18u);
    ASSERT_EQ(tga[2], 10);
    Image image;
    ASSERT_EQ(DecodeTga(tga, image), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(image, original));
}

TEST_F(TgaFromImageMagick, SixteenBits) {
    const Image original = MakePicture(3, 2, {kRed, kGreen, kBlue, kWhite, kBlack, {255, 0, 255}});
    const Bytes tga = convert(original, {"-depth", "5", "-orient", "TopLeft"});
    ASSERT_GE(tga.size(), 18u);
    ASSERT_EQ(tga[16], 16);
    Image image;
    ASSERT_EQ(DecodeTga(tga, image), LoadResult::Ok);
    const Rgb white{248, 248, 248};
    EXPECT_TRUE(SamePicture(
        image,
        MakePicture(3, 2, {{248, 0, 0}, {0, 248, 0}, {0, 0, 248}, white, kBlack, {248, 0, 248}})));
}

// ---------------------------------------------------------------------------------------------
// Bad input: each case gives its result, leaves the output alone and does not crash.

class TgaBadInput : public ::testing::Test {
protected:
    LoadResult decodeKeeping(const Bytes& bytes) {
        Image out = *Image::create(1, 1);
        out.setPixel(0, 0, 1, 2, 3);
        const LoadResult result = DecodeTga(bytes, out);
        if (result != LoadResult::Ok) {
            EXPECT_EQ(out.width(), 1);
            EXPECT_EQ(out.red(0, 0), 1);
        }
        return result;
    }
    LoadResult decodeKeeping(const TgaFile& file) { return decodeKeeping(file.bytes()); }

    static Bytes withHeader(std::initializer_list<std::uint8_t> start) {
        Bytes bytes(start);
        bytes.resize(64, 0);
        return bytes;
    }
};

TEST_F(TgaBadInput, OtherFormatsAreNotThisFormat) {
    EXPECT_EQ(decodeKeeping(Bytes{}), LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping(Bytes(17, 0)), LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping(withHeader({'I', 'I', 42, 0, 8, 0, 0, 0})), LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping(withHeader({'M', 'M', 0, 42, 0, 0, 0, 8})), LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping(withHeader({0xFF, 0xD8, 0xFF, 0xE0, 0, 16, 'J', 'F', 'I', 'F'})),
              LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping(withHeader({0x89, 'P', 'N', 'G', 13, 10, 26, 10})),
              LoadResult::NotThisFormat);
    EXPECT_EQ(decodeKeeping(withHeader({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'A', 'V', 'I', ' '})),
              LoadResult::NotThisFormat);
    const std::string text = "Some text that is not a picture at all, long enough for a header.";
    EXPECT_EQ(decodeKeeping(Bytes(text.begin(), text.end())), LoadResult::NotThisFormat);
}

TEST_F(TgaBadInput, HeadersThatCannotBeTrueColourPicturesAreNotThisFormat) {
    for (std::uint8_t type : {0, 1, 3, 9, 11, 32, 33}) {
        TgaFile file = twoByTwo();
        file.imageType = type;
        EXPECT_EQ(decodeKeeping(file), LoadResult::NotThisFormat) << int(type);
    }
    for (std::uint8_t depth : {0, 1, 8, 17, 23, 48, 255}) {
        TgaFile file = twoByTwo();
        file.depth = depth;
        EXPECT_EQ(decodeKeeping(file), LoadResult::NotThisFormat) << int(depth);
    }
    for (auto [width, height] : {std::pair{0, 2}, {2, 0}, {0, 0}}) {
        TgaFile file = twoByTwo();
        file.width = static_cast<std::uint16_t>(width);
        file.height = static_cast<std::uint16_t>(height);
        EXPECT_EQ(decodeKeeping(file), LoadResult::NotThisFormat) << width << "x" << height;
    }
    TgaFile mapType = twoByTwo();
    mapType.mapType = 2;
    EXPECT_EQ(decodeKeeping(mapType), LoadResult::NotThisFormat);
    TgaFile mapEntries = twoByTwo();
    mapEntries.mapType = 1;
    mapEntries.mapLength = 4;
    mapEntries.mapEntryBits = 7;
    EXPECT_EQ(decodeKeeping(mapEntries), LoadResult::NotThisFormat);
    TgaFile interleaved = twoByTwo();
    interleaved.descriptor = 0x40;
    EXPECT_EQ(decodeKeeping(interleaved), LoadResult::NotThisFormat);
}

TEST_F(TgaBadInput, PicturesAboveTheSizeLimitAreTooLarge) {
    TgaFile file = twoByTwo();
    file.width = 65535;
    file.height = 65535;
    EXPECT_EQ(decodeKeeping(file), LoadResult::TooLarge);
}

TEST_F(TgaBadInput, EveryTruncationIsDamaged) {
    TgaFile plain = twoByTwo();
    plain.id = "id";
    TgaFile packets;
    packets.imageType = 10;
    packets.width = 3;
    packets.height = 2;
    packets.data = {0x83, 0, 0, 255, 0x01, 0, 255, 0, 255, 0, 0};
    for (const Bytes& whole : {plain.bytes(), packets.bytes()}) {
        ASSERT_EQ(decodeKeeping(whole), LoadResult::Ok);
        for (std::size_t length = 18; length < whole.size(); ++length)
            EXPECT_EQ(decodeKeeping(Bytes(whole.begin(), whole.begin() + length)),
                      LoadResult::Damaged)
                << length << " of " << whole.size();
    }
}

TEST_F(TgaBadInput, IdentificationOrColourMapPastTheEndIsDamaged) {
    Bytes id = twoByTwo().bytes();
    id[0] = 255;
    EXPECT_EQ(decodeKeeping(id), LoadResult::Damaged);
    Bytes map = twoByTwo().bytes();
    map[1] = 1;
    writeLe16(&map[5], 65535);
    map[7] = 32;
    EXPECT_EQ(decodeKeeping(map), LoadResult::Damaged);
}

TEST_F(TgaBadInput, PacketsPastThePictureAreDamaged) {
    TgaFile file;
    file.imageType = 10;
    file.width = 3;
    file.height = 1;
    file.data = {0x83, 0, 0, 255};  // four pixels into three
    EXPECT_EQ(decodeKeeping(file), LoadResult::Damaged);
    file.data = {0x01, 0, 0, 255, 0, 0, 255, 0x01, 0, 0, 255, 0, 0, 255};
    EXPECT_EQ(decodeKeeping(file), LoadResult::Damaged);
}

TEST_F(TgaBadInput, ATinyFileAnnouncingAHugePictureIsDamagedBeforeAllocating) {
    TgaFile plain;
    plain.width = 16000;
    plain.height = 16000;
    plain.data = {1, 2, 3};
    EXPECT_EQ(decodeKeeping(plain), LoadResult::Damaged);
    TgaFile packets = plain;
    packets.imageType = 10;
    packets.data = {0xFF, 1, 2, 3, 0xFF, 1, 2, 3};
    EXPECT_EQ(decodeKeeping(packets), LoadResult::Damaged);
}

}  // namespace
}  // namespace morvel

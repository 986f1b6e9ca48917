#include "codecs/tiff_codec.h"

#include <gtest/gtest.h>
#include <tiffio.h>

#include <string>

#include "platform/files.h"
#include "codecs/png_codec.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::HaveTool;
using testing::MeanDifference;
using testing::RunTool;
using testing::SamePicture;
using testing::TempFolder;

using Bytes = std::vector<std::uint8_t>;

// ---- hand-made files --------------------------------------------------------------------------

struct Tag {
    std::uint16_t id;
    std::uint16_t type;  // 3 SHORT, 4 LONG
    std::uint32_t value;
};

void putLe(Bytes& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A little-endian TIFF with one directory of single-value tags and the pixels right after it.
// The tag 273 (strip offsets) is filled in with the pixels' offset.
Bytes craftedTiff(std::vector<Tag> tags, const Bytes& pixels) {
    Bytes out = {'I', 'I', 42, 0};
    putLe(out, 8, 4);
    const std::uint32_t pixelOffset = static_cast<std::uint32_t>(8 + 2 + 12 * tags.size() + 4);
    putLe(out, static_cast<std::uint32_t>(tags.size()), 2);
    for (Tag& tag : tags) {
        if (tag.id == 273) tag.value = pixelOffset;
        putLe(out, tag.id, 2);
        putLe(out, tag.type, 2);
        putLe(out, 1, 4);
        putLe(out, tag.value, 4);  // a SHORT sits in the first two bytes of the field
    }
    putLe(out, 0, 4);  // no next directory
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// An 8-bit grey picture in one strip.
Bytes greyTiff(std::uint32_t width, std::uint32_t height, std::uint16_t compression,
               const Bytes& pixels) {
    return craftedTiff({{256, 4, width},
                        {257, 4, height},
                        {258, 3, 8},
                        {259, 3, compression},
                        {262, 3, 1},
                        {273, 4, 0},
                        {277, 3, 1},
                        {278, 4, height},
                        {279, 4, static_cast<std::uint32_t>(pixels.size())}},
                       pixels);
}

Bytes rampBytes(std::size_t count) {
    Bytes bytes(count);
    for (std::size_t i = 0; i < count; ++i) bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    return bytes;
}

// Writes an RGB picture with libtiff itself.
bool writeWithLibtiff(const std::string& path, const Image& image, std::uint16_t compression) {
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff) return false;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, static_cast<std::uint32_t>(image.width()));
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, static_cast<std::uint32_t>(image.height()));
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, 8);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, 3);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, PHOTOMETRIC_RGB);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
    TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
    bool ok = true;
    for (int y = 0; y < image.height() && ok; ++y) {
        ok = TIFFWriteScanline(tiff, const_cast<std::uint8_t*>(image.row(y)), y, 0) == 1;
    }
    TIFFClose(tiff);
    return ok;
}

std::uint16_t compressionOf(const std::string& path) {
    std::uint16_t compression = 0;
    if (TIFF* tiff = TIFFOpen(path.c_str(), "r")) {
        TIFFGetField(tiff, TIFFTAG_COMPRESSION, &compression);
        TIFFClose(tiff);
    }
    return compression;
}

// ---- tests ------------------------------------------------------------------------------------

TEST(TiffCodec, ReadsAHandMadeGreyPictureExactly) {
    const Bytes pixels = rampBytes(5 * 3);
    Image decoded;
    ASSERT_EQ(DecodeTiff(greyTiff(5, 3, COMPRESSION_NONE, pixels), decoded), LoadResult::Ok);
    ASSERT_EQ(decoded.width(), 5);
    ASSERT_EQ(decoded.height(), 3);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            const std::uint8_t v = pixels[y * 5 + x];
            EXPECT_EQ(decoded.red(x, y), v);
            EXPECT_EQ(decoded.green(x, y), v);
            EXPECT_EQ(decoded.blue(x, y), v);
        }
    }
}

TEST(TiffCodec, OldStyleJpegAndPixarDeflateAreRefused) {
    const Bytes pixels = rampBytes(16 * 16);
    Image target;
    EXPECT_EQ(DecodeTiff(greyTiff(16, 16, 6, pixels), target), LoadResult::Unsupported);
    EXPECT_EQ(DecodeTiff(greyTiff(16, 16, 32946, pixels), target), LoadResult::Unsupported);
    EXPECT_TRUE(target.empty());

    // The refusal goes by the tag alone: the same deflate data under the tag 8 reads.
    TempFolder folder;
    const Image original = GradientPicture(40, 30);
    ASSERT_TRUE(writeWithLibtiff(folder.file("pixar.tif"), original, COMPRESSION_DEFLATE));
    ASSERT_TRUE(writeWithLibtiff(folder.file("adobe.tif"), original, COMPRESSION_ADOBE_DEFLATE));
    EXPECT_EQ(DecodeTiff(*ReadFileBytes(folder.file("pixar.tif")), target),
              LoadResult::Unsupported);
    ASSERT_EQ(DecodeTiff(*ReadFileBytes(folder.file("adobe.tif")), target), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(target, original));
}

TEST(TiffCodec, ReadsTheKindsOtherToolsWrite) {
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    TempFolder folder;
    const Image rgb = GradientPicture(67, 43, 9);
    Image grey = *Image::create(67, 43);
    Image palette = *Image::create(67, 43);
    for (int y = 0; y < 43; ++y) {
        for (int x = 0; x < 67; ++x) {
            const int v = (x * 3 + y * 5) % 256;
            grey.setPixel(x, y, v, v, v);
            const int k = (x / 6 + y / 5) % 5;
            palette.setPixel(x, y, 50 * k, 255 - 40 * k, (k * 97) % 256);
        }
    }

    struct Case {
        const char* name;
        const Image* source;
        std::vector<std::string> options;
        std::uint16_t compression;
        double tolerance;  // mean difference; 0 means exact
    };
    const Case cases[] = {
        {"RGB uncompressed", &rgb, {"-compress", "none"}, COMPRESSION_NONE, 0},
        {"RGB LZW", &rgb, {"-compress", "lzw"}, COMPRESSION_LZW, 0},
        {"RGB deflate", &rgb, {"-compress", "zip"}, COMPRESSION_ADOBE_DEFLATE, 0},
        {"RGB PackBits", &rgb, {"-compress", "rle"}, COMPRESSION_PACKBITS, 0},
        {"RGB big-endian", &rgb, {"-compress", "lzw", "-endian", "MSB"}, COMPRESSION_LZW, 0},
        {"RGB 16-bit", &rgb, {"-depth", "16", "-compress", "zip"}, COMPRESSION_ADOBE_DEFLATE, 0},
        {"RGB planes", &rgb, {"-interlace", "plane", "-compress", "none"}, COMPRESSION_NONE, 0},
        {"RGB tiled",
         &rgb,
         {"-define", "tiff:tile-geometry=16x16", "-compress", "lzw"},
         COMPRESSION_LZW,
         0},
        {"RGB JPEG", &rgb, {"-compress", "jpeg", "-quality", "95"}, COMPRESSION_JPEG, 4.0},
        {"grey", &grey, {"-colorspace", "Gray", "-compress", "lzw"}, COMPRESSION_LZW, 0},
        {"palette", &palette, {"-type", "Palette", "-compress", "none"}, COMPRESSION_NONE, 0},
    };
    Bytes png;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(EncodePng(*c.source, png));
        const std::string input = folder.write("in.png", png);
        const std::string output = folder.file("out.tif");
        std::vector<std::string> args = {input};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(output);
        ASSERT_TRUE(RunTool("convert", args));
        EXPECT_EQ(compressionOf(output), c.compression);
        Image decoded;
        ASSERT_EQ(DecodeTiff(*ReadFileBytes(output), decoded), LoadResult::Ok);
        if (c.tolerance == 0) {
            EXPECT_TRUE(SamePicture(decoded, *c.source));
        } else {
            EXPECT_LT(MeanDifference(decoded, *c.source), c.tolerance);
        }
    }

    // BigTIFF: 64-bit offsets, signature 43.
    ASSERT_TRUE(EncodePng(rgb, png));
    const std::string input = folder.write("in.png", png);
    const std::string big = folder.file("big.tif");
    ASSERT_TRUE(RunTool("convert", {input, "-compress", "lzw", "TIFF64:" + big}));
    const Bytes bigFile = *ReadFileBytes(big);
    ASSERT_GE(bigFile.size(), 4u);
    EXPECT_EQ(bigFile[2], 43);
    Image decoded;
    ASSERT_EQ(DecodeTiff(bigFile, decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, rgb));
}

TEST(TiffCodec, ReadsFilesOfFfmpeg) {
    if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder folder;
    const Image original = GradientPicture(48, 32, 4);
    Bytes png;
    ASSERT_TRUE(EncodePng(original, png));
    const std::string input = folder.write("in.png", png);
    const std::string output = folder.file("ffmpeg.tif");
    ASSERT_TRUE(RunTool("ffmpeg", {"-y", "-loglevel", "error", "-i", input, output}));
    Image decoded;
    ASSERT_EQ(DecodeTiff(*ReadFileBytes(output), decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, original));
}

TEST(TiffCodec, OtherBytesAreNotThisFormat) {
    Image target;
    EXPECT_EQ(DecodeTiff({}, target), LoadResult::NotThisFormat);
    for (const Bytes& bytes : {Bytes{'I', 'I', 42}, Bytes{'I', 'I', 0, 42}, Bytes{'M', 'M', 42, 0},
                               Bytes{'I', 'M', 42, 0}, Bytes{'B', 'M', 0, 0, 0, 0}}) {
        EXPECT_EQ(DecodeTiff(bytes, target), LoadResult::NotThisFormat);
    }
    EXPECT_TRUE(target.empty());
}

TEST(TiffCodec, GarbageAfterAnySignatureIsDamaged) {
    for (const Bytes& signature : {Bytes{'I', 'I', 42, 0}, Bytes{'M', 'M', 0, 42},
                                   Bytes{'I', 'I', 43, 0}, Bytes{'M', 'M', 0, 43}}) {
        Bytes file = signature;
        for (int i = 0; i < 300; ++i) file.push_back(static_cast<std::uint8_t>(i * 91 + 17));
        Image target;
        EXPECT_EQ(DecodeTiff(file, target), LoadResult::Damaged) << file[2] + 0;
        EXPECT_EQ(DecodeTiff(signature, target), LoadResult::Damaged);
    }
}

TEST(TiffCodec, AbsurdOrEmptySizesAreRefusedBeforeAllocating) {
    const Bytes pixels = rampBytes(16);
    Image target;
    EXPECT_EQ(DecodeTiff(greyTiff(100000, 100000, COMPRESSION_NONE, pixels), target),
              LoadResult::TooLarge);
    EXPECT_EQ(DecodeTiff(greyTiff(70000, 2, COMPRESSION_NONE, pixels), target),
              LoadResult::TooLarge);
    EXPECT_EQ(DecodeTiff(greyTiff(0, 16, COMPRESSION_NONE, pixels), target), LoadResult::Damaged);
    EXPECT_EQ(DecodeTiff(greyTiff(16, 0, COMPRESSION_NONE, pixels), target), LoadResult::Damaged);
    // Acceptable sizes that 16 bytes of strip data cannot hold.
    EXPECT_EQ(DecodeTiff(greyTiff(16000, 12000, COMPRESSION_NONE, pixels), target),
              LoadResult::Damaged);
    EXPECT_EQ(DecodeTiff(greyTiff(16000, 12000, COMPRESSION_LZW, pixels), target),
              LoadResult::Damaged);
    EXPECT_TRUE(target.empty());
}

TEST(TiffCodec, TruncatedFilesAreDamagedAndLeaveTheTargetAlone) {
    TempFolder folder;
    const Image original = GradientPicture(120, 90);
    ASSERT_TRUE(writeWithLibtiff(folder.file("lzw.tif"), original, COMPRESSION_LZW));
    const Bytes lzw = *ReadFileBytes(folder.file("lzw.tif"));
    const Bytes plain = greyTiff(64, 64, COMPRESSION_NONE, rampBytes(64 * 64));

    const Image before = GradientPicture(3, 2);
    for (const Bytes* file : {&lzw, &plain}) {
        for (const std::size_t length :
             {std::size_t{6}, std::size_t{40}, file->size() / 2, file->size() - 1}) {
            Image target = before;
            EXPECT_EQ(DecodeTiff(std::span(*file).first(length), target), LoadResult::Damaged)
                << length << " of " << file->size();
            EXPECT_TRUE(target.samePixels(before));
        }
    }
}

TEST(TiffCodec, PrintsNothingAboutBadFiles) {
    // libtiff reports errors and warnings on stderr unless told otherwise.
    Bytes garbage = {'I', 'I', 42, 0, 8, 0, 0, 0, 3, 0};
    for (int i = 0; i < 60; ++i) garbage.push_back(static_cast<std::uint8_t>(i * 13));
    Image target;
    ::testing::internal::CaptureStderr();
    DecodeTiff(garbage, target);
    DecodeTiff(greyTiff(16, 16, COMPRESSION_NONE, rampBytes(8)), target);
    DecodeTiff(craftedTiff({{256, 4, 4}, {257, 4, 4}, {273, 4, 0}, {279, 4, 16}, {40000, 3, 1}},
                           rampBytes(16)),
               target);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace morvel

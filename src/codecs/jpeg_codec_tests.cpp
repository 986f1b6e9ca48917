#include "codecs/jpeg_codec.h"

#include <gtest/gtest.h>

#include <cstdio>  // jpeglib.h needs FILE declared first

#include <jpeglib.h>

#include <cstdlib>
#include <string>
#include <thread>

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
using testing::ToolOutput;

using Bytes = std::vector<std::uint8_t>;

Bytes encoded(const Image& image) {
    Bytes out;
    EXPECT_TRUE(EncodeJpeg(image, out));
    return out;
}

// ---- making and inspecting files with libjpeg directly --------------------------------------

struct Samples {
    int width = 0;
    int height = 0;
    int components = 3;
    J_COLOR_SPACE input = JCS_RGB;
    J_COLOR_SPACE stored = JCS_YCbCr;
    bool adobeMarker = true;
    bool progressive = false;
    int restartRows = 0;
    int quality = 95;
    Bytes values;  // width * components per row, no padding
};

Bytes compressWithLibjpeg(const Samples& samples) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(samples.width);
    info.image_height = static_cast<JDIMENSION>(samples.height);
    info.input_components = samples.components;
    info.in_color_space = samples.input;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, samples.stored);
    info.write_Adobe_marker = samples.adobeMarker ? TRUE : FALSE;
    jpeg_set_quality(&info, samples.quality, TRUE);
    if (samples.progressive) jpeg_simple_progression(&info);
    info.restart_in_rows = samples.restartRows;
    jpeg_start_compress(&info, TRUE);
    const std::size_t rowBytes = static_cast<std::size_t>(samples.width) * samples.components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPLE*>(&samples.values[info.next_scanline * rowBytes]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Samples rgbSamples(const Image& image) {
    Samples samples;
    samples.width = image.width();
    samples.height = image.height();
    for (int y = 0; y < image.height(); ++y) {
        samples.values.insert(samples.values.end(), image.row(y), image.row(y) + image.width() * 3);
    }
    return samples;
}

struct HeaderFacts {
    int components = 0;
    J_COLOR_SPACE colourSpace = JCS_UNKNOWN;
    bool progressive = false;
    bool adobe = false;
};

HeaderFacts headerOf(const Bytes& file) {
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    HeaderFacts facts{info.num_components, info.jpeg_color_space, info.progressive_mode != 0,
                      info.saw_Adobe_marker != 0};
    jpeg_destroy_decompress(&info);
    return facts;
}

// Offsets of every marker FF xx (xx not 0 and not a fill byte) after the start marker.
std::vector<std::size_t> markerOffsets(const Bytes& file, std::uint8_t marker) {
    std::vector<std::size_t> offsets;
    for (std::size_t i = 2; i + 1 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == marker) offsets.push_back(i);
    }
    return offsets;
}

// Writes width and height into the first start-of-frame segment.
Bytes withSize(Bytes file, int width, int height) {
    for (const std::uint8_t sof : {std::uint8_t{0xC0}, std::uint8_t{0xC1}, std::uint8_t{0xC2}}) {
        const auto offsets = markerOffsets(file, sof);
        if (offsets.empty()) continue;
        const std::size_t at = offsets.front();
        file[at + 5] = static_cast<std::uint8_t>(height >> 8);
        file[at + 6] = static_cast<std::uint8_t>(height);
        file[at + 7] = static_cast<std::uint8_t>(width >> 8);
        file[at + 8] = static_cast<std::uint8_t>(width);
        return file;
    }
    ADD_FAILURE() << "no start of frame";
    return file;
}

// ---- our writer and our reader --------------------------------------------------------------

TEST(JpegCodec, OurFilesDecodeCloseToTheOriginal) {
    // Tiny pictures of one colour: every size of partial block and of row padding.
    for (const auto& [width, height] : {std::pair{1, 1}, {2, 3}, {7, 5}, {17, 9}}) {
        Image flat = *Image::create(width, height);
        flat.fill(200, 120, 40);
        Image decoded;
        ASSERT_EQ(DecodeJpeg(encoded(flat), decoded), LoadResult::Ok) << width << "x" << height;
        ASSERT_EQ(decoded.width(), width);
        ASSERT_EQ(decoded.height(), height);
        EXPECT_LT(MeanDifference(decoded, flat), 3.0) << width << "x" << height;
    }
    const Image original = GradientPicture(640, 480, 3, 6);
    Image decoded;
    ASSERT_EQ(DecodeJpeg(encoded(original), decoded), LoadResult::Ok);
    EXPECT_LT(MeanDifference(decoded, original), 4.0);
    // The file holds no more memory than its bytes (kept by the thousand in the playback cache).
    const Bytes flat = encoded(*Image::create(640, 480));
    EXPECT_EQ(flat.capacity(), flat.size());
}

TEST(JpegCodec, WritesThreeComponentYCbCrAtQuality70) {
    const Bytes file = encoded(GradientPicture(64, 48));
    const HeaderFacts facts = headerOf(file);
    EXPECT_EQ(facts.components, 3);
    EXPECT_EQ(facts.colourSpace, JCS_YCbCr);
    EXPECT_FALSE(facts.progressive);

    if (!HaveTool("identify")) GTEST_SKIP() << "ImageMagick is not installed";
    TempFolder folder;
    const std::string path = folder.write("ours.jpg", file);
    // ImageMagick estimates the quality from the quantisation tables.
    EXPECT_EQ(ToolOutput("identify", {"-format", "%Q", path}), "70");
}

TEST(JpegCodec, EncodingRefusesAnEmptyPictureAndIsSafeInParallel) {
    Bytes out = {7};
    EXPECT_FALSE(EncodeJpeg(Image(), out));
    EXPECT_EQ(out, Bytes{7});

    std::vector<Image> pictures;
    std::vector<Bytes> alone;
    for (int i = 0; i < 4; ++i) {
        pictures.push_back(GradientPicture(400 + i, 300, i + 5));
        alone.push_back(encoded(pictures.back()));
    }
    std::vector<Bytes> together(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            for (int repeat = 0; repeat < 3; ++repeat) EncodeJpeg(pictures[i], together[i]);
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(together[i], alone[i]) << i;
}

// ---- colour spaces ----------------------------------------------------------------------------

// Four 8 x 8 blocks side by side, each of one CMYK ink mix, and the colours they stand for.
struct InkCase {
    std::uint8_t ink[4];
    std::uint8_t rgb[3];
};
const InkCase kInks[] = {
    {{0, 255, 255, 0}, {255, 0, 0}},
    {{255, 0, 0, 0}, {0, 255, 255}},
    {{0, 0, 0, 128}, {127, 127, 127}},
    {{0, 0, 0, 0}, {255, 255, 255}},
};

Samples cmykSamples(bool inverted) {
    Samples samples;
    samples.width = 32;
    samples.height = 8;
    samples.components = 4;
    samples.input = JCS_CMYK;
    samples.stored = JCS_CMYK;
    samples.adobeMarker = inverted;
    samples.quality = 100;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 32; ++x) {
            for (int i = 0; i < 4; ++i) {
                const std::uint8_t ink = kInks[x / 8].ink[i];
                samples.values.push_back(inverted ? 255 - ink : ink);
            }
        }
    }
    return samples;
}

TEST(JpegCodec, CmykIsReadInvertedWithAnAdobeMarkerAndPlainWithout) {
    for (const bool inverted : {true, false}) {
        SCOPED_TRACE(inverted ? "Adobe, inverted" : "no Adobe marker, plain");
        const Bytes file = compressWithLibjpeg(cmykSamples(inverted));
        ASSERT_EQ(headerOf(file).adobe, inverted);
        Image decoded;
        ASSERT_EQ(DecodeJpeg(file, decoded), LoadResult::Ok);
        for (int block = 0; block < 4; ++block) {
            for (int i = 0; i < 3; ++i) {
                EXPECT_NEAR(decoded.row(4)[(block * 8 + 4) * 3 + i], kInks[block].rgb[i], 3)
                    << "block " << block << " channel " << i;
            }
        }
    }
}

TEST(JpegCodec, OtherColourSpacesAreUnsupported) {
    Samples samples;
    samples.width = 8;
    samples.height = 8;
    samples.components = 2;
    samples.input = JCS_UNKNOWN;
    samples.stored = JCS_UNKNOWN;
    samples.adobeMarker = false;
    samples.values.assign(8 * 8 * 2, 90);
    Image target;
    EXPECT_EQ(DecodeJpeg(compressWithLibjpeg(samples), target), LoadResult::Unsupported);
}

TEST(JpegCodec, LosslessAnd12BitFilesAreUnsupported) {
    Bytes file = encoded(GradientPicture(16, 16));
    const std::size_t frame = markerOffsets(file, 0xC0).at(0);
    Bytes lossless = file;
    lossless[frame + 1] = 0xC3;
    Bytes twelveBits = file;
    twelveBits[frame + 4] = 12;
    Image target;
    EXPECT_EQ(DecodeJpeg(lossless, target), LoadResult::Unsupported);
    EXPECT_EQ(DecodeJpeg(twelveBits, target), LoadResult::Unsupported);
}

TEST(JpegCodec, ReadsGreyCmykAndProgressiveFilesOfOtherTools) {
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    TempFolder folder;
    const Image original = GradientPicture(97, 61, 11, 4);
    Bytes png;
    ASSERT_TRUE(EncodePng(original, png));
    const std::string input = folder.write("in.png", png);

    struct Case {
        const char* name;
        std::vector<std::string> options;
        int components;
        bool progressive;
        double tolerance;  // mean difference to the original
    };
    const Case cases[] = {
        {"CMYK", {"-colorspace", "CMYK", "-quality", "100"}, 4, false, 4.0},
        {"progressive", {"-interlace", "JPEG", "-quality", "92"}, 3, true, 3.0},
        {"4:4:4", {"-sampling-factor", "1x1", "-quality", "90"}, 3, false, 3.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string output = folder.file(std::string(c.name) + ".jpg");
        std::vector<std::string> args = {input};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back(output);
        ASSERT_TRUE(RunTool("convert", args));
        const Bytes file = *ReadFileBytes(output);
        const HeaderFacts facts = headerOf(file);
        EXPECT_EQ(facts.components, c.components);
        EXPECT_EQ(facts.progressive, c.progressive);
        Image decoded;
        ASSERT_EQ(DecodeJpeg(file, decoded), LoadResult::Ok);
        EXPECT_LT(MeanDifference(decoded, original), c.tolerance);
    }

    // Grey: ImageMagick's own grey version of the picture is the reference.
    const std::string grey = folder.file("grey.jpg");
    const std::string greyReference = folder.file("grey.png");
    ASSERT_TRUE(RunTool("convert", {input, "-colorspace", "Gray", "-quality", "95", grey}));
    ASSERT_TRUE(RunTool(
        "convert", {input, "-colorspace", "Gray", "-define", "png:color-type=2", greyReference}));
    const Bytes greyFile = *ReadFileBytes(grey);
    EXPECT_EQ(headerOf(greyFile).components, 1);
    Image decoded;
    ASSERT_EQ(DecodeJpeg(greyFile, decoded), LoadResult::Ok);
    Image reference;
    ASSERT_EQ(DecodePng(*ReadFileBytes(greyReference), reference), LoadResult::Ok);
    EXPECT_LT(MeanDifference(decoded, reference), 2.0);
    for (int y = 0; y < decoded.height(); ++y) {
        for (int x = 0; x < decoded.width(); ++x) {
            ASSERT_EQ(decoded.red(x, y), decoded.green(x, y));
            ASSERT_EQ(decoded.red(x, y), decoded.blue(x, y));
        }
    }
}

TEST(JpegCodec, ReadsFilesOfFfmpeg) {
    if (!HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    TempFolder folder;
    const Image original = GradientPicture(96, 64, 13, 4);
    Bytes png;
    ASSERT_TRUE(EncodePng(original, png));
    const std::string input = folder.write("in.png", png);
    const std::string output = folder.file("ffmpeg.jpg");
    ASSERT_TRUE(RunTool("ffmpeg", {"-y", "-loglevel", "error", "-i", input, "-q:v", "2", output}));
    Image decoded;
    ASSERT_EQ(DecodeJpeg(*ReadFileBytes(output), decoded), LoadResult::Ok);
    EXPECT_LT(MeanDifference(decoded, original), 4.0);
}

// ---- reduced decoding -------------------------------------------------------------------------

// The mean of each factor x factor box (edge boxes may be smaller).
Image boxReduced(const Image& image, int factor) {
    const int width = (image.width() + factor - 1) / factor;
    const int height = (image.height() + factor - 1) / factor;
    Image reduced = *Image::create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int sum[3] = {0, 0, 0};
            int count = 0;
            for (int v = y * factor; v < std::min(image.height(), (y + 1) * factor); ++v) {
                for (int u = x * factor; u < std::min(image.width(), (x + 1) * factor); ++u) {
                    for (int i = 0; i < 3; ++i) sum[i] += image.row(v)[u * 3 + i];
                    ++count;
                }
            }
            reduced.setPixel(x, y, sum[0] / count, sum[1] / count, sum[2] / count);
        }
    }
    return reduced;
}

TEST(JpegCodec, ScaleDenominatorsGiveReducedPictures) {
    const Image original = GradientPicture(641, 481, 17, 4);
    const Bytes file = encoded(original);
    Image full;
    ASSERT_EQ(DecodeJpeg(file, full), LoadResult::Ok);
    for (const int factor : {2, 4, 8}) {
        Image reduced;
        ASSERT_EQ(DecodeJpeg(file, reduced, factor), LoadResult::Ok);
        EXPECT_EQ(reduced.width(), (641 + factor - 1) / factor);
        EXPECT_EQ(reduced.height(), (481 + factor - 1) / factor);
        EXPECT_LT(MeanDifference(reduced, boxReduced(full, factor)), 3.0) << factor;
    }
    // Other denominators are not offered by the library: the full picture is read.
    for (const int other : {0, 3, 16, -2}) {
        Image picture;
        ASSERT_EQ(DecodeJpeg(file, picture, other), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(picture, full)) << other;
    }
}

// ---- bad input -------------------------------------------------------------------------------

TEST(JpegCodec, OtherBytesAreNotThisFormat) {
    Image target;
    EXPECT_EQ(DecodeJpeg({}, target), LoadResult::NotThisFormat);
    const Bytes one = {0xFF};
    EXPECT_EQ(DecodeJpeg(one, target), LoadResult::NotThisFormat);
    const Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    EXPECT_EQ(DecodeJpeg(png, target), LoadResult::NotThisFormat);
    const Bytes swapped = {0xD8, 0xFF, 0xE0, 0, 16};
    EXPECT_EQ(DecodeJpeg(swapped, target), LoadResult::NotThisFormat);
    EXPECT_TRUE(target.empty());
}

TEST(JpegCodec, CutOffFilesAreDamagedNotPaddedWithGrey) {
    Samples baseline = rgbSamples(GradientPicture(160, 120, 21));
    Samples progressive = baseline;
    progressive.progressive = true;
    Samples restarts = baseline;
    restarts.restartRows = 1;
    const Bytes baselineFile = compressWithLibjpeg(baseline);
    const Bytes progressiveFile = compressWithLibjpeg(progressive);
    const Bytes restartFile = compressWithLibjpeg(restarts);
    ASSERT_TRUE(headerOf(progressiveFile).progressive);

    const Image before = GradientPicture(2, 2);
    auto expectDamaged = [&](const Bytes& file, std::size_t length, const char* what) {
        Image target = before;
        EXPECT_EQ(DecodeJpeg(std::span(file).first(length), target), LoadResult::Damaged)
            << what << ", " << length << " of " << file.size() << " bytes";
        EXPECT_TRUE(target.samePixels(before)) << what;
    };
    for (const Bytes* file : {&baselineFile, &progressiveFile, &restartFile}) {
        expectDamaged(*file, 2, "start marker only");
        expectDamaged(*file, 40, "inside the header");
        expectDamaged(*file, file->size() / 2, "half");
        expectDamaged(*file, file->size() - 20, "near the end");
    }
    // Cut at a scan boundary of the progressive file: later scans are simply missing.
    const auto scans = markerOffsets(progressiveFile, 0xDA);
    ASSERT_GE(scans.size(), 3u);
    expectDamaged(progressiveFile, scans[scans.size() / 2], "before a later scan");
    expectDamaged(progressiveFile, scans.back(), "before the last scan");
    // Cut just before a restart marker.
    const auto restartMarker = markerOffsets(restartFile, 0xD3);
    ASSERT_FALSE(restartMarker.empty());
    expectDamaged(restartFile, restartMarker.front(), "before a restart marker");
}

TEST(JpegCodec, FilesMissingOnlyTheEndMarkerOrWithTrailingBytesRead) {
    for (const bool progressive : {false, true}) {
        Samples samples = rgbSamples(GradientPicture(80, 56, 23));
        samples.progressive = progressive;
        const Bytes file = compressWithLibjpeg(samples);
        Image complete;
        ASSERT_EQ(DecodeJpeg(file, complete), LoadResult::Ok);

        Image withoutEnd;
        ASSERT_EQ(DecodeJpeg(std::span(file).first(file.size() - 2), withoutEnd), LoadResult::Ok)
            << progressive;
        EXPECT_TRUE(SamePicture(withoutEnd, complete));

        Bytes padded = file;
        padded.insert(padded.end(), 300, 0x00);
        Image withPadding;
        ASSERT_EQ(DecodeJpeg(padded, withPadding), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(withPadding, complete));
    }
}

TEST(JpegCodec, AbsurdOrEmptySizesAreRefusedBeforeAllocating) {
    const Bytes file = encoded(GradientPicture(16, 16));
    Image target;
    EXPECT_EQ(DecodeJpeg(withSize(file, 65500, 65500), target), LoadResult::TooLarge);
    EXPECT_EQ(DecodeJpeg(withSize(file, 20000, 20000), target), LoadResult::TooLarge);
    EXPECT_EQ(DecodeJpeg(withSize(file, 0, 16), target), LoadResult::Damaged);
    EXPECT_EQ(DecodeJpeg(withSize(file, 16, 0), target), LoadResult::Damaged);
    // Acceptable sizes that a file of a few hundred bytes cannot hold.
    EXPECT_EQ(DecodeJpeg(withSize(file, 16000, 12000), target), LoadResult::Damaged);
    EXPECT_EQ(DecodeJpeg(withSize(file, 65500, 8), target), LoadResult::Damaged);
    EXPECT_TRUE(target.empty());
}

TEST(JpegCodec, GarbageAfterTheStartMarkerIsDamaged) {
    Bytes garbage = {0xFF, 0xD8};
    for (int i = 0; i < 500; ++i) garbage.push_back(static_cast<std::uint8_t>(i * 73 + 5));
    Image target;
    EXPECT_EQ(DecodeJpeg(garbage, target), LoadResult::Damaged);
    const Bytes endOnly = {0xFF, 0xD8, 0xFF, 0xD9};
    EXPECT_EQ(DecodeJpeg(endOnly, target), LoadResult::Damaged);
}

}  // namespace
}  // namespace morvel

#include "codecs/png_codec.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstring>
#include <string>
#include <thread>

#include "platform/files.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::HaveTool;
using testing::RunTool;
using testing::SamePicture;
using testing::TempFolder;

using Bytes = std::vector<std::uint8_t>;

// ---- PNG chunk handling for the tests -----------------------------------------------------

struct Chunk {
    std::string type;
    Bytes data;
};

std::uint32_t be32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
           p[3];
}

void putBe32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

std::vector<Chunk> chunksOf(const Bytes& png) {
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = be32(&png[at]);
        if (at + 12 + length > png.size()) break;
        chunks.push_back({std::string(png.begin() + at + 4, png.begin() + at + 8),
                          Bytes(png.begin() + at + 8, png.begin() + at + 8 + length)});
        at += 12 + length;
    }
    return chunks;
}

Bytes chunkBytes(const std::string& type, const Bytes& data) {
    Bytes out;
    putBe32(out, static_cast<std::uint32_t>(data.size()));
    out.insert(out.end(), type.begin(), type.end());
    out.insert(out.end(), data.begin(), data.end());
    uLong crc = crc32(0, reinterpret_cast<const Bytef*>(type.data()), 4);
    crc = crc32(crc, data.data(), static_cast<uInt>(data.size()));
    putBe32(out, static_cast<std::uint32_t>(crc));
    return out;
}

Bytes fileOf(const std::vector<Chunk>& chunks) {
    Bytes out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Chunk& chunk : chunks) {
        const Bytes bytes = chunkBytes(chunk.type, chunk.data);
        out.insert(out.end(), bytes.begin(), bytes.end());
    }
    return out;
}

// A PNG with the given header and image data stream (already compressed), with valid CRCs.
Bytes craftedPng(std::uint32_t width, std::uint32_t height, int bitDepth, int colourType,
                 const Bytes& idat) {
    Bytes ihdr;
    putBe32(ihdr, width);
    putBe32(ihdr, height);
    ihdr.insert(ihdr.end(), {static_cast<std::uint8_t>(bitDepth),
                             static_cast<std::uint8_t>(colourType), 0, 0, 0});
    return fileOf({{"IHDR", ihdr}, {"IDAT", idat}, {"IEND", {}}});
}

Bytes compressed(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    EXPECT_EQ(compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9), Z_OK);
    out.resize(size);
    return out;
}

// The header fields as libpng itself reads them.
struct HeaderFields {
    png_uint_32 width = 0, height = 0;
    int bitDepth = -1, colourType = -1, interlace = -1;
};

struct ReadCursor {
    const Bytes* bytes;
    std::size_t at;
};

void readCursor(png_structp png, png_bytep target, png_size_t length) {
    auto* cursor = static_cast<ReadCursor*>(png_get_io_ptr(png));
    if (cursor->at + length > cursor->bytes->size()) png_error(png, "short");
    std::memcpy(target, cursor->bytes->data() + cursor->at, length);
    cursor->at += length;
}

bool readHeaderWithLibpng(const Bytes& file, HeaderFields& fields) {
    ReadCursor cursor{&file, 0};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    bool ok = false;
    if (!setjmp(png_jmpbuf(png))) {
        png_set_read_fn(png, &cursor, readCursor);
        png_read_info(png, info);
        png_get_IHDR(png, info, &fields.width, &fields.height, &fields.bitDepth, &fields.colourType,
                     &fields.interlace, nullptr, nullptr);
        ok = true;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return ok;
}

Bytes encoded(const Image& image) {
    Bytes out;
    EXPECT_TRUE(EncodePng(image, out));
    return out;
}

// ---- our writer and our reader --------------------------------------------------------------

TEST(PngCodec, OurFilesReadBackExactlyAtAnySize) {
    // Widths 1 to 5 give every row padding of the 4-byte aligned rows.
    for (const auto& [width, height] :
         {std::pair{1, 1}, {2, 3}, {3, 2}, {4, 1}, {5, 7}, {640, 480}}) {
        const Image original = GradientPicture(width, height, width * 31 + height);
        Image decoded;
        ASSERT_EQ(DecodePng(encoded(original), decoded), LoadResult::Ok) << width << "x" << height;
        EXPECT_TRUE(SamePicture(decoded, original)) << width << "x" << height;
    }
}

// RGB, 8 bits, not interlaced; each row with a filter of its own choice; no larger than the same
// rows unfiltered at zlib's strongest level, on noisy pictures and on flat ones.
TEST(PngCodec, WritesRgb8WithRowFiltersNoLargerThanUnfilteredLevel9) {
    const struct {
        int width, height, noise;
    } cases[] = {{37, 23, 16}, {640, 360, 24}, {640, 360, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        const Image original = GradientPicture(c.width, c.height, 5, c.noise);
        const Bytes file = encoded(original);
        HeaderFields fields;
        ASSERT_TRUE(readHeaderWithLibpng(file, fields));
        EXPECT_EQ(fields.width, static_cast<unsigned>(c.width));
        EXPECT_EQ(fields.bitDepth, 8);
        EXPECT_EQ(fields.colourType, PNG_COLOR_TYPE_RGB);
        EXPECT_EQ(fields.interlace, PNG_INTERLACE_NONE);
        Bytes stream;
        for (const Chunk& chunk : chunksOf(file))
            if (chunk.type == "IDAT") stream.insert(stream.end(), chunk.data.begin(), chunk.data.end());
        const std::size_t rowBytes = 1 + static_cast<std::size_t>(c.width) * 3;
        Bytes raw(rowBytes * c.height + 1);  // one spare byte: more data than expected would show
        uLongf rawSize = static_cast<uLongf>(raw.size());
        ASSERT_EQ(uncompress(raw.data(), &rawSize, stream.data(), static_cast<uLong>(stream.size())),
                  Z_OK);
        ASSERT_EQ(rawSize, rowBytes * c.height);
        Bytes unfiltered(rowBytes * c.height, 0);
        for (int y = 0; y < c.height; ++y) {
            EXPECT_LE(raw[y * rowBytes], 4) << "filter of row " << y;
            std::memcpy(&unfiltered[y * rowBytes + 1], original.row(y), rowBytes - 1);
        }
        uLongf level9Size = compressBound(static_cast<uLong>(unfiltered.size()));
        Bytes level9(level9Size);
        ASSERT_EQ(compress2(level9.data(), &level9Size, unfiltered.data(),
                            static_cast<uLong>(unfiltered.size()), 9),
                  Z_OK);
        EXPECT_LE(stream.size(), level9Size);
        Image back;
        ASSERT_EQ(DecodePngWithLibpng(file, back), LoadResult::Ok);
        EXPECT_TRUE(testing::SamePicture(back, original));
    }
}

TEST(PngCodec, EncodingRefusesAnEmptyPictureAndIsSafeInParallel) {
    Bytes out = {1, 2, 3};
    EXPECT_FALSE(EncodePng(Image(), out));
    EXPECT_EQ(out, (Bytes{1, 2, 3}));

    // The exports encode frames on several threads: each result must equal the one made alone.
    std::vector<Image> pictures;
    std::vector<Bytes> alone;
    for (int i = 0; i < 4; ++i) {
        pictures.push_back(GradientPicture(300 + i, 200, i + 1));
        alone.push_back(encoded(pictures.back()));
    }
    std::vector<Bytes> together(4);
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&, i] {
            for (int repeat = 0; repeat < 3; ++repeat) EncodePng(pictures[i], together[i]);
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(together[i], alone[i]) << i;
}

// ---- files of every kind ---------------------------------------------------------------------

// A picture of six colours in blocks: it fits a palette without loss.
Image fewColours(int width, int height) {
    static const std::uint8_t colours[6][3] = {{255, 0, 0},    {0, 128, 0},  {0, 0, 255},
                                               {250, 250, 10}, {20, 20, 20}, {200, 100, 150}};
    Image image = *Image::create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto* c = colours[(x / 5 + y / 4) % 6];
            image.setPixel(x, y, c[0], c[1], c[2]);
        }
    }
    return image;
}

// Grey values that a depth of `bits` holds exactly.
Image greyRamp(int width, int height, int bits) {
    const int levels = (1 << bits) - 1;
    Image image = *Image::create(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int v = ((x + 3 * y) % (levels + 1)) * 255 / levels;
            image.setPixel(x, y, v, v, v);
        }
    }
    return image;
}

struct ToolCase {
    const char* name;
    const char* tool;  // "convert" or "ffmpeg"
    Image (*source)();
    std::vector<std::string> options;  // between input and output
    const char* outputPrefix;          // ImageMagick's format prefix, such as "PNG8:"
    int colourType;
    int bitDepth;
    int interlace;
    bool hasTransparency;  // a tRNS chunk is expected
    int tolerance = 0;     // ffmpeg's own colour conversions are off by a little
};

Image rgbSource() {
    return GradientPicture(61, 37, 7);
}
Image paletteSource() {
    return fewColours(61, 37);
}
Image grey8Source() {
    return greyRamp(61, 37, 8);
}
Image grey4Source() {
    return greyRamp(61, 37, 4);
}
Image grey2Source() {
    return greyRamp(61, 37, 2);
}
Image grey1Source() {
    return greyRamp(61, 37, 1);
}

std::vector<std::string> greyOptions(const char* depth) {
    return {"-define", "png:color-type=0", "-define", std::string("png:bit-depth=") + depth};
}
std::vector<std::string> alphaOptions(const char* amount) {
    return {"-alpha", "set", "-channel", "A", "-evaluate", "set", amount, "+channel"};
}
std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const ToolCase kToolCases[] = {
    {"palette", "convert", paletteSource, {}, "PNG8:", 3, 8, 0, false},
    {"palette, interlaced",
     "convert",
     paletteSource,
     {"-interlace", "PNG"},
     "PNG8:",
     3,
     8,
     1,
     false},
    {"palette with tRNS",
     "convert",
     paletteSource,
     {"-transparent", "rgb(0,128,0)"},
     "PNG8:",
     3,
     8,
     0,
     true},
    {"grey 8", "convert", grey8Source, greyOptions("8"), "", 0, 8, 0, false},
    {"grey 4", "convert", grey4Source, greyOptions("4"), "", 0, 4, 0, false},
    {"grey 2", "convert", grey2Source, greyOptions("2"), "", 0, 2, 0, false},
    {"grey 1", "convert", grey1Source, greyOptions("1"), "", 0, 1, 0, false},
    {"grey 16", "convert", grey8Source, greyOptions("16"), "", 0, 16, 0, false},
    {"grey and alpha", "convert", grey8Source,
     joined(alphaOptions("60%"), {"-define", "png:color-type=4"}), "", 4, 8, 0, false},
    {"RGB 16", "convert", rgbSource, {}, "PNG48:", 2, 16, 0, false},
    {"RGBA 8", "convert", rgbSource, alphaOptions("50%"), "PNG32:", 6, 8, 0, false},
    {"RGBA 16", "convert", rgbSource, alphaOptions("30%"), "PNG64:", 6, 16, 0, false},
    {"RGB interlaced", "convert", rgbSource, {"-interlace", "PNG"}, "PNG24:", 2, 8, 1, false},
    {"RGBA 16 by ffmpeg", "ffmpeg", rgbSource, {"-pix_fmt", "rgba64be"}, "", 6, 16, 0, false, 2},
    {"grey 16 by ffmpeg", "ffmpeg", grey8Source, {"-pix_fmt", "gray16be"}, "", 0, 16, 0, false, 2},
    {"grey and alpha by ffmpeg", "ffmpeg", grey8Source, {"-pix_fmt", "ya8"}, "", 4, 8, 0, false, 2},
};

TEST(PngCodec, ReadsEveryKindOtherToolsWrite) {
    TempFolder folder;
    for (const ToolCase& c : kToolCases) {
        SCOPED_TRACE(c.name);
        if (!HaveTool(c.tool)) GTEST_SKIP() << c.tool << " is not installed";
        const Image original = c.source();
        const std::string input = folder.write("in.png", encoded(original));
        const std::string output = folder.file("out.png");
        std::vector<std::string> args;
        if (std::string(c.tool) == "ffmpeg") args = {"-y", "-loglevel", "error", "-i"};
        args.push_back(input);
        args = joined(args, c.options);
        args.push_back(c.outputPrefix + output);
        ASSERT_TRUE(RunTool(c.tool, args));
        const Bytes file = *ReadFileBytes(output);

        HeaderFields fields;
        ASSERT_TRUE(readHeaderWithLibpng(file, fields));
        EXPECT_EQ(fields.colourType, c.colourType);
        EXPECT_EQ(fields.bitDepth, c.bitDepth);
        EXPECT_EQ(fields.interlace, c.interlace);
        bool hasTrns = false;
        for (const Chunk& chunk : chunksOf(file)) hasTrns = hasTrns || chunk.type == "tRNS";
        EXPECT_EQ(hasTrns, c.hasTransparency);

        Image decoded;
        ASSERT_EQ(DecodePng(file, decoded), LoadResult::Ok);
        ASSERT_EQ(decoded.width(), original.width());
        ASSERT_EQ(decoded.height(), original.height());
        int wrong = 0;
        for (int y = 0; y < original.height(); ++y) {
            for (int x = 0; x < original.width(); ++x) {
                // A tool may store any colour under a fully transparent pixel.
                if (c.hasTransparency && original.green(x, y) == 128 && original.red(x, y) == 0)
                    continue;
                for (int i = 0; i < 3; ++i) {
                    const int difference = decoded.row(y)[x * 3 + i] - original.row(y)[x * 3 + i];
                    if (std::abs(difference) > c.tolerance) ++wrong;
                }
            }
        }
        EXPECT_EQ(wrong, 0);
    }
}

TEST(PngCodec, IgnoresTransparencyChunksOfGreyAndRgbPictures) {
    // A tRNS chunk of an RGB or grey picture names one colour as transparent; it is dropped.
    const Image rgb = GradientPicture(9, 6);
    std::vector<Chunk> chunks = chunksOf(encoded(rgb));
    chunks.insert(chunks.begin() + 1, Chunk{"tRNS", {0, 10, 0, 20, 0, 30}});
    Image decoded;
    ASSERT_EQ(DecodePng(fileOf(chunks), decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, rgb));

    Bytes raw;
    for (int y = 0; y < 4; ++y) raw.insert(raw.end(), {0, 0, 100, 200});
    std::vector<Chunk> grey = chunksOf(craftedPng(3, 4, 8, 0, compressed(raw)));
    grey.insert(grey.begin() + 1, Chunk{"tRNS", {0, 100}});
    ASSERT_EQ(DecodePng(fileOf(grey), decoded), LoadResult::Ok);
    EXPECT_EQ(decoded.red(1, 2), 100);
    EXPECT_EQ(decoded.blue(2, 3), 200);
}

// ---- bad input -------------------------------------------------------------------------------

TEST(PngCodec, OtherBytesAreNotThisFormat) {
    Image untouched = GradientPicture(2, 2);
    const Image before = untouched;
    EXPECT_EQ(DecodePng({}, untouched), LoadResult::NotThisFormat);
    const Bytes signatureOnly = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A};
    EXPECT_EQ(DecodePng(signatureOnly, untouched), LoadResult::NotThisFormat);
    const Bytes bitmap = {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(DecodePng(bitmap, untouched), LoadResult::NotThisFormat);
    // A signature changed by a text-mode transfer (CR LF turned into LF).
    const Bytes mangled = {0x89, 'P', 'N', 'G', '\n', 0x1A, '\n', 0, 0, 0};
    EXPECT_EQ(DecodePng(mangled, untouched), LoadResult::NotThisFormat);
    EXPECT_TRUE(untouched.samePixels(before));
}

TEST(PngCodec, TruncatedOrCorruptFilesAreDamagedAndLeaveTheTargetAlone) {
    const Bytes file = encoded(GradientPicture(120, 80));
    const Image before = GradientPicture(3, 3);
    for (const std::size_t length : {std::size_t{8}, std::size_t{20}, std::size_t{33},
                                     std::size_t{60}, file.size() / 2, file.size() - 40}) {
        Image target = before;
        EXPECT_EQ(DecodePng(std::span(file).first(length), target), LoadResult::Damaged) << length;
        EXPECT_TRUE(target.samePixels(before)) << length;
    }

    Bytes flipped = file;
    flipped[file.size() / 2] ^= 0x40;  // inside the image data: the chunk's CRC no longer fits
    Image target;
    EXPECT_EQ(DecodePng(flipped, target), LoadResult::Damaged);

    Bytes garbage = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (int i = 0; i < 200; ++i) garbage.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    EXPECT_EQ(DecodePng(garbage, target), LoadResult::Damaged);
}

TEST(PngCodec, AFileMissingOnlyItsEndChunkStillReads) {
    const Image original = GradientPicture(50, 30);
    const Bytes file = encoded(original);
    Image decoded;
    ASSERT_EQ(DecodePng(std::span(file).first(file.size() - 12), decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, original));
}

TEST(PngCodec, AbsurdOrEmptySizesAreRefusedBeforeAllocating) {
    const Bytes tinyData = compressed(Bytes(4, 0));
    Image target;
    EXPECT_EQ(DecodePng(craftedPng(100000, 100000, 8, 2, tinyData), target), LoadResult::TooLarge);
    EXPECT_EQ(DecodePng(craftedPng(70000, 2, 8, 2, tinyData), target), LoadResult::TooLarge);
    EXPECT_EQ(DecodePng(craftedPng(20000, 20000, 8, 2, tinyData), target), LoadResult::TooLarge);
    EXPECT_EQ(DecodePng(craftedPng(0, 10, 8, 2, tinyData), target), LoadResult::Damaged);
    EXPECT_EQ(DecodePng(craftedPng(10, 0, 8, 2, tinyData), target), LoadResult::Damaged);
    // An acceptable size (600 MB of pixels) that a file of a few bytes cannot hold.
    EXPECT_EQ(DecodePng(craftedPng(16000, 12000, 8, 2, tinyData), target), LoadResult::Damaged);
    EXPECT_TRUE(target.empty());
}

TEST(PngCodec, ABitDepthThatDoesNotFitTheColourTypeIsDamaged) {
    Bytes raw;
    for (int y = 0; y < 2; ++y) raw.insert(raw.end(), {0, 1, 2, 3, 4, 5, 6});
    Image target;
    EXPECT_EQ(DecodePng(craftedPng(2, 2, 4, 2, compressed(raw)), target), LoadResult::Damaged);
    EXPECT_EQ(DecodePng(craftedPng(2, 2, 8, 5, compressed(raw)), target), LoadResult::Damaged);
}

TEST(PngCodec, TooLittleImageDataIsDamaged) {
    Bytes raw;
    for (int y = 0; y < 3; ++y) raw.insert(raw.end(), {0, 1, 2, 3, 4, 5, 6});  // 3 rows of 2 pixels
    Image target;
    EXPECT_EQ(DecodePng(craftedPng(2, 6, 8, 2, compressed(raw)), target), LoadResult::Damaged);
    ASSERT_EQ(DecodePng(craftedPng(2, 3, 8, 2, compressed(raw)), target), LoadResult::Ok);
    EXPECT_EQ(target.blue(1, 2), 6);
}

}  // namespace
}  // namespace morvel

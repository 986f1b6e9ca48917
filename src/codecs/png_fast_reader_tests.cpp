#include "codecs/png_fast_reader.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <string>
#include <vector>

#include "codecs/png_codec.h"
#include "codecs/shrink_picture.h"

namespace morvel {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Case {
    const char* name;
    int colourType;
    int bitDepth;
    int interlace;
    int filters;      // libpng's filter choice for the writer
    int paletteSize;  // palette entries (colour type 3), else 0
    int transparent;  // tRNS entries written (0: none)
};

void appendToVector(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

// Random samples of the case's kind written by libpng itself, with its filter choice.
Bytes writeWithLibpng(const Case& c, int width, int height) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<Bytes> rows(height);
    std::vector<png_bytep> pointers(height);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        ADD_FAILURE() << "libpng could not write " << c.name;
        return {};
    }
    png_set_write_fn(png, &out, appendToVector, nullptr);
    png_set_benign_errors(png, 1);  // palette indices beyond a short palette, on purpose
    png_set_IHDR(png, info, width, height, c.bitDepth, c.colourType, c.interlace, 0, 0);
    png_set_filter(png, 0, c.filters);
    png_color palette[256];
    png_byte alpha[256];
    for (int i = 0; i < 256; ++i) {
        palette[i] = {png_byte(i * 7), png_byte(255 - i), png_byte(i * 13 + 5)};
        alpha[i] = png_byte(i * 3);
    }
    png_color_16 key{0, 10, 20, 30, 40};
    if (c.paletteSize) png_set_PLTE(png, info, palette, c.paletteSize);
    if (c.transparent) png_set_tRNS(png, info, alpha, c.transparent, &key);
    png_write_info(png, info);
    const int channels = c.colourType == 2 ? 3 : c.colourType == 6 ? 4 : c.colourType == 4 ? 2 : 1;
    const std::size_t rowBytes = (std::size_t(width) * channels * c.bitDepth + 7) / 8;
    std::uint32_t state = 12345;
    for (int y = 0; y < height; ++y) {
        rows[y].resize(rowBytes);
        for (std::size_t i = 0; i < rowBytes; ++i) {
            state = state * 1103515245 + 12345;
            // Smooth values with a little noise, as in a photograph, so every filter is chosen.
            rows[y][i] = std::uint8_t((i * 3 + y * 2) / 4 + ((state >> 16) & 7));
            if (c.paletteSize && c.bitDepth == 8) rows[y][i] %= c.paletteSize;
        }
        pointers[y] = rows[y].data();
    }
    png_write_image(png, pointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return out;
}

const Case kCases[] = {
    {"RGB 8, every filter", 2, 8, 0, PNG_ALL_FILTERS, 0, 0},
    {"RGB 8, sub", 2, 8, 0, PNG_FILTER_SUB, 0, 0},
    {"RGB 8, up", 2, 8, 0, PNG_FILTER_UP, 0, 0},
    {"RGB 8, average", 2, 8, 0, PNG_FILTER_AVG, 0, 0},
    {"RGB 8, Paeth", 2, 8, 0, PNG_FILTER_PAETH, 0, 0},
    {"RGB 8 with tRNS", 2, 8, 0, PNG_ALL_FILTERS, 0, 1},
    {"RGB 16", 2, 16, 0, PNG_ALL_FILTERS, 0, 0},
    {"RGBA 8, average", 6, 8, 0, PNG_FILTER_AVG, 0, 0},
    {"RGBA 8, Paeth", 6, 8, 0, PNG_FILTER_PAETH, 0, 0},
    {"RGBA 16", 6, 16, 0, PNG_ALL_FILTERS, 0, 0},
    {"grey 1", 0, 1, 0, PNG_ALL_FILTERS, 0, 0},
    {"grey 2", 0, 2, 0, PNG_ALL_FILTERS, 0, 0},
    {"grey 4", 0, 4, 0, PNG_ALL_FILTERS, 0, 0},
    {"grey 8 with tRNS", 0, 8, 0, PNG_ALL_FILTERS, 0, 1},
    {"grey 16", 0, 16, 0, PNG_ALL_FILTERS, 0, 0},
    {"grey and alpha 8", 4, 8, 0, PNG_ALL_FILTERS, 0, 0},
    {"grey and alpha 16", 4, 16, 0, PNG_ALL_FILTERS, 0, 0},
    {"palette 1", 3, 1, 0, PNG_FILTER_NONE, 2, 0},
    {"palette 2", 3, 2, 0, PNG_FILTER_NONE, 4, 0},
    {"palette 4, short palette", 3, 4, 0, PNG_FILTER_NONE, 5, 0},
    {"palette 8 with tRNS", 3, 8, 0, PNG_ALL_FILTERS, 200, 100},
    {"RGB 8, interlaced", 2, 8, 1, PNG_ALL_FILTERS, 0, 0},
    {"palette 4, interlaced", 3, 4, 1, PNG_FILTER_NONE, 16, 0},
    {"grey 1, interlaced", 0, 1, 1, PNG_ALL_FILTERS, 0, 0},
};

TEST(PngFastReader, GivesLibpngsPixelsForEveryKindItReads) {
    for (const Case& c : kCases) {
        for (const auto& [width, height] : {std::pair{37, 23}, std::pair{300, 150}}) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(width));
            const Bytes file = writeWithLibpng(c, width, height);
            Image expected;
            ASSERT_EQ(DecodePngWithLibpng(file, expected), LoadResult::Ok);
            Image fast;
            const FastPngResult result = DecodePngFast(file, fast);
            // Interlaced pictures are left to libpng; every other kind is read here.
            ASSERT_EQ(result == FastPngResult::Decoded, c.interlace == 0);
            if (result == FastPngResult::Decoded) {
                EXPECT_TRUE(fast.samePixels(expected));
            }
            // A mask's grey is the picture's blue, read without the picture.
            GreyImage blue;
            ASSERT_EQ(DecodePngFastBlue(file, blue), result);
            if (result == FastPngResult::Decoded) {
                EXPECT_TRUE(blue.samePixels(*GreyFromBlue(expected)));
            }
            Image viaEntry;
            ASSERT_EQ(DecodePng(file, viaEntry), LoadResult::Ok);
            EXPECT_TRUE(viaEntry.samePixels(expected));
        }
    }
}

TEST(PngFastReader, ReducedReadGivesTheShrunkFullPicture) {
    // Sizes that leave partial blocks at the right and bottom for every factor.
    for (const Case& c : kCases) {
        for (const auto& [width, height] : {std::pair{37, 23}, std::pair{64, 9}, std::pair{5, 3}}) {
            const Bytes file = writeWithLibpng(c, width, height);
            Image full;
            ASSERT_EQ(DecodePng(file, full), LoadResult::Ok) << c.name;
            for (int factor : {1, 2, 3, 4, 8, 256}) {
                SCOPED_TRACE(std::string(c.name) + " " + std::to_string(width) + " / " +
                             std::to_string(factor));
                Image reduced;
                const FastPngResult result = DecodePngFastReduced(file, factor, reduced);
                ASSERT_EQ(result == FastPngResult::Decoded, c.interlace == 0);
                if (result == FastPngResult::Decoded) {
                    EXPECT_TRUE(reduced.samePixels(ShrinkPicture(full, factor)));
                }
            }
        }
    }
}

// ---- bad input: left to libpng, which gives today's results ----------------------------------

Bytes chunk(const char* type, const Bytes& data) {
    Bytes out;
    for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(data.size() >> s));
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), data.begin(), data.end());
    const uLong crc = crc32(crc32(0, reinterpret_cast<const Bytef*>(type), 4), data.data(),
                            static_cast<uInt>(data.size()));
    for (int s = 24; s >= 0; s -= 8) out.push_back(std::uint8_t(crc >> s));
    return out;
}

// An 8-bit RGB file of width x height whose image data is the given rows, compressed.
Bytes rgbFile(std::uint32_t width, std::uint32_t height, const Bytes& raw) {
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    for (std::uint32_t v : {width, height})
        for (int s = 24; s >= 0; s -= 8) header.push_back(std::uint8_t(v >> s));
    header.insert(header.end(), {8, 2, 0, 0, 0});
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes packed(size);
    compress2(packed.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    packed.resize(size);
    for (const Bytes& c : {chunk("IHDR", header), chunk("IDAT", packed), chunk("IEND", {})})
        file.insert(file.end(), c.begin(), c.end());
    return file;
}

TEST(PngFastReader, LeavesBadDataToLibpngAndGivesTodaysResults) {
    const Bytes row = {1, 10, 20, 30, 5, 5, 5};  // filter Sub, two pixels
    auto rows = [&](int count, std::uint8_t filter) {
        Bytes raw;
        for (int i = 0; i < count; ++i) {
            raw.insert(raw.end(), row.begin(), row.end());
            raw[raw.size() - row.size()] = filter;
        }
        return raw;
    };
    struct Bad {
        const char* name;
        Bytes file;
        LoadResult expected;
    };
    const Bad cases[] = {
        {"too little data", rgbFile(2, 6, rows(5, 1)), LoadResult::Damaged},
        {"filter type 5", rgbFile(2, 6, rows(6, 5)), LoadResult::Damaged},
        {"more data than the picture needs", rgbFile(2, 6, rows(9, 1)), LoadResult::Ok},
        {"2^31 pixels", rgbFile(65535, 32769, rows(1, 1)), LoadResult::TooLarge},
        {"a width of 2^31", rgbFile(0x80000000u, 1, rows(1, 1)), LoadResult::TooLarge},
    };
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.name);
        Image image;
        EXPECT_EQ(DecodePngFast(bad.file, image), FastPngResult::LeftToLibpng);
        EXPECT_TRUE(image.empty());
        EXPECT_EQ(DecodePngFastReduced(bad.file, 4, image), FastPngResult::LeftToLibpng);
        EXPECT_TRUE(image.empty());
        GreyImage grey;
        EXPECT_EQ(DecodePngFastBlue(bad.file, grey), FastPngResult::LeftToLibpng);
        EXPECT_TRUE(grey.empty());
        EXPECT_EQ(DecodePng(bad.file, image), bad.expected);
    }
}

}  // namespace
}  // namespace morvel

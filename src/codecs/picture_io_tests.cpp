#include "codecs/picture_io.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "codecs/bmp_codec.h"
#include "platform/files.h"
#include "codecs/jpeg_codec.h"
#include "codecs/png_codec.h"
#include "codecs/shrink_picture.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::MeanDifference;
using testing::SamePicture;
using testing::TempFolder;

using Bytes = std::vector<std::uint8_t>;

Bytes encodedAs(const Image& image, PictureFormat format) {
    Bytes out;
    EXPECT_TRUE(EncodePicture(image, format, out));
    return out;
}

// Uncompressed 24-bit Targa, bottom row first, pixels stored blue, green, red.
Bytes targa(const Image& image) {
    Bytes file(18, 0);
    file[2] = 2;
    file[12] = static_cast<std::uint8_t>(image.width());
    file[13] = static_cast<std::uint8_t>(image.width() >> 8);
    file[14] = static_cast<std::uint8_t>(image.height());
    file[15] = static_cast<std::uint8_t>(image.height() >> 8);
    file[16] = 24;
    for (int y = image.height() - 1; y >= 0; --y) {
        for (int x = 0; x < image.width(); ++x) {
            file.insert(file.end(), {image.blue(x, y), image.green(x, y), image.red(x, y)});
        }
    }
    return file;
}

// An uncompressed 8-bit grey TIFF in one strip.
Bytes greyTiff(const Bytes& pixels, int width, int height) {
    Bytes file = {'I', 'I', 42, 0, 8, 0, 0, 0};
    struct Tag {
        std::uint16_t id, type;
        std::uint32_t value;
    };
    const Tag tags[] = {{256, 4, static_cast<std::uint32_t>(width)},
                        {257, 4, static_cast<std::uint32_t>(height)},
                        {258, 3, 8},
                        {259, 3, 1},
                        {262, 3, 1},
                        {273, 4, 8 + 2 + 12 * 9 + 4},
                        {277, 3, 1},
                        {278, 4, static_cast<std::uint32_t>(height)},
                        {279, 4, static_cast<std::uint32_t>(pixels.size())}};
    auto put = [&file](std::uint32_t value, int bytes) {
        for (int i = 0; i < bytes; ++i) file.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    };
    put(9, 2);
    for (const Tag& tag : tags) {
        put(tag.id, 2);
        put(tag.type, 2);
        put(1, 4);
        put(tag.value, 4);
    }
    put(0, 4);
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// ---- reading by content -----------------------------------------------------------------------

TEST(PictureIo, EveryFormatIsRecognisedByItsContent) {
    const Image original = GradientPicture(21, 13, 5);
    Image decoded;

    ASSERT_EQ(DecodePicture(EncodeBmp(original), decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, original));
    ASSERT_EQ(DecodePicture(encodedAs(original, PictureFormat::Png), decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, original));
    ASSERT_EQ(DecodePicture(encodedAs(original, PictureFormat::Jpeg), decoded), LoadResult::Ok);
    EXPECT_LT(MeanDifference(decoded, original), 12.0);
    ASSERT_EQ(DecodePicture(targa(original), decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, original));

    const Bytes grey = {0, 50, 100, 150, 200, 250};
    ASSERT_EQ(DecodePicture(greyTiff(grey, 3, 2), decoded), LoadResult::Ok);
    ASSERT_EQ(decoded.width(), 3);
    EXPECT_EQ(decoded.green(2, 1), 250);
}

TEST(PictureIo, TheNameDoesNotChooseTheReader) {
    TempFolder folder;
    const Image original = GradientPicture(30, 20, 8);
    const std::string path = folder.write("photo.bmp", encodedAs(original, PictureFormat::Png));
    Image decoded;
    ASSERT_EQ(LoadPictureFile(path, decoded), LoadResult::Ok);
    EXPECT_TRUE(SamePicture(decoded, original));

    const std::string jpeg = folder.write("scan.tif", encodedAs(original, PictureFormat::Jpeg));
    ASSERT_EQ(LoadPictureFile(jpeg, decoded), LoadResult::Ok);
    EXPECT_EQ(decoded.width(), 30);
}

TEST(PictureIo, TheFirstReaderThatKnowsTheBytesDecides) {
    Image target;
    // A cut-off PNG stays a damaged PNG; it is not offered to the readers after PNG.
    const Bytes png = encodedAs(GradientPicture(40, 40), PictureFormat::Png);
    EXPECT_EQ(DecodePicture(std::span(png).first(png.size() / 2), target), LoadResult::Damaged);
    // "BM" makes it a bitmap, whatever follows: the bitmap reader's verdict stands.
    Bytes bitmapStart = {'B', 'M'};
    bitmapStart.resize(200, 0x11);
    const LoadResult bitmapResult = DecodePicture(bitmapStart, target);
    EXPECT_EQ(bitmapResult, DecodeBmp(bitmapStart, target));
    EXPECT_NE(bitmapResult, LoadResult::NotThisFormat);
    EXPECT_NE(bitmapResult, LoadResult::Ok);
    EXPECT_TRUE(target.empty());
}

TEST(PictureIo, BytesThatNoReaderKnowsAreNotThisFormat) {
    Image target = GradientPicture(2, 2);
    const Image before = target;
    EXPECT_EQ(DecodePicture({}, target), LoadResult::NotThisFormat);
    const std::string text = "Dies ist kein Bild, sondern eine Textdatei mit etwas Inhalt.\r\n";
    EXPECT_EQ(DecodePicture(Bytes(text.begin(), text.end()), target), LoadResult::NotThisFormat);
    EXPECT_TRUE(target.samePixels(before));

    TempFolder folder;
    EXPECT_EQ(LoadPictureFile(folder.write("empty.png", Bytes{}), target),
              LoadResult::NotThisFormat);
    EXPECT_EQ(LoadPictureFile(folder.write("notes.jpg", text), target), LoadResult::NotThisFormat);
}

TEST(PictureIo, FilesThatCannotBeReadCannotBeOpened) {
    TempFolder folder;
    Image target;
    EXPECT_EQ(LoadPictureFile(folder.file("missing.png"), target), LoadResult::CannotOpen);
    EXPECT_EQ(LoadPictureFile(folder.path(), target), LoadResult::CannotOpen);
    const std::string regular = folder.write("plain.png", std::string("x"));
    EXPECT_EQ(LoadPictureFile(regular + "/below.png", target), LoadResult::CannotOpen);
    // A FIFO would block a plain read for ever.
    const std::string fifo = folder.file("pipe.png");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(LoadPictureFile(fifo, target), LoadResult::CannotOpen);
    EXPECT_TRUE(target.empty());
}

TEST(PictureIo, DecodersPrintNothingAboutBadFiles) {
    const Image original = GradientPicture(64, 48);
    Bytes png = encodedAs(original, PictureFormat::Png);
    png[40] ^= 0xFF;  // a broken checksum
    Bytes jpeg = encodedAs(original, PictureFormat::Jpeg);
    Bytes jpegWithJunk = jpeg;
    // Stray bytes before a marker make libjpeg warn about corrupt data.
    jpegWithJunk.insert(jpegWithJunk.end() - 2, {0x12, 0x34, 0x56});
    Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 2, 0, 1, 1, 3, 0};
    tiff.resize(80, 0xEE);

    Image target;
    ::testing::internal::CaptureStderr();
    DecodePicture(png, target);
    DecodePicture(std::span(jpeg).first(jpeg.size() / 2), target);
    DecodePicture(jpegWithJunk, target);
    DecodePicture(tiff, target);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

// ---- writing ----------------------------------------------------------------------------------

TEST(PictureIo, EveryWrittenFormatReadsBack) {
    TempFolder folder;
    const Image original = GradientPicture(33, 17, 4);
    const struct {
        PictureFormat format;
        const char* name;
        double tolerance;
    } formats[] = {{PictureFormat::Bmp, "a.bmp", 0},
                   {PictureFormat::Png, "a.png", 0},
                   {PictureFormat::Jpeg, "a.jpg", 12.0}};
    for (const auto& f : formats) {
        SCOPED_TRACE(f.name);
        const std::string path = folder.file(f.name);
        ASSERT_TRUE(SavePictureFile(original, path, f.format));
        Image decoded;
        ASSERT_EQ(LoadPictureFile(path, decoded), LoadResult::Ok);
        if (f.tolerance == 0) {
            EXPECT_TRUE(SamePicture(decoded, original));
        } else {
            EXPECT_LT(MeanDifference(decoded, original), f.tolerance);
        }
        Bytes out = {9};
        EXPECT_FALSE(EncodePicture(Image(), f.format, out));
        EXPECT_FALSE(SavePictureFile(Image(), folder.file("empty"), f.format));
    }
    EXPECT_FALSE(IsRegularFile(folder.file("empty")));
}

TEST(PictureIo, SavingReplacesTheWholeFile) {
    TempFolder folder;
    const std::string path = folder.write("frame.png", Bytes(100000, 0xAB));
    const Image small = GradientPicture(4, 4);
    ASSERT_TRUE(SavePictureFile(small, path, PictureFormat::Png));
    EXPECT_EQ(*ReadFileBytes(path), encodedAs(small, PictureFormat::Png));
}

// A bitmap file is written in pieces of many rows: the same bytes as encoded whole, for rows
// with and without padding and for pictures of one piece and of several.
TEST(PictureIo, BitmapsWrittenInPiecesAreTheBitmapsEncodedWhole) {
    TempFolder folder;
    for (const auto& [width, height] : {std::pair{4, 4}, {5, 3}, {7, 2000}, {3001, 90}}) {
        const Image picture = GradientPicture(width, height);
        const std::string path = folder.write("frame.bmp", Bytes(300, 0xCD));
        ASSERT_TRUE(SavePictureFile(picture, path, PictureFormat::Bmp));
        const Bytes whole = encodedAs(picture, PictureFormat::Bmp);
        EXPECT_EQ(whole.size(), 54 + Image::strideFor(width) * height);
        EXPECT_EQ(*ReadFileBytes(path), whole) << width << " x " << height;
        Image back;
        ASSERT_EQ(DecodePicture(whole, back), LoadResult::Ok);
        EXPECT_TRUE(SamePicture(back, picture));
    }
}

// A mask's file holds the bytes a 24-bit picture of red = green = blue gives, and its blue reads
// back as the grey; reduced, the grey is what each component of the picture reduces to.
TEST(PictureIo, MaskFilesAreTheBytesOfTheirGreyPicture) {
    TempFolder folder;
    for (const auto& [width, height] : {std::pair{1, 1}, {5, 3}, {67, 41}}) {
        auto grey = GreyImage::create(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                grey->setGrey(x, y, static_cast<std::uint8_t>(x * 37 + y * 11));
        auto picture = Image::create(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const std::uint8_t v = grey->grey(x, y);
                picture->setPixel(x, y, v, v, v);
            }
        const std::string path = folder.file("mask.tmp");
        ASSERT_TRUE(SaveMaskFile(*grey, path));
        EXPECT_EQ(*ReadFileBytes(path), encodedAs(*picture, PictureFormat::Png)) << width;
        Image back;
        ASSERT_EQ(LoadPictureFile(path, back), LoadResult::Ok);
        EXPECT_TRUE(GreyFromBlue(back)->samePixels(*grey));
        for (const int factor : {2, 3}) {
            const GreyImage shrunk = ShrinkGrey(*grey, factor);
            EXPECT_TRUE(shrunk.samePixels(*GreyFromBlue(ShrinkPicture(*picture, factor))));
        }
    }
}

TEST(PictureIo, AMaskPicturesGreyIsTheBlueOfThePictureWhateverTheFile) {
    TempFolder folder;
    const Image picture = GradientPicture(67, 41);
    Bytes damaged = encodedAs(picture, PictureFormat::Png);
    damaged.resize(damaged.size() / 2);
    const std::pair<const char*, Bytes> files[] = {
        {"png", encodedAs(picture, PictureFormat::Png)},
        {"bmp", encodedAs(picture, PictureFormat::Bmp)},
        {"jpeg", encodedAs(picture, PictureFormat::Jpeg)},
        {"damaged png", damaged},
        {"no picture", Bytes(100, 'x')},
    };
    for (const auto& [name, bytes] : files) {
        SCOPED_TRACE(name);
        const std::string path = folder.file("mask.tmp");
        ASSERT_TRUE(WriteFileBytes(path, bytes));
        Image whole;
        const LoadResult expected = LoadPictureFile(path, whole);
        GreyImage grey;
        ASSERT_EQ(LoadMaskPictureFile(path, grey), expected);
        if (expected == LoadResult::Ok) EXPECT_TRUE(grey.samePixels(*GreyFromBlue(whole)));
    }
    GreyImage grey;
    EXPECT_EQ(LoadMaskPictureFile(folder.file("missing.png"), grey), LoadResult::CannotOpen);
}

TEST(PictureIo, SavingReportsFailure) {
    TempFolder folder;
    const Image picture = GradientPicture(8, 8);
    EXPECT_FALSE(SavePictureFile(picture, folder.file("missing/frame.png"), PictureFormat::Png));
    const std::string regular = folder.write("file", std::string("x"));
    EXPECT_FALSE(SavePictureFile(picture, regular + "/frame.jpg", PictureFormat::Jpeg));
    EXPECT_FALSE(SavePictureFile(picture, folder.path(), PictureFormat::Bmp));
    // A device that is always full.
    if (::access("/dev/full", W_OK) == 0) {
        EXPECT_FALSE(SavePictureFile(picture, "/dev/full", PictureFormat::Bmp));
    }
}

TEST(PictureIo, FramesCanBeSavedOnSeveralThreadsAtOnce) {
    TempFolder folder;
    constexpr int kThreads = 6;
    std::vector<Image> pictures;
    for (int i = 0; i < kThreads; ++i) pictures.push_back(GradientPicture(200 + i, 150, i + 1));
    const PictureFormat formats[] = {PictureFormat::Png, PictureFormat::Jpeg, PictureFormat::Bmp};
    bool saved[kThreads] = {};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            saved[i] = SavePictureFile(pictures[i], folder.file(std::to_string(i)), formats[i % 3]);
        });
    }
    for (std::thread& thread : threads) thread.join();
    for (int i = 0; i < kThreads; ++i) {
        ASSERT_TRUE(saved[i]) << i;
        Bytes alone;
        ASSERT_TRUE(EncodePicture(pictures[i], formats[i % 3], alone));
        EXPECT_EQ(*ReadFileBytes(folder.file(std::to_string(i))), alone) << i;
    }
}

}  // namespace
}  // namespace morvel

#include "import/thumbnail_cache.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include <chrono>
#include <cstdlib>

#include "import/thumbnail_loader.h"
#include "platform/files.h"
#include "platform/md5.h"
#include "codecs/picture_io.h"
#include "codecs/png_chunks.h"
#include "codecs/png_codec.h"
#include "platform/private_files.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GradientPicture;
using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

int modeOf(const std::string& path) {
    struct stat info {};
    ::lstat(path.c_str(), &info);
    return info.st_mode & 0777;
}

void putBe32(Bytes& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(value >> shift));
}

// A zlib stream of 896 MiB of zeros in under 1 MiB: one flushed deflate segment of 16 MiB of
// zeros, repeated (each copy refers only to the zeros before it), an empty last block, the sum.
Bytes zeroBomb() {
    const Bytes zeros(16 << 20, 0);
    Bytes segment(64 << 10);
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    z.next_in = const_cast<Bytef*>(zeros.data());
    z.avail_in = static_cast<uInt>(zeros.size());
    z.next_out = segment.data();
    z.avail_out = static_cast<uInt>(segment.size());
    deflate(&z, Z_FULL_FLUSH);
    segment.resize(segment.size() - z.avail_out);
    deflateEnd(&z);
    Bytes stream = {0x78, 0xDA};
    for (int i = 0; i < 56; ++i) stream.insert(stream.end(), segment.begin(), segment.end());
    stream.insert(stream.end(), {0x03, 0x00});
    putBe32(stream, ((56u * zeros.size()) % 65521) << 16 | 1);  // Adler-32 of zeros
    return stream;
}

// The entry with its image data replaced by data, with valid chunk checksums.
Bytes withImageData(const Bytes& entry, const Bytes& data) {
    Bytes out(entry.begin(), entry.begin() + 8);
    PngChunkWalker walker(entry);
    PngChunk chunk;
    bool replaced = false;
    while (walker.next(chunk)) {
        const bool image = chunk.type == PngChunkType("IDAT");
        if (image && replaced) continue;
        const Bytes body = image ? data : Bytes(chunk.data.begin(), chunk.data.end());
        replaced = replaced || image;
        putBe32(out, static_cast<std::uint32_t>(body.size()));
        putBe32(out, chunk.type);
        out.insert(out.end(), body.begin(), body.end());
        putBe32(out,
                static_cast<std::uint32_t>(crc32(crc32(0, &out[out.size() - body.size() - 4], 4),
                                                 body.data(), static_cast<uInt>(body.size()))));
    }
    return out;
}

struct CacheTest : ::testing::Test {
    TempFolder folder;
    ThumbnailCache cache{folder.file("cache/thumbnails/normal")};
    std::string picture = folder.file("shot 1#.png");
    std::string entry;

    void SetUp() override {
        ASSERT_TRUE(SavePictureFile(GradientPicture(600, 400), picture, PictureFormat::Png));
        entry = cache.folder() + "/" + Md5Hex(FileUri(picture)) + ".png";
    }
    Bytes validEntry(const Image& image, const std::string& uri) {
        struct stat info {};
        ::stat(picture.c_str(), &info);
        Bytes png;
        EncodePngWithText(
            image, {{"Thumb::URI", uri}, {"Thumb::MTime", std::to_string(info.st_mtime)}}, png);
        return png;
    }
};

TEST(ThumbnailCacheNames, FollowTheFreedesktopRules) {
    EXPECT_EQ(Md5Hex("file:///home/jens/photos/me.png"), "c6ee772d9e49320e97ec29a7eb5b1697");
    EXPECT_EQ(FileUri("/film/take 1/a#b%c;d.png"), "file:///film/take%201/a%23b%25c%3Bd.png");
    EXPECT_EQ(FileUri("/ä"), "file:///%C3%A4");
}

TEST_F(CacheTest, StoresPrivatelyWithTheKeysAndFindsItAgain) {
    const Image small = cache.store(picture, GradientPicture(600, 400));
    EXPECT_EQ(small.width(), 128);
    EXPECT_EQ(small.height(), 85);
    EXPECT_EQ(modeOf(entry), 0600);
    EXPECT_EQ(modeOf(cache.folder()), 0700);
    EXPECT_EQ(modeOf(folder.file("cache/thumbnails")), 0700);
    const Bytes written = *ReadFileBytes(entry);
    EXPECT_EQ(FindPngText(written, "Thumb::URI"), FileUri(picture));
    EXPECT_FALSE(FindPngText(written, "Thumb::MTime").empty());
    EXPECT_FALSE(IsFolder(folder.file("cache/thumbnails/fail")));
    const std::optional<Image> found = cache.find(picture);
    ASSERT_TRUE(found);
    EXPECT_TRUE(found->samePixels(small));

    // A changed picture file no longer fits the entry.
    struct timespec times[2] = {{0, UTIME_OMIT}, {12345, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, picture.c_str(), times, 0), 0);
    EXPECT_FALSE(cache.find(picture));
}

TEST_F(CacheTest, IgnoresEntriesThatDoNotQualifyAndNeverWritesThroughALink) {
    ASSERT_TRUE(MakePrivateFolder(cache.folder()));
    const std::string elsewhere =
        folder.write("elsewhere.png", validEntry(GradientPicture(8, 8), FileUri(picture)));
    Bytes huge = validEntry(GradientPicture(8, 8), FileUri(picture));
    huge.resize(2 << 20, 0);
    Bytes noKeys;
    EncodePng(GradientPicture(8, 8), noKeys);
    struct Bad {
        const char* name;
        std::function<void()> make;
    };
    const Bad cases[] = {
        {"not a PNG", [&] { WriteFileBytes(entry, Bytes(100, 'x')); }},
        {"huge", [&] { WriteFileBytes(entry, huge); }},
        {"no keys", [&] { WriteFileBytes(entry, noKeys); }},
        {"another file's URI",
         [&] { WriteFileBytes(entry, validEntry(GradientPicture(8, 8), "file:///x")); }},
        {"larger than 128",
         [&] { WriteFileBytes(entry, validEntry(GradientPicture(300, 8), FileUri(picture))); }},
        {"another user's",
         [&] {
             WriteFileBytes(entry, validEntry(GradientPicture(8, 8), FileUri(picture)));
             ASSERT_EQ(::chown(entry.c_str(), 65534, 65534), 0);
         }},
        {"a decompression bomb",
         [&] {
             Image black = *Image::create(128, 85);
             black.fill(0, 0, 0);
             const Bytes bomb = withImageData(validEntry(black, FileUri(picture)), zeroBomb());
             ASSERT_LT(bomb.size(), 1u << 20);
             WriteFileBytes(entry, bomb);
         }},
        {"a symbolic link", [&] { ASSERT_EQ(::symlink(elsewhere.c_str(), entry.c_str()), 0); }},
    };
    const Bytes elsewhereBefore = *ReadFileBytes(elsewhere);
    for (const Bad& bad : cases) {
        SCOPED_TRACE(bad.name);
        ::unlink(entry.c_str());
        bad.make();
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(cache.find(picture));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
        cache.store(picture, GradientPicture(600, 400));
    }
    EXPECT_EQ(*ReadFileBytes(elsewhere), elsewhereBefore);
    struct stat info {};
    ASSERT_EQ(::lstat(entry.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
}

TEST_F(CacheTest, StripThumbnailsComeFromTheCacheWhoeverMadeIt) {
    const char* before = std::getenv("XDG_CACHE_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_CACHE_HOME", folder.file("cache").c_str(), 1);
    const DecodedThumbnail first = DecodeLayerThumbnail(picture);
    ASSERT_TRUE(first.thumbnail);
    EXPECT_TRUE(IsRegularFile(entry));
    // Another program's entry, all red, is taken as it is.
    Image red = *Image::create(128, 85);
    red.fill(255, 0, 0);
    ASSERT_TRUE(WriteFileBytes(entry, validEntry(red, FileUri(picture))));
    const DecodedThumbnail second = DecodeLayerThumbnail(picture);
    ASSERT_TRUE(second.thumbnail);
    EXPECT_EQ(second.thumbnail->red(30, 20), 255);
    EXPECT_EQ(second.thumbnail->green(30, 20), 0);
    before ? ::setenv("XDG_CACHE_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
}

}  // namespace
}  // namespace morvel

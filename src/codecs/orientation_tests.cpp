#include "codecs/orientation.h"

#include <gtest/gtest.h>

#include <string>

#include "codecs/jpeg_codec.h"
#include "codecs/picture_io.h"
#include "platform/files.h"
#include "test_support/exif_jpeg.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::ExifOrientationSegment;
using testing::GradientPicture;
using testing::TempFolder;
using testing::WithSegment;

Image convertedBack(const std::string& input, TempFolder& folder) {
    const std::string output = folder.file("upright.ppm");
    EXPECT_TRUE(testing::RunConvert({input, "-auto-orient", output}));
    return testing::DecodePpm(*ReadFileBytes(output)).value_or(Image());
}

TEST(Orientation, EveryJpegAndTiffOrientationMatchesImageMagicksAutoOrient) {
    ASSERT_TRUE(testing::HaveConvert()) << "ImageMagick's convert is part of the test tools";
    TempFolder folder;
    const Image stored = GradientPicture(40, 24, 3, 0);
    Bytes jpeg;
    ASSERT_TRUE(EncodeJpeg(stored, jpeg));
    const std::string plain = folder.write("stored.ppm", testing::EncodePpm(stored));
    static const char* kNames[] = {"",           "TopLeft", "TopRight", "BottomRight",
                                   "BottomLeft", "LeftTop", "RightTop", "RightBottom",
                                   "LeftBottom"};
    for (int orientation = 1; orientation <= 8; ++orientation) {
        SCOPED_TRACE(orientation);
        const std::string jpegFile = folder.write(
            "tagged.jpg",
            WithSegment(jpeg, ExifOrientationSegment(orientation, orientation % 2 == 0)));
        Image ours;
        ASSERT_EQ(LoadPictureFile(jpegFile, ours), LoadResult::Ok);
        EXPECT_TRUE(testing::SamePicture(ours, convertedBack(jpegFile, folder)));

        const std::string tiffFile = folder.file("tagged.tif");
        ASSERT_TRUE(testing::RunConvert({plain, "-orient", kNames[orientation], tiffFile}));
        ASSERT_EQ(LoadPictureFile(tiffFile, ours), LoadResult::Ok);
        EXPECT_TRUE(testing::SamePicture(ours, convertedBack(tiffFile, folder)));
    }
}

TEST(Orientation, AReducedJpegIsTurnedAndStaysLargeEnough) {
    Bytes jpeg;
    ASSERT_TRUE(EncodeJpeg(GradientPicture(320, 192), jpeg));
    Image reduced;
    ASSERT_EQ(
        DecodeJpegReduced(WithSegment(jpeg, ExifOrientationSegment(6, true)), reduced, 60, 45),
        LoadResult::Ok);
    // Halved, not quartered: a quarter would be 48 wide once turned.
    EXPECT_EQ(reduced.width(), 96);
    EXPECT_EQ(reduced.height(), 160);
}

TEST(Orientation, DamagedOrAbsurdTagsAreIgnored) {
    Bytes jpeg;
    ASSERT_TRUE(EncodeJpeg(GradientPicture(20, 10), jpeg));
    const Bytes good = ExifOrientationSegment(6, false);
    EXPECT_EQ(JpegExifOrientation(WithSegment(jpeg, good)), 6);
    auto changed = [&](std::size_t at, std::uint8_t value) {
        Bytes segment = good;
        segment[at] = value;
        return WithSegment(jpeg, segment);
    };
    const Bytes tagged = WithSegment(jpeg, good);
    const Bytes damaged[] = {
        changed(29, 0),                              // orientation 0
        changed(29, 9),                              // orientation 9
        changed(13, 0x2B),                           // not 42 after the byte order
        changed(16, 0xFF),                           // directory far beyond the block
        changed(23, 4),                              // tag type LONG
        changed(27, 2),                              // two values
        changed(10, 'X'),                            // byte order unknown
        changed(2, 0xF0),                            // segment longer than the file
        Bytes(tagged.begin(), tagged.begin() + 36),  // cut off inside the directory
    };
    for (const Bytes& file : damaged) EXPECT_EQ(JpegExifOrientation(file), kUpright);
    Image decoded;
    EXPECT_EQ(DecodeJpeg(changed(16, 0xFF), decoded), LoadResult::Ok);
    EXPECT_EQ(decoded.width(), 20);
}

}  // namespace
}  // namespace morvel

#include "export/image_sequence.h"

#include <gtest/gtest.h>

#include "editor/blend.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "platform/files.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GreyMask;
using testing::ReadText;
using testing::RecordingShell;
using testing::TempFolder;
using testing::UniformPicture;

TEST(SequenceNames, NumbersArePaddedToTheDigitsOfTheFrameCount) {
    const std::string pattern = "/film/szene.<\?\?\?>.png";
    EXPECT_EQ(SequenceFileName(pattern, 9, 9), "/film/szene.9.png");
    EXPECT_EQ(SequenceFileName(pattern, 1, 10), "/film/szene.01.png");
    EXPECT_EQ(SequenceFileName(pattern, 10, 10), "/film/szene.10.png");
    EXPECT_EQ(SequenceFileName(pattern, 7, 100), "/film/szene.007.png");
    EXPECT_EQ(SequenceFileName(pattern, 100, 100), "/film/szene.100.png");
}

TEST(SequenceNames, TheFilterDecidesTheFormatAndTheExtensionIsReplaced) {
    const auto name = [](const std::string& typed, int filter) {
        return SequenceFileName(SequencePattern(typed, SequenceFormatForFilter(filter)), 1, 12);
    };
    EXPECT_EQ(name("/film/szene.bmp", 1), "/film/szene.01.png");
    EXPECT_EQ(name("/film/frame", 0), "/film/frame.01.bmp");
    EXPECT_EQ(name("/my.films/take", 0), "/my.films/take.01.bmp");
    EXPECT_EQ(name("/film/take.jpg", 0), "/film/take.01.bmp");
    EXPECT_EQ(name("/film/take.png", 2), "/film/take.01.jpg");
    EXPECT_EQ(SequenceFormatForFilter(0).format, PictureFormat::Bmp);
    EXPECT_EQ(SequenceFormatForFilter(1).format, PictureFormat::Png);
    EXPECT_EQ(SequenceFormatForFilter(2).format, PictureFormat::Jpeg);
}

class Export : public ::testing::Test {
protected:
    TempFolder folder;
    TempFolder output;
    RecordingShell shell;
    ProgramState state{shell, folder.path(), folder.path()};

    void makeFrames(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string path = folder.file("p" + std::to_string(i) + ".png");
            const auto grey = static_cast<std::uint8_t>(i * 20);
            ASSERT_TRUE(SavePictureFile(UniformPicture(6, 4, {grey, grey, grey}), path,
                                        PictureFormat::Png));
            state.frames.last();
            state.frames.add().layerSource[0] = path;
        }
        RefreshFrameStrip(state, 0);
    }
    void choose(const std::string& path, int filter) {
        shell.saveAnswers.push_back({path, filter});
    }
};

TEST_F(Export, WritesEveryFrameInTheChosenFormatAndShowsTheDisplayedFrameAgain) {
    makeFrames(3);
    SelectFrame(state, 1);
    choose(output.file("szene.bmp"), 1);
    ExportImageSequence(state);
    ASSERT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_EQ(shell.saveRequests[0].title, "Bilder speichern");
    EXPECT_EQ(shell.saveRequests[0].initialName, "frame");
    EXPECT_EQ(shell.saveRequests[0].filterIndex, 0);
    for (int k = 1; k <= 3; ++k) {
        Image written;
        ASSERT_EQ(LoadPictureFile(output.file("szene." + std::to_string(k) + ".png"), written),
                  LoadResult::Ok);
        EXPECT_EQ(ReadText(output.file("szene." + std::to_string(k) + ".png")).substr(1, 3), "PNG");
        EXPECT_EQ(written.red(0, 0), (k - 1) * 20);
    }
    EXPECT_FALSE(IsRegularFile(output.file("szene.4.png")));
    EXPECT_EQ(state.cache.displayedIndex, 1);
    EXPECT_EQ(state.frames.index(), 1);
    EXPECT_EQ(state.images.composite.red(0, 0), 20);
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(Export, AProjectWithoutFramesWritesNothingAndSaysNothing) {
    choose(output.file("frame"), 0);
    ExportImageSequence(state);
    EXPECT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_TRUE(ListFolder(output.path()).empty());
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(Export, ACancelledRequesterDoesNothing) {
    makeFrames(2);
    ExportImageSequence(state);
    EXPECT_TRUE(ListFolder(output.path()).empty());
}

TEST_F(Export, AFolderThatIsGoneGivesOneMessagePerFrameInFrameOrder) {
    makeFrames(3);
    choose(output.file("gone/take"), 0);
    ExportImageSequence(state);
    const auto texts = shell.errorTexts();
    ASSERT_EQ(texts.size(), 3u);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(texts[k - 1], "Das Bild '" +
                                    output.file("gone/take." + std::to_string(k) + ".bmp") +
                                    "' konnte nicht gespeichert werden.\r\nÜberprüfen Sie ob "
                                    "genügend Speicherplatz zur "
                                    "Verfügung steht.\r\nErrorCode = 130-10-400");
    }
}

// A mask painted just before the export is in the exported frame and still there afterwards.
TEST_F(Export, TheDisplayedFramesFreshMaskIsExportedAndKept) {
    makeFrames(2);
    SelectFrame(state, 1);
    ASSERT_TRUE(CreateMask(state));
    state.images.mask.fill(255, 255, 255);
    state.images.mask.setPixel(0, 0, 0, 0, 0);
    ComposeFrame(state, kMaskChanged);
    choose(output.file("m"), 1);
    ExportImageSequence(state);
    Image written;
    ASSERT_EQ(LoadPictureFile(output.file("m.2.png"), written), LoadResult::Ok);
    EXPECT_EQ(written.red(0, 0), 0);
    EXPECT_EQ(written.red(1, 0), MixComponents(20, 0, 255));
    EXPECT_EQ(state.images.mask.blue(0, 0), 0);
    EXPECT_EQ(state.images.composite.red(0, 0), 0);
}

TEST_F(Export, ParallelEncodingWritesTheSameBytesAsOneEncoder) {
    makeFrames(5);
    SequenceJob job;
    job.format = PictureFormat::Png;
    job.pattern = output.file("one.<\?\?\?>.png");
    job.encoders = 1;
    EXPECT_EQ(WriteImageSequence(state, job), 0);
    job.pattern = output.file("two.<\?\?\?>.png");
    job.encoders = 3;
    int calls = 0;
    job.progress = [&](int written, int total) {
        EXPECT_EQ(written, ++calls);
        EXPECT_EQ(total, 5);
    };
    EXPECT_EQ(WriteImageSequence(state, job), 0);
    EXPECT_EQ(calls, 5);
    for (int k = 1; k <= 5; ++k) {
        EXPECT_EQ(ReadText(output.file("one." + std::to_string(k) + ".png")),
                  ReadText(output.file("two." + std::to_string(k) + ".png")));
    }
}

TEST_F(Export, ARangeKeepsTheNumbersOfTheWholeProject) {
    makeFrames(12);
    SequenceJob job;
    job.format = PictureFormat::Bmp;
    job.pattern = output.file("r.<\?\?\?>.bmp");
    job.first = 9;
    job.last = 20;
    EXPECT_EQ(WriteImageSequence(state, job), 0);
    EXPECT_EQ(ListFolder(output.path()).size(), 3u);
    EXPECT_TRUE(IsRegularFile(output.file("r.10.bmp")));
    EXPECT_TRUE(IsRegularFile(output.file("r.12.bmp")));

    // A stop request ends the export before the next frame.
    job.first = 0;
    job.pattern = output.file("s.<\?\?\?>.bmp");
    int asked = 0;
    job.stopRequested = [&] { return ++asked > 2; };
    EXPECT_EQ(WriteImageSequence(state, job), 0);
    EXPECT_TRUE(IsRegularFile(output.file("s.02.bmp")));
    EXPECT_FALSE(IsRegularFile(output.file("s.03.bmp")));
}

}  // namespace
}  // namespace morvel

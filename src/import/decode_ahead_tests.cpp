#include "import/decode_ahead.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/picture_io.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;
using testing::UniformPicture;

// Frames 0..4: frame k shows p<k>.png over the shared q.png, every other frame with a mask.
class DecodeAheadTest : public ::testing::Test {
protected:
    TempFolder folder;
    RecordingShell shell;
    ProgramState state{shell, folder.path(), folder.path()};
    DecodeAhead ahead;

    std::string write(const std::string& name, std::uint8_t grey, int width = 8) {
        const std::string path = folder.file(name);
        EXPECT_TRUE(SavePictureFile(UniformPicture(width, 6, {grey, grey, grey}), path,
                                    PictureFormat::Png));
        return path;
    }
    void SetUp() override {
        const std::string shared = write("q.png", 200);
        for (int k = 0; k < 5; ++k) {
            state.frames.last();
            FrameRecord& frame = state.frames.add();
            frame.layerSource = {write("p" + std::to_string(k) + ".png", std::uint8_t(k * 10)),
                                 shared};
            if (k % 2 == 0) {
                frame.maskNumber = state.nextMaskNumber++;
                write(MaskWorkingFileName(frame.maskNumber), std::uint8_t(100 + k));
            }
        }
    }
    // The grey of what the reader gives for source.
    int greyOf(const std::string& source) {
        Image picture;
        if (!ahead.read(state, source, picture)) return -1;
        return picture.red(0, 0);
    }
};

TEST_F(DecodeAheadTest, NeighboursAreHeldAndGivenOutAsTheirFilesRead) {
    const struct {
        int shown;
        int pending;  // the neighbours' pictures and masks the displayed frame does not share
    } cases[] = {{0, 1}, {2, 2}, {4, 1}, {1, 4}};
    for (const auto& c : cases) {
        ahead.frameShown(state, c.shown);
        EXPECT_EQ(ahead.pending(), c.pending) << "frame " << c.shown;
    }
    // Shown frame 1: frames 0 and 2 are held, and come out as their files read.
    EXPECT_EQ(greyOf(folder.file("p2.png")), 20);
    EXPECT_EQ(greyOf(state.maskWorkingFile(state.frames.at(0).maskNumber)), 100);
    EXPECT_EQ(ahead.pending(), 2);
    // Anything else is read when asked for.
    EXPECT_EQ(greyOf(folder.file("p4.png")), 40);
    EXPECT_EQ(greyOf(folder.file("gone.png")), -1);
}

TEST_F(DecodeAheadTest, AFileWrittenAgainAfterItsDecodeIsReadAgain) {
    ahead.frameShown(state, 0);
    EXPECT_EQ(greyOf(folder.file("p1.png")), 10);  // waits for the decode under way
    ahead.frameShown(state, 2);
    Image picture;
    ASSERT_TRUE(ahead.read(state, folder.file("p3.png"), picture));  // decoded by now
    ahead.frameShown(state, 2);
    write("p3.png", 77, 12);  // another size: the file's stamp differs for sure
    EXPECT_EQ(greyOf(folder.file("p3.png")), 77);
    // A step far away drops what was decoded for the old neighbours.
    ahead.frameShown(state, 4);
    EXPECT_EQ(ahead.pending(), 1);
    EXPECT_TRUE(shell.errors.empty());
}

}  // namespace
}  // namespace morvel

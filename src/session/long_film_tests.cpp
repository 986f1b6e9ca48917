// What a long film costs: opening for a range of frames (the batch renderer) looks only at the
// range and the frames whose size it carries; a save writes only the masks that changed.
#include <gtest/gtest.h>

#include <cstdio>

#include "codecs/picture_io.h"
#include "editor/editor_test_state.h"
#include "platform/file_stamp.h"
#include "platform/files.h"
#include "project/project_file.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;

// 100 frames, a mask on every tenth; pictures only for frames 40 and 50 on (those between are
// missing, so a range from 50 carries the size of frame 40).
class LongFilm : public ::testing::Test {
protected:
    void SetUp() override {
        std::vector<ProjectFileFrame> entries(100);
        const Image picture = testing::UniformPicture(8, 6, {90, 90, 90});
        for (int i = 0; i < 100; ++i) {
            entries[static_cast<std::size_t>(i)].layerSource[0] =
                project.file("p" + std::to_string(i) + ".png");
            if (i == 40 || i >= 50)
                SavePictureFile(picture, entries[static_cast<std::size_t>(i)].layerSource[0],
                                PictureFormat::Png);
            if (i % 10 == 0) {
                entries[static_cast<std::size_t>(i)].hasMask = true;
                char name[16];
                std::snprintf(name, sizeof name, "m%03d.png", i + 1);  // digits of the count
                SavePictureFile(picture, project.file(name), PictureFormat::Png);
            }
        }
        ProjectHeader header;
        header.maskTemplate = "m$Nr.png";
        path = project.file("Range.mvl");
        WriteFileBytes(path, SerializeProjectFile(header, entries));
        state.services.makeThumbnails = false;
        state.services.composeOnSelect = false;
        state.services.linkMasksOnOpen = true;
    }
    // The frames whose mask has a working file.
    std::vector<int> placedMasks() {
        std::vector<int> placed;
        for (int i = 0; i < state.document.frames.size(); ++i) {
            const std::int32_t n = state.document.frames.at(i).maskNumber;
            if (n != 0 && IsRegularFile(state.document.masks.workingFile(n))) placed.push_back(i);
        }
        return placed;
    }

    TempFolder project;
    TempFolder working;
    testing::RecordingShell shell;
    EditorTestState state{shell, working.path(), project.path()};
    std::string path;
};

TEST_F(LongFilm, PlacesOnlyTheMasksOfTheRangeAndOfTheFrameItCarries) {
    const struct {
        int first, last;
        std::vector<int> placed;
    } cases[] = {
        {0, -1, {0, 10, 20, 30, 40, 50, 60, 70, 80, 90}},
        {60, 79, {60, 70}},
        {50, 55, {40, 50}},  // 41..49 are missing: the size comes from frame 40
        {91, -1, {90}},
        {95, -1, {}},
        {200, -1, {}},  // past the end: nothing to compose
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.first);
        state.services.openFirst = c.first;
        state.services.openLast = c.last;
        OpenProject(state.document, state.session, state.view, state.services, path);
        ASSERT_EQ(state.document.frames.size(), 100);
        EXPECT_EQ(placedMasks(), c.placed);
        EXPECT_EQ(shell.errors.size(), 0u);
        CloseProject(state.document, state.session, state.view, state.services);
    }
}

TEST_F(LongFilm, ASaveLeavesTheMasksThatHoldTheirBytesAlready) {
    state.services.linkMasksOnOpen = false;  // the window's copies
    OpenProject(state.document, state.session, state.view, state.services, path);
    ASSERT_EQ(state.document.frames.size(), 100);
    const std::string kept = project.file("m001.png"), changed = project.file("m011.png");
    const FileStamp before = StampOf(kept);
    const std::vector<std::uint8_t> newBytes = {'n', 'e', 'w'};
    WriteFileBytes(state.document.masks.workingFile(state.document.frames.at(10).maskNumber),
                   newBytes);
    ASSERT_TRUE(WriteProjectFile(state.document, state.services.reporter()));
    EXPECT_EQ(StampOf(kept), before);  // not written again
    EXPECT_EQ(ReadFileBytes(changed), newBytes);
    EXPECT_TRUE(shell.errors.empty());
}

}  // namespace
}  // namespace morvel

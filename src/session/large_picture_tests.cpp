// A layer picture past the size cap is reported as too large, not as moved or deleted, on every
// path that reads it: opening, composing, a drop and an export.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "codecs/bmp_codec.h"
#include "editor/canvas_film.h"
#include "editor/editor_test_state.h"
#include "editor/frame_operations.h"
#include "editor/masks.h"
#include "export/image_sequence.h"
#include "platform/files.h"
#include "project/project_file.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;
using Bytes = std::vector<std::uint8_t>;

// A bitmap whose header says one pixel wider than the program takes; its one pixel follows.
Bytes tooWideBitmap() {
    Bytes bmp = EncodeBmp(testing::GradientPicture(1, 1));
    const std::uint32_t width = Image::kMaxSide + 1;
    for (int i = 0; i < 4; ++i) bmp[18 + i] = std::uint8_t(width >> (8 * i));
    return bmp;
}

struct TooLargePicture : ::testing::Test {
    TempFolder folder;
    TempFolder working;
    testing::RecordingShell shell;
    EditorTestState state{shell, working.path(), folder.path()};
    std::string large = folder.write("large.bmp", tooWideBitmap());
    std::string small = folder.file("small.png");

    void SetUp() override {
        ASSERT_TRUE(SavePictureFile(testing::GradientPicture(8, 6), small, PictureFormat::Png));
    }
    void open(const std::string& layer1) {
        const ProjectHeader header{folder.file("P.mvl"), "P", "", "", "$Nr.mask", ""};
        WriteFileBytes(header.projectFilePath,
                       SerializeProjectFile(header, {ProjectFileFrame{{layer1, small}, false}}));
        OpenProject(state.document, state.session, state.view, state.services,
                    header.projectFilePath);
    }
};

TEST_F(TooLargePicture, IsToldAsTooLargeOnEveryPath) {
    struct Path {
        const char* name;
        std::function<void()> read;
        const char* code;
    };
    const Path paths[] = {
        {"opening", [&] { open(large); }, "ErrorCode = 150-8-1"},
        {"composing",
         [&] {
             state.services.makeThumbnails = false;
             open(large);
         },
         "ErrorCode = 150-2-1"},
        {"a drop",
         [&] {
             ImportDroppedFiles(state.document, state.session, state.view, state.services, 0, large,
                                0);
         },
         "ErrorCode = 150-7-1"},
        {"an export",
         [&] {
             open(small);
             state.document.frames.at(0).layerSource[0] = large;
             shell.errors.clear();
             shell.saveAnswers = {{folder.file("out"), 0}};
             ExportImageSequence(
                 FilmOf(state.document, state.session), shell, state.services.language.texts,
                 [&] { StoreDisplayedMask(state.document, state.session, state.services); });
         },
         "ErrorCode = 150-2-1"},
    };
    for (const Path& path : paths) {
        SCOPED_TRACE(path.name);
        shell.errors.clear();
        path.read();
        ASSERT_EQ(shell.errors.size(), 1u);
        EXPECT_EQ(shell.errors[0].text,
                  "Das Bild '" + large +
                      "' ist zu groß, um geladen zu werden.\r\nEin Bild darf höchstens 65535 "
                      "Pixel breit und hoch sein und höchstens 268 Millionen Pixel haben.\r\n" +
                      path.code);
    }
}

}  // namespace
}  // namespace morvel

#include "editor/live_view.h"

#include <gtest/gtest.h>

#include <thread>

#include "editor/capture_flow.h"
#include "editor/editor_test_state.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::UniformPicture;

TEST(ComposeLiveCanvas, CentresTheLivePictureWithOnionSkinOrDifference) {
    const Image live = UniformPicture(4, 2, {200, 100, 0});
    const Image reference = UniformPicture(4, 2, {100, 100, 40});
    const struct {
        const char* name;
        const Image* reference;
        int percent;
        bool difference;
        testing::Rgb centre;
    } cases[] = {
        {"live alone", nullptr, 30, false, {200, 100, 0}},
        {"onion at 30 %", &reference, 30, false, {170, 100, 12}},
        {"onion at 0 %", &reference, 0, false, {200, 100, 0}},
        {"difference", &reference, 30, true, {255, 0, 160}},
        {"reference of another size", nullptr, 50, true, {200, 100, 0}},
    };
    const Image otherSize = UniformPicture(3, 2, {0, 0, 0});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Image canvas = UniformPicture(8, 4, {9, 9, 9});
        ComposeLiveCanvas(live, c.reference ? *c.reference : otherSize, c.percent, c.difference,
                          canvas);
        EXPECT_EQ(testing::DescribePixel(canvas, 3, 1),
                  testing::DescribePixel(UniformPicture(1, 1, c.centre), 0, 0));
        EXPECT_EQ(testing::DescribePixel(canvas, 1, 1), "0/0/0");  // beside: black
        EXPECT_EQ(testing::DescribePixel(canvas, 3, 0), "0/0/0");  // above
        EXPECT_EQ(testing::DescribePixel(canvas, 6, 2), "0/0/0");  // right of it
    }
}

TEST(LiveView, ShowsTheNewestPictureAndStopsWithOneMessageWhenTheCameraGoes) {
    testing::TempFolder working;
    testing::RecordingShell shell;
    EditorTestState state{shell, working.path(), working.path()};
    state.services.redrawPause = 0;
    EXPECT_FALSE(StartLiveView(state.document, state.session, state.view, state.services));
    ASSERT_EQ(shell.errors.size(), 1u);  // no camera
    ASSERT_TRUE(ChooseCamera(state.view, state.services,
                             "lavfi:color=c=red:size=320x240:rate=50:duration=0.5"));
    ASSERT_TRUE(StartLiveView(state.document, state.session, state.view, state.services));
    bool shown = false;
    for (int i = 0; i < 400 && state.view.shooting.live; ++i) {
        shown = ShowNewestLive(state.document, state.session, state.view, state.services) || shown;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_TRUE(shown);
    EXPECT_FALSE(state.view.shooting.live);
    ASSERT_EQ(shell.errors.size(), 2u);
    EXPECT_NE(shell.errors[1].text.find("ErrorCode = 640-21-"), std::string::npos);
}

}  // namespace
}  // namespace morvel

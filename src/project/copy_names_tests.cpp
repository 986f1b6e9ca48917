#include "project/copy_names.h"
#include "project/project_test_state.h"

#include <gtest/gtest.h>

#include "test_support/recording_shell.h"

namespace morvel {
namespace {

// Two frames: frame 1 has take A on layer 1 and take B on layer 2, frame 2 has take A again
// (a repeated frame) and a mask; layer 2 of frame 2 is given by each row.
TEST(CopyNames, TwoPicturesOnOneNameCollide) {
    const struct {
        const char* maskTemplate;
        const char* frameTemplate;
        const char* frame2Layer2;
        bool collide;
    } rows[] = {
        {"$nr.mask", "", "/p/c.png", false},                     // no copies at all
        {"$nr.mask", "$Layer/$Project_$Nr", "/p/c.png", false},  // an offered template
        {"$nr.mask", "frame_$Nr", "/p/c.png", true},             // takes of one extension
        {"$nr.mask", "frame_$Nr", "/p/c.jpg", true},             // frame 1 still collides
        {"$nr.mask", "take_$Layer", "/p/c.png", true},           // no $Nr
        {"$nr.mask", "$Layer_$Nr", "$AVI$3$/p/v.avi", false},    // a video frame is not copied
        {"$nr", "$Nr_$Layer", "/p/c", false},                    // no extension, no clash
        {"$nr.png", "$Nr", "", true},                            // picture on mask 2's name
        {"mask.png", "", "", false},                             // one mask only
    };
    for (const auto& row : rows) {
        testing::RecordingShell shell;
        ProjectTestState state(shell, "/w/", "/p/");
        FrameRecord& one = state.document.frames.append();
        one.layerSource = {"/p/a.png", "/p/b.png"};
        FrameRecord& two = state.document.frames.append();
        two.layerSource = {"/p/a.png", row.frame2Layer2};
        two.maskNumber = 1;
        EXPECT_EQ(CopyNamesCollide(state.document.frames, "/p/F.mvl", row.maskTemplate, row.frameTemplate),
                  row.collide)
            << row.frameTemplate << " " << row.frame2Layer2;
    }
}

}  // namespace
}  // namespace morvel

// Projects saved and opened again through the program's menu items, as the window raises them.

#include <gtest/gtest.h>

#include "app/app_test_support.h"
#include "app/dispatch.h"
#include "platform/files.h"
#include "platform/gadgets.h"
#include "platform/text.h"
#include "session/save_window.h"

namespace morvel {
namespace {

using testing::AppFixture;
using testing::GadgetEvent;
using testing::MenuEvent;
using testing::MouseEvent;
using testing::SamePicture;
using testing::TempFolder;

class ProjectRoundTrip : public ::testing::Test {
protected:
    AppFixture made;
    TempFolder saved;
    std::vector<Image> composites;  // of the frames as made

    // Three frames; the first and the third get masks painted with the eraser, at different
    // places and transparencies; the second keeps none.
    void SetUp() override {
        ASSERT_TRUE(BuildMainWindow(made.state));
        for (int i = 0; i < 3; ++i) made.addFrame(64 + 16 * i, 48);
        const Image unpainted = compositeOf(made.state, 0);
        dispatch(made, GadgetEvent(+Gadget::Eraser));
        paint(0, 10, 10, 0);
        paint(2, 40, 30, 100);
        for (int i = 0; i < 3; ++i) composites.push_back(compositeOf(made.state, i));
        ASSERT_FALSE(composites[0].samePixels(unpainted));  // the mask shows
        ASSERT_NE(made.state.document.frames.at(0).maskNumber, 0);
        ASSERT_EQ(made.state.document.frames.at(1).maskNumber, 0);
    }

    static void dispatch(AppFixture& app, const Event& event) { Dispatch(app.state, event); }

    void paint(int frame, int x, int y, int transparency) {
        SelectFrame(made.state.document, made.state.session, made.state.view, made.state.services,
                    frame);
        made.shell.gadgetStates[+Gadget::Transparency] = transparency;
        dispatch(made, GadgetEvent(+Gadget::Transparency));
        dispatch(made, GadgetEvent(+Gadget::Canvas, GadgetEventType::LeftClick, x, y));
        dispatch(made, MouseEvent(EventKind::MouseMove, x + 15, y + 5));
        dispatch(made, MouseEvent(EventKind::LeftRelease, x + 15, y + 5));
    }

    static Image compositeOf(Program& state, int frame) {
        SelectFrame(state.document, state.session, state.view, state.services, frame);
        return state.session.images.composite;
    }

    // "Speichern als ..." confirmed in the save window with these boxes.
    void saveAs(const std::string& folder, const std::string& maskTemplate,
                const std::string& frameTemplate = "Nicht speichern") {
        SaveWindowFields fields;
        SettleSaveWindow({folder, "Film", maskTemplate, frameTemplate, "Titel", "Ich", "a\nb"},
                         fields, "Nicht speichern");
        made.shell.saveWindowAnswers.push_back(fields);
        dispatch(made, MenuEvent(+MenuItem::SaveAs));
    }

    // "Öffnen ..." in a program that has just started, answering the requester with path.
    void reopenAndCompare(const std::string& path) {
        AppFixture fresh;
        ASSERT_TRUE(BuildMainWindow(fresh.state));
        fresh.shell.openAnswers.push_back({path, 0});
        dispatch(fresh, MenuEvent(+MenuItem::Open));
        ASSERT_EQ(fresh.shell.openRequests.size(), 1u);
        const FileRequest& request = fresh.shell.openRequests[0];
        EXPECT_EQ(request.title, "Projekt öffnen");
        EXPECT_EQ(request.initialName, "*.mvl");
        EXPECT_EQ(request.filter, "Morvel-Projekte|*.mvl|Alle Dateien|*.*");
        EXPECT_EQ(request.filterIndex, 0);
        EXPECT_TRUE(fresh.shell.errors.empty()) << fresh.shell.errorTexts().front();
        EXPECT_EQ(fresh.shell.windowTitles.back(), "Titel - Morvel");
        EXPECT_EQ(fresh.state.document.header.comment, "a\r\nb");
        ASSERT_EQ(fresh.state.document.frames.size(), 3);
        EXPECT_EQ(fresh.state.document.frames.at(1).maskNumber, 0);
        for (int i = 0; i < 3; ++i)
            EXPECT_TRUE(SamePicture(compositeOf(fresh.state, i), composites[i])) << "frame " << i;
    }
};

TEST_F(ProjectRoundTrip, EveryOfferedMaskTemplateGivesTheSameCompositesBack) {
    const std::string maskFiles[][2] = {
        {"masks/Film_1.png", "masks/Film_3.png"},
        {"masks/1.png", "masks/3.png"},
        {"Film_1.png", "Film_3.png"},
        {"1.png", "3.png"},
        {"masks/Film_1.mask", "masks/Film_3.mask"},
        {"masks/1.mask", "masks/3.mask"},
        {"Film_1.mask", "Film_3.mask"},
        {"1.mask", "3.mask"},
    };
    const auto& templates = OfferedMaskTemplates();
    ASSERT_EQ(templates.size(), std::size(maskFiles));
    for (std::size_t t = 0; t < templates.size(); ++t) {
        SCOPED_TRACE(templates[t]);
        const std::string folder = saved.path() + std::to_string(t) + "/";
        ASSERT_TRUE(MakeFolder(folder));
        saveAs(folder, templates[t]);
        EXPECT_EQ(made.shell.windowTitles.back(), "Titel - Morvel");
        for (const std::string& mask : maskFiles[t]) EXPECT_TRUE(IsRegularFile(folder + mask));
        EXPECT_FALSE(IsRegularFile(folder + ReplaceAll(maskFiles[t][0], "1", "2")));
        reopenAndCompare(folder + "Film.mvl");
    }
    EXPECT_TRUE(made.shell.errors.empty());
}

TEST_F(ProjectRoundTrip, AnEmptyMaskBoxAndPictureCopiesStillOpenTheSame) {
    saveAs(saved.path(), "", "img/$Layer_$NR");
    EXPECT_EQ(made.state.document.header.maskTemplate, "$nr.mask");
    EXPECT_TRUE(IsRegularFile(saved.file("1.mask")));
    EXPECT_TRUE(IsRegularFile(saved.file("img/1_1.png")));
    EXPECT_TRUE(IsRegularFile(saved.file("img/2_3.png")));
    // The originals go; the project refers to its copies.
    for (int frame = 0; frame < 3; ++frame)
        for (int layer = 0; layer < 2; ++layer)
            EXPECT_EQ(FolderPart(made.state.document.frames.at(frame).layerSource[layer]),
                      saved.file("img/"));
    made.work.write("take0_0.png", "gone");
    reopenAndCompare(saved.file("Film.mvl"));

    // A plain save afterwards keeps the templates and shows no window.
    dispatch(made, MenuEvent(+MenuItem::Save));
    EXPECT_EQ(made.shell.saveWindowsShown.size(), 1u);
    reopenAndCompare(saved.file("Film.mvl"));
}

}  // namespace
}  // namespace morvel

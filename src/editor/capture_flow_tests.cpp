#include "editor/capture_flow.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <thread>

#include "codecs/picture_io.h"
#include "editor/canvas.h"
#include "editor/capture_files.h"
#include "editor/editor_test_state.h"
#include "editor/frame_selection.h"
#include "editor/undo_history.h"
#include "editor/whole_frames.h"
#include "platform/files.h"
#include "sequence/composition.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::TempFolder;

class Shoot : public ::testing::Test {
public:
    TempFolder source;
    TempFolder captures;
    TempFolder workingFolder;
    testing::RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), workingFolder.path()};

    Shoot() {
        state.services.redrawPause = 0;
        state.view.shooting.settings.folder = captures.path();
        state.view.shooting.settings.nameTemplate = "$Nr_$Layer";
        for (int i = 0; i < 3; ++i) {
            SavePictureFile(testing::UniformPicture(16, 12, {static_cast<std::uint8_t>(80 * i), 0, 0}),
                            source.file("p" + std::to_string(i) + ".jpg"), PictureFormat::Jpeg);
        }
    }
    void useCamera(const std::string& url) {
        ASSERT_TRUE(ChooseCamera(state.view, state.services, url)) << errors();
    }
    void useFolderCamera() { useCamera("folder:" + source.path()); }
    bool begin(int layer) {
        return BeginCapture(state.document, state.session, state.view, state.services, layer);
    }
    void finish() {
        while (!FinishCapture(state.document, state.session, state.view, state.services))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    void capture(int layer) {
        ASSERT_TRUE(begin(layer)) << errors();
        finish();
    }
    // "0001_1.jpg|-" per frame: the file part of each layer source, "-" for an empty one.
    std::string frames() const {
        std::string text;
        for (int i = 0; i < state.document.frames.size(); ++i) {
            const FrameRecord& frame = state.document.frames.at(i);
            text += (i ? " " : "") + (frame.layerSource[0].empty() ? "-" : FilePart(frame.layerSource[0])) +
                    "|" + (frame.layerSource[1].empty() ? "-" : FilePart(frame.layerSource[1]));
        }
        return text;
    }
    std::string errors() const {
        std::string text;
        for (const auto& error : shell.errors) text += error.text + "\n";
        return text;
    }
    int displayed() const { return state.document.frames.indexOfId(state.session.cache.displayedId); }
};

TEST_F(Shoot, BothTakesLandInTheirFramesAndTheCleanPlateIsKeptWhenAsked) {
    const struct {
        bool keep;
        std::vector<int> takes;
        std::string frames;
        int displayed;
    } cases[] = {
        {false, {0}, "0001_1.jpg|-", 0},
        {false, {0, 1, 0}, "0001_1.jpg|0001_2.jpg 0002_1.jpg|-", 1},
        {true, {0, 1, 0, 0}, "0001_1.jpg|0001_2.jpg 0002_1.jpg|0001_2.jpg 0003_1.jpg|0001_2.jpg", 2},
        {true, {1, 0}, "0001_1.jpg|0001_2.jpg", 0},  // layer 1 fills the empty layer 1
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frames);
        TempFolder folder;
        state.view.shooting = {};
        state.view.shooting.settings = {folder.path(), "$Nr_$Layer", 6, 30, c.keep};
        state.document.frames.clear();
        state.session.cache.forgetDisplayedFrame();
        useFolderCamera();
        for (const int take : c.takes) capture(take);
        EXPECT_EQ(frames(), c.frames);
        EXPECT_EQ(displayed(), c.displayed);
        EXPECT_TRUE(shell.errors.empty()) << errors();
    }
}

TEST_F(Shoot, ATakeInsertsAfterTheDisplayedFrameWithItsThumbnail) {
    useFolderCamera();
    capture(0);
    capture(0);
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    capture(0);
    // Its place's name is taken by the frame now after it.
    EXPECT_EQ(frames(), "0001_1.jpg|- 0002_1_2.jpg|- 0002_1.jpg|-");
    EXPECT_EQ(displayed(), 1);
    const FrameId id = state.document.frames.at(1).id;
    EXPECT_NE(state.view.thumbnails.gadget(id, 0), 0u);
    EXPECT_EQ(shell.thumbnails.size(), 3u);
    // The picture served third went in, at the camera's full size.
    Image picture;
    ASSERT_EQ(LoadPictureFile(state.document.frames.at(1).layerSource[0], picture), LoadResult::Ok);
    EXPECT_EQ(picture.width(), 16);
    EXPECT_GT(picture.red(8, 6), 120);
}

TEST_F(Shoot, TheTakeShowsOnTheCanvasAsItsFramesPicturesComposeIt) {
    // The composite and canvas made on the camera's worker stand for the take alone: a take
    // beneath another layer or beside a mask must show what its frame's pictures make.
    const struct {
        std::vector<int> takes;
        bool mask;  // the displayed frame gets a mask before the last take
    } cases[] = {{{0}, false}, {{0, 1}, false}, {{1}, false}, {{1, 0}, false}, {{1, 0}, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.takes) + (c.mask ? " mask" : ""));
        TempFolder folder;
        state.view.shooting = {};
        state.view.shooting.settings = {folder.path(), "$Nr_$Layer", 6, 30, false};
        state.view.canvas = *Image::create(40, 30);
        state.document.frames.clear();
        state.session.cache.forgetDisplayedFrame();
        useFolderCamera();
        for (std::size_t i = 0; i < c.takes.size(); ++i) {
            if (c.mask && i + 1 == c.takes.size()) {
                FrameRecord& frame = state.document.frames.at(displayed());
                frame.maskNumber = state.document.masks.nextNumber++;
                ASSERT_TRUE(SavePictureFile(testing::UniformPicture(16, 12, {0, 0, 255}),
                                            state.document.masks.workingFile(frame.maskNumber),
                                            PictureFormat::Png));
            }
            capture(c.takes[i]);
        }
        const FrameRecord& frame = state.document.frames.at(displayed());
        std::array<Image, 3> pictures;
        FramePictures taking;
        const FrameFiles files = FilesOf(state.document, frame);
        for (int k = 0; k < 3; ++k) {
            if (files[k].empty()) continue;
            ASSERT_EQ(LoadPictureFile(files[k], pictures[k]), LoadResult::Ok);
        }
        GreyImage mask;
        if (!files[0].empty()) taking.layer1 = &pictures[0];
        if (!files[1].empty()) taking.layer2 = &pictures[1];
        if (!files[2].empty()) taking.mask = &(mask = testing::GreyOf(pictures[2]));
        Image expected;
        ASSERT_TRUE(ComposePictures(taking, 0, 0, expected));
        EXPECT_TRUE(testing::SamePicture(state.session.images.composite, expected));
        const Image shown = state.view.canvas;
        InvalidateCanvas(state.view);
        RedrawCanvas(state.document, state.session, state.view, state.services, -1, -1, 0, 0);
        EXPECT_TRUE(testing::SamePicture(shown, state.view.canvas));
        EXPECT_TRUE(shell.errors.empty()) << errors();
    }
}

TEST_F(Shoot, EachCaptureIsOneUndoStepAndItsFileStays) {
    useFolderCamera();
    capture(0);
    capture(1);
    const std::string plate = state.document.frames.at(0).layerSource[1];
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(frames(), "0001_1.jpg|-");
    EXPECT_TRUE(IsRegularFile(plate));
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(frames(), "");
    ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
    ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
    EXPECT_EQ(frames(), "0001_1.jpg|0001_2.jpg");
}

TEST_F(Shoot, TheJournalHoldsACapturedFrameAtOnce) {
    TempFolder session;
    state.session.record.writer = std::make_shared<SessionWriter>(session.path());
    useFolderCamera();
    capture(0);
    state.session.record.writer->flush();
    const auto journal = ParseJournal(*ReadFileBytes(session.file("journal")));
    ASSERT_TRUE(journal) << "no journal at " << session.path();
    ASSERT_EQ(journal->frames.size(), 1u);
    EXPECT_EQ(journal->frames[0].layerSource[0], captures.file("0001_1.jpg"));
}

// Every refused or failed capture is told once and adds nothing.
TEST_F(Shoot, BadInputIsToldOnceAndAddsNoFrame) {
    const struct {
        const char* name;
        std::function<void(Shoot&)> arrange;
        std::string code;
        std::size_t filesLeft = 0;  // taken but not added: an unreadable take stays on disk
    } cases[] = {
        {"no camera", [](Shoot&) {}, "690-22-0"},
        {"folder is a file",
         [](Shoot& t) {
             t.useFolderCamera();
             t.state.view.shooting.settings.folder = t.captures.write("plain", "x");
         },
         "680-22-"},
        {"camera gone",
         [](Shoot& t) {
             t.useCamera("lavfi:testsrc2=size=64x48:rate=200:duration=0.01");
             std::this_thread::sleep_for(std::chrono::milliseconds(300));
         },
         "640-22-"},
        {"a take that is no picture",
         [](Shoot& t) {
             MakeFolder(t.source.file("broken"));
             t.source.write("broken/x.jpg", "not a picture");
             t.useCamera("folder:" + t.source.file("broken"));
         },
         "630-22-", 1},
        // Last: its late file comes after the check.
        {"times out",
         [](Shoot& t) {
             t.useCamera("lavfi:testsrc2=size=64x48:rate=1");
             t.state.view.shooting.camera->setCaptureTimeout(std::chrono::milliseconds(0));
         },
         "670-22-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        state.view.shooting = {};
        state.view.shooting.settings.folder = folder.path();
        shell.errors.clear();
        c.arrange(*this);
        if (begin(0)) finish();
        EXPECT_EQ(frames(), "");
        ASSERT_EQ(shell.errors.size(), 1u);
        EXPECT_NE(shell.errors[0].text.find("ErrorCode = " + c.code), std::string::npos)
            << shell.errors[0].text;
        EXPECT_EQ(ListFolder(folder.path()).size(), c.filesLeft);
    }
}

TEST_F(Shoot, PressesWhileBusyAreRefusedVisiblyNeverQueued) {
    useCamera("lavfi:testsrc2=size=64x48:rate=10");
    int accepted = 0;
    for (int i = 0; i < 10; ++i) {
        accepted += begin(0) ? 1 : 0;
        FinishCapture(state.document, state.session, state.view, state.services);
    }
    if (state.view.shooting.pending.active) finish();
    EXPECT_EQ(state.document.frames.size(), accepted);
    EXPECT_EQ(static_cast<int>(shell.errors.size()), 10 - accepted);
    for (const auto& error : shell.errors)
        EXPECT_NE(error.text.find("ErrorCode = 650-22-"), std::string::npos);
}

TEST_F(Shoot, AUrlThatCannotBeOpenedIsNamedAndTheCameraInUseStays) {
    useFolderCamera();
    EXPECT_FALSE(ChooseCamera(state.view, state.services, "lavfi:nosuchsource"));
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("lavfi:nosuchsource"), std::string::npos);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 610-20-"), std::string::npos);
    capture(0);
    EXPECT_EQ(frames(), "0001_1.jpg|-");
}

// A tmpfs of a few pages over the capture folder, filled up (skipped where mounting is refused).
TEST_F(Shoot, AFullFolderLeavesNoPartialFileAndNoFrame) {
    const std::string folder = captures.file("full/");
    ASSERT_TRUE(MakeFolder(folder));
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    std::vector<std::uint8_t> filler(60 * 1024, 1);
    WriteFileBytes(folder + "filler", filler);
    std::vector<std::uint8_t> big;
    EncodePicture(testing::GradientPicture(400, 300), PictureFormat::Jpeg, big);
    TempFolder large;
    WriteFileBytes(large.file("big.jpg"), big);
    useCamera("folder:" + large.path());
    state.view.shooting.settings.folder = folder;
    if (begin(0)) finish();
    const auto entries = ListFolder(folder);
    ::umount2(folder.c_str(), MNT_DETACH);
    EXPECT_EQ(frames(), "");
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 680-22-"), std::string::npos);
    EXPECT_EQ(entries.size(), 1u);  // the filler alone
}

TEST(CaptureFiles, TheDefaultFolderIsNamedAfterTheProject) {
    Document document("/tmp/work/");
    Shooting shooting;
    shooting.picturesFolder = "/home/u/Bilder/";
    EXPECT_EQ(CaptureFolder(document, shooting, "Projekt.mvl"), "/home/u/Bilder/Projekt/");
    document.header.projectFilePath = "/films/Hase.mvl";
    EXPECT_EQ(CaptureFolder(document, shooting, "Projekt.mvl"), "/films/Hase/");
    shooting.settings.folder = "/elsewhere";
    EXPECT_EQ(CaptureFolder(document, shooting, "Projekt.mvl"), "/elsewhere/");
    EXPECT_EQ(CaptureStem("/films/Hase/", "Hase", CaptureSettings{}, 11, 1), "/films/Hase/Hase_0012_2");
}

}  // namespace
}  // namespace morvel

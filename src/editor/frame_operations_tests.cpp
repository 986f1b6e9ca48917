#include "editor/editor_test_state.h"
#include "editor/frame_operations.h"
#include "editor/whole_frames.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "import/avi_frames.h"
#include "platform/files.h"
#include "codecs/picture_io.h"
#include "test_support/external_tools.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::Rgb;
using testing::TempFolder;
using testing::UniformPicture;

const std::string kLoadError = "ErrorCode = 120-7-";
const std::string kVideoOpenError = "ErrorCode = 530-16-0";

// "a.png|-" per frame: the file part of each layer source ("-" for an empty layer), and for a
// video frame "name#hex".
std::string describeFrames(const FrameList& frames) {
    std::string text;
    for (int i = 0; i < frames.size(); ++i) {
        if (i) text += " ";
        for (int layer = 0; layer < 2; ++layer) {
            const std::string& source = frames.at(i).layerSource[layer];
            if (layer) text += "|";
            if (source.empty()) {
                text += "-";
            } else if (IsAviReference(source)) {
                const AviReference reference = ParseAviReference(source);
                const std::string hex = MakeAviReference(reference.frame, "").substr(5);
                text += FilePart(reference.videoPath) + "#" + hex.substr(0, hex.size() - 1);
            } else {
                text += FilePart(source);
            }
        }
    }
    return text;
}

class FrameStrip : public ::testing::Test {
protected:
    TempFolder files;
    TempFolder workingFolder;
    RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), workingFolder.path()};

    FrameStrip() { state.services.redrawPause = 0; }

    // An 8 x 6 PNG in one colour.
    std::string picture(const std::string& name, Rgb colour = {90, 90, 90}) {
        const std::string path = files.file(name);
        EXPECT_TRUE(SavePictureFile(UniformPicture(8, 6, colour), path, PictureFormat::Png));
        return path;
    }
    // A raw video of frames that all differ.
    std::string video(const std::string& name, int frames) {
        const std::string path = files.file(name);
        EXPECT_TRUE(testing::RunTool(
            "ffmpeg",
            {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=32x24:rate=25", "-frames:v",
             std::to_string(frames), "-c:v", "rawvideo", "-pix_fmt", "bgr24", path}));
        return path;
    }
    int drop(int layer, const std::vector<std::string>& paths, int stripX) {
        std::string list;
        for (const std::string& path : paths) list += (list.empty() ? "" : "\n") + path;
        return ImportDroppedFiles(state.document, state.session, state.view, state.services, layer,
                                  list, stripX);
    }
    // Frames described like "a.png|x.png b.png|-": each name becomes a picture file.
    void makeFrames(const std::string& description) {
        std::vector<std::string> layer1, layer2;
        std::size_t start = 0;
        while (start < description.size()) {
            auto end = description.find(' ', start);
            if (end == std::string::npos) end = description.size();
            const std::string frame = description.substr(start, end - start);
            const auto bar = frame.find('|');
            layer1.push_back(frame.substr(0, bar));
            layer2.push_back(frame.substr(bar + 1));
            start = end + 1;
        }
        // Dropped one by one at the end, so that every frame gets exactly these layers.
        for (std::size_t i = 0; i < layer1.size(); ++i) {
            const int x = static_cast<int>(i) * kFrameColumnWidth;
            if (layer1[i] != "-") drop(0, {picture(layer1[i])}, x);
            if (layer2[i] != "-") drop(1, {picture(layer2[i])}, x);
        }
        ASSERT_EQ(describeFrames(state.document.frames), description);
    }
    GadgetHandle gadgetOf(int frame, int layer) {
        return state.view.thumbnails.gadget(state.document.frames.at(frame).id, layer);
    }
    // Every thumbnail gadget sits in its frame's column and its layer's row, with its tooltip.
    void expectStripLaidOut() {
        std::size_t gadgets = 0;
        for (int i = 0; i < state.document.frames.size(); ++i) {
            for (int layer = 0; layer < 2; ++layer) {
                const FrameRecord& frame = state.document.frames.at(i);
                if (frame.layerSource[layer].empty()) {
                    EXPECT_EQ(state.view.thumbnails.gadget(frame.id, layer), 0u);
                    continue;
                }
                ++gadgets;
                const auto& gadget =
                    shell.thumbnails.at(state.view.thumbnails.gadget(frame.id, layer));
                EXPECT_EQ(gadget.x, i * 65 + 5) << "frame " << i;
                EXPECT_EQ(gadget.y, layer * 49 + 2);
                EXPECT_EQ(gadget.width, 60);
                EXPECT_EQ(gadget.height, 45);
            }
        }
        EXPECT_EQ(shell.thumbnails.size(), gadgets);
        EXPECT_EQ(shell.frameStripWidth, state.document.frames.size() * 65 + 20);
    }
};

TEST(DropLayer, TheUpperRowEndsAbove48) {
    EXPECT_EQ(DropLayerAt(0), 0);
    EXPECT_EQ(DropLayerAt(47), 0);
    EXPECT_EQ(DropLayerAt(48), 1);
    EXPECT_EQ(DropLayerAt(120), 1);
}

TEST_F(FrameStrip, DroppedFilesArriveSortedCaseInsensitively) {
    const int filled = drop(0, {picture("b.png"), picture("A.png"), picture("c.PNG")}, 0);
    EXPECT_EQ(filled, 3);
    EXPECT_EQ(describeFrames(state.document.frames), "A.png|- b.png|- c.PNG|-");
    EXPECT_EQ(shell.thumbnails.at(gadgetOf(1, 0)).tooltip, "b.png");
    EXPECT_EQ(state.session.cache.displayedIndex, 0);
    EXPECT_EQ(state.view.popupTargetLayer, 0);
    expectStripLaidOut();
    EXPECT_TRUE(shell.errors.empty());
}

// Where the files of a drop go: the column under stripX, filling empty layers, inserting before
// filled ones, appending behind the end; the frame under the drop is displayed afterwards.
TEST_F(FrameStrip, DropPositions) {
    struct Case {
        const char* name;
        std::string before;
        int layer;
        int stripX;
        std::string after;
        int displayed;
    };
    const Case cases[] = {
        {"into an empty project", "", 0, 500, "p1.png|- p2.png|-", 1},
        {"fills empty layers one after the other", "a.png|- b.png|- c.png|-", 1, 70,
         "a.png|- b.png|p1.png c.png|p2.png", 1},
        {"inserts where a filled layer is met", "a.png|- b.png|y.png c.png|-", 1, 0,
         "a.png|p1.png -|p2.png b.png|y.png c.png|-", 0},
        {"inserts in front of a filled layer", "a.png|- b.png|-", 0, 64,
         "p1.png|- p2.png|- a.png|- b.png|-", 0},
        {"the next column starts at 65", "a.png|- b.png|-", 0, 65,
         "a.png|- p1.png|- p2.png|- b.png|-", 1},
        {"behind the end appends whatever x", "a.png|-", 1, 10000, "a.png|- -|p1.png -|p2.png", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.document.frames.clear();
        state.session.cache = FrameCache{};
        for (auto& [handle, thumbnail] : std::map(shell.thumbnails)) shell.thumbnails.erase(handle);
        if (!c.before.empty()) makeFrames(c.before);
        drop(c.layer, {picture("p2.png"), picture("p1.png")}, c.stripX);
        EXPECT_EQ(describeFrames(state.document.frames), c.after);
        EXPECT_EQ(state.session.cache.displayedIndex, c.displayed);
        EXPECT_EQ(state.view.popupTargetLayer, c.layer);
        expectStripLaidOut();
    }
}

// Bad input in one drop: each file gets its message or is passed over, nothing blocks, and the
// good files around them are imported.
TEST_F(FrameStrip, BadFilesInADropAreReportedOrPassedOverAndTheRestIsImported) {
    ::mkdir(files.file("folder").c_str(), 0755);
    ::mkdir(files.file("pictures.png").c_str(), 0755);  // a folder with a picture's name
    files.write("damaged.png", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
    files.write("notes.avi", "just some text\n");
    files.write("photo.gif", "GIF89a");
    files.write("notes", "no extension");
    ASSERT_EQ(::mkfifo(files.file("fifo.png").c_str(), 0644), 0);
    ASSERT_EQ(::mkfifo(files.file("fifo.avi").c_str(), 0644), 0);
    ASSERT_EQ(::symlink("/dev/zero", files.file("device.jpg").c_str()), 0);
    const std::string pngNamedBmp = files.file("real.bmp");
    ASSERT_TRUE(SavePictureFile(UniformPicture(8, 6, {1, 2, 3}), pngNamedBmp, PictureFormat::Png));
    const std::string jpeg = files.file("z.JpEg");
    ASSERT_TRUE(SavePictureFile(UniformPicture(8, 6, {1, 2, 3}), jpeg, PictureFormat::Jpeg));

    const int filled =
        drop(0,
             {picture("a.png"), files.file("folder"), files.file("damaged.png"),
              files.file("notes.avi"), files.file("photo.gif"), files.file("notes"),
              files.file("fifo.png"), files.file("fifo.avi"), files.file("device.jpg"),
              files.file("vanished.png"), files.file("pictures.png"), "", pngNamedBmp, jpeg},
             0);
    EXPECT_EQ(filled, 3);
    // Sorted: a, damaged, device, fifo.avi, fifo.png, folder, notes, notes.avi, photo.gif,
    // pictures.png, real.bmp, vanished, z. Failed pictures keep their frames with an empty layer.
    EXPECT_EQ(describeFrames(state.document.frames), "a.png|- -|- -|- -|- real.bmp|- z.JpEg|-");
    const std::vector<std::string> expected = {
        kLoadError + "1",  // damaged.png
        kLoadError + "1",  // device.jpg
        kVideoOpenError,   // fifo.avi
        kLoadError + "1",  // fifo.png
        kVideoOpenError,   // notes.avi
    };
    ASSERT_EQ(shell.errors.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NE(shell.errors[i].text.find(expected[i]), std::string::npos)
            << i << ": " << shell.errors[i].text;
    }
    EXPECT_NE(shell.errors[0].text.find(files.file("damaged.png")), std::string::npos);
    ASSERT_EQ(shell.messages.size(), 2u);  // the two folders
    EXPECT_EQ(shell.messages[0].caption, "Fehler !");
    EXPECT_EQ(shell.messages[0].text,
              "Directorys are not supported at the moment, but it will follow.");
    EXPECT_FALSE(state.services.videoReader.isOpen());
    expectStripLaidOut();
}

TEST_F(FrameStrip, VideoBecomesOneFramePerVideoFrameBetweenThePicturesOfTheDrop) {
    if (!testing::HaveTool("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string movie = video("y.avi", 120);
    makeFrames("a.png|-");
    drop(0, {picture("z.png"), movie, picture("x.jpg.png")}, 1000);
    ASSERT_EQ(state.document.frames.size(), 1 + 1 + 120 + 1);
    EXPECT_EQ(FilePart(state.document.frames.at(1).layerSource[0]), "x.jpg.png");
    for (int n = 0; n < 120; ++n) {
        const FrameRecord& frame = state.document.frames.at(2 + n);
        EXPECT_EQ(frame.layerSource[0], MakeAviReference(n, movie));
        EXPECT_EQ(shell.thumbnails.at(state.view.thumbnails.gadget(frame.id, 0)).tooltip, "y.avi");
    }
    EXPECT_EQ(state.document.frames.at(2 + 119).layerSource[0], "$AVI$77$" + movie);
    EXPECT_EQ(FilePart(state.document.frames.at(122).layerSource[0]), "z.png");
    // Each video frame has its own thumbnail: the test pattern moves.
    EXPECT_FALSE(
        state.view.thumbnails.of(state.document.frames.at(2).id)
            .picture[0]
            .samePixels(state.view.thumbnails.of(state.document.frames.at(60).id).picture[0]));
    EXPECT_FALSE(state.services.videoReader.isOpen());
    EXPECT_TRUE(shell.errors.empty());
    expectStripLaidOut();
}

TEST_F(FrameStrip, ProgressCancelStopsAfterTheCurrentFileAndKeepsWhatWasImported) {
    state.services.progressDelay = 0;
    shell.cancelProgressAtStep = 3;
    drop(1, {picture("a.png"), picture("b.png"), picture("c.png"), picture("d.png")}, 0);
    EXPECT_EQ(describeFrames(state.document.frames), "-|a.png -|b.png");
    ASSERT_EQ(shell.progressSteps.size(), 3u);
    EXPECT_EQ(shell.progressSteps[1].k, 2);
    EXPECT_EQ(shell.progressSteps[1].n, 4);
    EXPECT_EQ(shell.progressSteps[1].fileName, "b.png");
    EXPECT_EQ(shell.progressSteps[1].label, "Datei 2 von 4: b.png");  // in the language in use
    EXPECT_EQ(shell.progressSteps[1].cancel, "Abbrechen");
    EXPECT_EQ(shell.progressHidden, 1);
    EXPECT_FALSE(shell.progressShown);
    EXPECT_EQ(state.session.cache.displayedIndex, 0);
    expectStripLaidOut();

    // A video's frames are steps of their own; a cancel there stops the rest of the drop too.
    if (!testing::HaveTool("ffmpeg")) return;
    shell.progressSteps.clear();
    shell.cancelProgressAtStep = 4;  // file 1 of 2, then video frames 1, 2, then 3: cancelled
    drop(1, {video("v.avi", 10), picture("w.png")}, 1000);
    EXPECT_EQ(describeFrames(state.document.frames), "-|a.png -|b.png -|v.avi#0 -|v.avi#1");
    EXPECT_EQ(shell.progressSteps[1].unit, ImportStep::Unit::VideoFrame);
    EXPECT_EQ(shell.progressSteps[1].n, 10);
    EXPECT_EQ(shell.progressSteps[1].label, "Videobild 1 von 10: v.avi");
    EXPECT_FALSE(state.services.videoReader.isOpen());
    expectStripLaidOut();
}

TEST_F(FrameStrip, ShortDropsShowNoProgress) {
    drop(0, {picture("a.png"), picture("b.png")}, 0);
    EXPECT_TRUE(shell.progressSteps.empty());
    EXPECT_EQ(shell.progressHidden, 0);
}

TEST_F(FrameStrip, DeleteLayer) {
    struct Case {
        const char* name;
        int displayed;  // the frame selected before
        int frame;      // the frame list's current frame
        int layer;
        std::string after;
        int displayedAfter;
    };
    const Case cases[] = {
        {"a frame with its other layer stays", 0, 0, 0, "-|x.png b.png|-", 0},
        {"the displayed frame's only layer: the first is displayed", 1, 1, 0, "a.png|x.png", 0},
        {"another frame's only layer: the displayed frame stays", 0, 1, 0, "a.png|x.png", 0},
        {"an empty layer: nothing", 1, 1, 1, "a.png|x.png b.png|-", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.document.frames.clear();
        state.session.cache = FrameCache{};
        shell.thumbnails.clear();
        makeFrames("a.png|x.png b.png|-");
        SelectFrame(state.document, state.session, state.view, state.services, c.displayed);
        const FrameRecord* displayed = DisplayedFrame(state.document, state.session);
        DeleteLayer(state.document, state.session, state.view, state.services,
                    state.document.frames.at(c.frame).id, c.layer);
        EXPECT_EQ(describeFrames(state.document.frames), c.after);
        EXPECT_EQ(state.session.cache.displayedIndex, c.displayedAfter);
        if (c.frame != c.displayed) {
            EXPECT_EQ(DisplayedFrame(state.document, state.session), displayed);
        }
        EXPECT_EQ(shell.thumbnails.size(),
                  static_cast<std::size_t>(std::count(c.after.begin(), c.after.end(), '.')));
    }
}

TEST_F(FrameStrip, DeletingTheFirstLayerShowsTheSecondAndTheLastLayerEmptiesTheProject) {
    drop(0, {picture("a.png", {200, 0, 0})}, 0);
    drop(1, {picture("x.png", {0, 0, 200})}, 0);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 200);
    // Ctrl+Delete right after the drops acts on the popup target layer of the last drop.
    DeleteLayer(state.document, state.session, state.view, state.services,
                state.session.cache.displayedId, 0);
    EXPECT_EQ(describeFrames(state.document.frames), "-|x.png");
    EXPECT_EQ(state.session.images.composite.red(0, 0), 0);
    EXPECT_EQ(state.session.images.composite.blue(0, 0), 200);
    DeleteLayer(state.document, state.session, state.view, state.services,
                state.session.cache.displayedId, 1);
    EXPECT_TRUE(state.document.frames.empty());
    EXPECT_EQ(state.session.cache.displayedIndex, -1);
    EXPECT_EQ(shell.frameMarkerMoves.back(), -200);
    EXPECT_EQ(state.session.images.composite.width(), 640);
    EXPECT_TRUE(shell.thumbnails.empty());
    // Dropping the same picture again shows it: nothing of the old cache is left.
    drop(0, {files.file("a.png")}, 0);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 200);
}

TEST_F(FrameStrip, RepeatLayer) {
    struct Case {
        const char* name;
        std::string before;
        int layer;
        int count;
        std::string after;
        int displayed;
    };
    const Case cases[] = {
        {"fills the next frame's empty layer", "a.png|x.png b.png|-", 1, 1,
         "a.png|x.png b.png|x.png", 1},
        {"inserts before a filled layer", "a.png|x.png b.png|y.png", 1, 1,
         "a.png|x.png -|x.png b.png|y.png", 1},
        {"appends after the last frame", "a.png|x.png", 0, 1, "a.png|x.png a.png|-", 1},
        {"count times", "a.png|- b.png|-", 0, 2, "a.png|- a.png|- a.png|- b.png|-", 2},
        {"an empty layer repeats nothing", "a.png|- b.png|-", 1, 1, "a.png|- b.png|-", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.document.frames.clear();
        state.session.cache = FrameCache{};
        shell.thumbnails.clear();
        makeFrames(c.before);
        SelectFrame(state.document, state.session, state.view, state.services, 0);
        RepeatLayer(state.document, state.session, state.view, state.services,
                    state.session.cache.displayedId, c.layer, c.count);
        EXPECT_EQ(describeFrames(state.document.frames), c.after);
        EXPECT_EQ(state.session.cache.displayedIndex, c.displayed);
        EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), c.displayed);
        EXPECT_TRUE(shell.errors.empty());
        expectStripLaidOut();
    }
    // Nothing to repeat in an empty project; the empty state is shown.
    state.document.frames.clear();
    state.session.cache = FrameCache{};
    shell.thumbnails.clear();
    RepeatLayer(state.document, state.session, state.view, state.services,
                state.session.cache.displayedId, 0, 1);
    EXPECT_TRUE(state.document.frames.empty());
    EXPECT_EQ(state.session.cache.displayedIndex, -1);
}

TEST_F(FrameStrip, ClicksSelectTheFrameAndSetThePopupTargetLayer) {
    makeFrames("a.png|- b.png|y.png c.png|-");
    SelectFrame(state.document, state.session, state.view, state.services, 0);
    ThumbnailEvent(state.document, state.session, state.view, state.services, gadgetOf(1, 1),
                   ThumbnailAction::LeftClick, 0, 0);
    EXPECT_EQ(state.session.cache.displayedIndex, 1);
    EXPECT_EQ(state.view.popupTargetLayer, 1);
    EXPECT_TRUE(shell.popupMenus.empty());

    ThumbnailEvent(state.document, state.session, state.view, state.services, gadgetOf(2, 0),
                   ThumbnailAction::RightClick, 400, 300);
    EXPECT_EQ(state.session.cache.displayedIndex, 2);
    EXPECT_EQ(state.view.popupTargetLayer, 0);
    ASSERT_EQ(shell.popupMenus.size(), 1u);
    EXPECT_EQ(shell.popupMenus[0].x, 400);
    EXPECT_EQ(shell.popupMenus[0].y, 300);
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId),
              2);  // the popup commands act on this frame

    // Other events and other gadgets change nothing.
    ThumbnailEvent(state.document, state.session, state.view, state.services, gadgetOf(1, 1),
                   ThumbnailAction::Other, 0, 0);
    ThumbnailEvent(state.document, state.session, state.view, state.services, shell.lastHandle + 1,
                   ThumbnailAction::LeftClick, 0, 0);
    EXPECT_EQ(state.session.cache.displayedIndex, 2);
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), 2);
    EXPECT_EQ(state.view.popupTargetLayer, 1);
}

// A thumbnail dragged to another place: the drop during the drag imports the payload; a move
// then removes the layer from its frame, but only when the drop added it.
TEST_F(FrameStrip, DraggingAThumbnail) {
    struct Case {
        const char* name;
        DropAction action;
        bool aviReference;
        std::string after;
    };
    const Case cases[] = {
        {"a move takes the layer out of its frame", DropAction::Move, false, "b.png|a.png c.png|-"},
        {"a copy keeps it", DropAction::Copy, false, "a.png|- b.png|a.png c.png|-"},
        {"a video frame adds nothing and is not lost", DropAction::Move, true,
         "v.avi#3|- b.png|- c.png|-"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state.document.frames.clear();
        state.session.cache = FrameCache{};
        shell.thumbnails.clear();
        makeFrames("a.png|- b.png|- c.png|-");
        SelectFrame(state.document, state.session, state.view, state.services, 2);
        if (c.aviReference)
            state.document.frames.at(0).layerSource[0] = MakeAviReference(3, files.file("v.avi"));
        const std::string dragged = state.document.frames.at(0).layerSource[0];
        std::string payload;
        shell.duringDrag = [&] {
            payload = state.view.dragPayload;
            drop(1, {payload}, 65 + 30);  // the layer-2 row of b
        };
        shell.dragAnswers = {c.action};
        // A mask edit: it names its frame by id and stays beside the drag's step.
        BeginMaskEdit(state.document, state.session);
        DisplayedFrame(state.document, state.session)->maskNumber =
            state.document.masks.nextNumber++;  // its first dab
        RecordMaskChange(state.document, state.session, Rect{0, 2, 0, 2});
        EndMaskEdit(state.document, state.session);
        ASSERT_TRUE(CanUndoEdit(state.session));
        ThumbnailEvent(state.document, state.session, state.view, state.services, gadgetOf(0, 0),
                       ThumbnailAction::DragStart, 0, 0);
        EXPECT_TRUE(CanUndoEdit(state.session));
        EXPECT_EQ(payload, dragged);
        EXPECT_EQ(describeFrames(state.document.frames), c.after);
        EXPECT_EQ(state.view.popupTargetLayer, 0);
        expectStripLaidOut();
    }
    // A drag that ends outside the strip changes nothing.
    shell.duringDrag = nullptr;
    shell.dragAnswers = {DropAction::None};
    ThumbnailEvent(state.document, state.session, state.view, state.services, gadgetOf(1, 0),
                   ThumbnailAction::DragStart, 0, 0);
    EXPECT_EQ(describeFrames(state.document.frames), "v.avi#3|- b.png|- c.png|-");
    EXPECT_EQ(shell.drags, 4);
}

// Each frame operation is one step of the undo history: undone, the frames come back with their
// ids, sources, masks and thumbnails; redone, they are as after the operation.
TEST_F(FrameStrip, EachFrameOperationIsUndoneAndRedone) {
    const struct {
        const char* name;
        std::function<void()> operation;
        const char* after;
    } cases[] = {
        {"delete one of two layers",
         [&] {
             DeleteLayer(state.document, state.session, state.view, state.services,
                         state.document.frames.at(1).id, 1);
         },
         "a.png|- b.png|- c.png|-"},
        {"delete a frame",
         [&] {
             DeleteLayer(state.document, state.session, state.view, state.services,
                         state.document.frames.at(0).id, 0);
         },
         "b.png|x.png c.png|-"},
        {"repeat",
         [&] {
             RepeatLayer(state.document, state.session, state.view, state.services,
                         state.document.frames.at(0).id, 0, 1);
         },
         "a.png|- a.png|- b.png|x.png c.png|-"},
        {"a drop",
         [&] {
             drop(1, {picture("d.png"), picture("e.png")}, 2 * kFrameColumnWidth);
         },
         "a.png|- b.png|x.png c.png|d.png -|e.png"},
        {"a move drag",
         [&] {
             shell.duringDrag = [&] { drop(1, {state.view.dragPayload}, 2 * kFrameColumnWidth); };
             shell.dragAnswers = {DropAction::Move};
             ThumbnailEvent(state.document, state.session, state.view, state.services,
                            gadgetOf(0, 0), ThumbnailAction::DragStart, 0, 0);
         },
         "b.png|x.png c.png|a.png"},
        {"delete a whole frame",
         [&] {
             DeleteFrame(state.document, state.session, state.view, state.services,
                         state.document.frames.at(1).id);
         },
         "a.png|- c.png|-"},
        {"duplicate a frame",
         [&] {
             DuplicateFrame(state.document, state.session, state.view, state.services,
                            state.document.frames.at(0).id);
         },
         "a.png|- a.png|- b.png|x.png c.png|-"},
        {"insert an empty frame",
         [&] {
             InsertEmptyFrame(state.document, state.session, state.view, state.services,
                              state.document.frames.at(0).id);
         },
         "a.png|- -|- b.png|x.png c.png|-"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        state.document.frames.clear();
        state.session.cache = FrameCache{};
        shell.thumbnails.clear();
        ClearEditHistory(state.session);
        makeFrames("a.png|- b.png|x.png c.png|-");
        ClearEditHistory(state.session);  // the drops that made them
        state.document.frames.at(1).maskNumber = 4;
        SelectFrame(state.document, state.session, state.view, state.services, 2);
        std::vector<std::uint64_t> ids;
        for (int i = 0; i < state.document.frames.size(); ++i) ids.push_back(state.document.frames.at(i).id);
        c.operation();
        ASSERT_EQ(describeFrames(state.document.frames), c.after);
        const std::size_t thumbnailsAfter = shell.thumbnails.size();
        ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));
        EXPECT_FALSE(CanUndoEdit(state.session));
        EXPECT_EQ(describeFrames(state.document.frames), "a.png|- b.png|x.png c.png|-");
        for (int i = 0; i < state.document.frames.size(); ++i) EXPECT_EQ(state.document.frames.at(i).id, ids[i]);
        EXPECT_EQ(state.document.frames.at(1).maskNumber, 4);
        expectStripLaidOut();
        ASSERT_TRUE(RedoEdit(state.document, state.session, state.view, state.services));
        EXPECT_EQ(describeFrames(state.document.frames), c.after);
        EXPECT_EQ(shell.thumbnails.size(), thumbnailsAfter);
        expectStripLaidOut();
        shell.duringDrag = nullptr;
    }
}

// Whole frames: the displayed frame goes with its mask and the next one shows; a copy gets its
// own copy of the mask and shows; an empty frame shows black.
TEST_F(FrameStrip, WholeFramesGoComeAgainAndShow) {
    makeFrames("a.png|- b.png|x.png c.png|-");
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    ASSERT_TRUE(CreateMask(state.document, state.session, state.services));
    state.session.images.mask.fill(77);
    MarkMaskModified(state.session);
    const FrameId second = state.document.frames.at(1).id;
    DuplicateFrame(state.document, state.session, state.view, state.services, second);
    ASSERT_EQ(describeFrames(state.document.frames), "a.png|- b.png|x.png b.png|x.png c.png|-");
    EXPECT_EQ(state.session.cache.displayedIndex, 2);
    const FrameRecord& copy = state.document.frames.at(2);
    ASSERT_NE(copy.maskNumber, 0);
    EXPECT_NE(copy.maskNumber, state.document.frames.at(1).maskNumber);
    EXPECT_EQ(state.session.images.mask.grey(0, 0), 77);  // the copy's own mask file
    InsertEmptyFrame(state.document, state.session, state.view, state.services, copy.id);
    EXPECT_EQ(state.session.cache.displayedIndex, 3);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 0);
    DeleteFrame(state.document, state.session, state.view, state.services,
                state.document.frames.at(3).id);
    DeleteFrame(state.document, state.session, state.view, state.services, second);
    EXPECT_EQ(describeFrames(state.document.frames), "a.png|- b.png|x.png c.png|-");
    EXPECT_EQ(state.session.cache.displayedIndex, 1);  // the one after it
    EXPECT_TRUE(shell.errors.empty());
    expectStripLaidOut();
}

// A mask edit names its frame by id: deleting another frame keeps it, and after the delete is
// undone the deleted frame's own edit can be undone too.
TEST_F(FrameStrip, MaskEditsOutliveADelete) {
    makeFrames("a.png|- b.png|- c.png|-");
    ClearEditHistory(state.session);
    const auto paint = [&](int frame, std::uint8_t value) {
        SelectFrame(state.document, state.session, state.view, state.services, frame);
        BeginMaskEdit(state.document, state.session);
        if (!DisplayedFrame(state.document, state.session)->maskNumber)
            CreateMask(state.document, state.session, state.services);
        RecordMaskChange(state.document, state.session, Rect{0, 2, 0, 2});
        state.session.images.mask.row(0)[0] = value;
        EndMaskEdit(state.document, state.session);
    };
    paint(0, 7);
    paint(2, 9);
    DeleteLayer(state.document, state.session, state.view, state.services,
                state.document.frames.at(0).id, 0);
    ASSERT_EQ(describeFrames(state.document.frames), "b.png|- c.png|-");
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view, state.services));  // the delete
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view,
                         state.services));  // frame 3's edit, found by id
    EXPECT_EQ(state.session.cache.displayedIndex, 2);
    EXPECT_EQ(state.document.frames.at(2).maskNumber, 0);
    ASSERT_TRUE(UndoEdit(state.document, state.session, state.view,
                         state.services));  // frame 1's mask, back on the restored frame
    EXPECT_EQ(state.session.cache.displayedIndex, 0);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
}

}  // namespace
}  // namespace morvel

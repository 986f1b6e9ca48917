#include "editor/editor_test_state.h"
#include "export/image_sequence.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "editor/canvas_film.h"
#include "sequence/blend.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "import/avi_frames.h"
#include "import/layer_picture.h"
#include "platform/files.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::GreyMask;
using testing::MakePicture;
using testing::PatternPicture;
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
    EditorTestState state{shell, folder.path(), folder.path()};

    void makeFrames(int count) {
        for (int i = 0; i < count; ++i) {
            const std::string path = folder.file(std::to_string(i) + "p.png");
            const auto grey = static_cast<std::uint8_t>(i * 20);
            ASSERT_TRUE(SavePictureFile(UniformPicture(6, 4, {grey, grey, grey}), path,
                                        PictureFormat::Png));
            state.document.frames.append().layerSource[0] = path;
        }
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    }
    void choose(const std::string& path, int filter) {
        shell.saveAnswers.push_back({path, filter});
    }
};

TEST_F(Export, WritesEveryFrameInTheChosenFormatAndShowsTheDisplayedFrameAgain) {
    makeFrames(3);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    choose(output.file("szene.bmp"), 1);
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
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
    EXPECT_EQ(state.session.cache.displayedIndex, 1);
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), 1);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 20);
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(Export, AProjectWithoutFramesWritesNothingAndSaysNothing) {
    choose(output.file("frame"), 0);
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    EXPECT_EQ(shell.saveRequests.size(), 1u);
    EXPECT_TRUE(ListFolder(output.path()).empty());
    EXPECT_TRUE(shell.errors.empty());
}

TEST_F(Export, ACancelledRequesterDoesNothing) {
    makeFrames(2);
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    EXPECT_TRUE(ListFolder(output.path()).empty());
}

TEST_F(Export, AFolderThatIsGoneGivesOneMessagePerFrameInFrameOrder) {
    makeFrames(3);
    choose(output.file("gone/take"), 0);
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
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
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    ASSERT_TRUE(CreateMask(state.document, state.session, state.services));
    state.session.images.mask.fill(255);
    state.session.images.mask.setGrey(0, 0, 0);
    ComposeFrame(state.document, state.session, state.view, state.services, kMaskChanged);
    choose(output.file("m"), 1);
    ExportImageSequence(FilmOf(state.document, state.session), state.services.shell,
                        state.services.language.texts,
                        [&] { StoreDisplayedMask(state.document, state.session, state.services); });
    Image written;
    ASSERT_EQ(LoadPictureFile(output.file("m.2.png"), written), LoadResult::Ok);
    EXPECT_EQ(written.red(0, 0), 0);
    EXPECT_EQ(written.red(1, 0), MixComponents(20, 0, 255));
    EXPECT_EQ(state.session.images.mask.grey(0, 0), 0);
    EXPECT_EQ(state.session.images.composite.red(0, 0), 0);
}

TEST_F(Export, ParallelEncodingWritesTheSameBytesAsOneEncoder) {
    makeFrames(5);
    SequenceJob job;
    job.format = PictureFormat::Png;
    job.pattern = output.file("one.<\?\?\?>.png");
    job.encoders = 1;
    EXPECT_EQ(
        WriteImageSequence(FilmOf(state.document, state.session), state.services.reporter(), job),
        0);
    job.pattern = output.file("two.<\?\?\?>.png");
    job.encoders = 3;
    int calls = 0;
    job.progress = [&](int written, int total) {
        EXPECT_EQ(written, ++calls);
        EXPECT_EQ(total, 5);
    };
    EXPECT_EQ(
        WriteImageSequence(FilmOf(state.document, state.session), state.services.reporter(), job),
        0);
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
    EXPECT_EQ(
        WriteImageSequence(FilmOf(state.document, state.session), state.services.reporter(), job),
        0);
    EXPECT_EQ(ListFolder(output.path()).size(), 3u);
    EXPECT_TRUE(IsRegularFile(output.file("r.10.bmp")));
    EXPECT_TRUE(IsRegularFile(output.file("r.12.bmp")));

    // A stop request ends the export before the next frame.
    job.first = 0;
    job.pattern = output.file("s.<\?\?\?>.bmp");
    int asked = 0;
    job.stopRequested = [&] { return ++asked > 2; };
    EXPECT_EQ(
        WriteImageSequence(FilmOf(state.document, state.session), state.services.reporter(), job),
        0);
    EXPECT_TRUE(IsRegularFile(output.file("s.02.bmp")));
    EXPECT_FALSE(IsRegularFile(output.file("s.03.bmp")));
}

// Frames of every kind a render meets: pictures of different sizes and formats, repeated
// pictures, masks, empty frames, pictures that are missing or damaged.
class Pipeline : public ::testing::Test {
protected:
    TempFolder folder;
    TempFolder output;
    RecordingShell shell;
    EditorTestState state{shell, folder.path(), folder.path()};

    std::string picture(const std::string& name, int width, int height, int seed) {
        const std::string path = folder.file(name);
        const PictureFormat format = name.ends_with(".jpg")   ? PictureFormat::Jpeg
                                     : name.ends_with(".bmp") ? PictureFormat::Bmp
                                                              : PictureFormat::Png;
        EXPECT_TRUE(SavePictureFile(MakePicture(width, height,
                                                [&](int x, int y) {
                                                    return testing::Rgb{
                                                        std::uint8_t(x * 7 + seed),
                                                        std::uint8_t(y * 11 + seed * 3),
                                                        std::uint8_t((x ^ y) + seed * 5)};
                                                }),
                                    path, format));
        return path;
    }
    std::int32_t mask(int width, int height, int seed) {
        const std::int32_t number = state.document.masks.nextNumber++;
        EXPECT_TRUE(SavePictureFile(
            GreyMask(width, height,
                     [&](int x, int y) { return std::uint8_t(x * 19 + y * 5 + seed); }),
            state.document.masks.workingFile(number), PictureFormat::Png));
        return number;
    }
    void frame(const std::string& layer1, const std::string& layer2, std::int32_t maskNumber = 0) {
        FrameRecord& record = state.document.frames.append();
        record.layerSource[0] = layer1;
        record.layerSource[1] = layer2;
        record.maskNumber = maskNumber;
    }

    void SetUp() override {
        const std::string a = picture("a.png", 20, 8, 1);
        const std::string b = picture("b.bmp", 20, 8, 2);
        const std::string c = picture("c.jpg", 28, 20, 3);
        const std::string d = picture("d.png", 28, 20, 4);
        const std::string damaged = folder.write("damaged.png", "\x89PNG\r\n\x1a\nnot really");
        const std::string missing = folder.file("missing.png");
        frame("", "");                       // 1: nothing: black at the size the work images start
        frame(a, b, mask(20, 8, 0));         // 2
        frame(a, c, mask(24, 10, 50));       // 3: layer 1 repeated, read once
        frame(missing, missing);             // 4: black at the size of frame 3
        frame("", "");                       // 5
        frame(c, "");                        // 6
        frame(damaged, b, mask(20, 8, 9));   // 7: layer 2 alone, the mask takes no part
        frame("", "", 0);                    // 8: black at the size of frame 7
        frame(d, missing, mask(28, 20, 3));  // 9
        frame(d, missing, state.document.frames.at(8).maskNumber);  // 10: all repeated
        frame(missing, "");                                // 11: black at the size of frame 10
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    }

    // Renders frames first..last (1-based) with the given workers; the error texts shown.
    std::vector<std::string> render(const std::string& name, PictureFormat format, int workers,
                                    int first = 1, int last = 11) {
        shell.errors.clear();
        SequenceJob job;
        job.pattern = output.file(name + ".<\?\?\?>." +
                                  (format == PictureFormat::Bmp   ? "bmp"
                                   : format == PictureFormat::Png ? "png"
                                                                  : "jpg"));
        job.format = format;
        job.encoders = workers;
        job.first = first - 1;
        job.last = last - 1;
        WriteImageSequence(FilmOf(state.document, state.session), state.services.reporter(), job);
        return shell.errorTexts();
    }
    std::string file(const std::string& name, int k, const char* extension) {
        return ReadText(
            output.file(name + "." + (k < 10 ? "0" : "") + std::to_string(k) + "." + extension));
    }
};

TEST_F(Pipeline, EveryFormatWritesTheSameBytesAndErrorsWithAnyNumberOfWorkers) {
    const struct {
        PictureFormat format;
        const char* extension;
    } formats[] = {
        {PictureFormat::Bmp, "bmp"}, {PictureFormat::Png, "png"}, {PictureFormat::Jpeg, "jpg"}};
    for (const auto& format : formats) {
        const auto reference = render("one", format.format, 0);
        ASSERT_FALSE(reference.empty());
        for (int workers : {1, 3}) {
            const std::string name = std::to_string(workers) + "w";
            EXPECT_EQ(render(name, format.format, workers), reference) << format.extension;
            for (int k = 1; k <= 11; ++k) {
                const std::string bytes = file("one", k, format.extension);
                EXPECT_FALSE(bytes.empty());
                EXPECT_EQ(file(name, k, format.extension), bytes)
                    << format.extension << " frame " << k << ", " << workers << " workers";
            }
        }
    }
}

TEST_F(Pipeline, CompositesFollowTheCarriedSize) {
    render("whole", PictureFormat::Bmp, 2);
    const auto size = [&](int k) {
        Image written;
        EXPECT_EQ(LoadPictureFile(output.file("whole." + std::string(k < 10 ? "0" : "") +
                                              std::to_string(k) + ".bmp"),
                                  written),
                  LoadResult::Ok);
        return std::to_string(written.width()) + "x" + std::to_string(written.height());
    };
    const char* expected[] = {"640x480", "20x8", "20x8",  "20x8",  "20x8", "28x20",
                              "20x8",    "20x8", "28x20", "28x20", "28x20"};
    for (int k = 1; k <= 11; ++k) EXPECT_EQ(size(k), expected[k - 1]) << "frame " << k;
}

TEST_F(Pipeline, RangesWriteTheBytesOfTheWholeProject) {
    render("whole", PictureFormat::Png, 2);
    const std::pair<int, int> ranges[] = {{1, 1},   {2, 2}, {3, 3},  {4, 4}, {5, 5},
                                          {6, 6},   {7, 7}, {8, 8},  {9, 9}, {10, 10},
                                          {11, 11}, {4, 6}, {7, 11}, {5, 9}};
    for (const auto& [first, last] : ranges) {
        const std::string name = std::to_string(first) + "_" + std::to_string(last) + "r";
        render(name, PictureFormat::Png, 2, first, last);
        for (int k = 1; k <= 11; ++k) {
            const bool inRange = k >= first && k <= last;
            EXPECT_EQ(IsRegularFile(output.file(name + "." + (k < 10 ? "0" : "") +
                                                std::to_string(k) + ".png")),
                      inRange);
            if (inRange) {
                EXPECT_EQ(file(name, k, "png"), file("whole", k, "png")) << name << " " << k;
            }
        }
    }
}

// Errors of a frame come after every error of the frames before it, whichever thread found
// them: pictures that cannot be read, and a file that cannot be written (a folder in its way).
TEST_F(Pipeline, ErrorsComeInFrameOrderWithTheirFrames) {
    MakeFolder(output.file("e.03.bmp"));
    MakeFolder(output.file("e.05.bmp"));
    const auto errors = render("e", PictureFormat::Bmp, 3);
    std::vector<std::string> codes;
    for (const std::string& text : errors) {
        const auto at = text.find("ErrorCode = ");
        const auto quote = text.find('\'');
        const std::string named =
            quote == std::string::npos
                ? ""
                : text.substr(quote + 1, text.find('\'', quote + 1) - quote - 1);
        codes.push_back(text.substr(at + 12) + " " + FilePart(named));
    }
    const std::vector<std::string> expected = {
        "130-10-400 e.03.bmp", "120-2-1 missing.png", "120-2-2 missing.png", "130-10-400 e.05.bmp",
        "120-2-1 damaged.png", "120-2-2 missing.png", "120-2-1 missing.png"};
    EXPECT_EQ(codes, expected);
}

// Each written frame is what the editor composes when it shows the frames one after the other,
// and writing leaves the editor's displayed frame, work images and canvas as they were.
TEST_F(Pipeline, FilesAreTheEditorsCompositesAndTheEditorIsLeftAlone) {
    SelectFrame(state.document, state.session, state.view, state.services, 2);
    const Image composite = state.session.images.composite;
    const Image layer1 = state.session.images.layer1;
    const int redraws = shell.canvasRedraws;
    const auto markers = shell.frameMarkerMoves.size();
    render("seq", PictureFormat::Bmp, 2);
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), 2);
    EXPECT_EQ(state.session.cache.displayedIndex, 2);
    EXPECT_TRUE(state.session.images.composite.samePixels(composite));
    EXPECT_TRUE(state.session.images.layer1.samePixels(layer1));
    EXPECT_EQ(shell.canvasRedraws, redraws);
    EXPECT_EQ(shell.frameMarkerMoves.size(), markers);

    // The editor's own composition, frame after frame from the start.
    state.session.cache.forgetPictures();
    auto black = Image::create(640, 480);
    state.session.images.composite = std::move(*black);
    for (int k = 1; k <= 11; ++k) {
        state.session.cache.displayedId = state.document.frames.at(k - 1).id;
        ComposeFrame(state.document, state.session, state.view, state.services, 0);
        Image written;
        ASSERT_EQ(LoadPictureFile(output.file("seq." + std::string(k < 10 ? "0" : "") +
                                              std::to_string(k) + ".bmp"),
                                  written),
                  LoadResult::Ok);
        EXPECT_TRUE(written.samePixels(state.session.images.composite)) << "frame " << k;
    }
}

// A stop request finishes the frames under way; what was read ahead is dropped.
TEST_F(Pipeline, AStopFinishesTheFramesUnderWay) {
    SequenceJob job;
    job.format = PictureFormat::Png;
    job.pattern = output.file("s.<\?\?\?>.png");
    job.encoders = 2;
    int asked = 0;
    job.stopRequested = [&] { return ++asked > 4; };
    WriteImageSequence(FilmOf(state.document, state.session), state.services.reporter(), job);
    EXPECT_EQ(ListFolder(output.path()).size(), 4u);
    EXPECT_TRUE(IsRegularFile(output.file("s.04.png")));
}

// Frames of a video (key frames far apart) and of one that has gone: the same files and the same
// errors as the window's reading, which opens the video for every frame.
TEST(VideoExport, VideoFramesAreTheFramesReadOneByOne) {
    if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs ffmpeg";
    TempFolder folder;
    TempFolder output;
    RecordingShell shell;
    EditorTestState state{shell, folder.path(), folder.path()};
    const std::string video = folder.file("take.avi");
    ASSERT_EQ(std::system(("ffmpeg -v error -y -f lavfi -i 'testsrc2=size=64x48:rate=25' -frames:v "
                           "12 -c:v mpeg4 -g 50 '" +
                           video + "'")
                              .c_str()),
              0);
    const int order[] = {0, 1, 2, 2, 5, 3, 11, -1, 4};
    for (int n : order) {
        state.document.frames.append().layerSource[0] =
            n < 0 ? MakeAviReference(0, folder.file("gone.avi")) : MakeAviReference(n, video);
    }
    std::vector<std::string> expected;
    for (int n : order) {
        Image alone;
        if (n >= 0) {
            ASSERT_TRUE(
                LoadLayerPicture(nullptr, state.services, alone, MakeAviReference(n, video)));
            std::vector<std::uint8_t> bytes;
            ASSERT_TRUE(EncodePicture(alone, PictureFormat::Bmp, bytes));
            expected.emplace_back(bytes.begin(), bytes.end());
        } else {
            expected.push_back(expected.back());  // black at the size before
            expected.back().replace(54, std::string::npos, expected.back().size() - 54, '\0');
        }
    }
    RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    for (int workers : {0, 2}) {
        shell.errors.clear();
        SequenceJob job;
        job.format = PictureFormat::Bmp;
        job.encoders = workers;
        job.pattern = output.file(std::to_string(workers) + ".<\?\?\?>.bmp");
        EXPECT_EQ(WriteImageSequence(FilmOf(state.document, state.session),
                                     state.services.reporter(), job),
                  0);
        for (int k = 1; k <= 9; ++k) {
            EXPECT_EQ(
                ReadText(output.file(std::to_string(workers) + "." + std::to_string(k) + ".bmp")),
                expected[k - 1])
                << "frame " << k << ", " << workers << " workers";
        }
        const auto texts = shell.errorTexts();
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_NE(texts[0].find("ErrorCode = 530-16-0"), std::string::npos);
        EXPECT_NE(texts[1].find("ErrorCode = 120-2-1"), std::string::npos);
    }
}

}  // namespace
}  // namespace morvel

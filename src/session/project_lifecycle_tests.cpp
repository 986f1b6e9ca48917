#include "editor/editor_test_state.h"
#include "session/project_lifecycle.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <map>
#include <thread>

#include "sequence/blend.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "editor/whole_frames.h"
#include "import/thumbnail.h"
#include "platform/files.h"
#include "codecs/picture_io.h"
#include "project/project_file.h"
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

std::vector<std::uint8_t> bytesOf(const std::string& text) {
    return {text.begin(), text.end()};
}

std::string countBytes(std::int32_t n) {
    std::string bytes(4, '\0');
    std::memcpy(bytes.data(), &n, 4);  // little-endian on every machine we build for
    return bytes;
}

class ProjectLifecycle : public ::testing::Test {
protected:
    TempFolder projectFolder;
    TempFolder workingFolder;
    RecordingShell shell;
    EditorTestState state{shell, workingFolder.path(), projectFolder.path()};

    std::string picture(const std::string& name, std::uint8_t grey = 120) {
        const std::string path = projectFolder.file(name);
        EXPECT_TRUE(
            SavePictureFile(UniformPicture(8, 6, {grey, grey, grey}), path, PictureFormat::Png));
        return path;
    }
    std::string maskFile(const std::string& name, std::uint8_t value) {
        const std::string path = projectFolder.file(name);
        MakeFolder(FolderPart(path));
        EXPECT_TRUE(SavePictureFile(GreyMask(8, 6, [&](int, int) { return value; }), path,
                                    PictureFormat::Png));
        return path;
    }
    // A project whose frames have layer 1 = picture, layer 2 empty, and the masks given.
    void makeProject(int frames, bool withMasks) {
        const std::string l1 = picture("a.png");
        for (int i = 0; i < frames; ++i) {
            FrameRecord& frame = state.document.frames.append();
            frame.layerSource[0] = l1;
            AttachLayerThumbnail(state.view.thumbnails, state.services, frame, 0,
                                 UniformPicture(8, 6, {120, 120, 120}));
            if (withMasks) {
                frame.maskNumber = state.document.masks.nextNumber++;
                ASSERT_TRUE(
                    SavePictureFile(GreyMask(8, 6, [&](int, int) { return std::uint8_t(i * 10); }),
                                    state.document.masks.workingFile(frame.maskNumber), PictureFormat::Png));
            }
        }
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
        MarkProjectChanged(state.session);  // made here and never saved
    }
};

// The example project: title Test, mask template masks\$Project_$Nr.mask (written on Windows),
// one frame with layer 1 and a mask, layer 2 empty.
TEST_F(ProjectLifecycle, OpensTheExampleProjectFile) {
    const std::string layer1 = picture("a.png", 77);
    maskFile("masks/Test_1.mask", 128);
    const std::string path = projectFolder.write(
        "Test.mvl", "MORVEL 1.0\r\nTest\r\n\r\n\r\nmasks\\$Project_$Nr.mask\r\n\r\n" +
                        countBytes(1) + layer1 + "\r\n\r\n\x01");
    OpenProject(state.document, state.session, state.view, state.services, path);
    EXPECT_TRUE(shell.errors.empty()) << shell.errorTexts()[0];
    ASSERT_EQ(state.document.frames.size(), 1);
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], layer1);
    EXPECT_EQ(state.document.frames.at(0).layerSource[1], "");
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 1);
    EXPECT_EQ(ReadText(state.document.masks.workingFile(1)),
              ReadText(projectFolder.file("masks/Test_1.mask")));
    EXPECT_EQ(state.document.header.title, "Test");
    EXPECT_EQ(state.document.header.projectFilePath, path);
    EXPECT_EQ(shell.windowTitles.back(), "Test - Morvel");
    EXPECT_EQ(state.session.cache.displayedIndex, 0);
    EXPECT_EQ(state.session.images.composite.red(0, 0), MixComponents(77, 0, 128));
    ASSERT_EQ(shell.thumbnails.size(), 1u);
    EXPECT_EQ(shell.thumbnails.begin()->second.tooltip, "a.png");
}

TEST_F(ProjectLifecycle, SavesByteForByteAndReadsBackWhatItWrote) {
    makeProject(2, true);
    state.document.header = {projectFolder.file("Film.mvl"), "Titel", "Autorin", "Erste\r\nZweite",
                    "masks/$Project_$Nr.png",       ""};
    state.document.frames.at(1).layerSource[1] = "$AVI$1A$/film/take1.avi";
    ASSERT_TRUE(WriteProjectFile(state.document, state.services.reporter()));
    const std::string l1 = projectFolder.file("a.png");
    const std::string expected =
        "MORVEL 1.0\r\nTitel\r\nAutorin\r\nErste\x01Zweite\r\nmasks/$Project_$Nr.png\r\n\r\n" +
        countBytes(2) + l1 + "\r\n\r\n\x01" + l1 + "\r\n$AVI$1A$/film/take1.avi\r\n\x01";
    EXPECT_EQ(ReadText(projectFolder.file("Film.mvl")), expected);
    EXPECT_EQ(ReadText(projectFolder.file("masks/Film_2.png")), ReadText(state.document.masks.workingFile(2)));
    EXPECT_EQ(ListFolder(projectFolder.path()).size(),
              3u);  // a.png, masks/, Film.mvl: nothing left over

    const ProjectFileContents read = ParseProjectFile(bytesOf(expected));
    EXPECT_TRUE(read.identified);
    EXPECT_EQ(read.comment, "Erste\r\nZweite");
    ASSERT_EQ(read.frames.size(), 2u);
    EXPECT_EQ(read.frames[1].layerSource[1], "$AVI$1A$/film/take1.avi");
    EXPECT_TRUE(read.frames[1].hasMask);
}

// Line breaks other than CR LF would end the comment line early and shift every later item.
TEST_F(ProjectLifecycle, ACommentWithLoneLineFeedsStillReadsBackAlignedFields) {
    ProjectHeader header{"", "One\nline", "", "a\nb\rc\r\nd", "$nr.mask", ""};
    const auto bytes = SerializeProjectFile(header, {ProjectFileFrame{{"/x.png", ""}, true}});
    const ProjectFileContents read = ParseProjectFile(bytes);
    EXPECT_EQ(read.title, "One line");
    EXPECT_EQ(read.comment, "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(read.maskTemplate, "$nr.mask");
    ASSERT_EQ(read.frames.size(), 1u);
    EXPECT_EQ(read.frames[0].layerSource[0], "/x.png");
}

TEST_F(ProjectLifecycle, AFileEndingEarlyGivesEmptyFramesButAHugeCountMakesNoMillionRecords) {
    const std::string head = "MORVEL 1.0\r\n\r\n\r\n\r\n$nr.mask\r\n\r\n";
    const std::string frame = "/a/rather/long/path/a.png\r\n\r\n" + std::string(1, '\0');
    ProjectFileContents read = ParseProjectFile(bytesOf(head + countBytes(3) + frame));
    ASSERT_EQ(read.frames.size(), 3u);
    EXPECT_EQ(read.frames[0].layerSource[0], "/a/rather/long/path/a.png");
    EXPECT_EQ(read.frames[2].layerSource[0], "");
    EXPECT_FALSE(read.frames[2].hasMask);

    read = ParseProjectFile(bytesOf(head + countBytes(2147483647) + "/a.png\r\n\r\n\x01"));
    EXPECT_EQ(read.announcedFrames, 2147483647);
    EXPECT_TRUE(read.countRefused);
    EXPECT_TRUE(read.frames.empty());

    read = ParseProjectFile(bytesOf(head + countBytes(-4) + "/a.png\r\n\r\n\x01"));
    EXPECT_TRUE(read.frames.empty());
    EXPECT_EQ(read.maskTemplate, "$nr.mask");
    // A line of megabytes is cut, and the items after it stay where they belong.
    read =
        ParseProjectFile(bytesOf("MORVEL 1.0\r\n" + std::string(3 << 20, 'x') + "\r\nAuthor\r\n"));
    EXPECT_EQ(read.title.size(), kMaxProjectLineBytes);
    EXPECT_EQ(read.author, "Author");
    read = ParseProjectFile(bytesOf("MORVEL 1.0\r\nT"));  // cut inside the header
    EXPECT_TRUE(read.identified);
    EXPECT_EQ(read.title, "T");
    EXPECT_TRUE(read.frames.empty());
}

TEST_F(ProjectLifecycle, EveryEntryIsReadWhateverItsLineEnds) {
    const std::string head = "MORVEL 1.0\r\n\r\n\r\n\r\n$nr.mask\r\n\r\n";
    for (const std::string& end :
         {std::string("\n"), std::string("\r"), std::string(1, '\0'), std::string("\r\n")}) {
        std::string frames;
        for (int k = 1; k <= 20; ++k)
            frames += "/f" + std::to_string(k) + ".png" + end + end + std::string(1, k % 2);
        const ProjectFileContents read = ParseProjectFile(bytesOf(head + countBytes(20) + frames));
        ASSERT_EQ(read.frames.size(), 20u);
        for (int k = 1; k <= 20; ++k) {
            EXPECT_EQ(read.frames[k - 1].layerSource[0], "/f" + std::to_string(k) + ".png");
            EXPECT_EQ(read.frames[k - 1].layerSource[1], "");
            EXPECT_EQ(read.frames[k - 1].hasMask, k % 2 == 1);
        }
    }
    // Empty frames with LF line ends: three bytes each.
    std::string empty;
    for (int k = 0; k < 20; ++k) empty += "\n\n\x01";
    const ProjectFileContents read = ParseProjectFile(bytesOf(head + countBytes(20) + empty));
    ASSERT_EQ(read.frames.size(), 20u);
    EXPECT_TRUE(read.frames[19].hasMask);
}

TEST_F(ProjectLifecycle, ALongOpeningShowsTheThumbnailsProgressWithoutCancel) {
    const std::string a = picture("a.png"), b = picture("b.png");
    std::string entries;
    for (int i = 0; i < 3; ++i) entries += a + "\r\n" + (i == 1 ? "" : b) + "\r\n" + '\0';
    const std::string path = projectFolder.write(
        "p.mvl", "MORVEL 1.0\r\nP\r\n\r\n\r\nm$Nr.png\r\n\r\n" + countBytes(3) + entries);
    state.services.progressDelay = 0;
    shell.cancelProgressAtStep = 2;  // pressing a cancel key changes nothing
    OpenProject(state.document, state.session, state.view, state.services, path);
    ASSERT_EQ(state.document.frames.size(), 3);
    EXPECT_EQ(shell.thumbnails.size(), 5u);
    ASSERT_EQ(shell.progressSteps.size(), 5u);
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k);
        const ImportStep& step = shell.progressSteps[static_cast<std::size_t>(k)];
        EXPECT_EQ(step.k, k + 1);
        EXPECT_EQ(step.n, 5);
        EXPECT_FALSE(step.cancellable);
        EXPECT_EQ(step.fileName, (k == 1 || k == 4) ? "b.png" : "a.png");
    }
    EXPECT_EQ(shell.progressHidden, 1);
}

// A film of count frames, layer 1 a picture of its own ("<prefix><n>.png"), layer 2 empty; the
// pictures of the frames in `odd` are replaced: -1 missing, -2 not a picture.
class LongFilmOpening : public ProjectLifecycle {
protected:
    std::string longFilm(const std::string& prefix, int count, std::map<int, int> odd = {}) {
        std::string entries;
        for (int i = 0; i < count; ++i) {
            std::string layer = projectFolder.file(prefix + std::to_string(i) + ".png");
            if (!odd.count(i)) picture(prefix + std::to_string(i) + ".png", 100);
            if (odd[i] == -2) projectFolder.write(prefix + std::to_string(i) + ".png", "text");
            entries += layer + "\r\n\r\n" + '\0';
        }
        ::setenv("XDG_CACHE_HOME", projectFolder.file("cache").c_str(), 1);
        return projectFolder.write(prefix + ".mvl", "MORVEL 1.0\r\nT\r\n\r\n\r\nm$Nr.png\r\n\r\n" +
                                                        countBytes(count) + entries);
    }
    void open(const std::string& path) {
        OpenProject(state.document, state.session, state.view, state.services, path);
    }
    // Attaches thumbnails between (missing) events until all are made.
    void waitForThumbnails() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (ThumbnailsBeingMade(state.view) && std::chrono::steady_clock::now() < deadline) {
            AttachMadeThumbnails(state.document, state.session, state.view, state.services);
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        ASSERT_FALSE(ThumbnailsBeingMade(state.view));
    }
    // Every frame with a layer 1 shows its own picture in its own column.
    void expectEveryThumbnailInItsColumn() {
        int withPicture = 0;
        for (int i = 0; i < state.document.frames.size(); ++i)
            withPicture += !state.document.frames.at(i).layerSource[0].empty();
        EXPECT_EQ(shell.thumbnails.size(), static_cast<std::size_t>(withPicture));
        for (const auto& [handle, shown] : shell.thumbnails) {
            const int column = shown.x / kFrameColumnWidth;
            ASSERT_LT(column, state.document.frames.size());
            EXPECT_EQ(shown.tooltip, FilePart(state.document.frames.at(column).layerSource[0]));
            EXPECT_EQ(shown.x, column * kFrameColumnWidth + kThumbnailLeft);
        }
    }
};

// Opening makes the thumbnails in view only, however long the film; the rest follow.
TEST_F(LongFilmOpening, MakesTheThumbnailsInViewFirstAndTheOthersAfterwards) {
    struct Case {
        int frames;
        RecordingShell::Columns view;
        std::size_t madeAtOpen;
    };
    const Case cases[] = {
        {100, {0, 0}, 24},                                              // a window that cannot say
        {400, {0, 0}, 24},                                              // the same for a longer film
        {400, {300 * kFrameColumnWidth, 5 * kFrameColumnWidth}, 1 + 8},  // frame 1, 299..306
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.frames);
        shell.stripView = c.view;
        open(longFilm("f" + std::to_string(c.frames) + "_", c.frames));
        ASSERT_EQ(state.document.frames.size(), c.frames);
        EXPECT_EQ(shell.thumbnails.size(), c.madeAtOpen);
        EXPECT_TRUE(ThumbnailsBeingMade(state.view));
        EXPECT_FALSE(ProjectChanged(state.session));
        waitForThumbnails();
        expectEveryThumbnailInItsColumn();
        EXPECT_TRUE(shell.errors.empty());
    }
}

// Closing or opening another film while thumbnails are made attaches none to the wrong frame.
TEST_F(LongFilmOpening, ClosingOrOpeningAnotherMeanwhileIsSafe) {
    const std::string first = longFilm("a", 400);
    const std::string second = longFilm("b", 300);
    open(first);
    CloseProject(state.document, state.session, state.view, state.services);
    EXPECT_FALSE(ThumbnailsBeingMade(state.view));
    EXPECT_TRUE(shell.thumbnails.empty());
    open(first);
    AttachMadeThumbnails(state.document, state.session, state.view, state.services);
    open(second);
    // A frame operation on a frame not made yet: its copy is made at once.
    DuplicateFrame(state.document, state.session, state.view, state.services,
                   state.document.frames.at(200).id);
    waitForThumbnails();
    ASSERT_EQ(state.document.frames.size(), 301);
    expectEveryThumbnailInItsColumn();
}

// A missing picture far down the film is told at open; a damaged one when its turn comes.
TEST_F(LongFilmOpening, AMissingPictureIsToldAtOpenADamagedOneWhenItsThumbnailIsMade) {
    open(longFilm("c", 300, {{250, -1}, {280, -2}}));
    EXPECT_EQ(shell.questions, std::vector<std::string>{"Morvel|1 Bilder fehlen. Ordner suchen?"});
    EXPECT_EQ(state.document.frames.at(250).layerSource[0], "");
    EXPECT_TRUE(shell.errors.empty());
    waitForThumbnails();
    const auto texts = shell.errorTexts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_NE(texts[0].find("ErrorCode = 120-8-1"), std::string::npos);
    EXPECT_NE(texts[0].find("c280.png"), std::string::npos);
    EXPECT_EQ(state.document.frames.at(280).layerSource[0], "");
    EXPECT_TRUE(ProjectChanged(state.session));
    expectEveryThumbnailInItsColumn();
}

TEST_F(ProjectLifecycle, ALargeCountMustBeBackedByTheFile) {
    const std::string head = "MORVEL 1.0\r\n\r\n\r\n\r\n$nr.mask\r\n\r\n";
    std::string entries;
    for (int k = 0; k <= kPlausibleFrameCount; ++k) entries += "\n\n\x01";
    ProjectFileContents read =
        ParseProjectFile(bytesOf(head + countBytes(kPlausibleFrameCount + 1) + entries));
    EXPECT_FALSE(read.countRefused);
    EXPECT_EQ(read.frames.size(), std::size_t(kPlausibleFrameCount) + 1);
    entries.resize(entries.size() - 3);
    read = ParseProjectFile(bytesOf(head + countBytes(kPlausibleFrameCount + 1) + entries));
    EXPECT_TRUE(read.countRefused);
    EXPECT_TRUE(read.frames.empty());
    read = ParseProjectFile(bytesOf(head + countBytes(kPlausibleFrameCount) + "\n\n\x01"));
    EXPECT_EQ(read.frames.size(), std::size_t(kPlausibleFrameCount));
}

TEST_F(ProjectLifecycle, AHugeCountInASmallFileIsRefusedAtOnce) {
    const std::string path =
        projectFolder.write("big.mvl", "MORVEL 1.0\r\n\r\n\r\n\r\n$nr.mask\r\n\r\n" +
                                           countBytes(2147483647) + std::string(50, '\0'));
    OpenProject(state.document, state.session, state.view, state.services, path);
    EXPECT_EQ(state.document.frames.size(), 0);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 320-8-1"), std::string::npos);
}

TEST_F(ProjectLifecycle, UnreadableAndForeignFilesAreReportedAndKeepTheOldHeader) {
    state.document.header.title = "Before";
    OpenProject(state.document, state.session, state.view, state.services,
                projectFolder.file("missing.mvl"));
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 320-8-2"), std::string::npos);
    EXPECT_EQ(state.document.header.projectFilePath, projectFolder.file("missing.mvl"));
    EXPECT_EQ(state.document.header.title, "Before");

    OpenProject(state.document, state.session, state.view, state.services,
                projectFolder.write("other.mvl", "MORVEL 1.0 \r\nTitle\r\n"));
    ASSERT_EQ(shell.errors.size(), 2u);
    EXPECT_NE(shell.errors[1].text.find("ErrorCode = 320-8-1"), std::string::npos);
    EXPECT_EQ(state.document.header.title, "Before");

    OpenProject(state.document, state.session, state.view, state.services,
                projectFolder.path());  // a folder
    ASSERT_EQ(shell.errors.size(), 3u);
    EXPECT_NE(shell.errors[2].text.find("ErrorCode = 320-8-2"), std::string::npos);
}

TEST_F(ProjectLifecycle, APictureOrMaskThatCannotBeReadEmptiesItsLayerOrMask) {
    const std::string text = projectFolder.write("notes.txt", "not a picture");
    const std::string path = projectFolder.write(
        "P.mvl", "MORVEL 1.0\r\n\r\n\r\n\r\n$nr.mask\r\n\r\n" + countBytes(2) + text +
                     "\r\n/dev/zero\r\n\x01" + picture("b.png") + "\r\n\r\n\x01");
    maskFile("2.mask", 10);
    OpenProject(state.document, state.session, state.view, state.services, path);
    const auto texts = shell.errorTexts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_NE(texts[0].find("ErrorCode = 120-8-1"), std::string::npos);
    EXPECT_NE(texts[1].find("'/dev/zero'"), std::string::npos);
    EXPECT_NE(texts[2].find("ErrorCode = 140-8-300"), std::string::npos);
    EXPECT_NE(texts[2].find(projectFolder.file("1.mask")), std::string::npos);
    ASSERT_EQ(state.document.frames.size(), 2);
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], "");
    EXPECT_EQ(state.document.frames.at(0).layerSource[1], "");
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 0);
    EXPECT_EQ(state.document.frames.at(1).maskNumber, 2);  // number 1 is not handed out again
}

// A program that only reads masks links them: the same frames and messages as copying, and
// emptying the project removes the links, never the project's own mask files.
TEST_F(ProjectLifecycle, LinkedMasksOpenAsCopiedOnesAndStayInTheProject) {
    const std::string path = projectFolder.write(
        "P.mvl", "MORVEL 1.0\r\n\r\n\r\n\r\n$nr.mask\r\n\r\n" + countBytes(2) + picture("a.png") +
                     "\r\n\r\n\x01" + picture("b.png") + "\r\n\r\n\x01");
    const std::string mask = maskFile("2.mask", 10);
    OpenProject(state.document, state.session, state.view, state.services, path);
    const auto copied = shell.errorTexts();
    CloseProject(state.document, state.session, state.view, state.services);
    shell.errors.clear();
    state.services.linkMasksOnOpen = true;
    OpenProject(state.document, state.session, state.view, state.services, path);
    EXPECT_EQ(shell.errorTexts(), copied);
    ASSERT_EQ(copied.size(), 1u);  // mask 1 is missing
    EXPECT_NE(copied[0].find("ErrorCode = 140-8-300"), std::string::npos);
    ASSERT_EQ(state.document.frames.at(1).maskNumber, 2);
    ASSERT_TRUE(LoadMask(state.document, state.session, state.services, 2));
    EXPECT_EQ(state.session.images.mask.blue(3, 3), 10);
    shell.answers = {Answer::No};
    CloseProject(state.document, state.session, state.view, state.services);
    EXPECT_TRUE(IsRegularFile(mask));
    EXPECT_FALSE(IsRegularFile(state.document.masks.workingFile(2)));
}

TEST_F(ProjectLifecycle, CancelKeepsEverythingAndNoEmptiesTheProject) {
    makeProject(2, true);
    const std::string stranger = workingFolder.write("other.tmp", "x");
    state.view.zoom = 2.0f;
    shell.answers = {Answer::Cancel};
    EXPECT_EQ(CloseProject(state.document, state.session, state.view, state.services),
              Answer::Cancel);
    EXPECT_EQ(state.document.frames.size(), 2);
    EXPECT_TRUE(IsRegularFile(state.document.masks.workingFile(1)));
    EXPECT_EQ(shell.thumbnails.size(), 2u);

    shell.answers = {Answer::No};
    EXPECT_EQ(CloseProject(state.document, state.session, state.view, state.services), Answer::No);
    EXPECT_EQ(state.document.frames.size(), 0);
    EXPECT_FALSE(IsRegularFile(state.document.masks.workingFile(1)));
    EXPECT_FALSE(IsRegularFile(state.document.masks.workingFile(2)));
    EXPECT_TRUE(IsRegularFile(stranger));
    EXPECT_TRUE(shell.thumbnails.empty());
    EXPECT_EQ(state.document.masks.nextNumber, 1);
    EXPECT_EQ(state.view.zoom, 1.0f);
    EXPECT_EQ(shell.questions.size(), 2u);
    EXPECT_EQ(CloseProject(state.document, state.session, state.view, state.services),
              Answer::No);  // empty: no question
    EXPECT_EQ(shell.questions.size(), 2u);
}

TEST_F(ProjectLifecycle, EmptyingTheProjectForgetsTheMaskEdits) {
    makeProject(1, true);
    BeginMaskEdit(state.document, state.session);
    RecordMaskChange(state.document, state.session, Rect{0, 4, 0, 4});
    state.session.images.mask.fill(7, 7, 7);
    EndMaskEdit(state.document, state.session);
    ASSERT_TRUE(CanUndoEdit(state.session));
    shell.answers = {Answer::Cancel};
    CloseProject(state.document, state.session, state.view, state.services);
    EXPECT_TRUE(CanUndoEdit(state.session));
    shell.answers = {Answer::No};
    CloseProject(state.document, state.session, state.view, state.services);
    EXPECT_FALSE(CanUndoEdit(state.session));
}

TEST_F(ProjectLifecycle, CancelInTheQuestionOfANewProjectLeavesEverythingAsItWas) {
    makeProject(3, true);
    state.document.header = {projectFolder.file("Film.mvl"), "Titel", "Autorin", "", "$Nr.png", ""};
    SelectFrame(state.document, state.session, state.view, state.services, 2);
    state.view.zoom = 2.0f;
    state.view.offsetX = -40;
    const std::size_t titles = shell.windowTitles.size();
    shell.answers = {Answer::Cancel};
    NewProject(state.document, state.session, state.view, state.services);
    EXPECT_EQ(shell.questions.size(), 1u);
    EXPECT_EQ(state.document.frames.size(), 3);
    EXPECT_EQ(state.session.cache.displayedIndex, 2);
    EXPECT_EQ(state.document.header.title, "Titel");
    EXPECT_EQ(state.document.header.projectFilePath, projectFolder.file("Film.mvl"));
    EXPECT_EQ(state.view.zoom, 2.0f);
    EXPECT_EQ(state.view.offsetX, -40);
    EXPECT_EQ(state.document.masks.nextNumber, 4);
    EXPECT_TRUE(IsRegularFile(state.document.masks.workingFile(3)));
    EXPECT_EQ(shell.thumbnails.size(), 3u);
    EXPECT_EQ(shell.windowTitles.size(), titles);

    // Opening another project stops at the same answer, before its requester.
    shell.answers = {Answer::Cancel};
    OpenProject(state.document, state.session, state.view, state.services, "");
    EXPECT_TRUE(shell.openRequests.empty());
    EXPECT_EQ(state.document.frames.size(), 3);
    EXPECT_EQ(state.document.header.title, "Titel");

    shell.answers = {Answer::No};
    NewProject(state.document, state.session, state.view, state.services);
    EXPECT_TRUE(state.document.frames.empty());
    EXPECT_EQ(state.document.header.title, "");
    EXPECT_EQ(shell.windowTitles.back(), "*Neu* - Morvel");
    EXPECT_EQ(state.session.cache.displayedIndex, -1);
}

TEST_F(ProjectLifecycle, YesSavesAProjectWithAPathWithoutTheSaveWindow) {
    makeProject(1, true);
    state.document.header.projectFilePath = projectFolder.file("Saved.mvl");
    state.document.header.maskTemplate = "$nr.mask";
    shell.answers = {Answer::Yes};
    EXPECT_EQ(CloseProject(state.document, state.session, state.view, state.services), Answer::Yes);
    EXPECT_TRUE(shell.saveWindowsShown.empty());
    EXPECT_TRUE(IsRegularFile(projectFolder.file("Saved.mvl")));
    EXPECT_TRUE(IsRegularFile(projectFolder.file("1.mask")));
}

TEST_F(ProjectLifecycle, YesOnAnUnsavedProjectShowsTheSaveWindowAndCancellingItStillEmpties) {
    makeProject(1, false);
    shell.answers = {Answer::Yes};
    EXPECT_EQ(CloseProject(state.document, state.session, state.view, state.services), Answer::Yes);
    ASSERT_EQ(shell.saveWindowsShown.size(), 1u);
    EXPECT_EQ(FilePart(shell.saveWindowsShown[0].projectFilePath), "Projekt.mvl");
    EXPECT_EQ(state.document.frames.size(), 0);
}

// Mask numbers start again at 1 in the next project: the mask image of the old project must not
// pass for the new project's mask 1.
TEST_F(ProjectLifecycle, TheNextProjectsMaskOneIsLoadedNotTakenFromTheOldProject) {
    makeProject(1, true);  // mask 1 of this project is all 0 and is displayed
    maskFile("1.mask", 255);
    const std::string path = projectFolder.write(
        "Next.mvl", "MORVEL 1.0\r\n\r\n\r\n\r\n$nr.mask\r\n\r\n" + countBytes(1) +
                        projectFolder.file("a.png") + "\r\n\r\n\x01");
    OpenProject(state.document, state.session, state.view, state.services, path);
    EXPECT_EQ(state.document.frames.at(0).maskNumber, 1);
    EXPECT_EQ(state.session.images.mask.blue(0, 0), 255);
    EXPECT_EQ(state.session.images.composite.red(0, 0), MixComponents(120, 0, 255));
}

TEST_F(ProjectLifecycle, NewProjectResetsHeaderTitleAndNumbering) {
    makeProject(1, true);
    state.document.header.title = "Old";
    NewProject(state.document, state.session, state.view, state.services);
    EXPECT_EQ(state.document.header.title, "");
    EXPECT_EQ(shell.windowTitles.back(), "*Neu* - Morvel");
    EXPECT_EQ(state.session.cache.displayedIndex, -1);
    EXPECT_EQ(state.session.images.composite.width(), 640);
    EXPECT_EQ(state.document.masks.nextNumber, 1);
}

TEST_F(ProjectLifecycle, CancellingTheOpenRequesterLeavesAnEmptiedProject) {
    makeProject(1, false);
    state.document.header.projectFilePath = "/old.mvl";
    OpenProject(state.document, state.session, state.view, state.services, "");
    ASSERT_EQ(shell.openRequests.size(), 1u);
    EXPECT_EQ(shell.openRequests[0].title, "Projekt öffnen");
    EXPECT_EQ(shell.openRequests[0].initialName, "*.mvl");
    EXPECT_EQ(shell.openRequests[0].filter, "Morvel-Projekte|*.mvl|Alle Dateien|*.*");
    EXPECT_EQ(state.document.frames.size(), 0);
    EXPECT_EQ(state.document.header.projectFilePath, "");
}

TEST_F(ProjectLifecycle, SavingCopiesPicturesUnderTheFrameTemplateAndReportsWhatCannotBeCopied) {
    makeProject(2, false);
    state.document.frames.at(1).layerSource[1] = "$AVI$3$/film/take.avi";
    state.document.header = {projectFolder.file("Copy.mvl"), "", "", "", "$nr.mask",
                    "img\\$Project_$Layer_$Nr"};
    ASSERT_TRUE(WriteProjectFile(state.document, state.services.reporter()));
    EXPECT_EQ(state.document.frames.at(0).layerSource[0], projectFolder.file("img/Copy_1_1.png"));
    EXPECT_TRUE(IsRegularFile(projectFolder.file("img/Copy_1_2.png")));
    EXPECT_EQ(state.document.frames.at(1).layerSource[1], "$AVI$3$/film/take.avi");
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 140-11-2"), std::string::npos);
}

TEST_F(ProjectLifecycle, AProjectFileThatCannotBeCreatedCopiesNothing) {
    makeProject(1, true);
    state.document.header = {projectFolder.file("gone/P.mvl"), "", "", "", "$nr.mask", ""};
    EXPECT_FALSE(WriteProjectFile(state.document, state.services.reporter()));
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find("ErrorCode = 330-11-1"), std::string::npos);
    EXPECT_FALSE(IsFolder(projectFolder.file("gone")));
}

TEST_F(ProjectLifecycle, AMaskThatCannotBeCopiedOutIsSavedWithoutMask) {
    makeProject(1, true);
    ::unlink(state.document.masks.workingFile(1).c_str());
    state.document.header = {projectFolder.file("P.mvl"), "", "", "", "$nr.mask", ""};
    ASSERT_TRUE(WriteProjectFile(state.document, state.services.reporter()));
    EXPECT_NE(shell.errorTexts().at(0).find("ErrorCode = 140-11-300"), std::string::npos);
    const auto read = ParseProjectFile(*ReadFileBytes(projectFolder.file("P.mvl")));
    ASSERT_EQ(read.frames.size(), 1u);
    EXPECT_FALSE(read.frames[0].hasMask);
}

// A template that gives both takes of a frame one copy name must not let take 2 overwrite
// take 1: nothing is written, the user is told and chooses again in the save window.
TEST_F(ProjectLifecycle, ACollidingFrameTemplateWritesNothingAndAsksAgain) {
    makeProject(1, false);
    state.document.frames.at(0).layerSource[1] = picture("b.png", 30);
    state.document.header = {projectFolder.file("C.mvl"), "", "", "", "$nr.mask", "frame_$Nr"};
    shell.saveWindowAnswers = {std::nullopt};
    SaveProject(state.document, state.session, state.view, state.services, false);
    EXPECT_FALSE(IsRegularFile(projectFolder.file("C.mvl")));
    EXPECT_FALSE(IsRegularFile(projectFolder.file("frame_1.png")));
    ASSERT_EQ(shell.messages.size(), 1u);
    EXPECT_NE(shell.messages[0].text.find("denselben Dateinamen"), std::string::npos);
    ASSERT_EQ(shell.saveWindowPlans.size(), 1u);
    // The window's own check refuses the template before confirming, and takes a good one.
    const auto& refuse = shell.saveWindowPlans[0].refuseTemplates;
    EXPECT_FALSE(refuse(projectFolder.file("C.mvl"), "$nr.mask", "frame_$Nr").empty());
    EXPECT_TRUE(refuse(projectFolder.file("C.mvl"), "$nr.mask", "$Layer_$Nr").empty());
}

}  // namespace
}  // namespace morvel

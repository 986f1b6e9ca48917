#include "editor/editor_test_state.h"
#include "export/export_on_worker.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "codecs/picture_io.h"
#include "editor/canvas_film.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "export/image_sequence.h"
#include "export/testing/acting_watch.h"
#include "platform/files.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::ActingWatch;
using testing::ReadText;
using testing::RecordingShell;
using testing::TempFolder;

TEST(ExportTexts, TheProgressLineCountsFramesAndTheTimeLeft) {
    const LanguageTable texts;
    const struct {
        int done, total;
        double seconds;
        const char* line;
    } cases[] = {
        {0, 24, 0.0, "Bild 1 von 24"},
        {6, 24, 3.0, "Bild 7 von 24, noch 0:09"},
        {12, 24, 75.0, "Bild 13 von 24, noch 1:15"},
        {23, 24, 230.0, "Bild 24 von 24, noch 0:10"},
        {24, 24, 240.0, "Bild 24 von 24"},
        {25, 24, 240.0, "Bild 24 von 24"},  // the closing piece
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExportProgressLine(texts, c.done, c.total, c.seconds), c.line) << c.done;
}

TEST(ExportTexts, TheEndNoticeNamesTheFilesAndTheirFolder) {
    const LanguageTable texts;
    const struct {
        std::vector<std::string> written;
        bool cancelled;
        const char* notice;
    } cases[] = {
        {{}, false, "Export beendet: keine Datei geschrieben."},
        {{}, true, "Export abgebrochen: keine Datei geschrieben."},
        {{"/f/a.avi"}, false, "Export fertig: a.avi in /f/"},
        {{"/f/a.1.png", "/f/a.2.png"}, true, "Export abgebrochen. Geschrieben: a.1.png, a.2.png in /f/"},
        {{"/f/a.1.png", "/f/a.2.png", "/f/a.3.png"}, false,
         "Export fertig: a.1.png … a.3.png (3) in /f/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExportEndNotice(texts, {c.written, c.cancelled}), c.notice) << c.notice;
}

class WorkerExport : public ::testing::Test {
protected:
    TempFolder folder;
    TempFolder output;
    RecordingShell shell;
    EditorTestState state{shell, folder.path(), folder.path()};

    void makeFrames(int count, int width = 40, int height = 30) {
        for (int i = 0; i < count; ++i) {
            const std::string path = folder.file(std::to_string(i) + "p.png");
            ASSERT_TRUE(SavePictureFile(testing::GradientPicture(width, height, i + 1), path,
                                        PictureFormat::Png));
            state.document.frames.append().layerSource[0] = path;
        }
        RefreshFrameStrip(state.document, state.session, state.view, state.services, 0);
    }
    void exportTo(const std::string& path, int filter, BackgroundWatch* watch = nullptr) {
        shell.saveAnswers.push_back({path, filter});
        ExportImageSequence(FilmOf(state.document, state.session), shell, state.services.language.texts,
                            [&] { StoreDisplayedMask(state.document, state.session, state.services); },
                            watch);
    }
    static std::vector<std::string> names(const std::string& in) {
        std::vector<std::string> found;
        for (const FolderEntry& entry : ListFolder(in)) found.push_back(entry.name);
        std::sort(found.begin(), found.end());
        return found;
    }
};

TEST_F(WorkerExport, WritesTheBytesOfAnExportOnThisThread) {
    makeFrames(5);
    for (int filter : {0, 1, 2}) {
        const SequenceFormat format = SequenceFormatForFilter(filter);
        ActingWatch watch;
        exportTo(output.file("w" + std::to_string(filter)), filter, &watch);
        SequenceJob job;
        job.format = format.format;
        job.pattern = SequencePattern(output.file("d" + std::to_string(filter)), format);
        job.encoders = 0;
        ASSERT_EQ(WriteImageSequence(FilmOf(state.document, state.session), state.services.reporter(), job), 0);
        for (int k = 1; k <= 5; ++k) {
            const std::string name = SequenceFileName(format.suffix, k, 5);
            EXPECT_EQ(ReadText(output.file("w" + std::to_string(filter) + name)),
                      ReadText(output.file("d" + std::to_string(filter) + name)))
                << filter << name;
        }
        EXPECT_EQ(shell.notices.back(), "Export fertig: w" + std::to_string(filter) +
                                            SequenceFileName(format.suffix, 1, 5) + " … w" +
                                            std::to_string(filter) +
                                            SequenceFileName(format.suffix, 5, 5) + " (5) in " +
                                            output.path());
        EXPECT_EQ(watch.labels.front().substr(0, 12), "Bild 1 von 5");
    }
    EXPECT_TRUE(shell.errors.empty());
}

// Cancel stops within a frame or two: the frames written stay, complete, and are named.
TEST_F(WorkerExport, CancelKeepsTheFramesWrittenAndNamesThem) {
    makeFrames(16);
    ActingWatch watch;
    watch.after = 2;
    watch.act = [](BackgroundJob& job) { job.cancel(); };
    exportTo(output.file("c"), 1, &watch);
    const std::vector<std::string> written = names(output.path());
    ASSERT_GE(written.size(), 2u);
    ASSERT_LT(written.size(), 16u);
    ExportOutcome expected{{}, true};
    for (std::size_t i = 0; i < written.size(); ++i) {
        const std::string name = SequenceFileName("c.<\?\?\?>.png", static_cast<int>(i) + 1, 16);
        EXPECT_EQ(written[i], name);
        Image picture;
        EXPECT_EQ(LoadPictureFile(output.file(name), picture), LoadResult::Ok) << name;
        expected.written.push_back(output.file(name));
    }
    EXPECT_EQ(shell.notices.back(), ExportEndNotice(state.services.language.texts, expected));
    EXPECT_TRUE(shell.errors.empty());
}

// The folder taken away half-way: each frame after it gets the message it always got, in order.
TEST_F(WorkerExport, AFolderThatVanishesGivesTheMessagesOfTheFramesAfterIt) {
    makeFrames(8);
    const std::string target = output.file("gone/");
    ASSERT_TRUE(MakeFolder(target));
    ActingWatch watch;
    watch.after = 2;
    watch.act = [&](BackgroundJob&) {
        do {  // frames under way may still be put in place meanwhile
            for (const std::string& name : names(target)) ::unlink((target + name).c_str());
        } while (::rmdir(target.c_str()) != 0);
    };
    exportTo(target + "v", 0, &watch);
    const auto texts = shell.errorTexts();
    ASSERT_FALSE(texts.empty());
    EXPECT_LE(texts.size(), 6u);  // the first two were in before
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const int k = static_cast<int>(8 - texts.size() + i) + 1;
        EXPECT_NE(texts[i].find("'" + target + "v." + std::to_string(k) + ".bmp'"),
                  std::string::npos)
            << texts[i];
        EXPECT_NE(texts[i].find("ErrorCode = 130-10-400"), std::string::npos);
    }
    EXPECT_FALSE(IsFolder(target));
    EXPECT_EQ(shell.notices.size(), 1u);
}

// A tmpfs of a few pages as the target, filled up (skipped where mounting is refused): the
// frames that did not fit are reported and leave nothing behind. Frames are encoded side by
// side, so which of them found room depends on the order they finished in.
TEST_F(WorkerExport, AFullDiskLeavesNoPartialFile) {
    makeFrames(4, 100, 80);  // bitmaps of 24054 bytes: at most two fit in 64 KiB
    const std::string target = output.file("full/");
    ASSERT_TRUE(MakeFolder(target));
    if (::mount("tmpfs", target.c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "no tmpfs can be mounted here";
    ActingWatch watch;
    exportTo(target + "f", 0, &watch);
    const std::vector<std::string> written = names(target);
    std::vector<std::size_t> sizes;
    for (const std::string& name : written) sizes.push_back(ReadText(target + name).size());
    ::umount2(target.c_str(), MNT_DETACH);
    ASSERT_LE(written.size(), 2u);
    EXPECT_EQ(sizes, std::vector<std::size_t>(written.size(), 24054));
    const auto texts = shell.errorTexts();
    ASSERT_EQ(texts.size(), 4 - written.size());
    std::string listed;
    std::size_t reported = 0;
    for (int k = 1; k <= 4; ++k) {
        const std::string name = "f." + std::to_string(k) + ".bmp";
        const bool kept = std::find(written.begin(), written.end(), name) != written.end();
        if (kept) {
            listed += (listed.empty() ? "" : ", ") + name;
        } else {  // reported in frame order
            ASSERT_LT(reported, texts.size());
            EXPECT_NE(texts[reported++].find(name), std::string::npos) << name;
        }
    }
    if (written.size() == 2)
        EXPECT_EQ(shell.notices.back(), "Export fertig: " + listed + " in " + target);
}

}  // namespace
}  // namespace morvel

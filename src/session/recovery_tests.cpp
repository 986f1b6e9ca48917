#include "editor/editor_test_state.h"
#include "session/recovery.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include <functional>
#include <map>
#include <memory>

#include "codecs/picture_io.h"
#include "editor/canvas.h"
#include "editor/canvas_film.h"
#include "editor/frame_operations.h"
#include "editor/frame_selection.h"
#include "editor/mask_tools.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "export/film_snapshot.h"
#include "import/thumbnail.h"
#include "platform/files.h"
#include "platform/gadgets.h"
#include "platform/session_folder.h"
#include "project/session_journal.h"
#include "sequence/frame_sequence.h"
#include "sequence/scaled_frame.h"
#include "session/crash_protection.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;

// A program with a session folder under sessions, as the window program runs it.
struct Program {
    explicit Program(const std::string& sessions, const std::string& pictures)
        : folder(SessionFolder::create(sessions)) {
        EXPECT_TRUE(folder);
        state = std::make_unique<EditorTestState>(shell, folder->path(), pictures);
        state->services.redrawPause = 0;
        state->services.sessionsFolder = sessions;
        state->session.record.writer = std::make_shared<SessionWriter>(folder->path());
        state->view.canvas = *Image::create(120, 90);
        InvalidateCanvas(state->view);
        SelectTool(state->view, state->services, "eraser");
        state->view.toolSettings.eraseGrey = 90;
    }
    // What the event loop does after each event.
    void settle() { UpdateSessionJournal(state->document, state->session); }
    void stroke(int x, int y) {
        state->view.buttonDown = true;
        MouseAction(state->document, state->session, state->view, state->services, kMousePressed, x,
                    y);
        MouseAction(state->document, state->session, state->view, state->services, kMouseDragged,
                    x + 20, y + 9);
        MouseAction(state->document, state->session, state->view, state->services, kMouseReleased,
                    x + 20, y + 9);
        state->view.buttonDown = false;
        settle();
    }
    // Killed: nothing tidies up, the lock goes with the process.
    void crash() {
        state->session.record.writer->flush();
        state.reset();
        folder.reset();
    }

    RecordingShell shell;
    std::optional<SessionFolder> folder;
    std::unique_ptr<EditorTestState> state;
};

// The frames, mask numbers and masks (as they would be stored) of a program.
struct Project {
    std::vector<std::array<std::string, 2>> sources;
    std::vector<std::int32_t> masks;
    std::vector<Image> maskPictures;
    int displayed = -1;
    std::string path;
};

Project projectOf(EditorTestState& state) {
    StoreDisplayedMask(state.document, state.session, state.services);
    state.session.cache.maskModified = false;
    Project project;
    for (int i = 0; i < state.document.frames.size(); ++i) {
        const FrameRecord& frame = state.document.frames.at(i);
        project.sources.push_back(frame.layerSource);
        project.masks.push_back(frame.maskNumber);
        Image mask;
        if (frame.maskNumber)
            LoadPictureFile(state.document.masks.workingFile(frame.maskNumber), mask);
        project.maskPictures.push_back(std::move(mask));
    }
    project.displayed = state.session.cache.displayedIndex;
    project.path = state.document.header.projectFilePath;
    return project;
}

class Recovery : public ::testing::Test {
protected:
    TempFolder sessions;
    TempFolder pictures;

    std::string picture(const std::string& name, std::uint8_t grey) {
        const std::string path = pictures.file(name);
        EXPECT_TRUE(SavePictureFile(testing::UniformPicture(120, 90, {grey, grey, grey}), path,
                                    PictureFormat::Png));
        return path;
    }
    void addFrames(Program& program, int count) {
        EditorTestState& state = *program.state;
        for (int i = 0; i < count; ++i) {
            FrameRecord& frame = state.document.frames.append();
            frame.layerSource[0] =
                picture("p" + std::to_string(state.document.frames.size()) + ".png",
                        static_cast<std::uint8_t>(40 * i + 20));
            AttachLayerThumbnail(state.view.thumbnails, state.services, frame, 0,
                                 testing::UniformPicture(120, 90, {1, 2, 3}));
        }
        RefreshFrameStrip(state.document, state.session, state.view, state.services,
                          state.document.frames.size() - 1);
        program.settle();
    }
};

// Killed after each kind of step, the next start rebuilds the project exactly.
TEST_F(Recovery, ACrashAfterEachKindOfStepIsRecovered) {
    const std::vector<std::function<void(Program&)>> steps = {
        [&](Program& p) { addFrames(p, 3); },   // a drop
        [&](Program& p) { p.stroke(10, 10); },  // a mask is made
        [&](Program& p) { p.stroke(40, 30); },  // more painting
        [&](Program& p) {
            SelectFrame(p.state->document, p.state->session, p.state->view, p.state->services, 0),
                p.settle();
        },                                      // the mask is stored
        [&](Program& p) { p.stroke(50, 50); },  // another frame's mask
        [&](Program& p) {
            UndoEdit(p.state->document, p.state->session, p.state->view, p.state->services),
                p.settle();
        },  // undone on frame 1
        [&](Program& p) { p.stroke(5, 60); },
        [&](Program& p) {
            DeleteLayer(p.state->document, p.state->session, p.state->view, p.state->services,
                        p.state->document.frames.at(1).id, 0),
                p.settle();
        },
        [&](Program& p) {
            p.state->document.header = {pictures.file("Film.mvl"), "Film", "", "", "$nr.mask", ""};
            SaveProject(p.state->document, p.state->session, p.state->view, p.state->services,
                        false),
                p.settle();
        },
    };
    for (std::size_t last = 0; last < steps.size(); ++last) {
        SCOPED_TRACE(last);
        Program before(sessions.path(), pictures.path());
        for (std::size_t i = 0; i <= last; ++i) steps[i](before);
        before.state->session.record.writer->flush();
        // Read from the disk of the crashed program before the next start.
        const Project lost = [&] {
            Project p;
            for (int i = 0; i < before.state->document.frames.size(); ++i) {
                const FrameRecord& frame = before.state->document.frames.at(i);
                p.sources.push_back(frame.layerSource);
                p.masks.push_back(frame.maskNumber);
                Image mask;
                if (frame.maskNumber &&
                    frame.maskNumber == before.state->session.cache.maskNumber) {
                    mask = testing::AsPicture(before.state->session.images.mask);
                } else if (frame.maskNumber) {
                    LoadPictureFile(before.state->document.masks.workingFile(frame.maskNumber),
                                    mask);
                }
                p.maskPictures.push_back(std::move(mask));
            }
            p.displayed = before.state->session.cache.displayedIndex;
            p.path = before.state->document.header.projectFilePath;
            return p;
        }();
        const std::string crashedFolder = before.folder->path();
        before.crash();

        Program after(sessions.path(), pictures.path());
        after.shell.answers = {Answer::Yes};
        ASSERT_EQ(OfferRecovery(after.state->document, after.state->session, after.state->view,
                                after.state->services),
                  RecoveryOutcome::Recovered);
        EXPECT_EQ(after.shell.questions.size(), 1u);
        EXPECT_FALSE(IsFolder(crashedFolder));
        const Project back = projectOf(*after.state);
        EXPECT_EQ(back.sources, lost.sources);
        EXPECT_EQ(back.masks, lost.masks);
        EXPECT_EQ(back.displayed, lost.displayed);
        EXPECT_EQ(back.path, lost.path);
        for (std::size_t i = 0; i < lost.masks.size(); ++i) {
            EXPECT_TRUE(testing::SamePicture(back.maskPictures[i], lost.maskPictures[i])) << i;
        }
        after.crash();
        for (const std::string& left : AbandonedSessions(sessions.path()))
            RemoveFolderWithFiles(left);
    }
}

TEST_F(Recovery, NoRemovesThatSessionAndADamagedJournalIsSetAsideOnce) {
    Program first(sessions.path(), pictures.path());
    addFrames(first, 1);
    first.crash();
    Program second(sessions.path(), pictures.path());
    addFrames(second, 1);
    second.state->session.record.writer->flush();
    second.state->session.record.writer->writeJournal({'M', 'O', 'R'});
    second.crash();

    Program next(sessions.path(), pictures.path());
    // The newest (damaged) one is set aside and told about; the older one is left alone.
    EXPECT_EQ(OfferRecovery(next.state->document, next.state->session, next.state->view,
                            next.state->services),
              RecoveryOutcome::Damaged);
    EXPECT_EQ(next.shell.errors.size(), 1u);
    EXPECT_TRUE(next.shell.questions.empty());
    ASSERT_EQ(AbandonedSessions(sessions.path()).size(), 1u);
    next.shell.answers = {Answer::No};
    EXPECT_EQ(OfferRecovery(next.state->document, next.state->session, next.state->view,
                            next.state->services),
              RecoveryOutcome::Declined);
    EXPECT_TRUE(AbandonedSessions(sessions.path()).empty());
    EXPECT_EQ(next.state->document.frames.size(), 0);
    EXPECT_EQ(OfferRecovery(next.state->document, next.state->session, next.state->view,
                            next.state->services),
              RecoveryOutcome::NothingToRecover);
    bool setAside = false;
    for (const FolderEntry& entry : ListFolder(sessions.path()))
        setAside |= entry.name.find(kDamagedSuffix) != std::string::npos;
    EXPECT_TRUE(setAside);
}

// A crashed session of three frames whose last frame has three logged strokes, its files
// damaged in one way each: one message, whatever could be read back, the folder kept aside.
TEST_F(Recovery, DamagedSessionFilesAreKeptAndToldOnce) {
    using Bytes = std::vector<std::uint8_t>;
    // The tile log's records, each as its own bytes.
    auto records = [](const Bytes& log) {
        std::vector<Bytes> out;
        for (std::size_t at = 0; at + 12 <= log.size();) {
            const std::size_t size = log[at + 4] | log[at + 5] << 8 | log[at + 6] << 16;
            out.emplace_back(log.begin() + long(at), log.begin() + long(at + size + 12));
            at += size + 12;
        }
        return out;
    };
    auto forged = [](std::int32_t mask) {
        MaskTileEdit step;
        step.maskAfter = mask;
        step.maskWidth = step.maskHeight = 16384;
        step.tiles = {MaskTileChange{0, 0, 16384, 16384, {}, {}}};
        Bytes bytes = TileLogRecord(step, true);
        SealTileLogRecord(bytes);
        return bytes;
    };
    auto fifo = [](const std::string& path) {
        std::remove(path.c_str());
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    };
    struct Case {
        const char* what;
        std::function<void(const std::string& folder, std::vector<Bytes>& log)> damage;
        RecoveryOutcome outcome;
        int frames;
        std::array<bool, 3> strokesBack;
    };
    const Case cases[] = {
        {"journal a FIFO",
         [&](const std::string& f, auto&) { fifo(f + kSessionJournalName); },
         RecoveryOutcome::Damaged,
         0,
         {}},
        {"journal garbage",
         [](const std::string& f, auto&) { WriteFileBytes(f + kSessionJournalName, Bytes(99, 7)); },
         RecoveryOutcome::Damaged,
         0,
         {}},
        {"journal's first frame garbled",
         [&](const std::string& f, auto&) {
             auto text = testing::ReadText(f + kSessionJournalName);
             text[text.find(":" + pictures.file("p1.png"))] = 'X';
             WriteFileBytes(f + kSessionJournalName, Bytes(text.begin(), text.end()));
         },
         RecoveryOutcome::Recovered,
         2,
         {true, true, true}},
        {"tile log a FIFO",
         [&](const std::string& f, auto& log) { log.clear(), fifo(f + kSessionTileLogName); },
         RecoveryOutcome::Recovered,
         3,
         {false, false, false}},
        {"bad checksum",
         [](const std::string&, auto& log) { log[1][30] ^= 1; },
         RecoveryOutcome::Recovered,
         3,
         {true, false, true}},
        {"impossible size",
         [](const std::string&, auto& log) { log[1][7] = 0x40; },
         RecoveryOutcome::Recovered,
         3,
         {true, false, true}},
        {"cut short",
         [](const std::string&, auto& log) { log[2].resize(40); },
         RecoveryOutcome::Recovered,
         3,
         {true, true, false}},
        {"a mask's working file garbled",
         [](const std::string& f, auto&) {
             WriteFileBytes(f + MaskWorkingFileName(1), Bytes(50, 1));
         },
         RecoveryOutcome::Recovered,
         3,
         {true, true, true}},
        {"a forged 16384 x 16384 edit",
         [&](const std::string&, auto& log) { log.insert(log.begin() + 1, forged(1)); },
         RecoveryOutcome::Recovered,
         3,
         {true, true, true}},
    };
    const int strokes[3][2] = {{5, 5}, {45, 35}, {80, 65}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Program before(sessions.path(), pictures.path());
        addFrames(before, 3);
        for (const auto& at : strokes) before.stroke(at[0], at[1]);
        const Image lost = testing::AsPicture(before.state->session.images.mask);
        const std::int32_t mask = before.state->document.frames.at(2).maskNumber;
        const std::string crashed = before.folder->path();
        before.crash();
        const std::string logPath = crashed + kSessionTileLogName;
        std::vector<Bytes> log = records(*ReadFileBytes(logPath));
        ASSERT_EQ(log.size(), 3u);
        c.damage(crashed, log);
        if (!log.empty()) {
            Bytes joined;
            for (const Bytes& r : log) joined.insert(joined.end(), r.begin(), r.end());
            WriteFileBytes(logPath, joined);
        }

        Program after(sessions.path(), pictures.path());
        after.shell.answers = {Answer::Yes};
        EXPECT_EQ(OfferRecovery(after.state->document, after.state->session, after.state->view,
                                after.state->services),
                  c.outcome);
        EXPECT_EQ(after.shell.errors.size(), 1u);
        const std::string kept = crashed.substr(0, crashed.size() - 1) + kDamagedSuffix;
        EXPECT_TRUE(IsFolder(kept));
        EXPECT_FALSE(IsFolder(crashed));
        ASSERT_EQ(after.state->document.frames.size(), c.frames);
        if (c.frames > 0) {
            const FrameRecord& last = after.state->document.frames.at(c.frames - 1);
            EXPECT_EQ(last.maskNumber, std::ranges::count(c.strokesBack, true) ? mask : 0);
            Image back;
            if (last.maskNumber)
                LoadPictureFile(after.state->document.masks.workingFile(mask), back);
            for (int i = 0; i < 3 && back.width() > 0; ++i) {
                const int x = strokes[i][0] + 10, y = strokes[i][1] + 4;
                EXPECT_EQ(back.row(y)[3 * x] == lost.row(y)[3 * x], c.strokesBack[i]) << i;
            }
        }
        after.crash();
        RemoveFolderWithFiles(kept);
        for (const std::string& left : AbandonedSessions(sessions.path()))
            RemoveFolderWithFiles(left);
    }
}

// A tmpfs of a few pages mounted over a folder, to be filled up or mounted read-only. Where
// mounting is not permitted, the tests that need one are skipped.
struct SmallDisk {
    SmallDisk(const std::string& folder, unsigned long flags)
        : path(folder), mounted(::mount("tmpfs", folder.c_str(), "tmpfs", flags, "size=4m") == 0) {}
    ~SmallDisk() {
        if (mounted) ::umount2(path.c_str(), MNT_DETACH);
    }
    // Takes every free byte.
    void fill() const {
        const int fd = ::open((path + "filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const std::vector<char> block(4096, 'x');
        while (::write(fd, block.data(), block.size()) > 0) {
        }
        ::close(fd);
    }
    std::string path;
    bool mounted;
};

// The disk fills up while painting: told once, and the stroke survives frame changes.
TEST_F(Recovery, APaintedMaskOnAFullDiskIsKeptAndToldOnce) {
    const SmallDisk disk(sessions.path(), 0);
    if (!disk.mounted) GTEST_SKIP() << "no tmpfs can be mounted here";
    Program p(sessions.path(), pictures.path());
    addFrames(p, 2);
    p.state->session.record.writer->flush();
    disk.fill();
    p.stroke(10, 10);
    p.state->session.record.writer->flush();
    const GreyImage painted = p.state->session.images.mask;
    for (const int frame : {1, 0, 1}) {
        TellSessionWriteFailure(p.state->session, p.state->services);
        SelectFrame(p.state->document, p.state->session, p.state->view, p.state->services, frame);
        p.settle();
    }
    ASSERT_EQ(p.shell.errors.size(), 1u);
    EXPECT_NE(p.shell.errors[0].text.find(p.folder->path()), std::string::npos);
    EXPECT_TRUE(testing::SamePicture(p.state->session.images.mask, painted));
    // Saved elsewhere, the project takes the mask from memory.
    p.state->document.header = {pictures.file("Film.mvl"), "Film", "", "", "$nr.mask", ""};
    SaveProject(p.state->document, p.state->session, p.state->view, p.state->services, false);
    EXPECT_EQ(p.shell.errors.size(), 1u);
    Image saved;
    EXPECT_EQ(LoadPictureFile(pictures.file("2.mask"), saved), LoadResult::Ok);
    EXPECT_TRUE(testing::SamePicture(saved, painted));
    p.crash();
}

// A mask that could not be stored is what every reader of the frame takes: the sequence that
// all exports compose holds the stroke, and so does the frame composed for playback.
TEST_F(Recovery, AStrokeKeptInMemoryIsInTheExportedFrames) {
    const SmallDisk disk(sessions.path(), 0);
    if (!disk.mounted) GTEST_SKIP() << "no tmpfs can be mounted here";
    Program p(sessions.path(), pictures.path());
    addFrames(p, 2);
    p.state->session.record.writer->flush();
    disk.fill();
    p.stroke(10, 10);
    const Image shown = p.state->session.images.composite;
    SelectFrame(p.state->document, p.state->session, p.state->view, p.state->services, 0);
    ASSERT_EQ(p.state->session.unstoredMasks.size(), 1u);
    const std::size_t told = p.shell.errors.size();

    const Film film = FilmOf(p.state->document, p.state->session);
    WorkQueue queue(2);
    FrameSequence sequence(film, 1, 1, queue, p.state->services.reporter());
    ASSERT_TRUE(sequence.nextReadable());
    EXPECT_TRUE(testing::SamePicture(sequence.composeNext(), shown));
    FilmView view;
    view.canvasWidth = shown.width();
    view.canvasHeight = shown.height();
    Image played;
    ASSERT_TRUE(ComposeFilmFrame(film.frameFiles(1), view, played));
    EXPECT_TRUE(testing::SamePicture(played, shown));
    EXPECT_EQ(p.shell.errors.size(), told);  // nothing was missing
    // The copy an export on a worker composes keeps it too.
    const FilmSnapshot snapshot(film);
    EXPECT_EQ(snapshot.film().frameFiles(1), film.frameFiles(1));
    p.crash();
}

// Recovering onto a full disk: the frames and masks are back in memory, the user is told, and
// the crashed session stays as it was for the next start.
TEST_F(Recovery, ARecoveryThatCannotBeWrittenKeepsTheCrashedSession) {
    const SmallDisk disk(sessions.path(), 0);
    if (!disk.mounted) GTEST_SKIP() << "no tmpfs can be mounted here";
    Program before(sessions.path(), pictures.path());
    addFrames(before, 3);
    before.stroke(10, 10);
    SelectFrame(before.state->document, before.state->session, before.state->view,
                before.state->services, 0);
    before.settle();
    before.stroke(40, 30);
    std::map<std::int32_t, Image> lost = {
        {2, testing::AsPicture(before.state->session.images.mask)}};
    LoadPictureFile(before.state->document.masks.workingFile(1), lost[1]);
    const std::string crashed = before.folder->path();
    before.crash();
    const auto journal = ReadFileBytes(crashed + kSessionJournalName);
    disk.fill();

    Program after(sessions.path(), pictures.path());
    after.shell.answers = {Answer::Yes};
    EXPECT_EQ(OfferRecovery(after.state->document, after.state->session, after.state->view,
                            after.state->services),
              RecoveryOutcome::Recovered);
    ASSERT_EQ(after.shell.errors.size(), 1u);
    EXPECT_NE(after.shell.errors[0].text.find(crashed), std::string::npos);
    EXPECT_EQ(ReadFileBytes(crashed + kSessionJournalName), journal);
    EXPECT_EQ(AbandonedSessions(sessions.path()), std::vector<std::string>{crashed});
    ASSERT_EQ(after.state->document.frames.size(), 3);
    EXPECT_EQ(after.state->document.frames.at(0).maskNumber, 2);
    EXPECT_EQ(after.state->document.frames.at(2).maskNumber, 1);
    for (const auto& [n, mask] : lost) {
        ASSERT_TRUE(after.state->session.unstoredMasks.contains(n)) << n;
        EXPECT_TRUE(testing::SamePicture(*after.state->session.unstoredMasks.at(n), mask)) << n;
    }
    // Told once: the writer's failure is not told again.
    TellSessionWriteFailure(after.state->session, after.state->services);
    EXPECT_EQ(after.shell.errors.size(), 1u);
    after.crash();
}

// A read-only state folder: no session, and one notice at start that protection is off.
TEST_F(Recovery, AReadOnlyStateFolderTurnsProtectionOffWithANotice) {
    const SmallDisk disk(sessions.path(), MS_RDONLY);
    if (!disk.mounted) GTEST_SKIP() << "no tmpfs can be mounted here";
    EXPECT_FALSE(SessionFolder::create(sessions.path() + "morvel/"));
    RecordingShell shell;
    EditorTestState state(shell, pictures.path(), pictures.path());
    TellCrashProtectionOff(state.services);
    EXPECT_TRUE(shell.errors.empty());
    state.services.unprotectedSessions = sessions.path() + "morvel/";
    TellCrashProtectionOff(state.services);
    ASSERT_EQ(shell.errors.size(), 1u);
    EXPECT_NE(shell.errors[0].text.find(sessions.path() + "morvel/"), std::string::npos);
}

// A running program's session is never offered, and New touches only its own working files.
TEST_F(Recovery, AnotherSessionsFilesAreUntouched) {
    Program running(sessions.path(), pictures.path());
    addFrames(running, 1);
    running.stroke(10, 10);
    StoreDisplayedMask(running.state->document, running.state->session, running.state->services);
    Program other(sessions.path(), pictures.path());
    EXPECT_EQ(OfferRecovery(other.state->document, other.state->session, other.state->view,
                            other.state->services),
              RecoveryOutcome::NothingToRecover);
    addFrames(other, 1);
    other.stroke(10, 10);
    NewProject(other.state->document, other.state->session, other.state->view,
               other.state->services);
    EXPECT_TRUE(IsRegularFile(running.state->document.masks.workingFile(1)));
    EXPECT_FALSE(IsRegularFile(other.state->document.masks.workingFile(1)));

    // In a shared temporary folder, another program's working files of higher numbers stay.
    TempFolder shared;
    RecordingShell shell;
    EditorTestState fallback(shell, shared.path(), pictures.path());
    shared.write("morvel1.tmp", "mine");
    shared.write("morvel5.tmp", "theirs");
    fallback.document.masks.nextNumber = 2;
    NewProject(fallback.document, fallback.session, fallback.view, fallback.services);
    EXPECT_FALSE(IsRegularFile(shared.file("morvel1.tmp")));
    EXPECT_TRUE(IsRegularFile(shared.file("morvel5.tmp")));
    running.crash();
    other.crash();
}

}  // namespace
}  // namespace morvel

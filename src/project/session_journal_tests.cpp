#include "project/project_test_state.h"
#include "project/session_journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "platform/files.h"
#include "platform/session_folder.h"
#include "test_support/recording_shell.h"
#include "test_support/temp_folder.h"

namespace morvel {
namespace {

using testing::RecordingShell;
using testing::TempFolder;

class SessionJournal : public ::testing::Test {
protected:
    RecordingShell shell;
    ProjectTestState state{shell, "/w/", "/p/"};
    FrameId displayed = 0;  // the frame the window shows

    void SetUp() override {
        state.document.header = {"/film/F.mvl",     "Titel",    "",
                                 "eins\r\ntwo:3\n", "$nr.mask", "$Layer_$Nr"};
        state.document.masks.nextNumber = 7;
        const char* sources[][2] = {{"/a 1.png", ""}, {"", "$AVI$1F$/v\nx.avi"}, {"/c.png", "/d"}};
        for (const auto& layers : sources) {
            FrameRecord& frame = state.document.frames.append();
            frame.layerSource = {layers[0], layers[1]};
        }
        state.document.frames.at(2).maskNumber = 6;
        displayed = state.document.frames.at(1).id;
    }
};

TEST_F(SessionJournal, ReadsBackWhatItWrote) {
    const auto journal =
        ParseJournal(SerializeJournal(state.document, state.document.frames.indexOfId(displayed)));
    ASSERT_TRUE(journal);
    EXPECT_EQ(journal->header.comment, state.document.header.comment);
    EXPECT_EQ(journal->header.frameTemplate, "$Layer_$Nr");
    EXPECT_EQ(journal->nextMaskNumber, 7);
    EXPECT_EQ(journal->displayedIndex, 1);
    ASSERT_EQ(journal->frames.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(journal->frames[i].layerSource[0], state.document.frames.at(i).layerSource[0]);
        EXPECT_EQ(journal->frames[i].layerSource[1], state.document.frames.at(i).layerSource[1]);
        EXPECT_EQ(journal->frames[i].maskNumber, state.document.frames.at(i).maskNumber);
    }
}

// Cut short anywhere, garbage, or a later version: never read as a journal.
TEST_F(SessionJournal, ADamagedJournalIsRefused) {
    const std::vector<std::uint8_t> bytes =
        SerializeJournal(state.document, state.document.frames.indexOfId(displayed));
    for (std::size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(ParseJournal({bytes.data(), size})) << size;
    std::vector<std::uint8_t> later = bytes;
    later[15] = '2';  // "MORVEL-JOURNAL 2"
    std::vector<std::uint8_t> hugeCount = bytes;
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t count = text.find("\n3\n", text.find("$Layer_$Nr"));
    hugeCount.insert(hugeCount.begin() + static_cast<long>(count) + 1, {'9', '9', '9', '9'});
    for (const auto& bad : {later, hugeCount, std::vector<std::uint8_t>(300, 0xA7)})
        EXPECT_FALSE(ParseJournal(bad));
}

TEST(SessionTileLog, RecordsReadBackAndARecordCutShortIsLeftOut) {
    MaskTileEdit step;
    step.maskBefore = step.maskAfter = 3;
    step.maskWidth = 100;
    step.maskHeight = 70;
    MaskTileChange uniform{64, 64, 36, 6, {}, {}};
    uniform.after.grey = 200;
    MaskTileChange pixels{0, 0, 2, 2, {}, {}};
    pixels.after.uniform = false;
    pixels.after.pixels = {1, 2, 3, 4};
    step.tiles = {uniform, pixels};
    std::vector<std::uint8_t> log = TileLogRecord(step, true);
    std::vector<std::uint8_t> second = TileLogRecord(step, false);
    EXPECT_TRUE(ParseTileLog(log).empty());  // not sealed yet
    SealTileLogRecord(log);
    SealTileLogRecord(second);
    log.insert(log.end(), second.begin(), second.end());
    const auto records = ParseTileLog(log);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].maskNumber, 3);
    EXPECT_EQ(records[0].maskWidth, 100);
    ASSERT_EQ(records[0].tiles.size(), 2u);
    EXPECT_EQ(records[0].tiles[0].after.grey, 200);
    EXPECT_EQ(records[0].tiles[1].after.pixels, pixels.after.pixels);
    EXPECT_TRUE(records[1].tiles[1].after.uniform);  // the pixels before
    for (std::size_t cut = 1; cut < second.size(); ++cut)
        EXPECT_EQ(ParseTileLog({log.data(), log.size() - cut}).size(), 1u) << cut;
    log[log.size() - second.size() + 30] ^= 1;  // a record half on disk
    EXPECT_EQ(ParseTileLog(log).size(), 1u);
}

// Damaged in one place, a journal still gives its header and every whole frame around it.
TEST_F(SessionJournal, ADamagedJournalGivesTheWholeFramesAroundTheDamage) {
    const auto bytes = SerializeJournal(state.document, 1);
    const std::string text(bytes.begin(), bytes.end());
    const std::size_t first = text.find("8:/a 1.png");
    struct Case {
        const char* what;
        std::string journal;
        std::vector<std::string> layers0;  // the frames read, by their first layer
        std::int32_t written;
    };
    const Case cases[] = {
        {"a frame garbled",
         text.substr(0, first) + "X" + text.substr(first + 1),
         {"", "/c.png"},
         3},
        {"the count garbled",
         text.substr(0, first - 2) + "Q\n" + text.substr(first),
         {"/a 1.png", "", "/c.png"},
         -1},
        {"cut short", text.substr(0, text.find("6:/c.png")), {"/a 1.png", ""}, 3},
        {"bytes added",
         text.substr(0, first) + "junk\n" + text.substr(first),
         {"/a 1.png", "", "/c.png"},
         3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<std::uint8_t> damaged(c.journal.begin(), c.journal.end());
        EXPECT_FALSE(ParseJournal(damaged));
        const JournalReading reading = ReadJournal(damaged);
        ASSERT_TRUE(reading.contents);
        EXPECT_TRUE(reading.damaged);
        EXPECT_EQ(reading.framesWritten, c.written);
        EXPECT_EQ(reading.contents->header.comment, state.document.header.comment);
        std::vector<std::string> layers0;
        for (const JournalFrame& frame : reading.contents->frames)
            layers0.push_back(frame.layerSource[0]);
        EXPECT_EQ(layers0, c.layers0);
    }
    EXPECT_FALSE(
        ReadJournal(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 30)).contents);
}

// Three logged edits with the middle one damaged: the first and the last are read, and the
// damage counts once.
TEST(SessionTileLog, RecordsBeforeAndAfterADamagedOneAreRead) {
    auto record = [](std::int32_t mask, std::int32_t width, std::int32_t height) {
        MaskTileEdit step;
        step.maskAfter = mask;
        step.maskWidth = width;
        step.maskHeight = height;
        step.tiles = {MaskTileChange{0, 0, width, height, {}, {}}};
        std::vector<std::uint8_t> bytes = TileLogRecord(step, true);
        SealTileLogRecord(bytes);
        return bytes;
    };
    using Bytes = std::vector<std::uint8_t>;
    const Bytes middle = record(2, 64, 64);
    struct Case {
        const char* what;
        std::function<Bytes(Bytes)> damage;  // of the middle record
        int read;
    };
    const Case cases[] = {
        {"bad checksum", [](Bytes b) { return b[20] ^= 1, b; }, 2},
        {"impossible size", [](Bytes b) { return b[7] = 0x7f, b; }, 2},
        {"cut short", [](Bytes b) { return b.resize(b.size() / 2), b; }, 2},
        {"no record", [](Bytes b) { return std::fill(b.begin(), b.end(), 0x5a), b; }, 2},
        {"larger than any picture", [&](Bytes) { return record(2, 70000, 2); }, 2},
        {"whole", [](Bytes b) { return b; }, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes log = record(1, 10, 10);
        const Bytes damaged = c.damage(middle);
        log.insert(log.end(), damaged.begin(), damaged.end());
        const Bytes last = record(3, 20, 5);
        log.insert(log.end(), last.begin(), last.end());
        const TileLogReading reading = ReadTileLog(log);
        ASSERT_EQ(reading.records.size(), std::size_t(c.read));
        EXPECT_EQ(reading.damagedPlaces, 3 - c.read);
        EXPECT_EQ(reading.records.front().maskNumber, 1);
        EXPECT_EQ(reading.records.back().maskNumber, 3);
        EXPECT_EQ(reading.records.back().maskWidth, 20);
    }
}

TEST(SessionWriterFiles, WritesTheJournalWholeAndAppendsAndClearsTheLog) {
    TempFolder folder;
    SessionWriter writer(folder.path());
    writer.writeJournal({'a'});
    writer.writeJournal({'b', 'c'});
    writer.appendToLog({1, 2});
    writer.appendToLog({3});
    writer.flush();
    EXPECT_EQ(testing::ReadText(folder.file(kSessionJournalName)), "bc");
    EXPECT_EQ(testing::ReadText(folder.file(kSessionTileLogName)), "\x01\x02\x03");
    EXPECT_FALSE(IsRegularFile(folder.file(std::string(kSessionJournalName) + ".new")));
    writer.clearLog();
    writer.appendToLog({4});
    writer.flush();
    EXPECT_EQ(testing::ReadText(folder.file(kSessionTileLogName)), "\x04");
}

}  // namespace
}  // namespace morvel

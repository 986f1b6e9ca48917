#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "project/document.h"
#include "project/mask_tile_edit.h"

namespace morvel {

// What a session's journal holds: enough to rebuild the project after a crash, with the masks'
// working files and the tile log beside it.
struct JournalFrame {
    std::string layerSource[2];
    std::int32_t maskNumber = 0;
};

struct JournalContents {
    ProjectHeader header;
    std::int32_t nextMaskNumber = 1;
    std::int32_t displayedIndex = -1;
    std::vector<JournalFrame> frames;
    SoundTrack sound;
};

// displayedIndex: the position of the frame the window shows, -1 when none.
std::vector<std::uint8_t> SerializeJournal(const Document& document, std::int32_t displayedIndex);
// Nothing when the bytes are not a complete journal of this version (cut short, garbage, or
// written by a later version).
std::optional<JournalContents> ParseJournal(std::span<const std::uint8_t> bytes);

// A journal read as far as it is whole: its header, the frames before a damaged place and the
// whole frames after it up to the end.
struct JournalReading {
    std::optional<JournalContents> contents;  // nothing when not even the header can be read
    bool damaged = false;
    std::int32_t framesWritten = -1;  // the count the journal gives; -1 when unreadable
};
JournalReading ReadJournal(std::span<const std::uint8_t> bytes);

// The tile log: mask squares as they became, appended at every stroke end, undo and redo.
// One record per edit; a record cut short by a crash is the edit under way and is left out.
struct LoggedTiles {
    std::int32_t maskNumber = 0;
    std::int32_t maskWidth = 0;
    std::int32_t maskHeight = 0;
    std::vector<MaskTileChange> tiles;  // the pixels in `after`
};

// The record of a step's tiles as they are after it (after = true) or before it, and its
// checksum, which the writer adds on its own thread.
std::vector<std::uint8_t> TileLogRecord(const MaskTileEdit& step, bool after);
void SealTileLogRecord(std::vector<std::uint8_t>& record);
std::vector<LoggedTiles> ParseTileLog(std::span<const std::uint8_t> bytes);

// The tile log read past damage: every whole record before and after a damaged place (a bad
// checksum, an impossible size, bytes that are no record, a record cut short). The records'
// masks are no larger than a picture may be.
struct TileLogReading {
    std::vector<LoggedTiles> records;
    int damagedPlaces = 0;
};
TileLogReading ReadTileLog(std::span<const std::uint8_t> bytes);

// Writes a session's journal and tile log on a worker thread, in the order asked: the window's
// thread only hands the bytes over. The journal is replaced atomically (temporary file,
// flushed to disk, renamed); log records are appended and flushed.
class SessionWriter {
public:
    explicit SessionWriter(std::string folder);
    ~SessionWriter();
    SessionWriter(const SessionWriter&) = delete;
    SessionWriter& operator=(const SessionWriter&) = delete;

    void writeJournal(std::vector<std::uint8_t> bytes);
    void appendToLog(std::vector<std::uint8_t> record);
    // Every mask is in its working file: the log is no longer needed.
    void clearLog();
    // Waits until everything asked so far is on disk.
    void flush();
    // A journal or log record could not be written (a full or read-only disk): from then on a
    // crash loses work.
    bool failed() const;
    const std::string& folder() const;

private:
    struct Worker;
    std::unique_ptr<Worker> m_worker;
};

// The record of this session that survives a crash: the journal last handed to the writer, and
// whether the tile log holds edits not yet in the masks' working files.
struct SessionState {
    std::shared_ptr<SessionWriter> writer;  // none: no record is kept (no session folder)
    std::vector<std::uint8_t> journal;
    bool logged = false;
    // The session folder stays when the program ends: it holds unsaved work for the next start.
    bool keep = false;
    bool failureTold = false;  // the user knows the record can no longer be written
};

// True once, the first time the writer has failed: the caller tells the user.
bool TakeSessionWriteFailure(SessionState& record);

// What the window's thread does after each event: the journal is rewritten when the project
// changed, and the tile log emptied once every mask is stored. Nothing without a session.
void UpdateSessionJournal(SessionState& record, const Document& document, FrameId displayedId,
                          bool maskModified);

// Logs a step's tiles as they are now on screen (after = true after the edit or a redo, false
// after an undo).
void LogMaskTiles(SessionState& record, const MaskTileEdit& step, bool after);

}  // namespace morvel

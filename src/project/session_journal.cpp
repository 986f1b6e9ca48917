#include "project/session_journal.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <future>

#include "platform/grey_image.h"
#include "platform/image.h"
#include "platform/session_folder.h"
#include "platform/work_queue.h"

namespace morvel {

namespace {

constexpr std::string_view kJournalIdentification = "MORVEL-JOURNAL 1\n";
constexpr std::string_view kJournalEnd = "end\n";
// Before the end mark, only in a project with a sound track: its path and offset follow.
constexpr std::string_view kJournalSound = "sound\n";
constexpr std::uint32_t kRecordMagic = 0x4D4C4F47;  // "GOLM"

// Journal items: "<length>:<bytes>\n" for a text, "<number>\n" for a number.
void putText(std::vector<std::uint8_t>& out, const std::string& text) {
    const std::string length = std::to_string(text.size()) + ":";
    out.insert(out.end(), length.begin(), length.end());
    out.insert(out.end(), text.begin(), text.end());
    out.push_back('\n');
}

void putNumber(std::vector<std::uint8_t>& out, std::int64_t n) {
    const std::string text = std::to_string(n) + "\n";
    out.insert(out.end(), text.begin(), text.end());
}

class JournalReader {
public:
    explicit JournalReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool literal(std::string_view text) {
        if (m_bytes.size() - m_at < text.size() ||
            std::memcmp(m_bytes.data() + m_at, text.data(), text.size()) != 0)
            return false;
        m_at += text.size();
        return true;
    }
    std::optional<std::int64_t> number(char end) {
        const char* first = reinterpret_cast<const char*>(m_bytes.data()) + m_at;
        const char* last = reinterpret_cast<const char*>(m_bytes.data()) + m_bytes.size();
        std::int64_t value = 0;
        const auto [stop, error] = std::from_chars(first, last, value);
        if (error != std::errc() || stop == last || *stop != end) return std::nullopt;
        m_at += static_cast<std::size_t>(stop - first) + 1;
        return value;
    }
    std::optional<std::int32_t> number32() {
        const auto n = number('\n');
        if (!n || *n < INT32_MIN || *n > INT32_MAX) return std::nullopt;
        return static_cast<std::int32_t>(*n);
    }
    bool text(std::string& out) {
        const auto length = number(':');
        if (!length || *length < 0 || static_cast<std::size_t>(*length) >= m_bytes.size() - m_at)
            return false;
        out.assign(reinterpret_cast<const char*>(m_bytes.data()) + m_at,
                   static_cast<std::size_t>(*length));
        m_at += static_cast<std::size_t>(*length);
        return literal("\n");
    }
    bool atEnd() const { return m_at == m_bytes.size(); }
    std::size_t position() const { return m_at; }
    std::size_t size() const { return m_bytes.size(); }
    void seek(std::size_t at) { m_at = at; }
    // The start of the line after position at; the end when there is none.
    std::size_t nextLine(std::size_t at) const {
        while (at < m_bytes.size() && m_bytes[at] != '\n') ++at;
        return at < m_bytes.size() ? at + 1 : m_bytes.size();
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

// Little-endian numbers of the tile log.
void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint32_t get32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}

// FNV-1a: tells a record written completely from one a crash cut short or left half on disk.
std::uint32_t checksum(const std::uint8_t* data, std::size_t size) {
    std::uint32_t hash = 2166136261u;
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

bool writeAll(int fd, const std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

}  // namespace

std::vector<std::uint8_t> SerializeJournal(const Document& document, std::int32_t displayedIndex) {
    std::vector<std::uint8_t> out(kJournalIdentification.begin(), kJournalIdentification.end());
    const ProjectHeader& h = document.header;
    for (const std::string* text :
         {&h.projectFilePath, &h.title, &h.author, &h.comment, &h.maskTemplate, &h.frameTemplate})
        putText(out, *text);
    putNumber(out, document.masks.nextNumber);
    putNumber(out, displayedIndex);
    putNumber(out, document.frames.size());
    for (int i = 0; i < document.frames.size(); ++i) {
        const FrameRecord& frame = document.frames.at(i);
        putText(out, frame.layerSource[0]);
        putText(out, frame.layerSource[1]);
        putNumber(out, frame.maskNumber);
    }
    if (!document.sound.empty()) {
        out.insert(out.end(), kJournalSound.begin(), kJournalSound.end());
        putText(out, document.sound.file);
        putNumber(out, document.sound.offset);
    }
    out.insert(out.end(), kJournalEnd.begin(), kJournalEnd.end());
    return out;
}

namespace {

// One frame's entry; on failure the reader stays where it was.
std::optional<JournalFrame> readFrame(JournalReader& in) {
    const std::size_t start = in.position();
    JournalFrame frame;
    const bool read = in.text(frame.layerSource[0]) && in.text(frame.layerSource[1]);
    const auto mask = read ? in.number32() : std::nullopt;
    if (!mask || *mask < 0) {
        in.seek(start);
        return std::nullopt;
    }
    frame.maskNumber = *mask;
    return frame;
}

// The sound track's item when it stands here; on failure the reader stays where it was.
void readSound(JournalReader& in, SoundTrack& sound) {
    const std::size_t start = in.position();
    if (!in.literal(kJournalSound)) return;
    SoundTrack read;
    const auto offset = in.text(read.file) ? in.number32() : std::nullopt;
    if (!offset || read.file.empty() || *offset < -kMaxSoundOffset || *offset > kMaxSoundOffset) {
        in.seek(start);
        return;
    }
    read.offset = *offset;
    sound = std::move(read);
}

// Past a damaged place: the whole frames that end the journal, found from the first line after
// it at which whole entries run up to the end mark.
std::vector<JournalFrame> framesAfterDamage(JournalReader& in, std::size_t damagedAt,
                                           SoundTrack& sound) {
    for (std::size_t at = damagedAt; at < in.size();) {
        in.seek(at);
        std::vector<JournalFrame> run;
        while (auto frame = readFrame(in)) run.push_back(std::move(*frame));
        SoundTrack runSound;
        readSound(in, runSound);
        if (in.literal(kJournalEnd) && in.atEnd()) {
            sound = std::move(runSound);
            return run;
        }
        // Lines inside this run would only break at the same place again.
        at = in.nextLine(std::max(at, in.position()));
    }
    return {};
}

}  // namespace

JournalReading ReadJournal(std::span<const std::uint8_t> bytes) {
    JournalReading reading;
    JournalReader in(bytes);
    if (!in.literal(kJournalIdentification)) return reading;
    JournalContents journal;
    ProjectHeader& h = journal.header;
    for (std::string* text :
         {&h.projectFilePath, &h.title, &h.author, &h.comment, &h.maskTemplate, &h.frameTemplate})
        if (!in.text(*text)) return reading;
    const auto next = in.number32();
    const auto displayed = next ? in.number32() : std::nullopt;
    if (!displayed) return reading;
    journal.nextMaskNumber = *next;
    journal.displayedIndex = *displayed;
    const auto count = in.number32();
    // Each frame takes at least 8 bytes: a count the file cannot hold is damage.
    const bool countWhole =
        count && *count >= 0 && static_cast<std::size_t>(*count) <= bytes.size() / 8;
    reading.framesWritten = countWhole ? *count : -1;
    reading.damaged = !countWhole;
    while (!reading.damaged && journal.frames.size() < static_cast<std::size_t>(*count)) {
        auto frame = readFrame(in);
        if (!frame) break;
        journal.frames.push_back(std::move(*frame));
    }
    if (!reading.damaged) readSound(in, journal.sound);
    if (reading.damaged || !in.literal(kJournalEnd) || !in.atEnd()) {
        reading.damaged = true;
        for (JournalFrame& frame : framesAfterDamage(in, in.position(), journal.sound))
            journal.frames.push_back(std::move(frame));
        if (journal.displayedIndex >= static_cast<std::int32_t>(journal.frames.size()))
            journal.displayedIndex = -1;
    }
    reading.contents = std::move(journal);
    return reading;
}

std::optional<JournalContents> ParseJournal(std::span<const std::uint8_t> bytes) {
    JournalReading reading = ReadJournal(bytes);
    if (reading.damaged) return std::nullopt;
    return std::move(reading.contents);
}

std::vector<std::uint8_t> TileLogRecord(const MaskTileEdit& step, bool after) {
    // Made in place with one copy of the pixels; the checksum is left to the writer's thread.
    // The log holds each grey as red = green = blue, as the masks' files do.
    std::size_t pixelBytes = 0;
    for (const MaskTileChange& tile : step.tiles)
        pixelBytes += (after ? tile.after : tile.before).pixels.size() * 3;
    std::vector<std::uint8_t> record;
    record.reserve(8 + 16 + step.tiles.size() * 20 + pixelBytes + 4);
    put32(record, kRecordMagic);
    put32(record, 0);  // the payload's size, below
    put32(record, static_cast<std::uint32_t>(after ? step.maskAfter : step.maskBefore));
    put32(record, static_cast<std::uint32_t>(step.maskWidth));
    put32(record, static_cast<std::uint32_t>(step.maskHeight));
    put32(record, static_cast<std::uint32_t>(step.tiles.size()));
    for (const MaskTileChange& tile : step.tiles) {
        const MaskTilePixels& pixels = after ? tile.after : tile.before;
        for (const std::int32_t n : {tile.left, tile.top, tile.width, tile.height})
            put32(record, static_cast<std::uint32_t>(n));
        record.push_back(pixels.uniform ? 1 : 0);
        record.insert(record.end(), 3, pixels.grey);
        const std::size_t at = record.size();
        record.resize(at + pixels.pixels.size() * 3);
        ExpandGreyRow(pixels.pixels.data(), record.data() + at,
                      static_cast<int>(pixels.pixels.size()));
    }
    const auto size = static_cast<std::uint32_t>(record.size() - 8);
    for (int i = 0; i < 4; ++i) record[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    put32(record, 0);  // the checksum: SealTileLogRecord
    return record;
}

void SealTileLogRecord(std::vector<std::uint8_t>& record) {
    if (record.size() < 12) return;
    const std::uint32_t sum = checksum(record.data() + 8, record.size() - 12);
    for (int i = 0; i < 4; ++i)
        record[record.size() - 4 + i] = static_cast<std::uint8_t>(sum >> (8 * i));
}

namespace {

// The record at the start of bytes and its length, when it is whole: its checksum right, its
// mask no larger than a picture may be, each square inside the mask with all its pixels.
// Checksums are taken within budget, so that forged marks cannot make the search quadratic.
std::optional<LoggedTiles> readRecord(std::span<const std::uint8_t> bytes, std::size_t& length,
                                      std::size_t& budget) {
    if (bytes.size() < 12 || get32(bytes.data()) != kRecordMagic) return std::nullopt;
    const std::size_t size = get32(&bytes[4]);
    if (size < 16 || bytes.size() - 12 < size || size > budget) return std::nullopt;
    budget -= size;
    const std::uint8_t* p = &bytes[8];
    if (get32(p + size) != checksum(p, size)) return std::nullopt;
    LoggedTiles record;
    record.maskNumber = static_cast<std::int32_t>(get32(p));
    record.maskWidth = static_cast<std::int32_t>(get32(p + 4));
    record.maskHeight = static_cast<std::int32_t>(get32(p + 8));
    if (record.maskWidth <= 0 || record.maskHeight <= 0 || record.maskWidth > Image::kMaxSide ||
        record.maskHeight > Image::kMaxSide ||
        std::int64_t{record.maskWidth} * record.maskHeight > Image::kMaxPixels)
        return std::nullopt;
    const std::uint32_t count = get32(p + 12);
    std::size_t in = 16;
    for (std::uint32_t t = 0; t < count; ++t) {
        if (size - in < 20) return std::nullopt;
        MaskTileChange tile;
        tile.left = static_cast<std::int32_t>(get32(p + in));
        tile.top = static_cast<std::int32_t>(get32(p + in + 4));
        tile.width = static_cast<std::int32_t>(get32(p + in + 8));
        tile.height = static_cast<std::int32_t>(get32(p + in + 12));
        tile.after.uniform = p[in + 16] != 0;
        tile.after.grey = p[in + 19];  // the blue, as a mask's file is read
        in += 20;
        // Each square must lie inside the mask.
        if (tile.left < 0 || tile.top < 0 || tile.width <= 0 || tile.height <= 0 ||
            tile.width > record.maskWidth - tile.left || tile.height > record.maskHeight - tile.top)
            return std::nullopt;
        if (!tile.after.uniform) {
            const std::size_t pixelBytes = std::size_t(tile.width) * std::size_t(tile.height) * 3;
            if (size - in < pixelBytes) return std::nullopt;
            tile.after.pixels.resize(pixelBytes / 3);
            for (std::size_t i = 0; i < pixelBytes / 3; ++i)
                tile.after.pixels[i] = p[in + i * 3 + 2];
            in += pixelBytes;
        }
        record.tiles.push_back(std::move(tile));
    }
    length = size + 12;
    return record;
}

}  // namespace

TileLogReading ReadTileLog(std::span<const std::uint8_t> bytes) {
    TileLogReading reading;
    bool inDamage = false;
    std::size_t budget = 4 * bytes.size();
    for (std::size_t at = 0; at < bytes.size();) {
        std::size_t length = 0;
        if (auto record = readRecord(bytes.subspan(at), length, budget)) {
            reading.records.push_back(std::move(*record));
            at += length;
            inDamage = false;
            continue;
        }
        if (!inDamage) ++reading.damagedPlaces;
        inDamage = true;
        // The next whole record, if any, starts at a later mark.
        std::size_t next = at + 1;
        while (next + 4 <= bytes.size() && get32(&bytes[next]) != kRecordMagic) ++next;
        at = next + 4 <= bytes.size() ? next : bytes.size();
    }
    return reading;
}

std::vector<LoggedTiles> ParseTileLog(std::span<const std::uint8_t> bytes) {
    return ReadTileLog(bytes).records;
}

struct SessionWriter::Worker {
    explicit Worker(std::string folder) : folder(std::move(folder)) {}
    ~Worker() {
        if (logFd >= 0) ::close(logFd);
    }
    const std::string folder;
    int logFd = -1;  // only the worker thread touches it
    std::atomic<bool> failed{false};
    WorkQueue queue{1};
};

SessionWriter::SessionWriter(std::string folder)
    : m_worker(std::make_unique<Worker>(std::move(folder))) {}

SessionWriter::~SessionWriter() {
    flush();
}

void SessionWriter::writeJournal(std::vector<std::uint8_t> bytes) {
    Worker* worker = m_worker.get();
    worker->queue.post([worker, bytes = std::move(bytes)] {
        const std::string target = worker->folder + kSessionJournalName;
        const std::string temporary = target + ".new";
        const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        const bool written =
            fd >= 0 && writeAll(fd, bytes.data(), bytes.size()) && ::fdatasync(fd) == 0;
        if (fd >= 0) ::close(fd);
        if (written && ::rename(temporary.c_str(), target.c_str()) == 0) return;
        // The journal before stays whole; a half-written new one is not left lying.
        ::unlink(temporary.c_str());
        worker->failed = true;
    });
}

void SessionWriter::appendToLog(std::vector<std::uint8_t> record) {
    Worker* worker = m_worker.get();
    worker->queue.post([worker, record = std::move(record)]() mutable {
        SealTileLogRecord(record);
        if (worker->logFd < 0) {
            worker->logFd = ::open((worker->folder + kSessionTileLogName).c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
        }
        if (worker->logFd >= 0 && writeAll(worker->logFd, record.data(), record.size()) &&
            ::fdatasync(worker->logFd) == 0)
            return;
        worker->failed = true;
    });
}

void SessionWriter::clearLog() {
    Worker* worker = m_worker.get();
    worker->queue.post([worker] {
        if (worker->logFd >= 0) ::close(worker->logFd);
        worker->logFd = -1;
        ::unlink((worker->folder + kSessionTileLogName).c_str());
    });
}

bool SessionWriter::failed() const {
    return m_worker->failed;
}

const std::string& SessionWriter::folder() const {
    return m_worker->folder;
}

void SessionWriter::flush() {
    std::promise<void> done;
    m_worker->queue.post([&done] { done.set_value(); });
    done.get_future().wait();
}

void UpdateSessionJournal(SessionState& session, const Document& document, FrameId displayedId,
                          bool maskModified) {
    if (!session.writer) return;
    std::vector<std::uint8_t> journal =
        SerializeJournal(document, document.frames.indexOfId(displayedId));
    if (journal != session.journal) {
        session.journal = journal;
        session.writer->writeJournal(std::move(journal));
    }
    if (session.logged && !maskModified) {
        session.writer->clearLog();
        session.logged = false;
    }
}

bool TakeSessionWriteFailure(SessionState& session) {
    if (!session.writer || session.failureTold || !session.writer->failed()) return false;
    session.failureTold = true;
    return true;
}

void LogMaskTiles(SessionState& session, const MaskTileEdit& step, bool after) {
    if (!session.writer || (after ? step.maskAfter : step.maskBefore) == 0) return;
    session.writer->appendToLog(TileLogRecord(step, after));
    session.logged = true;
}

}  // namespace morvel

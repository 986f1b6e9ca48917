#include "session/recovery.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "codecs/picture_io.h"
#include "editor/frame_selection.h"
#include "editor/undo_history.h"
#include "import/frame_mask.h"
#include "import/layer_picture.h"
#include "import/thumbnail.h"
#include "import/thumbnail_loader.h"
#include "platform/files.h"
#include "platform/session_folder.h"
#include "platform/text.h"
#include "project/session_journal.h"
#include "session/project_lifecycle.h"

namespace morvel {

namespace {

void applyTiles(GreyImage& mask, const LoggedTiles& record) {
    for (const MaskTileChange& tile : record.tiles) {
        const std::size_t rowBytes = static_cast<std::size_t>(tile.width);
        for (int y = 0; y < tile.height; ++y) {
            std::uint8_t* row = mask.row(tile.top + y) + tile.left;
            if (tile.after.uniform) {
                std::memset(row, tile.after.grey, rowBytes);
            } else {
                std::memcpy(row, tile.after.pixels.data() + rowBytes * static_cast<std::size_t>(y),
                            rowBytes);
            }
        }
    }
}

// The size a logged mask must have: that of its working file, else that of the frame's
// composite (the smallest of its pictures). Nothing when neither can be read: then no logged
// size can be trusted.
std::optional<std::pair<int, int>> maskSizeOf(Services& services, const GreyImage& working,
                                              const JournalFrame& frame) {
    if (working.width() > 0) return std::pair{working.width(), working.height()};
    std::optional<std::pair<int, int>> size;
    for (const std::string& source : frame.layerSource) {
        Image picture;
        if (source.empty() || !LoadLayerPicture(nullptr, services, picture, source)) continue;
        size = size ? std::pair{std::min(size->first, picture.width()),
                                std::min(size->second, picture.height())}
                    : std::pair{picture.width(), picture.height()};
    }
    return size;
}

enum class MaskRecovery { Written, Lost, KeptInMemory };

// Mask n as the crashed session last had it: its working file (black when it had none yet)
// with the logged squares on top, written to this session's working file n. Lost when there is
// neither: the mask was made by the stroke under way at the crash. Logged records of another
// size than the mask's are damage and left out. A mask that cannot be written is kept in memory.
MaskRecovery recoverMask(Document& document, EditSession& session, Services& services,
                         const std::string& folder, const JournalFrame& frame,
                         const std::vector<const LoggedTiles*>& logged, RecoveryLosses& losses) {
    const std::int32_t n = frame.maskNumber;
    const std::string target = document.masks.workingFile(n);
    const std::string source = folder + MaskWorkingFileName(n);
    if (logged.empty() && CopyFileBytes(source, target)) return MaskRecovery::Written;
    GreyImage mask;
    if (!ReadMaskFile(source, mask)) {
        mask = GreyImage();
        // A working file that is there but cannot be read is damage, not a mask yet to be made.
        struct stat info {};
        if (::lstat(source.c_str(), &info) == 0) ++losses.masksUnreadable;
    }
    const auto size = logged.empty() ? std::nullopt : maskSizeOf(services, mask, frame);
    for (const LoggedTiles* record : logged) {
        if (!size || record->maskWidth != size->first || record->maskHeight != size->second) {
            ++losses.recordsRefused;
            continue;
        }
        if (mask.width() == 0) {
            // A mask made by the logged edit: it starts black, as a new mask does.
            auto made = GreyImage::create(record->maskWidth, record->maskHeight);
            if (!made) continue;
            mask = std::move(*made);
        }
        applyTiles(mask, *record);
        ++losses.recordsApplied;
    }
    if (mask.width() == 0) return MaskRecovery::Lost;
    if (SaveMaskFile(mask, target)) return MaskRecovery::Written;
    session.unstoredMasks.insert_or_assign(n, std::make_shared<const GreyImage>(std::move(mask)));
    return MaskRecovery::KeptInMemory;
}

// A session file's bytes; unreadable when it is there but cannot be read as a file.
std::optional<std::vector<std::uint8_t>> readSessionFile(const std::string& path,
                                                         bool& unreadable) {
    auto bytes = ReadFileBytes(path);
    struct stat info {};
    unreadable = !bytes && ::lstat(path.c_str(), &info) == 0;
    return bytes;
}

// Renames the folder to <name>.damaged and gives the new name.
std::string setAside(const std::string& folder) {
    const std::string kept = folder.substr(0, folder.size() - 1) + kDamagedSuffix;
    if (std::rename(folder.c_str(), kept.c_str()) != 0) return folder;
    return kept;
}

}  // namespace

std::optional<RecoveryLosses> RecoverSession(Document& document, EditSession& session, View& view,
                                             Services& services, const std::string& folder) {
    bool unreadable = false;
    const auto bytes = readSessionFile(folder + kSessionJournalName, unreadable);
    JournalReading reading = bytes ? ReadJournal(*bytes) : JournalReading();
    if (!reading.contents) return std::nullopt;
    const JournalContents& journal = *reading.contents;
    RecoveryLosses losses;
    losses.journalDamaged = reading.damaged;
    losses.framesRead = static_cast<int>(journal.frames.size());
    losses.framesWritten = std::max(reading.framesWritten, losses.framesRead);
    CloseProject(document, session, view, services);
    document.header = journal.header;
    document.masks.nextNumber = journal.nextMaskNumber;
    document.sound = journal.sound;
    TakeSoundTrackIfPresent(document, services);

    bool logUnreadable = false;
    const auto logBytes = readSessionFile(folder + kSessionTileLogName, logUnreadable);
    const TileLogReading log = logBytes ? ReadTileLog(*logBytes) : TileLogReading();
    losses.logDamaged = logUnreadable || log.damagedPlaces > 0;
    std::map<std::int32_t, std::vector<const LoggedTiles*>> logByMask;
    for (const LoggedTiles& record : log.records) logByMask[record.maskNumber].push_back(&record);

    std::vector<std::string> sources;
    for (const JournalFrame& frame : journal.frames)
        for (const std::string& source : frame.layerSource)
            if (!source.empty()) sources.push_back(source);
    ThumbnailLoader loader(services.makeThumbnails ? sources : std::vector<std::string>());
    std::size_t nextSource = 0;
    const ErrorReporter reporter = services.reporter();
    for (const JournalFrame& entry : journal.frames) {
        FrameRecord& frame = document.frames.append();
        for (int layer = 0; layer < 2; ++layer) {
            frame.layerSource[layer] = entry.layerSource[layer];
            if (entry.layerSource[layer].empty() || !services.makeThumbnails) continue;
            DecodedThumbnail decoded = loader.take(nextSource++);
            if (decoded.thumbnail) {
                AttachThumbnailImage(view.thumbnails, services, frame, layer,
                                     std::move(*decoded.thumbnail));
            } else {
                reporter.report(LayerLoadError(frame.layerSource[layer]), ErrorPlace::OpenProject,
                                1, frame.layerSource[layer]);
                frame.layerSource[layer].clear();
            }
        }
        frame.maskNumber = entry.maskNumber;
        if (frame.maskNumber == 0) continue;
        switch (recoverMask(document, session, services, folder, entry, logByMask[frame.maskNumber],
                            losses)) {
            case MaskRecovery::Lost:
                frame.maskNumber = 0;
                break;
            case MaskRecovery::KeptInMemory:
                ++losses.masksNotWritten;
                break;
            case MaskRecovery::Written:
                break;
        }
    }
    // What was recovered is not in the project's file.
    MarkProjectChanged(session);
    view.titleText = document.header.title;
    view.windowTitle.clear();
    UpdateWindowTitle(session, view, services);
    RefreshFrameStrip(document, session, view, services, kFirstAndForget);
    if (journal.displayedIndex >= 0 && journal.displayedIndex < document.frames.size())
        SelectFrame(document, session, view, services, journal.displayedIndex);
    return losses;
}

RecoveryOutcome OfferRecovery(Document& document, EditSession& session, View& view,
                              Services& services) {
    if (services.sessionsFolder.empty()) return RecoveryOutcome::NothingToRecover;
    const std::vector<std::string> sessions = AbandonedSessions(services.sessionsFolder);
    if (sessions.empty()) return RecoveryOutcome::NothingToRecover;
    const std::string& folder = sessions.front();
    const LanguageTable& texts = services.language.texts;
    const ErrorReporter reporter = services.reporter();
    bool unreadable = false;
    const auto bytes = readSessionFile(folder + kSessionJournalName, unreadable);
    if (!bytes && !unreadable) {
        // It ended before its first journal: nothing was made that could be lost.
        RemoveFolderWithFiles(folder);
        return RecoveryOutcome::NothingToRecover;
    }
    const JournalReading journal = bytes ? ReadJournal(*bytes) : JournalReading();
    if (journal.contents && journal.contents->frames.empty() && !journal.damaged) {
        RemoveFolderWithFiles(folder);  // no frame, nothing to lose
        return RecoveryOutcome::NothingToRecover;
    }
    if (!journal.contents || journal.contents->frames.empty()) {
        reporter.report(ErrorKind::DamagedSession, ErrorPlace::RecoverSession, 0, setAside(folder));
        return RecoveryOutcome::Damaged;
    }
    switch (services.shell.ask(texts[Text::RequesterSessiontitle],
                               texts[Text::RequesterRecoversession])) {
        case Answer::Yes: {
            const auto losses = RecoverSession(document, session, view, services, folder);
            if (!losses) {
                reporter.report(ErrorKind::DamagedSession, ErrorPlace::RecoverSession, 0,
                                setAside(folder));
                return RecoveryOutcome::Damaged;
            }
            // The old folder goes only once this session's journal holds the project.
            UpdateSessionJournal(document, session);
            if (session.record.writer) session.record.writer->flush();
            if (losses->masksNotWritten > 0 || TakeSessionWriteFailure(session.record)) {
                session.record.failureTold = true;
                reporter.report(ErrorKind::RecoveryNotWritten, ErrorPlace::RecoverSession,
                                losses->masksNotWritten, folder);
                return RecoveryOutcome::Recovered;
            }
            if (losses->whole()) {
                RemoveFolderWithFiles(folder);
                return RecoveryOutcome::Recovered;
            }
            // What was damaged stays for a closer look, and the user hears once what is back.
            reporter.report(ErrorKind::PartlyRecovered, ErrorPlace::RecoverSession,
                            losses->recordsApplied, setAside(folder), losses->framesRead,
                            losses->framesWritten);
            return RecoveryOutcome::Recovered;
        }
        case Answer::No:
            RemoveFolderWithFiles(folder);
            return RecoveryOutcome::Declined;
        default:
            return RecoveryOutcome::Kept;
    }
}

}  // namespace morvel

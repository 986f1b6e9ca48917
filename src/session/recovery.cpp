#include "session/recovery.h"

#include <cstdio>
#include <cstring>
#include <map>

#include "codecs/picture_io.h"
#include "editor/frame_selection.h"
#include "editor/undo_history.h"
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

void applyTiles(Image& mask, const LoggedTiles& record) {
    for (const MaskTileChange& tile : record.tiles) {
        const std::size_t rowBytes = static_cast<std::size_t>(tile.width) * 3;
        for (int y = 0; y < tile.height; ++y) {
            std::uint8_t* row = mask.row(tile.top + y) + static_cast<std::size_t>(tile.left) * 3;
            if (tile.after.uniform) {
                for (std::size_t i = 0; i < rowBytes; i += 3)
                    std::memcpy(row + i, tile.after.colour, 3);
            } else {
                std::memcpy(row, tile.after.pixels.data() + rowBytes * static_cast<std::size_t>(y),
                            rowBytes);
            }
        }
    }
}

// Mask n as the crashed session last had it: its working file (black when it had none yet)
// with the logged squares on top, written to this session's working file n. False when there is
// neither: the mask was made by the stroke under way at the crash, which is lost.
bool recoverMask(Document& document, const std::string& folder, std::int32_t n,
                 const std::vector<const LoggedTiles*>& logged) {
    const std::string target = document.masks.workingFile(n);
    const std::string source = folder + MaskWorkingFileName(n);
    if (logged.empty()) return CopyFileBytes(source, target);
    Image mask;
    if (LoadPictureFile(source, mask) != LoadResult::Ok) mask = Image();
    for (const LoggedTiles* record : logged) {
        if (mask.width() != record->maskWidth || mask.height() != record->maskHeight) {
            // A mask made by the logged edit: it starts black, as a new mask does.
            auto made = Image::create(record->maskWidth, record->maskHeight);
            if (!made) continue;
            mask = std::move(*made);
        }
        applyTiles(mask, *record);
    }
    return mask.width() > 0 && SavePictureFile(mask, target, PictureFormat::Png);
}

}  // namespace

bool RecoverSession(Document& document, EditSession& session, View& view, Services& services,
                    const std::string& folder) {
    const auto bytes = ReadFileBytes(folder + kSessionJournalName);
    const auto journal = bytes ? ParseJournal(*bytes) : std::nullopt;
    if (!journal) return false;
    CloseProject(document, session, view, services);
    document.header = journal->header;
    document.masks.nextNumber = journal->nextMaskNumber;

    const auto logBytes = ReadFileBytes(folder + kSessionTileLogName);
    const std::vector<LoggedTiles> log =
        logBytes ? ParseTileLog(*logBytes) : std::vector<LoggedTiles>();
    std::map<std::int32_t, std::vector<const LoggedTiles*>> logByMask;
    for (const LoggedTiles& record : log) logByMask[record.maskNumber].push_back(&record);

    std::vector<std::string> sources;
    for (const JournalFrame& frame : journal->frames)
        for (const std::string& source : frame.layerSource)
            if (!source.empty()) sources.push_back(source);
    ThumbnailLoader loader(services.makeThumbnails ? sources : std::vector<std::string>());
    std::size_t nextSource = 0;
    const ErrorReporter reporter = services.reporter();
    for (const JournalFrame& entry : journal->frames) {
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
        if (frame.maskNumber != 0 &&
            !recoverMask(document, folder, frame.maskNumber, logByMask[frame.maskNumber]))
            frame.maskNumber = 0;
    }
    // What was recovered is not in the project's file.
    MarkProjectChanged(session);
    view.titleText = document.header.title;
    view.windowTitle.clear();
    UpdateWindowTitle(session, view, services);
    RefreshFrameStrip(document, session, view, services, kFirstAndForget);
    if (journal->displayedIndex >= 0 && journal->displayedIndex < document.frames.size())
        SelectFrame(document, session, view, services, journal->displayedIndex);
    return true;
}

RecoveryOutcome OfferRecovery(Document& document, EditSession& session, View& view,
                              Services& services) {
    if (services.sessionsFolder.empty()) return RecoveryOutcome::NothingToRecover;
    const std::vector<std::string> sessions = AbandonedSessions(services.sessionsFolder);
    if (sessions.empty()) return RecoveryOutcome::NothingToRecover;
    const std::string& folder = sessions.front();
    const LanguageTable& texts = services.language.texts;
    const auto bytes = ReadFileBytes(folder + kSessionJournalName);
    if (!bytes) {
        // It ended before its first journal: nothing was made that could be lost.
        RemoveFolderWithFiles(folder);
        return RecoveryOutcome::NothingToRecover;
    }
    const auto journal = ParseJournal(*bytes);
    if (journal && journal->frames.empty()) {
        RemoveFolderWithFiles(folder);  // no frame, nothing to lose
        return RecoveryOutcome::NothingToRecover;
    }
    if (!journal) {
        const std::string kept = folder.substr(0, folder.size() - 1) + kDamagedSuffix;
        std::rename(folder.c_str(), kept.c_str());
        services.shell.showMessage(texts[Text::RequesterSessiontitle],
                                   ReplaceAll(texts[Text::RequesterDamagedsession], "$FILE", kept));
        return RecoveryOutcome::Damaged;
    }
    switch (services.shell.ask(texts[Text::RequesterSessiontitle],
                               texts[Text::RequesterRecoversession])) {
        case Answer::Yes:
            if (!RecoverSession(document, session, view, services, folder))
                return RecoveryOutcome::Damaged;
            // The old folder goes only once this session's journal holds the project.
            UpdateSessionJournal(document, session);
            if (session.record.writer) session.record.writer->flush();
            RemoveFolderWithFiles(folder);
            return RecoveryOutcome::Recovered;
        case Answer::No:
            RemoveFolderWithFiles(folder);
            return RecoveryOutcome::Declined;
        default:
            return RecoveryOutcome::Kept;
    }
}

}  // namespace morvel

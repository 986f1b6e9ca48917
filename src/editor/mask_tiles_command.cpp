#include "editor/mask_tiles_command.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "project/session_journal.h"

namespace morvel {

namespace {

constexpr std::int32_t kTile = EditHistory::kTileSide;

MaskTilePixels capture(const GreyImage& mask, const MaskTileChange& tile) {
    MaskTilePixels out;
    out.grey = mask.row(tile.top)[tile.left];
    const std::size_t rowBytes = static_cast<std::size_t>(tile.width);
    for (int y = 0; y < tile.height && out.uniform; ++y) {
        const std::uint8_t* p = mask.row(tile.top + y) + tile.left;
        for (std::size_t i = 0; i < rowBytes; ++i) {
            if (p[i] != out.grey) {
                out.uniform = false;
                break;
            }
        }
    }
    if (out.uniform) return out;
    out.pixels.resize(rowBytes * static_cast<std::size_t>(tile.height));
    for (int y = 0; y < tile.height; ++y) {
        std::memcpy(out.pixels.data() + rowBytes * static_cast<std::size_t>(y),
                    mask.row(tile.top + y) + tile.left, rowBytes);
    }
    return out;
}

void restore(GreyImage& mask, const MaskTileChange& tile, const MaskTilePixels& from) {
    const std::size_t rowBytes = static_cast<std::size_t>(tile.width);
    for (int y = 0; y < tile.height; ++y) {
        std::uint8_t* row = mask.row(tile.top + y) + tile.left;
        if (!from.uniform) {
            std::memcpy(row, from.pixels.data() + rowBytes * static_cast<std::size_t>(y), rowBytes);
            continue;
        }
        std::memset(row, from.grey, rowBytes);
    }
}

bool samePixels(const MaskTilePixels& a, const MaskTilePixels& b) {
    if (a.uniform != b.uniform) return false;
    if (a.uniform) return a.grey == b.grey;
    return a.pixels == b.pixels;
}

MaskTileChange tileAt(const GreyImage& mask, std::int32_t column, std::int32_t row) {
    MaskTileChange tile;
    tile.left = column * kTile;
    tile.top = row * kTile;
    tile.width = std::min(kTile, mask.width() - tile.left);
    tile.height = std::min(kTile, mask.height() - tile.top);
    return tile;
}

void startEdit(Document& document, EditSession& session) {
    EditHistory& history = session.history;
    const FrameRecord* frame = DisplayedFrame(document, session);
    history.currentTiles.clear();
    history.current = MaskTileEdit{};
    history.editing = frame != nullptr;
    if (!frame) return;
    history.current.frameId = frame->id;
    history.current.maskBefore = frame->maskNumber;
    history.current.maskWidth = session.images.mask.width();
    history.current.maskHeight = session.images.mask.height();
}

// Brings the edit's frame to the screen with the mask it had after the edit (undo) or before it
// (redo). False when the edit no longer fits the frame.
bool showEditFrame(Document& document, EditSession& session, View& view, Services& services,
                   const MaskTileEdit& edit, std::int32_t expectedMask, bool needMaskImage) {
    const int index = document.frames.indexOfId(edit.frameId);
    if (index < 0 || document.frames.at(index).maskNumber != expectedMask) return false;
    if (session.cache.displayedId != edit.frameId)
        SelectFrame(document, session, view, services, index);
    if (session.cache.displayedId != edit.frameId) return false;
    if (!needMaskImage) return true;
    const FrameCache& cache = session.cache;
    return cache.maskNumber == expectedMask && !cache.maskFailed &&
           session.images.mask.width() == edit.maskWidth &&
           session.images.mask.height() == edit.maskHeight;
}

// Recomposes the squares an edit changed, then redraws the canvas.
void showTiles(Document& document, EditSession& session, View& view, Services& services,
               const MaskTileEdit& edit) {
    const int shift = session.images.mask.height() - session.images.composite.height();
    for (const MaskTileChange& tile : edit.tiles) {
        session.cache.dirty = Rect{tile.left, tile.left + tile.width, tile.top - shift,
                                   tile.top + tile.height - shift};
        ClampDirtyRectangle(session);
        const int flags = ComposeFrame(document, session, view, services, kMaskChanged);
        // Without a blend the composition drew the whole frame at once.
        if ((flags & (kLayer1Present | kMaskPresent)) != (kLayer1Present | kMaskPresent)) break;
    }
    RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
}

}  // namespace

MaskTilesCommand::MaskTilesCommand(MaskTileEdit edit) : m_edit(std::move(edit)) {
    m_bytes = sizeof(MaskTilesCommand);
    for (const MaskTileChange& tile : m_edit.tiles)
        m_bytes += sizeof(MaskTileChange) + tile.before.pixels.size() + tile.after.pixels.size();
}

CommandResult MaskTilesCommand::apply(Document& document, EditSession& session, View& view,
                                      Services& services, UndoDirection direction,
                                      StepEffects&) const {
    return direction == UndoDirection::Undo ? undo(document, session, view, services)
                                            : redo(document, session, view, services);
}

CommandResult MaskTilesCommand::undo(Document& document, EditSession& session, View& view,
                                     Services& services) const {
    const MaskTileEdit& edit = m_edit;
    if (!showEditFrame(document, session, view, services, edit, edit.maskAfter, !edit.madeMask()))
        return CommandResult::Stale;
    if (edit.madeMask()) {
        // Back to the mask the frame had before (none, as a rule); the made mask is forgotten.
        DisplayedFrame(document, session)->maskNumber = edit.maskBefore;
        session.cache.maskModified = false;
        std::remove(document.masks.workingFile(edit.maskAfter).c_str());
        session.unstoredMasks.erase(edit.maskAfter);
        if (ComposeFrame(document, session, view, services, 0) != 0)
            RedrawCanvas(document, session, view, services, -1, -1, 0, 0);
        return CommandResult::Done;
    }
    for (const MaskTileChange& tile : edit.tiles) restore(session.images.mask, tile, tile.before);
    MarkMaskModified(session);
    LogMaskTiles(session.record, edit, false);
    showTiles(document, session, view, services, edit);
    return CommandResult::Done;
}

CommandResult MaskTilesCommand::redo(Document& document, EditSession& session, View& view,
                                     Services& services) const {
    const MaskTileEdit& edit = m_edit;
    if (!showEditFrame(document, session, view, services, edit, edit.maskBefore, !edit.madeMask()))
        return CommandResult::Stale;
    if (edit.madeMask()) {
        auto mask = GreyImage::create(edit.maskWidth, edit.maskHeight);
        if (!mask) {
            services.reporter().report(ErrorKind::CreateImage, ErrorPlace::CreateMask, 0, {},
                                       edit.maskWidth, edit.maskHeight);
            return CommandResult::Failed;
        }
        session.images.mask = std::move(*mask);
        DisplayedFrame(document, session)->maskNumber = edit.maskAfter;
        session.cache.maskNumber = edit.maskAfter;
        session.cache.maskFailed = false;
    }
    for (const MaskTileChange& tile : edit.tiles) restore(session.images.mask, tile, tile.after);
    MarkMaskModified(session);
    LogMaskTiles(session.record, edit, true);
    showTiles(document, session, view, services, edit);
    return CommandResult::Done;
}

MaskTileEdit WholeMaskEdit(FrameId frame, std::int32_t maskBefore, std::int32_t maskAfter,
                           const GreyImage* before, const GreyImage& after) {
    MaskTileEdit edit;
    edit.frameId = frame;
    edit.maskBefore = maskBefore;
    edit.maskAfter = maskAfter;
    edit.maskWidth = after.width();
    edit.maskHeight = after.height();
    for (std::int32_t row = 0; row * kTile < after.height(); ++row) {
        for (std::int32_t column = 0; column * kTile < after.width(); ++column) {
            MaskTileChange tile = tileAt(after, column, row);
            tile.after = capture(after, tile);
            if (before) {
                tile.before = capture(*before, tile);
                if (samePixels(tile.before, tile.after)) continue;
            }
            edit.tiles.push_back(std::move(tile));
        }
    }
    return edit;
}

void BeginMaskEdit(Document& document, EditSession& session) {
    EndMaskEdit(document, session);
    startEdit(document, session);
}

void RecordMaskChange(Document& document, EditSession& session, const Rect& r) {
    EditHistory& history = session.history;
    const GreyImage& mask = session.images.mask;
    if (history.editing && history.current.frameId != session.cache.displayedId) {
        EndMaskEdit(document, session);
    }
    if (!history.editing) startEdit(document, session);
    MaskTileEdit& edit = history.current;
    const FrameRecord* frame = document.frames.withId(edit.frameId, session.cache.displayedIndex);
    if (!frame) return;
    edit.maskAfter = frame->maskNumber;
    // A mask made by this edit is kept whole when the edit ends.
    if (edit.madeMask()) return;
    if (mask.width() != edit.maskWidth || mask.height() != edit.maskHeight) {
        // Another picture of the mask came in under the edit: what follows is another step.
        EndMaskEdit(document, session);
        startEdit(document, session);
    }
    const std::int32_t left = std::max(r.left, 0) / kTile;
    const std::int32_t right = (std::min(r.right, mask.width()) + kTile - 1) / kTile;
    const std::int32_t top = std::max(r.top, 0) / kTile;
    const std::int32_t bottom = (std::min(r.bottom, mask.height()) + kTile - 1) / kTile;
    const std::int64_t columns = (mask.width() + kTile - 1) / kTile;
    for (std::int32_t row = top; row < bottom; ++row) {
        for (std::int32_t column = left; column < right; ++column) {
            const std::int64_t key = row * columns + column;
            if (history.currentTiles.count(key)) continue;
            MaskTileChange tile = tileAt(mask, column, row);
            tile.before = capture(mask, tile);
            history.currentTiles.emplace(key, edit.tiles.size());
            edit.tiles.push_back(std::move(tile));
        }
    }
}

void EndMaskEdit(Document& document, EditSession& session) {
    EditHistory& history = session.history;
    if (!history.editing) return;
    history.editing = false;
    history.currentTiles.clear();
    MaskTileEdit edit = std::move(history.current);
    history.current = MaskTileEdit{};
    const FrameRecord* frame = DisplayedFrame(document, session);
    if (edit.frameId == 0 || !frame || frame->id != edit.frameId) return;
    edit.maskAfter = frame->maskNumber;
    const GreyImage& mask = session.images.mask;
    if (edit.madeMask()) {
        // The whole new mask; its white squares cost no pixel memory.
        edit.maskWidth = mask.width();
        edit.maskHeight = mask.height();
        edit.tiles.clear();
        for (std::int32_t row = 0; row * kTile < mask.height(); ++row) {
            for (std::int32_t column = 0; column * kTile < mask.width(); ++column) {
                edit.tiles.push_back(tileAt(mask, column, row));
            }
        }
    }
    std::vector<MaskTileChange> changed;
    for (MaskTileChange& tile : edit.tiles) {
        tile.after = capture(mask, tile);
        if (!edit.madeMask() && samePixels(tile.before, tile.after)) continue;
        changed.push_back(std::move(tile));
    }
    edit.tiles = std::move(changed);
    if (edit.tiles.empty() && !edit.madeMask()) return;
    LogMaskTiles(session.record, edit, true);
    PushUndoStep(session, std::make_unique<MaskTilesCommand>(std::move(edit)));
}

}  // namespace morvel

#include "editor/undo_history.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/frame_history.h"
#include "editor/frame_selection.h"
#include "editor/masks.h"
#include "project/session_journal.h"

namespace morvel {

namespace {

constexpr std::int32_t kTile = MaskHistory::kTileSide;

MaskTilePixels capture(const Image& mask, const MaskTileChange& tile) {
    MaskTilePixels out;
    const std::uint8_t* first = mask.row(tile.top) + static_cast<std::size_t>(tile.left) * 3;
    std::memcpy(out.colour, first, 3);
    const std::size_t rowBytes = static_cast<std::size_t>(tile.width) * 3;
    for (int y = 0; y < tile.height && out.uniform; ++y) {
        const std::uint8_t* p = mask.row(tile.top + y) + static_cast<std::size_t>(tile.left) * 3;
        for (std::size_t i = 0; i < rowBytes; i += 3) {
            if (p[i] != out.colour[0] || p[i + 1] != out.colour[1] || p[i + 2] != out.colour[2]) {
                out.uniform = false;
                break;
            }
        }
    }
    if (out.uniform) return out;
    out.pixels.resize(rowBytes * static_cast<std::size_t>(tile.height));
    for (int y = 0; y < tile.height; ++y) {
        std::memcpy(out.pixels.data() + rowBytes * static_cast<std::size_t>(y),
                    mask.row(tile.top + y) + static_cast<std::size_t>(tile.left) * 3, rowBytes);
    }
    return out;
}

void restore(Image& mask, const MaskTileChange& tile, const MaskTilePixels& from) {
    const std::size_t rowBytes = static_cast<std::size_t>(tile.width) * 3;
    for (int y = 0; y < tile.height; ++y) {
        std::uint8_t* row = mask.row(tile.top + y) + static_cast<std::size_t>(tile.left) * 3;
        if (!from.uniform) {
            std::memcpy(row, from.pixels.data() + rowBytes * static_cast<std::size_t>(y), rowBytes);
            continue;
        }
        for (std::size_t i = 0; i < rowBytes; i += 3) std::memcpy(row + i, from.colour, 3);
    }
}

bool samePixels(const MaskTilePixels& a, const MaskTilePixels& b) {
    if (a.uniform != b.uniform) return false;
    if (a.uniform) return std::memcmp(a.colour, b.colour, 3) == 0;
    return a.pixels == b.pixels;
}

MaskTileChange tileAt(const Image& mask, std::int32_t column, std::int32_t row) {
    MaskTileChange tile;
    tile.left = column * kTile;
    tile.top = row * kTile;
    tile.width = std::min(kTile, mask.width() - tile.left);
    tile.height = std::min(kTile, mask.height() - tile.top);
    return tile;
}

// The frame an edit named, nullptr when it is no longer in the list.
FrameRecord* frameOf(ProgramState& state, std::uint64_t id) {
    const int index = id == 0 ? -1 : state.document.frames.indexOfId(id);
    return index < 0 ? nullptr : &state.document.frames.at(index);
}

std::uint64_t displayedId(const ProgramState& state) {
    return state.cache.displayedFrame ? state.cache.displayedFrame->id : 0;
}

void dropOldSteps(MaskHistory& history) {
    while (history.bytes > history.limitBytes && !history.steps.empty()) {
        history.bytes -= history.steps.front().bytes;
        history.steps.pop_front();
        if (history.done > 0) --history.done;
    }
}

void startStep(ProgramState& state) {
    MaskHistory& history = state.maskHistory;
    FrameRecord* frame = state.cache.displayedFrame;
    history.currentTiles.clear();
    history.current = MaskEditStep{};
    history.editing = frame != nullptr;
    if (!frame) return;
    history.current.frameId = frame->id;
    history.current.maskBefore = frame->maskNumber;
    history.current.maskWidth = state.images.mask.width();
    history.current.maskHeight = state.images.mask.height();
}

// Brings the step's frame to the screen with the mask it had after the step (undo) or before it
// (redo). False when the step no longer fits the frame.
bool showStepFrame(ProgramState& state, const MaskEditStep& step, std::int32_t expectedMask,
                   bool needMaskImage) {
    const int index = state.document.frames.indexOfId(step.frameId);
    if (index < 0 || state.document.frames.at(index).maskNumber != expectedMask) return false;
    if (displayedId(state) != step.frameId) SelectFrame(state, index);
    if (displayedId(state) != step.frameId) return false;
    if (!needMaskImage) return true;
    const FrameCache& cache = state.cache;
    return cache.maskNumber == expectedMask && !cache.maskFailed &&
           state.images.mask.width() == step.maskWidth &&
           state.images.mask.height() == step.maskHeight;
}

// Recomposes the squares a step changed, then redraws the canvas.
void showTiles(ProgramState& state, const MaskEditStep& step) {
    const int shift = state.images.mask.height() - state.images.composite.height();
    for (const MaskTileChange& tile : step.tiles) {
        state.cache.dirty = Rect{tile.left, tile.left + tile.width, tile.top - shift,
                                 tile.top + tile.height - shift};
        ClampDirtyRectangle(state);
        const int flags = ComposeFrame(state, kMaskChanged);
        // Without a blend the composition drew the whole frame at once.
        if ((flags & (kLayer1Present | kMaskPresent)) != (kLayer1Present | kMaskPresent)) break;
    }
    RedrawCanvas(state, -1, -1, 0, 0);
}

}  // namespace

void BeginMaskEdit(ProgramState& state) {
    EndMaskEdit(state);
    startStep(state);
}

void RecordMaskChange(ProgramState& state, const Rect& r) {
    MaskHistory& history = state.maskHistory;
    const Image& mask = state.images.mask;
    if (history.editing && history.current.frameId != displayedId(state)) {
        EndMaskEdit(state);
    }
    if (!history.editing) startStep(state);
    MaskEditStep& step = history.current;
    const FrameRecord* frame = frameOf(state, step.frameId);
    if (!frame) return;
    step.maskAfter = frame->maskNumber;
    // A mask made by this edit is kept whole when the edit ends.
    if (step.madeMask()) return;
    if (mask.width() != step.maskWidth || mask.height() != step.maskHeight) {
        // Another picture of the mask came in under the edit: what follows is another step.
        EndMaskEdit(state);
        startStep(state);
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
            history.currentTiles.emplace(key, step.tiles.size());
            step.tiles.push_back(std::move(tile));
        }
    }
}

void EndMaskEdit(ProgramState& state) {
    MaskHistory& history = state.maskHistory;
    if (!history.editing) return;
    history.editing = false;
    history.currentTiles.clear();
    MaskEditStep step = std::move(history.current);
    history.current = MaskEditStep{};
    if (step.frameId == 0 || displayedId(state) != step.frameId) return;
    step.maskAfter = state.cache.displayedFrame->maskNumber;
    const Image& mask = state.images.mask;
    if (step.madeMask()) {
        // The whole new mask; its white squares cost no pixel memory.
        step.maskWidth = mask.width();
        step.maskHeight = mask.height();
        step.tiles.clear();
        for (std::int32_t row = 0; row * kTile < mask.height(); ++row) {
            for (std::int32_t column = 0; column * kTile < mask.width(); ++column) {
                step.tiles.push_back(tileAt(mask, column, row));
            }
        }
    }
    std::vector<MaskTileChange> changed;
    step.bytes = sizeof(MaskEditStep);
    for (MaskTileChange& tile : step.tiles) {
        tile.after = capture(mask, tile);
        if (!step.madeMask() && samePixels(tile.before, tile.after)) continue;
        step.bytes += sizeof(MaskTileChange) + tile.before.pixels.size() + tile.after.pixels.size();
        changed.push_back(std::move(tile));
    }
    step.tiles = std::move(changed);
    if (step.tiles.empty() && !step.madeMask()) return;
    PushUndoStep(state, std::move(step));
    LogMaskTiles(state, history.steps.back(), true);
}

void PushUndoStep(ProgramState& state, MaskEditStep step) {
    MaskHistory& history = state.maskHistory;
    // A new edit drops what could be redone.
    while (history.steps.size() > history.done) {
        history.bytes -= history.steps.back().bytes;
        history.steps.pop_back();
    }
    history.bytes += step.bytes;
    history.steps.push_back(std::move(step));
    history.done = history.steps.size();
    dropOldSteps(history);
}

bool CanUndoMaskEdit(const ProgramState& state) {
    return state.maskHistory.done > 0;
}

bool CanRedoMaskEdit(const ProgramState& state) {
    return state.maskHistory.done < state.maskHistory.steps.size();
}

bool UndoMaskEdit(ProgramState& state) {
    EndMaskEdit(state);
    MaskHistory& history = state.maskHistory;
    if (history.done == 0) return false;
    const MaskEditStep& step = history.steps[history.done - 1];
    if (step.frames) {
        if (!ApplyFrameChange(state, *step.frames, true)) {
            ClearMaskHistory(state);
            return false;
        }
        --history.done;
        return true;
    }
    if (!showStepFrame(state, step, step.maskAfter, !step.madeMask())) {
        ClearMaskHistory(state);
        return false;
    }
    --history.done;
    if (step.madeMask()) {
        // Back to the mask the frame had before (none, as a rule); the made mask is forgotten.
        state.cache.displayedFrame->maskNumber = step.maskBefore;
        state.cache.maskModified = false;
        std::remove(state.document.masks.workingFile(step.maskAfter).c_str());
        if (ComposeFrame(state, 0) != 0) RedrawCanvas(state, -1, -1, 0, 0);
        return true;
    }
    for (const MaskTileChange& tile : step.tiles) restore(state.images.mask, tile, tile.before);
    MarkMaskModified(state);
    LogMaskTiles(state, step, false);
    showTiles(state, step);
    return true;
}

bool RedoMaskEdit(ProgramState& state) {
    EndMaskEdit(state);
    MaskHistory& history = state.maskHistory;
    if (history.done == history.steps.size()) return false;
    const MaskEditStep& step = history.steps[history.done];
    if (step.frames) {
        if (!ApplyFrameChange(state, *step.frames, false)) {
            ClearMaskHistory(state);
            return false;
        }
        ++history.done;
        return true;
    }
    if (!showStepFrame(state, step, step.maskBefore, !step.madeMask())) {
        ClearMaskHistory(state);
        return false;
    }
    if (step.madeMask()) {
        auto mask = Image::create(step.maskWidth, step.maskHeight);
        if (!mask) {
            state.reporter().report(ErrorKind::CreateImage, ErrorPlace::CreateMask, 0, {},
                                    step.maskWidth, step.maskHeight);
            return false;
        }
        state.images.mask = std::move(*mask);
        state.cache.displayedFrame->maskNumber = step.maskAfter;
        state.cache.maskNumber = step.maskAfter;
        state.cache.maskFailed = false;
    }
    ++history.done;
    for (const MaskTileChange& tile : step.tiles) restore(state.images.mask, tile, tile.after);
    MarkMaskModified(state);
    LogMaskTiles(state, step, true);
    showTiles(state, step);
    return true;
}

void ClearMaskHistory(ProgramState& state) {
    MaskHistory& history = state.maskHistory;
    history.steps.clear();
    history.done = 0;
    history.bytes = 0;
    history.editing = false;
    history.current = MaskEditStep{};
    history.currentTiles.clear();
}

void SetMaskHistoryLimit(ProgramState& state, std::size_t bytes) {
    state.maskHistory.limitBytes = bytes;
    dropOldSteps(state.maskHistory);
}

}  // namespace morvel

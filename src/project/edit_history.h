#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "project/frame_list.h"

namespace morvel {

struct ProgramState;

// Mask pixels of one square of the mask image, as the edit history keeps them: a square of one
// colour (most of a mask is white) takes no pixel memory.
struct MaskTilePixels {
    bool uniform = true;
    std::uint8_t colour[3] = {0, 0, 0};
    std::vector<std::uint8_t> pixels;  // rows of width x 3 bytes when not uniform

    std::size_t bytes() const { return sizeof(MaskTilePixels) + pixels.size(); }
};

// One square of the mask image that an edit changed: its place and its pixels before and after.
struct MaskTileChange {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    MaskTilePixels before;  // unused when the edit gave the frame its mask
    MaskTilePixels after;
};

// The squares one edit changed in one frame's mask (a brush stroke, a selection fill, a mask
// move, including the making of the frame's mask).
struct MaskTileEdit {
    FrameId frameId = 0;          // the frame whose mask the edit changed
    std::int32_t maskBefore = 0;  // the frame's mask number before the edit
    std::int32_t maskAfter = 0;   // and after it; they differ when the edit made a new mask
    std::int32_t maskWidth = 0;   // the mask image's size during the edit
    std::int32_t maskHeight = 0;
    std::vector<MaskTileChange> tiles;

    bool madeMask() const { return maskBefore != maskAfter; }
};

// A frame as a frame operation's command keeps it (no thumbnails: they are made again).
struct FrameEntry {
    FrameId id = 0;
    std::array<std::string, 2> layerSource;
    std::int32_t maskNumber = 0;

    bool operator==(const FrameEntry&) const = default;
};

enum class UndoDirection { Undo, Redo };

// How a command's undo or redo went.
enum class CommandResult {
    Done,
    Stale,   // the frames are no longer as the change left them: the history is cleared
    Failed,  // it could not be done now (no memory): the step stays
};

// What the commands of one step leave to be done once, after all of them ran.
struct StepEffects {
    // The first frame position a command changed, -1 when the frame list stayed as it was: the
    // frame strip is then laid out again once.
    int firstChangedFrame = -1;
    // The frame displayed before the first change of the frame list.
    FrameId displayedBefore = 0;
};

// One undoable change, naming the frames it concerns by their ids. A new kind of change is one
// more small class of this kind; the history only runs them.
class EditCommand {
public:
    virtual ~EditCommand() = default;
    // Takes the change back (Undo) or makes it again (Redo).
    virtual CommandResult apply(ProgramState& state, UndoDirection direction,
                                StepEffects& effects) const = 0;
    // The memory it keeps, for the history's bound.
    virtual std::size_t bytes() const = 0;
};

// One step of the history: the commands of one user action (a drag's drop and the delete of a
// move are one step), undone in reverse order and redone in order.
struct EditTransaction {
    std::vector<std::unique_ptr<const EditCommand>> commands;
    std::size_t bytes = sizeof(EditTransaction);

    bool empty() const { return commands.empty(); }
    void add(std::unique_ptr<const EditCommand> command) {
        bytes += command->bytes();
        commands.push_back(std::move(command));
    }
};

// The undo history across frames: steps[0, done) can be undone, steps[done, end) redone. Its
// memory stays within limitBytes; the oldest steps go first.
struct EditHistory {
    static constexpr std::int32_t kTileSide = 64;
    static constexpr std::size_t kDefaultLimit = std::size_t{512} << 20;

    std::deque<EditTransaction> steps;
    std::size_t done = 0;
    std::size_t bytes = 0;
    std::size_t limitBytes = kDefaultLimit;

    // The mask edit under way (between the press and the end of the drag), and which of its
    // tiles already hold their pixels from before the edit, by tile number.
    bool editing = false;
    MaskTileEdit current;
    std::unordered_map<std::int64_t, std::size_t> currentTiles;

    // The frame operation under way: the frames as its last recorded command left them, how
    // deep operations are nested, and the commands recorded so far (the outermost operation
    // makes them one step).
    std::vector<FrameEntry> framesBefore;
    int frameOperationDepth = 0;
    EditTransaction operation;
};

}  // namespace morvel

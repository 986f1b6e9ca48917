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
#include "project/mask_tile_edit.h"

namespace morvel {

struct Document;
struct EditSession;
struct Services;
struct View;

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
    virtual CommandResult apply(Document& document, EditSession& session, View& view,
                                Services& services, UndoDirection direction,
                                StepEffects& effects) const = 0;
    // The memory it keeps, for the history's bound.
    virtual std::size_t bytes() const = 0;
};

// One step of the history: the commands of one user action (a drag's drop and the delete of a
// move are one step), undone in reverse order and redone in order.
struct EditTransaction {
    std::vector<std::unique_ptr<const EditCommand>> commands;
    std::size_t bytes = sizeof(EditTransaction);
    // The project's revision before the step and after it (see EditHistory::revision).
    std::uint64_t revisionBefore = 0;
    std::uint64_t revisionAfter = 0;

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

    // Names the project's contents as they are: every step and every change outside the history
    // gives a new number, undoing a step brings back the number before it. The project differs
    // from its file exactly when revision is not savedRevision.
    std::uint64_t revision = 0;
    std::uint64_t lastRevision = 0;
    std::uint64_t savedRevision = 0;

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

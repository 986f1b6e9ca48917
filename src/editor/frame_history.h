#pragma once

#include <vector>

#include "project/program_state.h"

namespace morvel {

// Frame operations (delete and repeat of a layer, the move and copy drags, drops) as steps of the
// undo history, beside the mask edits.

// What a frame operation changed: the frames from position first on, named by their ids, with
// their sources and mask numbers before and after it; the frames around them stayed as they
// were. Thumbnails are made again when it is undone or redone.
class FramesCommand final : public EditCommand {
public:
    FramesCommand(int first, std::vector<FrameEntry> before, std::vector<FrameEntry> after);

    // Stale when the frames there are no longer those the change left.
    CommandResult apply(ProgramState& state, UndoDirection direction,
                        StepEffects& effects) const override;
    std::size_t bytes() const override { return m_bytes; }

private:
    int m_first = 0;
    std::vector<FrameEntry> m_before;
    std::vector<FrameEntry> m_after;
    std::size_t m_bytes = 0;
};

// An operation that may change the frame list begins. Operations nest (a drag's drop, the
// delete of a move): each change becomes a command of its own, and the outermost operation makes
// them one step.
void BeginFrameOperation(ProgramState& state);
// It ended: when the frame list changed, that change becomes a command.
void EndFrameOperation(ProgramState& state);

// Runs an operation as one step.
template <typename Operation>
void AsFrameOperation(ProgramState& state, Operation&& operation) {
    BeginFrameOperation(state);
    operation();
    EndFrameOperation(state);
}

}  // namespace morvel

#pragma once

#include "project/program_state.h"

namespace morvel {

// Frame operations (delete and repeat of a layer, the move and copy drags, drops) as steps of the
// undo history, beside the mask edits. A step keeps only the frames the operation changed, by
// their ids, sources and mask numbers; thumbnails are made again when it is undone or redone.

// An operation that may change the frame list begins; nested ones (a drag's drop, the delete of
// a move) belong to the outermost one.
void BeginFrameOperation(ProgramState& state);
// It ended: when the frame list changed, that change becomes one step.
void EndFrameOperation(ProgramState& state);

// Brings the frames back to how they were before the change (undo) or after it (redo); the
// frame strip, the displayed frame and the canvas follow. False when the frames there are no
// longer those the change left.
bool ApplyFrameChange(ProgramState& state, const FrameListChange& change, bool undo);

// Runs an operation as one step.
template <typename Operation>
void AsFrameOperation(ProgramState& state, Operation&& operation) {
    BeginFrameOperation(state);
    operation();
    EndFrameOperation(state);
}

}  // namespace morvel

#pragma once

#include <cstddef>

#include "project/program_state.h"

namespace morvel {

// Undo and redo of mask edits. Each step is one tool edit of one frame's mask (a brush stroke
// from press to release, a selection fill, a mask move, including the making of the frame's
// mask by its first dab or by taking the preceding frame's mask) and keeps only the squares of
// the mask that changed, before and after. The history spans frames and keeps within
// state.maskHistory.limitBytes, dropping the oldest steps first.

// Recording, used by the mask tools and the mask edit path (editor/mask_edit.h).
// An edit of the displayed frame's mask begins (a press, or a selection fill).
void BeginMaskEdit(ProgramState& state);
// The mask pixels r (mask image coordinates) are about to change.
void RecordMaskChange(ProgramState& state, const Rect& r);
// The edit is complete: it becomes one step; a new step drops the steps that could be redone.
void EndMaskEdit(ProgramState& state);

// Adds a complete step (a mask edit, or a frame operation from editor/frame_history.h); the
// steps that could be redone are dropped.
void PushUndoStep(ProgramState& state, MaskEditStep step);

bool CanUndoMaskEdit(const ProgramState& state);
bool CanRedoMaskEdit(const ProgramState& state);
// Undoes the newest step (redoes the oldest undone one): shows its frame first when another
// frame is displayed, then restores the mask, recomposes the changed squares and redraws the
// canvas. The mask counts as modified, so its working file is written as after any edit; undoing
// the making of a mask leaves the frame without one and removes that mask's working file.
// False when there is nothing to do, or when the step no longer fits its frame (the history is
// then cleared).
bool UndoMaskEdit(ProgramState& state);
bool RedoMaskEdit(ProgramState& state);

// Forgets every step: for a new or opened project and a change of language.
void ClearMaskHistory(ProgramState& state);

// The memory bound in bytes; older steps are dropped at once when the history is larger.
void SetMaskHistoryLimit(ProgramState& state, std::size_t bytes);

}  // namespace morvel

#pragma once

#include <cstddef>
#include <memory>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// The undo history: each step is a transaction of small commands naming frames by their ids
// (editor/mask_tiles_command.h, editor/frame_history.h). A mask edit keeps only the 64 x 64
// squares of the mask that changed, before and after; a frame operation only the frames it
// changed. The history spans frames and keeps within session.history.limitBytes, dropping the
// oldest steps first.

// Recording a mask edit, used by the mask tools and the mask edit path (editor/mask_edit.h).
// An edit of the displayed frame's mask begins (a press, or a selection fill).
void BeginMaskEdit(Document& document, EditSession& session);
// The mask pixels r (mask image coordinates) are about to change.
void RecordMaskChange(Document& document, EditSession& session, const Rect& r);
// The edit is complete: it becomes one step; a new step drops the steps that could be redone.
void EndMaskEdit(Document& document, EditSession& session);

// Adds a complete step; the steps that could be redone are dropped.
void PushUndoStep(EditSession& session, EditTransaction step);
void PushUndoStep(EditSession& session, std::unique_ptr<const EditCommand> command);

bool CanUndoEdit(const EditSession& session);
bool CanRedoEdit(const EditSession& session);
// Undoes the newest step (redoes the oldest undone one). A mask edit shows its frame first when
// another frame is displayed, then restores the mask, recomposes the changed squares and redraws
// the canvas; the mask counts as modified, so its working file is written as after any edit, and
// undoing the making of a mask leaves the frame without one and removes that mask's working
// file. A frame operation brings its frames back; the frame strip is laid out again once.
// False when there is nothing to do, or when the step no longer fits its frames (the history is
// then cleared).
bool UndoEdit(Document& document, EditSession& session, View& view, Services& services);
bool RedoEdit(Document& document, EditSession& session, View& view, Services& services);

// Forgets every step: for a new or opened project and a change of language.
void ClearEditHistory(EditSession& session);

// Whether the project differs from its file: any step, and any change outside the history
// (MarkProjectChanged), counts until the project is saved (MarkProjectSaved) or the steps since
// are undone.
void MarkProjectChanged(EditSession& session);
void MarkProjectSaved(EditSession& session);
bool ProjectChanged(const EditSession& session);

// The memory bound in bytes; older steps are dropped at once when the history is larger.
void SetEditHistoryLimit(EditSession& session, std::size_t bytes);

}  // namespace morvel

#pragma once

#include <vector>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

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
    CommandResult apply(Document& document, EditSession& session, View& view, Services& services,
                        UndoDirection direction, StepEffects& effects) const override;
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
void BeginFrameOperation(Document& document, EditSession& session);
// It ended: when the frame list changed, that change becomes a command.
void EndFrameOperation(Document& document, EditSession& session);

// Runs an operation as one step.
template <typename Operation>
void AsFrameOperation(Document& document, EditSession& session, Operation&& operation) {
    BeginFrameOperation(document, session);
    operation();
    EndFrameOperation(document, session);
}

}  // namespace morvel

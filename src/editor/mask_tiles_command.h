#pragma once

#include "editor/edit_session.h"
#include "editor/view.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// A mask edit as a step of the history: the squares of one frame's mask it changed, before and
// after (the whole mask when the edit made it). Recorded by BeginMaskEdit, RecordMaskChange and
// EndMaskEdit (editor/undo_history.h).
class MaskTilesCommand final : public EditCommand {
public:
    explicit MaskTilesCommand(MaskTileEdit edit);

    // Shows the edit's frame first when another frame is displayed.
    CommandResult apply(Document& document, EditSession& session, View& view, Services& services,
                        UndoDirection direction, StepEffects& effects) const override;
    std::size_t bytes() const override { return m_bytes; }
    const MaskTileEdit& edit() const { return m_edit; }

private:
    CommandResult undo(Document& document, EditSession& session, View& view,
                       Services& services) const;
    CommandResult redo(Document& document, EditSession& session, View& view,
                       Services& services) const;

    MaskTileEdit m_edit;
    std::size_t m_bytes = 0;
};

// The edit that gives the frame `frame` the whole mask `after` outside the recording of the
// displayed frame's edits (a run over many frames): before is the mask it replaces, of the same
// size, or null when the frame had none (maskBefore differs from maskAfter then).
MaskTileEdit WholeMaskEdit(FrameId frame, std::int32_t maskBefore, std::int32_t maskAfter,
                           const GreyImage* before, const GreyImage& after);

}  // namespace morvel

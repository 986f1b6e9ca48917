#pragma once

#include "project/program_state.h"

namespace morvel {

// A mask edit as a step of the history: the squares of one frame's mask it changed, before and
// after (the whole mask when the edit made it). Recorded by BeginMaskEdit, RecordMaskChange and
// EndMaskEdit (editor/undo_history.h).
class MaskTilesCommand final : public EditCommand {
public:
    explicit MaskTilesCommand(MaskTileEdit edit);

    // Shows the edit's frame first when another frame is displayed.
    CommandResult apply(ProgramState& state, UndoDirection direction,
                        StepEffects& effects) const override;
    std::size_t bytes() const override { return m_bytes; }
    const MaskTileEdit& edit() const { return m_edit; }

private:
    CommandResult undo(ProgramState& state) const;
    CommandResult redo(ProgramState& state) const;

    MaskTileEdit m_edit;
    std::size_t m_bytes = 0;
};

}  // namespace morvel

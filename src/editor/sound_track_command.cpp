#include "editor/sound_track_command.h"

#include "editor/edit_history.h"
#include "editor/undo_history.h"

namespace morvel {

namespace {

// The track before and after a change; the program decodes whichever file the document names.
class SoundTrackCommand : public EditCommand {
public:
    SoundTrackCommand(SoundTrack before, SoundTrack after)
        : m_before(std::move(before)), m_after(std::move(after)) {}

    CommandResult apply(Document& document, EditSession&, View&, Services&,
                        UndoDirection direction, StepEffects&) const override {
        const bool undo = direction == UndoDirection::Undo;
        // Dropped meanwhile outside the history (its file could not be read): nothing fits.
        if (!(document.sound == (undo ? m_after : m_before))) return CommandResult::Stale;
        document.sound = undo ? m_before : m_after;
        return CommandResult::Done;
    }
    std::size_t bytes() const override {
        return sizeof(*this) + m_before.file.capacity() + m_after.file.capacity();
    }

private:
    SoundTrack m_before;
    SoundTrack m_after;
};

}  // namespace

void ChangeSoundTrack(Document& document, EditSession& session, const SoundTrack& after) {
    if (document.sound == after) return;
    PushUndoStep(session, std::make_unique<SoundTrackCommand>(document.sound, after));
    document.sound = after;
}

}  // namespace morvel

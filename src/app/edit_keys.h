#pragma once

#include "app/program.h"
#include "platform/gadgets.h"

namespace morvel {

// The Edit menu's items and the frame keys of the main window.

// Undo (menu item 13, Ctrl+Z) and redo (item 14, Ctrl+Shift+Z, Ctrl+Y) of mask edits. Nothing
// happens while a drag on the canvas is under way. An edit of another frame shows that frame
// first, and the frame strip scrolls to its column.
void UndoFromMenu(Program& state);
void RedoFromMenu(Program& state);

// Enables the items Undo and Redo as the history allows, and the items that need frames when
// there are frames; the window is told only of changes.
// Called after every event.
void UpdateEditMenu(Program& state);

// The frame keys: Left and Right show the previous and the next frame, Home and End the first
// and the last (SelectFrame, which stores a modified mask first); a key that points past the
// end of the list keeps the frame. The frame strip then scrolls so that the displayed frame's
// column is visible. Nothing happens while a drag on the canvas is under way.
void FrameKey(Program& state, MenuItem key);
// The frame a frame key goes to (the displayed one while a button is held); -1 without frames.
int FrameKeyTarget(const Program& state, MenuItem key);

// Scrolls the frame strip as little as needed to show the displayed frame's column.
void ShowDisplayedFrameInStrip(Program& state);

}  // namespace morvel

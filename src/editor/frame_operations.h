#pragma once

#include <string>

#include "editor/edit_session.h"
#include "editor/view.h"
#include "platform/frame_strip_shell.h"
#include "project/document.h"
#include "project/services.h"

namespace morvel {

// Where a drop on the frame strip lands: y (relative to the visible strip) below this is the
// layer-1 row, otherwise the layer-2 row.
constexpr int kLayerRowBoundary = 48;
constexpr int DropLayerAt(int y) {
    return y < kLayerRowBoundary ? 0 : 1;
}

// A drop on the frame strip: the files of fileList (paths separated by line feeds; for a
// thumbnail dragged inside the strip, the drag payload) into layer 0 or 1 from the frame column
// under stripX (x in the strip's scrolled content) on; then the strip is laid out again and the
// frame under the drop displayed. Returns how many layers received a picture.
int ImportDroppedFiles(Document& document, EditSession& session, View& view, Services& services,
                       int layer, const std::string& fileList, int stripX);

// What happened on a thumbnail gadget.
enum class ThumbnailAction {
    LeftClick,   // the left button went down on it
    RightClick,  // the right button was released on it
    DragStart,   // the mouse moved farther than the drag distance with the left button held
    Other,
};

// An event of a gadget that is none of the main window's fixed gadgets: a click displays the
// thumbnail's frame, a right click also pops up the popup menu at the screen position
// (screenX, screenY), a drag start drags the thumbnail's layer (copy or move). The popup menu's
// commands then act on the thumbnail's layer row. Gadgets that are no thumbnail do nothing.
void ThumbnailEvent(Document& document, EditSession& session, View& view, Services& services,
                    GadgetHandle gadget, ThumbnailAction action, int screenX, int screenY);

// Removes the layer from the frame; a frame left with no layer is removed.
void DeleteLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame, int layer);

// Copies the layer of the frame into the next count frames (filling an
// empty layer there, or inserting a new frame before a filled one) and displays the last.
void RepeatLayer(Document& document, EditSession& session, View& view, Services& services,
                 FrameId frame, int layer, int count);

}  // namespace morvel

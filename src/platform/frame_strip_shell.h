#pragma once

#include <cstdint>
#include <string>

#include "platform/image.h"

namespace morvel {

// The window's handle of a thumbnail gadget; 0 means none. The core only keeps it.
using GadgetHandle = std::uint64_t;

// What the drop target did with a dragged thumbnail.
enum class DropAction { None, Copy, Move };

// The frame strip: its thumbnail gadgets, the marker of the displayed frame, its popup menu and
// the drag of a thumbnail.
class FrameStripShell {
public:
    virtual ~FrameStripShell() = default;

    // A thumbnail gadget shows a 60 x 45 picture at (x, y) inside the strip, with a tooltip; the
    // core moves it to its frame's column and frees it with its layer. The window may show the
    // picture without a copy: it stays as it is until the gadget is destroyed.
    virtual GadgetHandle createThumbnailGadget(const Image& thumbnail, int x, int y,
                                               const std::string& tooltip) = 0;
    virtual void moveThumbnailGadget(GadgetHandle gadget, int x) = 0;
    virtual void destroyThumbnailGadget(GadgetHandle gadget) = 0;
    virtual void setFrameStripWidth(int width) = 0;
    // Moves the marker of the displayed frame to x and brings it in front of the thumbnails.
    virtual void moveFrameMarker(int x) = 0;
    // Scrolls the frame strip as little as needed to show its columns [x, x + width).
    virtual void ensureFrameVisible(int x, int width) = 0;
    // Pops up popup menu 1 (delete layer, repeat layer) at the screen position (x, y) and returns
    // at once; the item the user chooses arrives later as menu event 11 or 12.
    virtual void showPopupMenu(int x, int y) = 0;
    // Runs the private drag of a thumbnail (our own drag type, allowing copy and move) to its
    // end and returns what the drop target did. A drop on the frame strip reaches the program
    // during the drag as a drop event whose file list is the drag payload.
    virtual DropAction dragThumbnail(const Image& thumbnail) = 0;
};

}  // namespace morvel

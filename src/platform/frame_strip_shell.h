#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/image.h"

namespace morvel {

// The window's handle of a thumbnail gadget; 0 means none. The core only keeps it.
using GadgetHandle = std::uint64_t;

// What the drop target did with a dragged thumbnail.
enum class DropAction { None, Copy, Move };

// One frame's bar of the waveform: the peak and the RMS of its slice of sound, in [0, 1].
struct WaveformBar {
    float peak = 0;
    float rms = 0;
    bool operator==(const WaveformBar&) const = default;
};

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
    // The strip's columns in view: [left, left + width) of its content. Width 0 when it is not
    // known (a window without a strip).
    virtual std::pair<int, int> frameStripView() { return {0, 0}; }
    // Pops up popup menu 1 (delete layer, repeat layer) at the screen position (x, y) and returns
    // at once; the item the user chooses arrives later as menu event 11 or 12.
    virtual void showPopupMenu(int x, int y) = 0;
    // Runs the private drag of a thumbnail (our own drag type, allowing copy and move) to its
    // end and returns what the drop target did. A drop on the frame strip reaches the program
    // during the drag as a drop event whose file list is the drag payload.
    virtual DropAction dragThumbnail(const Image& thumbnail) = 0;
    // Numbers the strip's columns 1 to count, each under its frame's thumbnails (columnWidth
    // wide). A window without a strip ignores it.
    virtual void showFrameNumbers(int count, int columnWidth) { (void)count, (void)columnWidth; }
    // Shows the waveform row of the sound track under the rows, at [top, top + height) inside
    // the strip: bar n in the column of frame n (columnWidth wide), scrolling with the strip, the
    // frame marker across it. No bars and height 0: no row. A window without one ignores it.
    virtual void showWaveform(const std::vector<WaveformBar>& bars, int columnWidth, int top,
                              int height) {
        (void)bars, (void)columnWidth, (void)top, (void)height;
    }
};

}  // namespace morvel

#pragma once

namespace morvel {

// The canvas on the screen.
class CanvasShell {
public:
    virtual ~CanvasShell() = default;

    // The canvas buffer (work image 1) changed in columns [left, right) and rows [top, bottom):
    // show those pixels. The buffer may have been recreated at another size since the last call.
    virtual void presentCanvas(int left, int top, int right, int bottom) = 0;
    // The pause after each canvas redraw, which paces the mouse events of a stroke.
    virtual void pause(int milliseconds) = 0;
};

}  // namespace morvel

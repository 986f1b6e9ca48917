#include "editor/canvas.h"

namespace morvel {

void RedrawCanvas(ProgramState& state, int, int, int, int) {
    Image& canvas = state.images.canvas;
    state.shell.presentCanvas(0, 0, canvas.width(), canvas.height());
    state.shell.pause(state.redrawPause);
}

}  // namespace morvel

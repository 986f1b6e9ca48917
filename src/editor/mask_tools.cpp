#include "editor/mask_tools.h"

#include <algorithm>
#include <cmath>

#include "editor/brush_stroke.h"
#include "editor/canvas.h"
#include "editor/compose_frame.h"
#include "editor/mask_edit.h"
#include "editor/masks.h"
#include "editor/undo_history.h"
#include "editor/zoom.h"
#include "platform/gadgets.h"

namespace morvel {

namespace {

std::int32_t roundToInt(float value) {
    return static_cast<std::int32_t>(std::nearbyint(value));  // halves to even
}

Rect wholeMask(const ProgramState& state) {
    return Rect{0, state.images.mask.width(), 0, state.images.mask.height()};
}

// Gives the displayed frame a mask to paint on when the mask image does not hold one: a new
// mask, white, as the frame looked without it. False when no mask could be made.
bool ensureMask(ProgramState& state) {
    if (DisplayedMaskUsable(state)) return true;
    if (!CreateMask(state)) return false;
    FillMask(state, 255);
    return true;
}

// Recomposes the dirty rectangle after a mask edit.
void recompose(ProgramState& state, const Rect& dirty) {
    state.cache.dirty = dirty;
    ClampDirtyRectangle(state);
    ComposeFrame(state, kMaskChanged);
}

struct ToolOptions {
    bool brush;         // 14, 15: brush size and shape
    bool transparency;  // 16, 17
    bool zoom;          // 18 to 21
};

ToolOptions optionsOf(int tool) {
    switch (tool) {
        case +Gadget::ZoomTool:
            return {false, false, true};
        case +Gadget::Eraser:
            return {true, true, false};
        case +Gadget::AntiEraser:
            return {true, false, false};
        case +Gadget::SelectionTool:
            return {false, true, false};
        default:
            return {false, false, false};
    }
}

// Takes the mask of the frame before the displayed one for a displayed frame without a mask,
// under a new mask number. False when there is none or it cannot be read.
bool takePrecedingMask(ProgramState& state) {
    FrameRecord* displayed = state.cache.displayedFrame;
    const int index = state.frames.indexOf(displayed);
    if (index <= 0) return false;
    const std::int32_t previous = state.frames.at(index - 1).maskNumber;
    if (previous == 0) return false;
    if (!LoadMask(state, previous)) {
        state.reporter().report(ErrorKind::LoadMask, ErrorPlace::MoveMask, previous);
        return false;
    }
    displayed->maskNumber = state.nextMaskNumber++;
    state.cache.maskNumber = displayed->maskNumber;
    state.cache.maskFailed = false;
    state.cache.maskModified = true;
    // Show the taken mask at once, not only after the first move.
    ComposeFrame(state, kMaskChanged);
    RedrawCanvas(state, -1, -1, 0, 0);
    return true;
}

}  // namespace

int EraseGreyForTransparency(int v) {
    v = std::clamp(v, 0, 100);
    return static_cast<int>(std::nearbyint((100 - v) * 2.55));
}

void SelectTool(ProgramState& state, int t) {
    if (t < +Gadget::ZoomTool || t > +Gadget::MaskMover) return;
    for (int button = +Gadget::ZoomTool; button <= +Gadget::MaskMover; ++button) {
        state.shell.enableGadget(button, button != t);
    }
    const ToolOptions options = optionsOf(t);
    Shell& shell = state.shell;
    shell.showGadget(+Gadget::BrushSize, options.brush);
    shell.showGadget(+Gadget::BrushShape, options.brush);
    shell.showGadget(+Gadget::Hardness, options.brush);
    shell.showGadget(+Gadget::Transparency, options.transparency);
    shell.showGadget(+Gadget::TransparencyIcon, options.transparency);
    for (int g = +Gadget::ZoomIn; g <= +Gadget::ZoomOneToOne; ++g)
        shell.showGadget(g, options.zoom);
    state.view.tool = t;
}

void MouseAction(ProgramState& state, int phase, int cx, int cy) {
    if (state.cache.displayedIndex < 0) return;
    ViewState& view = state.view;
    const std::uint8_t erase = static_cast<std::uint8_t>(std::clamp(view.eraseGrey, 0, 255));
    const Image& canvas = state.images.canvas;
    if (cx >= 0 && cy >= 0 && cx < canvas.width() && cy < canvas.height()) {
        if (!view.buttonDown) phase = kMouseHover;
        switch (view.tool) {
            case +Gadget::ZoomTool:
                ZoomToRectangle(state, cx, cy, phase);
                break;
            case +Gadget::Eraser:
                BrushTool(state, cx, cy, erase, phase);
                break;
            case +Gadget::AntiEraser:
                BrushTool(state, cx, cy, 255, phase);
                break;
            case +Gadget::SelectionTool:
                SelectionTool(state, cx, cy, erase, phase);
                break;
            case +Gadget::MaskMover:
                MaskMover(state, cx, cy, phase);
                break;
            default:
                break;
        }
        view.cursorInside = true;
        return;
    }
    if (!view.cursorInside) return;
    // The cursor has just left the canvas: a brush stroke or a mask move ends where it left;
    // a zoom or selection drag is abandoned.
    if (view.buttonDown) {
        switch (view.tool) {
            case +Gadget::Eraser:
                BrushTool(state, cx, cy, erase, kMouseLeft);
                break;
            case +Gadget::AntiEraser:
                BrushTool(state, cx, cy, 255, kMouseLeft);
                break;
            case +Gadget::MaskMover:
                MaskMover(state, cx, cy, kMouseLeft);
                break;
            default:
                break;
        }
        view.buttonDown = false;
    }
    view.cursorInside = false;
    RedrawCanvas(state, -1, -1, 0, 0);
}

void BrushTool(ProgramState& state, int cx, int cy, std::uint8_t grey, int phase) {
    if (phase == kMouseHover) {
        RedrawCanvas(state, cx, cy, 0, 0);
        return;
    }
    const ViewState& view = state.view;
    const int ix =
        roundToInt(static_cast<float>(cx) / view.zoom - static_cast<float>(view.offsetX));
    const int iy =
        roundToInt(static_cast<float>(cy) / view.zoom - static_cast<float>(view.offsetY));
    if (phase == kMousePressed) {
        BeginMaskEdit(state);
        EndStroke(state);
    }
    const bool strokeEnds = phase == kMouseReleased || phase == kMouseLeft;
    const bool fresh = !DisplayedMaskUsable(state);
    if (ensureMask(state)) {
        // During the stroke only the dabs are composed again; at its end the whole frame.
        if (fresh) {
            BeginStroke(state, ix, iy, grey);
        } else {
            ContinueStroke(state, ix, iy, grey);
        }
        if (fresh || strokeEnds) recompose(state, wholeMask(state));
        RedrawCanvas(state, cx, cy, 0, 0);
    }
    if (strokeEnds) {
        EndStroke(state);
        EndMaskEdit(state);
    }
}

void SelectionTool(ProgramState& state, int cx, int cy, std::uint8_t grey, int phase) {
    ViewState& view = state.view;
    switch (phase) {
        case kMousePressed:
            view.selectionAnchorX = cx;
            view.selectionAnchorY = cy;
            return;
        case kMouseDragged:
            RedrawCanvas(state, view.selectionAnchorX, view.selectionAnchorY,
                         cx - view.selectionAnchorX, cy - view.selectionAnchorY);
            return;
        case kMouseReleased:
            break;
        default:
            return;
    }
    if (cx == view.selectionAnchorX || cy == view.selectionAnchorY) {
        RedrawCanvas(state, -1, -1, 0, 0);  // takes the rubber band away
        return;
    }
    BeginMaskEdit(state);
    if (ensureMask(state)) {
        const int x0 = std::min(cx, view.selectionAnchorX);
        const int y0 = std::min(cy, view.selectionAnchorY);
        const int x1 = std::max(cx, view.selectionAnchorX);
        const int y1 = std::max(cy, view.selectionAnchorY);
        const float zoom = view.zoom;
        const int ix = roundToInt(static_cast<float>(x0) / zoom - static_cast<float>(view.offsetX));
        const int iy = roundToInt(static_cast<float>(y0) / zoom - static_cast<float>(view.offsetY));
        const int iw = roundToInt(static_cast<float>(x1 - x0) / zoom);
        const int ih = roundToInt(static_cast<float>(y1 - y0) / zoom);
        FillMaskRectangle(state, Rect{ix, ix + iw, iy, iy + ih}, grey);
        recompose(state, wholeMask(state));
    }
    RedrawCanvas(state, -1, -1, 0, 0);
    EndMaskEdit(state);
}

void MaskMover(ProgramState& state, int cx, int cy, int phase) {
    ViewState& view = state.view;
    if (phase == kMouseHover) return;
    if (phase == kMouseLeft || phase == kMouseReleased) {
        if (view.moverCopy.empty()) return;  // no drag under way
    }
    if (phase == kMouseLeft) {
        view.moverCopy = Image();
        EndMaskEdit(state);
        return;
    }
    if (phase == kMousePressed) {
        BeginMaskEdit(state);
        const FrameRecord* displayed = state.cache.displayedFrame;
        if (displayed && displayed->maskNumber == 0) takePrecedingMask(state);
        if (!DisplayedMaskUsable(state)) {
            EndMaskEdit(state);
            return;
        }
    } else if (view.moverCopy.empty()) {
        return;
    }
    const int px = roundToInt(static_cast<float>(cx) / view.zoom);
    const int py = roundToInt(static_cast<float>(cy) / view.zoom);
    int stepX = 0;
    int stepY = 0;
    if (phase == kMousePressed) {
        view.moverCopy = state.images.mask;
        view.moverShiftX = 0;
        view.moverShiftY = 0;
    } else {
        stepX = px - view.moverLastX;
        stepY = py - view.moverLastY;
        view.moverShiftX += stepX;
        view.moverShiftY += stepY;
    }
    view.moverLastX = px;
    view.moverLastY = py;
    if (stepX != 0 || stepY != 0) {
        DrawShiftedMask(state, view.moverCopy, view.moverShiftX, view.moverShiftY);
        recompose(state, wholeMask(state));
        RedrawCanvas(state, -1, -1, 0, 0);
    }
    if (phase == kMouseReleased) {
        view.moverCopy = Image();
        EndMaskEdit(state);
    }
}

}  // namespace morvel

#pragma once

namespace morvel {

// The main window's gadgets by number (platform/gadgets.h): shown, enabled, their state.
class GadgetShell {
public:
    virtual ~GadgetShell() = default;

    virtual void showGadget(int gadget, bool shown) = 0;
    virtual void enableGadget(int gadget, bool enabled) = 0;
    // The state of a gadget: a scroll bar's position or a spin field's value.
    virtual int gadgetState(int gadget) = 0;
    // A spin field shows value, as if it had been typed, without raising an event.
    virtual void setSpinField(int gadget, int value) = 0;
    // Scroll bar 3 or 4: positions 0 to maximum - page (only 0 when page >= maximum). The bar
    // keeps position within that range.
    virtual void setScrollBar(int gadget, int maximum, int page, int position) = 0;
    // Gadget 15 shows brush-shape icon image 6 (round) or 7 (square).
    virtual void showBrushShape(int imageNumber) = 0;
};

}  // namespace morvel

#pragma once

#include <string>

namespace morvel {

// The kinds of event the window delivers to the program's one loop.
enum class EventKind {
    None,
    Gadget,       // a gadget of the main window (number in gadget, what happened in type)
    LeftRelease,  // the left button went up over any window of the program
    MouseMove,    // the mouse moved over any window of the program
    Resize,       // the main window's size changed
    Drop,         // something was dropped on the frame strip
    Menu,         // a menu item or a keyboard shortcut (number in menuItem)
    Close,        // the close box or the system's close command
    Terminate,    // the system tells the program to end (SIGTERM, SIGINT, SIGHUP): no questions
    Wheel,        // the mouse wheel turned over the canvas (position in x and y)
    Interrupt,    // a key or a mouse button went down while the film plays
    Background,   // work on a worker thread has results for the main thread
};

// What happened to a gadget.
enum class GadgetEventType {
    Change,      // a button was pushed, a spin field or a scroll bar changed
    LeftClick,   // the left button went down on it
    RightClick,  // the right button went down on it
    DragStart,   // the mouse moved farther than the drag distance with the button down
};

// What was dropped on the frame strip.
struct DropData {
    // The program's own drag of a thumbnail: the dragged layer source is in the view state.
    bool privateFormat = false;
    // Files from outside: their full paths joined by line feeds, none after the last.
    std::string fileList;
    // The frame strip's horizontal scroll position at the drop.
    int stripScroll = 0;
};

// What a turn of the mouse wheel over the canvas asks for: the wheel alone scrolls vertically,
// with Shift (or a sideways wheel) horizontally, with Ctrl it zooms.
enum class WheelAction { ScrollVertically, ScrollHorizontally, Zoom };

struct WheelData {
    WheelAction action = WheelAction::ScrollVertically;
    // Whole notches; positive turned away from the user (up, left, zoom in).
    int steps = 0;
};

// One event of the window, as a plain record. Positions of mouse events are in the canvas's own
// coordinates (they may lie outside it); the position of a drop is inside the frame strip's
// visible area. Thumbnail gadgets raise gadget events under their handle as number (from 1000 on,
// above every fixed gadget) with the pointer's screen position.
struct Event {
    EventKind kind = EventKind::None;
    int gadget = 0;
    GadgetEventType type = GadgetEventType::Change;
    int menuItem = 0;
    int x = 0;
    int y = 0;
    bool minimised = false;  // a resize that minimised the window
    DropData drop;
    WheelData wheel;
};

// Where the loop waits for the next event: the window, or a script in tests.
class EventSource {
public:
    virtual ~EventSource() = default;
    // Waits without time-out for the next event.
    virtual Event waitEvent() = 0;
    // Waits at most milliseconds for the next event; false when none came in that time. A
    // source without a clock gives none at once.
    virtual bool waitEventFor(int milliseconds, Event& event) {
        (void)milliseconds;
        (void)event;
        return false;
    }
};

}  // namespace morvel

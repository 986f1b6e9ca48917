#pragma once

#include <string>
#include <vector>

#include "platform/main_window_plan.h"

namespace morvel {

// The size of the main window's client area below the menu bar.
struct ClientSize {
    int width = 0;
    int height = 0;
};

// A rectangle on the screen: the main window's place in the plan's terms (outer top-left corner,
// the client area with the menu bar), or a screen's usable area.
struct ScreenRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ScreenRect&) const = default;
};

// The parts of the status line under the client area.
enum class StatusPart {
    Notice,        // what just happened, left
    FrameCounter,  // "7 / 24", right
};

// The main window as a whole: building it, its title and size, the place of its gadgets, its
// menu bar's items, and the system's handler of addresses.
class MainWindowShell {
public:
    virtual ~MainWindowShell() = default;

    // Builds the main window as the plan says, replacing the one that exists with its menus and
    // gadgets, and shows it. False when the window cannot be opened.
    virtual bool buildMainWindow(const MainWindowPlan& plan) = 0;
    // Gives the window built before the plan's texts (menus, labels, tooltips, the window
    // system's own texts) and its menus' states, keeping its gadgets, place and contents.
    virtual void retextMainWindow(const MainWindowPlan& plan) { (void)plan; }
    // Where the main window lies now; all 0 without one.
    virtual ScreenRect windowPlace() { return {}; }
    // The usable areas of the screens; none when the window system cannot tell.
    virtual std::vector<ScreenRect> screenAreas() { return {}; }
    virtual void setWindowTitle(const std::string& title) = 0;
    // Shows text in a part of the status line ("" clears it); a notice stays until the next.
    virtual void showStatus(StatusPart part, const std::string& text) = 0;
    virtual ClientSize clientSize() = 0;
    // Resizes the main window so that its client area below the menu bar has this size.
    virtual void setClientSize(int width, int height) = 0;
    // Moves and sizes a gadget of the main window (client coordinates below the menu bar).
    virtual void placeGadget(int gadget, int x, int y, int width, int height) = 0;
    // Enables or disables a menu item of the menu bar by number.
    virtual void enableMenuItem(int item, bool enabled) = 0;
    // Sets or clears the check mark of a checkable menu item of the menu bar.
    virtual void checkMenuItem(int item, bool checked) = 0;
    // Opens an address (a web or file: address) with the system's handler; does not wait.
    virtual void openAddress(const std::string& address) = 0;
};

}  // namespace morvel

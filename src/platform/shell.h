#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/main_window_plan.h"
#include "platform/save_window_plan.h"

namespace morvel {

// The window's handle of a thumbnail gadget; 0 means none. The core only keeps it.
using GadgetHandle = std::uint64_t;

// Answers of the Yes/No/Cancel question, with the numbers the program has always used for them.
enum class Answer : int { Cancel = 2, Yes = 6, No = 7 };

// An open or save requester: title, proposed file name, filter text ("description|pattern|..."),
// and the filter selected at first.
struct FileRequest {
    std::string title;
    std::string initialName;
    std::string filter;
    int filterIndex = 0;
};

// The user's answer to a requester; an empty path means the requester was cancelled.
struct FileChoice {
    std::string path;
    int filterIndex = 0;
};

// What the save window shows and lets the user change. It opens on the folder and file of
// projectFilePath with title, author and comment, always offering the first template of each
// list; confirmed, it gives back every field settled.
struct SaveWindowFields {
    std::string projectFilePath;
    std::string maskTemplate;
    std::string frameTemplate;
    std::string title;
    std::string author;
    std::string comment;
    int viewMode = 0;  // the folder list's explorer view mode, changed by its button
};

// The size of the main window's client area below the menu bar.
struct ClientSize {
    int width = 0;
    int height = 0;
};

// What the drop target did with a dragged thumbnail.
enum class DropAction { None, Copy, Move };

// A step of a long import, for the progress dialog: item k of n, where an item is a dropped file
// or a frame of a dropped video, and the name of the file (for a video, the video's).
struct ImportStep {
    enum class Unit { File, VideoFrame };
    Unit unit = Unit::File;
    int k = 0;  // from 1
    int n = 0;
    std::string fileName;
    // False while a project is opened: its frames come all or none, so the dialog offers no
    // cancel button and the steps go on.
    bool cancellable = true;
    // What the dialog shows, in the language in use: the line about this item and the cancel
    // button's label.
    std::string label{};
    std::string cancel{};
};

// Everything the core needs from the window system. The Qt window implements it; tests use a
// recorder that answers from a script; the batch renderer prints errors to standard error.
// Every call is made on the one thread that runs the program; dialogs are modal.
class Shell {
public:
    virtual ~Shell() = default;

    // A modal error box with an error icon and one OK button.
    virtual void showError(const std::string& caption, const std::string& text) = 0;
    // A modal Yes/No/Cancel question with a question icon.
    virtual Answer ask(const std::string& title, const std::string& text) = 0;
    virtual FileChoice requestOpenFile(const FileRequest& request) = 0;
    virtual FileChoice requestSaveFile(const FileRequest& request) = 0;
    // The language chooser with the language at position preselected selected: returns the
    // chosen name, or "" when it was closed without choosing.
    virtual std::string chooseLanguage(const std::vector<std::string>& languages,
                                       std::size_t preselected) = 0;

    // The save window built from its plan: true when the user confirmed it, with the fields as
    // they left them. The view mode comes back as the user left it also when cancelled.
    virtual bool runSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields) = 0;

    virtual void setWindowTitle(const std::string& title) = 0;

    // Builds the main window as the plan says, replacing the one that exists with its menus and
    // gadgets, and shows it. False when the window cannot be opened.
    virtual bool buildMainWindow(const MainWindowPlan& plan) = 0;
    virtual ClientSize clientSize() = 0;
    // Resizes the main window so that its client area below the menu bar has this size.
    virtual void setClientSize(int width, int height) = 0;
    // Moves and sizes a gadget of the main window (client coordinates below the menu bar).
    virtual void placeGadget(int gadget, int x, int y, int width, int height) = 0;
    // Opens an address (a web or file: address) with the system's handler; does not wait.
    virtual void openAddress(const std::string& address) = 0;

    // Main-window gadgets by number (platform/gadgets.h).
    virtual void showGadget(int gadget, bool shown) = 0;
    virtual void enableGadget(int gadget, bool enabled) = 0;
    // The state of a gadget: a scroll bar's position or a spin field's value.
    virtual int gadgetState(int gadget) = 0;
    // Scroll bar 3 or 4: positions 0 to maximum - page (only 0 when page >= maximum). The bar
    // keeps position within that range.
    virtual void setScrollBar(int gadget, int maximum, int page, int position) = 0;
    // Gadget 15 shows brush-shape icon image 6 (round) or 7 (square).
    virtual void showBrushShape(int imageNumber) = 0;

    // The canvas buffer (work image 1) changed in columns [left, right) and rows [top, bottom):
    // show those pixels. The buffer may have been recreated at another size since the last call.
    virtual void presentCanvas(int left, int top, int right, int bottom) = 0;
    // The pause after each canvas redraw, which paces the mouse events of a stroke.
    virtual void pause(int milliseconds) = 0;

    // The frame strip. A thumbnail gadget shows a 60 x 45 picture at (x, y) inside the strip,
    // with a tooltip; the core moves it to its frame's column and frees it with its layer.
    virtual GadgetHandle createThumbnailGadget(const Image& thumbnail, int x, int y,
                                               const std::string& tooltip) = 0;
    virtual void moveThumbnailGadget(GadgetHandle gadget, int x) = 0;
    virtual void destroyThumbnailGadget(GadgetHandle gadget) = 0;
    virtual void setFrameStripWidth(int width) = 0;
    // Moves the marker of the displayed frame to x and brings it in front of the thumbnails.
    virtual void moveFrameMarker(int x) = 0;
    // Scrolls the frame strip as little as needed to show its columns [x, x + width).
    virtual void ensureFrameVisible(int x, int width) = 0;

    // Enables or disables a menu item of the menu bar by number.
    virtual void enableMenuItem(int item, bool enabled) = 0;
    // Sets or clears the check mark of a checkable menu item of the menu bar.
    virtual void checkMenuItem(int item, bool checked) = 0;

    // ---- Requesters of the exports ----
    // A modal input requester: title, message and a pre-selected default answer. Returns the
    // confirmed text (OK or Enter), "" when it was cancelled (Escape or the close box).
    virtual std::string requestText(const std::string& title, const std::string& message,
                                    const std::string& defaultText) = 0;
    // The folder requester: the chosen folder ending with "/", "" when cancelled.
    virtual std::string requestFolder(const std::string& title) = 0;

    // ---- Frame strip operations: plain messages, the popup menu, thumbnail drags, progress ----

    // A modal message box with one OK button and no icon.
    virtual void showMessage(const std::string& caption, const std::string& text) = 0;
    // Pops up popup menu 1 (delete layer, repeat layer) at the screen position (x, y) and returns
    // at once; the item the user chooses arrives later as menu event 11 or 12.
    virtual void showPopupMenu(int x, int y) = 0;
    // Runs the private drag of a thumbnail (our own drag type, allowing copy and move) to its
    // end and returns what the drop target did. A drop on the frame strip reaches the program
    // during the drag as a drop event whose file list is the drag payload.
    virtual DropAction dragThumbnail(const Image& thumbnail) = 0;
    // Shows, or updates, the modal progress dialog of a long import; the window takes no other
    // input while it is shown. False once the user has pressed its cancel button.
    virtual bool showProgress(const ImportStep& step) = 0;
    // Closes the progress dialog (nothing when none is shown).
    virtual void hideProgress() = 0;
};

}  // namespace morvel

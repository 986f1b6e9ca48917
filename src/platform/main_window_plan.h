#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

// What the main window is made of, decided by the core and built by the window system as it
// stands: gadgets by number with their kind, place, range, start state and texts; the menu bar,
// the popup menu and the keyboard shortcuts.

enum class GadgetKind {
    Canvas,               // shows the canvas buffer, takes its size
    HorizontalScrollBar,  // range minimum..maximum with a page of maximum at first
    VerticalScrollBar,
    PictureButton,  // a push button showing a picture
    Picture,        // a picture that raises no events
    ClickablePicture,
    SpinField,    // a numeric spin field, range minimum..maximum, value state
    PushButton,   // a push button with a text label
    FrameStrip,   // the scroll area of thumbnails; the drop target
    StripRow,     // a coloured row across the whole frame strip, inside it
    FrameMarker,  // the marker of the displayed frame, inside the frame strip
};

// The program's own pictures, drawn by the window at their fixed sizes.
enum class Picture {
    None,
    ZoomTool,      // 19 x 19
    Eraser,        // 19 x 19
    AntiEraser,    // 19 x 19
    Selection,     // 19 x 19
    MoveMask,      // 19 x 19
    RoundBrush,    // 19 x 19, brush-shape image 6
    SquareBrush,   // 19 x 19, brush-shape image 7
    Transparency,  // 19 x 19
    ZoomIn,        // 16 x 16
    ZoomOut,       // 16 x 16
    LayerRows,     // 27 x 97
    FrameMarker,   // 66 x 97
};

// A small picture the core describes itself (a tool's icon), drawn by the window at one screen
// pixel per character: rows of equal length, each character the key of a palette colour or,
// for any other character, transparent. It points to data that lives as long as the program.
struct PixelColour {
    char key;
    std::uint32_t rgb;  // 0xRRGGBB
};
struct PixelPicture {
    std::span<const std::string_view> rows;
    std::span<const PixelColour> palette;
};

struct GadgetPlan {
    int number = 0;
    GadgetKind kind = GadgetKind::Picture;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    int minimum = 0;  // scroll bars and spin fields
    int maximum = 0;
    int state = 0;
    Picture picture = Picture::None;
    PixelPicture pixels;  // drawn instead of a picture that is None
    std::string label;
    std::string tooltip;
    std::uint32_t colour = 0;  // 0xRRGGBB: background of a strip row
    bool enabled = true;
};

// A menu title, submenu, item or separator. Labels mark the access letter with "&"; a tab
// separates the shortcut text shown at the right.
struct MenuEntry {
    std::string label;
    int item = 0;  // the menu event an item raises; 0 for titles, submenus and separators
    bool separator = false;
    bool checked = false;
    bool checkable = false;  // shows a check mark when checked; a checked entry is checkable
    bool enabled = true;
    std::vector<MenuEntry> entries;  // the entries of a title or a submenu
};

struct ShortcutPlan {
    std::string keys;  // "Ctrl+N", "Ctrl+Delete", "Left", ...
    int item = 0;      // the menu event it raises
};

struct MainWindowPlan {
    std::string title;
    // The language in use, for the window system's own texts ("de", "fr").
    std::string locale;
    int x = 10;  // the outer top-left corner on the screen
    int y = 10;
    int clientWidth = 680;  // the client area with the menu bar
    int clientHeight = 620;
    std::vector<MenuEntry> menuBar;
    std::vector<MenuEntry> popupMenu;
    std::vector<ShortcutPlan> shortcuts;
    std::vector<GadgetPlan> gadgets;  // in the order of creation
    int frameStripInnerHeight = 98;
    int frameStripScrollStep = 65;
};

}  // namespace morvel

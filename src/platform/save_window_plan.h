#pragma once

#include <functional>
#include <string>
#include <vector>

namespace morvel {

// What the save window is made of, decided by the core and built by the window system: gadgets
// by number with their kind, place, texts and offered items.

// The save window's gadgets by their fixed numbers.
enum class SaveGadget : int {
    FolderList = 22,
    ProjectName = 23,
    MaskTemplates = 24,
    FrameTemplates = 25,
    ProjectLabel = 27,
    MasksLabel = 28,
    FramesLabel = 29,
    SaveInLabel = 30,
    TitleLabel = 31,
    AuthorLabel = 32,
    CommentLabel = 33,
    FolderPath = 34,
    Title = 35,
    Author = 36,
    Comment = 37,
    Save = 38,
    Cancel = 39,
    FolderUp = 40,
    ChangeView = 41,
};

constexpr int operator+(SaveGadget g) {
    return static_cast<int>(g);
}

enum class SaveGadgetKind {
    FolderList,     // the folders and files of one folder, in the explorer view mode
    TextField,      // one line of text
    EditableList,   // a drop-down list whose text may also be typed; height = the open list's
    Label,          // a caption
    MultiLineText,  // text of several lines
    FolderPathBox,  // the folder the list shows, and the folders above it to choose from
    PushButton,     // a button with a text label
    ImageButton,    // a button with a 16 x 16 icon (image 9 folder up, image 10 change view)
};

// The explorer view modes of the folder list; the change-view button steps through them.
enum class ExplorerView : int { LargeIcons = 0, SmallIcons = 1, List = 2, Details = 3 };

constexpr int operator+(ExplorerView v) {
    return static_cast<int>(v);
}

// Images of the save window's icon buttons.
constexpr int kFolderUpImage = 9;
constexpr int kChangeViewImage = 10;

struct SaveGadgetPlan {
    int number = 0;
    SaveGadgetKind kind = SaveGadgetKind::Label;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    std::string text;  // a label's or button's caption
    std::string tooltip;
    std::vector<std::string> items;  // an editable list's items, item 0 selected at first
    int image = 0;                   // an image button's icon
};

struct SaveWindowPlan {
    std::string title;
    int clientWidth = 500;
    int clientHeight = 425;
    std::vector<SaveGadgetPlan> gadgets;  // in the order of creation
    // Why a confirmed window's project file and templates cannot be used for the project's
    // frames (project file path, mask template, frame template): the message to show, or ""
    // when they can. The window stays open on a refusal. Unset: every template is taken.
    std::function<std::string(const std::string&, const std::string&, const std::string&)>
        refuseTemplates;
};

}  // namespace morvel

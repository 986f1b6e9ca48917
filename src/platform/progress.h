#pragma once

#include <string>

namespace morvel {

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

// The modal progress dialog of a long import.
class Progress {
public:
    virtual ~Progress() = default;

    // Shows, or updates, the dialog; the window takes no other input while it is shown. False
    // once the user has pressed its cancel button.
    virtual bool showProgress(const ImportStep& step) = 0;
    // Closes the dialog (nothing when none is shown).
    virtual void hideProgress() = 0;
};

}  // namespace morvel

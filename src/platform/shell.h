#pragma once

#include <string>
#include <vector>

namespace morvel {

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
    // The language chooser: returns the chosen name, or "" when it was closed without choosing.
    virtual std::string chooseLanguage(const std::vector<std::string>& languages) = 0;

    virtual void setWindowTitle(const std::string& title) = 0;
    // The composite picture or the view changed: draw the canvas again, without brush outline.
    virtual void redrawCanvas() = 0;
    // The composite picture got a new size: the scroll bars follow it.
    virtual void compositeResized(int width, int height) = 0;
};

}  // namespace morvel

#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/save_window_plan.h"

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

// A folder that may hold a film's missing pictures, with one of them to show.
struct FolderCandidate {
    std::string folder;   // ending with "/"
    std::string picture;  // one picture found there by name
    int count = 0;        // how many of the missing pictures it holds
};

// A camera the camera chooser lists: its URL and the name shown for it.
struct CameraOffer {
    std::string url;
    std::string label;
};

// The camera chooser: the cameras found (with the one named on the command line) and a field
// for any camera's URL, which starts with url (the camera in use) and takes the URL of the
// camera picked in the list.
struct CameraChooser {
    std::string title;
    std::string listLabel;
    std::string noneFound;  // the list's only line when it is empty
    std::string urlLabel;
    std::vector<CameraOffer> cameras;
    std::string url;
};

// What the shooting settings' dialog shows and lets the user change; folder "" means the
// default beside the project.
struct ShootingSettingsFields {
    std::string folder;
    std::string nameTemplate;
    int lastFrames = 0;
    int onionOpacity = 0;
    bool keepCleanPlate = false;
};

// The shooting settings' dialog: its texts (the folder button opens a folder requester titled
// folderLabel) and the ranges of its numbers.
struct ShootingSettingsDialog {
    std::string title;
    std::string folderLabel;
    std::string folderButton;
    std::string folderDefault;  // shown in the empty folder field
    std::string templateLabel;
    std::string lastFramesLabel;
    std::string onionOpacityLabel;
    std::string cleanPlateLabel;
    int lastFramesMin = 1;
    int lastFramesMax = 50;
};

// The modal dialogs and requesters: message boxes, questions, file, folder and text requesters,
// the language chooser and the save window.
class Dialogs {
public:
    virtual ~Dialogs() = default;

    // A modal error box with an error icon and one OK button.
    virtual void showError(const std::string& caption, const std::string& text) = 0;
    // A modal message box with one OK button and no icon.
    virtual void showMessage(const std::string& caption, const std::string& text) = 0;
    // A modal Yes/No/Cancel question with a question icon.
    virtual Answer ask(const std::string& title, const std::string& text) = 0;
    virtual FileChoice requestOpenFile(const FileRequest& request) = 0;
    virtual FileChoice requestSaveFile(const FileRequest& request) = 0;
    // A modal input requester: title, message and a pre-selected default answer. Returns the
    // confirmed text (OK or Enter), "" when it was cancelled (Escape or the close box).
    virtual std::string requestText(const std::string& title, const std::string& message,
                                    const std::string& defaultText) = 0;
    // The folder requester: the chosen folder ending with "/", "" when cancelled.
    virtual std::string requestFolder(const std::string& title) = 0;
    // Which of the candidate folders holds the pictures the text speaks of: each shown with its
    // picture. Returns the chosen one's index, -1 when the user takes none.
    virtual int chooseFolder(const std::string& title, const std::string& text,
                             const std::vector<FolderCandidate>& candidates) = 0;
    // The language chooser with the language at position preselected selected: returns the
    // chosen name, or "" when it was closed without choosing.
    virtual std::string chooseLanguage(const std::vector<std::string>& languages,
                                       std::size_t preselected) = 0;
    // The save window built from its plan: true when the user confirmed it, with the fields as
    // they left them. The view mode comes back as the user left it also when cancelled.
    virtual bool runSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields) = 0;
    // The camera chooser: the URL in its field when confirmed (trimmed), "" when cancelled.
    virtual std::string chooseCamera(const CameraChooser& chooser) = 0;
    // The shooting settings' dialog: true when confirmed, with the fields as the user left
    // them (unchecked: the caller keeps what it cannot take).
    virtual bool editShootingSettings(const ShootingSettingsDialog& dialog,
                                      ShootingSettingsFields& fields) = 0;
};

}  // namespace morvel

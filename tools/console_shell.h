#pragma once

#include <functional>
#include <string>

#include "platform/null_shell.h"

namespace morvel {

// The Shell of morvel-render: errors go to standard error as the error reporter's text, with
// plain line ends; everything that needs a window does nothing.
class ConsoleShell : public NullShell {
public:
    // A message to the user (a project file cut short) is a warning on standard error.
    void showMessage(const std::string& caption, const std::string& text) override;

public:
    // Called before an error is printed, e.g. to clear a progress line.
    std::function<void()> beforeError;

    int errorCount() const { return m_errors; }
    // Whether pictures of a shoot were found only by name, or in several folders: nobody is
    // there to choose, so the render refuses and names the folders.
    bool refusedFolders() const { return m_refusedFolders; }

    void showError(const std::string& caption, const std::string& text) override;
    int chooseFolder(const std::string& title, const std::string& text,
                     const std::vector<FolderCandidate>& candidates) override;

private:
    int m_errors = 0;
    bool m_refusedFolders = false;
};

}  // namespace morvel

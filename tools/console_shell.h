#pragma once

#include <functional>
#include <string>

#include "platform/shell.h"

namespace morvel {

// The Shell of a program without a window: errors go to standard error as the error reporter's
// text; questions are answered No, requesters and the save window are cancelled, and the window
// services do nothing.
class ConsoleShell : public Shell {
public:
    // Called before an error is printed, e.g. to clear a progress line.
    std::function<void()> beforeError;

    int errorCount() const { return m_errors; }

    void showError(const std::string& caption, const std::string& text) override;
    Answer ask(const std::string&, const std::string&) override { return Answer::No; }
    FileChoice requestOpenFile(const FileRequest&) override { return {}; }
    FileChoice requestSaveFile(const FileRequest&) override { return {}; }
    std::string chooseLanguage(const std::vector<std::string>&) override { return {}; }
    bool runSaveWindow(SaveWindowFields&) override { return false; }
    void setWindowTitle(const std::string&) override {}
    void redrawCanvas() override {}
    void compositeResized(int, int) override {}
    GadgetHandle createThumbnailGadget(const Image&, int, int, const std::string&) override;
    void moveThumbnailGadget(GadgetHandle, int) override {}
    void destroyThumbnailGadget(GadgetHandle) override {}
    void setFrameStripWidth(int) override {}
    void moveFrameMarker(int) override {}

private:
    int m_errors = 0;
    GadgetHandle m_lastGadget = 0;
};

}  // namespace morvel

#pragma once

#include "platform/shell.h"

namespace morvel {

// A Shell without a window: errors are dropped, questions answered No, requesters and the save
// window cancelled, and the window services do nothing. Programs without a window build on it.
class NullShell : public Shell {
public:
    // Dialogs
    void showError(const std::string&, const std::string&) override {}
    void showMessage(const std::string&, const std::string&) override {}
    Answer ask(const std::string&, const std::string&) override { return Answer::No; }
    FileChoice requestOpenFile(const FileRequest&) override { return {}; }
    FileChoice requestSaveFile(const FileRequest&) override { return {}; }
    std::string requestText(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string requestFolder(const std::string&) override { return {}; }
    int chooseFolder(const std::string&, const std::string&,
                     const std::vector<FolderCandidate>&) override {
        return -1;
    }
    std::string chooseLanguage(const std::vector<std::string>&, std::size_t) override { return {}; }
    bool runSaveWindow(const SaveWindowPlan&, SaveWindowFields&) override { return false; }
    std::string chooseCamera(const CameraChooser&) override { return {}; }
    bool editShootingSettings(const ShootingSettingsDialog&, ShootingSettingsFields&) override {
        return false;
    }

    // Progress
    bool showProgress(const ImportStep&) override { return true; }
    void hideProgress() override {}

    // MainWindowShell
    bool buildMainWindow(const MainWindowPlan&) override { return true; }
    void setWindowTitle(const std::string&) override {}
    void showStatus(StatusPart, const std::string&) override {}
    ClientSize clientSize() override { return {680, 600}; }
    void setClientSize(int, int) override {}
    void placeGadget(int, int, int, int, int) override {}
    void enableMenuItem(int, bool) override {}
    void checkMenuItem(int, bool) override {}
    void openAddress(const std::string&) override {}

    // GadgetShell
    void showGadget(int, bool) override {}
    void enableGadget(int, bool) override {}
    int gadgetState(int) override { return 0; }
    void setSpinField(int, int) override {}
    void setScrollBar(int, int, int, int) override {}
    void showBrushShape(int) override {}

    // FrameStripShell
    GadgetHandle createThumbnailGadget(const Image&, int, int, const std::string&) override {
        return ++m_lastGadget;
    }
    void moveThumbnailGadget(GadgetHandle, int) override {}
    void destroyThumbnailGadget(GadgetHandle) override {}
    void setFrameStripWidth(int) override {}
    void moveFrameMarker(int) override {}
    void ensureFrameVisible(int, int) override {}
    void showPopupMenu(int, int) override {}
    DropAction dragThumbnail(const Image&) override { return DropAction::None; }

    // CanvasShell
    void presentCanvas(int, int, int, int) override {}
    void pause(int) override {}

private:
    GadgetHandle m_lastGadget = 0;
};

}  // namespace morvel

#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace morvel::testing {

// A Shell for tests: records what the core shows and answers from scripted queues. An empty
// queue answers No / cancel / "". Its parts follow the Shell's roles.
class RecordingShell : public Shell {
public:
    // ---- Dialogs ----
    struct Message {
        std::string caption;
        std::string text;
    };
    std::vector<Message> errors;
    std::vector<Message> messages;  // plain message boxes
    std::vector<std::string> questions;
    std::deque<Answer> answers;
    std::vector<FileRequest> openRequests;
    std::deque<FileChoice> openAnswers;
    std::vector<FileRequest> saveRequests;
    std::deque<FileChoice> saveAnswers;
    // Input requesters shown (title, message, default answer) and the texts they answer; an
    // empty queue cancels.
    struct TextRequest {
        std::string title;
        std::string message;
        std::string defaultText;
    };
    std::vector<TextRequest> textRequests;
    std::deque<std::string> textAnswers;
    std::vector<std::string> folderRequests;  // their titles
    std::deque<std::string> folderAnswers;
    // chooseFolder: the candidates offered each time, and the indexes given back (-1 when none).
    std::vector<std::vector<FolderCandidate>> folderChoices;
    std::deque<int> folderChoiceAnswers;
    std::vector<std::vector<std::string>> languageChoices;
    std::vector<std::size_t> languagePreselections;  // the position chosen for each
    std::deque<std::string> languageAnswers;
    // Each save window shown is answered by the next entry: fields to confirm, or nothing to
    // cancel.
    std::deque<std::optional<SaveWindowFields>> saveWindowAnswers;
    std::vector<SaveWindowFields> saveWindowsShown;
    std::vector<SaveWindowPlan> saveWindowPlans;
    // The camera choosers shown and the URLs they answer (an empty queue cancels); the shooting
    // settings' dialogs shown (with the fields as they came) and the fields they confirm.
    std::vector<CameraChooser> cameraChoosers;
    std::deque<std::string> cameraAnswers;
    std::vector<ShootingSettingsFields> shootingSettingsShown;
    std::deque<std::optional<ShootingSettingsFields>> shootingSettingsAnswers;

    void showError(const std::string& caption, const std::string& text) override;
    void showMessage(const std::string& caption, const std::string& text) override {
        messages.push_back({caption, text});
    }
    Answer ask(const std::string& title, const std::string& text) override;
    FileChoice requestOpenFile(const FileRequest& request) override;
    FileChoice requestSaveFile(const FileRequest& request) override;
    std::string requestText(const std::string& title, const std::string& message,
                            const std::string& defaultText) override;
    std::string requestFolder(const std::string& title) override;
    int chooseFolder(const std::string& title, const std::string& text,
                     const std::vector<FolderCandidate>& candidates) override;
    std::string chooseLanguage(const std::vector<std::string>& languages,
                               std::size_t preselected) override;
    bool runSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields) override;
    std::string chooseCamera(const CameraChooser& chooser) override;
    bool editShootingSettings(const ShootingSettingsDialog& dialog,
                              ShootingSettingsFields& fields) override;

    // The error texts only, for short assertions.
    std::vector<std::string> errorTexts() const;

    // ---- Progress ----
    // Every step shown; the dialog's cancel button is pressed at the step with this number
    // (counted from 1 over the whole test; 0 = never).
    std::vector<ImportStep> progressSteps;
    int cancelProgressAtStep = 0;
    bool progressShown = false;
    int progressHidden = 0;

    bool showProgress(const ImportStep& step) override;
    void hideProgress() override;

    // ---- MainWindowShell ----
    // Every build (the last one is the window shown), whether the next build fails, the client
    // area below the menu bar, and where the layout placed the gadgets.
    std::vector<MainWindowPlan> windowsBuilt;
    bool failWindowBuild = false;
    std::vector<std::string> windowTitles;
    std::vector<std::string> notices;        // the status line's, in order
    std::vector<std::string> frameCounters;  // the status line's, in order
    ClientSize client{680, 600};
    std::vector<ClientSize> clientResizes;
    struct Placement {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool operator==(const Placement&) const = default;
    };
    std::map<int, Placement> placements;
    std::map<int, bool> menuItemEnabled;  // menu items the core enabled or disabled
    std::map<int, bool> menuItemChecked;  // check marks the core set or cleared
    std::vector<std::string> openedAddresses;

    // Every plan the window was given new texts by; the window's place and the screens' areas
    // it answers.
    std::vector<MainWindowPlan> windowsRetexted;
    ScreenRect place;
    std::vector<ScreenRect> screens;

    bool buildMainWindow(const MainWindowPlan& plan) override;
    void retextMainWindow(const MainWindowPlan& plan) override {
        windowsRetexted.push_back(plan);
    }
    ScreenRect windowPlace() override { return place; }
    std::vector<ScreenRect> screenAreas() override { return screens; }
    void setWindowTitle(const std::string& title) override { windowTitles.push_back(title); }
    void showStatus(StatusPart part, const std::string& text) override {
        (part == StatusPart::Notice ? notices : frameCounters).push_back(text);
    }
    ClientSize clientSize() override { return client; }
    void setClientSize(int width, int height) override;
    void placeGadget(int gadget, int x, int y, int width, int height) override;
    void enableMenuItem(int item, bool enabled) override { menuItemEnabled[item] = enabled; }
    void checkMenuItem(int item, bool checked) override { menuItemChecked[item] = checked; }
    void openAddress(const std::string& address) override { openedAddresses.push_back(address); }

    // ---- GadgetShell ----
    // Visibility, enabled state, state (scroll position, spin value).
    std::map<int, bool> gadgetShown;
    std::map<int, bool> gadgetEnabled;
    std::map<int, int> gadgetStates;
    struct ScrollBar {
        int maximum = 0;
        int page = 0;
    };
    std::map<int, ScrollBar> scrollBars;  // a scroll bar's position is its gadget state
    int brushShapeShown = 0;

    void showGadget(int gadget, bool shown) override { gadgetShown[gadget] = shown; }
    void enableGadget(int gadget, bool enabled) override { gadgetEnabled[gadget] = enabled; }
    int gadgetState(int gadget) override { return gadgetStates[gadget]; }
    void setSpinField(int gadget, int value) override { gadgetStates[gadget] = value; }
    void setScrollBar(int gadget, int maximum, int page, int position) override;
    void showBrushShape(int imageNumber) override { brushShapeShown = imageNumber; }

    // ---- FrameStripShell ----
    // The thumbnail gadgets alive, by handle: where they are and what they show.
    struct Thumbnail {
        int x = 0;
        int y = 0;
        std::string tooltip;
        int width = 0;
        int height = 0;
    };
    std::map<GadgetHandle, Thumbnail> thumbnails;
    // Handles count on from above every fixed gadget number, as the window's do.
    GadgetHandle lastHandle = 999;
    int frameStripWidth = 0;
    std::vector<int> frameMarkerMoves;
    std::vector<WaveformBar> waveform;  // the sound track's bars last shown
    int waveformHeight = 0;
    int frameNumbers = 0;  // the columns numbered last
    struct Columns {
        int x = 0;
        int width = 0;
        bool operator==(const Columns&) const = default;
    };
    std::vector<Columns> frameStripShown;  // every ensureFrameVisible
    Columns stripView;                     // what frameStripView answers (width 0: unknown)
    struct Point {
        int x = 0;
        int y = 0;
    };
    std::vector<Point> popupMenus;  // where popup menus were shown
    // Each thumbnail drag runs duringDrag (a test puts the drop there), then ends with the next
    // scripted action (None when the queue is empty).
    int drags = 0;
    std::function<void()> duringDrag;
    std::deque<DropAction> dragAnswers;

    GadgetHandle createThumbnailGadget(const Image& thumbnail, int x, int y,
                                       const std::string& tooltip) override;
    void moveThumbnailGadget(GadgetHandle gadget, int x) override;
    void destroyThumbnailGadget(GadgetHandle gadget) override;
    void setFrameStripWidth(int width) override { frameStripWidth = width; }
    void moveFrameMarker(int x) override { frameMarkerMoves.push_back(x); }
    void showFrameNumbers(int count, int) override { frameNumbers = count; }
    void showWaveform(const std::vector<WaveformBar>& bars, int, int, int height) override {
        waveform = bars;
        waveformHeight = height;
    }
    void ensureFrameVisible(int x, int width) override { frameStripShown.push_back({x, width}); }
    std::pair<int, int> frameStripView() override { return {stripView.x, stripView.width}; }
    void showPopupMenu(int x, int y) override { popupMenus.push_back({x, y}); }
    DropAction dragThumbnail(const Image& thumbnail) override;

    // ---- CanvasShell ----
    int canvasRedraws = 0;  // canvas presentations
    struct Area {
        int left = 0, top = 0, right = 0, bottom = 0;
    };
    Area lastPresented;  // the canvas pixels the last presentation named
    std::vector<int> pauses;

    void presentCanvas(int left, int top, int right, int bottom) override {
        ++canvasRedraws;
        lastPresented = {left, top, right, bottom};
    }
    void pause(int milliseconds) override { pauses.push_back(milliseconds); }
};

}  // namespace morvel::testing

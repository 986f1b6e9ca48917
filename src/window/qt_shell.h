#pragma once

#include <QObject>
#include <QPointer>
#include <chrono>
#include <deque>
#include <functional>
#include <optional>

#include "app/event.h"
#include "platform/shell.h"
#include "window/main_window_widget.h"
#include "window/qt_texts.h"

class QEventLoop;
class QProgressDialog;

namespace morvel {

// The window system of the program, through Qt Widgets: the Shell services and the source of the
// program's events. Input becomes events in a queue that the loop takes with waitEvent(); while
// the loop handles one event, new input waits in the queue. Raw mouse moves and left releases of
// every window of the program are observed application-wide and given in canvas coordinates.
class QtShell : public QObject, public Shell, public EventSource {
public:
    QtShell();
    ~QtShell() override;

    // The canvas buffer that presentCanvas shows (the program state's work image 1).
    void attachCanvas(const Image& canvas) { m_canvasBuffer = &canvas; }

    MainWindowWidget* mainWindow() const { return m_window; }
    // Events waiting to be taken; for tests.
    const std::deque<Event>& pendingEvents() const { return m_queue; }
    void post(const Event& event);
    // Handles a drop of the program's own thumbnail on the frame strip: the drag's source needs
    // its result before the drag returns, so it does not wait in the queue.
    void setOwnDropHandler(std::function<void(const Event&)> handler) {
        m_ownDropHandler = std::move(handler);
    }

    Event waitEvent() override;
    bool waitEventFor(int milliseconds, Event& event) override;
    // While the film plays, every key press and mouse press in the program's windows is also
    // given as an interrupt event (a key without a shortcut raises no other).
    // While the film plays, a key or a click stops it, except in the "Ansicht" menu, which
    // stays open to the user; the other menus are inactive.
    void setPlaying(bool playing);

    // Dialogs
    void showError(const std::string& caption, const std::string& text) override;
    void showMessage(const std::string& caption, const std::string& text) override;
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

    // Progress
    bool showProgress(const ImportStep& step) override;
    void hideProgress() override;

    // MainWindowShell
    bool buildMainWindow(const MainWindowPlan& plan) override;
    void retextMainWindow(const MainWindowPlan& plan) override;
    ScreenRect windowPlace() override;
    std::vector<ScreenRect> screenAreas() override;
    void setWindowTitle(const std::string& title) override;
    void showStatus(StatusPart part, const std::string& status) override;
    ClientSize clientSize() override;
    void setClientSize(int width, int height) override;
    void placeGadget(int gadget, int x, int y, int width, int height) override;
    void enableMenuItem(int item, bool enabled) override;
    void checkMenuItem(int item, bool checked) override;
    void openAddress(const std::string& address) override;

    // GadgetShell
    void showGadget(int gadget, bool shown) override;
    void enableGadget(int gadget, bool enabled) override;
    int gadgetState(int gadget) override;
    void setSpinField(int gadget, int value) override;
    void setScrollBar(int gadget, int maximum, int page, int position) override;
    void showBrushShape(int imageNumber) override;

    // FrameStripShell
    GadgetHandle createThumbnailGadget(const Image& thumbnail, int x, int y,
                                       const std::string& tooltip) override;
    void moveThumbnailGadget(GadgetHandle gadget, int x) override;
    void destroyThumbnailGadget(GadgetHandle gadget) override;
    void setFrameStripWidth(int width) override;
    void showFrameNumbers(int count, int columnWidth) override;
    void moveFrameMarker(int x) override;
    void showWaveform(const std::vector<WaveformBar>& bars, int columnWidth, int top,
                      int height) override;
    void ensureFrameVisible(int x, int width) override;
    std::pair<int, int> frameStripView() override;
    void showPopupMenu(int x, int y) override;
    DropAction dragThumbnail(const Image& thumbnail) override;

    // CanvasShell
    void presentCanvas(int left, int top, int right, int bottom) override;
    void pause(int milliseconds) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The parent of dialogs: the main window once it exists.
    QWidget* dialogParent() const;

    QPointer<MainWindowWidget> m_window;
    const Image* m_canvasBuffer = nullptr;
    std::deque<Event> m_queue;
    QEventLoop* m_waiting = nullptr;
    // Deleted with the main window when that is built anew while the dialog is up.
    QPointer<QProgressDialog> m_progress;
    // When the progress dialog last let the window paint and take input.
    std::chrono::steady_clock::time_point m_progressPainted;
    QtTexts m_qtTexts;  // Qt's own texts in the language in use
    std::function<void(const Event&)> m_ownDropHandler;
    bool m_dragging = false;
    bool m_playing = false;
    std::optional<Event> m_ownDrop;  // the drop of the running thumbnail drag
};

}  // namespace morvel

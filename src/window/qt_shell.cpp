#include "window/qt_shell.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDrag>
#include <QEventLoop>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QProgressBar>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWindow>
#include <utility>

#include "platform/gadgets.h"
#include "platform/text.h"
#include "window/camera_chooser_dialog.h"
#include "window/canvas_widget.h"
#include "window/folder_choice_dialog.h"
#include "window/frame_strip.h"
#include "window/language_chooser.h"
#include "window/pictures.h"
#include "window/save_window_dialog.h"
#include "window/shooting_settings_dialog.h"

namespace morvel {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(ReplaceAll(utf8, "\r\n", "\n"));
}

// "description|pattern|description|pattern" as Qt's name filters "description (pattern)".
QStringList nameFilters(const std::string& filter) {
    const QStringList parts = QString::fromStdString(filter).split('|');
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(';', ' ');
        filters << parts[i] + " (" + patterns + ")";
    }
    return filters;
}

FileChoice runFileDialog(QWidget* parent, const FileRequest& request, bool save) {
    QFileDialog dialog(parent, text(request.title));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    const QStringList filters = nameFilters(request.filter);
    dialog.setNameFilters(filters);
    dialog.setOption(QFileDialog::HideNameFilterDetails);  // descriptions name their patterns
    if (request.filterIndex >= 0 && request.filterIndex < filters.size())
        dialog.selectNameFilter(filters[request.filterIndex]);
    const QString initial = QFile::decodeName(request.initialName.c_str());
    if (!request.folder.empty()) dialog.setDirectory(QFile::decodeName(request.folder.c_str()));
    if (!initial.isEmpty() && !initial.contains('*')) dialog.selectFile(initial);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    FileChoice choice;
    choice.path = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
    // With the details hidden, Qt may give back the filter as shown, without its patterns.
    const QString selected = dialog.selectedNameFilter();
    int index = static_cast<int>(filters.indexOf(selected));
    for (int i = 0; index < 0 && i < filters.size(); ++i)
        if (filters[i].startsWith(selected + " (")) index = i;
    choice.filterIndex = std::max(0, index);
    return choice;
}

}  // namespace

QtShell::QtShell() {
    QApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(this);
    // Until a language is loaded, Qt speaks the desktop's language.
    m_qtTexts.use(QLocale().name());
}

QtShell::~QtShell() {
    qApp->removeEventFilter(this);
    delete m_window.data();
}

void QtShell::post(const Event& event) {
    if (event.kind == EventKind::Drop && event.drop.privateFormat) {
        // Our drag type with no drag of ours running comes from another instance of the
        // program: its payload is not ours to read.
        if (m_dragging) m_ownDrop = event;
        return;
    }
    // Moves that pile up while the program is busy count once, at the latest position.
    // So do turns of the wheel for one action, adding up their notches.
    Event* last = m_queue.empty() ? nullptr : &m_queue.back();
    if (event.kind == EventKind::MouseMove && last && last->kind == EventKind::MouseMove) {
        *last = event;
    } else if (event.kind == EventKind::Wheel && last && last->kind == EventKind::Wheel &&
               last->wheel.action == event.wheel.action) {
        const int steps = last->wheel.steps + event.wheel.steps;
        *last = event;
        last->wheel.steps = steps;
    } else {
        m_queue.push_back(event);
    }
    if (m_waiting) m_waiting->quit();
}

Event QtShell::waitEvent() {
    while (m_queue.empty()) {
        QEventLoop loop;
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
    }
    Event event = m_queue.front();
    m_queue.pop_front();
    return event;
}

bool QtShell::waitEventFor(int milliseconds, Event& event) {
    if (m_queue.empty() && milliseconds > 0) {
        QEventLoop loop;
        QTimer timer;
        timer.setSingleShot(true);
        connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
        timer.start(milliseconds);
        m_waiting = &loop;
        loop.exec();
        m_waiting = nullptr;
    } else if (m_queue.empty()) {
        QCoreApplication::processEvents();
    }
    if (m_queue.empty()) return false;
    event = m_queue.front();
    m_queue.pop_front();
    return true;
}

void QtShell::setPlaying(bool playing) {
    m_playing = playing;
    if (m_window) m_window->setPlaying(playing);
}

bool QtShell::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (m_playing && watched->isWindowType() &&
        (type == QEvent::KeyPress || type == QEvent::MouseButtonPress) &&
        !QApplication::activePopupWidget() && !QApplication::activeModalWidget() &&
        !(type == QEvent::MouseButtonPress && m_window &&
          m_window->onPlayingMenu(static_cast<QMouseEvent*>(event)->globalPosition().toPoint()))) {
        Event interrupt;
        interrupt.kind = EventKind::Interrupt;
        post(interrupt);
        return true;
    }
    // The pointer left the program's windows for another program's: no move of ours reports
    // that, so one is made at the pointer's place (it removes the brush outline).
    if (type == QEvent::Leave && watched->isWindowType() && m_window && m_window->canvas() &&
        !QApplication::activeModalWidget()) {
        const QPoint at = m_window->canvas()->mapFromGlobal(QCursor::pos());
        Event left;
        left.kind = EventKind::MouseMove;
        left.x = at.x();
        left.y = at.y();
        post(left);
        return false;
    }
    if ((type != QEvent::MouseMove && type != QEvent::MouseButtonRelease) ||
        !watched->isWindowType() || !m_window || !m_window->canvas()) {
        return false;
    }
    // A modal dialog has the input: the main window's loop does not take part.
    if (QApplication::activeModalWidget()) return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (type == QEvent::MouseButtonRelease && mouse->button() != Qt::LeftButton) return false;
    const QPoint at = m_window->canvas()->mapFromGlobal(mouse->globalPosition().toPoint());
    Event raw;
    raw.kind = type == QEvent::MouseMove ? EventKind::MouseMove : EventKind::LeftRelease;
    raw.x = at.x();
    raw.y = at.y();
    post(raw);
    return false;
}

QWidget* QtShell::dialogParent() const {
    if (m_window) return m_window;
    return QApplication::activeWindow();
}

void QtShell::showError(const std::string& caption, const std::string& message) {
    QMessageBox box(QMessageBox::Critical, text(caption), text(message), QMessageBox::Ok,
                    dialogParent());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

Answer QtShell::ask(const std::string& title, const std::string& question) {
    QMessageBox box(QMessageBox::Question, text(title), text(question),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, dialogParent());
    box.setWindowModality(Qt::ApplicationModal);
    box.setEscapeButton(QMessageBox::Cancel);
    box.setDefaultButton(QMessageBox::Yes);  // Return answers Yes
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

FileChoice QtShell::requestOpenFile(const FileRequest& request) {
    return runFileDialog(dialogParent(), request, false);
}

FileChoice QtShell::requestSaveFile(const FileRequest& request) {
    return runFileDialog(dialogParent(), request, true);
}

std::string QtShell::chooseLanguage(const std::vector<std::string>& languages,
                                    std::size_t preselected) {
    return RunLanguageChooser(languages, preselected);
}

int QtShell::chooseFolder(const std::string& title, const std::string& text,
                          const std::vector<FolderCandidate>& candidates) {
    return RunFolderChoiceDialog(dialogParent(), title, text, candidates);
}

std::string QtShell::requestFolder(const std::string& title) {
    QFileDialog dialog(dialogParent(), text(title));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    std::string folder = QFile::encodeName(dialog.selectedFiles().first()).toStdString();
    if (!folder.empty() && folder.back() != '/') folder += '/';
    return folder;
}

std::string QtShell::requestText(const std::string& title, const std::string& message,
                                 const std::string& defaultText) {
    QInputDialog dialog(dialogParent());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(text(title));
    dialog.setLabelText(text(message));
    dialog.setTextValue(text(defaultText));
    // The default answer is selected once shown, so that typing replaces it.
    if (auto* line = dialog.findChild<QLineEdit*>())
        QMetaObject::invokeMethod(line, &QLineEdit::selectAll, Qt::QueuedConnection);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue().toStdString();
}

bool QtShell::runSaveWindow(const SaveWindowPlan& plan, SaveWindowFields& fields) {
    return RunSaveWindow(plan, fields, dialogParent());
}

std::string QtShell::chooseCamera(const CameraChooser& chooser) {
    return RunCameraChooser(dialogParent(), chooser);
}

bool QtShell::editShootingSettings(const ShootingSettingsDialog& dialog,
                                   ShootingSettingsFields& fields) {
    return RunShootingSettingsDialog(dialogParent(), dialog, fields);
}

void QtShell::setWindowTitle(const std::string& title) {
    if (m_window) m_window->setWindowTitle(text(title));
}

void QtShell::showStatus(StatusPart part, const std::string& status) {
    if (!m_window) return;
    if (part == StatusPart::Notice) {
        m_window->showNotice(text(status));
    } else {
        m_window->showFrameCounter(text(status));
    }
}

bool QtShell::buildMainWindow(const MainWindowPlan& plan) {
    delete m_window.data();
    m_queue.clear();  // what the old window raised has no gadgets any more
    m_qtTexts.use(QString::fromStdString(plan.locale));
    m_window = new MainWindowWidget(plan, [this](const Event& event) { post(event); });
    m_window->canvas()->setBuffer(m_canvasBuffer);
    m_window->clientArea()->setMinimumSize(300, 350);
    m_window->show();
    return m_window->isVisible();
}

void QtShell::retextMainWindow(const MainWindowPlan& plan) {
    if (!m_window) return;
    m_qtTexts.use(QString::fromStdString(plan.locale));
    m_window->retext(plan);
}

ScreenRect QtShell::windowPlace() {
    if (!m_window) return {};
    // As the plan places it: the outer corner, the height without the status line.
    return {m_window->x(), m_window->y(), m_window->width(),
            m_window->height() - m_window->statusLineHeight()};
}

std::vector<ScreenRect> QtShell::screenAreas() {
    std::vector<ScreenRect> areas;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect area = screen->availableGeometry();
        areas.push_back({area.x(), area.y(), area.width(), area.height()});
    }
    return areas;
}

ClientSize QtShell::clientSize() {
    if (!m_window) return {};
    const QSize size = m_window->clientArea()->size();
    return {size.width(), size.height()};
}

void QtShell::setClientSize(int width, int height) {
    if (!m_window) return;
    m_window->resize(width, height + m_window->menuBar()->height() + m_window->statusLineHeight());
    m_window->clientArea()->resize(width, height);
}

void QtShell::placeGadget(int gadget, int x, int y, int width, int height) {
    if (!m_window) return;
    if (QWidget* widget = m_window->gadget(gadget)) widget->setGeometry(x, y, width, height);
}

void QtShell::openAddress(const std::string& address) {
    const QString url = QString::fromStdString(address);
    if (url.startsWith("file://")) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(url.mid(7)));
    } else {
        QDesktopServices::openUrl(QUrl::fromUserInput(url));
    }
}

void QtShell::showGadget(int gadget, bool shown) {
    if (!m_window) return;
    if (QWidget* widget = m_window->gadget(gadget)) widget->setVisible(shown);
}

void QtShell::enableGadget(int gadget, bool enabled) {
    if (!m_window) return;
    QWidget* widget = m_window->gadget(gadget);
    if (!widget) return;
    widget->setEnabled(enabled);
    // A disabled tool button is the selected tool: it shows pressed.
    if (auto* button = qobject_cast<QToolButton*>(widget)) {
        button->setCheckable(true);
        button->setChecked(!enabled);
    }
}

int QtShell::gadgetState(int gadget) {
    if (!m_window) return 0;
    QWidget* widget = m_window->gadget(gadget);
    if (auto* bar = qobject_cast<QScrollBar*>(widget)) return bar->value();
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) return spin->value();
    return 0;
}

void QtShell::setSpinField(int gadget, int value) {
    if (!m_window) return;
    auto* spin = qobject_cast<QSpinBox*>(m_window->gadget(gadget));
    if (!spin) return;
    const QSignalBlocker quiet(spin);  // the program set it: the core has taken the value
    spin->setValue(value);
}

void QtShell::setScrollBar(int gadget, int maximum, int page, int position) {
    if (!m_window) return;
    auto* bar = qobject_cast<QScrollBar*>(m_window->gadget(gadget));
    if (!bar) return;
    const QSignalBlocker quiet(bar);  // the program moved it, not the user
    bar->setRange(0, page >= maximum ? 0 : maximum - page);
    bar->setPageStep(std::max(page, 1));
    bar->setValue(position);
}

void QtShell::showBrushShape(int imageNumber) {
    if (!m_window) return;
    if (auto* label = qobject_cast<QLabel*>(m_window->gadget(+Gadget::BrushShape)))
        label->setPixmap(DrawPicture(imageNumber == kSquareBrushImage ? Picture::SquareBrush
                                                                      : Picture::RoundBrush));
}

void QtShell::presentCanvas(int left, int top, int right, int bottom) {
    if (m_window) m_window->canvas()->present(left, top, right, bottom);
}

void QtShell::pause(int milliseconds) {
    // Let the canvas paint what was presented; input waits for the loop.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    if (milliseconds > 0) QThread::msleep(static_cast<unsigned long>(milliseconds));
}

GadgetHandle QtShell::createThumbnailGadget(const Image& thumbnail, int x, int y,
                                            const std::string& tooltip) {
    if (!m_window) return 0;
    return m_window->frameStrip()->createThumbnail(thumbnail, x, y, text(tooltip));
}

void QtShell::moveThumbnailGadget(GadgetHandle gadget, int x) {
    if (m_window) m_window->frameStrip()->moveThumbnail(gadget, x);
}

void QtShell::destroyThumbnailGadget(GadgetHandle gadget) {
    if (m_window) m_window->frameStrip()->destroyThumbnail(gadget);
}

void QtShell::setFrameStripWidth(int width) {
    if (m_window) m_window->frameStrip()->setContentWidth(width);
}

void QtShell::showFrameNumbers(int count, int columnWidth) {
    if (m_window) m_window->frameStrip()->setFrameNumbers(count, columnWidth);
}

void QtShell::moveFrameMarker(int x) {
    if (m_window) m_window->frameStrip()->moveMarker(x);
}

void QtShell::showWaveform(const std::vector<WaveformBar>& bars, int columnWidth, int top,
                           int height) {
    if (m_window) m_window->frameStrip()->setWaveform(bars, columnWidth, top, height);
}

void QtShell::ensureFrameVisible(int x, int width) {
    if (m_window) m_window->frameStrip()->showColumns(x, width);
}

std::pair<int, int> QtShell::frameStripView() {
    if (!m_window) return {0, 0};
    const FrameStrip* strip = m_window->frameStrip();
    return {strip->horizontalScrollBar()->value(), strip->viewport()->width()};
}

void QtShell::enableMenuItem(int item, bool enabled) {
    if (!m_window) return;
    if (QAction* action = m_window->menuItem(item)) action->setEnabled(enabled);
}

void QtShell::checkMenuItem(int item, bool checked) {
    if (!m_window) return;
    if (QAction* action = m_window->menuItem(item)) action->setChecked(checked);
}

void QtShell::showMessage(const std::string& caption, const std::string& message) {
    QMessageBox box(QMessageBox::NoIcon, text(caption), text(message), QMessageBox::Ok,
                    dialogParent());
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void QtShell::showPopupMenu(int x, int y) {
    // The chosen item reaches the loop later as a menu event, like a choice from the menu bar.
    if (m_window && m_window->popupMenu()) m_window->popupMenu()->popup(QPoint(x, y));
}

DropAction QtShell::dragThumbnail(const Image& thumbnail) {
    // The drag start waited in the queue: when the button is up by now, there is no drag.
    if (!m_window || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return DropAction::None;
    // Qt deletes the drag when the window system's drop transaction has ended.
    auto* drag = new QDrag(m_window->frameStrip());
    auto* data = new QMimeData;
    data->setData(kLayerDragMimeType, {});
    drag->setMimeData(data);
    if (!thumbnail.empty()) {
        const QImage picture(thumbnail.data(), thumbnail.width(), thumbnail.height(),
                             static_cast<qsizetype>(thumbnail.stride()), QImage::Format_RGB888);
        drag->setPixmap(QPixmap::fromImage(picture.copy()));
    }
    m_dragging = true;
    m_ownDrop.reset();
    const Qt::DropAction done = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
    m_dragging = false;
    // The drop on the strip is handled once the window system's drag has ended, before the
    // source learns what it did.
    const std::optional<Event> drop = std::exchange(m_ownDrop, std::nullopt);
    if (!drop) return DropAction::None;  // dropped elsewhere (another program): nothing
    if (m_ownDropHandler) m_ownDropHandler(*drop);
    switch (done) {
        case Qt::CopyAction:
            return DropAction::Copy;
        case Qt::MoveAction:
            return DropAction::Move;
        default:
            return DropAction::None;
    }
}

bool QtShell::showProgress(const ImportStep& step) {
    // Painting costs what the window holds, not what the step did: a few times a second is
    // enough for the eye and for the cancel button, however many files go by.
    constexpr auto kPaintInterval = std::chrono::milliseconds(100);
    const auto now = std::chrono::steady_clock::now();
    const bool first = !m_progress;
    if (!m_progress) {
        m_progress = new QProgressDialog(dialogParent());
        m_progress->setWindowModality(Qt::ApplicationModal);
        m_progress->setMinimumDuration(0);
        m_progress->setAutoClose(false);
        m_progress->setAutoReset(false);
        m_progress->setWindowTitle("Morvel");
        if (step.cancellable)
            m_progress->setCancelButtonText(text(step.cancel));
        else
            m_progress->setCancelButton(nullptr);
    }
    if (step.cancellable && m_progress->wasCanceled()) return false;
    // Item k begins: k - 1 are done. Shown without waiting (the caller waited already).
    const int done = std::clamp(step.k - 1, 0, std::max(step.n, 1));
    if (!first && m_progress->isVisible() && step.k < step.n &&
        m_progress->maximum() == std::max(step.n, 1) && now - m_progressPainted < kPaintInterval) {
        // The dialog's own setValue lets the window paint; its bar alone does not. The label
        // waits for the next painting.
        if (auto* bar = m_progress->findChild<QProgressBar*>()) bar->setValue(done);
        return true;
    }
    m_progress->setMaximum(std::max(step.n, 1));
    m_progress->setLabelText(text(step.label));
    m_progress->setValue(done);
    if (!m_progress->isVisible()) m_progress->show();
    // Paint it and take a press of its cancel button; the rest of the window takes no input.
    QApplication::processEvents();
    m_progressPainted = std::chrono::steady_clock::now();
    return !step.cancellable || (m_progress && !m_progress->wasCanceled());
}

void QtShell::hideProgress() {
    delete m_progress.data();
}

}  // namespace morvel

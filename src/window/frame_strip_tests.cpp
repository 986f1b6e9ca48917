#include "window/frame_strip.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QMenuBar>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QUrl>

#include "app/dispatch.h"
#include "app/main_window.h"
#include "editor/frame_selection.h"
#include "i18n/load_language.h"
#include "platform/gadgets.h"
#include "codecs/picture_io.h"
#include "platform/files.h"
#include "project/project_file.h"
#include "session/project_lifecycle.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"
#include "window/qt_shell.h"

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "frame_strip_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // outlives Qt's own objects
    return *app;
}

struct WithApplication {
    WithApplication() { application(); }
};

// The real window's frame strip wired to the program's dispatch, as the program runs it.
class FrameStripWindow : public ::testing::Test, WithApplication {
protected:
    void SetUp() override {
        state.services.redrawPause = 0;
        shell.attachCanvas(state.view.canvas);
        ASSERT_TRUE(BuildMainWindow(state));
        QApplication::processEvents();
        strip = shell.mainWindow()->frameStrip();
        run();
    }
    // Dispatches every event waiting in the shell's queue.
    void run() {
        while (!shell.pendingEvents().empty()) Dispatch(state, shell.waitEvent());
    }
    std::string picture(const std::string& name) {
        const std::string path = work.file(name);
        SavePictureFile(testing::GradientPicture(64, 48, 1), path, PictureFormat::Png);
        return path;
    }
    // Files dropped on the strip's viewport at (x, y), as the window system delivers them.
    void dropUrls(const QList<QUrl>& urls, QPoint at) {
        QMimeData data;
        data.setUrls(urls);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip->viewport(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(strip->viewport(), &drop);
        run();
    }
    QWidget* thumbnailOf(int frame, int layer) {
        return strip->thumbnail(
            state.view.thumbnails.gadget(state.document.frames.at(frame).id, layer));
    }

    testing::TempFolder program;
    testing::TempFolder work;
    QtShell shell;
    Program state{shell, work.path(), program.path()};
    FrameStrip* strip = nullptr;
};

TEST_F(FrameStripWindow, DroppedFilesReachTheLayerOfTheirRowAtTheScrolledColumn) {
    QList<QUrl> upper;
    for (int i = 0; i < 30; ++i)
        upper << QUrl::fromLocalFile(
            QString::fromStdString(picture(std::to_string(100 + i) + ".png")));
    // Non-file addresses are left out; the files around them still arrive.
    upper.insert(3, QUrl("https://example.org/x.png"));
    dropUrls(upper, QPoint(5, 47));
    ASSERT_EQ(state.document.frames.size(), 30);
    EXPECT_EQ(state.document.frames.at(3).layerSource[0], work.file("103.png"));
    for (int i = 0; i < 30; ++i) EXPECT_TRUE(state.document.frames.at(i).layerSource[1].empty());
    ASSERT_NE(thumbnailOf(29, 0), nullptr);

    // Scrolled to the end, a drop at x 5 of the lower row lands in the first visible column.
    QScrollBar* bar = strip->horizontalScrollBar();
    bar->setValue(bar->maximum());
    ASSERT_GT(bar->value(), kFrameColumnWidth);
    const int column = (5 + bar->value()) / kFrameColumnWidth;
    ASSERT_LT(column, 30);
    dropUrls({QUrl::fromLocalFile(QString::fromStdString(picture("lower.png"))),
              QUrl("file://otherhost/x.png")},
             QPoint(5, 48));
    ASSERT_EQ(state.document.frames.size(), 30);
    for (int i = 0; i < 30; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(state.document.frames.at(i).layerSource[1].empty(), i != column);
    }
    EXPECT_EQ(state.document.frames.at(column).layerSource[1], work.file("lower.png"));
    ASSERT_NE(thumbnailOf(column, 1), nullptr);
    EXPECT_GE(thumbnailOf(column, 1)->y(), 48);
    EXPECT_LT(thumbnailOf(column, 0)->y() + thumbnailOf(column, 0)->height(), 48);
}

TEST_F(FrameStripWindow, KeysAndThePopupMenuActOnTheRowOfTheLastClick) {
    dropUrls({QUrl::fromLocalFile(QString::fromStdString(picture("a.png"))),
              QUrl::fromLocalFile(QString::fromStdString(picture("b.png")))},
             QPoint(0, 60));
    ASSERT_EQ(state.document.frames.size(), 2);
    // A left click on the second lower thumbnail: Ctrl+R repeats it into a new last frame,
    // Ctrl+Delete removes that frame again, and then the lower layer of the second frame.
    QWidget& window = *shell.mainWindow();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    QTest::mouseClick(thumbnailOf(1, 1), Qt::LeftButton, {}, QPoint(5, 5));
    run();
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), 1);
    QTest::keyClick(&window, Qt::Key_R, Qt::ControlModifier);
    run();
    ASSERT_EQ(state.document.frames.size(), 3);
    EXPECT_EQ(state.document.frames.at(2).layerSource[1], work.file("b.png"));
    QTest::keyClick(&window, Qt::Key_Delete, Qt::ControlModifier);
    run();
    ASSERT_EQ(state.document.frames.size(), 2);
    SelectFrame(state.document, state.session, state.view, state.services, 1);
    QTest::keyClick(&window, Qt::Key_Delete, Qt::ControlModifier);
    run();
    ASSERT_EQ(state.document.frames.size(), 1);
    EXPECT_EQ(state.document.frames.at(0).layerSource[1], work.file("a.png"));
    // The deleted thumbnails go once control is back in the loop.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(strip->widget()->findChildren<QLabel*>().size(), 2u);  // thumbnail and marker

    // The popup menu opens on the release of the right button, where the pointer is.
    dropUrls({QUrl::fromLocalFile(QString::fromStdString(picture("c.png")))}, QPoint(70, 10));
    ASSERT_EQ(state.document.frames.size(), 2);
    QWidget* upper = thumbnailOf(1, 0);
    ASSERT_NE(upper, nullptr);
    QTest::mousePress(upper, Qt::RightButton, {}, QPoint(10, 10));
    run();
    QMenu* menu = shell.mainWindow()->popupMenu();
    EXPECT_FALSE(menu->isVisible());
    QTest::mouseRelease(upper, Qt::RightButton, {}, QPoint(10, 10));
    run();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_LE((menu->pos() - upper->mapToGlobal(QPoint(10, 10))).manhattanLength(), 2);
    EXPECT_EQ(state.document.frames.indexOfId(state.session.cache.displayedId), 1);
    menu->actions()[1]->trigger();
    menu->hide();
    ASSERT_EQ(shell.pendingEvents().size(), 1u);
    EXPECT_EQ(shell.pendingEvents().front().menuItem, 12);
    run();
    ASSERT_EQ(state.document.frames.size(), 3);
    EXPECT_EQ(state.document.frames.at(2).layerSource[0], work.file("c.png"));
    menu->actions()[0]->trigger();
    EXPECT_EQ(shell.pendingEvents().front().menuItem, 11);
    run();
    EXPECT_EQ(state.document.frames.size(), 2);
}

TEST_F(FrameStripWindow, OurDragTypeCountsOnlyDuringOurDrag) {
    dropUrls({QUrl::fromLocalFile(QString::fromStdString(picture("a.png")))}, QPoint(0, 10));
    // Another instance's thumbnail: our type without a drag of ours adds nothing.
    state.view.dragPayload = work.file("a.png");
    QMimeData own;
    own.setData(kLayerDragMimeType, {});
    QDragEnterEvent enter(QPoint(100, 10), Qt::MoveAction, &own, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(100, 10), Qt::MoveAction, &own, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip->viewport(), &drop);
    EXPECT_TRUE(shell.pendingEvents().empty());
    EXPECT_EQ(state.document.frames.size(), 1);
    // A drag start that waited until the button was up drags nothing.
    EXPECT_EQ(shell.dragThumbnail(Image()), DropAction::None);
}

TEST_F(FrameStripWindow, TheProgressDialogCancelsAndSurvivesTheWindowsRebuild) {
    ImportStep step{ImportStep::Unit::File, 1, 4, "/takes/a.png"};
    step.label = "File 1 of 4: /takes/a.png";
    step.cancel = "Cancel";
    EXPECT_TRUE(shell.showProgress(step));
    auto* dialog = shell.mainWindow()->findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(dialog->labelText(), "File 1 of 4: /takes/a.png");  // as the core made it
    EXPECT_EQ(dialog->findChild<QPushButton*>()->text(), "Cancel");
    step.k = 2;
    EXPECT_TRUE(shell.showProgress(step));
    EXPECT_EQ(dialog->value(), 1);
    dialog->findChild<QPushButton*>()->click();
    step.k = 3;
    EXPECT_FALSE(shell.showProgress(step));
    shell.hideProgress();
    EXPECT_EQ(shell.mainWindow()->findChild<QProgressDialog*>(), nullptr);

    // A dialog still up when the window is built anew goes with the old window, once.
    EXPECT_TRUE(shell.showProgress(step));
    ASSERT_TRUE(BuildMainWindow(state));
    shell.hideProgress();
    EXPECT_TRUE(shell.showProgress(step));
    shell.hideProgress();

    // While a project opens there is no cancel button, and closing the dialog stops nothing.
    step.cancellable = false;
    EXPECT_TRUE(shell.showProgress(step));
    dialog = shell.mainWindow()->findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->findChild<QPushButton*>(), nullptr);
    dialog->cancel();
    EXPECT_TRUE(shell.showProgress(step));
    EXPECT_TRUE(dialog->isVisible());
    shell.hideProgress();
}

// Opening a long film costs the strip what is on screen: widgets for the visible columns only,
// and each painted about once, however many pictures the progress dialog counts through.
TEST_F(FrameStripWindow, OpeningALongFilmPaintsOnlyTheVisibleThumbnails) {
    constexpr int kFrames = 400;
    const std::string a = picture("a.png"), b = picture("b.png");
    std::vector<ProjectFileFrame> entries(kFrames);
    for (ProjectFileFrame& entry : entries) {
        entry.layerSource[0] = a;
        entry.layerSource[1] = b;
    }
    const std::string path = work.file("Long.mvl");
    WriteFileBytes(path, SerializeProjectFile(ProjectHeader{}, entries));
    struct PaintCounter : QObject {
        QWidget* strip = nullptr;
        int paints = 0;
        bool eventFilter(QObject* object, QEvent* event) override {
            auto* widget = qobject_cast<QWidget*>(object);
            if (event->type() == QEvent::Paint && widget && strip->isAncestorOf(widget)) ++paints;
            return false;
        }
    } counter;
    counter.strip = strip;
    qApp->installEventFilter(&counter);
    state.services.progressDelay = 0;  // the dialog from the first picture on
    OpenProject(state.document, state.session, state.view, state.services, path);
    QApplication::processEvents();
    qApp->removeEventFilter(&counter);
    ASSERT_EQ(state.document.frames.size(), kFrames);
    // A screen's width either side of the visible columns, two rows.
    const int near = 2 * (3 * std::max(strip->viewport()->width(), 1000) / kFrameColumnWidth + 2);
    EXPECT_LE(strip->thumbnailWidgets(), near);
    EXPECT_LE(counter.paints, 2 * near);
    // Scrolled to the end, the last frames have their widgets and the first ones none.
    strip->horizontalScrollBar()->setValue(strip->horizontalScrollBar()->maximum());
    // The thumbnails after the first screen are made afterwards and attached between events.
    for (int turn = 0; turn < 6000 && ThumbnailsBeingMade(state.view); ++turn) {
        QApplication::processEvents();
        AttachMadeThumbnails(state.document, state.session, state.view, state.services);
        QTest::qWait(5);
    }
    EXPECT_FALSE(ThumbnailsBeingMade(state.view));
    QApplication::processEvents();
    EXPECT_LE(strip->thumbnailWidgets(), near);
    const auto widgetOf = [&](int frame) {
        for (QLabel* label : strip->widget()->findChildren<QLabel*>())
            if (!label->isHidden() && label->x() == frame * kFrameColumnWidth + kThumbnailLeft)
                return true;
        return false;
    };
    EXPECT_TRUE(widgetOf(kFrames - 1));
    EXPECT_FALSE(widgetOf(0));
}

// The numbers under the thumbnails are made near the visible columns only and follow a delete.
TEST_F(FrameStripWindow, FrameNumbersFollowTheVisibleColumnsAndADelete) {
    constexpr int kFrames = 300;
    const std::string a = picture("a.png");
    std::vector<ProjectFileFrame> entries(kFrames);
    for (ProjectFileFrame& entry : entries) entry.layerSource[0] = a;
    const std::string path = work.file("Numbered.mvl");
    WriteFileBytes(path, SerializeProjectFile(ProjectHeader{}, entries));
    OpenProject(state.document, state.session, state.view, state.services, path);
    QApplication::processEvents();
    const int near = 3 * std::max(strip->viewport()->width(), 1000) / kFrameColumnWidth + 2;
    EXPECT_LE(strip->frameNumberWidgets(), near);
    ASSERT_NE(strip->frameNumber(0), nullptr);
    EXPECT_EQ(strip->frameNumberText(0), "1");
    EXPECT_EQ(strip->frameNumber(0)->x(), kThumbnailLeft + 1);

    strip->horizontalScrollBar()->setValue(strip->horizontalScrollBar()->maximum());
    EXPECT_EQ(strip->frameNumber(0), nullptr);
    EXPECT_EQ(strip->frameNumberText(kFrames - 1), QString::number(kFrames));
    SelectFrame(state.document, state.session, state.view, state.services, kFrames - 2);
    Dispatch(state, [] {
        Event event;
        event.kind = EventKind::Menu;
        event.menuItem = +MenuItem::DeleteFrame;
        return event;
    }());
    QApplication::processEvents();
    ASSERT_EQ(state.document.frames.size(), kFrames - 1);
    EXPECT_EQ(strip->frameNumber(kFrames - 1), nullptr);
    EXPECT_EQ(strip->frameNumberText(kFrames - 2), QString::number(kFrames - 1));
}

// Another language changes the window's texts in place: the window, its thumbnails and the
// tool bar's values stay.
TEST_F(FrameStripWindow, TheLanguageChangesInPlace) {
    program.write("English.language", "[MainMenu]\nproject = &Project\n[Settings]\nzoomfit = Fit\n");
    program.write("Deutsch.language", "");
    LoadLanguage(state.services.language, shell, program.path(), "Deutsch");
    RetextMainWindow(state);
    dropUrls({QUrl::fromLocalFile(QString::fromStdString(picture("one.png")))}, QPoint(5, 47));
    MainWindowWidget* window = shell.mainWindow();
    auto* size = qobject_cast<QSpinBox*>(window->gadget(+Gadget::BrushSize));
    size->setValue(33);
    run();
    const QWidget* thumbnail = thumbnailOf(0, 0);
    const QRect place = window->geometry();
    const QPoint marker = strip->marker()->pos();

    const auto& available = state.services.language.available;
    const int english = static_cast<int>(
        std::find(available.begin(), available.end(), "English") - available.begin());
    Dispatch(state, [&] {
        Event event;
        event.kind = EventKind::Menu;
        event.menuItem = +MenuItem::FirstLanguage + english;
        return event;
    }());
    QApplication::processEvents();
    EXPECT_EQ(shell.mainWindow(), window);
    EXPECT_EQ(window->geometry(), place);
    EXPECT_EQ(window->menuBar()->actions().first()->text(), "&Project");
    EXPECT_EQ(qobject_cast<QPushButton*>(window->gadget(+Gadget::ZoomFit))->text(), "Fit");
    EXPECT_EQ(size->value(), 33);
    EXPECT_EQ(thumbnailOf(0, 0), thumbnail);
    EXPECT_EQ(strip->marker()->pos(), marker);
    EXPECT_EQ(state.document.frames.size(), 1);
    // The menus made anew still raise their items.
    ASSERT_NE(window->menuItem(+MenuItem::Open), nullptr);
    window->menuItem(+MenuItem::Open)->trigger();
    ASSERT_FALSE(shell.pendingEvents().empty());
    EXPECT_EQ(shell.pendingEvents().back().menuItem, +MenuItem::Open);
}

}  // namespace
}  // namespace morvel

#include "window/qt_shell.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QApplication>
#include <QFileDialog>
#include <QFile>
#include <QLibraryInfo>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <QWindow>

#include "app/main_window.h"
#include "codecs/picture_io.h"
#include "export/image_sequence.h"
#include "i18n/load_language.h"
#include "platform/files.h"
#include "platform/gadgets.h"
#include "sequence/film.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"
#include "window/canvas_widget.h"
#include "window/frame_strip.h"
#include "window/pictures.h"

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "qt_shell_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: Qt's own objects that outlive main() expect the application to stay.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Comes first among the bases, so that the application exists before the shell.
struct WithApplication {
    WithApplication() { application(); }
};

class QtShellTest : public ::testing::Test, WithApplication {
protected:
    void SetUp() override {
        state.services.redrawPause = 0;
        shell.attachCanvas(state.view.canvas);
    }
    MainWindowWidget& build() {
        EXPECT_TRUE(BuildMainWindow(state));
        return *shell.mainWindow();
    }
    // The events raised so far, taken from the queue.
    std::vector<Event> takeEvents() {
        std::vector<Event> events;
        while (!shell.pendingEvents().empty()) events.push_back(shell.waitEvent());
        return events;
    }
    std::vector<int> menuEvents() {
        std::vector<int> items;
        for (const Event& e : takeEvents())
            if (e.kind == EventKind::Menu) items.push_back(e.menuItem);
        return items;
    }

    testing::TempFolder program;
    testing::TempFolder work;
    QtShell shell;
    Program state{shell, work.path(), program.path()};
};

TEST_F(QtShellTest, QtsOwnTextsFollowTheLanguageOfTheMainWindow) {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_fr.qm"))
        GTEST_SKIP() << "Qt's translations (qt6-translations-l10n) are not installed";
    const auto cancel = [] { return QCoreApplication::translate("QPlatformTheme", "Cancel"); };
    MainWindowPlan plan = MainWindowPlanFor(state);
    plan.locale = "fr";
    ASSERT_TRUE(shell.buildMainWindow(plan));
    EXPECT_EQ(cancel(), "Annuler");
    plan.locale = "en";  // no translation: Qt's own English
    ASSERT_TRUE(shell.buildMainWindow(plan));
    EXPECT_EQ(cancel(), "Cancel");
}

TEST_F(QtShellTest, BuildsEveryGadgetWithItsNumberPlaceAndTooltip) {
    MainWindowWidget& window = build();
    const MainWindowPlan plan = MainWindowPlanFor(state);
    const ClientSize client = shell.clientSize();
    EXPECT_EQ(client.width, 680);
    EXPECT_EQ(client.height + window.menuBar()->height(), 620);
    for (const GadgetPlan& g : plan.gadgets) {
        SCOPED_TRACE(g.number);
        if (g.kind == GadgetKind::StripRow) continue;  // painted by the strip
        QWidget* widget = window.gadget(g.number);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->property(MainWindowWidget::kGadgetProperty).toInt(), g.number);
        EXPECT_EQ(widget->toolTip().toStdString(), g.tooltip);
        const bool laidOut =
            g.number == 1 || g.number == 2 || g.number == 3 || g.number == 4 || g.number == 8;
        if (!laidOut && g.kind != GadgetKind::Picture && g.kind != GadgetKind::ClickablePicture) {
            EXPECT_EQ(widget->geometry(), QRect(g.x, g.y, g.width, g.height));
        }
    }
    const int cw = client.width - 55, ch = client.height - 180;
    EXPECT_EQ(window.gadget(+Gadget::Canvas)->geometry(), QRect(35, 30, cw, ch));
    EXPECT_EQ(window.gadget(+Gadget::VerticalScrollBar)->geometry(), QRect(cw + 35, 30, 15, ch));
    EXPECT_EQ(window.gadget(+Gadget::HorizontalScrollBar)->geometry(), QRect(35, ch + 30, cw, 15));
    EXPECT_EQ(window.gadget(+Gadget::FrameStrip)->geometry(),
              QRect(35, client.height - 125, client.width - 40, 120));
    EXPECT_EQ(window.gadget(+Gadget::LayerRowsPicture)->geometry(),
              QRect(5, client.height - 123, 27, 97));
    EXPECT_EQ(window.gadget(+Gadget::BrushShape)->size(), QSize(19, 19));
    EXPECT_EQ(window.gadget(+Gadget::FrameMarker)->size(), QSize(66, 97));
    EXPECT_EQ(qobject_cast<QPushButton*>(window.gadget(+Gadget::ZoomFit))->text(), "Ganzes Bild");
    auto* size = qobject_cast<QSpinBox*>(window.gadget(+Gadget::BrushSize));
    EXPECT_EQ(std::tuple(size->minimum(), size->maximum(), size->value()), std::tuple(1, 150, 10));
    // The eraser is selected: its button disabled, the zoom buttons hidden.
    EXPECT_FALSE(window.gadget(+Gadget::Eraser)->isEnabled());
    EXPECT_TRUE(window.gadget(+Gadget::ZoomTool)->isEnabled());
    EXPECT_TRUE(window.gadget(+Gadget::ZoomIn)->isHidden());
    EXPECT_FALSE(window.gadget(+Gadget::Transparency)->isHidden());
}

TEST_F(QtShellTest, MenusCarryTheirLabelsAndShortcutsRaiseMenuEvents) {
    program.write("English.language", "[MainMenu]\nproject = &Project\nnew = New\tCtrl+N\n");
    LoadLanguage(state.services.language, shell, program.path(), "English");
    MainWindowWidget& window = build();
    const QList<QAction*> titles = window.menuBar()->actions();
    ASSERT_EQ(titles.size(), 6);
    EXPECT_EQ(titles[0]->text(), "&Project");
    EXPECT_EQ(titles[3]->text(), "&Aufnahme");
    const QList<QAction*> project = titles[0]->menu()->actions();
    EXPECT_EQ(project[0]->text(), "New\tCtrl+N");
    EXPECT_EQ(project[0]->data().toInt(), 1);
    const QList<QAction*> viewItems = titles[2]->menu()->actions();
    // three playback items and the sound's mute, a separator, four views
    ASSERT_EQ(viewItems.size(), 9);
    EXPECT_EQ(titles[2]->text(), "&Ansicht");
    EXPECT_EQ(viewItems[0]->text(), "Abspielen\tLeertaste");
    EXPECT_EQ(viewItems[1]->data().toInt(), +MenuItem::PlaybackRate);
    EXPECT_EQ(viewItems[2]->text(), "Zwiebelhaut\tO");
    EXPECT_TRUE(viewItems[2]->isCheckable());
    EXPECT_EQ(viewItems[3]->text(), "Ton aus\tS");
    EXPECT_TRUE(viewItems[3]->isCheckable());
    EXPECT_TRUE(viewItems[4]->isSeparator());
    QAction* language = titles[4]->menu()->actions()[0]->menu()->actions()[0];
    EXPECT_EQ(language->text(), "English");
    EXPECT_EQ(language->data().toInt(), 1001);
    EXPECT_TRUE(language->isChecked());
    ASSERT_NE(window.popupMenu(), nullptr);
    EXPECT_EQ(window.popupMenu()->actions()[1]->text(), "Wiederholen\tStrg+R");

    takeEvents();
    project[0]->trigger();
    language->trigger();
    EXPECT_EQ(menuEvents(), (std::vector<int>{1, 1001}));

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    takeEvents();
    for (Qt::Key key : {Qt::Key_N, Qt::Key_O, Qt::Key_S, Qt::Key_Delete, Qt::Key_R})
        QTest::keyClick(&window, key, Qt::ControlModifier);
    EXPECT_EQ(menuEvents(), (std::vector<int>{1, 2, 3, 11, 12}));

    // The close box is an event; the window stays until the program closes it.
    window.close();
    const std::vector<Event> events = takeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Close);
    EXPECT_TRUE(window.isVisible());
}

// While the film plays only "Ansicht" can be opened; a key, or a click elsewhere, stops it.
TEST_F(QtShellTest, WhilePlayingOnlyTheViewMenuOpensAndAKeyOrClickInterrupts) {
    MainWindowWidget& window = build();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QList<QAction*> titles = window.menuBar()->actions();
    const auto interrupts = [&] {
        int count = 0;
        for (const Event& event : takeEvents()) count += event.kind == EventKind::Interrupt;
        return count;
    };
    shell.setPlaying(true);
    for (int k = 0; k < titles.size(); ++k) EXPECT_EQ(titles[k]->isEnabled(), k == 2) << k;
    takeEvents();
    // Through the window system's window, as real input comes.
    QWindow* handle = window.windowHandle();
    QTest::keyClick(handle, Qt::Key_A);
    EXPECT_EQ(interrupts(), 1);
    const QRect view = window.menuBar()->actionGeometry(titles[2]);
    QTest::mouseClick(handle, Qt::LeftButton, {}, window.menuBar()->mapTo(&window, view.center()));
    EXPECT_EQ(interrupts(), 0);
    if (QWidget* open = QApplication::activePopupWidget()) open->close();
    QTest::mouseClick(handle, Qt::LeftButton, {}, window.canvas()->mapTo(&window, QPoint(5, 5)));
    EXPECT_EQ(interrupts(), 1);
    shell.setPlaying(false);
    for (QAction* title : titles) EXPECT_TRUE(title->isEnabled());
}

TEST_F(QtShellTest, EditMenuItemsFollowTheCoreAndKeysSpareTheSpinFields) {
    MainWindowWidget& window = build();
    const QList<QAction*> titles = window.menuBar()->actions();
    ASSERT_EQ(titles.size(), 6);
    EXPECT_EQ(titles[1]->text(), "&Bearbeiten");
    const QList<QAction*> edit = titles[1]->menu()->actions();
    // And a separator, the whole-frame items, a separator, the carried masks' items.
    ASSERT_EQ(edit.size(), 9);
    EXPECT_EQ(edit[7]->text(), "Maske übernehmen\tStrg+M");
    EXPECT_EQ(edit[8]->text(), "Masken weiterführen ...");
    EXPECT_EQ(edit[0]->text(), "Rückgängig\tStrg+Z");
    EXPECT_EQ(edit[1]->text(), "Wiederherstellen\tStrg+Y");
    EXPECT_FALSE(edit[0]->isEnabled());
    EXPECT_FALSE(edit[1]->isEnabled());
    shell.enableMenuItem(+MenuItem::Undo, true);
    EXPECT_TRUE(edit[0]->isEnabled());
    EXPECT_FALSE(edit[1]->isEnabled());

    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.canvas()->setFocus();
    takeEvents();
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&window, Qt::Key_Y, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_Delete, Qt::ShiftModifier);
    QTest::keyClick(&window, Qt::Key_D, Qt::ControlModifier);
    QTest::keyClick(&window, Qt::Key_I, Qt::ControlModifier);
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_Space, Qt::Key_1,
                        Qt::Key_2, Qt::Key_3, Qt::Key_M, Qt::Key_O, Qt::Key_L, Qt::Key_Return,
                        Qt::Key_K, Qt::Key_D})
        QTest::keyClick(&window, key);
    QTest::keyClick(&window, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(menuEvents(), (std::vector<int>{13, 14, 14, 26, 27, 28, 15, 16, 17, 18, 19, 22, 23,
                                              24, 25, 21, 36, 42, 39, 41, 43}));
    // The view items carry check marks that follow the core.
    const QList<QAction*> view = titles[2]->menu()->actions();
    EXPECT_TRUE(view.back()->isCheckable());
    EXPECT_FALSE(view.back()->isChecked());
    shell.checkMenuItem(+MenuItem::ShowMask, true);
    EXPECT_TRUE(view.back()->isChecked());
    // While a spin field is being typed in, the keys move its cursor instead.
    QWidget* size = window.gadget(+Gadget::BrushSize);
    size->setFocus();
    ASSERT_TRUE(size->hasFocus());
    for (Qt::Key key :
         {Qt::Key_Left, Qt::Key_Right, Qt::Key_Home, Qt::Key_End, Qt::Key_Space, Qt::Key_1, Qt::Key_M, Qt::Key_O,
          Qt::Key_L})
        QTest::keyClick(QApplication::focusWidget(), key);
    EXPECT_TRUE(menuEvents().empty());
    // A click on the canvas gives the keys back to the window.
    QTest::mouseClick(window.canvas(), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(window.canvas()->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Right);
    EXPECT_EQ(menuEvents(), (std::vector<int>{16}));
}

TEST_F(QtShellTest, WheelNotchesBecomeWheelEventsAndTheStripShowsAColumn) {
    MainWindowWidget& window = build();
    QApplication::processEvents();
    takeEvents();
    CanvasWidget* canvas = window.canvas();
    const auto turn = [&](QPoint angle, Qt::KeyboardModifiers keys) {
        QWheelEvent wheel(QPointF(30, 40), canvas->mapToGlobal(QPointF(30, 40)), QPoint(), angle,
                          Qt::NoButton, keys, Qt::NoScrollPhase, false);
        QApplication::sendEvent(canvas, &wheel);
    };
    const auto wheels = [&] {
        std::vector<std::pair<WheelAction, int>> got;
        for (const Event& e : takeEvents()) {
            if (e.kind != EventKind::Wheel) continue;
            EXPECT_EQ(QPoint(e.x, e.y), QPoint(30, 40));
            got.emplace_back(e.wheel.action, e.wheel.steps);
        }
        return got;
    };
    using W = std::vector<std::pair<WheelAction, int>>;
    turn({0, 120}, Qt::NoModifier);
    EXPECT_EQ(wheels(), (W{{WheelAction::ScrollVertically, 1}}));
    turn({0, -240}, Qt::ShiftModifier);
    EXPECT_EQ(wheels(), (W{{WheelAction::ScrollHorizontally, -2}}));
    turn({-120, 0}, Qt::NoModifier);  // a sideways wheel
    EXPECT_EQ(wheels(), (W{{WheelAction::ScrollHorizontally, -1}}));
    // Parts of a notch add up; notches waiting in the queue count together.
    for (int i = 0; i < 5; ++i) turn({0, 40}, Qt::ControlModifier);
    EXPECT_EQ(wheels(), (W{{WheelAction::Zoom, 1}}));

    FrameStrip* strip = window.frameStrip();
    strip->setContentWidth(100 * 65 + 20);
    QApplication::processEvents();
    QScrollBar* bar = strip->horizontalScrollBar();
    const int visible = strip->viewport()->width();
    shell.ensureFrameVisible(50 * 65, 65);
    EXPECT_EQ(bar->value(), 51 * 65 - visible);
    shell.ensureFrameVisible(49 * 65, 65);  // already in view: stays
    EXPECT_EQ(bar->value(), 51 * 65 - visible);
    shell.ensureFrameVisible(2 * 65, 65);
    EXPECT_EQ(bar->value(), 2 * 65);
}

TEST_F(QtShellTest, GadgetsRaiseEventsAndRawMouseMovesComeInCanvasCoordinates) {
    MainWindowWidget& window = build();
    QApplication::processEvents();
    takeEvents();
    qobject_cast<QSpinBox*>(window.gadget(+Gadget::Transparency))->setValue(50);
    EXPECT_EQ(shell.gadgetState(+Gadget::Transparency), 50);
    QTest::mouseClick(window.gadget(+Gadget::AntiEraser), Qt::LeftButton);
    std::vector<Event> events = takeEvents();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events[0].gadget, +Gadget::Transparency);
    bool clicked = false;
    for (const Event& e : events) clicked |= e.kind == EventKind::Gadget && e.gadget == 11;
    EXPECT_TRUE(clicked);

    // Programmed scroll-bar moves raise nothing; the bar keeps its range.
    shell.setScrollBar(+Gadget::HorizontalScrollBar, 1000, 400, 900);
    EXPECT_EQ(shell.gadgetState(+Gadget::HorizontalScrollBar), 600);
    EXPECT_TRUE(takeEvents().empty());

    // A move over the frame strip reaches the program, relative to the canvas.
    QWidget* strip = window.gadget(+Gadget::FrameStrip);
    const QPoint inStrip(40, 30);
    const QPoint inWindow = strip->mapTo(&window, inStrip);
    QTest::mouseMove(window.windowHandle(), inWindow);
    events = takeEvents();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, EventKind::MouseMove);
    const QPoint expected = window.canvas()->mapFrom(&window, inWindow);
    EXPECT_EQ(QPoint(events.back().x, events.back().y), expected);
}

TEST_F(QtShellTest, DroppedFilesBecomeADropEvent) {
    MainWindowWidget& window = build();
    takeEvents();
    auto* strip = static_cast<QAbstractScrollArea*>(window.gadget(+Gadget::FrameStrip));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile("/takes/a 1.png"), QUrl::fromLocalFile("/takes/b.png"),
                   QUrl("https://example.org/c.png")});
    QDragEnterEvent enter(QPoint(30, 60), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip->viewport(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(30, 60), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip->viewport(), &drop);
    std::vector<Event> events = takeEvents();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].kind, EventKind::Drop);
    EXPECT_EQ(events[0].drop.fileList, "/takes/a 1.png\n/takes/b.png");
    EXPECT_EQ(events[0].y, 60);
    EXPECT_FALSE(events[0].drop.privateFormat);

    QMimeData own;
    own.setData(kLayerDragMimeType, {});
    QDragEnterEvent enterOwn(QPoint(10, 5), Qt::MoveAction, &own, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip->viewport(), &enterOwn);
    QDropEvent move(QPointF(10, 5), Qt::MoveAction, &own, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(strip->viewport(), &move);
    EXPECT_TRUE(takeEvents().empty());  // no drag of ours runs: another instance's
}

// The filter picked in the save requester decides an export's format, in every shipped language.
// The picture export writes the format of the filter picked in the real requester, whatever name
// is typed, in every shipped language.
TEST_F(QtShellTest, ThePictureExportWritesTheFormatOfThePickedFilter) {
    const std::string take = work.file("take.png");
    ASSERT_TRUE(SavePictureFile(testing::UniformPicture(8, 6, {10, 20, 30}), take,
                                PictureFormat::Png));
    state.document.frames.append().layerSource[0] = take;
    const struct {
        int filter;
        std::string magic;
    } formats[] = {{1, "\x89PNG"}, {2, "\xff\xd8\xff"}, {0, "BM"}};
    for (const char* name : {"Deutsch", "English", "Français"}) {
        Language language;
        LoadLanguage(language, shell, std::string(MORVEL_LANGUAGES_FOLDER) + "/", name);
        for (const auto& format : formats) {
            SCOPED_TRACE(std::string(name) + " " + std::to_string(format.filter));
            testing::TempFolder output;
            QTimer::singleShot(0, [&] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                ASSERT_NE(dialog, nullptr);
                dialog->selectNameFilter(dialog->nameFilters().at(format.filter));
                dialog->selectFile(QString::fromStdString(output.path() + "film.bmp"));
                static_cast<QDialog*>(dialog)->accept();  // as the Save button does
            });
            ExportImageSequence(Film(state.document), shell, language.texts, {});
            const std::vector<FolderEntry> written = ListFolder(output.path());
            ASSERT_EQ(written.size(), 1u);
            const auto bytes = ReadFileBytes(output.path() + written[0].name);
            ASSERT_TRUE(bytes && bytes->size() > format.magic.size());
            EXPECT_EQ(std::string(bytes->begin(), bytes->begin() + format.magic.size()),
                      format.magic)
                << written[0].name;
        }
    }
}

TEST_F(QtShellTest, CanvasShowsTheBufferAtItsSize) {
    MainWindowWidget& window = build();
    shell.setClientSize(403, 400);  // an odd canvas width: rows are padded
    LayoutMainWindow(state);
    Image& buffer = state.view.canvas;
    ASSERT_EQ(buffer.width(), 348);
    buffer.fill(10, 20, 30);
    buffer.setPixel(347, 219, 200, 100, 50);
    shell.presentCanvas(0, 0, buffer.width(), buffer.height());
    CanvasWidget* canvas = window.canvas();
    EXPECT_EQ(canvas->size(), QSize(348, 220));
    const QImage shown = canvas->grab().toImage();
    EXPECT_EQ(shown.pixelColor(0, 0), QColor(10, 20, 30));
    EXPECT_EQ(shown.pixelColor(347, 219), QColor(200, 100, 50));
}

TEST(Pictures, HaveTheirFixedSizes) {
    application();
    const struct {
        Picture picture;
        int width, height;
    } sizes[] = {
        {Picture::ZoomTool, 19, 19},    {Picture::Eraser, 19, 19},
        {Picture::AntiEraser, 19, 19},  {Picture::Selection, 19, 19},
        {Picture::MoveMask, 19, 19},    {Picture::RoundBrush, 19, 19},
        {Picture::SquareBrush, 19, 19}, {Picture::Transparency, 19, 19},
        {Picture::ZoomIn, 16, 16},      {Picture::ZoomOut, 16, 16},
        {Picture::LayerRows, 27, 97},   {Picture::FrameMarker, 66, 97},
    };
    for (const auto& s : sizes) {
        const QPixmap picture = DrawPicture(s.picture);
        EXPECT_EQ(picture.size(), QSize(s.width, s.height)) << static_cast<int>(s.picture);
    }
    // The marker is open in the middle, so the thumbnails under it show.
    const QImage marker = DrawPicture(Picture::FrameMarker).toImage();
    EXPECT_EQ(qAlpha(marker.pixel(33, 20)), 0);
    EXPECT_EQ(qAlpha(marker.pixel(0, 20)), 255);
}

}  // namespace
}  // namespace morvel

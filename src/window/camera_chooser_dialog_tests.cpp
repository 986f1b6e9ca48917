#include "window/camera_chooser_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <functional>

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "camera_chooser_dialog_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the chooser on two cameras, the second in use, and answers it once it shows.
std::string chooseAnswering(const std::function<void(QWidget&)>& answer) {
    application();
    QTimer::singleShot(0, [&] {
        QWidget* chooser = QApplication::activeModalWidget();
        if (!chooser) return;
        answer(*chooser);
        // An answer that does not close the chooser fails the test instead of hanging it.
        QTimer::singleShot(2000, chooser, [chooser] { chooser->close(); });
    });
    CameraChooser plan;
    plan.cameras = {{"gphoto2:Cam@usb:001,004", "Cam"}, {"v4l2:/dev/video0", "Webcam"}};
    plan.url = "v4l2:/dev/video0";
    return RunCameraChooser(nullptr, plan);
}

TEST(CameraChooser, GivesTheCameraPickedOrTheUrlTyped) {
    const struct {
        const char* what;
        std::function<void(QWidget&)> answer;
        std::string url;
    } cases[] = {
        {"Return on the camera in use", [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); },
         "v4l2:/dev/video0"},
        {"a double click on the first",
         [](QWidget& w) {
             auto* list = w.findChild<QListWidget*>();
             list->setCurrentRow(0);
             emit list->itemActivated(list->item(0));
         },
         "gphoto2:Cam@usb:001,004"},
        {"a URL typed",
         [](QWidget& w) {
             auto* field = w.findChild<QLineEdit*>();
             field->setText("  lavfi:testsrc2  ");
             QTest::keyClick(field, Qt::Key_Return);
         },
         "lavfi:testsrc2"},
        {"Escape", [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); }, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(chooseAnswering(c.answer), c.url) << c.what;
}

}  // namespace
}  // namespace morvel

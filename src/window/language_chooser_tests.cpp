#include "window/language_chooser.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QListWidget>
#include <QTest>
#include <QTimer>
#include <functional>

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "language_chooser_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the chooser and answers it, once it shows, the way a user would.
std::string chooseAnswering(std::size_t preselected, const std::function<void(QWidget&)>& answer) {
    application();
    QTimer::singleShot(0, [&] {
        QWidget* chooser = QApplication::activeModalWidget();
        if (!chooser) return;
        answer(*chooser);
        // An answer that does not close the chooser fails the test instead of hanging it.
        QTimer::singleShot(2000, chooser, [chooser] { chooser->close(); });
    });
    // Listed as a folder may list them: the chooser shows them in alphabetical order.
    return RunLanguageChooser({"Français", "Deutsch", "English"}, preselected);
}

TEST(LanguageChooser, ReturnOrADoubleClickTakesTheLanguageShown) {
    EXPECT_EQ(chooseAnswering(2, [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Return); }),
              "English");
    EXPECT_EQ(chooseAnswering(0,
                              [](QWidget& w) {
                                  auto* list = w.findChild<QListWidget*>();
                                  EXPECT_EQ(list->item(0)->text(), "Deutsch");
                                  EXPECT_EQ(list->item(2)->text(), "Français");
                                  QTest::keyClick(&w, Qt::Key_Return);
                              }),
              "Français");
    EXPECT_EQ(chooseAnswering(2,
                              [](QWidget& w) {
                                  auto* list = w.findChild<QListWidget*>();
                                  list->setCurrentRow(0);  // a double click's first click
                                  emit list->itemActivated(list->item(0));
                              }),
              "Deutsch");
    EXPECT_EQ(chooseAnswering(2, [](QWidget& w) { QTest::keyClick(&w, Qt::Key_Escape); }), "");
}

}  // namespace
}  // namespace morvel

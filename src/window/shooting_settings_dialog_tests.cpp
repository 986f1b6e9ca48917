#include "window/shooting_settings_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QTimer>
#include <functional>

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "shooting_settings_dialog_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

TEST(ShootingSettingsDialog, ShowsTheSettingsAndGivesBackWhatWasChanged) {
    application();
    for (const bool confirm : {true, false}) {
        ShootingSettingsFields fields{"/films/a/", "$Nr_$Layer", 6, 30, false};
        QTimer::singleShot(0, [confirm] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog) return;
            const auto lines = dialog->findChildren<QLineEdit*>();
            const auto numbers = dialog->findChildren<QSpinBox*>();
            ASSERT_EQ(lines.size(), 2 + numbers.size());  // spin boxes hold a line each
            EXPECT_EQ(lines[0]->text(), "/films/a/");
            EXPECT_EQ(lines[1]->text(), "$Nr_$Layer");
            lines[0]->setText("/films/b");
            lines[1]->setText("take_$Nr_$Layer");
            numbers[0]->setValue(99);  // past its range: held at 50
            numbers[1]->setValue(70);
            dialog->findChild<QCheckBox*>()->setChecked(true);
            QTest::keyClick(dialog, confirm ? Qt::Key_Return : Qt::Key_Escape);
            QTimer::singleShot(2000, dialog, [dialog] { dialog->close(); });
        });
        ShootingSettingsDialog plan;
        EXPECT_EQ(RunShootingSettingsDialog(nullptr, plan, fields), confirm);
        EXPECT_EQ(fields.folder, confirm ? "/films/b" : "/films/a/");
        EXPECT_EQ(fields.nameTemplate, confirm ? "take_$Nr_$Layer" : "$Nr_$Layer");
        EXPECT_EQ(fields.lastFrames, confirm ? 50 : 6);
        EXPECT_EQ(fields.onionOpacity, confirm ? 70 : 30);
        EXPECT_EQ(fields.keepCleanPlate, confirm);
    }
}

}  // namespace
}  // namespace morvel

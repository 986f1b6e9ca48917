// Every label of the main window fits its gadget in every shipped language.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyleOptionButton>

#include "app/main_window.h"
#include "app/program.h"
#include "i18n/load_language.h"
#include "platform/gadgets.h"
#include "test_support/temp_folder.h"
#include "window/main_window_widget.h"
#include "window/qt_shell.h"

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "main_window_labels_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // outlives Qt's own objects
    return *app;
}

// The text a gadget shows and the width it has for it; no text: width 0 and an empty text.
struct LabelRoom {
    QString text;
    int textWidth = 0;
    int room = 0;
};

LabelRoom roomOf(QWidget* widget) {
    LabelRoom label;
    if (auto* button = qobject_cast<QPushButton*>(widget)) {
        QStyleOptionButton option;
        option.initFrom(button);
        label.text = button->text();
        label.textWidth = button->fontMetrics().horizontalAdvance(label.text);
        label.room =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        const QLineEdit* edit = spin->findChild<QLineEdit*>();
        // The widest value, with the prefix; a line edit keeps 2 pixels free on either side.
        label.text = spin->prefix() + QString::number(spin->maximum()) + spin->suffix();
        label.textWidth = edit->fontMetrics().horizontalAdvance(label.text);
        const QMargins margins = edit->textMargins();
        label.room = edit->contentsRect().width() - margins.left() - margins.right() - 4;
    }
    return label;
}

TEST(MainWindowLabels, FitTheirGadgetsInEveryShippedLanguageAndALongerOne) {
    application();
    const std::string shipped = std::string(MORVEL_LANGUAGES_FOLDER) + "/";
    struct Case {
        const char* language;
        std::vector<std::pair<Text, std::string>> longer;  // texts beyond the plan's widths
    };
    const Case cases[] = {
        {"Deutsch", {}},
        {"English", {}},
        {"Français", {}},
        {"Deutsch",
         {{Text::SettingsHardness, "Härte der Pinselkante"},
          {Text::SettingsZoomfit, "Das ganze Bild zeigen"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.language + std::string(c.longer.empty() ? "" : ", longer"));
        testing::TempFolder program;
        testing::TempFolder work;
        QtShell shell;
        Program state{shell, work.path(), program.path()};
        shell.attachCanvas(state.view.canvas);
        LoadLanguage(state.services.language, shell, shipped, c.language);
        for (const auto& [text, value] : c.longer) state.services.language.texts.set(text, value);
        ASSERT_TRUE(BuildMainWindow(state));
        QApplication::processEvents();
        MainWindowWidget& window = *shell.mainWindow();
        int labelled = 0;
        for (const GadgetPlan& plan : MainWindowPlanFor(state).gadgets) {
            if (plan.label.empty()) continue;
            const LabelRoom label = roomOf(window.gadget(plan.number));
            ASSERT_FALSE(label.text.isEmpty()) << plan.number;
            EXPECT_LE(label.textWidth, label.room)
                << "gadget " << plan.number << ": '" << label.text.toStdString() << "'";
            ++labelled;
        }
        EXPECT_EQ(labelled, 3);
        // A widened gadget moves the ones to its right along.
        EXPECT_LT(window.gadget(+Gadget::ZoomFit)->geometry().right(),
                  window.gadget(+Gadget::ZoomOneToOne)->geometry().left());
    }
}

}  // namespace
}  // namespace morvel

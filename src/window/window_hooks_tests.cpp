#include "window/window_hooks.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <functional>
#include <set>

#include "app/about_text.h"
#include "app/app_test_support.h"
#include "app/main_window.h"
#include "platform/gadgets.h"
#include "platform/text.h"
#include "test_support/pictures.h"
#include "test_support/temp_folder.h"
#include "window/about_box.h"
#include "window/about_logo.h"
#include "window/frame_strip.h"
#include "window/qt_shell.h"

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "window_hooks_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct WithApplication {
    WithApplication() { application(); }
};

// Runs check on the modal window once it is open.
template <typename Window>
void whenOpen(std::function<void(Window&)> check) {
    QTimer::singleShot(0, [check] {
        auto* window = dynamic_cast<Window*>(QApplication::activeModalWidget());
        ASSERT_NE(window, nullptr) << "no such window open";
        check(*window);
    });
}

class WindowHooksTest : public ::testing::Test, WithApplication {
protected:
    testing::TempFolder program;
    testing::TempFolder work;
    QtShell shell;
    Program state{shell, work.path(), program.path()};
    DispatchHooks hooks = WindowHooks(shell);

    void SetUp() override {
        state.services.redrawPause = 0;
        shell.attachCanvas(state.view.canvas);
        ASSERT_TRUE(BuildMainWindow(state));
    }
};

TEST(AboutLogo, IsAProgressiveJpegOfItsSizeThatOurReaderDecodes) {
    const auto bytes = AboutLogoJpeg();
    ASSERT_GT(bytes.size(), 1000u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xD8);
    // The frame header: progressive (C2), not baseline (C0) or extended sequential (C1).
    std::set<int> frameMarkers;
    for (std::size_t i = 2; i + 3 < bytes.size();) {
        if (bytes[i] != 0xFF) break;
        const int marker = bytes[i + 1];
        if (marker == 0xC0 || marker == 0xC1 || marker == 0xC2) frameMarkers.insert(marker);
        if (marker == 0xDA) break;  // the first scan: the headers are over
        i += 2 + (bytes[i + 2] << 8 | bytes[i + 3]);
    }
    EXPECT_EQ(frameMarkers, std::set<int>{0xC2});
    const Image logo = DecodeAboutLogo();
    ASSERT_EQ(logo.width(), 370);
    ASSERT_EQ(logo.height(), 98);
    // A picture, not one colour: the film edge is dark, the title light.
    int darkest = 255, lightest = 0;
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x) {
            darkest = std::min(darkest, int(logo.green(x, y)));
            lightest = std::max(lightest, int(logo.green(x, y)));
        }
    EXPECT_LT(darkest, 40);
    EXPECT_GT(lightest, 220);
}

TEST_F(WindowHooksTest, TheAboutBoxShowsLogoTextAndButtonAndLeavesThumbnailsToTheStrip) {
    state.services.language.texts.set(Text::MainMenuAbout, "About ...");
    bool checked = false;
    whenOpen<AboutBox>([&](AboutBox& box) {
        EXPECT_EQ(box.windowTitle(), "About ...");
        EXPECT_EQ(box.size(), QSize(380, 475));
        EXPECT_EQ(box.parentWidget(), shell.mainWindow());
        EXPECT_EQ(box.logo().size(), QSize(370, 98));
        EXPECT_EQ(box.gadget(+AboutGadget::Logo)->geometry(), QRect(5, 5, 370, 98));
        auto* ok = qobject_cast<QPushButton*>(box.gadget(+AboutGadget::Ok));
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), "OK");
        EXPECT_EQ(ok->geometry(), QRect(140, 450, 100, 20));
        auto* area = qobject_cast<QScrollArea*>(box.gadget(+AboutGadget::TextArea));
        ASSERT_NE(area, nullptr);
        EXPECT_EQ(area->geometry(), QRect(5, 105, 370, 340));
        EXPECT_EQ(area->widget()->size(), QSize(340, 300));
        EXPECT_EQ(area->verticalScrollBar()->singleStep(), 15);
        auto* label = qobject_cast<QLabel*>(box.gadget(+AboutGadget::Text));
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->geometry(), QRect(0, 5, 340, 300));
        const QString text = label->text();
        EXPECT_EQ(text.toStdString(), ReplaceAll(AboutText(), "\r\n", "\n"));
        const QStringList lines = text.split('\n');
        ASSERT_EQ(lines.size(), 19);
        EXPECT_EQ(lines.last().toStdString(), BuildStamp(ThisBuild()));
        // Every line fits the inner area, and so do all 19 of them.
        const QFontMetrics metrics(label->font());
        for (const QString& line : lines)
            EXPECT_LE(metrics.horizontalAdvance(line), 340) << line.toStdString();
        EXPECT_LE(metrics.lineSpacing() * 19, 295);
        checked = true;
        ok->click();
    });
    Dispatch(state, testing::MenuEvent(+MenuItem::About), hooks);
    EXPECT_TRUE(checked);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    // The close box closes it as well; thumbnails made afterwards go into the frame strip.
    whenOpen<AboutBox>([](AboutBox& box) { box.close(); });
    Dispatch(state, testing::MenuEvent(+MenuItem::About), hooks);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    const Image red = testing::UniformPicture(60, 45, testing::kRed);  // shown, not copied
    const GadgetHandle thumbnail = shell.createThumbnailGadget(red, 5, 2, "a");
    FrameStrip* strip = shell.mainWindow()->frameStrip();
    ASSERT_NE(strip->thumbnail(thumbnail), nullptr);
    EXPECT_TRUE(strip->isAncestorOf(strip->thumbnail(thumbnail)));
}

TEST_F(WindowHooksTest, TheFrameRateRequesterProposesThirtySelectedAndGivesTheTypedText) {
    const struct {
        const char* typed;  // nullptr: cancelled
        std::string answer;
    } cases[] = {{"25", "25"}, {nullptr, ""}, {"", "30"}};
    for (const auto& c : cases) {
        whenOpen<QInputDialog>([&](QInputDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), "Bildrate ?");
            EXPECT_EQ(dialog.labelText(),
                      "Geben sie an wie viele Bilder pro Sekunde (FPS) das Video abspielen soll (1 bis 60).");
            auto* line = dialog.findChild<QLineEdit*>();
            ASSERT_NE(line, nullptr);
            EXPECT_EQ(line->text(), "30");
            EXPECT_EQ(line->selectedText(), "30");
            if (!c.typed) {
                dialog.reject();
                return;
            }
            QTest::keyClicks(line, c.typed);
            dialog.accept();
        });
        const LanguageTable& t = state.services.language.texts;
        EXPECT_EQ(shell.requestText(t[Text::RequesterAviframerate],
                                    t[Text::RequesterAviframeratetext], "30"),
                  c.answer);
    }
}

}  // namespace
}  // namespace morvel

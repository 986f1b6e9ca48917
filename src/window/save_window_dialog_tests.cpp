#include "window/save_window_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <set>

#include "i18n/language_table.h"
#include "platform/files.h"
#include "session/save_window.h"
#include "test_support/temp_folder.h"
#include "window/save_window_icons.h"

namespace morvel {
namespace {

QApplication& application() {
    static int argc = 1;
    static char name[] = "save_window_dialog_tests";
    static char* argv[] = {name, nullptr};
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

struct WithApplication {
    WithApplication() { application(); }
};

// Lets Qt work until condition holds (the folder list reads and sorts in the background); false
// when it still does not hold after five seconds.
template <typename Condition>
bool eventually(Condition condition) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > 5000) return false;
        QTest::qWait(10);
    }
    return true;
}

class SaveWindowTest : public ::testing::Test, WithApplication {
protected:
    testing::TempFolder folder;
    SaveWindowPlan plan = MakeSaveWindowPlan(LanguageTable());
    SaveWindowFields fields;

    void SetUp() override {
        folder.write("Alt.png", std::string(3000, 'a'));
        folder.write("b.txt", std::string(10, 'b'));
        ASSERT_TRUE(MakeFolder(folder.file("Szene")));
        folder.write("Szene/x.jpg", "x");
        fields.projectFilePath = folder.file("Projekt.mvl");
        fields.title = "Titel";
        fields.author = "Autor";
        fields.comment = "eins\r\nzwei";
    }

    template <typename T>
    static T* gadget(const SaveWindowDialog& window, SaveGadget number) {
        return qobject_cast<T*>(window.gadget(+number));
    }
    // Waits until the list has read its folder.
    static void waitForFolder(SaveWindowDialog& window) {
        QFileSystemModel* model = window.folderModel();
        const QModelIndex root = window.folderView()->rootIndex();
        ASSERT_TRUE(eventually([&] { return model->rowCount(root) > 0; }));
    }
    // The names the list shows, in its order.
    static QStringList shownNames(SaveWindowDialog& window) {
        QFileSystemModel* model = window.folderModel();
        const QModelIndex root = window.folderView()->rootIndex();
        QStringList names;
        for (int row = 0; row < model->rowCount(root); ++row)
            names << model->fileName(model->index(row, 0, root));
        return names;
    }
    static void select(SaveWindowDialog& window, const std::string& path) {
        QAbstractItemView* view = window.folderView();
        view->selectionModel()->select(window.folderModel()->index(QString::fromStdString(path)),
                                       QItemSelectionModel::ClearAndSelect);
    }
};

TEST_F(SaveWindowTest, EveryGadgetOfThePlanAtItsPlaceWithItsTexts) {
    SaveWindowDialog window(plan, fields, nullptr);
    EXPECT_EQ(window.windowTitle(), "Projekt speichern");
    EXPECT_EQ(window.size(), QSize(500, 425));
    for (const SaveGadgetPlan& g : plan.gadgets) {
        SCOPED_TRACE(g.number);
        QWidget* widget = window.gadget(g.number);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->property("gadget").toInt(), g.number);
        EXPECT_EQ(widget->pos(), QPoint(g.x, g.y));
        EXPECT_EQ(widget->width(), g.width);
        EXPECT_EQ(widget->toolTip().toStdString(), g.tooltip);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            EXPECT_EQ(label->text().toStdString(), g.text);
        }
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text().toStdString(), g.text);
        }
        if (auto* icon = qobject_cast<QToolButton*>(widget)) {
            EXPECT_EQ(icon->iconSize(), QSize(16, 16));
        }
        if (g.kind == SaveGadgetKind::EditableList) {
            auto* box = qobject_cast<QComboBox*>(widget);
            ASSERT_NE(box, nullptr);
            EXPECT_TRUE(box->isEditable());
            ASSERT_EQ(box->count(), static_cast<int>(g.items.size()));
            EXPECT_EQ(box->currentIndex(), 0);
            EXPECT_EQ(box->itemText(0).toStdString(), g.items.front());
        }
    }
    EXPECT_EQ(gadget<QLineEdit>(window, SaveGadget::ProjectName)->text(), "Projekt.mvl");
    EXPECT_EQ(gadget<QLineEdit>(window, SaveGadget::Title)->text(), "Titel");
    EXPECT_EQ(gadget<QLineEdit>(window, SaveGadget::Author)->text(), "Autor");
    EXPECT_EQ(gadget<QPlainTextEdit>(window, SaveGadget::Comment)->toPlainText(), "eins\nzwei");
    EXPECT_EQ(window.folder(), folder.path());
    EXPECT_EQ(gadget<QComboBox>(window, SaveGadget::FolderPath)->currentText().toStdString(),
              folder.path());
}

TEST(SaveWindowIcons, SixteenBySixteenInAtMostSixteenColours) {
    for (int image : {kFolderUpImage, kChangeViewImage}) {
        const QImage icon = SaveWindowIcon(image);
        ASSERT_EQ(icon.size(), QSize(16, 16)) << image;
        std::set<QRgb> colours;
        bool transparent = false;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb c = icon.pixel(x, y);
                if (qAlpha(c) == 0)
                    transparent = true;
                else
                    colours.insert(c);
            }
        EXPECT_TRUE(transparent);
        EXPECT_GE(colours.size(), 3u);
        EXPECT_LE(colours.size(), 15u);
    }
    EXPECT_NE(SaveWindowIcon(kFolderUpImage), SaveWindowIcon(kChangeViewImage));
    EXPECT_TRUE(SaveWindowIcon(11).isNull());
}

TEST_F(SaveWindowTest, SaveClosesOnlyWithAValidName) {
    SaveWindowDialog window(plan, fields, nullptr);
    window.show();
    auto* name = gadget<QLineEdit>(window, SaveGadget::ProjectName);
    for (const char* invalid : {"", "a\\b", "C:Film", "a/b", "wer?", "a|b", "\"x\""}) {
        name->setText(invalid);
        window.gadgetEvent(+SaveGadget::Save);
        EXPECT_TRUE(window.isVisible()) << invalid;
    }
    name->setText("Film.txt");
    window.gadgetEvent(+SaveGadget::Save);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

TEST_F(SaveWindowTest, FolderUpPathBoxAndEnteringFoldersMoveTheList) {
    SaveWindowDialog window(plan, fields, nullptr);
    auto* pathBox = gadget<QComboBox>(window, SaveGadget::FolderPath);
    waitForFolder(window);
    EXPECT_TRUE(eventually([&] {
        return shownNames(window) == QStringList({"Szene", "Alt.png", "b.txt"});
    })) << shownNames(window).join(' ').toStdString();  // no ".."

    // A folder entered by a double click or Enter.
    QFileSystemModel* model = window.folderModel();
    emit window.folderView()->activated(model->index(QString::fromStdString(folder.file("Szene"))));
    EXPECT_EQ(window.folder(), folder.file("Szene/"));
    EXPECT_EQ(pathBox->currentText().toStdString(), folder.file("Szene/"));
    waitForFolder(window);
    EXPECT_TRUE(eventually([&] { return shownNames(window) == QStringList({"x.jpg"}); }))
        << shownNames(window).join(' ').toStdString();

    window.gadgetEvent(+SaveGadget::FolderUp);
    EXPECT_EQ(window.folder(), folder.path());
    EXPECT_EQ(window.folderView()->rootIndex(),
              model->index(QString::fromStdString(folder.path()).chopped(1)));

    // A typed folder, with or without its "/"; a folder that does not exist changes nothing.
    pathBox->setEditText(QString::fromStdString(folder.file("Szene")));
    window.gadgetEvent(+SaveGadget::FolderPath);
    EXPECT_EQ(window.folder(), folder.file("Szene/"));
    pathBox->setEditText(QString::fromStdString(folder.file("nirgends")));
    window.gadgetEvent(+SaveGadget::FolderPath);
    EXPECT_EQ(window.folder(), folder.file("Szene/"));
    EXPECT_EQ(pathBox->currentText().toStdString(), folder.file("Szene/"));
    // The path box offers the folders above.
    EXPECT_EQ(pathBox->itemText(0), "/");

    // Up to "/" and above it: the top level shows the root.
    pathBox->setEditText("/");
    window.gadgetEvent(+SaveGadget::FolderPath);
    EXPECT_EQ(window.folder(), "/");
    window.gadgetEvent(+SaveGadget::FolderUp);
    EXPECT_EQ(window.folder(), "");
    EXPECT_FALSE(window.folderView()->rootIndex().isValid());
    ASSERT_TRUE(eventually([&] { return model->rowCount(QModelIndex()) > 0; }));
    EXPECT_EQ(model->filePath(model->index(0, 0, QModelIndex())), "/");
    window.gadgetEvent(+SaveGadget::FolderUp);
    EXPECT_EQ(window.folder(), "");
}

TEST_F(SaveWindowTest, AClickedFileNamesTheProjectAFolderDoesNot) {
    SaveWindowDialog window(plan, fields, nullptr);
    auto* name = gadget<QLineEdit>(window, SaveGadget::ProjectName);
    waitForFolder(window);
    select(window, folder.file("Szene"));
    EXPECT_EQ(name->text(), "Projekt.mvl");
    select(window, folder.file("Alt.png"));
    EXPECT_EQ(name->text(), "Alt.mvl");
    // The same in the details view.
    for (int i = 0; i < 3; ++i) window.gadgetEvent(+SaveGadget::ChangeView);
    select(window, folder.file("b.txt"));
    EXPECT_EQ(name->text(), "b.mvl");
}

TEST_F(SaveWindowTest, ChangeViewStepsThroughTheFourModesAndTheProgramKeepsIt) {
    fields.viewMode = 2;
    SaveWindowDialog window(plan, fields, nullptr);
    window.show();
    auto* list = qobject_cast<QListView*>(window.folderView());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->flow(), QListView::TopToBottom);
    EXPECT_TRUE(list->isWrapping());
    window.gadgetEvent(+SaveGadget::ChangeView);
    EXPECT_EQ(window.viewMode(), 3);
    auto* details = qobject_cast<QTreeView*>(window.folderView());
    ASSERT_NE(details, nullptr);
    EXPECT_TRUE(details->isVisible());
    EXPECT_FALSE(list->isVisible());
    window.gadgetEvent(+SaveGadget::ChangeView);
    EXPECT_EQ(window.viewMode(), 0);
    EXPECT_EQ(list->viewMode(), QListView::IconMode);
    EXPECT_EQ(list->iconSize(), QSize(32, 32));
    EXPECT_TRUE(list->isVisible());
    window.gadgetEvent(+SaveGadget::ChangeView);
    EXPECT_EQ(list->viewMode(), QListView::ListMode);
    EXPECT_EQ(list->flow(), QListView::LeftToRight);
    EXPECT_EQ(list->iconSize(), QSize(16, 16));

    // Through the modal run: the mode comes back also from a cancelled window.
    SaveWindowFields run = fields;
    run.viewMode = 3;
    QTimer::singleShot(0, [] {
        auto* open = dynamic_cast<SaveWindowDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(open, nullptr);
        open->gadgetEvent(+SaveGadget::ChangeView);
        open->gadgetEvent(+SaveGadget::Cancel);
    });
    EXPECT_FALSE(RunSaveWindow(plan, run, nullptr));
    EXPECT_EQ(run.viewMode, 0);
    EXPECT_EQ(run.projectFilePath, fields.projectFilePath);
}

TEST_F(SaveWindowTest, AHeaderClickSortsByItsColumnAndASecondClickReverses) {
    fields.viewMode = 3;
    SaveWindowDialog window(plan, fields, nullptr);
    window.show();
    waitForFolder(window);
    auto* details = qobject_cast<QTreeView*>(window.folderView());
    ASSERT_NE(details, nullptr);
    QHeaderView* header = details->header();
    const auto clickHeader = [&](int column) {
        const int x = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, header->height() / 2));
    };
    const auto shows = [&](const QStringList& names) {
        return eventually([&] { return shownNames(window) == names; });
    };
    clickHeader(1);  // size: folders first, then the smaller file
    EXPECT_EQ(window.sortColumn(), 1);
    EXPECT_EQ(window.sortOrder(), Qt::AscendingOrder);
    EXPECT_TRUE(shows({"Szene", "b.txt", "Alt.png"})) << shownNames(window).join(' ').toStdString();
    clickHeader(1);
    EXPECT_EQ(window.sortOrder(), Qt::DescendingOrder);
    EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
    EXPECT_TRUE(shows({"Alt.png", "b.txt", "Szene"})) << shownNames(window).join(' ').toStdString();
    clickHeader(0);
    EXPECT_EQ(window.sortColumn(), 0);
    EXPECT_EQ(window.sortOrder(), Qt::AscendingOrder);
    EXPECT_TRUE(shows({"Szene", "Alt.png", "b.txt"})) << shownNames(window).join(' ').toStdString();
    clickHeader(0);
    EXPECT_EQ(window.sortOrder(), Qt::DescendingOrder);
    EXPECT_TRUE(shows({"b.txt", "Alt.png", "Szene"})) << shownNames(window).join(' ').toStdString();
}

TEST_F(SaveWindowTest, ConfirmingSettlesPathTemplatesAndTexts) {
    const struct {
        QString name, mask, frame;
        int frameItem;
        std::string path, maskTemplate, frameTemplate;
    } cases[] = {
        {"Film.txt", "", "", 0, "Film.mvl", "$nr.mask", ""},
        {"Film", "masks/$Nr.png", "", 4, "Film.mvl", "masks/$Nr.png", "img/$Layer_$NR"},
        {"Neu", "eigene/$Nr.png", "kopien/$Nr", -1, "Neu.mvl", "eigene/$Nr.png", "kopien/$Nr"},
    };
    for (const auto& c : cases) {
        SaveWindowDialog window(plan, fields, nullptr);
        gadget<QLineEdit>(window, SaveGadget::ProjectName)->setText(c.name);
        auto* masks = gadget<QComboBox>(window, SaveGadget::MaskTemplates);
        auto* frames = gadget<QComboBox>(window, SaveGadget::FrameTemplates);
        masks->setEditText(c.mask);
        if (c.frameItem >= 0) {
            frames->setCurrentIndex(c.frameItem);
        } else {
            frames->setEditText(c.frame);
        }
        gadget<QPlainTextEdit>(window, SaveGadget::Comment)->setPlainText("x\ny");
        SaveWindowFields settled;
        window.settle(settled);
        EXPECT_EQ(settled.projectFilePath, folder.path() + c.path);
        EXPECT_EQ(settled.maskTemplate, c.maskTemplate);
        EXPECT_EQ(settled.frameTemplate, c.frameTemplate);
        EXPECT_EQ(settled.title, "Titel");
        EXPECT_EQ(settled.comment, "x\r\ny");
    }
}

}  // namespace
}  // namespace morvel

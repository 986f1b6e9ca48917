#include "window/language_chooser.h"

#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

namespace morvel {

std::string RunLanguageChooser(const std::vector<std::string>& languages, std::size_t preselected) {
    QDialog window;
    window.setWindowTitle("Language");
    window.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    window.setFixedSize(200, 300);

    auto* ok = new QPushButton("OK", &window);
    ok->setGeometry(5, 275, 190, 20);
    ok->setDefault(true);  // Return takes the language shown as chosen
    auto* prompt = new QLabel("Choose Your Language\nWählen Sie ihre Sprache", &window);
    prompt->setGeometry(5, 5, 190, 40);
    auto* list = new QListWidget(&window);
    list->setGeometry(5, 50, 190, 220);
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    list->setSortingEnabled(false);
    for (const std::string& name : languages) list->addItem(QString::fromStdString(name));
    if (list->count() > 0)
        list->setCurrentRow(preselected < languages.size() ? static_cast<int>(preselected) : 0);
    QObject::connect(ok, &QPushButton::clicked, &window, &QDialog::accept);
    QObject::connect(list, &QListWidget::itemActivated, &window, &QDialog::accept);

    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        window.move(area.center() - QPoint(100, 150));
    }
    if (window.exec() != QDialog::Accepted || !list->currentItem()) return {};
    return list->currentItem()->text().toStdString();
}

}  // namespace morvel

#include "window/language_chooser.h"

#include <algorithm>

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
    // Said in the shipped languages, since none is chosen yet.
    auto* prompt = new QLabel(
        "Choose your language\nWählen Sie Ihre Sprache\nChoisissez votre langue", &window);
    prompt->setGeometry(5, 5, 190, 48);
    auto* list = new QListWidget(&window);
    list->setGeometry(5, 56, 190, 214);
    list->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    // In alphabetical order, whatever order the folder lists the files in.
    std::vector<std::string> sorted = languages;
    std::sort(sorted.begin(), sorted.end());
    const std::string shown = preselected < languages.size() ? languages[preselected] : "";
    for (const std::string& name : sorted) list->addItem(QString::fromStdString(name));
    if (list->count() > 0) {
        const auto at = std::find(sorted.begin(), sorted.end(), shown);
        list->setCurrentRow(at == sorted.end() ? 0 : static_cast<int>(at - sorted.begin()));
    }
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

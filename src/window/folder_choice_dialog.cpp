#include "window/folder_choice_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QImageReader>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

namespace morvel {

namespace {

constexpr int kPictureSide = 160;

// A camera picture read at a fraction of its size (JPEG decodes scaled down), turned as shot.
QPixmap smallPicture(const std::string& path) {
    QImageReader reader(QFile::decodeName(path.c_str()));
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    if (size.isValid()) reader.setScaledSize(size.scaled(kPictureSide, kPictureSide, Qt::KeepAspectRatio));
    const QImage image = reader.read();
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

}  // namespace

int RunFolderChoiceDialog(QWidget* parent, const std::string& title, const std::string& text,
                          const std::vector<FolderCandidate>& candidates) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromStdString(title));
    auto* layout = new QVBoxLayout(&dialog);
    auto* label = new QLabel(QString::fromStdString(text));
    label->setWordWrap(true);
    layout->addWidget(label);
    auto* list = new QListWidget;
    list->setIconSize(QSize(kPictureSide, kPictureSide));
    for (const FolderCandidate& candidate : candidates) {
        auto* item = new QListWidgetItem(
            QIcon(smallPicture(candidate.picture)),
            QFile::decodeName(candidate.folder.c_str()) + QStringLiteral("  (%1)").arg(candidate.count));
        list->addItem(item);
    }
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    dialog.resize(640, 420);
    if (dialog.exec() != QDialog::Accepted) return -1;
    return list->currentRow();
}

}  // namespace morvel

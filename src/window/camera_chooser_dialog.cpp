#include "window/camera_chooser_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

namespace morvel {

std::string RunCameraChooser(QWidget* parent, const CameraChooser& chooser) {
    QDialog dialog(parent);
    dialog.setWindowTitle(QString::fromStdString(chooser.title));
    auto* list = new QListWidget(&dialog);
    for (const CameraOffer& camera : chooser.cameras) {
        auto* line = new QListWidgetItem(QString::fromStdString(camera.label), list);
        line->setData(Qt::UserRole, QString::fromStdString(camera.url));
        line->setToolTip(QString::fromStdString(camera.url));
        if (camera.url == chooser.url) list->setCurrentItem(line);
    }
    if (chooser.cameras.empty()) {
        auto* none = new QListWidgetItem(QString::fromStdString(chooser.noneFound), list);
        none->setFlags(Qt::NoItemFlags);
    }
    auto* url = new QLineEdit(QString::fromStdString(chooser.url), &dialog);
    url->setMinimumWidth(420);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(list, &QListWidget::currentItemChanged, &dialog, [url](QListWidgetItem* now) {
        if (now) url->setText(now->data(Qt::UserRole).toString());
    });
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QString::fromStdString(chooser.listLabel), &dialog));
    layout->addWidget(list);
    layout->addWidget(new QLabel(QString::fromStdString(chooser.urlLabel), &dialog));
    layout->addWidget(url);
    layout->addWidget(buttons);
    url->setFocus();
    url->selectAll();
    if (dialog.exec() != QDialog::Accepted) return {};
    return url->text().trimmed().toStdString();
}

}  // namespace morvel

#include "window/shooting_settings_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace morvel {

namespace {

QString text(const std::string& s) {
    return QString::fromStdString(s);
}

}  // namespace

bool RunShootingSettingsDialog(QWidget* parent, const ShootingSettingsDialog& plan,
                               ShootingSettingsFields& fields) {
    QDialog dialog(parent);
    dialog.setWindowTitle(text(plan.title));
    auto* folder = new QLineEdit(QFile::decodeName(fields.folder.c_str()), &dialog);
    folder->setPlaceholderText(text(plan.folderDefault));
    folder->setMinimumWidth(360);
    auto* browse = new QPushButton(text(plan.folderButton), &dialog);
    QObject::connect(browse, &QPushButton::clicked, &dialog, [&dialog, folder, &plan] {
        const QString chosen = QFileDialog::getExistingDirectory(&dialog, text(plan.folderLabel),
                                                                 folder->text());
        if (!chosen.isEmpty()) folder->setText(chosen.endsWith('/') ? chosen : chosen + '/');
    });
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(folder, 1);
    folderRow->addWidget(browse);
    auto* names = new QLineEdit(text(fields.nameTemplate), &dialog);
    auto* lastFrames = new QSpinBox(&dialog);
    lastFrames->setRange(plan.lastFramesMin, plan.lastFramesMax);
    lastFrames->setValue(fields.lastFrames);
    auto* opacity = new QSpinBox(&dialog);
    opacity->setRange(0, 100);
    opacity->setSuffix(" %");
    opacity->setValue(fields.onionOpacity);
    auto* cleanPlate = new QCheckBox(text(plan.cleanPlateLabel), &dialog);
    cleanPlate->setChecked(fields.keepCleanPlate);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* form = new QFormLayout;
    form->setRowWrapPolicy(QFormLayout::WrapLongRows);
    form->addRow(text(plan.folderLabel), folderRow);
    form->addRow(text(plan.templateLabel), names);
    form->addRow(text(plan.lastFramesLabel), lastFrames);
    form->addRow(text(plan.onionOpacityLabel), opacity);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(cleanPlate);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return false;
    fields.folder = QFile::encodeName(folder->text().trimmed()).toStdString();
    fields.nameTemplate = names->text().toStdString();
    fields.lastFrames = lastFrames->value();
    fields.onionOpacity = opacity->value();
    fields.keepCleanPlate = cleanPlate->isChecked();
    return true;
}

}  // namespace morvel

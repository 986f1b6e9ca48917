#include "window/carry_masks_requester.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "platform/text.h"

namespace morvel {

namespace {

QString text(const LanguageTable& texts, Text which) {
    return QString::fromStdString(texts[which]);
}

}  // namespace

std::optional<CarryMasksChoice> AskCarryMasks(QWidget* parent, const LanguageTable& texts, int from,
                                              int count) {
    QDialog dialog(parent);
    dialog.setWindowTitle(text(texts, Text::RequesterCarrymaskstitle));
    auto* last = new QSpinBox(&dialog);
    last->setRange(from + 1, count);
    last->setValue(count);
    auto* flow = new QRadioButton(text(texts, Text::RequesterCarryflow), &dialog);
    auto* shift = new QRadioButton(text(texts, Text::RequesterCarryshift), &dialog);
    flow->setChecked(true);
    auto* limit = new QCheckBox(text(texts, Text::RequesterCarrylimit), &dialog);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(text(texts, Text::SaveWindowOk));
    buttons->button(QDialogButtonBox::Cancel)->setText(text(texts, Text::ProgressCancel));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* form = new QFormLayout;
    form->addRow(text(texts, Text::RequesterCarrylast), last);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addLayout(form);
    layout->addWidget(flow);
    layout->addWidget(shift);
    layout->addWidget(limit);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    CarryMasksChoice choice;
    choice.lastFrame = last->value();
    choice.options.mode = shift->isChecked() ? CarryMode::Offset : CarryMode::Flow;
    choice.options.limit = limit->isChecked();
    return choice;
}

MaskAnswer AskMaskAnswer(QWidget* parent, const LanguageTable& texts, int frame) {
    QMessageBox box(parent);
    box.setWindowTitle(text(texts, Text::RequesterCarrymaskstitle));
    box.setIcon(QMessageBox::Question);
    box.setText(QString::fromStdString(
        ReplaceAll(texts[Text::RequesterCarryhasmask], "$NR", std::to_string(frame))));
    QPushButton* replace =
        box.addButton(text(texts, Text::RequesterCarryreplace), QMessageBox::AcceptRole);
    QPushButton* skip =
        box.addButton(text(texts, Text::RequesterCarryskip), QMessageBox::RejectRole);
    QPushButton* all =
        box.addButton(text(texts, Text::RequesterCarryreplaceall), QMessageBox::YesRole);
    box.setDefaultButton(replace);
    box.setEscapeButton(skip);
    box.exec();
    if (box.clickedButton() == all) return MaskAnswer::ReplaceAll;
    if (box.clickedButton() == replace) return MaskAnswer::Replace;
    return MaskAnswer::Skip;
}

}  // namespace morvel

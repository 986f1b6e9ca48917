#include "window/label_room.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionSpinBox>
#include <algorithm>

namespace morvel {

namespace {

// A line edit keeps 2 pixels free on either side of its text, and the cursor takes one more.
constexpr int kLineEditFrame = 2 * 2 + 1;

int missingInButton(const QPushButton& button) {
    QStyleOptionButton option;
    option.initFrom(&button);
    option.text = button.text();
    const int room =
        button.style()->subElementRect(QStyle::SE_PushButtonContents, &option, &button).width();
    return button.fontMetrics().horizontalAdvance(button.text()) - room;
}

int missingInSpinField(const QSpinBox& spin) {
    QStyleOptionSpinBox option;
    option.initFrom(&spin);
    option.subControls = QStyle::SC_All;
    option.frame = spin.hasFrame();
    option.buttonSymbols = spin.buttonSymbols();
    const QRect field = spin.style()->subControlRect(QStyle::CC_SpinBox, &option,
                                                     QStyle::SC_SpinBoxEditField, &spin);
    int room = field.width() - kLineEditFrame;
    if (const auto* edit = spin.findChild<QLineEdit*>()) {
        room -= edit->textMargins().left() + edit->textMargins().right();
    }
    const int widest =
        std::max(spin.fontMetrics().horizontalAdvance(QString::number(spin.maximum())),
                 spin.fontMetrics().horizontalAdvance(QString::number(spin.minimum())));
    return spin.fontMetrics().horizontalAdvance(spin.prefix() + spin.suffix()) + widest - room;
}

}  // namespace

int MissingLabelWidth(const QWidget* gadget) {
    int missing = 0;
    if (const auto* button = qobject_cast<const QPushButton*>(gadget)) {
        missing = missingInButton(*button);
    } else if (const auto* spin = qobject_cast<const QSpinBox*>(gadget)) {
        if (!spin->prefix().isEmpty() || !spin->suffix().isEmpty())
            missing = missingInSpinField(*spin);
    }
    return std::max(missing, 0);
}

void WidenToLabels(const std::map<int, QWidget*>& gadgets) {
    for (const auto& [number, widget] : gadgets) {
        const int missing = MissingLabelWidth(widget);
        if (missing == 0) continue;
        const QRect was = widget->geometry();
        widget->resize(was.width() + missing, was.height());
        for (const auto& [other, neighbour] : gadgets) {
            const QRect place = neighbour->geometry();
            if (neighbour != widget && neighbour->parentWidget() == widget->parentWidget() &&
                place.left() > was.right() && place.top() <= was.bottom() &&
                place.bottom() >= was.top())
                neighbour->move(place.x() + missing, place.y());
        }
    }
}

}  // namespace morvel

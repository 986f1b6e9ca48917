#include "window/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>

#include "platform/text.h"
#include "window/about_logo.h"

namespace morvel {

namespace {

constexpr int kClientWidth = 380;
constexpr int kClientHeight = 475;
constexpr int kScrollStep = 15;

// Image 8 as Qt shows it: a copy, so that it lives as long as the box.
QImage logoPicture() {
    const Image logo = DecodeAboutLogo();
    if (logo.width() == 0) return {};
    QImage picture(logo.width(), logo.height(), QImage::Format_RGB888);
    for (int y = 0; y < logo.height(); ++y)
        std::copy_n(logo.row(y), static_cast<std::size_t>(logo.width()) * 3, picture.scanLine(y));
    return picture;
}

}  // namespace

AboutBox::AboutBox(const std::string& title, const std::string& okLabel, const std::string& text,
                   QWidget* owner)
    : QDialog(owner), m_logo(logoPicture()) {
    setWindowTitle(QString::fromStdString(title));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(kClientWidth, kClientHeight);

    auto* logo = new QLabel(this);
    logo->setGeometry(5, 5, 370, 98);
    logo->setPixmap(QPixmap::fromImage(m_logo));
    add(AboutGadget::Logo, logo);

    auto* ok = new QPushButton(QString::fromStdString(okLabel), this);
    ok->setGeometry(140, 450, 100, 20);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    add(AboutGadget::Ok, ok);

    // The text in an inner area of 340 x 300, centred in the view while it is smaller.
    auto* area = new QScrollArea(this);
    area->setGeometry(5, 105, 370, 340);
    area->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    area->setAlignment(Qt::AlignCenter);
    area->verticalScrollBar()->setSingleStep(kScrollStep);
    area->horizontalScrollBar()->setSingleStep(kScrollStep);
    auto* inner = new QWidget;
    inner->setFixedSize(340, 300);
    auto* label = new QLabel(QString::fromStdString(ReplaceAll(text, "\r\n", "\n")), inner);
    label->setGeometry(0, 5, 340, 300);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont font = label->font();
    font.setPixelSize(11);  // the 19 lines fit the inner area
    label->setFont(font);
    area->setWidget(inner);
    add(AboutGadget::TextArea, area);
    add(AboutGadget::Text, label);

    if (owner) move(owner->geometry().center() - rect().center());
}

QWidget* AboutBox::gadget(int number) const {
    const auto found = m_gadgets.find(number);
    return found == m_gadgets.end() ? nullptr : found->second;
}

void AboutBox::add(AboutGadget number, QWidget* widget) {
    widget->setProperty("gadget", +number);
    m_gadgets[+number] = widget;
}

void ShowAboutBox(const std::string& title, const std::string& okLabel, const std::string& text,
                  QWidget* owner) {
    {
        AboutBox box(title, okLabel, text, owner);
        box.exec();
    }
    if (owner) owner->activateWindow();
}

}  // namespace morvel

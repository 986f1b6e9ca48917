#include "window/main_window_widget.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QSpinBox>
#include <QStyleOptionComplex>
#include <QToolButton>

#include "platform/gadgets.h"
#include "window/canvas_widget.h"
#include "window/frame_strip.h"
#include "window/label_room.h"
#include "window/pictures.h"

namespace morvel {

namespace {

QString text(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

// The client area below the menu bar: gadgets sit at fixed places in it; a size change is an
// event of the program (unless the window was minimised).
class ClientArea : public QWidget {
public:
    ClientArea(QWidget* window, std::function<void(const Event&)> post)
        : QWidget(window), m_post(std::move(post)) {}

protected:
    void resizeEvent(QResizeEvent*) override {
        Event event;
        event.kind = EventKind::Resize;
        event.minimised = window()->isMinimized();
        m_post(event);
    }

private:
    std::function<void(const Event&)> m_post;
};

// A picture that raises a left click (gadget 15).
class ClickablePicture : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> onClick;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && onClick) onClick();
    }
};

// Narrow arrow buttons, so that three digits fit into the 35 pixels of a spin field.
class CompactSpinStyle : public QProxyStyle {
public:
    QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl part,
                         const QWidget* widget) const override {
        if (control != CC_SpinBox)
            return QProxyStyle::subControlRect(control, option, part, widget);
        const QRect r = option->rect;
        constexpr int kArrows = 10;
        const int half = r.height() / 2;
        switch (part) {
            case SC_SpinBoxUp:
                return QRect(r.right() - kArrows, r.top() + 1, kArrows, half - 1);
            case SC_SpinBoxDown:
                return QRect(r.right() - kArrows, r.top() + half, kArrows, r.height() - half - 1);
            case SC_SpinBoxEditField:
                return QRect(r.left() + 1, r.top() + 1, r.width() - kArrows - 2, r.height() - 2);
            default:
                return QProxyStyle::subControlRect(control, option, part, widget);
        }
    }
};

// The tool bar's row of gadgets ends above this line; the canvas and the tools start on it.
constexpr int kToolBarBottom = 30;

QColor colourOf(std::uint32_t rgb) {
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The shortcut text of the language files' style ("Ctrl+Delete") in Qt's portable form.
QKeySequence keysOf(const std::string& keys) {
    QString portable = text(keys);
    portable.replace("Delete", "Del");
    return QKeySequence(portable, QKeySequence::PortableText);
}

}  // namespace

MainWindowWidget::MainWindowWidget(const MainWindowPlan& plan,
                                   std::function<void(const Event&)> post)
    : m_post(std::move(post)), m_compactSpinStyle(new CompactSpinStyle) {
    m_compactSpinStyle->setParent(this);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(text(plan.title));
    auto* client = new ClientArea(this, m_post);
    setCentralWidget(client);
    buildMenus(plan);
    buildShortcuts(plan);
    for (const GadgetPlan& gadget : plan.gadgets) buildGadget(gadget);
    WidenToLabels(m_gadgets);  // the plan's widths fit the shipped languages, not every one
    m_frameCounter = new QLabel;
    statusBar()->addPermanentWidget(m_frameCounter);
    statusBar()->setSizeGripEnabled(false);
    // The client area (menu bar included) of the plan's size, at the plan's place; the status
    // line comes below it.
    resize(plan.clientWidth, plan.clientHeight + statusLineHeight());
    move(plan.x, plan.y);
}

QWidget* MainWindowWidget::gadget(int number) const {
    auto found = m_gadgets.find(number);
    return found == m_gadgets.end() ? nullptr : found->second;
}

void MainWindowWidget::closeEvent(QCloseEvent* event) {
    event->ignore();  // the program closes the window once the project is closed
    Event close;
    close.kind = EventKind::Close;
    m_post(close);
}

void MainWindowWidget::postGadget(int number, GadgetEventType type, QPoint at) {
    Event event;
    event.kind = EventKind::Gadget;
    event.gadget = number;
    event.type = type;
    event.x = at.x();
    event.y = at.y();
    m_post(event);
}

QAction* MainWindowWidget::menuItem(int item) const {
    auto found = m_menuItems.find(item);
    return found == m_menuItems.end() ? nullptr : found->second;
}

QMenu* MainWindowWidget::playingMenu() const {
    QAction* play = menuItem(+MenuItem::Play);
    return play ? qobject_cast<QMenu*>(play->parent()) : nullptr;
}

void MainWindowWidget::setPlaying(bool playing) {
    const QMenu* kept = playingMenu();
    for (QAction* title : menuBar()->actions()) {
        if (title->menu() != kept) title->setEnabled(!playing);
    }
}

bool MainWindowWidget::onPlayingMenu(QPoint global) const {
    const QMenu* kept = playingMenu();
    if (!kept) return false;
    const QRect title = menuBar()->actionGeometry(kept->menuAction());
    return title.contains(menuBar()->mapFromGlobal(global));
}

void MainWindowWidget::addEntries(QMenu* menu, const std::vector<MenuEntry>& entries,
                                  std::map<int, QAction*>* actions) {
    for (const MenuEntry& entry : entries) {
        if (entry.separator) {
            menu->addSeparator();
        } else if (entry.item == 0) {
            addEntries(menu->addMenu(text(entry.label)), entry.entries, actions);
        } else {
            QAction* action = menu->addAction(text(entry.label));
            action->setData(entry.item);
            action->setEnabled(entry.enabled);
            if (actions) (*actions)[entry.item] = action;
            if (entry.checked || entry.checkable) {
                action->setCheckable(true);
                action->setChecked(entry.checked);
            }
            const int item = entry.item;
            connect(action, &QAction::triggered, this, [this, item] {
                Event event;
                event.kind = EventKind::Menu;
                event.menuItem = item;
                m_post(event);
            });
        }
    }
}

void MainWindowWidget::buildMenus(const MainWindowPlan& plan) {
    for (const MenuEntry& title : plan.menuBar)
        addEntries(menuBar()->addMenu(text(title.label)), title.entries, &m_menuItems);
    m_popup = new QMenu(this);
    addEntries(m_popup, plan.popupMenu);
}

void MainWindowWidget::buildShortcuts(const MainWindowPlan& plan) {
    for (const ShortcutPlan& shortcut : plan.shortcuts) {
        auto* keys = new QShortcut(keysOf(shortcut.keys), this);
        const int item = shortcut.item;
        connect(keys, &QShortcut::activated, this, [this, item] {
            Event event;
            event.kind = EventKind::Menu;
            event.menuItem = item;
            m_post(event);
        });
    }
}

void MainWindowWidget::retext(const MainWindowPlan& plan) {
    // Later: the old menus may still be closing.
    for (QAction* title : menuBar()->actions())
        if (QMenu* menu = title->menu()) menu->deleteLater();
    menuBar()->clear();
    m_menuItems.clear();
    m_popup->deleteLater();
    buildMenus(plan);
    for (const GadgetPlan& gadget : plan.gadgets) {
        QWidget* widget = this->gadget(gadget.number);
        if (!widget) continue;
        widget->setToolTip(text(gadget.tooltip));
        if (auto* spin = qobject_cast<QSpinBox*>(widget); spin && !gadget.label.empty())
            spin->setPrefix(text(gadget.label) + " ");
        if (auto* button = qobject_cast<QPushButton*>(widget)) button->setText(text(gadget.label));
        // The tool bar's row as planned, widened below for the new labels; the gadgets inside
        // the strip (the marker) stay where the program put them.
        if (gadget.y >= kToolBarBottom || widget->parentWidget() != centralWidget()) continue;
        widget->move(gadget.x, gadget.y);
        if (!gadget.label.empty()) widget->resize(gadget.width, gadget.height);
    }
    WidenToLabels(m_gadgets);
}

void MainWindowWidget::buildGadget(const GadgetPlan& plan) {
    QWidget* parent = centralWidget();
    const int number = plan.number;
    const QRect place(plan.x, plan.y, plan.width, plan.height);
    QWidget* widget = nullptr;
    switch (plan.kind) {
        case GadgetKind::Canvas: {
            m_canvas = new CanvasWidget(parent);
            m_canvas->onGadgetEvent = [this, number](GadgetEventType type, QPoint at) {
                postGadget(number, type, at);
            };
            m_canvas->onWheel = [this](WheelAction action, int steps, QPoint at) {
                Event event;
                event.kind = EventKind::Wheel;
                event.wheel = {action, steps};
                event.x = at.x();
                event.y = at.y();
                m_post(event);
            };
            widget = m_canvas;
            break;
        }
        case GadgetKind::HorizontalScrollBar:
        case GadgetKind::VerticalScrollBar: {
            auto* bar = new QScrollBar(
                plan.kind == GadgetKind::HorizontalScrollBar ? Qt::Horizontal : Qt::Vertical,
                parent);
            // Positions 0 to maximum - page; the page starts as the whole range.
            bar->setRange(plan.minimum, plan.minimum);
            bar->setPageStep(plan.maximum);
            bar->setValue(plan.state);
            connect(bar, &QScrollBar::valueChanged, this, [this, number] { postGadget(number); });
            widget = bar;
            break;
        }
        case GadgetKind::PictureButton: {
            auto* button = new QToolButton(parent);
            const QPixmap picture = plan.picture == Picture::None ? DrawPixelPicture(plan.pixels)
                                                                  : DrawPicture(plan.picture);
            QIcon icon(picture);
            icon.addPixmap(picture, QIcon::Disabled);  // the selected tool keeps its colours
            button->setIcon(icon);
            button->setIconSize(picture.size());
            button->setCheckable(false);
            button->setAutoRaise(false);
            connect(button, &QToolButton::clicked, this, [this, number] { postGadget(number); });
            widget = button;
            break;
        }
        case GadgetKind::Picture:
        case GadgetKind::ClickablePicture: {
            auto* label = new ClickablePicture(parent);
            const QPixmap picture = DrawPicture(plan.picture);
            label->setPixmap(picture);
            if (plan.kind == GadgetKind::ClickablePicture)
                label->onClick = [this, number] { postGadget(number, GadgetEventType::LeftClick); };
            widget = label;
            break;
        }
        case GadgetKind::SpinField: {
            auto* spin = new QSpinBox(parent);
            spin->setRange(plan.minimum, plan.maximum);
            spin->setValue(plan.state);
            spin->setStyle(m_compactSpinStyle);
            QFont font = spin->font();
            font.setPixelSize(11);
            spin->setFont(font);
            if (auto* edit = spin->findChild<QLineEdit*>()) edit->setTextMargins(0, 0, 0, 0);
            if (!plan.label.empty()) spin->setPrefix(text(plan.label) + " ");
            connect(spin, &QSpinBox::valueChanged, this, [this, number] { postGadget(number); });
            widget = spin;
            break;
        }
        case GadgetKind::PushButton: {
            auto* button = new QPushButton(text(plan.label), parent);
            connect(button, &QPushButton::clicked, this, [this, number] { postGadget(number); });
            widget = button;
            break;
        }
        case GadgetKind::FrameStrip: {
            m_strip = new FrameStrip(parent, 98, 65);
            m_strip->onDrop = m_post;
            m_strip->onThumbnailEvent = [this](GadgetHandle handle, GadgetEventType type,
                                               QPoint at) {
                postGadget(static_cast<int>(handle), type, at);
            };
            widget = m_strip;
            break;
        }
        case GadgetKind::StripRow:
            if (m_strip)
                m_strip->setRow(number == +Gadget::Layer1Row ? 0 : 1, plan.y, plan.height,
                                colourOf(plan.colour));
            return;                    // painted by the strip across its width
        case GadgetKind::FrameMarker:  // takes no input, keeps its colours
            if (m_strip) {
                m_strip->setMarker(DrawPicture(plan.picture), plan.x, plan.y);
                m_gadgets[number] = m_strip->marker();
                m_strip->marker()->setProperty(kGadgetProperty, number);
            }
            return;
    }
    widget->setProperty(kGadgetProperty, number);
    widget->setGeometry(place);
    if (plan.picture != Picture::None &&
        (plan.kind == GadgetKind::Picture || plan.kind == GadgetKind::ClickablePicture)) {
        widget->resize(DrawPicture(plan.picture).size());  // sized to its picture
    }
    if (!plan.tooltip.empty()) widget->setToolTip(text(plan.tooltip));
    widget->show();
    m_gadgets[number] = widget;
}

void MainWindowWidget::showNotice(const QString& text) {
    statusBar()->showMessage(text);
}

void MainWindowWidget::showFrameCounter(const QString& text) {
    m_frameCounter->setText(text);
}

int MainWindowWidget::statusLineHeight() const {
    return statusBar()->sizeHint().height();
}

}  // namespace morvel

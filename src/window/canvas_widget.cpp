#include "window/canvas_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

namespace morvel {

namespace {
const QColor kNoPicture(68, 68, 68);
}

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    // A click on the canvas takes the keyboard from the spin fields, so that the frame keys
    // and Ctrl+Z reach the program again.
    setFocusPolicy(Qt::ClickFocus);
}

bool CanvasWidget::wrapsBuffer() const {
    return m_buffer && !m_shown.isNull() && m_shown.constBits() == m_buffer->data() &&
           m_shown.width() == m_buffer->width() && m_shown.height() == m_buffer->height() &&
           static_cast<std::size_t>(m_shown.bytesPerLine()) == m_buffer->stride();
}

void CanvasWidget::present(int left, int top, int right, int bottom) {
    if (!m_buffer || m_buffer->empty()) {
        m_shown = QImage();
        update();
        return;
    }
    if (!wrapsBuffer()) {
        m_shown = QImage(m_buffer->data(), m_buffer->width(), m_buffer->height(),
                         static_cast<qsizetype>(m_buffer->stride()), QImage::Format_RGB888);
        if (size() != m_shown.size()) resize(m_shown.size());
        update();
        return;
    }
    update(QRect(QPoint(left, top), QPoint(right - 1, bottom - 1)));
}

void CanvasWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    if (wrapsBuffer()) {
        painter.drawImage(area.topLeft(), m_shown, area);
    } else {
        painter.fillRect(area, kNoPicture);  // the buffer is being replaced
    }
}

void CanvasWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_dragStarted = false;
        m_pressAt = at;
        if (onGadgetEvent) onGadgetEvent(GadgetEventType::LeftClick, at);
    } else if (event->button() == Qt::RightButton) {
        if (onGadgetEvent) onGadgetEvent(GadgetEventType::RightClick, at);
    }
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed || m_dragStarted) return;
    const QPoint at = event->position().toPoint();
    if ((at - m_pressAt).manhattanLength() > QApplication::startDragDistance()) {
        m_dragStarted = true;
        if (onGadgetEvent) onGadgetEvent(GadgetEventType::DragStart, at);
    }
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) m_pressed = false;
}

void CanvasWidget::wheelEvent(QWheelEvent* event) {
    constexpr int kNotch = 120;  // angle units of one notch (1/8 degree each)
    const QPoint angle = event->angleDelta();
    const Qt::KeyboardModifiers keys = event->modifiers();
    WheelAction action = WheelAction::ScrollVertically;
    int delta = angle.y();
    if (keys & Qt::ControlModifier) {
        action = WheelAction::Zoom;
        if (delta == 0) delta = angle.x();
    } else if ((keys & Qt::ShiftModifier) || angle.y() == 0) {
        action = WheelAction::ScrollHorizontally;
        delta = angle.y() != 0 ? angle.y() : angle.x();
    }
    event->accept();
    if (delta == 0) return;
    // Parts of a notch add up; a change of action or direction starts again.
    if (action != m_wheelAction || (m_wheelRest != 0 && (m_wheelRest > 0) != (delta > 0)))
        m_wheelRest = 0;
    m_wheelAction = action;
    m_wheelRest += delta;
    const int steps = m_wheelRest / kNotch;
    m_wheelRest -= steps * kNotch;
    if (steps != 0 && onWheel) onWheel(action, steps, event->position().toPoint());
}

}  // namespace morvel

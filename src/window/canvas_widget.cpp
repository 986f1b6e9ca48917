#include "window/canvas_widget.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

namespace morvel {

namespace {
const QColor kNoPicture(68, 68, 68);
}

CanvasWidget::CanvasWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
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

}  // namespace morvel

#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <functional>

#include "app/event.h"
#include "platform/image.h"

namespace morvel {

// Gadget 1: shows the canvas buffer without copying it, at the buffer's size. A left press is
// the gadget's left click; moving farther than the drag distance with the button down raises
// the drag start. Qt keeps delivering the mouse to the canvas until the button is released, so
// a stroke always sees its release.
class CanvasWidget : public QWidget {
public:
    explicit CanvasWidget(QWidget* parent);

    // The buffer to show; it may be recreated at another size between presentations.
    void setBuffer(const Image* buffer) { m_buffer = buffer; }
    // Pixels [left, right) x [top, bottom) of the buffer changed.
    void present(int left, int top, int right, int bottom);

    std::function<void(GadgetEventType, QPoint)> onGadgetEvent;
    // Whole notches of the wheel at a canvas position (see WheelData).
    std::function<void(WheelAction, int steps, QPoint)> onWheel;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    // True when the wrapped picture still is the buffer's memory.
    bool wrapsBuffer() const;

    const Image* m_buffer = nullptr;
    QImage m_shown;  // wraps the buffer's pixels
    QPoint m_pressAt;
    bool m_pressed = false;
    bool m_dragStarted = false;
    // Wheels that report parts of a notch: what has not yet made a whole one, and for what.
    int m_wheelRest = 0;
    WheelAction m_wheelAction = WheelAction::ScrollVertically;
};

}  // namespace morvel

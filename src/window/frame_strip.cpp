#include "window/frame_strip.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QFontMetrics>
#include <QFile>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QTimer>
#include <QUrl>

namespace morvel {

namespace {

// The least width counted as visible, for a strip not yet laid out.
constexpr int kLeastVisibleWidth = 1000;

// A frame number sits at the left of its column's foot, over the lower row's bottom edge.
constexpr int kNumberLeft = 6;
constexpr int kNumberBottom = 96;
constexpr int kNumberPixelSize = 9;

}  // namespace

class FrameStrip::Content : public QWidget {
public:
    explicit Content(QWidget* parent) : QWidget(parent) {}
    struct Row {
        int top = 0;
        int height = 0;
        QColor colour;
    };
    Row rows[2];
    struct Waveform {
        std::vector<WaveformBar> bars;
        int columnWidth = 0;
        int top = 0;
        int height = 0;
        int markerX = -1;  // the displayed frame's column
    } waveform;

    QRect waveformRect() const { return QRect(0, waveform.top, width(), waveform.height); }

protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        const QRect area = event->rect();
        painter.fillRect(area, palette().window());
        for (const Row& row : rows) {
            if (row.height > 0)
                painter.fillRect(QRect(area.left(), row.top, area.width(), row.height) & area,
                                 row.colour);
        }
        if (waveform.height > 0 && area.intersects(waveformRect())) paintWaveform(painter, area);
    }

private:
    // One bar per frame around the row's middle line: the peak light, the RMS dark within it.
    void paintWaveform(QPainter& painter, const QRect& area) {
        const Waveform& w = waveform;
        painter.fillRect(waveformRect() & area, QColor(0x26, 0x2B, 0x33));
        const int middle = w.top + w.height / 2;
        const int half = w.height / 2 - 1;
        painter.fillRect(QRect(area.left(), middle, area.width(), 1), QColor(0x4A, 0x52, 0x5E));
        const int columnWidth = std::max(w.columnWidth, 1);
        const int first = std::max(area.left() / columnWidth, 0);
        const int last = std::min<int>(area.right() / columnWidth, static_cast<int>(w.bars.size()) - 1);
        for (int n = first; n <= last; ++n) {
            const WaveformBar& bar = w.bars[static_cast<std::size_t>(n)];
            const int x = n * columnWidth + 1;
            const int peak = static_cast<int>(bar.peak * half + 0.5f);
            const int rms = static_cast<int>(bar.rms * half + 0.5f);
            painter.fillRect(QRect(x, middle - peak, columnWidth - 2, 2 * peak + 1),
                             QColor(0x7F, 0xC8, 0xF8));
            painter.fillRect(QRect(x, middle - rms, columnWidth - 2, 2 * rms + 1),
                             QColor(0x1E, 0x78, 0xC8));
        }
        // The frame marker runs on across the row.
        if (w.markerX >= 0) {
            painter.setPen(QPen(QColor(0xFF, 0xB4, 0x00), 2));  // the marker's own colour
            painter.drawRect(QRect(w.markerX + 1, w.top + 1, columnWidth - 4, w.height - 2));
        }
    }
};

class FrameStrip::Thumbnail : public QLabel {
public:
    Thumbnail(QWidget* parent, GadgetHandle handle, FrameStrip* strip)
        : QLabel(parent), m_handle(handle), m_strip(strip) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        m_pressAt = at;
        m_pressed = event->button() == Qt::LeftButton;
        m_dragStarted = false;
        if (event->button() == Qt::LeftButton) raise(GadgetEventType::LeftClick, event);
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        const QPoint at = event->position().toPoint();
        if (m_pressed && !m_dragStarted &&
            (at - m_pressAt).manhattanLength() > QApplication::startDragDistance()) {
            m_dragStarted = true;
            raise(GadgetEventType::DragStart, event);
        }
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) m_pressed = false;
        // The popup menu opens where the right button went up.
        if (event->button() == Qt::RightButton && rect().contains(event->position().toPoint()))
            raise(GadgetEventType::RightClick, event);
    }

private:
    // Thumbnail events give the pointer's screen position.
    void raise(GadgetEventType type, const QMouseEvent* event) {
        if (m_strip->onThumbnailEvent)
            m_strip->onThumbnailEvent(m_handle, type, event->globalPosition().toPoint());
    }
    GadgetHandle m_handle;
    FrameStrip* m_strip;
    QPoint m_pressAt;
    bool m_pressed = false;
    bool m_dragStarted = false;
};

// A frame's number, light on a dark ground so that it reads over any picture; clicks go through
// it to the thumbnail below.
class FrameStrip::Number : public QWidget {
public:
    Number(QWidget* parent, int number) : QWidget(parent), m_text(QString::number(number)) {
        QFont small = font();
        small.setPixelSize(kNumberPixelSize);
        setFont(small);
        const QFontMetrics metrics(small);
        resize(metrics.horizontalAdvance(m_text) + 4, metrics.height());
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    const QString& text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(0, 0, 0, 150));
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, m_text);
    }

private:
    QString m_text;
};

FrameStrip::FrameStrip(QWidget* parent, int innerHeight, int scrollStep)
    : QScrollArea(parent), m_content(new Content(this)), m_innerHeight(innerHeight) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_content->setAttribute(Qt::WA_OpaquePaintEvent);
    setWidget(m_content);
    horizontalScrollBar()->setSingleStep(scrollStep);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setContentWidth(0);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, [this] { showVisible(); });
}

void FrameStrip::setRow(int row, int top, int height, QColor colour) {
    m_content->rows[row] = {top, height, colour};
    m_content->update();
}

void FrameStrip::setMarker(const QPixmap& picture, int x, int y) {
    if (!m_marker) m_marker = new QLabel(m_content);
    m_marker->setPixmap(picture);
    m_marker->setGeometry(x, y, picture.width(), picture.height());
    // It takes no input (clicks reach the thumbnails under it) but keeps its colours.
    m_marker->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_marker->show();
}

void FrameStrip::moveMarker(int x) {
    if (!m_marker) return;
    m_marker->move(x, m_marker->y());
    m_marker->raise();  // in front of the thumbnails
    if (m_content->waveform.height > 0) {
        const int columnWidth = std::max(m_content->waveform.columnWidth, 1);
        m_content->waveform.markerX = x < 0 ? -1 : x / columnWidth * columnWidth;
        m_content->update(m_content->waveformRect());
    }
}

void FrameStrip::setWaveform(std::vector<WaveformBar> bars, int columnWidth, int top,
                             int height) {
    Content::Waveform& waveform = m_content->waveform;
    waveform.bars = std::move(bars);
    waveform.columnWidth = columnWidth;
    waveform.top = top;
    waveform.height = height;
    if (m_marker && m_marker->x() >= 0 && columnWidth > 0)
        waveform.markerX = m_marker->x() / columnWidth * columnWidth;
    fitContent();
    m_content->update();
}

void FrameStrip::showColumns(int x, int width) {
    QScrollBar* bar = horizontalScrollBar();
    const int visible = viewport()->width();
    if (x < bar->value()) {
        bar->setValue(x);
    } else if (x + width > bar->value() + visible) {
        bar->setValue(std::min(x, x + width - visible));
    }
}

void FrameStrip::setContentWidth(int width) {
    m_contentWidth = width;
    fitContent();
}

void FrameStrip::fitContent() {
    // The rows reach across the whole visible strip even when there are few frames.
    const Content::Waveform& waveform = m_content->waveform;
    const int height = waveform.height > 0 ? waveform.top + waveform.height : m_innerHeight;
    m_content->resize(std::max(m_contentWidth, viewport()->width()), std::max(height, m_innerHeight));
}

void FrameStrip::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    fitContent();
    showVisibleSoon();
}

GadgetHandle FrameStrip::createThumbnail(const Image& picture, int x, int y,
                                         const QString& tooltip) {
    const GadgetHandle handle = m_nextHandle++;
    m_thumbnails.emplace(handle, Record{&picture, QPoint(x, y), tooltip});
    showVisibleSoon();
    return handle;
}

void FrameStrip::moveThumbnail(GadgetHandle handle, int x) {
    auto found = m_thumbnails.find(handle);
    if (found == m_thumbnails.end() || found->second.at.x() == x) return;
    Record& record = found->second;
    record.at.setX(x);
    if (record.widget) record.widget->move(record.at);
    showVisibleSoon();
}

void FrameStrip::destroyThumbnail(GadgetHandle handle) {
    auto found = m_thumbnails.find(handle);
    if (found == m_thumbnails.end()) return;
    dropWidget(found->second);
    m_thumbnails.erase(found);
}

QWidget* FrameStrip::thumbnail(GadgetHandle handle) {
    auto found = m_thumbnails.find(handle);
    if (found == m_thumbnails.end()) return nullptr;
    Record& record = found->second;
    record.kept = true;
    if (!record.widget) makeWidget(handle, record);
    return record.widget;
}

void FrameStrip::setFrameNumbers(int count, int columnWidth) {
    if (count == m_numberCount && columnWidth == m_numberColumnWidth) return;
    // Columns past the end lose their number; the others keep theirs, as it stays the same.
    const int kept = columnWidth == m_numberColumnWidth ? std::max(count, 0) : 0;
    m_numberCount = std::max(count, 0);
    m_numberColumnWidth = columnWidth;
    for (auto it = m_numbers.lower_bound(kept);
         it != m_numbers.end();) {
        it->second->hide();
        it->second->deleteLater();
        it = m_numbers.erase(it);
    }
    showVisibleSoon();
}

QWidget* FrameStrip::frameNumber(int column) const {
    const auto found = m_numbers.find(column);
    return found == m_numbers.end() ? nullptr : found->second;
}

QString FrameStrip::frameNumberText(int column) const {
    const auto found = m_numbers.find(column);
    return found == m_numbers.end() ? QString() : found->second->text();
}

void FrameStrip::showVisibleNumbers(int left, int right) {
    if (m_numberColumnWidth <= 0) return;
    const int first = std::max(left / m_numberColumnWidth, 0);
    const int last = std::min(right / m_numberColumnWidth, m_numberCount - 1);
    for (auto it = m_numbers.begin(); it != m_numbers.end();) {
        if (it->first >= first && it->first <= last) {
            ++it;
            continue;
        }
        it->second->hide();
        it->second->deleteLater();
        it = m_numbers.erase(it);
    }
    for (int column = first; column <= last; ++column) {
        if (m_numbers.count(column)) continue;
        auto* number = new Number(m_content, column + 1);
        number->move(column * m_numberColumnWidth + kNumberLeft, kNumberBottom - number->height());
        if (m_marker) number->stackUnder(m_marker);
        number->show();
        m_numbers[column] = number;
    }
}

void FrameStrip::makeWidget(GadgetHandle handle, Record& record) {
    const Image& picture = *record.picture;
    auto* widget = new Thumbnail(m_content, handle, this);
    const QImage wrapped(picture.data(), picture.width(), picture.height(),
                         static_cast<qsizetype>(picture.stride()), QImage::Format_RGB888);
    widget->setPixmap(QPixmap::fromImage(wrapped));
    widget->setGeometry(QRect(record.at, QSize(picture.width(), picture.height())));
    widget->setToolTip(record.tooltip);
    widget->lower();  // the frame numbers and the marker stay in front
    widget->show();
    record.widget = widget;
    ++m_widgets;
}

void FrameStrip::dropWidget(Record& record) {
    if (!record.widget) return;
    // Later: the thumbnail may be the one whose event is being handled (a drag it started).
    record.widget->hide();
    record.widget->deleteLater();
    record.widget = nullptr;
    --m_widgets;
}

void FrameStrip::showVisibleSoon() {
    if (m_showPending) return;
    m_showPending = true;
    QTimer::singleShot(0, this, [this] { showVisible(); });
}

void FrameStrip::showVisible() {
    m_showPending = false;
    // A screen's width either side, so that a scroll finds its thumbnails made.
    const int visible = std::max(viewport()->width(), kLeastVisibleWidth);
    const int left = horizontalScrollBar()->value() - visible;
    const int right = horizontalScrollBar()->value() + 2 * visible;
    for (auto& [handle, record] : m_thumbnails) {
        const bool near = record.at.x() + record.picture->width() > left && record.at.x() < right;
        if (near && !record.widget) {
            makeWidget(handle, record);
        } else if (!near && record.widget && !record.kept) {
            dropWidget(record);
        }
    }
    showVisibleNumbers(left, right);
}

namespace {

bool acceptable(const QMimeData* data) {
    return data->hasFormat(kLayerDragMimeType) || data->hasUrls();
}

// Files are copied into the project (by reference); the program's own thumbnails may be copied
// or moved.
void acceptAction(QDropEvent* event) {
    const bool own = event->mimeData()->hasFormat(kLayerDragMimeType);
    const Qt::DropActions allowed = own ? (Qt::CopyAction | Qt::MoveAction) : Qt::CopyAction;
    if (allowed & event->proposedAction()) {
        event->acceptProposedAction();
    } else {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

}  // namespace

void FrameStrip::dragEnterEvent(QDragEnterEvent* event) {
    if (acceptable(event->mimeData())) acceptAction(event);
}

void FrameStrip::dragMoveEvent(QDragMoveEvent* event) {
    if (acceptable(event->mimeData())) acceptAction(event);
}

void FrameStrip::dropEvent(QDropEvent* event) {
    const QMimeData* data = event->mimeData();
    if (!acceptable(data)) return;
    Event drop;
    drop.kind = EventKind::Drop;
    const QPoint at = event->position().toPoint();
    drop.x = at.x();
    drop.y = at.y();
    drop.drop.stripScroll = horizontalScrollBar()->value();
    drop.drop.privateFormat = data->hasFormat(kLayerDragMimeType);
    if (!drop.drop.privateFormat) {
        std::string files;
        for (const QUrl& url : data->urls()) {
            if (!url.isLocalFile()) continue;
            if (!files.empty()) files += '\n';
            files += QFile::encodeName(url.toLocalFile()).toStdString();
        }
        drop.drop.fileList = files;
    }
    acceptAction(event);
    if (onDrop) onDrop(drop);
}

}  // namespace morvel

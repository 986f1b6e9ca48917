#pragma once

#include <QColor>
#include <QLabel>
#include <QScrollArea>
#include <functional>
#include <map>
#include <vector>

#include "app/event.h"
#include "platform/frame_strip_shell.h"
#include "platform/image.h"

namespace morvel {

// The MIME type of a thumbnail dragged inside the program (its layer source travels in the
// program's state, not in the drag).
constexpr const char* kLayerDragMimeType = "application/x-morvel-layer";

// Gadget 2: the scroll area of thumbnails. Its content paints the two coloured rows (gadgets 6
// and 7) across its whole width, which is never less than the visible width; it holds the
// thumbnail gadgets and the frame marker (gadget 5), and takes dropped files and thumbnails.
class FrameStrip : public QScrollArea {
public:
    FrameStrip(QWidget* parent, int innerHeight, int scrollStep);

    // Row colours: the upper (layer 1) and the lower (layer 2) row with their tops and heights.
    void setRow(int row, int top, int height, QColor colour);
    void setMarker(const QPixmap& picture, int x, int y);
    void moveMarker(int x);
    QLabel* marker() const { return m_marker; }

    // Scrolls as little as needed to show the content's columns [x, x + width).
    void showColumns(int x, int width);

    // The sound track's waveform row at [top, top + height) under the rows; height 0: none.
    void setWaveform(std::vector<WaveformBar> bars, int columnWidth, int top, int height);

    void setContentWidth(int width);
    int contentWidth() const { return m_contentWidth; }

    // A thumbnail shows the picture without a copy: it must stay as it is until the thumbnail is
    // destroyed. Only the thumbnails near the visible columns have a widget, so that a film of
    // many thousand frames costs the strip no more than the frames on screen.
    GadgetHandle createThumbnail(const Image& picture, int x, int y, const QString& tooltip);
    void moveThumbnail(GadgetHandle handle, int x);
    void destroyThumbnail(GadgetHandle handle);
    // The thumbnail's widget, made when it has none (and kept from then on); nullptr when the
    // handle names no thumbnail.
    QWidget* thumbnail(GadgetHandle handle);
    // How many thumbnails have a widget now.
    int thumbnailWidgets() const { return m_widgets; }

    // Columns 0 to count - 1 (columnWidth wide) numbered from 1 at the foot of the lower row. A
    // number has a widget only while its column is near the visible ones, as the thumbnails.
    void setFrameNumbers(int count, int columnWidth);
    // The widget numbering a column, nullptr while it has none, and its text ("" then); how
    // many have one now.
    QWidget* frameNumber(int column) const;
    QString frameNumberText(int column) const;
    int frameNumberWidgets() const { return static_cast<int>(m_numbers.size()); }

    // A drop, as the program's event; a gadget event of a thumbnail, at the pointer's screen
    // position.
    std::function<void(const Event&)> onDrop;
    std::function<void(GadgetHandle, GadgetEventType, QPoint)> onThumbnailEvent;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    class Content;
    class Thumbnail;
    class Number;
    // A thumbnail, with the widget showing it while it is near the visible columns.
    struct Record {
        const Image* picture;
        QPoint at;
        QString tooltip;
        Thumbnail* widget = nullptr;
        bool kept = false;  // asked for by thumbnail(): stays made
    };
    void fitContent();
    void makeWidget(GadgetHandle handle, Record& record);
    void dropWidget(Record& record);
    // Gives the thumbnails near the visible columns a widget and takes it from the others; later
    // calls in the same turn of the event loop are one.
    void showVisibleSoon();
    void showVisible();

    void showVisibleNumbers(int left, int right);

    Content* m_content;
    int m_numberCount = 0;
    int m_numberColumnWidth = 0;
    std::map<int, Number*> m_numbers;  // by column
    QLabel* m_marker = nullptr;
    int m_contentWidth = 0;
    int m_innerHeight;
    std::map<GadgetHandle, Record> m_thumbnails;
    int m_widgets = 0;
    bool m_showPending = false;
    // Handles start above every fixed gadget number, so that a thumbnail's gadget events can
    // never be taken for those of another gadget.
    GadgetHandle m_nextHandle = 1000;
};

}  // namespace morvel
